// Guards: put-many and get-many: a line per job in order on one login, failures mid-way, statuses.
#include "support/CliRunner.h"
#include "support/FtpServer.h"
#include "support/LocalFiles.h"

#include <QtTest>

namespace {
int Logins(const FtpServer& server) {
    return int(server.commands().filter(QRegularExpression("^USER ")).size());
}

// The run's status, then its output, which must match `lines` (a pattern) as a whole.
#define VERIFY_RUN(run, status, lines)                                                             \
    QVERIFY2(                                                                                      \
        run.exitCode == status &&                                                                  \
            QRegularExpression("\\A" lines "\\z").match(QString::fromUtf8(run.out)).hasMatch(),    \
        run.out + run.err)
} // namespace

class TestTransferCli : public QObject {
    Q_OBJECT

private slots:
    // A missing file fails its job alone; status 1 while any job failed, else 0; nothing runs
    // without a journal that can be written.
    void putMany() {
        FtpServer server({"--user", "u", "--password", "pw"});
        QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
        QVERIFY(server.makeDir("in box"));
        QTemporaryDir local;
        QVERIFY(WriteLocal(local.filePath("a.txt"), Pattern(70000)));
        QVERIFY(WriteLocal(local.filePath("caf\u00e9 b"), "b"));
        QVERIFY(WriteLocal(local.filePath("empty"), ""));
        const QString url = "ftp://u:pw@" + QString(server.hostName().c_str()) + "/in%20box/";
        const auto put = [&](const QStringList& names, const QStringList& options = {}) {
            QStringList args{"ftp", "put-many", url};
            for (const QString& name : names)
                args << local.filePath(name);
            return RunCli(args + options);
        };
        const CliRun r = put({"a.txt", "missing", "caf\u00e9 b", "empty"});
        VERIFY_RUN(r, 1, "ok a.txt\nfailed missing: .+\nok caf\u00e9 b\nok empty\n");
        QCOMPARE(Tree(server.path("in box")), "a.txt:70000,caf\u00e9 b:1,empty:0");
        QCOMPARE(server.readFile("in box/a.txt"), Pattern(70000));
        QCOMPARE(Logins(server), 1);
        const CliRun again = put({"empty"});
        VERIFY_RUN(again, 0, "ok empty\n");
        const CliRun noJournal = put({"empty"}, {"--journal", "/nonexistent/j"});
        VERIFY_RUN(noJournal, 1, "");
        QVERIFY2(noJournal.err.startsWith("Cannot create file /nonexistent/j"), noJournal.err);
        QCOMPARE(Logins(server), 2);
    }

    // A name that would leave --to fails, and a file already there is kept.
    void getMany() {
        FtpServer server;
        QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
        QVERIFY(server.writeFile("d/one", Pattern(100000)) && server.writeFile("d/three", "3"));
        QTemporaryDir target;
        QVERIFY(WriteLocal(target.filePath("two"), "kept"));
        const CliRun r = RunCli({"ftp", "get-many", server.url() + "/d", "one", "two", "../escape",
                                 "three", "--to", target.path() + "/", "--passive"});
        VERIFY_RUN(r, 1,
                   "ok one\nfailed two: .+\nfailed \\.\\./escape: Refused the name.*\nok three\n");
        QCOMPARE(Tree(target.path()), "one:100000,three:1,two:4");
        QCOMPARE(ReadLocal(target.filePath("one")), Pattern(100000));
        QCOMPARE(Logins(server), 1);
    }

    void usageErrors_data() {
        QTest::addColumn<QString>("args");
        QTest::addColumn<QString>("message");
        const char* const rows[][2] = {
            {"put-many ftp://h/d", "needs a server folder and at least one name"},
            {"get-many", "needs a server folder and at least one name"},
            {"put-many http://x/ f", "not an ftp:// URL: http://x/"},
            {"get-many ftp://h/d a", "get-many needs --to DIR"},
            {"get-many ftp://h/d a --to /nonexistent/x", "--to /nonexistent/x is not a folder"},
            {"put-many ftp://h/d a --to /tmp", "--to belongs to get-many"},
            {"put-many ftp://h/d --resume", "--resume needs --journal PATH"},
            {"--passive get-many ftp://h/d a --journal", "option --journal needs a value"},
        };
        for (const auto& [args, message] : rows)
            QTest::addRow("%s", args) << args << message;
    }
    // Status 2, the reason and then the usage on stderr, no job run.
    void usageErrors() {
        QFETCH(QString, args);
        QFETCH(QString, message);
        const CliRun r = RunCli(("ftp " + args).split(' '));
        VERIFY_RUN(r, 2, "");
        QVERIFY2(r.err.startsWith(message.toUtf8() + "\nusage: pagewright-cli ftp put-many"),
                 r.err);
    }
};

QTEST_GUILESS_MAIN(TestTransferCli)
#include "test_transfer_cli.moc"
