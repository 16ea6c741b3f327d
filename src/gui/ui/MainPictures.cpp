#include "gui/ui/MainPictures.h"

#include <QString>

// Q_INIT_RESOURCE declares a function, so it must be used outside any namespace.
static void initIconResource() {
    Q_INIT_RESOURCE(icons);
}

void InitPictureResources() {
    static const bool done = (initIconResource(), true);
    (void)done;
}

namespace {
// The file of each glyph under :/icons/, without "main-" and ".svg".
const char* fileName(MainGlyph glyph) {
    switch (glyph) {
    case MainGlyph::Program:
        return "program";
    case MainGlyph::Tray:
        return "tray";
    case MainGlyph::Configuration:
        return "configuration";
    case MainGlyph::Exit:
        return "exit";
    case MainGlyph::Start:
    case MainGlyph::Restart:
        return "start";
    case MainGlyph::Stop:
        return "stop";
    case MainGlyph::Pause:
        return "pause";
    case MainGlyph::Post:
        return "post";
    case MainGlyph::About:
        return "about";
    case MainGlyph::Connect:
        return "connect";
    case MainGlyph::Disconnect:
        return "disconnect";
    case MainGlyph::QuickConnect:
        return "quick-connect";
    case MainGlyph::Refresh:
        return "refresh";
    case MainGlyph::Root:
        return "root";
    case MainGlyph::Up:
        return "up";
    case MainGlyph::MakeFolder:
        return "make-folder";
    case MainGlyph::CopyRight:
        return "copy-right";
    case MainGlyph::CopyLeft:
        return "copy-left";
    case MainGlyph::Rename:
        return "rename";
    case MainGlyph::Delete:
    case MainGlyph::Failure:
        return "delete";
    case MainGlyph::Success:
        return "success";
    case MainGlyph::New:
        return "new";
    case MainGlyph::Preview:
        return "preview";
    case MainGlyph::First:
        return "first";
    case MainGlyph::Prior:
        return "prior";
    case MainGlyph::Next:
        return "next";
    case MainGlyph::Last:
        return "last";
    case MainGlyph::EditHeader:
        return "edit-header";
    case MainGlyph::EditFooter:
        return "edit-footer";
    case MainGlyph::Load:
        return "load";
    case MainGlyph::Save:
        return "save";
    case MainGlyph::EditOnline:
        return "edit-online";
    case MainGlyph::Busy:
        return "busy";
    }
    return "program";
}

// Grey glyphs: the greyed picture Qt derives for a disabled command would look much like the
// enabled one, so these carry a lighter picture of their own for that state.
bool hasDisabledFile(MainGlyph glyph) {
    return glyph == MainGlyph::Configuration || glyph == MainGlyph::Preview ||
           glyph == MainGlyph::Rename;
}
} // namespace

QIcon MainPicture(MainGlyph glyph) {
    InitPictureResources();
    const QString name = QLatin1String(fileName(glyph));
    QIcon icon(QStringLiteral(":/icons/main-%1.svg").arg(name));
    if (hasDisabledFile(glyph))
        icon.addFile(QStringLiteral(":/icons/main-%1-disabled.svg").arg(name), QSize(),
                     QIcon::Disabled);
    return icon;
}
