#pragma once
// The transfer worker: takes the queue's jobs in order and runs them with one FTP client on
// the caller's thread. The connection is kept while consecutive jobs name the same server,
// login and password, and closed when the queue runs empty or is paused. A job fails, and
// stays in the queue with its reason, when its connect fails, when its server folder cannot
// be entered, when a name would leave the local target folder, or when the transfer fails.
// A connection lost during a job is made again (a few tries with a growing pause): an upload
// then runs again from its start, a download continues after the bytes that had arrived. A
// download goes to a temporary name in the target folder (kept between those tries, removed
// when the job fails) and replaces the target only when complete, with its file time already
// set. A job that may make its server folder (MakeRemoteFolder) makes every missing folder
// of it; with no file name that is all it does.
//
// While Run runs it owns the client: it turns the client's exceptions on to learn why an
// operation failed and sets its OnTransferProgress; both are restored when Run returns.
#include "core/app/ActivityState.h"
#include "core/ftp/FtpFindData.h"
#include "core/transfer/TransferQueue.h"
#include "core/transfer/TransferRate.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <stop_token>
#include <string>

namespace pw {

class TSimpleFTP;

// Called on the worker's thread, in the order the worker issues them.
struct TransferEvents {
    std::function<void(const std::string& text)> OnLabel;        // what the worker does
    std::function<void(const std::string& text)> OnPercentLabel; // "1024 / 4096 - 25%"
    std::function<void(int position)> OnProgress;                // 0 to 100, rounded
    // Speed and time left of the running transfer, at most twice a second (TransferRate;
    // TransferRateText makes the status text): seconds left -1 when unknown; a negative
    // speed once the job has ended (nothing to show).
    std::function<void(double bytesPerSecond, int64_t secondsLeft)> OnRate;
    std::function<void(const TransferJob& job)> OnJobStarted;
    std::function<void(const TransferJob& job)> OnJobFinished;
    std::function<void(const TransferJob& job)> OnJobFailed; // job.Reason says why
    // The connection was lost during `job`; try `attempt` follows after `pause`.
    std::function<void(const TransferJob& job, int attempt, std::chrono::milliseconds pause)>
        OnReconnecting;
    std::function<void(ActivityState state)> OnStateChange; // TransferState
};

struct TransferWorkerOptions {
    int ReconnectTries = 3;                         // per job
    std::chrono::milliseconds ReconnectPause{1000}; // doubled for every further try
};

// The text of the percent label: "done / total - percent%", the percent truncated, 0 when
// either count is 0.
std::string TransferPercentText(int64_t done, int64_t total);

// The reason of a job ended by Stop.
inline constexpr const char* kTransferStoppedReason = "Stopped";

class TransferWorker {
public:
    TransferWorker(TransferQueue& queue, TSimpleFTP& ftpTransfer, TransferEvents events,
                   TransferWorkerOptions options = {});
    TransferWorker(const TransferWorker&) = delete;
    TransferWorker& operator=(const TransferWorker&) = delete;

    // The worker loop. Returns when `stop` is requested: at once when idle, else after the
    // running job (which goes back to waiting if it does not complete; to cut it short,
    // request stop and then call Abort on the client).
    void Run(std::stop_token stop);

    // The Stop command, from any thread: the running job is abandoned (it fails with
    // kTransferStoppedReason) and, when jobs still wait, the queue is paused first.
    void Stop();
    bool JobRunning() const;

private:
    enum class Outcome { Done, Failed, ConnectionLost };

    // What a download keeps between its tries: the temporary file and the server's entry.
    struct DownloadPart {
        std::string Temp; // empty until the first try chose it
        TFtpFindData Listed;
    };

    void RunJob(TransferJob job, const std::stop_token& stop);
    Outcome Attempt(const TransferJob& job, bool reconnecting, DownloadPart& part,
                    std::string& reason);
    bool Connect(const TnkFTPRecord& record, std::string& reason);
    bool EnterFolder(const TransferJob& job, std::string& reason);
    bool Download(const TnkFTPRecord& record, const std::string& remotePath, DownloadPart& part,
                  std::string& reason);
    void CloseIdleConnection();
    void SetState(ActivityState state);
    void Label(const std::string& text);
    void Progress(int64_t done, int64_t total);
    bool JobStopped() const;
    // Waits `pause` unless Stop or `stop` comes first; false when one of them came.
    bool PauseBeforeReconnect(std::chrono::milliseconds pause, const std::stop_token& stop);

    TransferQueue& m_queue;
    TSimpleFTP& m_ftp;
    TransferEvents m_events;
    TransferWorkerOptions m_options;

    mutable std::mutex m_mutex;
    std::condition_variable_any m_wake;
    bool m_jobRunning = false; // guarded by m_mutex
    bool m_stopJob = false;    // guarded by m_mutex

    // Only the worker's thread touches these.
    bool m_connected = false;
    bool m_showsActivity = false;
    ActivityState m_state = ActivityState::Idle;
    std::string m_lastPercent;
    int m_lastPosition = -1;
    TransferRate m_rate;
    bool m_measuring = false; // a transfer runs: its progress feeds m_rate
};

} // namespace pw
