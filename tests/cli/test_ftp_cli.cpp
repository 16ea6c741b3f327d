// Guards: every ftp command's effect on a real server, its exit status and error, and TLS pins.
#include "support/CliRunner.h"
#include "support/FtpServer.h"
#include "support/LocalFiles.h"
#include "support/TlsFtpServer.h"

#include <QtTest>

#include <fstream>

namespace {
// A run's places: in arguments and messages "~" stands for the URL, "^" for the host and port,
// "#" for the local folder.
struct Places {
    QString url, local = {}, host = QUrl(url).host() + ':' + QString::number(QUrl(url).port());
    QString operator()(QString text) const {
        return text.replace("~", url).replace("^", host).replace("#", local);
    }
    CliRun ftp(const QString& args) const { return RunCli((*this)("ftp " + args).split(' ')); }
};

// Stdout with its timestamps as "T" and its lines sorted (servers list in any order).
QString Normalized(const QByteArray& out) {
    static const QRegularExpression time("\\d{4}/\\d\\d/\\d\\d \\d\\d:\\d\\d:\\d\\d");
    QStringList lines = QString::fromUtf8(out).replace(time, "T").split('\n');
    lines.sort();
    return lines.join('\n');
}

const char* const kFailures[][2] = {
    {"get ~/nosuch.txt #/keep.txt",
     "Error getting /nosuch.txt to #/keep.txt: remote file not found"},
    {"put #/absent ~/x", "Error putting #/absent to /x: local file not found"},
    {"mkdir ~/full", "Error creating directory /full"},
    {"ls ftp://editor:wrong@^/", "Bad password connecting to ^"},
    {"gone ls ~/ --timeout 2", "Unable to connect to ^"},
    {"silent ls ~/ --timeout 2", "Connection to ^ timed out"}, // --timeout reaches the connect
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
    {"--passive", "usage: pagewright-cli ftp ls URL | get URL LOCAL | put LOCAL URL | mkdir"},
};
} // namespace

class TestFtpCli : public QObject {
    Q_OBJECT

private slots:
    void commands() {
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
            {"--passive put #/page.html ~/site/", ""}, // options may come first
            {"put #/page.html ~/site/copy%20a.html", ""},
            {"ls ~/site --timeout 4000000 --active",
             "\n" + file.arg("caf\u00e9.txt").arg(0) + "\n" + file.arg("copy a.html").arg(200000) +
                 "\n" + file.arg("page.html").arg(200000)},
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
            const CliRun r = at.ftp(args);
            QVERIFY2(r.exitCode == 0 && r.err.isEmpty(), qPrintable(args + ": " + r.err));
            QCOMPARE(Normalized(r.out), out);
        }
        QCOMPARE(Tree(server.root()), "site/,top.html:200000");
        QCOMPARE(Tree(local.path()), "copy a.html:200000,got:200000,page.html:200000");
        // Passive unless --active is given: only the listing opened its data the active way.
        QCOMPARE(server.commands().filter(QRegularExpression("^(PORT|EPRT) ")).size(), 1);
    }

    void failures_data() {
        QTest::addColumn<QString>("args");
        QTest::addColumn<QString>("message");
        for (const auto& [args, message] : kFailures)
            QTest::addRow("%s", args) << args << message;
    }
    // Each fails with status 1 and its one-line message, and changes no file on either side; a
    // first word "gone" kills the server, "silent" has it never answer.
    void failures() {
        QFETCH(QString, args);
        QFETCH(QString, message);
        const bool silent = args.startsWith("silent "), gone = args.startsWith("gone ");
        FtpServer server(QStringList{"--user", "editor", "--password", "right"} +
                         (silent ? QStringList{"--silent"} : QStringList{}));
        QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
        QVERIFY(server.writeFile("full/x", "x"));
        if (gone) server.kill();
        QTemporaryDir local;
        QVERIFY(WriteLocal(local.filePath("keep.txt"), "keep me"));
        const Places at{"ftp://editor:right@" + QString(server.hostName().c_str()), local.path()};
        const CliRun r = at.ftp(args.section(' ', silent || gone ? 1 : 0));
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.startsWith(at(message).toUtf8()) && r.err.count('\n') == 1, r.err.data());
        QVERIFY(r.out.isEmpty());
        QCOMPARE(ReadLocal(local.filePath("keep.txt")), QByteArray("keep me"));
        QCOMPARE(server.readFile("full/x"), QByteArray("x"));
    }

    // First contact prints the fingerprint and fails before logging in; that fingerprint given
    // back (in any case) lets ls and the transfer queue's put-many through.
    void tlsFingerprint() {
        if (!TlsFtpServer::available()) QSKIP("vsftpd is not installed");
        for (const auto mode : {TlsFtpServer::Mode::Explicit, TlsFtpServer::Mode::Implicit}) {
            TlsFtpServer server{mode};
            QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
            QVERIFY(server.writeFile("page.html", "old page"));
            QTemporaryDir local;
            QVERIFY(WriteLocal(local.filePath("page.html"), "new page"));
            const QString scheme = mode == TlsFtpServer::Mode::Explicit ? "ftpes" : "ftps";
            const Places at{scheme + "://" + server.hostName().c_str() + server.root() + "/",
                            local.path()};
            const QByteArray fingerprint = server.fingerprint().toUtf8();
            const CliRun first = at.ftp("ls ~");
            QCOMPARE(first.exitCode, 1);
            QVERIFY2(first.err.startsWith("certificate: fingerprint " + fingerprint +
                                          " subject CN=pagewright-test\n"),
                     first.err.constData());
            QVERIFY(server.commands().filter(QRegularExpression("^USER")).isEmpty());
            const CliRun pinned = at.ftp("ls ~ --accept-fingerprint " + fingerprint.toLower());
            QVERIFY2(pinned.out.startsWith("{\"name\": \"page.html\""), pinned.out.constData());
            const CliRun queued =
                at.ftp("put-many ~ #/page.html --accept-fingerprint " + fingerprint);
            QCOMPARE(queued.out, QByteArray("ok page.html\n"));
            QCOMPARE(server.readFile("page.html"), QByteArray("new page"));
        }
    }
};

QTEST_GUILESS_MAIN(TestFtpCli)
#include "test_ftp_cli.moc"
