#pragma once
// The Transfers page: the queue commands on its toolbar (Pause and Restart as one group of
// which one is down), the running job's text, percentage and progress bar, the list of jobs
// and the status bar.
#include <QWidget>

class CommandTable;
class QAction;
class QTreeWidget;

class TransfersPage : public QWidget {
    Q_OBJECT
public:
    TransfersPage(CommandTable& commands, QWidget* parent = nullptr);

    bool HasSelection() const;
    bool PauseDown() const;
    bool RestartDown() const;

signals:
    void SelectionChanged();
    // Pause or Restart was pressed down.
    void RunModeChanged();

private:
    QAction* m_pause;
    QAction* m_restart;
    QTreeWidget* lvTransfer;
};
