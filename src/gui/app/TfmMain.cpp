#include "gui/app/TfmMain.h"

#include "core/app/DropTarget.h"
#include "core/app/WindowPlacement.h"
#include "core/config/ConfigLocation.h"
#include "core/config/ConfigSteps.h"
#include "core/config/Visibility.h"
#include "core/news/NewsFormat.h"
#include "core/storage/FileIO.h"
#include "core/transfer/TransferJournal.h"
#include "gui/app/CommandTable.h"
#include "gui/dialogs/PasswordDialog.h"
#include "gui/dialogs/TfmAbout.h"
#include "gui/dialogs/TfmConfiguration.h"
#include "gui/dialogs/TfmNewServer.h"
#include "gui/ftp/FtpPage.h"
#include "gui/ftp/FtpSession.h"
#include "gui/ftp/PaneServices.h"
#include "gui/ftp/RemotePane.h"
#include "gui/local/LocalPane.h"
#include "gui/local/TfmDropper.h"
#include "gui/news/NewsController.h"
#include "gui/news/NewsPage.h"
#include "gui/news/PreviewLibrary.h"
#include "gui/transfer/PaneTransfers.h"
#include "gui/transfer/TransferController.h"
#include "gui/transfer/TransfersPage.h"
#include "gui/ui/AnimatedImage.h"
#include "gui/ui/Cp1252Text.h"
#include "gui/ui/DBFieldLink.h"
#include "gui/ui/MainPictures.h"
#include "gui/ui/ToolbarCustomizer.h"
#include "gui/ui/UserPrompts.h"
#include "gui/ui/WorkerThread.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QThread>
#include <QToolBar>
#include <QToolButton>

using namespace pw;

namespace {
// Commands whose work has not been built into this version: they show, but never enable, so
// that nothing looks as if it worked and does nothing.
const QStringList kWithoutFunction{};
} // namespace

TfmMain::TfmMain(UserPrompts& prompts, QWidget* parent)
    : QMainWindow(parent), NewsSource(&NewsData, NewsFields()), m_prompts(prompts) {
    setObjectName("fmMain");
    setWindowTitle("Pagewright v2.0 beta 1");
    setWindowIcon(MainPicture(MainGlyph::Program));
    NewsSource.Loaded();

    // One FTP session for each part that connects; each owns the workers that use it.
    m_newsSession = new FtpSession("NewsSession", this);
    m_remoteSession = new FtpSession("RemoteSession", this);
    m_transferSession = new FtpSession("TransferSession", this);
    thNews = &m_newsSession->Worker("thNews");
    thNewsPosting = &m_newsSession->Worker("thNewsPosting");
    thFTPConnect = &m_remoteSession->Worker("thFTPConnect");
    thFTPRefresh = &m_remoteSession->Worker("thFTPRefresh");
    thTransfer = &m_transferSession->Worker("thTransfer");

    m_commands = new CommandTable(this, m_prompts);
    buildMenus();
    buildMainToolbar();
    buildPages();
    buildTray();
    registerItems();
    connectCommands();

    resize(545, 422);
    setMinimumSize(545, 422);

    // Creation steps: states idle (the members start so), the transfer-list lock and the page
    // lines exist as members; then the configuration, the placement, the choosers and the
    // drop window's target.
    ReloadConfigFile(false);
    applyWindowPlacement();
    SettingsSource.Notify("NewsConfiguration");
    SetDropTargetFromConfiguration(ConfigSource, SettingsSource.GetInteger("FTPConfiguration"));
    // Jobs left from the last run come back paused.
    m_transferController->KeepJournal(TransferJournalPath(ConfigFilePath()), ConfigSource);
}

TfmMain::~TfmMain() {
    delete fmDropper;
    // The transfer worker ends first: its jobs and the lock belong to the window.
    delete m_transferController;
    m_transferController = nullptr;
    // Running workers are stopped, their connections cut and their threads joined now, while
    // the tables, the transfer-list lock and the controls their handlers use still exist.
    for (FtpSession** session : {&m_newsSession, &m_remoteSession, &m_transferSession}) {
        delete *session;
        *session = nullptr;
    }
    thNews = thNewsPosting = thFTPConnect = thFTPRefresh = thTransfer = nullptr;
    // The pages go before the command items they use: focus moves while they are destroyed.
    NewsSource.OnChange = nullptr;
    delete PageControl;
    // The data-aware controls are destroyed after the record sources they follow.
    UnlinkDBControls(this);
}

void TfmMain::buildPages() {
    PageControl = new QTabWidget(this);
    PageControl->setObjectName("PageControl");
    setCentralWidget(PageControl);
    const auto storeFingerprint = [this](int record, const std::string& fingerprint) {
        StoreTrustedFingerprint(Config, record, fingerprint, ConfigFilePath());
    };
    m_news = new NewsPage(*m_commands, NewsSource);
    PageControl->addTab(m_news, "News");
    m_newsController =
        new NewsController({*m_news, *m_newsSession, *thNews, *thNewsPosting, NewsSource,
                            ConfigSource, TranslationSource, PageLines, m_prompts, this,
                            [this](ActivityState state) { SetNewsState(state); },
                            [this] { return NewsState(); }, storeFingerprint},
                           this);
    m_preview = std::make_unique<PreviewLibrary>();
    PreviewLoaded = m_preview->Loaded();
    m_newsController->SetPreviewLibrary(m_preview.get());
    auto* links = new QLabel("The links page is not available in this version.");
    links->setObjectName("tsLinks");
    links->setAlignment(Qt::AlignCenter);
    PageControl->addTab(links, "Links");
    PageControl->setTabVisible(PageControl->indexOf(links), false);
    m_paneServices = std::make_unique<PaneServices>(PaneServices{
        ConfigSource, m_prompts, this, [this] { return FTPState(); },
        [this](ActivityState state) { SetFTPState(state); },
        [this](bool on) { SetRemoteRefreshing(on); }, [this](bool on) { SetLocalRefreshing(on); },
        RemoteEditing, LocalEditing, [this] { UpdateCommandStates(); }, storeFingerprint});
    m_ftp = new FtpPage(*m_commands, *m_remoteSession, *m_paneServices);
    PageControl->addTab(m_ftp, "FTP");
    m_transfers = new TransfersPage(*m_commands);
    PageControl->addTab(m_transfers, "Transfers");
    m_transferController =
        new TransferController({*m_transfers, *m_commands, *m_transferSession, ftpMutex,
                                [this](ActivityState state) { SetTransferState(state); },
                                [this] { RequestCommandRefresh(); },
                                [this](const QString& error) { m_prompts.ShowError(this, error); }},
                               this);
    m_transferController->AskPassword = [this](TnkFTPRecord& record) {
        TfmPassword prompt(this);
        prompt.setWindowTitle(QString("Password for %1 on %2")
                                  .arg(QString::fromStdString(record.ServerUser),
                                       QString::fromStdString(record.ServerHost)));
        m_prompts.RunDialog(prompt);
        record.ServerPassword = ToCp1252(prompt.edPassword->text());
    };
    new PaneTransfers(
        *m_commands, *m_ftp, *m_transferController, m_prompts, [this] { return FTPState(); }, this);
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
        RequestCommandRefresh();
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
        m_ftp->Local().SetRefreshing(on);
        RequestCommandRefresh();
    });
}

void TfmMain::SetRemoteRefreshing(bool on) {
    RunOnGuiThread([this, on] {
        m_remoteRefreshing = on;
        m_ftp->Remote().SetRefreshing(on);
        RequestCommandRefresh();
    });
}

// ---- command refresh ------------------------------------------------------------------------

void TfmMain::registerItems() {
    for (const auto& [name, enabled] : ComputeCommandStates({}).Items) {
        const QString n = QString::fromStdString(name);
        if (n == "sbaNews.0") continue;
        QObject* object = m_commands->Item(n);
        if (!object) object = findChild<QWidget*>(n); // the choosers and the caption button
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
    in.RemoteSelected = m_ftp->Remote().HasSelection();
    in.LocalSelected = m_ftp->Local().HasSelection();
    in.TransferSelected = m_transfers->HasSelection();
    in.TransferFailed = m_transfers->HasFailedJobs();
    in.RemotePathLength = m_ftp->Remote().PathLength();
    in.LocalPathIsRoot = m_ftp->Local().PathIsRoot();
    in.TransferPauseDown = m_transfers->PauseDown();
    in.TransferRestartDown = m_transfers->RestartDown();
    in.PreviewLoaded = PreviewLoaded;
    return in;
}

void TfmMain::RequestCommandRefresh() {
    if (m_refreshQueued) return;
    m_refreshQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_refreshQueued) UpdateCommandStates();
        },
        Qt::QueuedConnection);
}

void TfmMain::UpdateCommandStates() {
    if (m_refreshing) return; // reading the news cursor may notify and call back
    m_refreshing = true;
    m_refreshQueued = false;
    const CommandStates states = ComputeCommandStates(CurrentCommandInputs());
    for (auto [name, enabled] : states.Items) {
        if (name == "sbaNews.0") {
            m_news->SetGaugeEnabled(enabled);
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
    m_ftp->UpdateFunctionKeys();
    m_refreshing = false;
    emit CommandsRefreshed();
}

// ---- configuration --------------------------------------------------------------------------

bool TfmMain::ReloadConfigFile(bool keepChoices) {
    ReloadSteps steps;
    steps.selectNewsConfiguration = [this] {
        m_news->FillChooser(ConfigSource, SettingsSource);
        emit NewsConfigurationSelected();
    };
    steps.applyVisibility = [this] { applyVisibility(); };
    steps.selectFTPConfiguration = [this] {
        m_ftp->FillChooser(ConfigSource, SettingsSource);
        emit FTPConfigurationSelected();
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
        m_prompts.ShowError(
            this, QString("The configuration file %1 could not be read:\n%2")
                      .arg(QString::fromStdString(path), QString::fromStdString(e.what())));
        return false;
    }
}

void TfmMain::applyVisibility() {
    const VisibilitySettings v = ReadVisibility(SettingsSource);
    PageControl->setTabVisible(PageControl->indexOf(m_news), v.pageNews);
    PageControl->setTabVisible(PageControl->indexOf(m_ftp), v.pageFTP);
    PageControl->setTabVisible(PageControl->indexOf(m_transfers), v.pageTransfers);
    sbMain->setVisible(v.speedbar);
    wiMinimizeToTray->setVisible(v.minimizeToTray);
    for (auto [menu, visible] : {std::pair{"miNews", v.menuNews}, std::pair{"miFTP", v.menuFTP},
                                 std::pair{"miTransfer", v.menuTransfer}})
        findChild<QMenu*>(menu)->menuAction()->setVisible(visible);
}

void TfmMain::applyWindowPlacement() {
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

void TfmMain::applyPaneSplit() {
    m_splitPending = PageControl->currentWidget() != m_ftp;
    QWidget* page = PageControl->currentWidget();
    m_ftp->ApplySplit(page ? page->width() : m_ftp->width());
}

// ---- window events --------------------------------------------------------------------------

void TfmMain::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::ActivationChange || !isActiveWindow() || m_firstActivationDone)
        return;
    m_firstActivationDone = true;
    // The first-run wizard opens once the activation has been handled.
    if (ConfigSource.RecordCount() == 0)
        QMetaObject::invokeMethod(
            this, [this] { NewServerCommand(); }, Qt::QueuedConnection);
}

void TfmMain::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    applyPaneSplit();
}

void TfmMain::closeEvent(QCloseEvent* event) {
    const ActivityStates states{NewsState(), LinksState(), FTPState(), TransferState()};
    switch (DecideClose(states)) {
    case CloseDecision::Refuse:
        event->ignore();
        return;
    case CloseDecision::Ask:
        if (!m_prompts.AskYesNo(this, "Exit Pagewright?", "You are connected. Do want to exit?")) {
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
    const int newsConfig = m_news->ChosenConfiguration();
    if (NewsState() == ActivityState::Connected && newsConfig >= 0 &&
        ConfigSource.GetString(newsConfig, "NewsStayConnected") == "TRUE")
        m_newsSession->RequestAbort();
    if (FTPState() == ActivityState::Connected) m_ftp->Remote().Disconnect();

    const std::string path = ConfigFilePath();
    if (FileExists(path) && !m_loadFailed) {
        if (isMaximized() || isMinimized()) showNormal();
        const QRect g = geometry();
        WriteBounds(SettingsSource, g.x(), g.y(), g.width(), g.height());
        try {
            Config.Save(path);
        } catch (const std::exception& e) {
            m_prompts.ShowError(this, QString::fromStdString(e.what()));
            return false;
        }
        emit NewsConfigurationSelected();
    }
    // The page and its working files go only once the close is certain: a refused save keeps
    // the window, and with it the page the user is working on.
    PageLines.clear();
    for (const QString& file : {DataFile, DirFile})
        if (!file.isEmpty() && QFile::exists(file)) QFile::remove(file);
    thTransfer->Stop();
    return true;
}
