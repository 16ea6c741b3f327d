// Guards: a killed queue run leaves a journal without the password, and --resume completes it.
#include "support/CliRunner.h"
#include "support/FtpServer.h"
#include "support/LocalFiles.h"

#include "core/transfer/TransferJournal.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

using namespace pw;

namespace {
constexpr int kThrottle = 32768; // bytes per second
constexpr int kFileSize = 2 * kThrottle;
constexpr int kFiles = 4;

QByteArray FileBytes(int i) {
    QByteArray bytes = Pattern(kFileSize);
    bytes[0] = char('0' + i);
    return bytes;
}
} // namespace

class TestTransferResume : public QObject {
    Q_OBJECT

private slots:
    void killedRunResumes();
};

void TestTransferResume::killedRunResumes() {
    const QString password = "Pw-in-the-url-only";
    FtpServer server(
        {"--user", "u", "--password", password, "--throttle", QString::number(kThrottle)});
    QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
    QTemporaryDir local;
    QStringList files;
    for (int i = 0; i < kFiles; ++i) {
        files << local.filePath(QString("file%1.bin").arg(i));
        QVERIFY(WriteLocal(files.last(), FileBytes(i)));
    }
    const QString journal = local.filePath("queue.journal");
    const QString url = QString("ftp://u:%1@127.0.0.1:%2/").arg(password).arg(server.port());
    const QStringList common{"ftp", "put-many", url, "--journal", journal};

    // Killed as soon as the first job is reported done: the second one is then running.
    QProcess cli;
    cli.start(QStringLiteral(PW_CLI_PATH), common + files);
    QByteArray out;
    QDeadlineTimer deadline(60000);
    while (!out.contains('\n') && !deadline.hasExpired() && cli.state() != QProcess::NotRunning) {
        cli.waitForReadyRead(100);
        out += cli.readAllStandardOutput();
    }
    cli.kill();
    QVERIFY(cli.waitForFinished(10000));
    out += cli.readAllStandardOutput();
    const QList<QByteArray> done = out.split('\n').mid(0, out.count('\n'));
    QVERIFY2(!done.isEmpty() && done.size() < kFiles, out.constData());
    for (int i = 0; i < done.size(); ++i)
        QCOMPARE(done[i], QByteArray("ok file") + QByteArray::number(i) + ".bin");

    const std::string journalPath = journal.toStdString();
    struct stat info {};
    QCOMPARE(::stat(journalPath.c_str(), &info), 0);
    QCOMPARE(int(info.st_mode & 0777), 0600);
    QVERIFY(!ReadLocal(journal).contains(password.toUtf8()));
    const TransferJournalLoad kept = TransferJournal(journalPath).Load();
    QVERIFY2(kept.Error.empty(), kept.Error.c_str());
    QCOMPARE(kept.Jobs.size(), size_t(kFiles - done.size()));
    for (size_t j = 0; j < kept.Jobs.size(); ++j) {
        const TransferJob& job = kept.Jobs[j];
        QCOMPARE(job.State, TransferJobState::Queued);
        QCOMPARE(QString::fromStdString(job.Record.LocalFile), files[done.size() + int(j)]);
        QVERIFY(job.Record.ServerUser == "u" && job.Record.ServerPassword.empty());
    }

    // A new run does not start over the unfinished jobs unless told to run them.
    const CliRun refused = RunCli(common + files, 120000);
    QCOMPARE(refused.exitCode, 2);
    QVERIFY2(refused.err.contains("--resume"), refused.err.constData());
    QVERIFY(refused.out.isEmpty());
    QCOMPARE(TransferJournal(journalPath).Load().Jobs.size(), kept.Jobs.size());

    const CliRun resumed = RunCli(common + QStringList{"--resume"}, 120000);
    QCOMPARE(resumed.exitCode, 0);
    QStringList expected;
    for (int i = int(done.size()); i < kFiles; ++i)
        expected << QString("ok file%1.bin").arg(i);
    QCOMPARE(QString::fromUtf8(resumed.out).split('\n', Qt::SkipEmptyParts), expected);
    for (int i = 0; i < kFiles; ++i)
        QCOMPARE(server.readFile(QString("file%1.bin").arg(i)), FileBytes(i));
    const TransferJournalLoad after = TransferJournal(journalPath).Load();
    QVERIFY2(after.Error.empty() && after.Jobs.empty(), after.Error.c_str());
}

QTEST_GUILESS_MAIN(TestTransferResume)
#include "test_transfer_resume.moc"
