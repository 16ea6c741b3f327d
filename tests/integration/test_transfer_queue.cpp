// Guards: queued jobs in order on one login, refusals, cut downloads, pause/stop racing the worker.
#include "support/FtpServer.h"
#include "support/LocalFiles.h"
#include "support/TableRows.h"

#include "core/ftp/TSimpleFTP.h"
#include "core/transfer/TransferQueue.h"
#include "core/transfer/TransferWorker.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <set>
#include <thread>

using namespace pw;
using namespace std::chrono_literals;

namespace {
QStringList Kept(const TransferQueue& queue) { // "name: state: reason" each (state 2: failed)
    QStringList kept;
    for (const TransferJob& job : queue.Jobs())
        kept << QString::fromStdString(job.Caption() + ": " + std::to_string(int(job.State)) +
                                       ": " + job.Reason);
    return kept;
}

TransferJob Job(bool upload, const FtpServer& server, const QString& local, const char* folder,
                const std::string& name, double date = 0) {
    TransferJob job;
    job.Record.FileDate = date;
    job.Record.Upload = upload;
    job.Record.LocalFile = local.toStdString();
    job.Record.RemoteFile = name;
    job.Record.RemoteFolder = folder;
    job.Record.ServerHost = server.hostName();
    return job;
}

// A queue and a worker on a thread of its own, with a local folder; the events go to a log that
// the test waits on. The worker waits at the first event line matching `hold` until "go".
struct Rig {
    QTemporaryDir local;
    TransferQueue queue;
    TSimpleFTP ftp;
    const QString hold; // a pattern
    std::mutex mutex;
    std::condition_variable changed;
    QStringList log; // guarded by mutex
    TransferWorker worker{queue, ftp, Events(), TransferWorkerOptions{3, 10ms}};
    std::jthread thread; // stopped and joined first

    TransferEvents Events() {
        TransferEvents events;
        events.OnLabel = [this](const std::string& t) { Add("label " + t); };
        events.OnPercentLabel = [this](const std::string& t) { Add("percent " + t); };
        events.OnRate = [this](double v, int64_t s) { Add("rate " + TransferRateText(v, s)); };
        events.OnStateChange = [this](ActivityState s) { Add("state " + std::to_string(int(s))); };
        events.OnJobFinished = [this](const TransferJob& j) { Add("done " + j.Caption()); };
        events.OnJobFailed = [this](const TransferJob& j) { Add("failed " + j.Caption()); };
        events.OnReconnecting = [this](auto&, int n, auto) { Add("retry " + std::to_string(n)); };
        return events;
    }
    explicit Rig(const QString& hold = {}) : hold(hold) {}
    QString Path(const QString& name) const { return local.filePath(name); }
    std::vector<TransferJobId> Start(const std::vector<TransferJob>& jobs) {
        thread = std::jthread([this](std::stop_token stop) { worker.Run(stop); });
        return queue.EnqueueTransfer(jobs);
    }
    void Add(const std::string& text) {
        std::unique_lock lock(mutex);
        log << QString::fromStdString(text);
        changed.notify_all();
        if (!hold.isEmpty() && log.constLast().contains(QRegularExpression(hold)))
            changed.wait_for(lock, 60s, [&] { return log.contains("go"); });
    }
    QStringList WaitFor(const QString& pattern, int count = 1) { // the log; empty after a minute
        std::unique_lock lock(mutex);
        const auto ready = [&] { return log.filter(QRegularExpression(pattern)).size() >= count; };
        return changed.wait_for(lock, 60s, ready) ? log : QStringList();
    }
};

// local: the source or the target, in the local folder; after "=", the path as it stands.
// clang-format off
const struct Refusal {
    const char *name; bool upload; const char *folder, *remote;
    const char *local, *password, *reason; qsizetype logins;
} kRefusals[] = {
    {"folder missing", true, "/missing", "f.txt", "f.txt", "pw",
        "Couldn't change to directory /missing", 1},
    {"file missing", false, "/", "none.txt", "none.txt", "pw", "remote file not found", 1},
    {"download onto a folder", false, "/", "dir", "dir", "pw", "dir: Is a directory", 1},
    {"upload, ../x", true, "/", "../x", "f.txt", "pw", "Refused", 0},
    {"download into ../f.txt", false, "/", "f.txt", "../f.txt", "pw", "Refused", 0},
    {"download into a folder's path", false, "/", "f.txt", "dir/", "pw", "Refused", 0},
    {"download to a relative path", false, "/", "f.txt", "=f.txt", "pw", "Refused", 0},
    // A failed login is no connection: the second job logs in again.
    {"wrong password", true, "/", "f.txt", "f.txt", "bad", "Bad password connecting to", 2},
};
// The file on the server stays the same, changes after the cut, or every try is cut.
const struct { const char* name; } kCuts[] = {{"same"}, {"changed"}, {"always"}};
// clang-format on
} // namespace

class TestTransferQueue : public QObject {
    Q_OBJECT

private slots:
    // Downloads and uploads of one server share a login; another server logs in there, and coming
    // back logs in again without returning to a folder that has gone meanwhile.
    void runsInOrderAndChangesServer() {
        // The progress text: rounded down, 0 of nothing, no overflow near the 64-bit end.
        QCOMPARE(TransferPercentText(999, 1000) + TransferPercentText(5, 0) + "|" +
                     TransferPercentText(9000000000000000000, 9100000000000000000),
                 "999 / 1000 - 99%5 / 0 - 0%|9000000000000000000 / 9100000000000000000 - 98%");
        FtpServer a, b;
        QVERIFY2(a.isRunning() && b.isRunning(), qPrintable(a.errorString() + b.errorString()));
        Rig rig;
        std::vector<TransferJob> jobs;
        for (int i = 0; i < 4; ++i) { // download, upload, download, upload; the middle two empty
            const QString name = QStringLiteral("f%1.bin").arg(i);
            const QByteArray raw = i == 1 || i == 2 ? QByteArray() : Pattern(20000 + i);
            QVERIFY(i % 2 ? WriteLocal(rig.Path(name), raw) : a.writeFile("sub dir/" + name, raw));
            jobs.push_back(Job(i % 2, a, rig.Path(name), "/sub dir", name.toStdString()));
        }
        rig.Start(jobs);
        const QStringList log = rig.WaitFor("^state 2"); // the last event of an emptied queue
        QVERIFY(log.contains("percent 0 / 0 - 0%") && log.contains("percent 20000 / 20000 - 100%"));
        const QString tree = "f0.bin:20000,f1.bin:0,f2.bin:0,f3.bin:20003"; // no part left beside
        QVERIFY(Tree(rig.local.path()) == tree && Tree(a.path("sub dir")) == tree);

        QVERIFY(QDir(a.path("sub dir")).removeRecursively());
        const QString f0 = rig.Path("f0.bin");
        rig.queue.EnqueueTransfer(
            {Job(true, b, f0, "/", "x"), Job(true, b, f0, "/", "y"), Job(true, a, f0, "/", "x")});
        // A login (busy, connected) for the first four jobs, one for both of the other server.
        QCOMPARE(rig.WaitFor("^state 2", 3).filter(QRegularExpression("^(done|failed|state) ")),
                 QString("state 0,state 1,done f0.bin,done f1.bin,done f2.bin,done f3.bin,state 2,"
                         "state 0,state 1,done x,done y,state 2,state 0,state 1,done x,state 2")
                     .split(','));
        QVERIFY(a.readFile("x") == Pattern(20000) && b.readFile("y") == Pattern(20000));
    }

    void refusedJobsFailWithReason_data() { addRows(kRefusals); }

    // Each job fails with its reason, twice over; nothing changes on either side, nothing is left
    // beside the local file or outside its folder (a folder in the target's place included).
    void refusedJobsFailWithReason() {
        const Refusal& r = kRefusals[fetchedRow()];
        FtpServer server({"--user", "u", "--password", "pw"});
        QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
        QVERIFY(server.writeFile("f.txt", "server copy") && server.writeFile("dir", "server copy"));
        Rig rig;
        const QDir local(rig.Path("local"));
        QVERIFY(local.mkpath("dir") && WriteLocal(local.filePath("dir/inside.txt"), "inside"));
        QVERIFY(WriteLocal(local.filePath("f.txt"), "local copy"));
        const QString path = *r.local == '=' ? r.local + 1 : local.path() + "/" + r.local;
        TransferJob job = Job(r.upload, server, path, r.folder, r.remote);
        job.Record.ServerUser = "u";
        job.Record.ServerPassword = r.password;
        rig.Start({job, job});
        QVERIFY(!rig.WaitFor("^failed ", 2).isEmpty());
        QCOMPARE(Kept(rig.queue).filter(": 2: ").filter(r.reason).size(), 2);
        QCOMPARE(server.commands().filter("USER ").size(), r.logins);
        QCOMPARE(Tree(server.root()), QString("dir:11,f.txt:11"));
        QCOMPARE(Tree(rig.local.path()),
                 QString("local/,local/dir/,local/dir/inside.txt:6,local/f.txt:10"));
    }

    void cutDownload_data() { addRows(kCuts); }

    // A download cut short is tried again: the same file continues from the bytes that arrived, a
    // changed one is read again; after the last try the job fails rather than leave a short file.
    void cutDownload() {
        const QString cut = kCuts[fetchedRow()].name;
        auto server = std::make_unique<FtpServer>(
            QStringList{cut == "always" ? "--cut-data-after" : "--drop-after", "100000"});
        QVERIFY2(server->isRunning(), qPrintable(server->errorString()));
        QVERIFY(server->writeFile("big.bin", Pattern(600000)));
        const auto written =
            std::filesystem::last_write_time(server->path("big.bin").toStdString());
        Rig rig("^retry 1$");
        const QString target = rig.Path("big.bin");
        QVERIFY(WriteLocal(target, "the old file"));
        rig.Start(
            {Job(false, *server, target, "/", "big.bin", FileDateFromText("2019/05/06 07:08:09"))});
        QVERIFY(!rig.WaitFor("^retry 1$").isEmpty());
        const bool changed = cut == "changed";
        const QByteArray served = changed ? Pattern(600001).mid(1) : Pattern(600000);
        if (cut != "always") { // the server comes back on its port, slowly: the progress shows
            const QString port = QString::number(server->port());
            server.reset();
            server =
                std::make_unique<FtpServer>(QStringList{"--port", port, "--throttle", "125000"});
            QVERIFY(server->isRunning() && server->writeFile("big.bin", served));
            std::filesystem::last_write_time(server->path("big.bin").toStdString(),
                                             written + (changed ? 24h : 0h));
        }
        rig.Add("go");
        const QStringList log = rig.WaitFor("^label Disconnected");
        const QStringList rest = server->commands().filter(QRegularExpression("^REST "));
        if (cut == "always") {
            QCOMPARE(rest, QStringList({"REST 100000", "REST 200000", "REST 300000"}));
            QCOMPARE(Tree(rig.local.path()), QString("big.bin:12")); // the old file; no part left
            QCOMPARE(Kept(rig.queue),
                     QStringList({"big.bin: 2: Error getting /big.bin from " + target +
                                  ": 400000 bytes arrived, the server lists 600000"}));
            return;
        }
        QVERIFY(ReadLocal(target) == served && Tree(rig.local.path()) == "big.bin:600000");
        QCOMPARE(QFileInfo(target).lastModified().toSecsSinceEpoch(), 1557126489); // as UTC
        const qint64 part = rest.value(0).mid(5).toLongLong(); // the bytes that had arrived
        QVERIFY2(changed ? rest.isEmpty() : rest.size() == 1 && part > 0,
                 qPrintable(rest.join(',')));
        // Progress of the whole file: a continued download starts at the bytes already there.
        const QStringList after = log.mid(int(log.indexOf("go")));
        qint64 start = 600000; // the lowest shown
        for (const QString& line : after.filter(QRegularExpression("^percent \\d+ / 600000 ")))
            start = std::min(start, line.section(' ', 1, 1).toLongLong());
        QVERIFY(start > 0 && (changed ? start < 100000 : start >= part));
        QVERIFY(!after.filter(QRegularExpression("^rate (?!0 B/s)\\d.*B/s")).isEmpty());
        QCOMPARE(log.filter("rate ").constLast(), QString("rate ")); // cleared after the job
    }

    // Pause and Stop from the test's thread while the worker transfers.
    void pauseStopDeleteRetry() {
        FtpServer server({"--throttle", "200000"});
        QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
        Rig rig("^percent \\d"); // the first job's first progress
        std::vector<TransferJob> jobs;
        for (const char* name : {"a.bin", "b.bin", "c.bin"}) {
            QVERIFY(WriteLocal(rig.Path(name), Pattern(600000)));
            jobs.push_back(Job(true, server, rig.Path(name), "/", name));
        }
        const std::vector<TransferJobId> ids = rig.Start(jobs);
        // Pause during the first job: it completes, the connection closes, the rest waits.
        QVERIFY(!rig.WaitFor("^percent \\d").isEmpty());
        rig.queue.SetPaused(true);
        rig.Add("go");
        const QStringList log = rig.WaitFor("^label Disconnected");
        QCOMPARE(log.filter(QRegularExpression("^(done|failed) |b\\.bin")),
                 QStringList{"done a.bin"});
        QCOMPARE(rig.queue.DeleteJobs({ids[2]}), size_t(1));

        // Restart, then Stop during the last job: it fails as stopped, nothing is paused.
        rig.queue.SetPaused(false);
        const int percents = int(log.filter(QRegularExpression("^percent \\d")).size());
        QVERIFY(!rig.WaitFor("^percent \\d", percents + 1).isEmpty()); // the next job's first
        QCOMPARE(rig.queue.DeleteJobs({ids[1]}), size_t(0)); // a running job is not deleted
        rig.worker.Stop();
        QVERIFY(!rig.WaitFor("^label Disconnected", 2).isEmpty() && !rig.queue.Paused());
        QCOMPARE(Kept(rig.queue), QStringList({"b.bin: 2: Stopped"}));

        QCOMPARE(rig.queue.RetryAllFailed(), size_t(1));
        QVERIFY(rig.WaitFor("^label Disconnected", 3).contains("done b.bin"));
        QVERIFY(rig.queue.Jobs().empty() && !QFile::exists(server.path("c.bin")));
        QCOMPARE(server.readFile("b.bin"), Pattern(600000));
        // An idle worker says nothing more, however often it is woken, nor when it ends.
        rig.queue.SetPaused(true);
        rig.queue.SetPaused(false);
        rig.thread.request_stop();
        rig.thread.join();
        QCOMPARE(rig.log.filter("label Disconnected").size(), 3);
    }

    // Four producers that then take jobs, and a deleter: every job is taken once or deleted once.
    void manyThreadsLoseNoJob() {
        TransferQueue queue;
        std::atomic<int> producing{4};
        queue.OnChange = [&] { queue.WaitingCount(); }; // takes the lock: called outside it
        std::mutex mutex;
        std::multiset<TransferJobId> enqueued, seen; // guarded by mutex
        const auto note = [&](std::multiset<TransferJobId>& into, TransferJobId id) {
            std::lock_guard lock(mutex);
            into.insert(id);
        };
        const auto work = [&](bool deleter) { // the others produce, then take
            for (int i = 0; !deleter && i < 300; ++i)
                note(enqueued, queue.EnqueueTransfer({TransferJob{}}).at(0));
            if (!deleter) --producing;
            for (bool last = false; !last || queue.WaitingCount() > 0; std::this_thread::yield()) {
                last = producing == 0;
                while (const auto job = deleter ? std::nullopt : queue.TakeHead())
                    queue.Finish(job->Id), note(seen, job->Id);
                for (const TransferJob& job : deleter ? queue.Jobs() : std::vector<TransferJob>())
                    if (job.Id % 3 == 0 && queue.DeleteJobs({job.Id}) == 1) note(seen, job.Id);
            }
        };
        std::vector<std::jthread> threads;
        for (const bool deleter : {true, false, false, false, false})
            threads.emplace_back(work, deleter);
        threads.clear(); // joins them
        QCOMPARE(std::set<TransferJobId>(enqueued.begin(), enqueued.end()).size(), size_t(1200));
        QVERIFY(seen == enqueued);     // each job taken or deleted exactly once
        QVERIFY(queue.Jobs().empty()); // how many the deleter wins depends on the scheduler
    }

    // The worker sleeps, until it is stopped, while the queue is paused or has nothing waiting.
    void workWaitsUntilThereIsSome() {
        for (const auto& [paused, waiting] :
             {std::pair{true, true}, {false, false}, {false, true}}) {
            TransferQueue queue;
            if (waiting) queue.EnqueueTransfer({TransferJob{}});
            queue.SetPaused(paused);
            std::stop_source stop;
            std::jthread stopper([&] { stop.request_stop(); });
            QCOMPARE(queue.WaitForWork(stop.get_token()), waiting && !paused);
        }
    }
};

QTEST_GUILESS_MAIN(TestTransferQueue)
#include "test_transfer_queue.moc"
