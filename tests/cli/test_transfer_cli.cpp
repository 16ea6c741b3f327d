// pagewright-cli ftp put-many / get-many against a real server: one line per job in order over
// one connection, a failing job in the middle does not stop the rest, exit statuses.
#include "support/CliRunner.h"
#include "support/FtpServer.h"
#include "support/LocalFiles.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {
int Logins(const FtpServer& server) {
    return int(server.commands().filter(QRegularExpression("^USER ")).size());
}

QStringList Lines(const QByteArray& out) {
    QStringList lines = QString::fromUtf8(out).split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
}
} // namespace

class TestTransferCli : public QObject {
    Q_OBJECT

private slots:
    void putMany();
    void getMany();
    void usageErrors_data();
    void usageErrors();
};

void TestTransferCli::putMany() {
    FtpServer server({"--user", "u", "--password", "pw"});
    QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
    QVERIFY(server.makeDir("in box"));
    QTemporaryDir local;
    QVERIFY(WriteLocal(local.filePath("a.txt"), Pattern(70000)));
    QVERIFY(WriteLocal(local.filePath("caf\u00e9 b"), "b"));
    QVERIFY(WriteLocal(local.filePath("empty"), ""));

    const QString url = "ftp://u:pw@127.0.0.1:" + QString::number(server.port()) + "/in%20box/";
    const CliRun r =
        RunCli({"ftp", "put-many", url, local.filePath("a.txt"), local.filePath("missing"),
                local.filePath("caf\u00e9 b"), local.filePath("empty")});
    QCOMPARE(r.exitCode, 1);
    const QStringList lines = Lines(r.out);
    QCOMPARE(lines.size(), 4);
    QCOMPARE(lines[0], "ok a.txt");
    QVERIFY2(lines[1].startsWith("failed missing: ") && lines[1].size() > 16, qPrintable(lines[1]));
    QCOMPARE(lines[2], QString::fromUtf8("ok caf\u00e9 b"));
    QCOMPARE(lines[3], "ok empty");
    QCOMPARE(server.readFile("in box/a.txt"), Pattern(70000));
    QCOMPARE(server.readFile(QString::fromUtf8("in box/caf\u00e9 b")), QByteArray("b"));
    QCOMPARE(server.readFile("in box/empty"), QByteArray());
    QCOMPARE(Logins(server), 1);

    // All jobs done: status 0.
    const CliRun again = RunCli({"ftp", "put-many", url, local.filePath("empty")});
    QCOMPARE(again.exitCode, 0);
    QCOMPARE(Lines(again.out), QStringList{"ok empty"});

    // No job runs when its journal cannot be written.
    const CliRun noJournal =
        RunCli({"ftp", "put-many", url, local.filePath("empty"), "--journal", "/nonexistent/j"});
    QCOMPARE(noJournal.exitCode, 1);
    QVERIFY(noJournal.out.isEmpty());
    QVERIFY2(noJournal.err.startsWith("Cannot create file /nonexistent/j"),
             noJournal.err.constData());
    QCOMPARE(Logins(server), 2);
}

void TestTransferCli::getMany() {
    FtpServer server;
    QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
    QVERIFY(server.writeFile("d/one", Pattern(100000)));
    QVERIFY(server.writeFile("d/three", "3"));
    QTemporaryDir target;
    QVERIFY(WriteLocal(target.filePath("two"), "kept"));

    const QString url = server.url() + "/d";
    const CliRun r = RunCli({"ftp", "get-many", url, "one", "two", "../escape", "three", "--to",
                             target.path(), "--passive"});
    QCOMPARE(r.exitCode, 1);
    const QStringList lines = Lines(r.out);
    QCOMPARE(lines.size(), 4);
    QCOMPARE(lines[0], "ok one");
    QVERIFY2(lines[1].startsWith("failed two: "), qPrintable(lines[1]));
    QVERIFY2(lines[2].startsWith("failed ../escape: Refused the name"), qPrintable(lines[2]));
    QCOMPARE(lines[3], "ok three");
    QCOMPARE(ReadLocal(target.filePath("one")), Pattern(100000));
    QCOMPARE(ReadLocal(target.filePath("two")), QByteArray("kept")); // a failed get keeps it
    QCOMPARE(ReadLocal(target.filePath("three")), QByteArray("3"));
    QCOMPARE(Logins(server), 1);
}

void TestTransferCli::usageErrors_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");
    const QString url = "ftp://127.0.0.1:1/d";
    QTest::newRow("no names") << QStringList{"put-many", url} << "at least one name";
    QTest::newRow("no url") << QStringList{"get-many"} << "at least one name";
    QTest::newRow("not a url") << QStringList{"put-many", "http://x/", "f"} << "not an ftp:// URL";
    QTest::newRow("get without --to") << QStringList{"get-many", url, "a"} << "needs --to";
    QTest::newRow("--to not a folder")
        << QStringList{"get-many", url, "a", "--to", "/nonexistent/x"} << "is not a folder";
    QTest::newRow("--to on put") << QStringList{"put-many", url, "a", "--to", "/tmp"}
                                 << "--to belongs to get-many";
    QTest::newRow("resume without journal")
        << QStringList{"put-many", url, "--resume"} << "--resume needs --journal";
    QTest::newRow("unknown option")
        << QStringList{"put-many", url, "a", "--fast"} << "unknown option --fast";
}

void TestTransferCli::usageErrors() {
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    const CliRun r = RunCli(QStringList{"ftp"} + args);
    QCOMPARE(r.exitCode, 2);
    QVERIFY(r.out.isEmpty());
    QVERIFY2(r.err.contains(message.toUtf8()) && r.err.contains("usage: pagewright-cli ftp"),
             r.err.constData());
}

QTEST_GUILESS_MAIN(TestTransferCli)
#include "test_transfer_cli.moc"
