#include "gui/ftp/FtpPage.h"

#include "core/app/WindowPlacement.h"
#include "gui/app/CommandTable.h"
#include "gui/ftp/PaneKeys.h"
#include "gui/ftp/RemotePane.h"
#include "gui/local/LocalPane.h"
#include "gui/ui/ConfigChooser.h"
#include "gui/ui/DBComboBox.h"
#include "gui/ui/FilePane.h"
#include "gui/ui/GaugeStatusBar.h"
#include "gui/ui/PageParts.h"

#include <QAction>
#include <QMenu>
#include <QSplitter>
#include <QToolBar>
#include <QVBoxLayout>

using namespace pw;

FtpPage::FtpPage(CommandTable& commands, FtpSession& session, QWidget* parent) : QWidget(parent) {
    setObjectName("tsFTP");
    QVBoxLayout* page = MakeColumn(this);

    m_toolbar = MakePageToolbar(this, "sbFTP");
    m_toolbar->setContextMenuPolicy(Qt::CustomContextMenu);
    commands.Fill(m_toolbar, "sbFTP");
    cbFTPConfig = new DBComboBox(m_toolbar);
    cbFTPConfig->setObjectName("cbFTPConfig");
    cbFTPConfig->setMinimumWidth(140);
    // The chooser opens the global section, after its separator.
    m_toolbar->insertWidget(commands.Item("siFTPQuickConnect"), cbFTPConfig);
    page->addWidget(m_toolbar);
    connect(cbFTPConfig, &QComboBox::activated, this, &FtpPage::ConfigurationChosen);

    QMenu* popup = commands.MakePopup(this, "pmsbFTP");
    connect(m_toolbar, &QWidget::customContextMenuRequested, popup,
            [this, popup](const QPoint& at) { popup->popup(m_toolbar->mapToGlobal(at)); });

    spFTP = new QSplitter(Qt::Horizontal, this);
    spFTP->setObjectName("spFTP");
    spFTP->setHandleWidth(3);
    spFTP->setChildrenCollapsible(false);
    m_remote = new RemotePane(commands, session, spFTP);
    m_local = new LocalPane(commands, spFTP);
    // Both lists start at the same height: the remote path row is as tall as the local one.
    m_remote->Pane()->SetPathRowHeight(m_local->PathRowHeight());
    spFTP->addWidget(m_remote->Pane());
    spFTP->addWidget(m_local->Pane());
    page->addWidget(spFTP, 1);
    m_keys = new PaneKeys(commands, *m_remote, *m_local, this);

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
    page->addWidget(sbaFTP);
}

FtpPage::~FtpPage() {
    // Focus changes while the panes go away must not reach the function keys.
    delete m_keys;
}

void FtpPage::FillChooser(TnkDBSource& configurations, TnkDBSource& settings) {
    FillConfigChooser(cbFTPConfig, configurations, settings, "FTPConfiguration");
}

void FtpPage::ApplySplit(int pageWidth) {
    const int remote = RemotePaneWidth(pageWidth);
    spFTP->setSizes({remote, std::max(0, pageWidth - spFTP->handleWidth() - remote)});
}

void FtpPage::UpdateFunctionKeys() {
    m_keys->Update();
}
