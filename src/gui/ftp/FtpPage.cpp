#include "gui/ftp/FtpPage.h"

#include "core/app/DropTarget.h"
#include "core/app/WindowPlacement.h"
#include "core/storage/TnkDBSource.h"
#include "gui/app/CommandTable.h"
#include "gui/ftp/PaneKeys.h"
#include "gui/ftp/PaneServices.h"
#include "gui/ftp/RemotePane.h"
#include "gui/local/LocalPane.h"
#include "gui/ui/ConfigChooser.h"
#include "gui/ui/DBComboBox.h"
#include "gui/ui/FilePane.h"
#include "gui/ui/GaugeStatusBar.h"
#include "gui/ui/PageParts.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QSplitter>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace pw;

FtpPage::FtpPage(CommandTable& commands, FtpSession& session, PaneServices& services,
                 QWidget* parent)
    : QWidget(parent), m_services(services) {
    setObjectName("tsFTP");
    QVBoxLayout* page = MakeColumn(this);

    m_toolbar = MakePageToolbar(this, "sbFTP");
    m_toolbar->setContextMenuPolicy(Qt::CustomContextMenu);
    commands.Fill(m_toolbar, "sbFTP");
    cbFTPConfig = new DBComboBox(m_toolbar);
    cbFTPConfig->setObjectName("cbFTPConfig");
    cbFTPConfig->setMinimumWidth(140);
    // The chooser opens the global section, after its separator.
    m_chooserItem = m_toolbar->insertWidget(commands.Item("siFTPQuickConnect"), cbFTPConfig);
    page->addWidget(m_toolbar);
    connect(cbFTPConfig, &QComboBox::activated, this, &FtpPage::ConfigurationChosen);

    QMenu* popup = commands.MakePopup(this, "pmsbFTP");
    connect(m_toolbar, &QWidget::customContextMenuRequested, popup,
            [this, popup](const QPoint& at) { popup->popup(m_toolbar->mapToGlobal(at)); });

    using K = GaugeStatusBar::Kind;
    auto* sbaFTP = new GaugeStatusBar({{K::Gauge, 50},
                                       {K::Text, 160},
                                       {K::SuccessGlyph, 20},
                                       {K::FailureGlyph, 20},
                                       {K::Text, 50}},
                                      this);
    sbaFTP->setObjectName("sbaFTP");
    for (int panel : {0, 2, 3})
        sbaFTP->SetPanelEnabled(panel, false);
    sbaFTP->ClearSignsOnClick();

    spFTP = new QSplitter(Qt::Horizontal, this);
    spFTP->setObjectName("spFTP");
    spFTP->setHandleWidth(3);
    spFTP->setChildrenCollapsible(false);
    m_remote = new RemotePane(commands, session, services, *sbaFTP, spFTP);
    m_local = new LocalPane(commands, services, spFTP);
    // Both lists start at the same height: the remote path row is as tall as the local one.
    m_remote->Pane()->SetPathRowHeight(m_local->PathRowHeight());
    spFTP->addWidget(m_remote->Pane());
    spFTP->addWidget(m_local->Pane());
    page->addWidget(spFTP, 1);
    m_keys = new PaneKeys(commands, *m_remote, *m_local, this);
    page->addWidget(sbaFTP);

    commands.On("FTPConnect", [this] { m_remote->Connect(ChosenConfiguration()); });
    connect(m_remote, &RemotePane::ChooserVisibilityChanged, m_chooserItem, &QAction::setVisible);
    connect(m_remote, &RemotePane::OtherPaneRequested, this,
            [this] { m_local->Pane()->List()->setFocus(); });
    connect(m_local, &LocalPane::OtherPaneRequested, this,
            [this] { m_remote->Pane()->List()->setFocus(); });
}

FtpPage::~FtpPage() {
    // Focus changes while the panes go away must not reach the function keys.
    delete m_keys;
}

void FtpPage::FillChooser(TnkDBSource& configurations, TnkDBSource& settings) {
    FillConfigChooser(cbFTPConfig, configurations, settings, "FTPConfiguration");
}

int FtpPage::ChosenConfiguration() const {
    return cbFTPConfig->currentIndex();
}

void FtpPage::ConfigurationSelected() {
    const int i = ChosenConfiguration();
    const TnkDBSource& config = m_services.Config;
    const std::string folder = config.GetString(i, "LocalFTPDirectory");
    if (i >= 0) SetDropTargetFromConfiguration(config, i);
    m_local->AimAt(QFile::decodeName(QByteArray::fromStdString(folder)),
                   i >= 0 && config.GetString(i, "FTPAutomaticLocalRefresh") == "TRUE");
}

void FtpPage::ApplySplit(int pageWidth) {
    const int remote = RemotePaneWidth(pageWidth);
    spFTP->setSizes({remote, std::max(0, pageWidth - spFTP->handleWidth() - remote)});
}

void FtpPage::UpdateFunctionKeys() {
    m_keys->Update();
}
