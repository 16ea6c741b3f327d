#include "core/transfer/TransferQueue.h"

#include <algorithm>

namespace pw {

TransferQueue::TransferQueue() : m_ftpMutex(m_ownMutex) {}
TransferQueue::TransferQueue(std::mutex& ftpMutex) : m_ftpMutex(ftpMutex) {}

void TransferQueue::Changed() {
    if (OnChange) OnChange();
}

bool TransferQueue::HasWork() const {
    return !m_paused && std::any_of(m_jobs.begin(), m_jobs.end(), [](const TransferJob& j) {
        return j.State == TransferJobState::Queued;
    });
}

TransferJob* TransferQueue::Find(TransferJobId id) {
    for (auto& job : m_jobs)
        if (job.Id == id) return &job;
    return nullptr;
}

std::vector<TransferJobId> TransferQueue::EnqueueTransfer(std::vector<TransferJob> jobs) {
    return Append(std::move(jobs), false);
}

std::vector<TransferJobId> TransferQueue::Restore(std::vector<TransferJob> jobs) {
    return Append(std::move(jobs), true);
}

std::vector<TransferJobId> TransferQueue::Append(std::vector<TransferJob> jobs, bool restoring) {
    std::vector<TransferJobId> ids;
    {
        std::lock_guard lock(m_ftpMutex);
        for (auto& job : jobs) {
            if (restoring && job.State == TransferJobState::Done) continue;
            job.Id = m_nextId++;
            // A restored job that had failed keeps its state and reason.
            if (!restoring || job.State != TransferJobState::Failed) {
                job.State = TransferJobState::Queued;
                job.Reason.clear();
            }
            ids.push_back(job.Id);
            m_jobs.push_back(std::move(job));
        }
    }
    m_work.notify_all();
    Changed();
    return ids;
}

std::optional<TransferJob> TransferQueue::TakeHead() {
    std::optional<TransferJob> taken;
    {
        std::lock_guard lock(m_ftpMutex);
        if (m_paused) return std::nullopt;
        for (auto& job : m_jobs) {
            if (job.State == TransferJobState::Queued) {
                job.State = TransferJobState::Running;
                taken = job;
                break;
            }
        }
    }
    if (taken) Changed();
    return taken;
}

void TransferQueue::Finish(TransferJobId id) {
    {
        std::lock_guard lock(m_ftpMutex);
        std::erase_if(m_jobs, [id](const TransferJob& j) { return j.Id == id; });
    }
    Changed();
}

void TransferQueue::Fail(TransferJobId id, std::string reason) {
    {
        std::lock_guard lock(m_ftpMutex);
        if (TransferJob* job = Find(id)) {
            job->State = TransferJobState::Failed;
            job->Reason = std::move(reason);
        }
    }
    Changed();
}

void TransferQueue::Requeue(TransferJobId id) {
    {
        std::lock_guard lock(m_ftpMutex);
        if (TransferJob* job = Find(id)) job->State = TransferJobState::Queued;
    }
    m_work.notify_all();
    Changed();
}

size_t TransferQueue::DeleteJobs(const std::vector<TransferJobId>& ids) {
    size_t removed = 0;
    {
        std::lock_guard lock(m_ftpMutex);
        removed = std::erase_if(m_jobs, [&](const TransferJob& j) {
            return j.State != TransferJobState::Running &&
                   std::find(ids.begin(), ids.end(), j.Id) != ids.end();
        });
    }
    if (removed) Changed();
    return removed;
}

size_t TransferQueue::Retry(const std::vector<TransferJobId>& ids) {
    size_t count = 0;
    {
        std::lock_guard lock(m_ftpMutex);
        for (auto& job : m_jobs) {
            if (job.State == TransferJobState::Failed &&
                std::find(ids.begin(), ids.end(), job.Id) != ids.end()) {
                job.State = TransferJobState::Queued;
                job.Reason.clear();
                ++count;
            }
        }
    }
    if (count) {
        m_work.notify_all();
        Changed();
    }
    return count;
}

size_t TransferQueue::RetryAllFailed() {
    std::vector<TransferJobId> ids;
    for (const auto& job : Jobs())
        if (job.State == TransferJobState::Failed) ids.push_back(job.Id);
    return Retry(ids);
}

void TransferQueue::SetPaused(bool paused) {
    {
        std::lock_guard lock(m_ftpMutex);
        if (m_paused == paused) return;
        m_paused = paused;
    }
    m_work.notify_all();
    Changed();
}

bool TransferQueue::Paused() const {
    std::lock_guard lock(m_ftpMutex);
    return m_paused;
}

std::vector<TransferJob> TransferQueue::Jobs() const {
    std::lock_guard lock(m_ftpMutex);
    return m_jobs;
}

size_t TransferQueue::WaitingCount() const {
    std::lock_guard lock(m_ftpMutex);
    return size_t(std::count_if(m_jobs.begin(), m_jobs.end(), [](const TransferJob& j) {
        return j.State == TransferJobState::Queued;
    }));
}

bool TransferQueue::WaitForWork(std::stop_token stop) {
    std::unique_lock lock(m_ftpMutex);
    return m_work.wait(lock, stop, [this] { return HasWork(); });
}

} // namespace pw
