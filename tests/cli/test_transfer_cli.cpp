// Guards: put-many and get-many: a line per job in order on one login, failures mid-way, statuses.
#include "support/CliRunner.h"
#include "support/FtpServer.h"
#include "support/LocalFiles.h"

#include <QtTest>

namespace {
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
    // One login per run: a missing file, or a name that would leave --to, fails its job alone
    // and the run with status 1; a local file already there is kept; nothing runs without a
    // journal that can be written.
    void putAndGetMany() {
        FtpServer server({"--user", "u", "--password", "pw"});
        QTemporaryDir local, target;
        QVERIFY(server.isRunning() && server.makeDir("in box") &&
                WriteLocal(local.filePath("a.txt"), Pattern(70000)) &&
                WriteLocal(local.filePath("caf\u00e9 b"), "b") &&
                WriteLocal(local.filePath("empty"), "") &&
                WriteLocal(target.filePath("two"), "kept"));
        const QString url = "ftp://u:pw@" + QString(server.hostName().c_str()) + "/in%20box/";
        const auto put = [&](QStringList names, const QStringList& options = {}) {
            names.replaceInStrings(QRegularExpression("^"), local.path() + "/");
            return RunCli(QStringList{"ftp", "put-many", url} + names + options);
        };
        const CliRun r = put({"a.txt", "missing", "caf\u00e9 b", "empty"});
        VERIFY_RUN(r, 1, "ok a.txt\nfailed missing: .+\nok caf\u00e9 b\nok empty\n");
        QCOMPARE(Tree(server.path("in box")), "a.txt:70000,caf\u00e9 b:1,empty:0");
        const CliRun noJournal = put({"empty"}, {"--journal", "/nonexistent/j"});
        VERIFY_RUN(noJournal, 1, "");
        QVERIFY2(noJournal.err.startsWith("Cannot create file /nonexistent/j"), noJournal.err);
        const CliRun got = RunCli({"ftp", "get-many", url, "a.txt", "two", "../escape", "empty",
                                   "--to", target.path() + "/", "--passive"});
        VERIFY_RUN(
            got, 1,
            "ok a.txt\nfailed two: .+\nfailed \\.\\./escape: Refused the name.*\nok empty\n");
        QCOMPARE(Tree(target.path()), "a.txt:70000,empty:0,two:4");
        QCOMPARE(server.commands().filter(QRegularExpression("^USER ")).size(), 2);
    }

    // Status 2, the reason and then the usage on stderr, no job run.
    void usageErrors() {
        const char* const rows[][2] = {
            {"put-many ftp://h/d", "needs a server folder and at least one name"},
            {"get-many", "needs a server folder and at least one name"},
            {"get-many ftp://h/d a", "get-many needs --to DIR"},
            {"get-many ftp://h/d a --to /nonexistent/x", "--to /nonexistent/x is not a folder"},
            {"put-many ftp://h/d a --to /tmp", "--to belongs to get-many"},
            {"put-many ftp://h/d --resume", "--resume needs --journal PATH"},
            {"--passive get-many ftp://h/d a --journal", "option --journal needs a value"},
        };
        for (const auto& [args, message] : rows) {
            const CliRun r = RunCli(("ftp " + QString(args)).split(' '));
            VERIFY_RUN(r, 2, "");
            QVERIFY2(r.err.startsWith(QByteArray(message) + "\nusage: pagewright-cli ftp put-many"),
                     r.err);
        }
    }
};

QTEST_GUILESS_MAIN(TestTransferCli)
#include "test_transfer_cli.moc"
