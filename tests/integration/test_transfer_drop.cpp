// Guards: dropped folders and files uploaded through the queue, bad entries skipped by name.
#include "support/FtpServer.h"
#include "support/LocalFiles.h"

#include "core/ftp/TSimpleFTP.h"
#include "core/transfer/DropExpansion.h"
#include "core/transfer/TransferQueue.h"
#include "core/transfer/TransferWorker.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <condition_variable>
#include <mutex>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace pw;
using namespace std::chrono_literals;

namespace {
QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

// Builds entries below `root`: "d:path" a folder, "f:path=text" a file, "r:path=text" a
// read-only file, "u:path=text" an unreadable file, "U:path" an unreadable folder,
// "l:path>target" a symbolic link, "p:path" a named pipe.
bool Build(const QString& root, const QStringList& entries, QStringList& locked) {
    for (const QString& entry : entries) {
        const QChar kind = entry[0];
        const QString rest = entry.mid(2);
        const QString path = root + "/" + rest.section(QRegularExpression("[=>]"), 0, 0);
        const QByteArray local = QFile::encodeName(path);
        bool ok = true;
        if (kind == 'd' || kind == 'U') {
            ok = QDir().mkpath(path) && (kind == 'd' || ::chmod(local, 0) == 0);
        } else if (kind == 'l') {
            ok = ::symlink(QFile::encodeName(rest.section('>', 1)), local) == 0;
        } else if (kind == 'p') {
            ok = ::mkfifo(local, 0600) == 0;
        } else {
            ok = WriteLocal(path, rest.section('=', 1).toUtf8());
            if (kind == 'r') ok = ok && ::chmod(local, 0444) == 0;
            if (kind == 'u') ok = ok && ::chmod(local, 0) == 0;
        }
        if (kind == 'U' || kind == 'u') locked << path;
        if (!ok) return false;
    }
    return true;
}

// The server's tree below `folder`: "name" for files (with their text), "name/" for folders.
QStringList ServerTree(const QString& folder) {
    QStringList tree;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString name = QDir(folder).relativeFilePath(path);
        tree << (it.fileInfo().isDir() ? name + "/" : name + "=" + QString(ReadLocal(path)));
    }
    tree.sort();
    return tree;
}
} // namespace

class TestTransferDrop : public QObject {
    Q_OBJECT

private slots:
    void dropUploadsTree_data();
    void dropUploadsTree();
};

// Each column is a list of words split at blanks.
void TestTransferDrop::dropUploadsTree_data() {
    QTest::addColumn<QString>("entries"); // see Build
    QTest::addColumn<QString>("dropped");
    // "folder|name" per job in order; "*" marks a job that may not make its folder.
    QTest::addColumn<QString>("jobs");
    QTest::addColumn<QString>("problems"); // "path:kind"
    QTest::addColumn<QString>("server");   // the tree below /up afterwards
    QTest::addColumn<bool>("needsUser");   // permissions do not stop root
    QTest::newRow("nested folders, empty folders and a plain file")
        << "d:tree/sub/deeper f:tree/b.txt=bee f:tree/a.txt=a r:tree/ro.txt=read-only "
           "f:tree/sub/c.bin=ccc f:tree/sub/deeper/d.txt=dd d:tree/empty d:tree/hollow/inner "
           "f:plain.txt=plain"
        << "tree/ plain.txt"
        << "/up/tree|a.txt /up/tree|b.txt /up/tree|ro.txt /up/tree/empty| /up/tree/hollow/inner| "
           "/up/tree/sub|c.bin /up/tree/sub/deeper|d.txt */up|plain.txt"
        << ""
        << "plain.txt=plain tree/ tree/a.txt=a tree/b.txt=bee tree/empty/ tree/hollow/ "
           "tree/hollow/inner/ tree/ro.txt=read-only tree/sub/ tree/sub/c.bin=ccc "
           "tree/sub/deeper/ tree/sub/deeper/d.txt=dd"
        << false;
    QTest::newRow("link loops, links, a pipe and a missing path")
        << "d:top/in f:top/x.txt=x l:top/loop>. l:top/in/up>.. l:top/link.txt>x.txt "
           "l:top/dangling>nowhere p:top/pipe d:other f:other/o.txt=o l:top/away>../other"
        << "top gone"
        << "/up/top|link.txt /up/top|x.txt /up/top/away|o.txt /up/top/in|"
        << "top/dangling:Unreadable top/pipe:NotFileOrFolder top/in/up:LinkLoop "
           "top/loop:LinkLoop gone:Unreadable"
        << "top/ top/away/ top/away/o.txt=o top/in/ top/link.txt=x top/x.txt=x" << false;
    QTest::newRow("unreadable file and folder")
        << "d:box f:box/ok.txt=ok u:box/secret.txt=s U:box/closed"
        << "box"
        << "/up/box|ok.txt"
        << "box/secret.txt:Unreadable box/closed:Unreadable"
        << "box/ box/ok.txt=ok" << true;
}

void TestTransferDrop::dropUploadsTree() {
    QFETCH(QString, entries);
    QFETCH(QString, dropped);
    QFETCH(QString, jobs);
    QFETCH(QString, problems);
    QFETCH(QString, server);
    const auto words = [](const QString& text) { return text.split(' ', Qt::SkipEmptyParts); };
    QFETCH(bool, needsUser);
    if (needsUser && ::geteuid() == 0) QSKIP("permissions do not keep root out");
    QTemporaryDir local;
    QStringList locked;
    const bool built = Build(local.path(), words(entries), locked);
    auto unlock = qScopeGuard([&] {
        for (const QString& path : locked)
            ::chmod(QFile::encodeName(path), 0700);
    });
    QVERIFY(built);

    FtpServer ftpServer;
    QVERIFY2(ftpServer.isRunning(), qPrintable(ftpServer.errorString()));
    QVERIFY(ftpServer.makeDir("up"));
    std::vector<std::string> paths;
    for (const QString& path : words(dropped))
        paths.push_back((local.path() + "/" + path).toStdString());
    TnkFTPRecord target;
    target.ServerHost = ftpServer.hostName();
    target.ServerUser = "anonymous";
    const DropExpansion expansion = ExpandDrop(paths, "/up", target);

    QStringList gotJobs, gotProblems;
    for (const TransferJob& job : expansion.Jobs) {
        gotJobs << (job.MakeRemoteFolder ? "" : "*") + Q(job.Record.RemoteFolder) + "|" +
                       Q(job.Record.RemoteFile);
        QVERIFY(job.Record.Upload);
        QCOMPARE(job.Record.ServerHost, target.ServerHost);
        const QFileInfo file(Q(job.Record.LocalFile));
        QCOMPARE(Q(job.SizeText), file.isDir() ? QString() : QString::number(file.size()));
    }
    static const char* const kKinds[] = {"LinkLoop", "Unreadable", "NotFileOrFolder", "BadName"};
    for (const DropProblem& problem : expansion.Problems) {
        gotProblems << QDir(local.path()).relativeFilePath(Q(problem.Path)) + ":" +
                           kKinds[int(problem.Kind)];
        QVERIFY(!problem.Reason.empty());
    }
    QCOMPARE(gotJobs, words(jobs));
    QCOMPARE(gotProblems, words(problems));

    TransferQueue queue;
    TSimpleFTP ftp;
    ftp.SetConnectTimeout(5000);
    ftp.SetPassive(true);
    std::mutex mutex;
    std::condition_variable changed;
    bool idle = false;
    QStringList failed;
    TransferEvents events;
    events.OnLabel = [&](const std::string& text) {
        std::lock_guard lock(mutex);
        idle = text == "Disconnected";
        changed.notify_all();
    };
    events.OnJobFailed = [&](const TransferJob& job) {
        std::lock_guard lock(mutex);
        failed << Q(job.Record.LocalFile + ": " + job.Reason);
    };
    TransferWorker worker(queue, ftp, events);
    queue.EnqueueTransfer(expansion.Jobs);
    std::jthread thread([&](std::stop_token stop) { worker.Run(stop); });
    {
        std::unique_lock lock(mutex);
        QVERIFY(changed.wait_for(lock, 60s, [&] { return idle; }));
        QCOMPARE(failed, QStringList());
    }
    QVERIFY(queue.Jobs().empty());
    QCOMPARE(ServerTree(ftpServer.path("up")), words(server));
}

QTEST_GUILESS_MAIN(TestTransferDrop)
#include "test_transfer_drop.moc"
