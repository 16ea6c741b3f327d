#include "gui/ftp/FtpSession.h"

#include "gui/ui/WorkerThread.h"

#include <QMetaType>

using namespace pw;

FtpSession::FtpSession(const QString& name, QObject* parent) : QObject(parent) {
    setObjectName(name);
    qRegisterMetaType<TFtpFindData>();
    qRegisterMetaType<TFTPProgressInfo>();
    m_ftp.OnStateChange = [this](TWinInetControl&, TWinInetState state) {
        emit StateChanged(static_cast<int>(state));
    };
    m_ftp.OnConnected = [this](TWinInetControl&) { emit Connected(); };
    m_ftp.OnDisconnected = [this](TWinInetControl&) { emit Disconnected(); };
    m_ftp.OnDirectoryChange = [this](TSimpleFTP&) { emit DirectoryChanged(); };
    m_ftp.OnFindItem = [this](TSimpleFTP&, const TFtpFindData& entry) { emit ItemFound(entry); };
    m_ftp.OnTransferProgress = [this](TSimpleFTP&, const TFTPProgressInfo& info) {
        emit TransferProgress(info);
    };
    m_ftp.OnLogin = [this](TSimpleFTP&, std::string& user, std::string& password) {
        if (!OnLogin || m_workers.empty()) return;
        // Any of the session's workers hands the question over; they share one GUI thread.
        m_workers.front()->Synchronize([&] { OnLogin(user, password); });
    };
}

FtpSession::~FtpSession() {
    m_closing = true;
    // Handlers waiting for the GUI thread are released first, so that nothing the abort
    // waits for can wait for this thread.
    for (WorkerThread* worker : m_workers)
        worker->Shutdown();
    RequestAbort();
    for (WorkerThread* worker : m_workers)
        worker->Join();
    std::lock_guard lock(m_abortMutex);
    if (m_aborter.joinable()) m_aborter.join();
    // The client's events must not reach a half-destroyed session.
    m_ftp.OnStateChange = nullptr;
    m_ftp.OnConnected = nullptr;
    m_ftp.OnDisconnected = nullptr;
}

WorkerThread& FtpSession::Worker(const QString& name) {
    for (WorkerThread* worker : m_workers)
        if (worker->objectName() == name) return *worker;
    auto* worker = new WorkerThread(this);
    worker->setObjectName(name);
    worker->OnStop = [this] { RequestAbort(); };
    m_workers.push_back(worker);
    return *worker;
}

void FtpSession::RequestAbort() {
    std::lock_guard lock(m_abortMutex);
    if (m_abortPending.exchange(true)) return;
    if (m_aborter.joinable()) m_aborter.join(); // the previous abort has finished
    m_aborter = std::thread([this] { abortOnOwnThread(); });
}

void FtpSession::abortOnOwnThread() {
    m_ftp.Abort();
    m_abortPending = false;
    if (!m_closing)
        QMetaObject::invokeMethod(
            this, [this] { emit AbortDone(); }, Qt::QueuedConnection);
}
