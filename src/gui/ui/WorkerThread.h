#pragma once
// The worker-thread component: every Start runs the execute handler on a fresh thread. Stop
// asks the running handler to end and returns at once; the handler sees it through
// Terminated() and ends by itself. A handler hands steps that touch controls to the GUI
// thread with Synchronize (waits) or Queue (does not wait), in the order it issues them.
#include <QObject>

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class WorkerThread : public QObject {
    Q_OBJECT
public:
    explicit WorkerThread(QObject* parent = nullptr);
    // Asks every run still going to end and waits a short while for them; a handler blocked
    // in a Synchronize call is released (the step is skipped).
    ~WorkerThread() override;

    std::function<void(WorkerThread&)> OnExecute;

    // Runs OnExecute on a new thread. A run still going is told to stop first and left to end
    // by itself; the new run does not wait for it.
    void Start();
    // Asks the current run to end; does not wait.
    void Stop();
    // Called by the handler: whether its own run was asked to end. Called from elsewhere:
    // whether the latest run was asked to end (false before the first start).
    bool Terminated() const;
    // No run is going: never started, or the latest handler has returned.
    bool Suspended() const;

    // Runs `step` on the GUI thread and waits for it; runs it directly when already there.
    // Returns false when the step could not run because the component is going away.
    bool Synchronize(const std::function<void()>& step);
    // Hands `step` to the GUI thread without waiting.
    void Queue(std::function<void()> step);

    // Waits until no run is going or the time is up; returns whether none is going. For
    // tests and for shutting down.
    bool WaitFor(int milliseconds) const;

    struct Run;

private:
    std::shared_ptr<Run> latest() const;

    mutable std::mutex m_mutex;
    std::vector<std::shared_ptr<Run>> m_runs; // runs that may still be going
    std::shared_ptr<Run> m_latest;
    QObject* m_gui; // receiver of the handed-over steps, lives on the GUI thread
};
