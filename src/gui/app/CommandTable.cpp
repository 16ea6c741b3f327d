#include "gui/app/CommandTable.h"

#include "gui/ui/MainPictures.h"
#include "gui/ui/UserPrompts.h"

#include <QAction>
#include <QActionGroup>
#include <QFont>
#include <QMenu>
#include <QToolBar>

#include <exception>

namespace {
using G = MainGlyph;

// What a command is: its name, its picture (none for Program) and up to two shortcuts, which
// belong to its main-menu item.
struct Command {
    const char* name;
    G glyph;
    QKeyCombination key1 = QKeyCombination(Qt::Key_unknown);
    QKeyCombination key2 = QKeyCombination(Qt::Key_unknown);
};

constexpr QKeyCombination alt(Qt::Key k) {
    return QKeyCombination(Qt::AltModifier, k);
}
constexpr QKeyCombination ctrl(Qt::Key k) {
    return QKeyCombination(Qt::ControlModifier, k);
}
constexpr QKeyCombination key(Qt::Key k) {
    return QKeyCombination(k);
}

const Command kCommands[] = {
    {"NewServer", G::Program},
    {"NewNewsfile", G::Program},
    {"DropperWindow", G::Program, alt(Qt::Key_D)},
    {"MinimizeToTray", G::Tray},
    {"Configuration", G::Configuration, alt(Qt::Key_Return), alt(Qt::Key_Enter)},
    {"Exit", G::Exit, alt(Qt::Key_X)},
    {"RestoreFromTray", G::Program},
    {"ConfigureMainToolbar", G::Program},
    {"ConfigureFTPToolbar", G::Program},
    {"NewsGoto", G::Program, ctrl(Qt::Key_1)},
    {"NewsStart", G::Start},
    {"NewsStop", G::Stop},
    {"NewsPost", G::Post},
    {"NewsPreview", G::Preview},
    {"NewsNew", G::New},
    {"NewsDelete", G::Delete},
    {"NewsFirst", G::First},
    {"NewsPrev", G::Prior},
    {"NewsNext", G::Next},
    {"NewsLast", G::Last},
    {"NewsEditHeader", G::EditHeader},
    {"NewsEditFooter", G::EditFooter},
    {"LinksGoto", G::Program, ctrl(Qt::Key_2)},
    {"LinksStart", G::Start},
    {"LinksStop", G::Stop},
    {"LinksPost", G::Post},
    {"FTPGoto", G::Program, ctrl(Qt::Key_3)},
    {"FTPConnect", G::Connect},
    {"FTPQuickConnect", G::QuickConnect},
    {"FTPDisconnect", G::Disconnect},
    {"FTPEditOnlineHtml", G::EditOnline, key(Qt::Key_F4)},
    {"RemoteRefresh", G::Refresh},
    {"RemoteRoot", G::Root},
    {"RemoteUp", G::Up},
    {"RemoteMakeFolder", G::MakeFolder},
    {"RemoteCopy", G::CopyRight},
    {"RemoteRename", G::Rename},
    {"RemoteDelete", G::Delete},
    {"RemoteSort", G::Program},
    {"LocalRefresh", G::Refresh},
    {"LocalRoot", G::Root},
    {"LocalUp", G::Up},
    {"LocalMakeFolder", G::MakeFolder},
    {"LocalCopy", G::CopyLeft},
    {"LocalRename", G::Rename},
    {"LocalDelete", G::Delete},
    {"LocalSort", G::Program},
    {"PaneRename", G::Program, key(Qt::Key_F2)},
    {"PaneRefresh", G::Program, key(Qt::Key_F3)},
    {"PaneCopy", G::Program, key(Qt::Key_F5)},
    {"PaneMove", G::Program, key(Qt::Key_F6)},
    {"PaneMakeFolder", G::Program, key(Qt::Key_F7)},
    {"PaneDelete", G::Program, key(Qt::Key_F8)},
    {"TransferGoto", G::Program, ctrl(Qt::Key_4)},
    {"TransferStop", G::Stop},
    {"TransferRestart", G::Restart},
    {"TransferPause", G::Pause},
    {"TransferDelete", G::Delete},
    {"TransferRetry", G::Refresh},
    {"TransferLoad", G::Load},
    {"TransferSave", G::Save},
    {"HelpAbout", G::About, key(Qt::Key_F1)},
};

enum Flag : unsigned {
    Checkable = 1,
    Checked = 2,
    Hidden = 4,
    Disabled = 8,
    NoPicture = 16,
    Default = 32, // the container's default entry, in bold
};

// Where the commands appear: one row per item, in each container's order. A name "-" is a
// separator, "=name" a named toolbar section and ">name" a sub-menu with the row's caption.
struct Placement {
    const char* container;
    const char* name;
    const char* command;
    const char* caption;
    unsigned flags = 0;
};

const Placement kPlacements[] = {
    {"miFile", "miNewServer", "NewServer", "New Server Wizard..."},
    {"miFile", "miNewNewsfile", "NewNewsfile", "New Newsfile Wizard..."},
    {"miFile", "-", nullptr, nullptr},
    {"miFile", "miDropperWindow", "DropperWindow", "Dropper Window", Checkable},
    {"miFile", "miMinimizeToTray", "MinimizeToTray", "&Minimize to Tray"},
    {"miFile", "miConfiguration", "Configuration", "&Configuration"},
    {"miFile", "-", nullptr, nullptr},
    {"miFile", "miExit", "Exit", "E&xit"},

    {"miNews", "miNewsGoto", "NewsGoto", "Goto News page"},
    {"miNews", "-", nullptr, nullptr},
    {"miNews", "miNewsStart", "NewsStart", "&Start"},
    {"miNews", "miNewsStop", "NewsStop", "St&op"},
    {"miNews", "miNewsPost", "NewsPost", "&Post"},
    {"miNews", "-", nullptr, nullptr},
    {"miNews", "miNewsPreview", "NewsPreview", "Preview"},
    {"miNews", "-", nullptr, nullptr},
    {"miNews", "miNewsNew", "NewsNew", "New News"},
    {"miNews", "miNewsDelete", "NewsDelete", "Delete News"},
    {"miNews", "-", nullptr, nullptr},
    {"miNews", "miNewsFirst", "NewsFirst", "Oldest News"},
    {"miNews", "miNewsPrev", "NewsPrev", "Older News"},
    {"miNews", "miNewsNext", "NewsNext", "Newer News"},
    {"miNews", "miNewsLast", "NewsLast", "Newest News"},
    {"miNews", "-", nullptr, nullptr},
    {"miNews", "miNewsEditHeader", "NewsEditHeader", "Edit Header"},
    {"miNews", "miNewsEditFooter", "NewsEditFooter", "Edit Footer"},

    {"miLinks", "miLinksGoto", "LinksGoto", "Goto Links page"},
    {"miLinks", "-", nullptr, nullptr},
    {"miLinks", "miLinksStart", "LinksStart", "&Start"},
    {"miLinks", "miLinksStop", "LinksStop", "St&op", Disabled}, // the links page loads nothing
    {"miLinks", "miLinksPost", "LinksPost", "&Post", Disabled},

    {"miFTP", "miFTPGoto", "FTPGoto", "Goto FTP page"},
    {"miFTP", "-", nullptr, nullptr},
    {"miFTP", "miFTPConnect", "FTPConnect", "&Connect"},
    {"miFTP", "miFTPQuickConnect", "FTPQuickConnect", "Quick Connect"},
    {"miFTP", "miFTPDisconnect", "FTPDisconnect", "&Disconnect"},
    {"miFTP", "-", nullptr, nullptr},
    {"miFTP", ">miFTPRemote", nullptr, "Remote"},
    {"miFTP", ">miFTPLocal", nullptr, "Local"},
    {"miFTP", "-", nullptr, nullptr},
    {"miFTP", "miFTPRenameFile", "PaneRename", "Rename file/folder", Disabled},
    {"miFTP", "miFTPRefreshFolder", "PaneRefresh", "Refresh folder", Disabled},
    {"miFTP", "miFTPEditOnlineHtml", "FTPEditOnlineHtml", "Edit file on FTP", Disabled | NoPicture},
    {"miFTP", "miFTPCopyFile", "PaneCopy", "Copy file", Disabled},
    {"miFTP", "miFTPMoveFile", "PaneMove", "Move file", Disabled},
    {"miFTP", "miFTPMakeFolder", "PaneMakeFolder", "Make folder", Disabled},
    {"miFTP", "miFTPDeleteFile", "PaneDelete", "Delete file/folder", Disabled},

    {"miFTPRemote", "miFTPRefreshFTP", "RemoteRefresh", "Refresh FTP folder"},
    {"miFTPRemote", "miFTPRemoteDirRoot", "RemoteRoot", "Goto root folder"},
    {"miFTPRemote", "miFTPRemoteDirUp", "RemoteUp", "Go one folder up"},
    {"miFTPRemote", "miFTPMakeDirectoryFTP", "RemoteMakeFolder", "Make folder on FTP"},
    {"miFTPRemote", "-", nullptr, nullptr},
    {"miFTPRemote", "miFTPCopyFTPToLocal", "RemoteCopy", "Copy file from FTP to local folder"},
    {"miFTPRemote", "miFTPRenameRemoteFile", "RemoteRename", "Rename file on FTP"},
    {"miFTPRemote", "miFTPDeleteOnFTP", "RemoteDelete", "Delete file on FTP"},
    {"miFTPRemote", "-", nullptr, nullptr},
    // The remote list has one fixed order: its sort items are shown but never enabled.
    {"miFTPRemote", "miFTPRemoteSortUnsorted", "RemoteSort", "Unsorted", Checkable | Disabled},
    {"miFTPRemote", "miFTPRemoteSortName", "RemoteSort", "Sort after Name",
     Checkable | Checked | Disabled},
    {"miFTPRemote", "miFTPRemoteSortExtension", "RemoteSort", "Sort after Extension",
     Checkable | Disabled},
    {"miFTPRemote", "miFTPRemoteSortTimeDate", "RemoteSort", "Sort after Time && Date",
     Checkable | Disabled},
    {"miFTPRemote", "miFTPRemoteSortSize", "RemoteSort", "Sort after Size", Checkable | Disabled},

    {"miFTPLocal", "miFTPRefreshLocal", "LocalRefresh", "Refresh local folder"},
    {"miFTPLocal", "miFTPLocalDirRoot", "LocalRoot", "Goto root folder"},
    {"miFTPLocal", "miFTPLocalDirUp", "LocalUp", "Go one folder up"},
    {"miFTPLocal", "miFTPMakeDirectoryLocal", "LocalMakeFolder", "Make local folder"},
    {"miFTPLocal", "-", nullptr, nullptr},
    {"miFTPLocal", "miFTPCopyLocalToFTP", "LocalCopy", "Copy local file to FTP"},
    {"miFTPLocal", "miFTPRenameLocalFile", "LocalRename", "Rename local file"},
    {"miFTPLocal", "miFTPDeleteOnLocal", "LocalDelete", "Delete file on local directory"},
    {"miFTPLocal", "-", nullptr, nullptr},
    {"miFTPLocal", "miFTPLocalSortUnsorted", "LocalSort", "Unsorted", Checkable},
    {"miFTPLocal", "miFTPLocalSortName", "LocalSort", "Sort after Name", Checkable | Checked},
    {"miFTPLocal", "miFTPLocalSortExtension", "LocalSort", "Sort after Extension", Checkable},
    {"miFTPLocal", "miFTPLocalSortTimeDate", "LocalSort", "Sort after Time && Date", Checkable},
    {"miFTPLocal", "miFTPLocalSortSize", "LocalSort", "Sort after Size", Checkable},

    {"miTransfer", "miTransferGoto", "TransferGoto", "Goto Transfer page"},
    {"miTransfer", "-", nullptr, nullptr},
    {"miTransfer", "miTransferStop", "TransferStop", "Stop transfer", Disabled},
    {"miTransfer", "miTransferRestart", "TransferRestart", "Restart transfer", Disabled},
    {"miTransfer", "miTransferPause", "TransferPause", "Pause transfer", Disabled},
    {"miTransfer", "-", nullptr, nullptr},
    {"miTransfer", "miTransferDelete", "TransferDelete", "Delete selected jobs", Disabled},
    {"miTransfer", "miTransferRetry", "TransferRetry", "Retry failed jobs", Disabled},
    {"miTransfer", "-", nullptr, nullptr},
    {"miTransfer", "miTransferLoad", "TransferLoad", "Load filelist...", Disabled},
    {"miTransfer", "miTransferSave", "TransferSave", "Save filelist...", Disabled},

    {"miHelp", "miHelpAbout", "HelpAbout", "&About"},

    {"sbMain", "=ssFile", nullptr, nullptr},
    {"sbMain", "siMinimizeToTray", "MinimizeToTray", "Minimize to Tray"},
    {"sbMain", "siConfiguration", "Configuration", "Configuration"},
    {"sbMain", "siExit", "Exit", "Exit Pagewright"},
    {"sbMain", "=ssNews", nullptr, nullptr},
    {"sbMain", "siNewsStart", "NewsStart", "Start News"},
    {"sbMain", "siNewsStop", "NewsStop", "Stop News"},
    {"sbMain", "siNewsPost", "NewsPost", "Post News"},
    {"sbMain", "=ssLinks", nullptr, nullptr, Hidden},
    {"sbMain", "siLinksStart", "LinksStart", "Start Links", Hidden},
    {"sbMain", "=ssFTP", nullptr, nullptr},
    {"sbMain", "siFTPConnect", "FTPConnect", "FTP Connect"},
    {"sbMain", "siFTPDisconnect", "FTPDisconnect", "FTP Disconnect"},
    {"sbMain", "=ssHelp", nullptr, nullptr},
    {"sbMain", "siHelpAbout", "HelpAbout", "About"},
    {"pmsbMain", "misbMainConfigure", "ConfigureMainToolbar", "&Configure"},

    {"sbNews", "=ssNewsNews", nullptr, nullptr},
    {"sbNews", "siNewsNew", "NewsNew", "New News"},
    {"sbNews", "siNewsDelete", "NewsDelete", "Delete News"},
    {"sbNews", "siNewsPreview", "NewsPreview", "Preview News"},
    {"sbNews", "siNewsFirst", "NewsFirst", "Goto Oldest News"},
    {"sbNews", "siNewsPrev", "NewsPrev", "Goto Older News"},
    {"sbNews", "siNewsNext", "NewsNext", "Goto Newer News"},
    {"sbNews", "siNewsLast", "NewsLast", "Goto Newest News"},
    {"sbNews", "siNewsEditHeader", "NewsEditHeader", "Edit Header"},
    {"sbNews", "siNewsEditFooter", "NewsEditFooter", "Edit Footer"},

    {"sbFTP", "=ssGlobal", nullptr, nullptr},
    {"sbFTP", "siFTPQuickConnect", "FTPQuickConnect", "Quick Connect"},
    {"sbFTP", "siFTPEditOnlineHtml", "FTPEditOnlineHtml", "Edit a file on FTP"},
    {"sbFTP", "=ssFTP", nullptr, nullptr},
    {"sbFTP", "siFTPRefreshFTP", "RemoteRefresh", "Refresh FTP directory"},
    {"sbFTP", "siFTPRemoteDirRoot", "RemoteRoot", "Goto root folder"},
    {"sbFTP", "siFTPRemoteDirUp", "RemoteUp", "Go one folder up"},
    {"sbFTP", "siFTPMakeDirectoryFTP", "RemoteMakeFolder", "Make folder on FTP"},
    {"sbFTP", "siFTPCopyFTPToLocal", "RemoteCopy", "Copy file from FTP to local folder"},
    {"sbFTP", "siFTPRenameRemoteFile", "RemoteRename", "Rename file on FTP"},
    {"sbFTP", "siFTPDeleteOnFTP", "RemoteDelete", "Delete file on FTP"},
    {"sbFTP", "=ssLocal", nullptr, nullptr},
    {"sbFTP", "siFTPRefreshLocal", "LocalRefresh", "Refresh local directory"},
    {"sbFTP", "siFTPLocalDirRoot", "LocalRoot", "Goto root folder"},
    {"sbFTP", "siFTPLocalDirUp", "LocalUp", "Go one folder up", Hidden},
    {"sbFTP", "siFTPMakeDirectoryLocal", "LocalMakeFolder", "Make local folder"},
    {"sbFTP", "siFTPCopyLocalToFTP", "LocalCopy", "Copy local file to FTP"},
    {"sbFTP", "siFTPRenameLocalFile", "LocalRename", "Rename local file", Hidden},
    {"sbFTP", "siFTPDeleteOnLocal", "LocalDelete", "Delete file on local folder"},
    {"pmsbFTP", "misbFTPConfigure", "ConfigureFTPToolbar", "&Configure"},

    {"pmlvRemoteFiles", "milvRemoteRefresh", "RemoteRefresh", "Refresh folder"},
    {"pmlvRemoteFiles", "milvRemoteRoot", "RemoteRoot", "Root folder"},
    {"pmlvRemoteFiles", "milvRemoteUp", "RemoteUp", "One folder up"},
    {"pmlvRemoteFiles", "milvRemoteCreateFolder", "RemoteMakeFolder", "Create folder"},
    {"pmlvRemoteFiles", "milvRemoteCopy", "RemoteCopy", "Copy file(s)"},
    {"pmlvRemoteFiles", "milvRemoteRename", "RemoteRename", "Rename file(s)"},
    {"pmlvRemoteFiles", "milvRemoteDelete", "RemoteDelete", "Delete file(s)"},

    {"pmlvLocalFiles", "milvLocalRefresh", "LocalRefresh", "Refresh folder"},
    {"pmlvLocalFiles", "milvLocalRoot", "LocalRoot", "Root folder"},
    {"pmlvLocalFiles", "milvLocalUp", "LocalUp", "One folder up"},
    {"pmlvLocalFiles", "milvLocalCreateFolder", "LocalMakeFolder", "Create folder"},
    {"pmlvLocalFiles", "milvLocalCopy", "LocalCopy", "Copy file(s)"},
    {"pmlvLocalFiles", "milvLocalRename", "LocalRename", "Rename file(s)"},
    {"pmlvLocalFiles", "milvLocalDelete", "LocalDelete", "Delete file(s)"},

    // Pause and Restart form one group on the toolbar: exactly one is down.
    {"sbTransfers", "=ssTransfer", nullptr, nullptr},
    {"sbTransfers", "siTransferStop", "TransferStop", "Stop current transfer", Disabled},
    {"sbTransfers", "siTransferPause", "TransferPause", "Pause transfer", Checkable | Disabled},
    {"sbTransfers", "siTransferRestart", "TransferRestart", "Restart transfer",
     Checkable | Checked | Disabled},
    {"sbTransfers", "siTransferDelete", "TransferDelete", "Delete selected jobs", Disabled},
    {"sbTransfers", "siTransferRetry", "TransferRetry", "Retry failed jobs", Disabled},
    {"sbTransfers", "siTransferLoad", "TransferLoad", "Load transferlist", Disabled},
    {"sbTransfers", "siTransferSave", "TransferSave", "Save transferlist", Disabled},

    // Tray entries show no pictures.
    {"pmTray", "mistRestorePagewright", "RestoreFromTray", "&Restore Pagewright", Default},
    {"pmTray", "mistDropperWindow", "DropperWindow", "Dropper Window", Checkable | NoPicture},
    {"pmTray", "-", nullptr, nullptr},
    {"pmTray", "mistExit", "Exit", "E&xit", NoPicture},
};

const Command& commandNamed(const char* name) {
    for (const Command& c : kCommands)
        if (qstrcmp(c.name, name) == 0) return c;
    qFatal("CommandTable: no command %s", name);
}

bool isItem(const Placement& p) {
    return p.command != nullptr;
}
} // namespace

CommandTable::CommandTable(QWidget* owner, UserPrompts& prompts)
    : QObject(owner), m_owner(owner), m_prompts(prompts) {
    for (const Placement& p : kPlacements) {
        if (!isItem(p)) continue;
        const Command& c = commandNamed(p.command);
        auto* action = new QAction(QString::fromLatin1(p.caption), owner);
        const QString name = QString::fromLatin1(p.name);
        action->setObjectName(name);
        action->setProperty("command", QByteArray(p.command));
        const bool menuItem = p.container[0] == 'm' && p.container[1] == 'i';
        if (c.glyph != G::Program && !(p.flags & NoPicture)) action->setIcon(MainPicture(c.glyph));
        if (menuItem) {
            QList<QKeySequence> keys;
            for (QKeyCombination k : {c.key1, c.key2})
                if (k.key() != Qt::Key_unknown) keys << QKeySequence(k);
            action->setShortcuts(keys);
        }
        action->setCheckable(p.flags & Checkable);
        action->setChecked(p.flags & Checked);
        action->setVisible(!(p.flags & Hidden));
        action->setEnabled(!(p.flags & Disabled));
        if (p.flags & Default) {
            QFont bold = action->font();
            bold.setBold(true);
            action->setFont(bold);
        }
        m_items.insert(name, action);
        m_names << name;
    }
}

QList<QAction*> CommandTable::Items(const char* command) const {
    QList<QAction*> items;
    for (const Placement& p : kPlacements)
        if (isItem(p) && qstrcmp(p.command, command) == 0)
            items << Item(QString::fromLatin1(p.name));
    return items;
}

void CommandTable::Fill(QMenu* menu, const char* container) {
    for (const Placement& p : kPlacements) {
        if (qstrcmp(p.container, container) != 0) continue;
        if (isItem(p)) {
            menu->addAction(Item(QString::fromLatin1(p.name)));
        } else if (p.name[0] == '>') {
            QMenu* sub = menu->addMenu(QString::fromLatin1(p.caption));
            sub->setObjectName(QString::fromLatin1(p.name + 1));
            Fill(sub, p.name + 1);
        } else {
            menu->addSeparator();
        }
    }
}

void CommandTable::Fill(QToolBar* toolbar, const char* container) {
    for (const Placement& p : kPlacements) {
        if (qstrcmp(p.container, container) != 0) continue;
        if (isItem(p)) {
            toolbar->addAction(Item(QString::fromLatin1(p.name)));
            continue;
        }
        QAction* separator = toolbar->addSeparator();
        if (p.name[0] == '=') separator->setObjectName(QString::fromLatin1(p.name + 1));
        separator->setVisible(!(p.flags & Hidden));
    }
}

QMenu* CommandTable::MakePopup(QWidget* parent, const char* container) {
    auto* menu = new QMenu(parent);
    menu->setObjectName(QString::fromLatin1(container));
    Fill(menu, container);
    return menu;
}

QActionGroup* CommandTable::MakeGroup(const char* command, QObject* parent) {
    auto* group = new QActionGroup(parent);
    group->setExclusive(true);
    for (QAction* a : Items(command))
        group->addAction(a);
    return group;
}

void CommandTable::On(const char* command, std::function<void()> work) {
    commandNamed(command); // a misspelt command stops the program at once
    const auto run = [this, work] {
        try {
            work();
        } catch (const std::exception& e) {
            m_prompts.ShowError(m_owner, QString::fromLocal8Bit(e.what()));
        }
    };
    for (QAction* action : Items(command))
        connect(action, &QAction::triggered, this, run);
}
