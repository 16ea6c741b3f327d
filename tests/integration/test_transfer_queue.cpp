// The transfer queue and its worker against the real test FTP server: order over one
// connection, a change of server, refused folders and names, a download cut off by a vanished
// server and continued, a cut data connection, a download that replaces a file or meets a
// folder in its place, Pause, Stop, Delete and Retry, and the queue's lock under many threads.
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

#include <algorithm>
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

// A queue, a client and a worker on a thread of its own; the events are written to a log
// that the test waits on.
struct Rig {
    TransferQueue queue;
    TSimpleFTP ftp;
    std::mutex mutex;
    std::condition_variable changed;
    QStringList log;                // guarded by mutex
    std::vector<TransferJob> ended; // finished and failed jobs, in order; guarded by mutex
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
        events.OnJobFinished = [this](const TransferJob& j) { End(j); };
        events.OnJobFailed = [this](const TransferJob& j) { End(j); };
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
    void End(const TransferJob& job) {
        std::lock_guard lock(mutex);
        ended.push_back(job);
        log << QString::fromStdString((job.State == TransferJobState::Done ? "done " : "failed ") +
                                      job.Caption());
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
    std::vector<TransferJob> Ended() {
        std::lock_guard lock(mutex);
        return ended;
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
    void vanishedFolderOfEarlierJob();
    void refusedJobsFailWithReason_data();
    void refusedJobsFailWithReason();
    void vanishedServerDuringDownload_data();
    void vanishedServerDuringDownload();
    void cutDataConnection_data();
    void cutDataConnection();
    void downloadOntoFolderFails();
    void pauseStopDeleteRetry();
    void manyThreadsLoseNoJob();
};

void TestTransferQueue::percentText_data() {
    QTest::addColumn<qint64>("done");
    QTest::addColumn<qint64>("total");
    QTest::addColumn<QString>("text");
    QTest::newRow("empty file") << 0ll << 0ll << "0 / 0 - 0%";
    QTest::newRow("quarter") << 1024ll << 4096ll << "1024 / 4096 - 25%";
    QTest::newRow("truncated") << 999ll << 1000ll << "999 / 1000 - 99%";
    QTest::newRow("unknown total") << 5ll << 0ll << "5 / 0 - 0%";
    QTest::newRow("beyond 2 GiB") << 4294967296ll << 8589934592ll
                                  << "4294967296 / 8589934592 - 50%";
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
    const double fileDate = FileDateFromText("2020/02/29 13:14:15");
    std::vector<TransferJob> jobs;
    QList<QByteArray> contents;
    for (int i = 0; i < directions.size(); ++i) {
        const std::string name = "f" + std::to_string(i) + ".bin";
        const QByteArray bytes = i == 1 ? QByteArray() : Pattern(20000 + i); // one empty file
        contents << bytes;
        const QString path = local.filePath(QString::fromStdString(name));
        const bool upload = directions[i] == 'U';
        QVERIFY(upload ? WriteLocal(path, bytes)
                       : server.writeFile("sub dir/" + QString::fromStdString(name), bytes));
        jobs.push_back(Job(upload, server, path, "/sub dir", name));
        jobs.back().Record.FileDate = fileDate;
    }
    Rig rig;
    rig.queue.EnqueueTransfer(jobs);
    rig.Start();
    QVERIFY(rig.WaitForLine("state 2")); // the last event of an emptied queue

    const QStringList log = rig.Log();
    QCOMPARE(log.filter(QRegularExpression("^(done|failed) ")),
             QStringList({"done f0.bin", "done f1.bin", "done f2.bin"}));
    QCOMPARE(Logins(server), 1);
    QCOMPARE(log.filter("label Connecting to ").size(), 1);
    QCOMPARE(log.filter(QRegularExpression("^state ")),
             QStringList({"state 0", "state 1", "state 2"})); // Busy, Connected, Idle
    QVERIFY(log.contains("percent 0 / 0 - 0%"));
    QVERIFY(log.contains("percent 20000 / 20000 - 100%") ||
            log.contains("percent 20002 / 20002 - 100%"));
    for (int i = 0; i < directions.size(); ++i) {
        const QString name = QStringLiteral("f%1.bin").arg(i);
        QCOMPARE(server.readFile("sub dir/" + name), contents[i]);
        QCOMPARE(ReadLocal(local.filePath(name)), contents[i]);
        if (directions[i] == 'D')
            QCOMPARE(QFileInfo(local.filePath(name)).lastModified().toSecsSinceEpoch(),
                     QDateTime(QDate(2020, 2, 29), QTime(13, 14, 15), Qt::UTC).toSecsSinceEpoch());
    }
    QCOMPARE(QDir(local.path()).entryList(QDir::Files | QDir::Hidden).size(), directions.size());
    QVERIFY(rig.queue.Jobs().empty());
}

void TestTransferQueue::changeOfServerConnectsAgain() {
    FtpServer a, b;
    QVERIFY2(a.isRunning() && b.isRunning(), qPrintable(a.errorString() + b.errorString()));
    QTemporaryDir local;
    QVERIFY(WriteLocal(local.filePath("x.txt"), "x"));
    const QString path = local.filePath("x.txt");
    Rig rig;
    rig.queue.EnqueueTransfer({Job(true, a, path, "/", "x.txt"), Job(true, b, path, "/", "x.txt"),
                               Job(true, b, path, "/", "x.txt"), Job(true, a, path, "/", "x.txt")});
    rig.Start();
    QVERIFY(rig.WaitForLine("label Disconnected"));
    QCOMPARE(Logins(a), 2);
    QCOMPARE(Logins(b), 1);
    QCOMPARE(rig.Log().filter("label Connecting to ").size(), 3);
    QCOMPARE(b.readFile("x.txt"), QByteArray("x"));
}

void TestTransferQueue::vanishedFolderOfEarlierJob() {
    // The next connection must not try to go back to a folder removed since the last job.
    FtpServer server;
    QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
    QVERIFY(server.writeFile("sub/keep.txt", "k"));
    QTemporaryDir local;
    const QString path = local.filePath("x.txt");
    QVERIFY(WriteLocal(path, "x"));
    Rig rig;
    rig.queue.EnqueueTransfer({Job(true, server, path, "/sub", "x.txt")});
    rig.Start();
    QVERIFY(rig.WaitForLine("label Disconnected"));
    QVERIFY(QDir(server.path("sub")).removeRecursively());
    rig.queue.EnqueueTransfer({Job(true, server, path, "/", "x.txt")});
    QVERIFY(rig.WaitForLine("label Disconnected", 2));
    QCOMPARE(rig.Log().filter(QRegularExpression("^(done|failed) ")),
             QStringList({"done x.txt", "done x.txt"}));
    QCOMPARE(server.readFile("x.txt"), QByteArray("x"));
}

void TestTransferQueue::refusedJobsFailWithReason_data() {
    QTest::addColumn<bool>("upload");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<int>("logins");
    const QByteArray nul("a\0b", 3);
    QTest::newRow("upload, folder missing") << true << "/missing" << QByteArray("f.txt") << "pw"
                                            << "Couldn't change to directory /missing" << 1;
    QTest::newRow("download, folder missing") << false << "/missing" << QByteArray("f.txt") << "pw"
                                              << "Couldn't change to directory" << 1;
    QTest::newRow("download, file missing") << false << "/" << QByteArray("none.txt") << "pw"
                                            << "remote file not found" << 1;
    QTest::newRow("download, ../x") << false << "/" << QByteArray("../x") << "pw"
                                    << "Refused" << 0;
    QTest::newRow("download, /etc/x") << false << "/" << QByteArray("/etc/x") << "pw"
                                      << "Refused" << 0;
    QTest::newRow("download, a/b") << false << "/" << QByteArray("sub/f.txt") << "pw"
                                   << "Refused" << 0;
    QTest::newRow("download, NUL") << false << "/" << nul << "pw"
                                   << "Refused" << 0;
    QTest::newRow("upload, ../x") << true << "/" << QByteArray("../x") << "pw"
                                  << "Refused" << 0;
    // A failed login is no connection: the second job logs in again.
    QTest::newRow("wrong password") << true << "/" << QByteArray("f.txt") << "bad"
                                    << "Bad password connecting to" << 2;
}

void TestTransferQueue::refusedJobsFailWithReason() {
    QFETCH(bool, upload);
    QFETCH(QString, folder);
    QFETCH(QByteArray, name);
    QFETCH(QString, password);
    QFETCH(QString, reason);
    QFETCH(int, logins);
    FtpServer server({"--user", "u", "--password", "pw"});
    QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
    QVERIFY(server.makeDir("sub"));
    QVERIFY(server.writeFile("sub/f.txt", "server copy"));
    QVERIFY(server.writeFile("f.txt", "server copy"));
    // The local folder inside a folder of the test's own, so that nothing may appear beside it.
    QTemporaryDir outer;
    QVERIFY(QDir(outer.path()).mkdir("local"));
    const QDir local(outer.filePath("local"));
    const QString old = local.filePath("f.txt");
    QVERIFY(WriteLocal(old, "local copy"));
    const QDateTime oldTime = QFileInfo(old).lastModified();
    const std::string bytes(name.constData(), size_t(name.size()));
    TransferJob job = Job(upload, server, old, folder.toUtf8().constData(), bytes);
    if (!upload) job.Record.LocalFile = local.path().toStdString() + "/" + bytes;
    job.Record.FileDate = FileDateFromText("2001/01/01 00:00:00");
    job.Record.ServerUser = "u";
    job.Record.ServerPassword = password.toStdString();
    const QStringList serverBefore = QDir(server.root()).entryList(QDir::AllEntries);
    Rig rig;
    rig.queue.EnqueueTransfer({job, job});
    rig.Start();
    QVERIFY(rig.WaitFor([](const QStringList& l) { return l.filter("failed ").size() == 2; }));

    const std::vector<TransferJob> jobs = rig.queue.Jobs();
    QCOMPARE(jobs.size(), size_t(2));
    for (const TransferJob& kept : jobs) {
        QCOMPARE(kept.State, TransferJobState::Failed);
        QVERIFY2(QString::fromStdString(kept.Reason).contains(reason), kept.Reason.c_str());
    }
    QCOMPARE(Logins(server), logins);
    QCOMPARE(QDir(server.root()).entryList(QDir::AllEntries), serverBefore);
    QCOMPARE(QDir(local.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList({"f.txt"}));
    QCOMPARE(ReadLocal(old), QByteArray("local copy"));
    QCOMPARE(QFileInfo(old).lastModified(), oldTime);
    QCOMPARE(QDir(outer.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList({"local"}));
}

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
    const QString partPath = local.filePath(files[0] == "big.bin" ? files[1] : files[0]);
    const QByteArray part = ReadLocal(partPath);
    QVERIFY2(part.size() > 0 && part.size() < content.size(), qPrintable(partPath));
    QVERIFY(content.startsWith(part));
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
    QCOMPARE(log.filter(QRegularExpression("^(done|failed) ")), QStringList({"done big.bin"}));
    QVERIFY(ReadLocal(target) == served);
    QCOMPARE(QFileInfo(target).lastModified().toSecsSinceEpoch(),
             QDateTime(QDate(2019, 5, 6), QTime(7, 8, 9), Qt::UTC).toSecsSinceEpoch());
    QCOMPARE(QDir(local.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"big.bin"}));

    const QStringList rest = second.commands().filter(QRegularExpression("^REST "));
    QCOMPARE(rest, changed ? QStringList() : QStringList({"REST " + QString::number(part.size())}));
    // Progress of the whole file: a continued download starts at the bytes already there.
    const QStringList after = log.mid(int(log.indexOf("reconnecting 1")));
    qint64 lowest = content.size();
    for (const QString& line : after.filter(QRegularExpression("^percent \\d+ / 600000 ")))
        lowest = std::min(lowest, line.section(' ', 1, 1).toLongLong());
    QVERIFY2(changed ? lowest < part.size() : lowest >= part.size(), qPrintable(after.join('|')));
    QVERIFY(!after.filter(QRegularExpression("^rate (?!0 B/s)\\d.*B/s")).isEmpty());
    QCOMPARE(log.filter("rate ").constLast(), QString("rate ")); // cleared after the job
}

void TestTransferQueue::cutDataConnection_data() {
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("reason"); // empty: the download completes
    // The rig tries three times more; every data connection ends after 100000 bytes.
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
        QCOMPARE(rig.Log().filter(QRegularExpression("^(done|failed) ")),
                 QStringList({"done big.bin"}));
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

// A folder in the target's place is refused with the reason, and the download's temporary
// file goes (replacing a file is the core's, and the other downloads here do it).
void TestTransferQueue::downloadOntoFolderFails() {
    FtpServer server;
    QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
    QVERIFY(server.writeFile("page.html", Pattern(200000)));
    QTemporaryDir local;
    const QString target = local.filePath("page.html");
    QVERIFY(QDir(local.path()).mkdir("page.html"));
    QVERIFY(WriteLocal(target + "/inside.txt", "inside"));
    Rig rig;
    rig.queue.EnqueueTransfer({Job(false, server, target, "/", "page.html")});
    rig.Start();
    QVERIFY(rig.WaitForLine("label Disconnected"));

    QCOMPARE(QDir(local.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList({"page.html"}));
    const std::vector<TransferJob> kept = rig.queue.Jobs();
    QCOMPARE(kept.size(), size_t(1));
    QCOMPARE(QString::fromStdString(kept[0].Reason),
             QString("Cannot create file %1: Is a directory").arg(target));
    QCOMPARE(ReadLocal(target + "/inside.txt"), QByteArray("inside"));
}

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
    QVERIFY(rig.worker->JobRunning());
    QCOMPARE(rig.queue.DeleteJobs({ids[1]}), size_t(0)); // a running job is not deleted
    rig.worker->Stop();
    QVERIFY(rig.WaitForLine("label Disconnected", 2));
    QVERIFY(!rig.queue.Paused());
    std::vector<TransferJob> kept = rig.queue.Jobs();
    QCOMPARE(kept.size(), size_t(1));
    QCOMPARE(kept[0].Id, ids[1]);
    QCOMPARE(kept[0].State, TransferJobState::Failed);
    QCOMPARE(kept[0].Reason, std::string(kTransferStoppedReason));

    QCOMPARE(rig.queue.RetryAllFailed(), size_t(1));
    QVERIFY(rig.WaitForLine("done b.bin"));
    QVERIFY(rig.WaitForLine("label Disconnected", 3));
    QVERIFY(rig.queue.Jobs().empty());
    QCOMPARE(server.readFile("b.bin"), Pattern(600000));
    QVERIFY(!QFile::exists(server.path("c.bin")));
}

void TestTransferQueue::manyThreadsLoseNoJob() {
    TransferQueue queue;
    std::atomic<int> changes{0};
    queue.OnChange = [&] { ++changes; };
    constexpr int kProducers = 4, kPerProducer = 300;
    std::mutex mutex;
    std::vector<TransferJobId> taken, deleted, enqueued;
    std::atomic<int> producersLeft{kProducers};
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
                    deleted.push_back(job.Id);
                }
            } else if (auto job = queue.TakeHead()) {
                queue.Finish(job->Id);
                std::lock_guard lock(mutex);
                taken.push_back(job->Id);
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

    // Every job was either taken once or deleted once, never both, and none is left.
    std::set<TransferJobId> all(enqueued.begin(), enqueued.end());
    QCOMPARE(all.size(), size_t(kProducers * kPerProducer));
    std::set<TransferJobId> seen;
    for (TransferJobId id : taken)
        QVERIFY(seen.insert(id).second);
    for (TransferJobId id : deleted)
        QVERIFY(seen.insert(id).second);
    QVERIFY(seen == all);
    QVERIFY(!deleted.empty() && !taken.empty());
    QVERIFY(queue.Jobs().empty());
    QVERIFY(changes > 0);
}

QTEST_GUILESS_MAIN(TestTransferQueue)
#include "test_transfer_queue.moc"
