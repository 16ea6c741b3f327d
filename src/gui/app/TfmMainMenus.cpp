// The main menu, the main toolbar and the tray menu of the main window, and the commands of
// the window itself.
#include "core/app/DropTarget.h"
#include "core/transfer/TransferJob.h"
#include "gui/app/CommandTable.h"
#include "gui/app/TfmMain.h"
#include "gui/dialogs/TfmAbout.h"
#include "gui/dialogs/TfmConfiguration.h"
#include "gui/dialogs/TfmNewNewsfile.h"
#include "gui/dialogs/TfmNewServer.h"
#include "gui/ftp/FtpPage.h"
#include "gui/ftp/RemotePane.h"
#include "gui/local/LocalPane.h"
#include "gui/local/TfmDropper.h"
#include "gui/news/NewsController.h"
#include "gui/news/NewsPage.h"
#include "gui/transfer/PaneTransfers.h"
#include "gui/transfer/TransferController.h"
#include "gui/transfer/TransfersPage.h"
#include "gui/ui/AnimatedImage.h"
#include "gui/ui/MainPictures.h"
#include "gui/ui/PageParts.h"
#include "gui/ui/ToolbarCustomizer.h"
#include "gui/ui/UserPrompts.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>

using namespace pw;

void TfmMain::buildMenus() {
    QMenuBar* bar = menuBar();
    for (auto [name, title] :
         {std::pair{"miFile", "&File"}, std::pair{"miNews", "&News"},
          std::pair{"miLinks", "&Links"}, std::pair{"miFTP", "FT&P"},
          std::pair{"miTransfer", "&Transfer"}, std::pair{"miHelp", "&Help"}}) {
        QMenu* menu = bar->addMenu(title);
        menu->setObjectName(name);
        m_commands->Fill(menu, name);
    }
    findChild<QMenu*>("miLinks")->menuAction()->setVisible(false);

    // The caption-bar button, at the right end of the menu bar.
    wiMinimizeToTray = new QToolButton(bar);
    wiMinimizeToTray->setObjectName("wiMinimizeToTray");
    wiMinimizeToTray->setIcon(MainPicture(MainGlyph::Tray));
    wiMinimizeToTray->setToolTip("Minimize to Tray");
    wiMinimizeToTray->setAutoRaise(true);
    wiMinimizeToTray->setFocusPolicy(Qt::NoFocus);
    bar->setCornerWidget(wiMinimizeToTray, Qt::TopRightCorner);
}

void TfmMain::buildMainToolbar() {
    sbMain = MakePageToolbar(this, "sbMain");
    addToolBar(Qt::TopToolBarArea, sbMain);
    sbMain->setContextMenuPolicy(Qt::CustomContextMenu);
    m_commands->Fill(sbMain, "sbMain");
    AddToolbarSpacer(sbMain);
    BoltAnimation = new AnimatedImage(BoltFrames(), 200, sbMain);
    BoltAnimation->setObjectName("BoltAnimation");
    // The widget action carries the visibility: the animation shows only while it runs.
    QAction* bolt = sbMain->addWidget(BoltAnimation);
    bolt->setObjectName("BoltAnimationItem");
    BoltAnimation->show();
    bolt->setVisible(false);

    QMenu* popup = m_commands->MakePopup(this, "pmsbMain");
    connect(sbMain, &QWidget::customContextMenuRequested, popup,
            [this, popup](const QPoint& at) { popup->popup(sbMain->mapToGlobal(at)); });
}

void TfmMain::buildTray() {
    QMenu* pmTray = m_commands->MakePopup(this, "pmTray");
    m_commands->Item("mistDropperWindow")->setEnabled(HasFunction("miDropperWindow"));
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

void TfmMain::connectCommands() {
    CommandTable& c = *m_commands;
    c.On("NewServer", [this] { NewServerCommand(); });
    c.On("Configuration", [this] { ConfigurationCommand(); });
    c.On("HelpAbout", [this] { AboutCommand(); });
    c.On("MinimizeToTray", [this] { MinimizeToTray(); });
    connect(wiMinimizeToTray, &QToolButton::clicked, this, [this] { MinimizeToTray(); });
    c.On("RestoreFromTray", [this] { RestoreFromTray(); });
    c.On("Exit", [this] { close(); });
    c.On("ConfigureMainToolbar", [this] { customizeToolbar(sbMain); });
    c.On("ConfigureFTPToolbar", [this] { customizeToolbar(m_ftp->Toolbar()); });
    c.On("NewsGoto", [this] { GotoPage("tsNews"); });
    for (const char* links : {"LinksGoto", "LinksStart", "LinksStop", "LinksPost"})
        c.On(links, [this] { GotoPage("tsLinks"); });
    c.On("FTPGoto", [this] { GotoPage("tsFTP"); });
    c.On("TransferGoto", [this] { GotoPage("tsTransfers"); });
    c.On("DropperWindow", [this] { DropperWindowCommand(); });

    // Inputs of the command refresh.
    connect(&m_ftp->Remote(), &RemotePane::SelectionChanged, this, &TfmMain::RequestCommandRefresh);
    connect(&m_ftp->Local(), &LocalPane::SelectionChanged, this, &TfmMain::RequestCommandRefresh);
    connect(m_transfers, &TransfersPage::SelectionChanged, this, &TfmMain::RequestCommandRefresh);
    connect(m_transfers, &TransfersPage::RunModeChanged, this, &TfmMain::RequestCommandRefresh);
    connectNewsCommands();
    connect(m_ftp, &FtpPage::ConfigurationChosen, this, &TfmMain::FTPConfigurationSelected);
    connect(this, &TfmMain::FTPConfigurationSelected, m_ftp, &FtpPage::ConfigurationSelected);
    connect(findChild<QMenu*>("miFTP"), &QMenu::aboutToShow, m_ftp, &FtpPage::UpdateFunctionKeys);
    connect(PageControl, &QTabWidget::currentChanged, this, [this] {
        if (m_splitPending && PageControl->currentWidget() == m_ftp) applyPaneSplit();
    });
}

void TfmMain::connectNewsCommands() {
    CommandTable& c = *m_commands;
    NewsController* news = m_newsController;
    c.On("NewNewsfile", [this] { NewNewsfileCommand(); });
    c.On("NewsStart", [news] { news->Start(); });
    c.On("NewsStop", [news] { news->Stop(); });
    c.On("NewsPost", [news] { news->Post(); });
    c.On("NewsPreview", [news] { news->Preview(); });
    c.On("NewsNew", [news] { news->NewNews(); });
    c.On("NewsDelete", [news] { news->DeleteNews(); });
    c.On("NewsFirst", [this] { NewsSource.First(); });
    c.On("NewsPrev", [this] { NewsSource.Prior(); });
    c.On("NewsNext", [this] { NewsSource.Next(); });
    c.On("NewsLast", [this] { NewsSource.Last(); });
    c.On("NewsEditHeader", [news] { news->EditHeader(); });
    c.On("NewsEditFooter", [news] { news->EditFooter(); });
    NewsSource.OnChange = [this](TnkDBSource&) {
        m_news->NewsChanged();
        RequestCommandRefresh();
    };
    connect(m_news, &NewsPage::ConfigurationChosen, this, &TfmMain::NewsConfigurationSelected);
    connect(this, &TfmMain::NewsConfigurationSelected, this, [this] {
        m_newsController->SelectConfiguration(m_news->ChosenConfiguration());
        const NewsSelection& s = m_newsController->Selection();
        DataFile = QFile::decodeName(QByteArray::fromStdString(s.DataFile));
        DirFile = QFile::decodeName(QByteArray::fromStdString(s.DirFile));
    });
    // While a posting reads the table, nothing may change it.
    connect(this, &TfmMain::CommandsRefreshed, this,
            [this] { m_news->SetEditingEnabled(NewsState() != ActivityState::Busy); });
}

void TfmMain::SetNewsClock(std::shared_ptr<const NewsClock> clock) {
    m_newsController->SetClock(std::move(clock));
}

TfmDropper* TfmMain::DropperWindow() const {
    return fmDropper;
}

void TfmMain::DropperWindowCommand() {
    const auto setChecks = [this](bool on) {
        for (QAction* item : m_commands->Items("DropperWindow"))
            item->setChecked(on);
    };
    const bool created = !fmDropper;
    if (created) {
        fmDropper = new TfmDropper([] { return !DropTarget.ServerHost.empty(); });
        connect(fmDropper, &TfmDropper::FilesDropped, this, [this](const QStringList& paths) {
            PaneTransfers::QueueDroppedFiles(paths, DropTarget, *m_transferController, m_prompts,
                                             fmDropper);
        });
        // Closed with its close box: the marks go and the window destroys itself.
        connect(fmDropper, &QObject::destroyed, this, [setChecks] { setChecks(false); });
    }
    if (fmDropper->isVisible()) {
        setChecks(false);
        delete fmDropper;
        return;
    }
    setChecks(true);
    // A tool window has no taskbar button of its own, so while the main window is in the
    // tray none shows.
    fmDropper->show();
    if (created) fmDropper->PlaceInCorner();
}

void TfmMain::NewNewsfileCommand() {
    TfmNewNewsfile wizard(ConfigSource, this);
    m_prompts.RunDialog(wizard);
}

void TfmMain::NewServerCommand() {
    {
        TfmNewServer wizard(this);
        m_prompts.RunDialog(wizard);
    }
    ReloadConfigFile(true);
    activateWindow(); // the keyboard returns to the main window
}

void TfmMain::ConfigurationCommand() {
    {
        TfmConfiguration dialog(this);
        m_prompts.RunDialog(dialog);
    }
    ReloadConfigFile(true);
    activateWindow();
}

void TfmMain::AboutCommand() {
    {
        TfmAbout about(this);
        m_prompts.RunDialog(about);
    }
    activateWindow(); // the keyboard returns to the main window
}

void TfmMain::GotoPage(const char* pageName) {
    if (auto* page = PageControl->findChild<QWidget*>(pageName))
        PageControl->setCurrentWidget(page);
}

void TfmMain::customizeToolbar(QToolBar* toolbar) {
    ToolbarCustomizer customizer(toolbar, this);
    m_prompts.RunDialog(customizer);
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
