// Guards: a drop expanded into upload jobs in order and uploaded; bad entries skipped by name.
#include "support/FtpServer.h"
#include "support/LocalFiles.h"

#include "core/ftp/TSimpleFTP.h"
#include "core/transfer/DropExpansion.h"
#include "core/transfer/TransferQueue.h"
#include "core/transfer/TransferWorker.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <stop_token>
#include <sys/stat.h>
#include <unistd.h>

using namespace pw;

namespace {
QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

// Builds entries below `root`: "d:path" a folder, "f:path=text" a file, "r:path=text" a
// read-only file, "l:path>target" a symbolic link, "p:path" a named pipe.
bool Build(const QString& root, const QStringList& entries) {
    for (const QString& entry : entries) {
        const char kind = entry[0].toLatin1();
        const QString rest = entry.mid(2);
        const QString path = root + "/" + rest.section(QRegularExpression("[=>]"), 0, 0);
        const QByteArray local = QFile::encodeName(path);
        const bool ok = kind == 'd' ? QDir().mkpath(path)
                        : kind == 'l'
                            ? ::symlink(QFile::encodeName(rest.section('>', 1)), local) == 0
                        : kind == 'p' ? ::mkfifo(local, 0600) == 0
                                      : WriteLocal(path, rest.section('=', 1).toUtf8()) &&
                                            (kind != 'r' || ::chmod(local, 0444) == 0);
        if (!ok) return false;
    }
    return true;
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
    QTest::addColumn<QString>("server");   // the tree below /up afterwards, as Tree lists it
    QTest::newRow("nested folders, empty folders and a plain file")
        << "d:tree/sub/deeper f:tree/b.txt=bee f:tree/a.txt=a r:tree/ro.txt=read-only "
           "f:tree/sub/c.bin=cccc f:tree/sub/deeper/d.txt=dd d:tree/empty d:tree/hollow/inner "
           "f:plain.txt=plain"
        << "tree/ plain.txt"
        << "/up/tree|a.txt /up/tree|b.txt /up/tree|ro.txt /up/tree/empty| /up/tree/hollow/inner| "
           "/up/tree/sub|c.bin /up/tree/sub/deeper|d.txt */up|plain.txt"
        << ""
        << "plain.txt:5 tree/ tree/a.txt:1 tree/b.txt:3 tree/empty/ tree/hollow/ "
           "tree/hollow/inner/ tree/ro.txt:9 tree/sub/ tree/sub/c.bin:4 tree/sub/deeper/ "
           "tree/sub/deeper/d.txt:2";
    QTest::newRow("link loops, links, a pipe, a line break and a missing path")
        << "d:top/in f:top/x.txt=x l:top/loop>. l:top/in/up>.. l:top/link.txt>x.txt p:top/pipe "
           "l:top/dangling>nowhere f:top/a\nb=n d:other f:other/o.txt=ooo l:top/away>../other"
        << "top gone"
        << "/up/top|link.txt /up/top|x.txt /up/top/away|o.txt /up/top/in|"
        << "top/a\nb:BadName top/dangling:Unreadable top/pipe:NotFileOrFolder "
           "top/in/up:LinkLoop top/loop:LinkLoop gone:Unreadable"
        << "top/ top/away/ top/away/o.txt:3 top/in/ top/link.txt:1 top/x.txt:1";
}

void TestTransferDrop::dropUploadsTree() {
    QFETCH(QString, entries);
    QFETCH(QString, dropped);
    QFETCH(QString, jobs);
    QFETCH(QString, problems);
    QFETCH(QString, server);
    const auto words = [](const QString& text) { return text.split(' ', Qt::SkipEmptyParts); };
    QTemporaryDir local;
    QVERIFY(Build(local.path(), words(entries)));
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
        QVERIFY(job.Record.Upload && job.Record.ServerHost == target.ServerHost &&
                job.Record.ServerUser == target.ServerUser);
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

    // The worker runs on this thread until the emptied queue closes the connection.
    TransferQueue queue;
    queue.EnqueueTransfer(expansion.Jobs);
    TSimpleFTP ftp;
    std::stop_source stop;
    TransferEvents events;
    events.OnLabel = [&](const std::string& text) {
        if (text == "Disconnected") stop.request_stop();
    };
    TransferWorker(queue, ftp, events).Run(stop.get_token());
    QStringList failed;
    for (const TransferJob& job : queue.Jobs())
        failed << Q(job.Record.LocalFile + ": " + job.Reason);
    QCOMPARE(failed, QStringList());
    QCOMPARE(Tree(ftpServer.path("up")), words(server).join(','));
}

QTEST_GUILESS_MAIN(TestTransferDrop)
#include "test_transfer_drop.moc"
