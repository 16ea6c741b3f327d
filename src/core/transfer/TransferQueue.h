#pragma once
// The transfer queue: jobs in order under the lock "ftpMutex". Waiting jobs are taken from
// the head by the worker; a taken job stays listed as running until it is done (then it
// leaves the queue) or has failed (then it stays, with its reason, until it is retried or
// deleted). Every member may be called from any thread. OnChange is called after every
// change, outside the lock, on the thread that made the change.
#include "core/transfer/TransferJob.h"

#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <stop_token>
#include <vector>

namespace pw {

class TransferQueue {
public:
    TransferQueue(); // with a lock of its own
    explicit TransferQueue(std::mutex& ftpMutex);
    TransferQueue(const TransferQueue&) = delete;
    TransferQueue& operator=(const TransferQueue&) = delete;

    // Set before other threads use the queue.
    std::function<void()> OnChange;

    std::mutex& ftpMutex() { return m_ftpMutex; }

    // Appends the jobs in the given order as waiting jobs; returns their new ids.
    std::vector<TransferJobId> EnqueueTransfer(std::vector<TransferJob> jobs);
    // Puts jobs back as they were kept (a journal read at start): appended in the given order
    // with new ids, waiting, or failed with their reasons. A job kept as running waits again;
    // a done job is left out. Returns the new ids of the jobs put back.
    std::vector<TransferJobId> Restore(std::vector<TransferJob> jobs);
    // The first waiting job, now running; nothing when none waits or the queue is paused.
    std::optional<TransferJob> TakeHead();
    // A running job is done and leaves the queue.
    void Finish(TransferJobId id);
    // A running job failed and stays in the queue with its reason.
    void Fail(TransferJobId id, std::string reason);
    // A running job waits again at its place (the worker ended under it).
    void Requeue(TransferJobId id);
    // Removes the waiting and failed jobs among `ids`; a running job is kept (Stop ends it).
    // Returns how many were removed.
    size_t DeleteJobs(const std::vector<TransferJobId>& ids);
    // The failed jobs among `ids` wait again at their places; returns how many.
    size_t Retry(const std::vector<TransferJobId>& ids);
    size_t RetryAllFailed();

    // Pause: the worker takes no further job; Restart (false) lets it go on.
    void SetPaused(bool paused);
    bool Paused() const;

    std::vector<TransferJob> Jobs() const; // a copy, in order
    size_t WaitingCount() const;

    // Waits until a job waits and the queue is not paused (true), or stop is requested.
    bool WaitForWork(std::stop_token stop);

private:
    // With `restoring`, done jobs are left out and failed ones stay failed.
    std::vector<TransferJobId> Append(std::vector<TransferJob> jobs, bool restoring);
    void Changed();
    bool HasWork() const; // with the lock held
    TransferJob* Find(TransferJobId id);

    std::mutex m_ownMutex;
    std::mutex& m_ftpMutex;
    std::condition_variable_any m_work;
    std::vector<TransferJob> m_jobs; // guarded by m_ftpMutex
    TransferJobId m_nextId = 1;      // guarded by m_ftpMutex
    bool m_paused = false;           // guarded by m_ftpMutex
};

} // namespace pw
