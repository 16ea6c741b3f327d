// Guards: queued jobs in order on one login, refusals, cut downloads, pause/stop racing the worker.
#include "support/FtpServer.h"
#include "support/LocalFiles.h"

#include "core/ftp/TSimpleFTP.h"
#include "core/transfer/TransferQueue.h"
#include "core/transfer/TransferWorker.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <set>
#include <thread>
#include <utime.h>

using namespace pw;
using namespace std::chrono_literals;

namespace {
bool SetFileTime(const QString& path, time_t seconds) {
    const utimbuf times{seconds, seconds};
    return ::utime(QFile::encodeName(path).constData(), &times) == 0;
}

qint64 MTime(const QString& path) {
    return QFileInfo(path).lastModified().toSecsSinceEpoch();
}

int Logins(const FtpServer& server) {
    return int(server.commands().filter(QRegularExpression("^USER ")).size());
}

// The jobs left in the queue, "name: state: reason" each (state 2: failed).
QStringList Kept(const TransferQueue& queue) {
    QStringList kept;
    for (const TransferJob& job : queue.Jobs())
        kept << QString::fromStdString(job.Caption() + ": " + std::to_string(int(job.State)) +
                                       ": " + job.Reason);
    return kept;
}

TransferJob Job(bool upload, const FtpServer& server, const QString& local, const char* folder,
                const std::string& name) {
    TransferJob job;
    job.Record.Upload = upload;
    job.Record.LocalFile = local.toStdString();
    job.Record.RemoteFile = name;
    job.Record.RemoteFolder = folder;
    job.Record.ServerHost = server.hostName();
    return job;
}

// A queue and a worker on a thread of its own; the events go to a log that the test waits on.
struct Rig {
    TransferQueue queue;
    TSimpleFTP ftp;
    std::mutex mutex;
    std::condition_variable changed;
    QStringList log;            // guarded by mutex
    bool holdReconnect = false; // a reconnect waits for the line "go"
    TransferWorker worker{queue, ftp, Events(), TransferWorkerOptions{3, 10ms}};
    std::jthread thread; // stopped and joined first

    TransferEvents Events() {
        TransferEvents events;
        events.OnLabel = [this](const std::string& t) { Add("label " + t); };
        events.OnPercentLabel = [this](const std::string& t) { Add("percent " + t); };
        events.OnRate = [this](double v, int64_t s) { Add("rate " + TransferRateText(v, s)); };
        events.OnStateChange = [this](ActivityState s) { Add("state " + std::to_string(int(s))); };
        events.OnJobStarted = [this](const TransferJob& j) { Add("started " + j.Caption()); };
        events.OnJobFinished = [this](const TransferJob& j) { Add("done " + j.Caption()); };
        events.OnJobFailed = [this](const TransferJob& j) { Add("failed " + j.Caption()); };
        events.OnReconnecting = [this](const TransferJob&, int attempt, std::chrono::milliseconds) {
            Add("reconnecting " + std::to_string(attempt));
            if (holdReconnect) WaitFor("go");
        };
        return events;
    }
    void Start(const std::vector<TransferJob>& jobs) {
        queue.EnqueueTransfer(jobs);
        thread = std::jthread([this](std::stop_token stop) { worker.Run(stop); });
    }
    void Add(const std::string& line) {
        std::lock_guard lock(mutex);
        log << QString::fromStdString(line);
        changed.notify_all();
    }
    // Waits until `count` lines start with `prefix`; the log then, empty after a minute.
    QStringList WaitFor(const QString& prefix, int count = 1) {
        std::unique_lock lock(mutex);
        const QRegularExpression start("^" + QRegularExpression::escape(prefix));
        const auto ready = [&] { return log.filter(start).size() >= count; };
        return changed.wait_for(lock, 60s, ready) ? log : QStringList();
    }
};

// clang-format off
const struct Refusal {
    const char* row; bool upload; const char* folder;
    QByteArray name, local; // the local file: an upload's source or a download's target
    const char *password, *reason; int logins;
} kRefusals[] = {
    {"folder missing", true, "/missing", "f.txt", "f.txt", "pw", "Couldn't change to directory /missing", 1},
    {"file missing", false, "/", "none.txt", "none.txt", "pw", "remote file not found", 1},
    {"download onto a folder", false, "/", "dir", "dir", "pw", "dir: Is a directory", 1},
    {"upload, ../x", true, "/", "../x", "f.txt", "pw", "Refused", 0},
    {"download, a/b", false, "/", "sub/f.txt", "sub/f.txt", "pw", "Refused", 0},
    {"download into ../f.txt", false, "/", "f.txt", "../f.txt", "pw", "Refused", 0},
    {"download into a NUL name", false, "/", "f.txt", QByteArray("f\0.txt", 6), "pw", "Refused", 0},
    // A failed login is no connection: the second job logs in again.
    {"wrong password", true, "/", "f.txt", "f.txt", "bad", "Bad password connecting to", 2},
};
// clang-format on
} // namespace

class TestTransferQueue : public QObject {
    Q_OBJECT

private slots:
    void percentText();
    void runsInOrderAndChangesServer();
    void refusedJobsFailWithReason_data();
    void refusedJobsFailWithReason();
    void cutDownload_data();
    void cutDownload();
    void pauseStopDeleteRetry();
    void manyThreadsLoseNoJob();
};

// Rounded down, 0 when either count is 0, no overflow near the 64-bit end.
void TestTransferQueue::percentText() {
    QCOMPARE(TransferPercentText(0, 0) + TransferPercentText(999, 1000) + TransferPercentText(5, 0),
             std::string("0 / 0 - 0%999 / 1000 - 99%5 / 0 - 0%"));
    QCOMPARE(TransferPercentText(9000000000000000000, 9100000000000000000),
             std::string("9000000000000000000 / 9100000000000000000 - 98%"));
}

// Downloads and uploads of one server share a login; another server logs in there, and coming
// back logs in again without returning to a folder that has gone meanwhile.
void TestTransferQueue::runsInOrderAndChangesServer() {
    FtpServer a, b;
    QVERIFY2(a.isRunning() && b.isRunning(), qPrintable(a.errorString() + b.errorString()));
    QTemporaryDir local;
    std::vector<TransferJob> jobs;
    QList<QByteArray> contents;
    for (int i = 0; i < 4; ++i) { // download, upload, download, upload; the middle two empty
        const QString name = QStringLiteral("f%1.bin").arg(i);
        contents << (i == 1 || i == 2 ? QByteArray() : Pattern(20000 + i));
        const bool upload = i % 2;
        QVERIFY(upload ? WriteLocal(local.filePath(name), contents[i])
                       : a.writeFile("sub dir/" + name, contents[i]));
        jobs.push_back(Job(upload, a, local.filePath(name), "/sub dir", name.toStdString()));
        jobs.back().Record.FileDate = FileDateFromText("2020/02/29 13:14:15");
    }
    Rig rig;
    rig.Start(jobs);
    QStringList log = rig.WaitFor("state 2"); // the last event of an emptied queue
    QCOMPARE(log.filter(QRegularExpression("^(done|failed|state) ")).join(','),
             QString("state 0,state 1,done f0.bin,done f1.bin,done f2.bin,done f3.bin,state 2"));
    QVERIFY(log.contains("percent 0 / 0 - 0%") && log.contains("percent 20000 / 20000 - 100%"));
    const QString tree = "f0.bin:20000,f1.bin:0,f2.bin:0,f3.bin:20003"; // no part left beside
    QCOMPARE(Tree(local.path()), tree);
    QCOMPARE(Tree(a.path("sub dir")), tree);
    const qint64 date = 1582982055; // the job's date, as UTC
    QVERIFY(MTime(local.filePath("f0.bin")) == date && MTime(local.filePath("f2.bin")) == date);

    QVERIFY(QDir(a.path("sub dir")).removeRecursively());
    const QString f0 = local.filePath("f0.bin");
    rig.queue.EnqueueTransfer(
        {Job(true, b, f0, "/", "x"), Job(true, b, f0, "/", "y"), Job(true, a, f0, "/", "x")});
    log = rig.WaitFor("label Disconnected", 2);
    QCOMPARE(log.filter(QRegularExpression("^(done|failed) ")).mid(4),
             QStringList({"done x", "done y", "done x"}));
    QVERIFY(Logins(a) == 2 && Logins(b) == 1); // one login for the first four jobs
    QVERIFY(a.readFile("x") == contents[0] && b.readFile("y") == contents[0]);
}

void TestTransferQueue::refusedJobsFailWithReason_data() {
    QTest::addColumn<int>("row");
    for (const Refusal& r : kRefusals)
        QTest::newRow(r.row) << int(&r - kRefusals);
}

// Each job fails with its reason, twice over; nothing changes on either side, nothing is left
// beside the local file or outside its folder (a folder in the target's place included).
void TestTransferQueue::refusedJobsFailWithReason() {
    QFETCH(int, row);
    const Refusal& r = kRefusals[row];
    FtpServer server({"--user", "u", "--password", "pw"});
    QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
    for (const char* name : {"sub/f.txt", "f.txt", "dir"})
        QVERIFY(server.writeFile(name, "server copy"));
    QTemporaryDir outer;
    const QDir local(outer.filePath("local"));
    QVERIFY(local.mkpath("dir") && WriteLocal(local.filePath("dir/inside.txt"), "inside"));
    QVERIFY(WriteLocal(local.filePath("f.txt"), "local copy"));
    TransferJob job = Job(r.upload, server, local.path() + "/" + QString::fromUtf8(r.local),
                          r.folder, r.name.toStdString());
    job.Record.ServerUser = "u";
    job.Record.ServerPassword = r.password;
    const QString serverBefore = Tree(server.root());
    Rig rig;
    rig.Start({job, job});
    QVERIFY(!rig.WaitFor("failed ", 2).isEmpty());
    const QStringList kept = Kept(rig.queue);
    QVERIFY2(kept.filter(": 2: ").filter(r.reason).size() == 2, qPrintable(kept.join('|')));
    QCOMPARE(Logins(server), r.logins);
    QCOMPARE(Tree(server.root()), serverBefore);
    QCOMPARE(Tree(outer.path()),
             QString("local/,local/dir/,local/dir/inside.txt:6,local/f.txt:10"));
}

void TestTransferQueue::cutDownload_data() {
    QTest::addColumn<QString>("cut"); // the file when the server is back, or every try cut
    for (const char* cut : {"same", "changed", "always"})
        QTest::newRow(cut) << QString(cut);
}

// A download cut short is tried again: the same file continues from the bytes that arrived, a
// changed one is read again; after the last try the job fails rather than leave a short file.
void TestTransferQueue::cutDownload() {
    QFETCH(QString, cut);
    auto first = std::make_unique<FtpServer>(
        QStringList{cut == "always" ? "--cut-data-after" : "--drop-after", "100000"});
    QVERIFY2(first->isRunning(), qPrintable(first->errorString()));
    const QByteArray content = Pattern(600000);
    QVERIFY(first->writeFile("big.bin", content) &&
            SetFileTime(first->path("big.bin"), 1500000000));
    QTemporaryDir local;
    const QString target = local.filePath("big.bin");
    QVERIFY(WriteLocal(target, "the old file"));
    TransferJob job = Job(false, *first, target, "/", "big.bin");
    job.Record.FileDate = FileDateFromText("2019/05/06 07:08:09");
    Rig rig;
    rig.holdReconnect = true;
    rig.Start({job});
    QVERIFY(!rig.WaitFor("reconnecting 1").isEmpty());
    // Cut off: the old file is intact; the part that arrived waits beside it.
    QCOMPARE(ReadLocal(target), QByteArray("the old file"));
    const QStringList files = QDir(local.path()).entryList(QDir::Files | QDir::Hidden);
    QCOMPARE(files.size(), 2);
    const QByteArray part = ReadLocal(local.filePath(files[0] == "big.bin" ? files[1] : files[0]));
    QVERIFY(part.size() > 0 && part.size() < content.size() && content.startsWith(part));
    if (cut == "always") {
        rig.Add("go");
        QVERIFY(!rig.WaitFor("label Disconnected").isEmpty());
        QCOMPARE(first->commands().filter(QRegularExpression("^REST ")),
                 QStringList({"REST 100000", "REST 200000", "REST 300000"}));
        QCOMPARE(Tree(local.path()), QString("big.bin:12")); // the old file; no part left
        QCOMPARE(Kept(rig.queue), QStringList({"big.bin: 2: Error getting /big.bin from " + target +
                                               ": 400000 bytes arrived, the server lists 600000"}));
        return;
    }
    // The server comes back on the same port, slowly enough to watch the progress.
    const bool changed = cut == "changed";
    const QString port = QString::number(first->port());
    first.reset();
    FtpServer second({"--port", port, "--throttle", "125000"});
    QVERIFY2(second.isRunning(), qPrintable(second.errorString()));
    const QByteArray served = changed ? Pattern(600001).mid(1) : content;
    QVERIFY(second.writeFile("big.bin", served) &&
            SetFileTime(second.path("big.bin"), changed ? 1600000000 : 1500000000));
    rig.Add("go");
    const QStringList log = rig.WaitFor("label Disconnected");
    QVERIFY(ReadLocal(target) == served);
    QCOMPARE(Tree(local.path()), QString("big.bin:600000"));
    QCOMPARE(MTime(target), qint64(1557126489)); // the job's date, as UTC
    QCOMPARE(second.commands().filter(QRegularExpression("^REST ")),
             changed ? QStringList() : QStringList({"REST " + QString::number(part.size())}));
    // Progress of the whole file: a continued download starts at the bytes already there.
    const QStringList after = log.mid(int(log.indexOf("go")));
    qint64 lowest = content.size();
    for (const QString& line : after.filter(QRegularExpression("^percent \\d+ / 600000 ")))
        lowest = std::min(lowest, line.section(' ', 1, 1).toLongLong());
    QVERIFY2(changed ? lowest < part.size() : lowest >= part.size(), qPrintable(after.join('|')));
    QVERIFY(!after.filter(QRegularExpression("^rate (?!0 B/s)\\d.*B/s")).isEmpty());
    QCOMPARE(log.filter("rate ").constLast(), QString("rate ")); // cleared after the job
}

// Pause and Stop from the test's thread while the worker transfers.
void TestTransferQueue::pauseStopDeleteRetry() {
    FtpServer server({"--throttle", "200000"});
    QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
    QTemporaryDir local;
    std::vector<TransferJob> jobs;
    for (const char* name : {"a.bin", "b.bin", "c.bin"}) {
        QVERIFY(WriteLocal(local.filePath(name), Pattern(600000)));
        jobs.push_back(Job(true, server, local.filePath(name), "/", name));
    }
    Rig rig;
    const std::vector<TransferJobId> ids = rig.queue.EnqueueTransfer(jobs);
    rig.Start({});
    // Pause during the first job: it completes, the connection closes, the rest waits.
    QVERIFY(!rig.WaitFor("percent ", 3).isEmpty());
    rig.queue.SetPaused(true);
    QCOMPARE(
        rig.WaitFor("label Disconnected").filter(QRegularExpression("^(started|done|failed) ")),
        QStringList({"started a.bin", "done a.bin"}));
    QCOMPARE(rig.queue.DeleteJobs({ids[2]}), size_t(1));

    // Restart, then Stop during the last job: it fails as stopped, nothing is paused.
    rig.queue.SetPaused(false);
    const int percents = int(rig.WaitFor("started b.bin").filter("percent ").size());
    QVERIFY(!rig.WaitFor("percent ", percents + 1).isEmpty());
    QCOMPARE(rig.queue.DeleteJobs({ids[1]}), size_t(0)); // a running job is not deleted
    rig.worker.Stop();
    QVERIFY(!rig.WaitFor("label Disconnected", 2).isEmpty() && !rig.queue.Paused());
    QCOMPARE(Kept(rig.queue), QStringList({"b.bin: 2: Stopped"}));

    QCOMPARE(rig.queue.RetryAllFailed(), size_t(1));
    QVERIFY(rig.WaitFor("label Disconnected", 3).contains("done b.bin"));
    QVERIFY(rig.queue.Jobs().empty() && !QFile::exists(server.path("c.bin")));
    QCOMPARE(server.readFile("b.bin"), Pattern(600000));
}

// Four producers that then take jobs, and a deleter: every job is taken once or deleted once.
void TestTransferQueue::manyThreadsLoseNoJob() {
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
            while (const auto job = deleter ? std::nullopt : queue.TakeHead()) {
                queue.Finish(job->Id);
                note(seen, job->Id);
            }
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

QTEST_GUILESS_MAIN(TestTransferQueue)
#include "test_transfer_queue.moc"
