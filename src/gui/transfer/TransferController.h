#pragma once
// The controller of the transfer queue in the window: it owns the queue and its worker, runs
// the worker on thTransfer with the transfer session's client, hands every event of the
// worker to the GUI thread in the order issued (labels, progress, the Stop items, the
// transfer state, the list of jobs) and carries out the commands of the Transfers page:
// Stop, Pause and Restart, Delete and Retry.
#include "core/app/ActivityState.h"
#include "core/transfer/TransferQueue.h"
#include "core/transfer/TransferWorker.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <stop_token>
#include <vector>

namespace pw {
class TnkDBSource;
class TransferJournal;
} // namespace pw
class CommandTable;
class FtpSession;
class QTimer;
class TransfersPage;
class WorkerThread;

class TransferController : public QObject {
    Q_OBJECT
public:
    struct Services {
        TransfersPage& Page;
        CommandTable& Commands;
        FtpSession& Session; // owns thTransfer and the client it runs
        std::mutex& FtpMutex;
        std::function<void(pw::ActivityState)> SetTransferState; // from any thread, in order
        std::function<void()> RequestCommandRefresh;
        std::function<void(const QString& error)> ShowError;
    };
    TransferController(Services services, QObject* parent = nullptr);
    ~TransferController() override;

    pw::TransferQueue& Queue() { return *m_queue; }

    // Appends the jobs in their order and starts the worker when it does not run.
    void EnqueueTransfer(std::vector<pw::TransferJob> jobs);
    // Keeps the queue in the journal at `path` from now on. Jobs it holds from an earlier run
    // come back in their order and states with the queue paused (Pause pressed down), so
    // that nothing runs before the user restarts it; their passwords come from the
    // configuration with the same server and login, else AskPassword is asked once for every
    // server and login. A journal that cannot be read is reported and put aside.
    void KeepJournal(const std::string& path, const pw::TnkDBSource& configurations);

    void Stop();
    void DeleteSelected();
    // Retries the selected failed jobs, or every failed job when none of them is selected.
    void Retry();

    // Fills in the password of a restored job's server and login (the prompt), or leaves it
    // empty.
    std::function<void(pw::TnkFTPRecord& record)> AskPassword;

signals:
    // The list of jobs was shown anew.
    void JobsChanged();

private:
    pw::TransferEvents makeEvents();
    void runModeChanged();
    void queueChanged(); // any thread
    void showJobs();
    void setStopEnabled(bool enabled);
    void startWorker();
    void askMissingPasswords(std::vector<pw::TransferJob>& jobs);

    Services m_services;
    WorkerThread& thTransfer;
    std::unique_ptr<pw::TransferQueue> m_queue;
    std::unique_ptr<pw::TransferWorker> m_worker;
    std::unique_ptr<pw::TransferJournal> m_journal;
    std::stop_source m_stop;               // of the worker's current run
    std::atomic<bool> m_showQueued{false}; // a showJobs is on its way to the GUI thread
    std::atomic<bool> m_ending{false};
    std::atomic<bool> m_journalErrorShown{false};
    // Runs while a job runs; when no new speed came for a while, the job shows 0 B/s instead
    // of the last speed it had.
    QTimer* m_rateWatch = nullptr;
};
