#pragma once
// The bridge between one FTP client and the GUI. The session owns the client and the worker
// threads that run its operations; it installs the client's events once and re-emits them as
// Qt signals, which reach receivers on the GUI thread queued and in the order issued.
// RequestAbort never blocks the calling thread: the abort runs on a thread of the session's
// own and AbortDone reports when the connection is closed. Destroying the session releases
// handlers that wait for the GUI thread, cuts the connection and joins every thread.
#include "core/ftp/TSimpleFTP.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class WorkerThread;

class FtpSession : public QObject {
    Q_OBJECT
public:
    explicit FtpSession(const QString& name, QObject* parent = nullptr);
    ~FtpSession() override;

    // The client. Set its properties only while no operation runs.
    pw::TSimpleFTP& Ftp() { return m_ftp; }
    // A worker of this session, created on first use and named `name` (as thFTPConnect).
    // Stopping it aborts the session's running operation.
    WorkerThread& Worker(const QString& name);

    // Asks the running operation to end and the connection to close; returns at once.
    // AbortDone follows once the connection is closed. A second request while one is
    // under way is folded into it.
    void RequestAbort();
    bool AbortPending() const { return m_abortPending; }

    // Answers the client's login question on the GUI thread (the worker waits for it). Not
    // called when the session is going away; the login then goes ahead with what it has.
    std::function<void(std::string& userName, std::string& password)> OnLogin;

signals:
    void StateChanged(int state); // a TWinInetState
    void Connected();
    void Disconnected();
    void DirectoryChanged();
    void ItemFound(const pw::TFtpFindData& entry);
    void TransferProgress(const pw::TFTPProgressInfo& info);
    void AbortDone();

private:
    void abortOnOwnThread();

    pw::TSimpleFTP m_ftp;
    std::vector<WorkerThread*> m_workers;
    std::mutex m_abortMutex;
    std::thread m_aborter; // guarded by m_abortMutex
    std::atomic<bool> m_abortPending{false};
    std::atomic<bool> m_closing{false};
};
