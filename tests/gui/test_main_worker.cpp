// The worker-thread component: fresh thread per run, stop without waiting, restart while a
// run is going, steps handed to the GUI thread in order, shutdown with a waiting handler.
#include "gui/ui/WorkerThread.h"

#include <QCoreApplication>
#include <QTest>
#include <QThread>

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

class TestMainWorker : public QObject {
    Q_OBJECT
private slots:
    void runsOnItsOwnThread();
    void stopDoesNotWait();
    void startWhileRunningStopsThePreviousRun();
    void stepsArriveInOrder();
    void synchronizeOnGuiThreadRunsDirectly();
    void destructionReleasesWaitingHandler();
    void rapidRestarts();
    void terminatedOfAnotherWorker();
};

void TestMainWorker::runsOnItsOwnThread() {
    WorkerThread worker;
    QVERIFY(worker.Suspended());
    QVERIFY(!worker.Terminated());
    std::atomic<QThread*> ranOn{nullptr};
    std::atomic<int> runs{0};
    worker.OnExecute = [&](WorkerThread&) {
        ranOn = QThread::currentThread();
        ++runs;
    };
    worker.Start();
    QVERIFY(worker.WaitFor(5000));
    QVERIFY(ranOn != QThread::currentThread());
    QVERIFY(worker.Suspended());
    worker.Start(); // a finished worker starts again on a fresh thread
    QVERIFY(worker.WaitFor(5000));
    QCOMPARE(runs.load(), 2);
}

void TestMainWorker::stopDoesNotWait() {
    WorkerThread worker;
    std::atomic<bool> release{false}, sawTerminated{false};
    worker.OnExecute = [&](WorkerThread& w) {
        while (!release)
            QThread::msleep(1);
        sawTerminated = w.Terminated();
    };
    worker.Start();
    QVERIFY(!worker.Suspended());
    worker.Stop(); // returns while the handler still runs
    QVERIFY(worker.Terminated());
    QVERIFY(!worker.Suspended());
    release = true;
    QVERIFY(worker.WaitFor(5000));
    QVERIFY(sawTerminated);
    QVERIFY(worker.Suspended());
}

void TestMainWorker::startWhileRunningStopsThePreviousRun() {
    WorkerThread worker;
    std::atomic<int> started{0}, ended{0};
    std::atomic<bool> firstSawStop{false};
    worker.OnExecute = [&](WorkerThread& w) {
        const int me = ++started;
        while (!w.Terminated())
            QThread::msleep(1);
        if (me == 1) firstSawStop = true;
        ++ended;
    };
    worker.Start();
    QTRY_COMPARE(started.load(), 1);
    worker.Start();
    QTRY_COMPARE(started.load(), 2);
    QTRY_VERIFY(firstSawStop.load()); // the first run ended by itself ...
    QTest::qWait(20);
    QCOMPARE(ended.load(), 1); // ... while the second one goes on
    QVERIFY(!worker.Terminated());
    QVERIFY(!worker.Suspended());
    worker.Stop();
    QVERIFY(worker.WaitFor(5000));
    QCOMPARE(ended.load(), 2);
}

void TestMainWorker::stepsArriveInOrder() {
    WorkerThread worker;
    std::vector<int> seen; // touched only on the GUI thread
    std::atomic<bool> allOnGui{true};
    std::vector<bool> synchronized;
    QThread* gui = QThread::currentThread();
    worker.OnExecute = [&](WorkerThread& w) {
        for (int i = 0; i < 200; ++i) {
            const auto step = [&, i] {
                if (QThread::currentThread() != gui) allOnGui = false;
                seen.push_back(i);
            };
            if (i % 10 == 0)
                synchronized.push_back(w.Synchronize(step));
            else
                w.Queue(step);
        }
    };
    worker.Start();
    QTRY_COMPARE(seen.size(), size_t(200));
    QVERIFY(worker.WaitFor(5000));
    QVERIFY(allOnGui);
    for (int i = 0; i < 200; ++i)
        QCOMPARE(seen[i], i);
    QCOMPARE(synchronized, std::vector<bool>(20, true));
}

void TestMainWorker::synchronizeOnGuiThreadRunsDirectly() {
    WorkerThread worker;
    bool ran = false;
    QVERIFY(worker.Synchronize([&] { ran = true; }));
    QVERIFY(ran); // no event loop needed
}

void TestMainWorker::destructionReleasesWaitingHandler() {
    auto worker = std::make_unique<WorkerThread>();
    std::atomic<int> result{-1};
    std::atomic<bool> stepRan{false};
    std::atomic<bool> waiting{false};
    worker->OnExecute = [&](WorkerThread& w) {
        waiting = true;
        result = w.Synchronize([&] { stepRan = true; }) ? 1 : 0;
    };
    worker->Start();
    while (!waiting)
        QThread::msleep(1);
    QThread::msleep(20); // the step is posted but the GUI thread does not process it
    worker.reset();      // must not hang
    QCOMPARE(result.load(), 0);
    QVERIFY(!stepRan);
}

void TestMainWorker::rapidRestarts() {
    WorkerThread worker;
    std::atomic<int> started{0}, ended{0};
    worker.OnExecute = [&](WorkerThread& w) {
        ++started;
        while (!w.Terminated()) {
            w.Queue([] {});
            QThread::usleep(200);
        }
        ++ended;
    };
    for (int i = 0; i < 50; ++i) {
        worker.Start();
        if (i % 7 == 0) worker.Stop();
        QCoreApplication::processEvents();
    }
    worker.Stop();
    QTRY_COMPARE(ended.load(), 50);
    QCOMPARE(started.load(), 50);
    QVERIFY(worker.Suspended());
}

void TestMainWorker::terminatedOfAnotherWorker() {
    // A handler asking another component gets that component's answer, not its own.
    WorkerThread a, b;
    b.OnExecute = [](WorkerThread& w) {
        while (!w.Terminated())
            QThread::msleep(1);
    };
    b.Start();
    b.Stop();
    std::atomic<int> seen{-1};
    a.OnExecute = [&](WorkerThread&) { seen = b.Terminated() ? 1 : 0; };
    a.Start();
    QVERIFY(a.WaitFor(5000));
    QCOMPARE(seen.load(), 1);
    QVERIFY(!a.Terminated());
    QVERIFY(b.WaitFor(5000));
}

QTEST_MAIN(TestMainWorker)
#include "test_main_worker.moc"
