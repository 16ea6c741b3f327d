#pragma once
// The Transfers page: the queue commands on its toolbar (Pause and Restart as one group of
// which one is down), the running job's text, percentage and progress bar, the list of jobs
// (one row a job, in queue order, with its state: waiting, running, or failed and why) and
// the status bar with the running job's speed and time left.
#include "core/transfer/TransferJob.h"

#include <QHash>
#include <QWidget>

#include <vector>

class CommandTable;
class GaugeStatusBar;
class QAction;
class QLabel;
class QProgressBar;
class QTreeWidget;
class QTreeWidgetItem;

class TransfersPage : public QWidget {
    Q_OBJECT
public:
    TransfersPage(CommandTable& commands, QWidget* parent = nullptr);

    bool HasSelection() const;
    bool PauseDown() const;
    bool RestartDown() const;
    // Presses Pause down, as the command does.
    void PressPause();

    // Shows the queue's jobs: rows of jobs that left are removed, new ones appended, the
    // others updated in place, so that the selection and the scroll position stay.
    void ShowJobs(const std::vector<pw::TransferJob>& jobs);
    std::vector<pw::TransferJobId> SelectedJobIds() const;
    bool HasFailedJobs() const { return m_failed > 0; }

    void SetLabel(const QString& text);
    void SetPercentLabel(const QString& text);
    void SetProgress(int position);
    void SetRateText(const QString& text);

    // The caption of a job's row: its server name as UTF-8, else read as Windows-1252.
    static QString JobCaption(const pw::TransferJob& job);

signals:
    void SelectionChanged();
    // Pause or Restart was pressed down.
    void RunModeChanged();

private:
    void fillRow(QTreeWidgetItem* row, const pw::TransferJob& job);

    QAction* m_pause;
    QAction* m_restart;
    QLabel* labTransfer;
    QLabel* labTransferPercent;
    QProgressBar* pbTransfer;
    QTreeWidget* lvTransfer;
    GaugeStatusBar* sbaTransfers;
    QHash<pw::TransferJobId, QTreeWidgetItem*> m_rows;
    int m_failed = 0; // rows of failed jobs
};
