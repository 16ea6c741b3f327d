// Guards: every ftp command's effect on a real server, its exit status and error, and TLS pins.
#include "support/CliRunner.h"
#include "support/FtpServer.h"
#include "support/LocalFiles.h"
#include "support/TlsFtpServer.h"

#include <QtTest>

#include <fstream>

namespace {
// What `ftp` alone prints: its commands and options.
const QString kUsage =
    "usage: pagewright-cli ftp ls URL | get URL LOCAL | put LOCAL URL | mkdir URL | rmdir URL | "
    "rm URL | pwd URL | rename URL NEWNAME [--passive|--active] [--timeout SECONDS] "
    "[--accept-fingerprint SHA256] [--key-file PATH]";

// A run's places: in arguments and messages "~" stands for the URL, "^" for the host and port,
// "#" for the local folder.
struct Places {
    QString url, local = {}, host = QUrl(url).host() + ':' + QString::number(QUrl(url).port());
    QString operator()(QString text) const {
        return text.replace("~", url).replace("^", host).replace("#", local);
    }
    // Runs `ftp ARGS`, ARGS split at spaces.
    CliRun ftp(const QString& args) const {
        QStringList list = ("ftp " + args).split(' ');
        for (QString& arg : list)
            arg = (*this)(arg);
        return RunCli(list);
    }
};

// Stdout with its timestamps as "T" and its lines sorted (servers list in any order).
QString Normalized(const QByteArray& out) {
    static const QRegularExpression time("\\d{4}/\\d\\d/\\d\\d \\d\\d:\\d\\d:\\d\\d");
    QStringList lines = QString::fromUtf8(out).replace(time, "T").split('\n');
    lines.sort();
    return lines.join('\n');
}

const char* const kFailures[][2] = {
    {"ls ~/no%20folder", "Couldn't change to directory /no folder"},
    {"get ~/nosuch.txt #/keep.txt",
     "Error getting /nosuch.txt to #/keep.txt: remote file not found"},
    {"put #/absent ~/x", "Error putting #/absent to /x: local file not found"},
    {"mkdir ~/full", "Error creating directory /full"},
    {"rmdir ~/full", "Error removing directory /full"},
    {"rm ~/nosuch.txt", "Error deleting /nosuch.txt"},
    {"pwd ~/full/x", "Couldn't change to directory /full/x"},
    {"rename ~/nosuch x", "Error renaming file from /nosuch to /x"},
    {"ls ftp://editor:wrong@^/", "Bad password connecting to ^"},
    {"ls http://^/", "not an ftp:// URL: http://^/"},
    {"ls ^/", "not an ftp:// URL: ^/"},
    {"get ~/%zz #/keep.txt", "bad %-escape in URL ~/%zz"},
    {"ls ftp:///x", "no host in URL ftp:///x"},
    {"ls ~/ --timeout", "option --timeout needs a value"},
    {"ls ~/ --timeout 5x", "--timeout needs a number of seconds"},
    {"ls ~/ --timeout -1", "--timeout needs a number of seconds"},
    {"ls ~/ --timeout 4000001", "--timeout is too large"},
    {"ls ~/ --passive --active", "--passive and --active exclude each other"},
    {"ls ~/ --accept-fingerprint zz",
     "--accept-fingerprint needs a SHA-256 fingerprint (AB:CD:...)"},
    {"ls ~/ --fast", "unknown option --fast"},
    {"frob ~/", "unknown ftp command \"frob\" (ls, get, put, mkdir, rmdir, rm, pwd, rename)"},
    {"ls ~/ ~/", "usage: pagewright-cli ftp ls URL"},
    {"get ~/x", "usage: pagewright-cli ftp get URL LOCAL"},
    {"put #/keep.txt", "usage: pagewright-cli ftp put LOCAL URL"},
    {"rename ~/x", "usage: pagewright-cli ftp rename URL NEWNAME"},
    {"rmdir", "usage: pagewright-cli ftp mkdir|rmdir|rm|pwd URL"},
};
} // namespace

class TestFtpCli : public QObject {
    Q_OBJECT

private slots:
    void commands_data() {
        QTest::addColumn<QString>("mode");
        QTest::newRow("passive") << "--passive";
        QTest::newRow("active") << "--active";
    }

    void commands() {
        QFETCH(QString, mode);
        FtpServer server({"--user", "editor", "--password", "p@ss word"});
        QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
        QVERIFY(server.makeDir("site"));
        std::ofstream(server.path("site").toStdString() + "/caf\xe9.txt") << ""; // Windows-1252
        QTemporaryDir local;
        QVERIFY(WriteLocal(local.filePath("page.html"), Pattern(200000)));
        const Places at{"ftp://editor:p%40ss%20word@" + QString(server.hostName().c_str()),
                        local.path()};
        const QString file = R"({"name": "%1", "type": "file", "size": %2, "modified": "T"})";
        const std::pair<QString, QString> steps[] = {
            {"MODE put #/page.html ~/site/", ""}, // options may come first
            {"put #/page.html ~/site/copy%20a.html", ""},
            {"ls ~/site --timeout 4000000", "\n" + file.arg("caf\u00e9.txt").arg(0) + "\n" +
                                                file.arg("copy a.html").arg(200000) + "\n" +
                                                file.arg("page.html").arg(200000)},
            {"mkdir ~/site/new%20dir", ""},
            {"get ~/site/page.html #/got", ""},
            {"get ~/site/copy%20a.html #", ""},
            {"pwd ~/site/new%20dir", "\n/site/new dir"},
            {"rename ~/site/copy%20a.html b.html", ""},
            {"rename ~/site/b.html /top.html", ""},
            {"rm ~/site/page.html", ""},
            {"rm ~/site/caf%E9.txt", ""},
            {"rmdir ~/site/new%20dir", ""},
        };
        for (const auto& [args, out] : steps) {
            const CliRun r = at.ftp(QString(args).replace("MODE", mode) + " " + mode);
            QVERIFY2(r.exitCode == 0 && r.err.isEmpty(), qPrintable(args + ": " + r.err));
            QCOMPARE(Normalized(r.out), out);
        }
        QCOMPARE(Tree(server.root()), "site/,top.html:200000");
        QCOMPARE(Tree(local.path()), "copy a.html:200000,got:200000,page.html:200000");
        QCOMPARE(server.readFile("top.html"), Pattern(200000));
        QCOMPARE(ReadLocal(local.filePath("got")), Pattern(200000));
    }

    void failures_data() {
        QTest::addColumn<QString>("args");
        QTest::addColumn<QString>("message");
        for (const auto& [args, message] : kFailures)
            QTest::addRow("%s", args) << args << message;
        QTest::addRow("no command") << "--passive" << kUsage;
    }

    // Each fails with status 1 and its message alone, and changes no file on either side.
    void failures() {
        QFETCH(QString, args);
        QFETCH(QString, message);
        FtpServer server({"--user", "editor", "--password", "right"});
        QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
        QVERIFY(server.writeFile("full/x", "x"));
        QTemporaryDir local;
        QVERIFY(WriteLocal(local.filePath("keep.txt"), "keep me"));
        const Places at{"ftp://editor:right@" + QString(server.hostName().c_str()), local.path()};
        const CliRun r = at.ftp(args);
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(QString::fromUtf8(r.err), at(message) + "\n");
        QVERIFY(r.out.isEmpty());
        QCOMPARE(ReadLocal(local.filePath("keep.txt")), QByteArray("keep me"));
        QCOMPARE(server.readFile("full/x"), QByteArray("x"));
    }

    // A server that is gone, and one that never answers.
    void unreachable() {
        for (const bool silent : {false, true}) {
            FtpServer server(silent ? QStringList{"--silent"} : QStringList{});
            QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
            if (!silent) server.kill();
            const Places at{server.url()};
            const CliRun r = at.ftp("ls ~/ --timeout 2");
            QCOMPARE(r.exitCode, 1);
            QCOMPARE(QString(r.err),
                     at(silent ? "Connection to ^ timed out\n" : "Unable to connect to ^\n"));
        }
    }

    void tlsFingerprint_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("scheme");
        QTest::newRow("explicit") << int(TlsFtpServer::Mode::Explicit) << "ftpes";
        QTest::newRow("implicit") << int(TlsFtpServer::Mode::Implicit) << "ftps";
    }

    // First contact prints the fingerprint and fails before logging in; that fingerprint given
    // back (in any case) lets ls and the transfer queue's put-many through.
    void tlsFingerprint() {
        if (!TlsFtpServer::available()) QSKIP("vsftpd is not installed");
        QFETCH(int, mode);
        QFETCH(QString, scheme);
        TlsFtpServer server{TlsFtpServer::Mode(mode)};
        QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
        QVERIFY(server.writeFile("page.html", "old page"));
        QTemporaryDir local;
        QVERIFY(WriteLocal(local.filePath("page.html"), "new page"));
        const Places at{scheme + "://" + server.hostName().c_str() + server.root() + "/",
                        local.path()};
        const QByteArray fingerprint = server.fingerprint().toUtf8();

        const CliRun first = at.ftp("ls ~");
        QCOMPARE(first.exitCode, 1);
        QVERIFY2(first.err.startsWith("certificate: fingerprint " + fingerprint +
                                      " subject CN=pagewright-test\n"),
                 first.err.constData());
        QVERIFY(first.out.isEmpty());
        QVERIFY(server.commands().filter(QRegularExpression("^USER")).isEmpty());
        const CliRun pinned = at.ftp("ls ~ --accept-fingerprint " + fingerprint.toLower());
        QCOMPARE(pinned.exitCode, 0);
        QVERIFY2(pinned.out.startsWith("{\"name\": \"page.html\""), pinned.out.constData());
        QVERIFY(server.commands().contains("USER anonymous"));

        const CliRun unpinned = at.ftp("put-many ~ #/page.html");
        QVERIFY2(unpinned.out.startsWith("failed page.html: The certificate of"),
                 unpinned.out.data());
        QCOMPARE(server.readFile("page.html"), QByteArray("old page"));
        const CliRun queued = at.ftp("put-many ~ #/page.html --accept-fingerprint " + fingerprint);
        QCOMPARE(queued.out, QByteArray("ok page.html\n"));
        QCOMPARE(server.readFile("page.html"), QByteArray("new page"));
        QVERIFY(!QFile::exists(server.path(".page.html.upload")));
    }
};

QTEST_GUILESS_MAIN(TestFtpCli)
#include "test_ftp_cli.moc"
