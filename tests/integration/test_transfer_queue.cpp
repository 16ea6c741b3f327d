// Guards: the transfer queue's order, refusals, resumed downloads, pause/stop/retry and its lock.
#include "support/FtpServer.h"
#include "support/LocalFiles.h"

#include "core/ftp/TSimpleFTP.h"
#include "core/transfer/TransferQueue.h"
#include "core/transfer/TransferWorker.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <condition_variable>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <sys/stat.h>
#include <thread>

using namespace pw;
using namespace std::chrono_literals;

namespace {
bool SetFileTime(const QString& path, int64_t unixSeconds) {
    const timespec times[2] = {{unixSeconds, 0}, {unixSeconds, 0}};
    return ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0) == 0;
}

int Logins(const FtpServer& server) {
    return int(server.commands().filter(QRegularExpression("^USER ")).size());
}

qint64 Utc(int y, int m, int d, int h, int min, int s) {
    return QDateTime(QDate(y, m, d), QTime(h, min, s), Qt::UTC).toSecsSinceEpoch();
}

const QRegularExpression kEnded("^(done|failed) ");

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

// A queue, a client and a worker on a thread of its own; the events go to a log that the
// test waits on.
struct Rig {
    TransferQueue queue;
    TSimpleFTP ftp;
    std::mutex mutex;
    std::condition_variable changed;
    QStringList log; // guarded by mutex
    std::function<void(int attempt)> onReconnecting;
    std::unique_ptr<TransferWorker> worker;
    std::jthread thread;

    Rig() {
        ftp.SetConnectTimeout(5000);
        ftp.SetPassive(true);
        TransferEvents events;
        events.OnLabel = [this](const std::string& t) { Add("label " + t); };
        events.OnPercentLabel = [this](const std::string& t) { Add("percent " + t); };
        events.OnRate = [this](double speed, int64_t left) {
            Add("rate " + TransferRateText(speed, left));
        };
        events.OnStateChange = [this](ActivityState s) { Add("state " + std::to_string(int(s))); };
        events.OnJobStarted = [this](const TransferJob& j) { Add("started " + j.Caption()); };
        events.OnJobFinished = [this](const TransferJob& j) { Add("done " + j.Caption()); };
        events.OnJobFailed = [this](const TransferJob& j) { Add("failed " + j.Caption()); };
        events.OnReconnecting = [this](const TransferJob&, int attempt, std::chrono::milliseconds) {
            Add("reconnecting " + std::to_string(attempt));
            if (onReconnecting) onReconnecting(attempt);
        };
        worker =
            std::make_unique<TransferWorker>(queue, ftp, events, TransferWorkerOptions{3, 10ms});
    }
    ~Rig() {
        thread.request_stop();
        if (thread.joinable()) thread.join();
    }
    void Start() {
        thread = std::jthread([this](std::stop_token stop) { worker->Run(stop); });
    }
    void Add(const std::string& line) {
        std::lock_guard lock(mutex);
        log << QString::fromStdString(line);
        changed.notify_all();
    }
    bool WaitFor(const std::function<bool(const QStringList&)>& ready) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, 60s, [&] { return ready(log); });
    }
    bool WaitForLine(const QString& line, int count = 1) {
        return WaitFor([&](const QStringList& l) { return l.count(line) >= count; });
    }
    QStringList Log() {
        std::lock_guard lock(mutex);
        return log;
    }
};
} // namespace

class TestTransferQueue : public QObject {
    Q_OBJECT

private slots:
    void percentText_data();
    void percentText();
    void runsInOrderOverOneConnection_data();
    void runsInOrderOverOneConnection();
    void changeOfServerConnectsAgain();
    void refusedJobsFailWithReason_data();
    void refusedJobsFailWithReason();
    void vanishedServerDuringDownload_data();
    void vanishedServerDuringDownload();
    void cutDataConnection_data();
    void cutDataConnection();
    void pauseStopDeleteRetry();
    void manyThreadsLoseNoJob();
};

void TestTransferQueue::percentText_data() {
    QTest::addColumn<qint64>("done");
    QTest::addColumn<qint64>("total");
    QTest::addColumn<QString>("text");
    QTest::newRow("empty file") << 0ll << 0ll << "0 / 0 - 0%";
    QTest::newRow("rounded down") << 999ll << 1000ll << "999 / 1000 - 99%";
    QTest::newRow("unknown total") << 5ll << 0ll << "5 / 0 - 0%";
    QTest::newRow("near the 64-bit end") << 9000000000000000000ll << 9100000000000000000ll
                                         << "9000000000000000000 / 9100000000000000000 - 98%";
}

void TestTransferQueue::percentText() {
    QFETCH(qint64, done);
    QFETCH(qint64, total);
    QFETCH(QString, text);
    QCOMPARE(QString::fromStdString(TransferPercentText(done, total)), text);
}

void TestTransferQueue::runsInOrderOverOneConnection_data() {
    QTest::addColumn<QString>("directions"); // U upload, D download, per job
    QTest::newRow("uploads") << "UUU";
    QTest::newRow("downloads") << "DDD";
    QTest::newRow("mixed") << "DUD";
}

void TestTransferQueue::runsInOrderOverOneConnection() {
    QFETCH(QString, directions);
    FtpServer server;
    QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
    QVERIFY(server.makeDir("sub dir"));
    QTemporaryDir local;
    std::vector<TransferJob> jobs;
    QList<QByteArray> contents;
    for (int i = 0; i < directions.size(); ++i) {
        const QString name = QStringLiteral("f%1.bin").arg(i);
        contents << (i == 1 ? QByteArray() : Pattern(20000 + i)); // one empty file
        const bool upload = directions[i] == 'U';
        QVERIFY(upload ? WriteLocal(local.filePath(name), contents[i])
                       : server.writeFile("sub dir/" + name, contents[i]));
        jobs.push_back(Job(upload, server, local.filePath(name), "/sub dir", name.toStdString()));
        jobs.back().Record.FileDate = FileDateFromText("2020/02/29 13:14:15");
    }
    Rig rig;
    rig.queue.EnqueueTransfer(jobs);
    rig.Start();
    QVERIFY(rig.WaitForLine("state 2")); // the last event of an emptied queue

    const QStringList log = rig.Log();
    QCOMPARE(log.filter(kEnded), QStringList({"done f0.bin", "done f1.bin", "done f2.bin"}));
    QCOMPARE(Logins(server), 1);
    QCOMPARE(log.filter(QRegularExpression("^state ")),
             QStringList({"state 0", "state 1", "state 2"})); // Busy, Connected, Idle
    QVERIFY(log.contains("percent 0 / 0 - 0%"));
    QVERIFY(log.contains("percent 20000 / 20000 - 100%"));
    for (int i = 0; i < directions.size(); ++i) {
        const QString name = QStringLiteral("f%1.bin").arg(i);
        QCOMPARE(server.readFile("sub dir/" + name), contents[i]);
        QCOMPARE(ReadLocal(local.filePath(name)), contents[i]);
        if (directions[i] == 'D')
            QCOMPARE(QFileInfo(local.filePath(name)).lastModified().toSecsSinceEpoch(),
                     Utc(2020, 2, 29, 13, 14, 15));
    }
    QCOMPARE(QDir(local.path()).entryList(QDir::Files | QDir::Hidden).size(), directions.size());
    QVERIFY(rig.queue.Jobs().empty());
}

// A change of server logs in again; a new connection does not go back to a folder of an
// earlier job that has gone meanwhile.
void TestTransferQueue::changeOfServerConnectsAgain() {
    FtpServer a, b;
    QVERIFY2(a.isRunning() && b.isRunning(), qPrintable(a.errorString() + b.errorString()));
    QVERIFY(a.makeDir("sub"));
    QTemporaryDir local;
    const QString path = local.filePath("x.txt");
    QVERIFY(WriteLocal(path, "x"));
    Rig rig;
    rig.queue.EnqueueTransfer({Job(true, a, path, "/sub", "x.txt")});
    rig.Start();
    QVERIFY(rig.WaitForLine("label Disconnected"));
    QVERIFY(QDir(a.path("sub")).removeRecursively());
    rig.queue.EnqueueTransfer({Job(true, b, path, "/", "x.txt"), Job(true, b, path, "/", "x.txt"),
                               Job(true, a, path, "/", "x.txt")});
    QVERIFY(rig.WaitForLine("label Disconnected", 2));
    QCOMPARE(rig.Log().filter(kEnded).join(','),
             QString("done x.txt,done x.txt,done x.txt,done x.txt"));
    QCOMPARE(Logins(a), 2);
    QCOMPARE(Logins(b), 1);
    QCOMPARE(rig.Log().filter("label Connecting to ").size(), 3);
    QCOMPARE(a.readFile("x.txt") + b.readFile("x.txt"), QByteArray("xx"));
}

// Each job fails with its reason, twice over; nothing changes on either side, nothing is left
// beside the local file or outside its folder (a folder in the target's place included).
void TestTransferQueue::refusedJobsFailWithReason_data() {
    QTest::addColumn<bool>("upload");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QString>("localName"); // of a download; empty: the name
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<int>("logins");
    const QByteArray f("f.txt");
    QTest::newRow("upload, folder missing") << true << "/missing" << f << QString() << "pw"
                                            << "Couldn't change to directory /missing" << 1;
    QTest::newRow("download, folder missing") << false << "/missing" << f << QString() << "pw"
                                              << "Couldn't change to directory" << 1;
    QTest::newRow("download, file missing")
        << false << "/" << QByteArray("none.txt") << QString() << "pw"
        << "remote file not found" << 1;
    QTest::newRow("download onto a folder")
        << false << "/" << QByteArray("dir") << QString() << "pw"
        << "dir: Is a directory" << 1;
    QTest::newRow("download, ../x") << false << "/" << QByteArray("../x") << QString() << "pw"
                                    << "Refused" << 0;
    QTest::newRow("download, a/b") << false << "/" << QByteArray("sub/f.txt") << QString() << "pw"
                                   << "Refused" << 0;
    QTest::newRow("download, NUL") << false << "/" << QByteArray("a\0b", 3) << QString() << "pw"
                                   << "Refused" << 0;
    QTest::newRow("upload, ../x") << true << "/" << QByteArray("../x") << QString() << "pw"
                                  << "Refused" << 0;
    QTest::newRow("download into ../f.txt") << false << "/" << f << "../f.txt"
                                            << "pw"
                                            << "Refused" << 0;
    // A failed login is no connection: the second job logs in again.
    QTest::newRow("wrong password") << true << "/" << f << QString() << "bad"
                                    << "Bad password connecting to" << 2;
}

void TestTransferQueue::refusedJobsFailWithReason() {
    QFETCH(bool, upload);
    QFETCH(QString, folder);
    QFETCH(QByteArray, name);
    QFETCH(QString, localName);
    QFETCH(QString, password);
    QFETCH(QString, reason);
    QFETCH(int, logins);
    FtpServer server({"--user", "u", "--password", "pw"});
    QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
    QVERIFY(server.writeFile("sub/f.txt", "server copy"));
    QVERIFY(server.writeFile("f.txt", "server copy"));
    QVERIFY(server.writeFile("dir", Pattern(200000)));
    // The local folder inside a folder of the test's own, so that nothing may appear beside it.
    QTemporaryDir outer;
    const QDir local(outer.filePath("local"));
    QVERIFY(local.mkpath("dir"));
    QVERIFY(WriteLocal(local.filePath("dir/inside.txt"), "inside"));
    const QString old = local.filePath("f.txt");
    QVERIFY(WriteLocal(old, "local copy"));
    const QDateTime oldTime = QFileInfo(old).lastModified();
    const std::string bytes(name.constData(), size_t(name.size()));
    TransferJob job = Job(upload, server, old, folder.toUtf8().constData(), bytes);
    if (!upload)
        job.Record.LocalFile = local.path().toStdString() + "/" +
                               (localName.isEmpty() ? bytes : localName.toStdString());
    job.Record.FileDate = FileDateFromText("2001/01/01 00:00:00");
    job.Record.ServerUser = "u";
    job.Record.ServerPassword = password.toStdString();
    const QStringList serverBefore = QDir(server.root()).entryList(QDir::AllEntries);
    Rig rig;
    rig.queue.EnqueueTransfer({job, job});
    rig.Start();
    QVERIFY(rig.WaitFor([](const QStringList& l) { return l.filter("failed ").size() == 2; }));

    for (const TransferJob& kept : rig.queue.Jobs()) {
        QCOMPARE(kept.State, TransferJobState::Failed);
        QVERIFY2(QString::fromStdString(kept.Reason).contains(reason), kept.Reason.c_str());
    }
    QCOMPARE(rig.queue.Jobs().size(), size_t(2));
    QCOMPARE(Logins(server), logins);
    QCOMPARE(QDir(server.root()).entryList(QDir::AllEntries), serverBefore);
    const auto all = QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot;
    QCOMPARE(local.entryList(all), QStringList({"dir", "f.txt"}));
    QCOMPARE(ReadLocal(old), QByteArray("local copy"));
    QCOMPARE(ReadLocal(local.filePath("dir/inside.txt")), QByteArray("inside"));
    QCOMPARE(QFileInfo(old).lastModified(), oldTime);
    QCOMPARE(QDir(outer.path()).entryList(all), QStringList({"local"}));
}

// The server vanishes in the middle of a download and comes back while the worker waits to
// reconnect: the same file is continued from the bytes that arrived, a changed one read again.
void TestTransferQueue::vanishedServerDuringDownload_data() {
    QTest::addColumn<bool>("changed"); // the server holds another file when it comes back
    QTest::newRow("same file: continued") << false;
    QTest::newRow("changed file: read again") << true;
}

void TestTransferQueue::vanishedServerDuringDownload() {
    QFETCH(bool, changed);
    auto first = std::make_unique<FtpServer>(QStringList{"--drop-after", "100000"});
    QVERIFY2(first->isRunning(), qPrintable(first->errorString()));
    const QByteArray content = Pattern(600000);
    QVERIFY(first->writeFile("big.bin", content));
    QVERIFY(SetFileTime(first->path("big.bin"), 1500000000));
    const quint16 port = first->port();
    QTemporaryDir local;
    const QString target = local.filePath("big.bin");
    QVERIFY(WriteLocal(target, "the old file"));
    TransferJob job = Job(false, *first, target, "/", "big.bin");
    job.Record.FileDate = FileDateFromText("2019/05/06 07:08:09");

    Rig rig;
    std::mutex gate;
    std::condition_variable opened;
    bool reconnecting = false, replaced = false;
    rig.onReconnecting = [&](int) {
        std::unique_lock lock(gate);
        reconnecting = true;
        opened.notify_all();
        opened.wait_for(lock, 60s, [&] { return replaced; });
    };
    rig.queue.EnqueueTransfer({job});
    rig.Start();
    {
        std::unique_lock lock(gate);
        QVERIFY(opened.wait_for(lock, 60s, [&] { return reconnecting; }));
    }
    // Cut off: the old file is intact; the part that arrived waits beside it.
    QCOMPARE(ReadLocal(target), QByteArray("the old file"));
    const QStringList files = QDir(local.path()).entryList(QDir::Files | QDir::Hidden);
    QCOMPARE(files.size(), 2);
    const QByteArray part = ReadLocal(local.filePath(files[0] == "big.bin" ? files[1] : files[0]));
    QVERIFY(part.size() > 0 && part.size() < content.size() && content.startsWith(part));
    // The server comes back on the same port, slowly enough to watch the progress.
    first.reset();
    FtpServer second({"--port", QString::number(port), "--throttle", "125000"});
    QVERIFY2(second.isRunning(), qPrintable(second.errorString()));
    const QByteArray served = changed ? Pattern(600001).mid(1) : content;
    QVERIFY(second.writeFile("big.bin", served));
    QVERIFY(SetFileTime(second.path("big.bin"), changed ? 1600000000 : 1500000000));
    {
        std::lock_guard lock(gate);
        replaced = true;
        opened.notify_all();
    }
    QVERIFY(rig.WaitForLine("label Disconnected"));
    const QStringList log = rig.Log();
    QCOMPARE(log.filter(kEnded), QStringList({"done big.bin"}));
    QVERIFY(ReadLocal(target) == served);
    QCOMPARE(QFileInfo(target).lastModified().toSecsSinceEpoch(), Utc(2019, 5, 6, 7, 8, 9));
    QCOMPARE(QDir(local.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"big.bin"}));
    QCOMPARE(second.commands().filter(QRegularExpression("^REST ")),
             changed ? QStringList() : QStringList({"REST " + QString::number(part.size())}));
    // Progress of the whole file: a continued download starts at the bytes already there.
    const QStringList after = log.mid(int(log.indexOf("reconnecting 1")));
    qint64 lowest = content.size();
    for (const QString& line : after.filter(QRegularExpression("^percent \\d+ / 600000 ")))
        lowest = std::min(lowest, line.section(' ', 1, 1).toLongLong());
    QVERIFY2(changed ? lowest < part.size() : lowest >= part.size(), qPrintable(after.join('|')));
    QVERIFY(!after.filter(QRegularExpression("^rate (?!0 B/s)\\d.*B/s")).isEmpty());
    QCOMPARE(log.filter("rate ").constLast(), QString("rate ")); // cleared after the job
}

// Every data connection ends after 100000 bytes; the rig tries three times more.
void TestTransferQueue::cutDataConnection_data() {
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("reason"); // empty: the download completes
    QTest::newRow("continued to the end") << 300000 << "";
    QTest::newRow("still short after the last try")
        << 600000 << ": 400000 bytes arrived, the server lists 600000";
}

void TestTransferQueue::cutDataConnection() {
    QFETCH(int, size);
    QFETCH(QString, reason);
    FtpServer server({"--cut-data-after", "100000"});
    QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
    const QByteArray content = Pattern(size);
    QVERIFY(server.writeFile("big.bin", content));
    QTemporaryDir local;
    const QString target = local.filePath("big.bin");
    QVERIFY(WriteLocal(target, "the old file"));
    Rig rig;
    rig.queue.EnqueueTransfer({Job(false, server, target, "/", "big.bin")});
    rig.Start();
    QVERIFY(rig.WaitForLine("label Disconnected"));

    QStringList rests;
    for (int at = 100000; at < std::min(size, 400000); at += 100000)
        rests << "REST " + QString::number(at);
    QCOMPARE(server.commands().filter(QRegularExpression("^REST ")), rests);
    QCOMPARE(QDir(local.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"big.bin"}));
    if (reason.isEmpty()) {
        QCOMPARE(rig.Log().filter(kEnded), QStringList({"done big.bin"}));
        QVERIFY(ReadLocal(target) == content);
        return;
    }
    // Never a silent short file: the job fails saying both sizes, the old file stays.
    const std::vector<TransferJob> kept = rig.queue.Jobs();
    QCOMPARE(kept.size(), size_t(1));
    const QString why = QString::fromStdString(kept[0].Reason);
    QVERIFY2(why.endsWith(reason) && why.contains(target), qPrintable(why));
    QCOMPARE(ReadLocal(target), QByteArray("the old file"));
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
    rig.Start();
    // Pause during the first job: it completes, the connection closes, the rest waits.
    QVERIFY(rig.WaitFor([](const QStringList& l) { return l.filter("percent ").size() >= 3; }));
    rig.queue.SetPaused(true);
    QVERIFY(rig.WaitForLine("label Disconnected"));
    QCOMPARE(rig.Log().filter(QRegularExpression("^(started|done|failed) ")),
             QStringList({"started a.bin", "done a.bin"}));
    QCOMPARE(rig.queue.WaitingCount(), size_t(2));
    QCOMPARE(rig.queue.DeleteJobs({ids[2]}), size_t(1));

    // Restart, then Stop during the last job: it fails as stopped, nothing is paused.
    rig.queue.SetPaused(false);
    QVERIFY(rig.WaitFor([](const QStringList& l) {
        return l.contains("started b.bin") && l.filter("percent ").size() >= 8;
    }));
    QCOMPARE(rig.queue.DeleteJobs({ids[1]}), size_t(0)); // a running job is not deleted
    rig.worker->Stop();
    QVERIFY(rig.WaitForLine("label Disconnected", 2));
    QVERIFY(!rig.queue.Paused());
    const std::vector<TransferJob> kept = rig.queue.Jobs();
    QCOMPARE(kept.size(), size_t(1));
    QCOMPARE(kept[0].Id, ids[1]);
    QCOMPARE(kept[0].State, TransferJobState::Failed);
    QCOMPARE(kept[0].Reason, std::string(kTransferStoppedReason));

    QCOMPARE(rig.queue.RetryAllFailed(), size_t(1));
    QVERIFY(rig.WaitForLine("label Disconnected", 3));
    QVERIFY(rig.Log().contains("done b.bin"));
    QVERIFY(rig.queue.Jobs().empty());
    QCOMPARE(server.readFile("b.bin"), Pattern(600000));
    QVERIFY(!QFile::exists(server.path("c.bin")));
}

// Producers, a deleter and two takers at once: every job is taken once or deleted once.
void TestTransferQueue::manyThreadsLoseNoJob() {
    TransferQueue queue;
    std::atomic<int> changes{0};
    queue.OnChange = [&] { ++changes; };
    constexpr int kProducers = 4, kPerProducer = 300;
    std::mutex mutex;
    std::vector<TransferJobId> seen, enqueued;
    std::atomic<int> producersLeft{kProducers}, deleted{0};
    std::vector<std::thread> threads;
    for (int p = 0; p < kProducers; ++p)
        threads.emplace_back([&] {
            for (int i = 0; i < kPerProducer; ++i) {
                const auto ids = queue.EnqueueTransfer({TransferJob{}});
                std::lock_guard lock(mutex);
                enqueued.insert(enqueued.end(), ids.begin(), ids.end());
            }
            --producersLeft;
        });
    auto drain = [&](bool deleter) {
        for (;;) {
            const bool last = producersLeft == 0;
            if (deleter) {
                for (const TransferJob& job : queue.Jobs()) {
                    if (job.Id % 3 != 0 || queue.DeleteJobs({job.Id}) != 1) continue;
                    std::lock_guard lock(mutex);
                    seen.push_back(job.Id);
                    ++deleted;
                }
            } else if (auto job = queue.TakeHead()) {
                queue.Finish(job->Id);
                std::lock_guard lock(mutex);
                seen.push_back(job->Id);
                continue;
            }
            if (last && queue.WaitingCount() == 0) return;
            std::this_thread::yield();
        }
    };
    threads.emplace_back(drain, true);
    threads.emplace_back(drain, false);
    threads.emplace_back(drain, false);
    for (auto& t : threads)
        t.join();

    const std::set<TransferJobId> all(enqueued.begin(), enqueued.end());
    QCOMPARE(all.size(), size_t(kProducers * kPerProducer));
    QCOMPARE(seen.size(), all.size()); // no job twice
    QVERIFY(std::set<TransferJobId>(seen.begin(), seen.end()) == all);
    QVERIFY(deleted > 0 && deleted < int(all.size()));
    QVERIFY(queue.Jobs().empty());
    QVERIFY(changes > 0);
}

QTEST_GUILESS_MAIN(TestTransferQueue)
#include "test_transfer_queue.moc"
