#include "gui/transfer/TransfersPage.h"

#include "gui/app/CommandTable.h"
#include "gui/ui/Cp1252Text.h"
#include "gui/ui/GaugeStatusBar.h"
#include "gui/ui/MainPictures.h"
#include "gui/ui/PageParts.h"

#include <QAction>
#include <QBrush>
#include <QColor>
#include <QIcon>
#include <QSet>
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
    labTransfer = new QLabel("Disconnected", status);
    labTransfer->setObjectName("labTransfer");
    labTransfer->setTextFormat(Qt::PlainText);
    labTransferPercent = new QLabel(status);
    labTransferPercent->setObjectName("labTransferPercent");
    labTransferPercent->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    labels->addWidget(labTransfer, 1);
    labels->addWidget(labTransferPercent);
    statusLayout->addLayout(labels);
    pbTransfer = new QProgressBar(status);
    pbTransfer->setObjectName("pbTransfer");
    pbTransfer->setRange(0, 100);
    pbTransfer->setValue(0);
    statusLayout->addWidget(pbTransfer);
    page->addWidget(status);

    lvTransfer = MakeListView(this, "lvTransfer",
                              {{"Filename", 200, false},
                               {"Server", 150, false},
                               {"Size", 75, true},
                               {"Loginname", 75, false},
                               {"State", 220, false}});
    page->addWidget(lvTransfer, 1);
    connect(lvTransfer, &QTreeWidget::itemSelectionChanged, this, &TransfersPage::SelectionChanged);

    sbaTransfers = new GaugeStatusBar({{GaugeStatusBar::Kind::Text, 240}}, this);
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

void TransfersPage::PressPause() {
    m_pause->setChecked(true);
    emit RunModeChanged();
}

QString TransfersPage::JobCaption(const pw::TransferJob& job) {
    const std::string& name = job.Caption();
    const QByteArray bytes = QByteArray::fromStdString(name);
    QString text = QString::fromUtf8(bytes);
    if (text.toUtf8() != bytes) text = FromCp1252(name);
    return text;
}

void TransfersPage::fillRow(QTreeWidgetItem* row, const pw::TransferJob& job) {
    using pw::TransferJobState;
    static const QIcon pictures[] = {MainPicture(MainGlyph::CopyLeft),
                                     MainPicture(MainGlyph::CopyRight)};
    QString caption = JobCaption(job);
    if (caption.isEmpty()) caption = QString::fromStdString(job.Record.RemoteFolder);
    row->setText(0, caption);
    row->setIcon(0, pictures[job.Image()]);
    row->setText(1, QString::fromStdString(job.Record.ServerHost));
    row->setText(2, QString::fromStdString(job.SizeText));
    row->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
    row->setText(3, QString::fromStdString(job.Record.ServerUser));
    QString state;
    switch (job.State) {
    case TransferJobState::Queued: state = "Waiting"; break;
    case TransferJobState::Running: state = "Running"; break;
    case TransferJobState::Done: state = "Done"; break;
    case TransferJobState::Failed: state = "Failed: " + QString::fromStdString(job.Reason); break;
    }
    row->setText(4, state);
    row->setToolTip(4, state);
    const bool failed = job.State == TransferJobState::Failed;
    row->setIcon(4, failed ? MainPicture(MainGlyph::Failure) : QIcon());
    row->setForeground(4, failed ? QBrush(QColor(0xb0, 0, 0)) : QBrush());
}

void TransfersPage::ShowJobs(const std::vector<pw::TransferJob>& jobs) {
    QSet<pw::TransferJobId> present;
    present.reserve(qsizetype(jobs.size()));
    for (const pw::TransferJob& job : jobs)
        present.insert(job.Id);
    const bool blocked = lvTransfer->blockSignals(true);
    bool selectionLost = false;
    for (auto it = m_rows.begin(); it != m_rows.end();) {
        if (present.contains(it.key())) {
            ++it;
            continue;
        }
        selectionLost = selectionLost || it.value()->isSelected();
        delete it.value();
        it = m_rows.erase(it);
    }
    // Jobs keep their order in the queue and new ones come at its end, so the rows that stay
    // are already in order and new rows are appended.
    QList<QTreeWidgetItem*> added;
    m_failed = 0;
    for (const pw::TransferJob& job : jobs) {
        if (job.State == pw::TransferJobState::Failed) ++m_failed;
        QTreeWidgetItem*& row = m_rows[job.Id];
        if (!row) {
            row = new QTreeWidgetItem;
            row->setData(0, Qt::UserRole, QVariant::fromValue<qulonglong>(job.Id));
            added << row;
        }
        fillRow(row, job);
    }
    lvTransfer->addTopLevelItems(added);
    lvTransfer->blockSignals(blocked);
    if (selectionLost) emit SelectionChanged();
}

std::vector<pw::TransferJobId> TransfersPage::SelectedJobIds() const {
    std::vector<pw::TransferJobId> ids;
    for (int i = 0; i < lvTransfer->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* row = lvTransfer->topLevelItem(i);
        if (row->isSelected()) ids.push_back(row->data(0, Qt::UserRole).toULongLong());
    }
    return ids;
}

void TransfersPage::SetLabel(const QString& text) {
    labTransfer->setText(text);
}

void TransfersPage::SetPercentLabel(const QString& text) {
    labTransferPercent->setText(text);
}

void TransfersPage::SetProgress(int position) {
    pbTransfer->setValue(position);
}

void TransfersPage::SetRateText(const QString& text) {
    sbaTransfers->SetText(0, text);
}
