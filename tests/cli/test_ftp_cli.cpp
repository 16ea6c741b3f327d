// Guards: every ftp command's effect on a real server, its exit status and error, and TLS pins.
#include "support/CliRunner.h"
#include "support/FtpServer.h"
#include "support/LocalFiles.h"
#include "support/TlsFtpServer.h"

#include <QtTest>

#include <fstream>

namespace {
// In arguments and messages "~" stands for the URL, "^" its host:port, "#" the local folder.
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
    {"get ~/no #/keep.txt --timeout 2", "Connection to ^ timed out"},
    {"ls http://^/", "not an ftp:// URL: http://^/"},
    {"ls ^/", "not an ftp:// URL: ^/"},
    {"get ~/%zz #/keep.txt", "bad %-escape in URL ~/%zz"},
    {"ls ftp:///x", "no host in URL ftp:///x"},
    {"ls ~/ --timeout 5x", "--timeout needs a number of seconds"},
    {"ls ~/ --timeout -1", "--timeout needs a number of seconds"},
    {"ls ~/ --timeout 4000001", "--timeout is too large"},
    {"ls ~/ --passive --active", "--passive and --active exclude each other"},
    {"ls ~/ --accept-fingerprint zz", "--accept-fingerprint needs a SHA-256 fingerprint (AB:CD"},
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
        QTemporaryDir local;
        QVERIFY(server.isRunning() && server.makeDir("site") &&
                WriteLocal(local.filePath("page.html"), Pattern(200000)));
        std::ofstream(server.path("site").toStdString() + "/caf\xe9.txt") << ""; // Windows-1252
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

    // Each fails with status 1 and its one-line message and leaves the local file alone; the
    // server never answers, so a get that connects ends at its --timeout.
    void failures() {
        FtpServer server({"--silent"});
        QTemporaryDir local;
        QVERIFY(server.isRunning() && WriteLocal(local.filePath("keep.txt"), "keep me"));
        const Places at{"ftp://editor:right@" + QString(server.hostName().c_str()), local.path()};
        for (const auto& [args, message] : kFailures) {
            const CliRun r = at.ftp(args);
            QVERIFY2(r.exitCode == 1 && r.err.startsWith(at(message).toUtf8()) &&
                         r.err.count('\n') == 1 && r.out.isEmpty(),
                     qPrintable(args + QString(": ") + r.err));
            QCOMPARE(ReadLocal(local.filePath("keep.txt")), QByteArray("keep me"));
        }
    }

    // First contact prints the fingerprint and fails before logging in; that fingerprint given
    // back (in any case) lets the transfer queue's put-many through.
    void tlsFingerprint() {
        if (!TlsFtpServer::available()) QSKIP("vsftpd is not installed");
        TlsFtpServer server{TlsFtpServer::Mode::Explicit};
        QTemporaryDir local;
        QVERIFY2(server.isRunning() && WriteLocal(local.filePath("page.html"), "new page"),
                 qPrintable(server.errorString()));
        const Places at{"ftpes://" + QString(server.hostName().c_str()) + server.root() + "/",
                        local.path()};
        const QByteArray fingerprint = server.fingerprint().toUtf8();
        const CliRun first = at.ftp("ls ~");
        QVERIFY2(first.exitCode == 1 &&
                     first.err.startsWith("certificate: fingerprint " + fingerprint +
                                          " subject CN=pagewright-test\n"),
                 first.err.constData());
        QVERIFY(server.commands().filter(QRegularExpression("^USER")).isEmpty());
        const CliRun queued =
            at.ftp("put-many ~ #/page.html --accept-fingerprint " + fingerprint.toLower());
        QVERIFY2(queued.exitCode == 0 && queued.out == "ok page.html\n", queued.err.constData());
        QCOMPARE(server.readFile("page.html"), QByteArray("new page"));
    }
};

QTEST_GUILESS_MAIN(TestFtpCli)
#include "test_ftp_cli.moc"
