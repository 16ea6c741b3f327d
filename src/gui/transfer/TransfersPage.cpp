#include "gui/transfer/TransfersPage.h"

#include "gui/app/CommandTable.h"
#include "gui/ui/GaugeStatusBar.h"
#include "gui/ui/PageParts.h"

#include <QAction>
#include <QActionGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

TransfersPage::TransfersPage(CommandTable& commands, QWidget* parent) : QWidget(parent) {
    setObjectName("tsTransfers");
    QVBoxLayout* page = MakeColumn(this);

    QToolBar* sbTransfers = MakePageToolbar(this, "sbTransfers");
    commands.Fill(sbTransfers, "sbTransfers");
    page->addWidget(sbTransfers);
    m_pause = commands.Item("siTransferPause");
    m_restart = commands.Item("siTransferRestart");
    QActionGroup* run = new QActionGroup(this);
    run->setObjectName("agTransferRun");
    for (QAction* a : {m_pause, m_restart})
        run->addAction(a);
    // The menu items press the toolbar buttons down; the queue reads the buttons.
    commands.On("TransferPause", [this] {
        m_pause->setChecked(true);
        emit RunModeChanged();
    });
    commands.On("TransferRestart", [this] {
        m_restart->setChecked(true);
        emit RunModeChanged();
    });

    auto* status = new QWidget(this);
    auto* statusLayout = new QVBoxLayout(status);
    statusLayout->setContentsMargins(6, 4, 6, 4);
    auto* labels = new QHBoxLayout;
    auto* labTransfer = new QLabel("Disconnected", status);
    labTransfer->setObjectName("labTransfer");
    labTransfer->setTextFormat(Qt::PlainText);
    auto* labTransferPercent = new QLabel(status);
    labTransferPercent->setObjectName("labTransferPercent");
    labTransferPercent->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    labels->addWidget(labTransfer, 1);
    labels->addWidget(labTransferPercent);
    statusLayout->addLayout(labels);
    auto* pbTransfer = new QProgressBar(status);
    pbTransfer->setObjectName("pbTransfer");
    pbTransfer->setRange(0, 100);
    pbTransfer->setValue(0);
    statusLayout->addWidget(pbTransfer);
    page->addWidget(status);

    lvTransfer = MakeListView(this, "lvTransfer",
                              {{"Filename", 200, false},
                               {"Server", 150, false},
                               {"Size", 75, true},
                               {"Loginname", 75, false}});
    page->addWidget(lvTransfer, 1);
    connect(lvTransfer, &QTreeWidget::itemSelectionChanged, this, &TransfersPage::SelectionChanged);

    auto* sbaTransfers = new GaugeStatusBar({{GaugeStatusBar::Kind::Text, 50}}, this);
    sbaTransfers->setObjectName("sbaTransfers");
    page->addWidget(sbaTransfers);
}

bool TransfersPage::HasSelection() const {
    return !lvTransfer->selectedItems().isEmpty();
}

bool TransfersPage::PauseDown() const {
    return m_pause->isChecked();
}

bool TransfersPage::RestartDown() const {
    return m_restart->isChecked();
}
