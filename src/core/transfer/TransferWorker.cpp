#include "core/transfer/TransferWorker.h"

#include "core/ftp/FtpErrors.h"
#include "core/ftp/FtpPaths.h"
#include "core/ftp/TSimpleFTP.h"
#include "core/ftp/TemporaryUpload.h"
#include "core/local/ReplaceFile.h"
#include "core/transfer/JobServer.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pw {

namespace {
bool IsUnsafeLocalPath(const std::string& path) {
    if (path.find('\0') != std::string::npos || path.find(kLocalSeparator) == std::string::npos)
        return true;
    size_t at = 0;
    while (at <= path.size()) {
        size_t end = path.find(kLocalSeparator, at);
        if (end == std::string::npos) end = path.size();
        const std::string_view segment(path.data() + at, end - at);
        if (segment == "." || segment == "..") return true;
        at = end + 1;
    }
    return !IsSafeLocalName(LocalFileNamePart(path));
}

// A name of the target's folder that nothing uses yet, for the download in progress.
std::string TemporaryNameBeside(const std::string& target) {
    static std::atomic<unsigned> counter{0};
    const size_t slash = target.rfind(kLocalSeparator);
    const std::string folder = target.substr(0, slash + 1);
    const std::string name = target.substr(slash + 1);
    for (;;) {
        const std::string unique =
            std::to_string(::getpid()) + "-" + std::to_string(counter.fetch_add(1));
        std::string temp = folder + "." + name + ".pw-" + unique + ".part";
        if (name.size() > 200) temp = folder + ".pagewright-" + unique + ".part";
        struct stat info {};
        if (::lstat(temp.c_str(), &info) != 0) return temp;
    }
}

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); !from.empty() && at != std::string::npos;
         at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

// Rounded down, so that a file shows 100% only when it is complete.
int64_t Percent(int64_t done, int64_t total) {
    return done != 0 && total != 0 ? int64_t(static_cast<__int128>(done) * 100 / total) : 0;
}
} // namespace

std::string TransferPercentText(int64_t done, int64_t total) {
    return std::to_string(done) + " / " + std::to_string(total) + " - " +
           std::to_string(Percent(done, total)) + "%";
}

TransferWorker::TransferWorker(TransferQueue& queue, TSimpleFTP& ftpTransfer, TransferEvents events,
                               TransferWorkerOptions options)
    : m_queue(queue), m_ftp(ftpTransfer), m_events(std::move(events)), m_options(options) {}

bool TransferWorker::JobRunning() const {
    std::lock_guard lock(m_mutex);
    return m_jobRunning;
}

bool TransferWorker::JobStopped() const {
    std::lock_guard lock(m_mutex);
    return m_stopJob;
}

void TransferWorker::Stop() {
    {
        std::lock_guard lock(m_mutex);
        if (!m_jobRunning) return;
        m_stopJob = true;
    }
    m_wake.notify_all();
    if (m_queue.WaitingCount() > 0) m_queue.SetPaused(true);
    m_ftp.Abort();
}

void TransferWorker::SetState(ActivityState state) {
    if (state == m_state) return;
    m_state = state;
    if (m_events.OnStateChange) m_events.OnStateChange(state);
}

void TransferWorker::Label(const std::string& text) {
    if (m_events.OnLabel) m_events.OnLabel(text);
}

void TransferWorker::Progress(int64_t done, int64_t total) {
    std::string text = TransferPercentText(done, total);
    if (text != m_lastPercent) {
        m_lastPercent = text;
        if (m_events.OnPercentLabel) m_events.OnPercentLabel(m_lastPercent);
    }
    // The bar shows the percentage of the text beside it.
    const int position = total >= 1 ? int(std::clamp<int64_t>(Percent(done, total), 0, 100)) : 0;
    if (position != m_lastPosition) {
        m_lastPosition = position;
        if (m_events.OnProgress) m_events.OnProgress(position);
    }
    if (m_measuring && m_rate.Update(done, total) && m_events.OnRate)
        m_events.OnRate(m_rate.BytesPerSecond(), m_rate.SecondsLeft());
}

void TransferWorker::Run(std::stop_token stop) {
    const bool silent = m_ftp.SilentExceptions;
    m_ftp.SilentExceptions = false;
    auto previousProgress = std::move(m_ftp.OnTransferProgress);
    m_ftp.OnTransferProgress = [this](TSimpleFTP&, const TFTPProgressInfo& info) {
        Progress(info.BytesDone, info.BytesTotal);
    };
    while (!stop.stop_requested()) {
        if (std::optional<TransferJob> job = m_queue.TakeHead()) {
            RunJob(std::move(*job), stop);
            continue;
        }
        CloseIdleConnection();
        if (!m_queue.WaitForWork(stop)) break;
    }
    CloseIdleConnection();
    m_ftp.OnTransferProgress = std::move(previousProgress);
    m_ftp.SilentExceptions = silent;
}

void TransferWorker::CloseIdleConnection() {
    if (m_connected) {
        m_connected = false;
        m_ftp.Disconnect();
        m_showsActivity = true;
    }
    if (!m_showsActivity) return;
    m_showsActivity = false;
    Label("Disconnected");
    m_lastPercent.clear();
    if (m_events.OnPercentLabel) m_events.OnPercentLabel("");
    m_lastPosition = 0;
    if (m_events.OnProgress) m_events.OnProgress(0);
    SetState(ActivityState::Idle);
}

void TransferWorker::RunJob(TransferJob job, const std::stop_token& stop) {
    {
        std::lock_guard lock(m_mutex);
        m_jobRunning = true;
        m_stopJob = false;
    }
    m_showsActivity = true;
    if (m_events.OnJobStarted) m_events.OnJobStarted(job);
    const TnkFTPRecord& record = job.Record;
    if (m_connected && !ServesJob(m_ftp, record)) {
        m_ftp.Disconnect();
        m_connected = false;
        SetState(ActivityState::Idle);
    }

    std::string reason;
    Outcome outcome = Outcome::Failed;
    DownloadPart part;
    const bool folderOnly = record.Upload && job.MakeRemoteFolder && record.RemoteFile.empty();
    const bool unsafe = (!folderOnly && !IsSafeLocalName(record.RemoteFile)) ||
                        (!record.Upload && IsUnsafeLocalPath(record.LocalFile));
    if (unsafe) {
        reason = FormatMessage("Refused the name %s: it leads outside the target folder",
                               record.Upload ? record.RemoteFile : record.LocalFile);
    } else {
        for (int attempt = 0;; ++attempt) {
            reason.clear();
            outcome = Attempt(job, attempt > 0, part, reason);
            if (outcome != Outcome::ConnectionLost || attempt >= m_options.ReconnectTries ||
                JobStopped() || stop.stop_requested())
                break;
            const auto pause = m_options.ReconnectPause * (1 << attempt);
            if (m_events.OnReconnecting) m_events.OnReconnecting(job, attempt + 1, pause);
            if (!PauseBeforeReconnect(pause, stop)) break;
        }
    }

    // The part of a download that did not complete goes; the next run starts afresh.
    if (outcome != Outcome::Done && !part.Temp.empty()) ::unlink(part.Temp.c_str());
    m_rate.Reset();
    if (m_events.OnRate) m_events.OnRate(-1, -1);

    bool stopped = false;
    {
        std::lock_guard lock(m_mutex);
        m_jobRunning = false;
        stopped = m_stopJob;
    }
    if (outcome == Outcome::Done) {
        m_queue.Finish(job.Id);
        job.State = TransferJobState::Done;
        if (m_events.OnJobFinished) m_events.OnJobFinished(job);
    } else if (stop.stop_requested() && !stopped && !unsafe) {
        m_queue.Requeue(job.Id);
    } else {
        job.State = TransferJobState::Failed;
        job.Reason = stopped ? kTransferStoppedReason : reason;
        m_queue.Fail(job.Id, job.Reason);
        if (m_events.OnJobFailed) m_events.OnJobFailed(job);
    }
}

bool TransferWorker::PauseBeforeReconnect(std::chrono::milliseconds pause,
                                          const std::stop_token& stop) {
    std::unique_lock lock(m_mutex);
    return !m_wake.wait_for(lock, stop, pause, [this] { return m_stopJob; }) &&
           !stop.stop_requested();
}

bool TransferWorker::Connect(const TnkFTPRecord& record, std::string& reason) {
    m_connected = false;
    ApplyJobServer(m_ftp, record);
    SetState(ActivityState::Busy);
    Label("Connecting to " + record.ServerHost);
    m_lastPercent.clear();
    if (m_events.OnPercentLabel) m_events.OnPercentLabel("");
    // Each job enters its own folder, so the folder of an earlier connection is not restored:
    // it may be gone from the server, and a failed restore would fail the connect.
    if (!m_ftp.IsConnected()) m_ftp.ChangeDir("");
    bool ok = false;
    try {
        ok = m_ftp.Connect();
    } catch (const std::exception& e) {
        reason = e.what();
    }
    if (!ok) {
        if (reason.empty()) reason = FormatMessage("Unable to connect to %s", record.ServerHost);
        SetState(ActivityState::Idle);
        return false;
    }
    m_connected = true; // only a connect that succeeded counts as a connection
    SetState(ActivityState::Connected);
    return true;
}

bool TransferWorker::EnterFolder(const TransferJob& job, std::string& reason) {
    const std::string& folder = job.Record.RemoteFolder;
    bool entered = false;
    try {
        entered = m_ftp.ChangeDir(folder);
    } catch (const std::exception& e) {
        reason = e.what();
    }
    if (!entered && job.Record.Upload && job.MakeRemoteFolder && m_ftp.IsConnected() &&
        !JobStopped()) {
        reason.clear();
        try {
            entered = m_ftp.ForceDir(folder);
        } catch (const std::exception& e) {
            reason = e.what();
        }
    }
    if (!entered && reason.empty()) reason = FormatMessage(FtpText::CouldntChangeDir, folder);
    return entered;
}

TransferWorker::Outcome TransferWorker::Attempt(const TransferJob& job, bool reconnecting,
                                                DownloadPart& part, std::string& reason) {
    const TnkFTPRecord& record = job.Record;
    auto lostOrFailed = [&] {
        if (JobStopped()) return Outcome::Failed;
        return m_ftp.IsConnected() ? Outcome::Failed : Outcome::ConnectionLost;
    };
    if (JobStopped()) return Outcome::Failed;
    if (!m_connected || !m_ftp.IsConnected()) {
        if (!Connect(record, reason))
            return reconnecting && !JobStopped() ? Outcome::ConnectionLost : Outcome::Failed;
    }
    if (JobStopped()) return Outcome::Failed;

    // The job's folder must be entered: a transfer never goes to another folder instead.
    if (!EnterFolder(job, reason)) return lostOrFailed();
    if (record.Upload && job.MakeRemoteFolder && record.RemoteFile.empty()) {
        Label(record.LocalFile + " -> " + record.ServerHost + ":" + record.RemoteFolder);
        return Outcome::Done; // a job that only makes its folder
    }
    const std::string shown = JobRemotePath(record);
    const std::string remotePath = m_ftp.AddSlash(m_ftp.RemoteDir()) + record.RemoteFile;
    m_lastPercent.clear();
    m_lastPosition = -1;
    m_rate.Reset();
    m_measuring = true; // the login and folder replies before are no part of the speed
    bool ok = false;
    if (record.Upload) {
        Label(record.LocalFile + " -> " + record.ServerHost + ":" + shown);
        try {
            ok = record.UploadViaTemporary ? PutViaTemporary(m_ftp, record.LocalFile, remotePath)
                                           : m_ftp.Put(record.LocalFile, remotePath);
        } catch (const std::exception& e) {
            reason = e.what();
            ReplaceAll(reason, UploadTemporaryPath(remotePath), remotePath);
        }
        if (!ok && reason.empty())
            reason = FormatMessage(FtpText::ErrorPutting, record.LocalFile, remotePath);
    } else {
        Label(record.ServerHost + ":" + shown + " -> " + record.LocalFile);
        ok = Download(record, remotePath, part, reason);
    }
    m_measuring = false;
    if (!ok) return lostOrFailed();
    const TFTPProgressInfo done = m_ftp.ProgressInfo();
    Progress(done.BytesDone, done.BytesTotal);
    return Outcome::Done;
}

bool TransferWorker::Download(const TnkFTPRecord& record, const std::string& remotePath,
                              DownloadPart& part, std::string& reason) {
    const std::string& target = record.LocalFile;
    struct stat info {};
    if (m_ftp.FailIfExistsOnGet && ::lstat(target.c_str(), &info) == 0) {
        reason = FormatMessage(FtpText::ErrorGetting, remotePath, target) + ": file exists";
        return false;
    }
    // The temporary name keeps the target untouched until the file is complete and its time
    // is set; it stays the same over the tries of the job, so a later one continues the file.
    if (part.Temp.empty()) part.Temp = TemporaryNameBeside(target);
    const std::string& temp = part.Temp;
    bool ok = false;
    try {
        ok = m_ftp.GetResumable(remotePath, temp, part.Listed);
    } catch (const std::exception& e) {
        reason = e.what();
        ReplaceAll(reason, temp, target);
    }
    if (ok && record.FileDate > 0) {
        const timespec times[2] = {{0, UTIME_NOW}, {FileDateToUnixSeconds(record.FileDate), 0}};
        if (::utimensat(AT_FDCWD, temp.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0) {
            reason = FormatMessage("Cannot set the time of %s: %s", target, std::strerror(errno));
            ok = false;
        }
    }
    if (ok) {
        if (const int error = ReplaceFile(temp, target); error != 0) {
            reason = FormatMessage("Cannot create file %s: %s", target, std::strerror(error));
            ok = false;
        }
    }
    if (!ok && reason.empty()) reason = FormatMessage(FtpText::ErrorGetting, remotePath, target);
    return ok;
}

} // namespace pw
