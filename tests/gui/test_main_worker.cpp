// Guards: worker runs on fresh threads, stops without waiting, restarts, ordered GUI steps.
#include "gui/ui/WorkerThread.h"

#include <QTest>
#include <QThread>

#include <atomic>
#include <memory>
#include <vector>

class TestMainWorker : public QObject {
    Q_OBJECT
private slots:
    // Stop returns while the handler runs; a Start while running ends that run and begins another.
    void stopAndRestart() {
        std::atomic<bool> release{false};
        std::atomic<int> started{0}, ended{0}, sawTerminated{0};
        WorkerThread worker;
        struct Release { // a failed check lets the runs go before the worker joins them
            std::atomic<bool>& on;
            ~Release() { on = true; }
        } releaseAtEnd{release};
        worker.OnExecute = [&](WorkerThread& w) {
            const int run = ++started;
            while (!release && !(run > 1 && w.Terminated()))
                QThread::msleep(1);
            sawTerminated += w.Terminated();
            ++ended;
        };
        worker.Start();
        QTRY_COMPARE(started.load(), 1);
        worker.Stop(); // returns while the handler still runs
        QVERIFY(worker.Terminated() && !worker.Suspended());
        release = true;
        QVERIFY(worker.WaitFor(5000));
        QVERIFY(sawTerminated == 1 && worker.Suspended());
        release = false;
        worker.Start(); // the second run goes on until stopped
        QTRY_COMPARE(started.load(), 2);
        worker.Start(); // ends the second run by itself while the third goes on
        QTRY_COMPARE(ended.load(), 2);
        QVERIFY(!worker.Terminated() && !worker.Suspended());
        worker.Stop();
        QVERIFY(worker.WaitFor(5000));
        QCOMPARE(ended.load(), 3);
    }

    void stepsArriveInOrder() {
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

    void destructionReleasesWaitingHandler() {
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
};

QTEST_MAIN(TestMainWorker)
#include "test_main_worker.moc"
