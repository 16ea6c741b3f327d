#pragma once
// The worker-thread component: every Start runs the execute handler on a fresh thread that the
// component owns and joins; no thread outlives it. Stop asks the running handler to end and
// returns at once; the handler sees it through Terminated() and ends by itself, and OnStop
// (when set) is called so that whatever blocks the handler (a connection) can be cut. A
// handler hands steps that touch controls to the GUI thread with Synchronize (waits) or
// Queue (does not wait), in the order it issues them.
#include <QObject>

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class WorkerThread : public QObject {
    Q_OBJECT
public:
    explicit WorkerThread(QObject* parent = nullptr);
    // Shutdown(), then waits for every run to end.
    ~WorkerThread() override;

    std::function<void(WorkerThread&)> OnExecute;
    // Called on the stopping thread when a run is asked to end by Stop or Shutdown; it must
    // not wait for the handler.
    std::function<void()> OnStop;

    // Runs OnExecute on a new thread. A run still going is told to stop first and left to end
    // by itself; the new run does not wait for it.
    void Start();
    // Asks the current run to end; does not wait.
    void Stop();
    // Asks every run to end and releases handlers waiting in Synchronize (their steps are
    // skipped, and later Synchronize and Queue calls do nothing). Does not wait; the
    // component cannot start again afterwards.
    void Shutdown();
    // Waits until every run has ended and joins its thread.
    void Join();
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

    // Waits until the latest run has ended or the time is up; returns whether it has ended.
    bool WaitFor(int milliseconds) const;

    struct Run;

private:
    std::shared_ptr<Run> latest() const;
    void requestStop(Run& run);

    struct Owned; // a run and the thread that executes it
    mutable std::mutex m_mutex;
    std::vector<Owned> m_runs; // joined when finished, at the latest on destruction
    std::shared_ptr<Run> m_latest;
    QObject* m_gui; // receiver of the handed-over steps, lives on the GUI thread
};
