// FTP over TLS, explicit and implicit, against vsftpd with a certificate made for the test:
// the operations with a pinned fingerprint, the refusal of a certificate nobody vouches for
// and of one that is not the pinned one (both before any login is sent), and the password
// never crossing the wire in clear text.
#include "support/FtpServer.h"
#include "support/TcpRelay.h"
#include "support/TlsFtpServer.h"

#include "core/ftp/CertificateTrust.h"
#include "core/ftp/TSimpleFTP.h"

#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <fstream>
#include <memory>

using namespace pw;

namespace {
using Mode = TlsFtpServer::Mode;
constexpr const char* kPassword = "wire-secret-4711";

FtpProtocol ProtocolOf(Mode mode) {
    return mode == Mode::Implicit ? FtpProtocol::FtpImplicitTls : FtpProtocol::FtpExplicitTls;
}

void Configure(TSimpleFTP& ftp, const std::string& hostName, FtpProtocol protocol) {
    ftp.SilentExceptions = false;
    ftp.SetConnectTimeout(15000);
    ftp.SetConnectRetries(1);
    ftp.SetProtocol(protocol);
    ftp.HostName = hostName;
    ftp.UserName = "anonymous";
    ftp.Password = kPassword;
    ftp.SetPassive(true);
}

bool HasLogin(const QStringList& commands) {
    return std::any_of(commands.begin(), commands.end(), [](const QString& c) {
        return c.startsWith(QLatin1String("USER")) || c.startsWith(QLatin1String("PASS"));
    });
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}
} // namespace

class TestFtpTls : public QObject {
    Q_OBJECT

    // Null when vsftpd is not installed (the caller skips).
    std::unique_ptr<TlsFtpServer> start(Mode mode) {
        if (!TlsFtpServer::available()) return nullptr;
        auto server = std::make_unique<TlsFtpServer>(mode);
        if (!server->isRunning()) qWarning("%s", qPrintable(server->errorString()));
        return server;
    }

    void modes() {
        QTest::addColumn<int>("modeNumber");
        QTest::newRow("explicit") << int(Mode::Explicit);
        QTest::newRow("implicit") << int(Mode::Implicit);
    }

private slots:
    void operationsWithPinnedFingerprint_data() {
        QTest::addColumn<int>("modeNumber");
        QTest::addColumn<bool>("passive");
        QTest::newRow("explicit") << int(Mode::Explicit) << true;
        QTest::newRow("implicit") << int(Mode::Implicit) << true;
        // Active mode is not used over TLS (libcurl 7.88 cannot): the request goes passive.
        QTest::newRow("explicit, active asked") << int(Mode::Explicit) << false;
    }
    void operationsWithPinnedFingerprint() {
        QFETCH(int, modeNumber);
        QFETCH(bool, passive);
        const Mode mode = Mode(modeNumber);
        auto server = start(mode);
        if (!server) QSKIP("vsftpd is not installed");
        QVERIFY(server->isRunning());
        QVERIFY(server->writeFile("in.txt", QByteArray(70000, 'x') + "end"));
        QTemporaryDir local;

        TSimpleFTP ftp;
        Configure(ftp, server->hostName(), ProtocolOf(mode));
        ftp.SetPassive(passive);
        // Any case and the prefix openssl prints are taken.
        ftp.SetTrustedFingerprint(mode == Mode::Implicit
                                      ? "sha256 Fingerprint=" +
                                            server->fingerprint().toLower().toStdString()
                                      : server->fingerprint().toStdString());
        QVERIFY(ftp.Connect());
        QCOMPARE(QString::fromStdString(ftp.PeerCertificate().Fingerprint), server->fingerprint());
        QVERIFY(ftp.ChangeDir(server->remotePath("")));

        TDirList list;
        QCOMPARE(ftp.ReadDirectory("", &list, false), 1);
        QCOMPARE(list.front().Text, std::string("in.txt"));
        QCOMPARE(list.front().Entry.FileSize, int64_t(70003));

        const std::string got = local.filePath("got.txt").toStdString();
        QVERIFY(ftp.Get(server->remotePath("in.txt"), got));
        QCOMPARE(ReadBytes(got), std::string(70000, 'x') + "end");

        const std::string up = local.filePath("up.bin").toStdString();
        std::ofstream(up, std::ios::binary) << std::string(5000, '\x01') << "tail";
        QVERIFY(ftp.Put(up, server->remotePath("up.bin")));
        QCOMPARE(server->readFile("up.bin"), QByteArray(5000, '\x01') + "tail");

        QVERIFY(ftp.MakeDir(server->remotePath("made")));
        QVERIFY(QFileInfo(server->path("made")).isDir());
        QVERIFY(ftp.Rename(server->remotePath("up.bin"), server->remotePath("made/moved.bin")));
        QCOMPARE(server->readFile("made/moved.bin").size(), 5004);
        QVERIFY(ftp.DeleteFile(server->remotePath("made/moved.bin")));
        QVERIFY(!QFileInfo::exists(server->path("made/moved.bin")));
        ftp.Disconnect();

        // Explicit TLS: nothing but AUTH TLS before the login, private data connections.
        const QStringList commands = server->commands();
        QVERIFY(!commands.isEmpty());
        if (mode == Mode::Explicit) QCOMPARE(commands.front(), QStringLiteral("AUTH TLS"));
        QVERIFY(commands.contains(QStringLiteral("PROT P")));
    }

    void untrustedCertificateStopsBeforeLogin_data() {
        QTest::addColumn<int>("modeNumber");
        QTest::addColumn<bool>("silent");
        QTest::newRow("explicit") << int(Mode::Explicit) << false;
        QTest::newRow("implicit") << int(Mode::Implicit) << false;
        QTest::newRow("explicit, silent") << int(Mode::Explicit) << true;
    }
    void untrustedCertificateStopsBeforeLogin() {
        QFETCH(int, modeNumber);
        const Mode mode = Mode(modeNumber);
        QFETCH(bool, silent);
        auto server = start(mode);
        if (!server) QSKIP("vsftpd is not installed");
        QVERIFY(server->isRunning());
        const QString expected = TlsFtpServer::fingerprintOf(server->certificateFile());
        QVERIFY(!expected.isEmpty());

        TSimpleFTP ftp;
        Configure(ftp, server->hostName(), ProtocolOf(mode));
        ftp.SilentExceptions = silent;
        if (silent) {
            QVERIFY(!ftp.Connect());
            QVERIFY(ftp.CertificateRefused());
        } else {
            try {
                ftp.Connect();
                QFAIL("the connect succeeded");
            } catch (const ECertificateUntrusted& e) {
                QVERIFY(!e.Changed());
                QCOMPARE(QString::fromStdString(e.Certificate().Fingerprint), expected);
                QCOMPARE(QString::fromStdString(e.Certificate().Subject),
                         QStringLiteral("CN=pagewright-test"));
                QCOMPARE(e.Certificate().Issuer, e.Certificate().Subject);
                QVERIFY(!e.Certificate().NotBefore.empty() && !e.Certificate().NotAfter.empty());
                QVERIFY(!e.Reason().empty());
                const QString message = QString::fromUtf8(e.what());
                QVERIFY2(message.contains(QLatin1String("not trusted")) &&
                             message.contains(expected),
                         e.what());
            }
        }
        QVERIFY(!ftp.IsConnected());
        QCOMPARE(QString::fromStdString(ftp.PeerCertificate().Fingerprint), expected);
        const QStringList commands = server->commands();
        QVERIFY2(!HasLogin(commands), qPrintable(commands.join(QLatin1Char('|'))));

        // The user accepts what was shown: the same component then connects.
        ftp.SetTrustedFingerprint(ftp.PeerCertificate().Fingerprint);
        QVERIFY(ftp.Connect());
        QVERIFY(!ftp.CertificateRefused());
        QVERIFY(HasLogin(server->commands()));
    }

    // A server without TLS: explicit TLS stops at the refused AUTH TLS, implicit TLS at the
    // failed handshake; neither sends the login.
    void plainServerGetsNoLogin_data() { modes(); }
    void plainServerGetsNoLogin() {
        QFETCH(int, modeNumber);
        const Mode mode = Mode(modeNumber);
        FtpServer server(QStringList{"--user", "anonymous", "--password", kPassword});
        QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
        TSimpleFTP ftp;
        Configure(ftp, server.hostName(), ProtocolOf(mode));
        ftp.SetConnectTimeout(5000);
        try {
            ftp.Connect();
            QFAIL("the connect succeeded");
        } catch (const EWinInetError& e) {
            if (mode == Mode::Explicit)
                QVERIFY2(QString::fromUtf8(e.what()).contains(QLatin1String("does not offer")),
                         e.what());
        }
        QVERIFY(!ftp.IsConnected());
        QVERIFY(!HasLogin(server.commands()));
    }

    void otherPinnedFingerprintIsRefused_data() { modes(); }
    void otherPinnedFingerprintIsRefused() {
        QFETCH(int, modeNumber);
        const Mode mode = Mode(modeNumber);
        auto server = start(mode);
        if (!server) QSKIP("vsftpd is not installed");
        QVERIFY(server->isRunning());
        QTemporaryDir other;
        const QString otherPrint = TlsFtpServer::makeCertificate(other.path());
        QVERIFY(!otherPrint.isEmpty() && otherPrint != server->fingerprint());

        TSimpleFTP ftp;
        Configure(ftp, server->hostName(), ProtocolOf(mode));
        ftp.SetTrustedFingerprint(otherPrint.toStdString());
        try {
            ftp.Connect();
            QFAIL("the connect succeeded");
        } catch (const ECertificateUntrusted& e) {
            QVERIFY(e.Changed());
            QCOMPARE(QString::fromStdString(e.Pinned()), otherPrint);
            QCOMPARE(QString::fromStdString(e.Certificate().Fingerprint), server->fingerprint());
            const QString message = QString::fromUtf8(e.what());
            QVERIFY2(message.contains(otherPrint) && message.contains(server->fingerprint()),
                     e.what());
        }
        QVERIFY(!HasLogin(server->commands()));
    }

    // The relay records the control connection; the plain FTP row proves that it does.
    void passwordNeverInClearText_data() {
        QTest::addColumn<int>("protocol");
        QTest::addColumn<bool>("clearText");
        QTest::newRow("plain FTP") << int(FtpProtocol::Ftp) << true;
        QTest::newRow("explicit TLS") << int(FtpProtocol::FtpExplicitTls) << false;
        QTest::newRow("implicit TLS") << int(FtpProtocol::FtpImplicitTls) << false;
    }
    void passwordNeverInClearText() {
        QFETCH(int, protocol);
        QFETCH(bool, clearText);
        std::unique_ptr<FtpServer> plain;
        std::unique_ptr<TlsFtpServer> tls;
        quint16 port = 0;
        if (clearText) {
            plain = std::make_unique<FtpServer>(
                QStringList{"--user", "anonymous", "--password", kPassword});
            QVERIFY2(plain->isRunning(), qPrintable(plain->errorString()));
            port = plain->port();
        } else {
            tls = start(FtpProtocol(protocol) == FtpProtocol::FtpImplicitTls ? Mode::Implicit
                                                                             : Mode::Explicit);
            if (!tls) QSKIP("vsftpd is not installed");
            QVERIFY(tls->isRunning());
            port = tls->port();
        }
        TcpRelay relay(port);
        QVERIFY(relay.isRunning());

        TSimpleFTP ftp;
        Configure(ftp, "127.0.0.1:" + std::to_string(relay.port()), FtpProtocol(protocol));
        if (tls) ftp.SetTrustedFingerprint(tls->fingerprint().toStdString());
        QVERIFY(ftp.Connect());
        TDirList list;
        ftp.ReadDirectory("", &list, false);
        ftp.Disconnect();

        const QByteArray sent = relay.fromClients();
        QVERIFY(sent.size() > 0);
        QCOMPARE(sent.contains(kPassword), clearText);
        QCOMPARE(sent.contains("USER anonymous"), clearText);
    }

    void protocolSetsDefaultPort() {
        TSimpleFTP ftp;
        QCOMPARE(int(ftp.Port), 21);
        ftp.SetProtocol(FtpProtocol::FtpImplicitTls);
        QCOMPARE(int(ftp.Port), 990);
        ftp.SetProtocol(FtpProtocol::FtpExplicitTls);
        QCOMPARE(int(ftp.Port), 21);
        ftp.Port = 2121; // a port of its own stays
        ftp.SetProtocol(FtpProtocol::FtpImplicitTls);
        QCOMPARE(int(ftp.Port), 2121);
    }
};

QTEST_GUILESS_MAIN(TestFtpTls)
#include "test_ftp_tls.moc"
