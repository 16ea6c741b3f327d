#include "gui/ui/WorkerThread.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <thread>
#include <iterator>

struct WorkerThread::Run {
    const WorkerThread* owner = nullptr;
    std::atomic<bool> terminated{false};
    std::mutex mutex;
    std::condition_variable finishedSignal;
    bool finished = false;

    void finish() {
        std::lock_guard lock(mutex);
        finished = true;
        finishedSignal.notify_all();
    }
    bool waitFinished(std::chrono::steady_clock::time_point until) {
        std::unique_lock lock(mutex);
        return finishedSignal.wait_until(lock, until, [this] { return finished; });
    }
    bool isFinished() {
        std::lock_guard lock(mutex);
        return finished;
    }
};

namespace {
// The run whose handler executes on the calling thread, if any.
thread_local WorkerThread::Run* t_currentRun = nullptr;

bool onGuiThread() {
    const QCoreApplication* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}
} // namespace

struct WorkerThread::Owned {
    std::shared_ptr<Run> run;
    std::jthread thread;
};

WorkerThread::WorkerThread(QObject* parent) : QObject(parent), m_gui(new QObject(this)) {}

WorkerThread::~WorkerThread() {
    Shutdown();
    Join();
}

void WorkerThread::Shutdown() {
    std::vector<std::shared_ptr<Run>> runs;
    QObject* gui;
    {
        std::lock_guard lock(m_mutex);
        for (const Owned& owned : m_runs)
            runs.push_back(owned.run);
        gui = m_gui;
        m_gui = nullptr;
    }
    for (const auto& run : runs)
        requestStop(*run);
    // Deleting the receiver discards its pending steps, which releases handlers that wait in
    // Synchronize.
    delete gui;
}

void WorkerThread::Join() {
    std::vector<Owned> runs;
    {
        std::lock_guard lock(m_mutex);
        runs.swap(m_runs);
    }
    for (Owned& owned : runs)
        if (owned.thread.joinable()) owned.thread.join();
}

void WorkerThread::Start() {
    auto run = std::make_shared<Run>();
    run->owner = this;
    std::vector<Owned> finished;
    std::shared_ptr<Run> previous;
    {
        std::lock_guard lock(m_mutex);
        if (!m_gui) return; // shut down
        previous = m_latest;
        auto done = std::stable_partition(m_runs.begin(), m_runs.end(),
                                          [](const Owned& o) { return !o.run->isFinished(); });
        std::move(done, m_runs.end(), std::back_inserter(finished));
        m_runs.erase(done, m_runs.end());
        m_latest = run;
        m_runs.push_back({run, std::jthread([this, run, handler = OnExecute] {
                              t_currentRun = run.get();
                              if (handler) handler(*this);
                              t_currentRun = nullptr;
                              run->finish();
                          })});
    }
    if (previous) previous->terminated = true; // left to end by itself
    for (Owned& owned : finished)
        owned.thread.join(); // their handlers have returned: this does not wait
}

void WorkerThread::Stop() {
    if (auto run = latest()) requestStop(*run);
}

void WorkerThread::requestStop(Run& run) {
    if (run.terminated.exchange(true) || run.isFinished()) return;
    if (OnStop) OnStop();
}

bool WorkerThread::Terminated() const {
    if (t_currentRun && t_currentRun->owner == this) return t_currentRun->terminated;
    auto run = latest();
    return run && run->terminated;
}

bool WorkerThread::Suspended() const {
    auto run = latest();
    return !run || run->isFinished();
}

bool WorkerThread::Synchronize(const std::function<void()>& step) {
    if (onGuiThread()) {
        step();
        return true;
    }
    struct State {
        std::mutex mutex;
        std::condition_variable doneSignal;
        bool done = false;
        bool ran = false;
    };
    // Destroyed with the last copy of the posted call: after the step ran, or when the call
    // is discarded because the receiver went away. Either way the waiting handler goes on.
    struct Notifier {
        std::shared_ptr<State> state;
        ~Notifier() {
            std::lock_guard lock(state->mutex);
            state->done = true;
            state->doneSignal.notify_all();
        }
    };
    auto state = std::make_shared<State>();
    {
        auto notifier = std::shared_ptr<Notifier>(new Notifier{state});
        std::lock_guard lock(m_mutex);
        if (!m_gui) return false;
        QMetaObject::invokeMethod(
            m_gui,
            [notifier, &step] {
                step();
                notifier->state->ran = true;
            },
            Qt::QueuedConnection);
    }
    std::unique_lock lock(state->mutex);
    state->doneSignal.wait(lock, [&] { return state->done; });
    return state->ran;
}

void WorkerThread::Queue(std::function<void()> step) {
    std::lock_guard lock(m_mutex);
    if (!m_gui) return;
    QMetaObject::invokeMethod(m_gui, std::move(step), Qt::QueuedConnection);
}

bool WorkerThread::WaitFor(int milliseconds) const {
    auto run = latest();
    if (!run) return true;
    return run->waitFinished(std::chrono::steady_clock::now() +
                             std::chrono::milliseconds(milliseconds));
}

std::shared_ptr<WorkerThread::Run> WorkerThread::latest() const {
    std::lock_guard lock(m_mutex);
    return m_latest;
}
