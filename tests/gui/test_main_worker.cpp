// Guards: worker runs on fresh threads, stops without waiting, restarts, ordered GUI steps.
#include "gui/ui/WorkerThread.h"

#include <QCoreApplication>
#include <QTest>
#include <QThread>

#include <atomic>
#include <memory>
#include <vector>

class TestMainWorker : public QObject {
    Q_OBJECT
private slots:
    void stopDoesNotWait();
    void startWhileRunningStopsThePreviousRun();
    void stepsArriveInOrder();
    void destructionReleasesWaitingHandler();
};

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
    QVERIFY(worker.Terminated() && !worker.Suspended());
    release = true;
    QVERIFY(worker.WaitFor(5000));
    QVERIFY(sawTerminated && worker.Suspended());
}

void TestMainWorker::startWhileRunningStopsThePreviousRun() {
    WorkerThread worker;
    std::atomic<int> started{0}, ended{0};
    worker.OnExecute = [&](WorkerThread& w) {
        ++started;
        while (!w.Terminated())
            QThread::msleep(1);
        ++ended;
    };
    worker.Start();
    QTRY_COMPARE(started.load(), 1);
    worker.Start();
    QTRY_COMPARE(started.load(), 2);
    QTRY_COMPARE(ended.load(), 1);                        // the first run ended by itself ...
    QVERIFY(!worker.Terminated() && !worker.Suspended()); // ... while the second goes on
    worker.Stop();
    QVERIFY(worker.WaitFor(5000));
    QCOMPARE(ended.load(), 2);
}

void TestMainWorker::stepsArriveInOrder() {
    WorkerThread worker;
    std::vector<int> seen; // touched only on the GUI thread
    std::atomic<bool> allOnGui{true}, allSynchronized{true};
    QThread* gui = QThread::currentThread();
    worker.OnExecute = [&](WorkerThread& w) {
        for (int i = 0; i < 200; ++i) {
            const auto step = [&, i] {
                if (QThread::currentThread() != gui) allOnGui = false;
                seen.push_back(i);
            };
            if (i % 10 != 0)
                w.Queue(step);
            else if (!w.Synchronize(step))
                allSynchronized = false;
        }
    };
    worker.Start();
    QTRY_COMPARE(seen.size(), size_t(200));
    QVERIFY(worker.WaitFor(5000));
    QVERIFY(allOnGui && allSynchronized);
    for (int i = 0; i < 200; ++i)
        QCOMPARE(seen[i], i);
    // On the GUI thread itself the step runs at once, without an event loop.
    bool ran = false;
    QVERIFY(worker.Synchronize([&] { ran = true; }) && ran);
}

void TestMainWorker::destructionReleasesWaitingHandler() {
    auto worker = std::make_unique<WorkerThread>();
    std::atomic<int> result{-1};
    std::atomic<bool> stepRan{false}, waiting{false};
    worker->OnExecute = [&](WorkerThread& w) {
        waiting = true;
        result = w.Synchronize([&] { stepRan = true; });
    };
    worker->Start();
    while (!waiting)
        QThread::msleep(1);
    QThread::msleep(20); // the step is posted but the GUI thread does not process it
    worker.reset();      // must not hang
    QCOMPARE(result.load(), 0);
    QVERIFY(!stepRan);
}

QTEST_MAIN(TestMainWorker)
#include "test_main_worker.moc"
