#include "gui/transfer/TransferController.h"

#include "core/transfer/TransferJournal.h"
#include "core/transfer/TransferRate.h"
#include "gui/app/CommandTable.h"
#include "gui/ftp/FtpSession.h"
#include "gui/transfer/TransfersPage.h"
#include "gui/ui/WorkerThread.h"

#include <QAction>
#include <QTimer>

#include <map>
#include <utility>

using namespace pw;

TransferController::TransferController(Services services, QObject* parent)
    : QObject(parent), m_services(std::move(services)),
      thTransfer(m_services.Session.Worker("thTransfer")) {
    setObjectName("TransferController");
    m_rateWatch = new QTimer(this);
    m_rateWatch->setSingleShot(true);
    m_rateWatch->setInterval(2000);
    connect(m_rateWatch, &QTimer::timeout, this, [this] {
        m_services.Page.SetRateText(QString::fromStdString(TransferRateText(0, -1)));
    });
    m_queue = std::make_unique<TransferQueue>(m_services.FtpMutex);
    m_queue->OnChange = [this] { queueChanged(); };
    m_worker = std::make_unique<TransferWorker>(*m_queue, m_services.Session.Ftp(), makeEvents());

    thTransfer.OnExecute = [this](WorkerThread&) { m_worker->Run(m_stop.get_token()); };
    // Stopping the component (the close path) ends the loop and cuts the running job short.
    thTransfer.OnStop = [this] {
        m_stop.request_stop();
        m_services.Session.RequestAbort();
    };

    TransfersPage& page = m_services.Page;
    connect(&page, &TransfersPage::RunModeChanged, this, &TransferController::runModeChanged);
    CommandTable& c = m_services.Commands;
    c.On("TransferStop", [this] { Stop(); });
    c.On("TransferDelete", [this] { DeleteSelected(); });
    c.On("TransferRetry", [this] { Retry(); });
}

TransferController::~TransferController() {
    // The worker ends (a running job goes back to waiting) and its thread is joined before
    // the queue and the worker go; the session that owns the thread outlives this.
    m_ending = true;
    m_stop.request_stop();
    m_services.Session.RequestAbort();
    thTransfer.Shutdown();
    thTransfer.Join();
    thTransfer.OnStop = nullptr;
    thTransfer.OnExecute = nullptr;
}

TransferEvents TransferController::makeEvents() {
    TransferEvents e;
    TransfersPage* page = &m_services.Page;
    // Every event reaches the page on the GUI thread in the order the worker issued it.
    auto queue = [this](std::function<void()> step) { thTransfer.Queue(std::move(step)); };
    e.OnLabel = [page, queue](const std::string& text) {
        queue([page, text = QString::fromStdString(text)] { page->SetLabel(text); });
    };
    e.OnPercentLabel = [page, queue](const std::string& text) {
        queue([page, text = QString::fromStdString(text)] { page->SetPercentLabel(text); });
    };
    e.OnProgress = [page, queue](int position) {
        queue([page, position] { page->SetProgress(position); });
    };
    e.OnRate = [this, page, queue](double bytesPerSecond, int64_t secondsLeft) {
        const QString text = QString::fromStdString(TransferRateText(bytesPerSecond, secondsLeft));
        queue([this, page, text] {
            page->SetRateText(text);
            m_rateWatch->start();
        });
    };
    e.OnJobStarted = [this, queue](const TransferJob&) {
        queue([this] {
            setStopEnabled(true);
            m_rateWatch->start();
        });
    };
    auto ended = [this, page, queue](const TransferJob&) {
        queue([this, page] {
            m_rateWatch->stop();
            setStopEnabled(false);
            page->SetRateText(QString());
        });
    };
    e.OnJobFinished = ended;
    e.OnJobFailed = ended;
    e.OnReconnecting = [page, queue](const TransferJob& job, int attempt,
                                     std::chrono::milliseconds pause) {
        const QString text = QString("Connection to %1 lost; trying again (%2) in %3 s")
                                 .arg(QString::fromStdString(job.Record.ServerHost))
                                 .arg(attempt)
                                 .arg(double(pause.count()) / 1000.0, 0, 'f', 1);
        queue([page, text] { page->SetLabel(text); });
    };
    e.OnStateChange = [this](ActivityState state) { m_services.SetTransferState(state); };
    return e;
}

void TransferController::setStopEnabled(bool enabled) {
    for (QAction* item : m_services.Commands.Items("TransferStop"))
        item->setEnabled(enabled);
}

void TransferController::startWorker() {
    // The worker's loop runs until the window closes; it is started by the first job.
    if (m_ending || !thTransfer.Suspended()) return;
    m_stop = std::stop_source();
    thTransfer.Start();
}

void TransferController::EnqueueTransfer(std::vector<TransferJob> jobs) {
    m_queue->EnqueueTransfer(std::move(jobs));
    startWorker();
}

void TransferController::KeepJournal(const std::string& path, const TnkDBSource& configurations) {
    m_journal = std::make_unique<TransferJournal>(path);
    TransferJournalLoad kept = m_journal->Load();
    if (!kept.Error.empty()) m_services.ShowError(QString::fromStdString(kept.Error));
    // A write that fails is shown once, on the GUI thread; the queue goes on without it.
    m_journal->OnError = [this](const std::string& error) {
        if (m_journalErrorShown.exchange(true)) return;
        QMetaObject::invokeMethod(
            this,
            [this, text = QString::fromStdString(error)] {
                m_services.ShowError("The transfer list cannot be kept: " + text);
            },
            Qt::QueuedConnection);
    };
    std::vector<TransferJob>& jobs = kept.Jobs;
    if (!jobs.empty()) {
        FillJobPasswords(jobs, configurations);
        askMissingPasswords(jobs);
        m_services.Page.PressPause();
        m_queue->SetPaused(true);
        m_queue->Restore(std::move(jobs));
    }
    m_journal->Attach(*m_queue);
    if (m_queue->Jobs().size() > 0) startWorker();
}

void TransferController::askMissingPasswords(std::vector<TransferJob>& jobs) {
    std::map<std::pair<std::string, std::string>, std::string> asked;
    for (TransferJob& job : jobs) {
        TnkFTPRecord& r = job.Record;
        if (!r.ServerPassword.empty() || !AskPassword) continue;
        const auto key = std::pair(r.ServerHost, r.ServerUser);
        auto known = asked.find(key);
        if (known == asked.end()) {
            AskPassword(r);
            known = asked.emplace(key, r.ServerPassword).first;
        }
        r.ServerPassword = known->second;
    }
}

void TransferController::runModeChanged() {
    m_queue->SetPaused(m_services.Page.PauseDown());
}

void TransferController::Stop() {
    setStopEnabled(false);
    // The jobs still waiting stay until the user restarts the queue.
    QAction* pause = m_services.Commands.Item("miTransferPause");
    if (m_queue->WaitingCount() > 0 && pause && pause->isEnabled()) pause->trigger();
    m_worker->Stop();
}

void TransferController::DeleteSelected() {
    m_queue->DeleteJobs(m_services.Page.SelectedJobIds());
}

void TransferController::Retry() {
    std::vector<TransferJobId> ids = m_services.Page.SelectedJobIds();
    if (m_queue->Retry(ids) == 0) m_queue->RetryAllFailed();
    startWorker();
}

void TransferController::queueChanged() {
    if (m_ending || m_showQueued.exchange(true)) return;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_showQueued = false;
            showJobs();
        },
        Qt::QueuedConnection);
}

void TransferController::showJobs() {
    m_services.Page.ShowJobs(m_queue->Jobs());
    emit JobsChanged();
    m_services.RequestCommandRefresh();
}
