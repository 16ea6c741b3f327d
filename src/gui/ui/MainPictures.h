#pragma once
// The main window's pictures: SVG files in the program's resources (src/gui/icons), drawn at
// whatever size a toolbar, menu or status bar asks for.
#include <QIcon>

enum class MainGlyph {
    Program,
    Tray,
    Configuration,
    Exit,
    Start,
    Stop,
    Post,
    About,
    Connect,
    Disconnect,
    QuickConnect,
    Refresh,
    Root,
    Up,
    MakeFolder,
    CopyRight,
    CopyLeft,
    Rename,
    Delete,
    New,
    Preview,
    First,
    Prior,
    Next,
    Last,
    EditHeader,
    EditFooter,
    Success,
    Failure,
    Pause,
    Restart,
    Load,
    Save,
    EditOnline,
    Busy,
};

QIcon MainPicture(MainGlyph glyph);

// Registers the compiled icon resources. The resources live in a static library, so nothing
// pulls them in unless some code asks for them; the picture functions call this themselves.
void InitPictureResources();
