// The main menu and the tray menu of the main window.
#include "gui/app/TfmMain.h"

#include "gui/ui/MainPictures.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>
#include <QSystemTrayIcon>
#include <QToolButton>

namespace {
int g(MainGlyph glyph) {
    return static_cast<int>(glyph);
}
} // namespace

QAction* TfmMain::item(QAction*& member, const char* name, const QString& text, int glyph) {
    member = new QAction(text, this);
    member->setObjectName(QString::fromLatin1(name));
    if (glyph >= 0) member->setIcon(MainPicture(static_cast<MainGlyph>(glyph)));
    return member;
}

void TfmMain::buildMenus() {
    QMenuBar* bar = menuBar();
    const auto menu = [&](QMenu*& member, const char* name, const QString& title) {
        member = bar->addMenu(title);
        member->setObjectName(QString::fromLatin1(name));
        return member;
    };

    menu(miFile, "miFile", "&File");
    miFile->addAction(item(miNewServer, "miNewServer", "New Server Wizard..."));
    miFile->addAction(item(miNewNewsfile, "miNewNewsfile", "New Newsfile Wizard..."));
    miFile->addSeparator();
    miFile->addAction(item(miDropperWindow, "miDropperWindow", "Dropper Window"));
    miDropperWindow->setCheckable(true);
    miDropperWindow->setShortcut(QKeySequence(Qt::ALT | Qt::Key_D));
    miFile->addAction(
        item(miMinimizeToTray, "miMinimizeToTray", "&Minimize to Tray", g(MainGlyph::Tray)));
    miFile->addAction(
        item(miConfiguration, "miConfiguration", "&Configuration", g(MainGlyph::Configuration)));
    miConfiguration->setShortcuts(
        {QKeySequence(Qt::ALT | Qt::Key_Return), QKeySequence(Qt::ALT | Qt::Key_Enter)});
    miFile->addSeparator();
    miFile->addAction(item(miExit, "miExit", "E&xit", g(MainGlyph::Exit)));
    miExit->setShortcut(QKeySequence(Qt::ALT | Qt::Key_X));

    menu(miNews, "miNews", "&News");
    miNews->addAction(item(miNewsGoto, "miNewsGoto", "Goto News page"));
    miNewsGoto->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_1));
    miNews->addSeparator();
    miNews->addAction(item(miNewsStart, "miNewsStart", "&Start", g(MainGlyph::Start)));
    miNews->addAction(item(miNewsStop, "miNewsStop", "St&op", g(MainGlyph::Stop)));
    miNews->addAction(item(miNewsPost, "miNewsPost", "&Post", g(MainGlyph::Post)));
    miNews->addSeparator();
    miNews->addAction(item(miNewsPreview, "miNewsPreview", "Preview", g(MainGlyph::Preview)));
    miNews->addSeparator();
    miNews->addAction(item(miNewsNew, "miNewsNew", "New News", g(MainGlyph::New)));
    miNews->addAction(item(miNewsDelete, "miNewsDelete", "Delete News", g(MainGlyph::Delete)));
    miNews->addSeparator();
    miNews->addAction(item(miNewsFirst, "miNewsFirst", "Oldest News", g(MainGlyph::First)));
    miNews->addAction(item(miNewsPrev, "miNewsPrev", "Older News", g(MainGlyph::Prior)));
    miNews->addAction(item(miNewsNext, "miNewsNext", "Newer News", g(MainGlyph::Next)));
    miNews->addAction(item(miNewsLast, "miNewsLast", "Newest News", g(MainGlyph::Last)));
    miNews->addSeparator();
    miNews->addAction(
        item(miNewsEditHeader, "miNewsEditHeader", "Edit Header", g(MainGlyph::EditHeader)));
    miNews->addAction(
        item(miNewsEditFooter, "miNewsEditFooter", "Edit Footer", g(MainGlyph::EditFooter)));

    menu(miLinks, "miLinks", "&Links");
    miLinks->addAction(item(miLinksGoto, "miLinksGoto", "Goto Links page"));
    miLinksGoto->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_2));
    miLinks->addSeparator();
    miLinks->addAction(item(miLinksStart, "miLinksStart", "&Start", g(MainGlyph::Start)));
    miLinks->addAction(item(miLinksStop, "miLinksStop", "St&op", g(MainGlyph::Stop)));
    miLinks->addAction(item(miLinksPost, "miLinksPost", "&Post", g(MainGlyph::Post)));
    miLinksStop->setEnabled(false); // the links page never loads anything
    miLinksPost->setEnabled(false);
    miLinks->menuAction()->setVisible(false);

    menu(miFTP, "miFTP", "FT&P");
    miFTP->addAction(item(miFTPGoto, "miFTPGoto", "Goto FTP page"));
    miFTPGoto->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_3));
    miFTP->addSeparator();
    miFTP->addAction(item(miFTPConnect, "miFTPConnect", "&Connect", g(MainGlyph::Connect)));
    miFTP->addAction(
        item(miFTPQuickConnect, "miFTPQuickConnect", "Quick Connect", g(MainGlyph::QuickConnect)));
    miFTP->addAction(
        item(miFTPDisconnect, "miFTPDisconnect", "&Disconnect", g(MainGlyph::Disconnect)));
    miFTP->addSeparator();
    miFTPRemote = miFTP->addMenu("Remote");
    miFTPRemote->setObjectName("miFTPRemote");
    miFTPRemote->addAction(
        item(miFTPRefreshFTP, "miFTPRefreshFTP", "Refresh FTP folder", g(MainGlyph::Refresh)));
    miFTPRemote->addAction(
        item(miFTPRemoteDirRoot, "miFTPRemoteDirRoot", "Goto root folder", g(MainGlyph::Root)));
    miFTPRemote->addAction(
        item(miFTPRemoteDirUp, "miFTPRemoteDirUp", "Go one folder up", g(MainGlyph::Up)));
    miFTPRemote->addAction(item(miFTPMakeDirectoryFTP, "miFTPMakeDirectoryFTP",
                                "Make folder on FTP", g(MainGlyph::MakeFolder)));
    miFTPRemote->addSeparator();
    miFTPRemote->addAction(item(miFTPCopyFTPToLocal, "miFTPCopyFTPToLocal",
                                "Copy file from FTP to local folder", g(MainGlyph::CopyRight)));
    miFTPRemote->addAction(item(miFTPRenameRemoteFile, "miFTPRenameRemoteFile",
                                "Rename file on FTP", g(MainGlyph::Rename)));
    miFTPRemote->addAction(
        item(miFTPDeleteOnFTP, "miFTPDeleteOnFTP", "Delete file on FTP", g(MainGlyph::Delete)));
    miFTPRemote->addSeparator();
    // The remote list has one fixed order; its sort items are shown but never enabled.
    auto* remoteSort = new QActionGroup(this);
    for (auto [member, name, text] :
         {std::tuple{&miFTPRemoteSortUnsorted, "miFTPRemoteSortUnsorted", "Unsorted"},
          std::tuple{&miFTPRemoteSortName, "miFTPRemoteSortName", "Sort after Name"},
          std::tuple{&miFTPRemoteSortExtension, "miFTPRemoteSortExtension", "Sort after Extension"},
          std::tuple{&miFTPRemoteSortTimeDate, "miFTPRemoteSortTimeDate",
                     "Sort after Time && Date"},
          std::tuple{&miFTPRemoteSortSize, "miFTPRemoteSortSize", "Sort after Size"}}) {
        miFTPRemote->addAction(item(*member, name, text));
        (*member)->setCheckable(true);
        (*member)->setEnabled(false);
        remoteSort->addAction(*member);
    }
    miFTPRemoteSortName->setChecked(true);

    miFTPLocal = miFTP->addMenu("Local");
    miFTPLocal->setObjectName("miFTPLocal");
    miFTPLocal->addAction(item(miFTPRefreshLocal, "miFTPRefreshLocal", "Refresh local folder",
                               g(MainGlyph::Refresh)));
    miFTPLocal->addAction(
        item(miFTPLocalDirRoot, "miFTPLocalDirRoot", "Goto root folder", g(MainGlyph::Root)));
    miFTPLocal->addAction(
        item(miFTPLocalDirUp, "miFTPLocalDirUp", "Go one folder up", g(MainGlyph::Up)));
    miFTPLocal->addAction(item(miFTPMakeDirectoryLocal, "miFTPMakeDirectoryLocal",
                               "Make local folder", g(MainGlyph::MakeFolder)));
    miFTPLocal->addSeparator();
    miFTPLocal->addAction(item(miFTPCopyLocalToFTP, "miFTPCopyLocalToFTP", "Copy local file to FTP",
                               g(MainGlyph::CopyLeft)));
    miFTPLocal->addAction(item(miFTPRenameLocalFile, "miFTPRenameLocalFile", "Rename local file",
                               g(MainGlyph::Rename)));
    miFTPLocal->addAction(item(miFTPDeleteOnLocal, "miFTPDeleteOnLocal",
                               "Delete file on local directory", g(MainGlyph::Delete)));
    miFTPLocal->addSeparator();
    agFTPLocalSort = new QActionGroup(this);
    for (auto [member, name, text] :
         {std::tuple{&miFTPLocalSortUnsorted, "miFTPLocalSortUnsorted", "Unsorted"},
          std::tuple{&miFTPLocalSortName, "miFTPLocalSortName", "Sort after Name"},
          std::tuple{&miFTPLocalSortExtension, "miFTPLocalSortExtension", "Sort after Extension"},
          std::tuple{&miFTPLocalSortTimeDate, "miFTPLocalSortTimeDate", "Sort after Time && Date"},
          std::tuple{&miFTPLocalSortSize, "miFTPLocalSortSize", "Sort after Size"}}) {
        miFTPLocal->addAction(item(*member, name, text));
        (*member)->setCheckable(true);
        agFTPLocalSort->addAction(*member);
    }
    miFTPLocalSortName->setChecked(true);

    miFTP->addSeparator();
    for (auto [member, name, text, key] :
         {std::tuple{&miFTPRenameFile, "miFTPRenameFile", "Rename file/folder", Qt::Key_F2},
          std::tuple{&miFTPRefreshFolder, "miFTPRefreshFolder", "Refresh folder", Qt::Key_F3},
          std::tuple{&miFTPEditOnlineHtml, "miFTPEditOnlineHtml", "Edit file on FTP", Qt::Key_F4},
          std::tuple{&miFTPCopyFile, "miFTPCopyFile", "Copy file", Qt::Key_F5},
          std::tuple{&miFTPMoveFile, "miFTPMoveFile", "Move file", Qt::Key_F6},
          std::tuple{&miFTPMakeFolder, "miFTPMakeFolder", "Make folder", Qt::Key_F7},
          std::tuple{&miFTPDeleteFile, "miFTPDeleteFile", "Delete file/folder", Qt::Key_F8}}) {
        miFTP->addAction(item(*member, name, text));
        (*member)->setShortcut(QKeySequence(key));
        (*member)->setEnabled(false);
    }

    menu(miTransfer, "miTransfer", "&Transfer");
    miTransfer->addAction(item(miTransferGoto, "miTransferGoto", "Goto Transfer page"));
    miTransferGoto->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_4));
    miTransfer->addSeparator();
    miTransfer->addAction(
        item(miTransferStop, "miTransferStop", "Stop transfer", g(MainGlyph::Stop)));
    miTransfer->addAction(
        item(miTransferRestart, "miTransferRestart", "Restart transfer", g(MainGlyph::Restart)));
    miTransfer->addAction(
        item(miTransferPause, "miTransferPause", "Pause transfer", g(MainGlyph::Pause)));
    miTransfer->addSeparator();
    miTransfer->addAction(
        item(miTransferDelete, "miTransferDelete", "Delete selected jobs", g(MainGlyph::Delete)));
    miTransfer->addSeparator();
    miTransfer->addAction(
        item(miTransferLoad, "miTransferLoad", "Load filelist...", g(MainGlyph::Load)));
    miTransfer->addAction(
        item(miTransferSave, "miTransferSave", "Save filelist...", g(MainGlyph::Save)));
    for (QAction* a : {miTransferStop, miTransferRestart, miTransferPause, miTransferDelete,
                       miTransferLoad, miTransferSave})
        a->setEnabled(false);

    menu(miHelp, "miHelp", "&Help");
    miHelp->addAction(item(miHelpAbout, "miHelpAbout", "&About", g(MainGlyph::About)));
    miHelpAbout->setShortcut(QKeySequence(Qt::Key_F1));

    // The caption-bar button, at the right end of the menu bar.
    wiMinimizeToTray = new QToolButton(bar);
    wiMinimizeToTray->setObjectName("wiMinimizeToTray");
    wiMinimizeToTray->setIcon(MainPicture(MainGlyph::Tray));
    wiMinimizeToTray->setToolTip("Minimize to Tray");
    wiMinimizeToTray->setAutoRaise(true);
    wiMinimizeToTray->setFocusPolicy(Qt::NoFocus);
    bar->setCornerWidget(wiMinimizeToTray, Qt::TopRightCorner);
}

void TfmMain::buildTray() {
    pmTray = new QMenu(this);
    pmTray->setObjectName("pmTray");
    pmTray->addAction(item(mistRestorePagewright, "mistRestorePagewright", "&Restore Pagewright"));
    QFont bold = mistRestorePagewright->font();
    bold.setBold(true);
    mistRestorePagewright->setFont(bold); // the default entry
    pmTray->addAction(item(mistDropperWindow, "mistDropperWindow", "Dropper Window"));
    mistDropperWindow->setCheckable(true);
    mistDropperWindow->setEnabled(TfmMain::HasFunction("miDropperWindow"));
    pmTray->addSeparator();
    pmTray->addAction(item(mistExit, "mistExit", "E&xit"));

    TrayIcon = new QSystemTrayIcon(MainPicture(MainGlyph::Program), this);
    TrayIcon->setObjectName("TrayIcon");
    TrayIcon->setToolTip("Pagewright v2.0");
    TrayIcon->setContextMenu(pmTray);
    connect(TrayIcon, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
                    RestoreFromTray();
            });
}
