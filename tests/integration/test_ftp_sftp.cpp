// Guards: SFTP operations, host key trust (refused before any login), password and key logins.
#include "support/CliRunner.h"
#include "support/LocalFiles.h"
#include "support/SftpServer.h"
#include "support/TableRows.h"

#include "core/ftp/CertificateTrust.h"
#include "core/ftp/SftpHostKey.h"
#include "core/ftp/TSimpleFTP.h"

#include <QtTest>

#include <optional>

using namespace pw;

namespace {
void Configure(TSimpleFTP& ftp, const SftpServer& server, const QString& pin = {}) {
    ftp.SilentExceptions = false;
    ftp.SetConnectTimeout(15000);
    ftp.SetConnectRetries(1);
    ftp.SetProtocol(FtpProtocol::Sftp);
    ftp.HostName = server.hostName();
    ftp.UserName = "tester";
    ftp.Password = "secret";
    ftp.SetTrustedFingerprint(pin.toStdString());
}

bool LogHas(const SftpServer& server, const QString& prefix) {
    for (const QString& line : server.log())
        if (line.startsWith(prefix)) return true;
    return false;
}

// The connect's exception text ("" when it connected), and what a refused key showed.
QString ConnectError(TSimpleFTP& ftp, std::optional<ECertificateUntrusted>& refused) {
    try {
        return ftp.Connect() ? QString() : QStringLiteral("<false without exception>");
    } catch (const ECertificateUntrusted& e) {
        refused.emplace(e);
        return QString::fromUtf8(e.what());
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    }
}

// knownHosts and pin: "self", "other" or ""; refusal: "" when the connect succeeds.
const struct Trust {
    const char* name;
    QString knownHosts, pin, refusal;
} kTrust[] = {
    {"nobody vouches", "", "", "is not known"},
    {"known_hosts lists it", "self", "", ""},
    {"pinned", "", "self", ""},
    {"known_hosts lists another key", "other", "", "has changed"},
    {"another key pinned", "", "other", "has changed"},
    {"known_hosts changed, pin right", "other", "self", "has changed"},
};

// keyFile: "authorized", "stranger", "missing" or ""; refusal: "" when the login succeeds.
const struct Login {
    const char *name, *keyFile, *password;
    QString refusal;
} kLogins[] = {
    {"password", "", "secret", ""},
    {"wrong password", "", "wrong", "password"},
    {"key file", "authorized", "", ""},
    {"key file, password kept back", "authorized", "secret", ""},
    {"key not authorized", "stranger", "secret", "refused the login"},
    {"key file missing", "missing", "secret", "Cannot read the key file"},
    {"host key not pinned", "", "secret", "certificate: fingerprint"},
};
} // namespace

class TestFtpSftp : public QObject {
    Q_OBJECT
    QTemporaryDir m_home; // the user's home: its .ssh/known_hosts is the test's

    void setKnownHosts(const QByteArray& lines) {
        QDir().mkpath(m_home.filePath(".ssh"));
        QVERIFY(WriteLocal(m_home.filePath(".ssh/known_hosts"), lines));
    }

private slots:
    void initTestCase() {
        qunsetenv("HOME"); // the account's home then, or no known hosts at all
        const std::string unset = UserKnownHostsFile();
        QVERIFY(unset == "/dev/null" || unset.ends_with("/.ssh/known_hosts"));
        if (!SftpServer::available()) QSKIP("python3-asyncssh is not installed");
        qputenv("HOME", QFile::encodeName(m_home.path()));
    }
    void init() { QFile::remove(m_home.filePath(".ssh/known_hosts")); }

    void operations() {
        SftpServer server({}, {"--home", "/home/tester"});
        QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
        const QByteArray big = Pattern(300000);
        QVERIFY(server.writeFile("home/tester/in \"q\".bin", big));
        QVERIFY(server.writeFile("home/tester/old.txt", "old"));
        QTemporaryDir local;
        TSimpleFTP ftp;
        Configure(ftp, server, server.fingerprint().toLower());
        QVERIFY(ftp.Connect());
        QCOMPARE(QString::fromStdString(ftp.PeerCertificate().Fingerprint), server.fingerprint());
        QVERIFY(ftp.RemoteDir() == "/home/tester" && ftp.NamesAreUtf8());
        TDirList list;
        QCOMPARE(ftp.ReadDirectory("", &list, false), 2);
        QStringList names;
        for (const auto& item : list)
            names << QString::fromStdString(item.Text);
        names.sort();
        QCOMPARE(names, QStringList({"in \"q\".bin", "old.txt"}));
        const QString got = local.filePath("got.bin"), part = local.filePath("part.bin");
        QVERIFY(ftp.Get("in \"q\".bin", got.toStdString()));
        // A resumed download keeps what the local file holds and fetches the rest.
        QVERIFY(WriteLocal(part, big.left(1000)));
        TFtpFindData listed;
        QVERIFY(ftp.GetResumable("in \"q\".bin", part.toStdString(), listed));
        QCOMPARE(ReadLocal(got) + ReadLocal(part), big + big);
        QVERIFY(WriteLocal(local.filePath("up.txt"), "newer"));
        QVERIFY(ftp.Put(local.filePath("up.txt").toStdString(), "up.txt"));
        QVERIFY(ftp.Rename("up.txt", "old.txt")); // replaces it, leaving nothing aside
        QVERIFY(ftp.ForceDir("a/b c/d") && ftp.RemoteDir() == "/home/tester/a/b c/d");
        QVERIFY(ftp.ChangeDir("../.."));
        QVERIFY_THROWS_EXCEPTION(ESimpleFTPError, ftp.ChangeDir("/nowhere"));
        QCOMPARE(ftp.RemoteDir(), std::string("/home/tester/a"));
        QVERIFY(ftp.MakeDir("/made") && ftp.MakeDir("/gone") && ftp.RemoveDir("/gone"));
        QVERIFY(ftp.DeleteFile("/home/tester/in \"q\".bin"));
        QCOMPARE(Tree(server.root()),
                 "home/,home/tester/,home/tester/a/,home/tester/a/b c/,home/tester/a/b c/d/,"
                 "home/tester/old.txt:5,made/");
        // Failures say so and keep the connection and the files.
        ftp.SilentExceptions = true;
        QVERIFY(!ftp.Rename("/home/tester/absent.txt", "/home/tester/old.txt"));
        QVERIFY(!ftp.GetResumable("/missing.bin", part.toStdString() + ".2", listed));
        QVERIFY(ftp.ReadDirectory("/nowhere", &list, false) == 0 && !ftp.LastListingSucceeded());
        QVERIFY(!ftp.DeleteFile("/home/tester/gone.txt"));
        QVERIFY(!ftp.RemoveDir("/home/tester/a") && ftp.IsConnected()); // not empty
        QCOMPARE(Tree(server.root() + "/home/tester"), "a/,a/b c/,a/b c/d/,old.txt:5");
        // Thrown, a refusal adds libcurl's reason to the general message.
        ftp.SilentExceptions = false;
        QString message;
        try {
            ftp.DeleteFile("/home/tester/gone.txt");
        } catch (const std::exception& e) {
            message = e.what();
        }
        QVERIFY2(message.startsWith("Error deleting /home/tester/gone.txt: rm "),
                 qPrintable(message));
        ftp.SilentExceptions = true;
        // A line break in a path is refused, even where such a folder exists.
        QVERIFY(QDir().mkpath(server.root() + "/home/tester/line\nbreak"));
        QVERIFY(!ftp.ChangeDir("/home/tester/line\nbreak") && ftp.IsConnected());
    }

    // Whose word trusts the host key: known_hosts, the pin, or nobody's (refused before the
    // user name is sent, with the key's fingerprint; a changed key names both fingerprints).
    void hostKeyTrust_data() { addRows(kTrust); }
    void hostKeyTrust() {
        const auto& [name, knownHosts, pin, refusal] = kTrust[fetchedRow()];
        SftpServer server, other; // another key on another port
        QVERIFY2(server.isRunning() && other.isRunning(), qPrintable(server.errorString()));
        if (knownHosts == "self") setKnownHosts(server.knownHostsLine());
        if (knownHosts == "other")
            setKnownHosts(other.knownHostsLine().replace(QByteArray::number(other.port()),
                                                         QByteArray::number(server.port())));
        const QString pinned = pin == "self"    ? server.fingerprint()
                               : pin == "other" ? other.fingerprint()
                                                : QString();
        TSimpleFTP ftp;
        Configure(ftp, server, pinned);
        std::optional<ECertificateUntrusted> refused;
        const QString error = ConnectError(ftp, refused);
        QCOMPARE(ftp.IsConnected(), refusal.isEmpty());
        QVERIFY2(refusal.isEmpty() ? error.isEmpty() : error.contains(refusal), qPrintable(error));
        if (refusal.isEmpty()) return;
        // Refused before the user name went out, naming the key and the one expected.
        QVERIFY(ftp.CertificateRefused() && !LogHas(server, "AUTH") && refused.has_value());
        QCOMPARE(QString::fromStdString(refused->Certificate().Fingerprint + "|" +
                                        refused->Certificate().Subject),
                 server.fingerprint() + "|ssh-ed25519 host key");
        QCOMPARE(refused->Changed(), refusal == "has changed");
        if (refused->Changed())
            QVERIFY2(error.contains(knownHosts == "other" ? other.fingerprint() : pinned),
                     qPrintable(error));
    }

    // Password and key-file logins from the command line; a key-file login never sends the
    // password.
    void login_data() { addRows(kLogins); }
    void login() {
        const Login& row = kLogins[fetchedRow()];
        const QString keyFile = row.keyFile, refusal = row.refusal;
        QTemporaryDir keys;
        const QString authorized = keys.filePath("authorized"), target = keys.filePath("f.txt");
        QVERIFY(SftpServer::makeClientKey(authorized));
        if (keyFile == "stranger") QVERIFY(SftpServer::makeClientKey(keys.filePath("stranger")));
        SftpServer server({}, {"--authorized-keys", authorized + ".pub"});
        QVERIFY(server.isRunning() && server.writeFile("f.txt", "body"));
        QStringList args = QString("ftp get sftp://tester:%1@127.0.0.1:%2/f.txt")
                               .arg(row.password)
                               .arg(server.port())
                               .split(' ')
                           << target;
        if (!refusal.startsWith("certificate"))
            args << "--accept-fingerprint" << server.fingerprint();
        if (!keyFile.isEmpty()) args << "--key-file" << keys.filePath(keyFile);
        const CliRun run = RunCli(args);
        QCOMPARE(run.exitCode, refusal.isEmpty() ? 0 : 1);
        QVERIFY2(refusal.isEmpty() ? run.err.isEmpty()
                                   : QString(run.err).contains(refusal, Qt::CaseInsensitive),
                 run.err.constData());
        QCOMPARE(ReadLocal(target), refusal.isEmpty() ? "body" : "<missing>");
        if (!keyFile.isEmpty()) QVERIFY(!LogHas(server, "PASSWORD"));
        if (keyFile == "missing") QVERIFY(!LogHas(server, "CONNECT"));
    }
};

QTEST_GUILESS_MAIN(TestFtpSftp)
#include "test_ftp_sftp.moc"
