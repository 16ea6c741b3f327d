#pragma once
// The main window's pictures, drawn in code at 16 x 16 pixels.
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
