#include "gui/app/TfmMain.h"

#include "core/app/DropTarget.h"
#include "core/app/WindowPlacement.h"
#include "core/config/ConfigLocation.h"
#include "core/config/ConfigSteps.h"
#include "core/config/Visibility.h"
#include "core/news/NewsFormat.h"
#include "core/storage/FileIO.h"
#include "core/storage/nkErrors.h"
#include "gui/dialogs/TfmAbout.h"
#include "gui/dialogs/TfmConfiguration.h"
#include "gui/dialogs/TfmNewServer.h"
#include "gui/ftp/FtpSession.h"
#include "gui/ui/AnimatedImage.h"
#include "gui/ui/Cp1252Text.h"
#include "gui/ui/DBComboBox.h"
#include "gui/ui/DBFieldLink.h"
#include "gui/ui/GaugeStatusBar.h"
#include "gui/ui/MainPictures.h"
#include "gui/ui/ToolbarCustomizer.h"
#include "gui/ui/WorkerThread.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QSplitter>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QThread>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

using namespace pw;

namespace {
// Commands whose work has not been built into this version: they show, but never enable, so
// that nothing looks as if it worked and does nothing.
const QStringList kWithoutFunction{"miNewsStart",
                                   "siNewsStart",
                                   "miFTPConnect",
                                   "siFTPConnect",
                                   "miFTPQuickConnect",
                                   "siFTPQuickConnect",
                                   "miFTPRefreshLocal",
                                   "siFTPRefreshLocal",
                                   "milvLocalRefresh",
                                   "miFTPMakeDirectoryLocal",
                                   "siFTPMakeDirectoryLocal",
                                   "milvLocalCreateFolder",
                                   "miNewNewsfile",
                                   "miDropperWindow"};

} // namespace

TfmMain::TfmMain(QWidget* parent) : QMainWindow(parent), NewsSource(&NewsData, NewsFields()) {
    setObjectName("fmMain");
    setWindowTitle("Pagewright v2.0 beta 1");
    setWindowIcon(MainPicture(MainGlyph::Program));
    FirstActivationDone = false;
    NewsSource.Loaded();

    Hooks.RunDialog = [](QDialog& dialog) { dialog.exec(); };
    Hooks.ShowError = [this](const QString& message) {
        QMessageBox::warning(this, "Pagewright", message);
    };
    Hooks.AskYesNo = [this](const QString& caption, const QString& text) {
        return QMessageBox::question(this, caption, text, QMessageBox::Yes | QMessageBox::No) ==
               QMessageBox::Yes;
    };
    Hooks.StopTransferWorker = [this] { thTransfer->Stop(); };

    // One FTP session for each part that connects; each owns the workers that use it.
    m_newsSession = new FtpSession("NewsSession", this);
    m_remoteSession = new FtpSession("RemoteSession", this);
    m_transferSession = new FtpSession("TransferSession", this);
    thNews = &m_newsSession->Worker("thNews");
    thNewsPosting = &m_newsSession->Worker("thNewsPosting");
    thFTPConnect = &m_remoteSession->Worker("thFTPConnect");
    thFTPRefresh = &m_remoteSession->Worker("thFTPRefresh");
    thTransfer = &m_transferSession->Worker("thTransfer");

    buildMenus();
    buildMainToolbar();
    PageControl = new QTabWidget(this);
    PageControl->setObjectName("PageControl");
    setCentralWidget(PageControl);
    buildNewsPage();
    buildFTPPage();
    buildTransfersPage();
    buildTray();
    registerItems();
    connectCommands();

    resize(545, 422);
    setMinimumSize(545, 422);

    // Creation steps: states idle (the members start so), the transfer-list lock and the page
    // lines exist as members; then the configuration, the placement, the choosers and the
    // drop window's target.
    ReloadConfigFile(false);
    ApplyWindowPlacement();
    SettingsSource.Notify("NewsConfiguration");
    SetDropTargetFromConfiguration(ConfigSource, SettingsSource.GetInteger("FTPConfiguration"));
    // Every control exists from here on and is touched only on the GUI thread, so no native
    // window has to be forced into being ahead of the workers.
}

TfmMain::~TfmMain() {
    // Running workers are stopped, their connections cut and their threads joined now, while
    // the tables, the transfer-list lock and the controls their handlers use still exist.
    for (FtpSession** session : {&m_newsSession, &m_remoteSession, &m_transferSession}) {
        delete *session;
        *session = nullptr;
    }
    thNews = thNewsPosting = thFTPConnect = thFTPRefresh = thTransfer = nullptr;
    // Focus changes while the widgets go away must not reach this half-destroyed window.
    disconnect(qApp, nullptr, this, nullptr);
    NewsSource.OnChange = nullptr;
    // The data-aware controls are destroyed after the record sources they follow.
    UnlinkDBControls(this);
}

// ---- activity states ------------------------------------------------------------------------

void TfmMain::RunOnGuiThread(std::function<void()> step) {
    if (QThread::currentThread() == thread())
        step();
    else
        QMetaObject::invokeMethod(this, std::move(step), Qt::QueuedConnection);
}

void TfmMain::setState(std::atomic<ActivityState>& state, ActivityState value) {
    RunOnGuiThread([this, &state, value] {
        state = value;
        UpdateCommandStates();
    });
}

void TfmMain::SetNewsState(ActivityState state) {
    setState(m_newsState, state);
}
void TfmMain::SetLinksState(ActivityState state) {
    setState(m_linksState, state);
}
void TfmMain::SetFTPState(ActivityState state) {
    setState(m_ftpState, state);
}
void TfmMain::SetTransferState(ActivityState state) {
    setState(m_transferState, state);
}

void TfmMain::SetLocalRefreshing(bool on) {
    RunOnGuiThread([this, on] {
        m_localRefreshing = on;
        imFTPLocalRefresh->setVisible(on);
        UpdateCommandStates();
    });
}

void TfmMain::SetRemoteRefreshing(bool on) {
    RunOnGuiThread([this, on] {
        m_remoteRefreshing = on;
        imFTPRemoteRefresh->setVisible(on);
        UpdateCommandStates();
    });
}

// ---- command refresh ------------------------------------------------------------------------

void TfmMain::registerItems() {
    const QStringList others{"cbNewsConfig", "cbFTPConfig", "cbLocalDrives", "wiMinimizeToTray"};
    for (const auto& [name, enabled] : ComputeCommandStates({}).Items) {
        const QString n = QString::fromStdString(name);
        if (n == "sbaNews.0") continue;
        QObject* object = others.contains(n) ? static_cast<QObject*>(findChild<QWidget*>(n))
                                             : findChild<QAction*>(n);
        Q_ASSERT_X(object, "TfmMain", qPrintable(n));
        m_items.insert(n, object);
    }
}

bool TfmMain::HasFunction(const QString& item) {
    return !kWithoutFunction.contains(item);
}

CommandInputs TfmMain::CurrentCommandInputs() {
    CommandInputs in;
    in.States = {NewsState(), LinksState(), FTPState(), TransferState()};
    in.LocalRefreshing = LocalRefreshing();
    in.RemoteRefreshing = RemoteRefreshing();
    in.ConfigCount = ConfigSource.RecordCount();
    in.NewsRecordCount = NewsSource.RecordCount();
    in.NewsRecNo = NewsSource.RecNo();
    in.RemoteSelected = !lvRemoteFiles->selectedItems().isEmpty();
    in.LocalSelected = !lvLocalFiles->selectedItems().isEmpty();
    in.TransferSelected = !lvTransfer->selectedItems().isEmpty();
    in.RemotePathLength = labRemotePath->text().size();
    const QString local = labLocalPath->text();
    in.LocalPathIsRoot = local.isEmpty() || QDir(local).isRoot();
    in.TransferPauseDown = siTransferPause->isChecked();
    in.TransferRestartDown = siTransferRestart->isChecked();
    in.PreviewLoaded = PreviewLoaded;
    return in;
}

void TfmMain::UpdateCommandStates() {
    if (m_refreshing) return; // reading the news cursor may notify and call back
    m_refreshing = true;
    const CommandStates states = ComputeCommandStates(CurrentCommandInputs());
    for (auto [name, enabled] : states.Items) {
        if (name == "sbaNews.0") {
            sbaNews->SetPanelEnabled(0, enabled);
            continue;
        }
        const QString item = QString::fromStdString(name);
        QObject* object = m_items.value(item);
        enabled = enabled && HasFunction(item);
        if (auto* action = qobject_cast<QAction*>(object))
            action->setEnabled(enabled);
        else if (auto* widget = qobject_cast<QWidget*>(object))
            widget->setEnabled(enabled);
    }
    if (QAction* bolt = findChild<QAction*>("BoltAnimationItem"))
        bolt->setVisible(states.AnimationActive);
    BoltAnimation->SetActive(states.AnimationActive);
    updateFunctionKeyItems();
    m_refreshing = false;
}

// The function-key items act on the list that has the focus, through the item of that
// list's command; they follow that item's enabled state.
void TfmMain::updateFunctionKeyItems() {
    QWidget* focus = QApplication::focusWidget();
    const bool remote = focus == lvRemoteFiles;
    const bool local = focus == lvLocalFiles;
    const auto follows = [&](QAction* remoteItem, QAction* localItem) {
        return (remote && remoteItem->isEnabled()) || (local && localItem->isEnabled());
    };
    const bool selected = (remote && !lvRemoteFiles->selectedItems().isEmpty()) ||
                          (local && !lvLocalFiles->selectedItems().isEmpty());
    miFTPRenameFile->setEnabled(selected);
    miFTPRefreshFolder->setEnabled(follows(miFTPRefreshFTP, miFTPRefreshLocal));
    miFTPCopyFile->setEnabled(follows(miFTPCopyFTPToLocal, miFTPCopyLocalToFTP));
    miFTPMakeFolder->setEnabled(follows(miFTPMakeDirectoryFTP, miFTPMakeDirectoryLocal));
    miFTPDeleteFile->setEnabled(follows(miFTPDeleteOnFTP, miFTPDeleteOnLocal));
}

// ---- configuration --------------------------------------------------------------------------

void TfmMain::fillChooser(DBComboBox* chooser, const char* settingsField) {
    chooser->clear();
    for (int i = 0; i < ConfigSource.RecordCount(); ++i)
        chooser->addItem(FromCp1252(ConfigSource.GetString(i, "Name")));
    if (chooser->DataSource() != &SettingsSource)
        chooser->SetDataSource(&SettingsSource, settingsField);
    else
        SettingsSource.Notify(settingsField);
}

bool TfmMain::ReloadConfigFile(bool keepChoices) {
    ReloadSteps steps;
    steps.selectNewsConfiguration = [this] {
        fillChooser(cbNewsConfig, "NewsConfiguration");
        if (Hooks.SelectNewsConfiguration) Hooks.SelectNewsConfiguration();
    };
    steps.applyVisibility = [this] { ApplyVisibility(); };
    steps.selectFTPConfiguration = [this] {
        fillChooser(cbFTPConfig, "FTPConfiguration");
        if (Hooks.SelectFTPConfiguration) Hooks.SelectFTPConfiguration();
    };
    steps.updateCommandStates = [this] { UpdateCommandStates(); };
    const std::string path = ConfigFilePath();
    try {
        const bool loaded = ReloadConfiguration(Config, path, keepChoices, steps);
        m_loadFailed = false;
        return loaded;
    } catch (const std::exception& e) {
        // What was read before the damage stays; the file itself is left alone until it has
        // been read successfully once more.
        m_loadFailed = true;
        UpdateCommandStates();
        Hooks.ShowError(QString("The configuration file %1 could not be read:\n%2")
                            .arg(QString::fromStdString(path), QString::fromStdString(e.what())));
        return false;
    }
}

void TfmMain::ApplyVisibility() {
    const VisibilitySettings v = ReadVisibility(SettingsSource);
    PageControl->setTabVisible(PageControl->indexOf(tsNews), v.pageNews);
    PageControl->setTabVisible(PageControl->indexOf(tsFTP), v.pageFTP);
    PageControl->setTabVisible(PageControl->indexOf(tsTransfers), v.pageTransfers);
    sbMain->setVisible(v.speedbar);
    wiMinimizeToTray->setVisible(v.minimizeToTray);
    miNews->menuAction()->setVisible(v.menuNews);
    miFTP->menuAction()->setVisible(v.menuFTP);
    miTransfer->menuAction()->setVisible(v.menuTransfer);
}

void TfmMain::ApplyWindowPlacement() {
    // The bounds are those of the window's client area, as the close path writes them.
    const StoredBounds b = ReadStoredBounds(SettingsSource);
    if (b.Width || b.Height) resize(b.Width.value_or(width()), b.Height.value_or(height()));
    // Only a stored edge fixes the position; otherwise the system places the window.
    if (!b.Left && !b.Top) return;
    QRect g = geometry();
    if (b.Left) g.moveLeft(*b.Left);
    if (b.Top) g.moveTop(*b.Top);
    setGeometry(g);
}

void TfmMain::ApplyPaneSplit() {
    m_splitPending = PageControl->currentWidget() != tsFTP;
    QWidget* page = PageControl->currentWidget();
    const int pageWidth = page ? page->width() : tsFTP->width();
    const int remote = RemotePaneWidth(pageWidth);
    spFTP->setSizes({remote, std::max(0, pageWidth - spFTP->handleWidth() - remote)});
}

// ---- commands -------------------------------------------------------------------------------

void TfmMain::connectCommands() {
    const auto on = [this](std::initializer_list<QAction*> actions, auto handler) {
        for (QAction* a : actions)
            connect(a, &QAction::triggered, this, handler);
    };
    on({miNewServer}, [this] { NewServerCommand(); });
    on({miNewNewsfile}, [this] {
        if (Hooks.NewNewsfileWizard) Hooks.NewNewsfileWizard();
    });
    on({miConfiguration, siConfiguration}, [this] { ConfigurationCommand(); });
    on({miHelpAbout, siHelpAbout}, [this] { AboutCommand(); });
    on({miMinimizeToTray, siMinimizeToTray}, [this] { MinimizeToTray(); });
    connect(wiMinimizeToTray, &QToolButton::clicked, this, [this] { MinimizeToTray(); });
    on({mistRestorePagewright}, [this] { RestoreFromTray(); });
    on({miExit, siExit, mistExit}, [this] { close(); });
    on({miDropperWindow, mistDropperWindow}, [this] {
        if (Hooks.ToggleDropperWindow) Hooks.ToggleDropperWindow();
    });
    on({miNewsGoto}, [this] { GotoPage(tsNews); });
    on({miLinksGoto, miLinksStart, miLinksStop, miLinksPost, siLinksStart},
       [this] { GotoPage(tsLinks); });
    on({miFTPGoto}, [this] { GotoPage(tsFTP); });
    on({miTransferGoto}, [this] { GotoPage(tsTransfers); });

    // Pause and Restart press their toolbar button down; the queue reads the buttons.
    on({miTransferPause, siTransferPause}, [this] {
        siTransferPause->setChecked(true);
        UpdateCommandStates();
    });
    on({miTransferRestart, siTransferRestart}, [this] {
        siTransferRestart->setChecked(true);
        UpdateCommandStates();
    });

    // The function-key items run the command of the list that has the focus.
    const auto forward = [this](QAction* fkey, QAction* remoteItem, QAction* localItem) {
        connect(fkey, &QAction::triggered, this, [this, remoteItem, localItem] {
            QWidget* focus = QApplication::focusWidget();
            QAction* target = focus == lvRemoteFiles  ? remoteItem
                              : focus == lvLocalFiles ? localItem
                                                      : nullptr;
            if (target && target->isEnabled()) target->trigger();
        });
    };
    forward(miFTPRenameFile, miFTPRenameRemoteFile, miFTPRenameLocalFile);
    forward(miFTPRefreshFolder, miFTPRefreshFTP, miFTPRefreshLocal);
    forward(miFTPCopyFile, miFTPCopyFTPToLocal, miFTPCopyLocalToFTP);
    forward(miFTPMakeFolder, miFTPMakeDirectoryFTP, miFTPMakeDirectoryLocal);
    forward(miFTPDeleteFile, miFTPDeleteOnFTP, miFTPDeleteOnLocal);
    connect(miFTP, &QMenu::aboutToShow, this, [this] { updateFunctionKeyItems(); });
    connect(qApp, &QApplication::focusChanged, this, [this] { updateFunctionKeyItems(); });

    // Toolbar buttons and pop-up items run their menu item's handler.
    const auto copies = [this](QAction* menuItem, std::initializer_list<QAction*> others) {
        for (QAction* other : others)
            connect(other, &QAction::triggered, menuItem, &QAction::trigger);
    };
    copies(miNewsStart, {siNewsStart});
    copies(miNewsStop, {siNewsStop});
    copies(miNewsPost, {siNewsPost});
    copies(miNewsPreview, {siNewsPreview});
    copies(miNewsNew, {siNewsNew});
    copies(miNewsDelete, {siNewsDelete});
    copies(miNewsFirst, {siNewsFirst});
    copies(miNewsPrev, {siNewsPrev});
    copies(miNewsNext, {siNewsNext});
    copies(miNewsLast, {siNewsLast});
    copies(miNewsEditHeader, {siNewsEditHeader});
    copies(miNewsEditFooter, {siNewsEditFooter});
    copies(miFTPConnect, {siFTPConnect});
    copies(miFTPDisconnect, {siFTPDisconnect});
    copies(miFTPQuickConnect, {siFTPQuickConnect});
    copies(miFTPRefreshFTP, {siFTPRefreshFTP, milvRemoteRefresh});
    copies(miFTPRemoteDirRoot, {siFTPRemoteDirRoot, milvRemoteRoot});
    copies(miFTPRemoteDirUp, {siFTPRemoteDirUp, milvRemoteUp});
    copies(miFTPMakeDirectoryFTP, {siFTPMakeDirectoryFTP, milvRemoteCreateFolder});
    copies(miFTPCopyFTPToLocal, {siFTPCopyFTPToLocal, milvRemoteCopy});
    copies(miFTPRenameRemoteFile, {siFTPRenameRemoteFile, milvRemoteRename});
    copies(miFTPDeleteOnFTP, {siFTPDeleteOnFTP, milvRemoteDelete});
    copies(miFTPRefreshLocal, {siFTPRefreshLocal, milvLocalRefresh});
    copies(miFTPLocalDirRoot, {siFTPLocalDirRoot, milvLocalRoot});
    copies(miFTPLocalDirUp, {siFTPLocalDirUp, milvLocalUp});
    copies(miFTPMakeDirectoryLocal, {siFTPMakeDirectoryLocal, milvLocalCreateFolder});
    copies(miFTPCopyLocalToFTP, {siFTPCopyLocalToFTP, milvLocalCopy});
    copies(miFTPRenameLocalFile, {siFTPRenameLocalFile, milvLocalRename});
    copies(miFTPDeleteOnLocal, {siFTPDeleteOnLocal, milvLocalDelete});
    copies(miTransferStop, {siTransferStop});
    copies(miTransferDelete, {siTransferDelete});

    // Inputs of the command refresh.
    for (QTreeWidget* list : {lvRemoteFiles, lvLocalFiles, lvTransfer})
        connect(list, &QTreeWidget::itemSelectionChanged, this, [this] { UpdateCommandStates(); });
    NewsSource.OnChange = [this](TnkDBSource& source) {
        const int count = source.RecordCount();
        lbNewsPosition->setText(
            QString("%1/%2").arg(count ? source.CurrentIndex() + 1 : 0).arg(count));
        UpdateCommandStates();
    };
    connect(cbNewsConfig, &QComboBox::activated, this, [this] {
        if (Hooks.SelectNewsConfiguration) Hooks.SelectNewsConfiguration();
    });
    connect(cbFTPConfig, &QComboBox::activated, this, [this] {
        if (Hooks.SelectFTPConfiguration) Hooks.SelectFTPConfiguration();
    });
    connect(PageControl, &QTabWidget::currentChanged, this, [this] {
        if (m_splitPending && PageControl->currentWidget() == tsFTP) ApplyPaneSplit();
    });
}

void TfmMain::NewServerCommand() {
    {
        TfmNewServer wizard(this);
        Hooks.RunDialog(wizard);
    }
    ReloadConfigFile(true);
    activateWindow(); // the keyboard returns to the main window
}

void TfmMain::ConfigurationCommand() {
    {
        TfmConfiguration dialog(this);
        Hooks.RunDialog(dialog);
    }
    ReloadConfigFile(true);
    activateWindow();
}

void TfmMain::AboutCommand() {
    {
        TfmAbout about(this);
        Hooks.RunDialog(about);
    }
    activateWindow(); // the keyboard returns to the main window
}

void TfmMain::GotoPage(QWidget* page) {
    PageControl->setCurrentWidget(page);
}

void TfmMain::CustomizeToolbar(QToolBar* toolbar) {
    ToolbarCustomizer customizer(toolbar, this);
    Hooks.RunDialog(customizer);
}

void TfmMain::MinimizeToTray() {
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        showMinimized();
        return;
    }
    hide();
    TrayIcon->show();
}

void TfmMain::RestoreFromTray() {
    TrayIcon->hide();
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
    activateWindow();
}

// ---- window events --------------------------------------------------------------------------

void TfmMain::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::ActivationChange || !isActiveWindow() || FirstActivationDone)
        return;
    FirstActivationDone = true;
    // The first-run wizard opens once the activation has been handled.
    if (ConfigSource.RecordCount() == 0)
        QMetaObject::invokeMethod(
            this, [this] { NewServerCommand(); }, Qt::QueuedConnection);
}

void TfmMain::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    ApplyPaneSplit();
}

void TfmMain::closeEvent(QCloseEvent* event) {
    const ActivityStates states{NewsState(), LinksState(), FTPState(), TransferState()};
    switch (DecideClose(states)) {
    case CloseDecision::Refuse:
        event->ignore();
        return;
    case CloseDecision::Ask:
        if (!Hooks.AskYesNo("Exit Pagewright?", "You are connected. Do want to exit?")) {
            event->ignore();
            return;
        }
        break;
    case CloseDecision::Close:
        break;
    }
    if (!runCloseSteps()) {
        event->ignore();
        return;
    }
    TrayIcon->hide();
    event->accept();
    emit Closed();
}

bool TfmMain::runCloseSteps() {
    const int newsConfig = cbNewsConfig->currentIndex();
    if (Hooks.StopFolderMonitor) Hooks.StopFolderMonitor();
    if (NewsState() == ActivityState::Connected && newsConfig >= 0 &&
        ConfigSource.GetString(newsConfig, "NewsStayConnected") == "TRUE" && Hooks.DisconnectNews)
        Hooks.DisconnectNews();
    if (FTPState() == ActivityState::Connected && Hooks.DisconnectRemote) Hooks.DisconnectRemote();
    PageLines.clear();
    for (const QString& file : {DataFile, DirFile})
        if (!file.isEmpty() && QFile::exists(file)) QFile::remove(file);

    const std::string path = ConfigFilePath();
    if (FileExists(path) && !m_loadFailed) {
        if (isMaximized() || isMinimized()) showNormal();
        const QRect g = geometry();
        WriteBounds(SettingsSource, g.x(), g.y(), g.width(), g.height());
        try {
            Config.Save(path);
        } catch (const std::exception& e) {
            Hooks.ShowError(QString::fromStdString(e.what()));
            return false;
        }
        if (Hooks.SelectNewsConfiguration) Hooks.SelectNewsConfiguration();
    }
    if (Hooks.StopTransferWorker) Hooks.StopTransferWorker();
    return true;
}
