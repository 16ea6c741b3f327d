// Guards: FTP over explicit and implicit TLS, the certificate trust checks and no clear password.
#include "support/FtpServer.h"
#include "support/TcpRelay.h"
#include "support/TlsFtpServer.h"

#include "core/ftp/CertificateTrust.h"
#include "core/ftp/TSimpleFTP.h"

#include <QTemporaryDir>
#include <QtTest>

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
    return !commands.filter(QRegularExpression("^(USER|PASS)")).isEmpty();
}

// Null when vsftpd is not installed (the caller skips).
std::unique_ptr<TlsFtpServer> Start(Mode mode) {
    if (!TlsFtpServer::available()) return nullptr;
    auto server = std::make_unique<TlsFtpServer>(mode);
    if (!server->isRunning()) qWarning("%s", qPrintable(server->errorString()));
    return server;
}
} // namespace

class TestFtpTls : public QObject {
    Q_OBJECT

private slots:
    void operationsWithPinnedFingerprint_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("passive");
        QTest::newRow("explicit") << int(Mode::Explicit) << true;
        QTest::newRow("implicit") << int(Mode::Implicit) << true;
        // Active mode is not used over TLS (libcurl 7.88 cannot): the request goes passive.
        QTest::newRow("explicit, active asked") << int(Mode::Explicit) << false;
    }
    void operationsWithPinnedFingerprint() {
        QFETCH(int, mode);
        QFETCH(bool, passive);
        auto server = Start(Mode(mode));
        if (!server) QSKIP("vsftpd is not installed");
        QVERIFY(server->isRunning());
        QVERIFY(server->writeFile("in.txt", QByteArray(70000, 'x') + "end"));
        QTemporaryDir local;
        TSimpleFTP ftp;
        Configure(ftp, server->hostName(), ProtocolOf(Mode(mode)));
        ftp.SetPassive(passive);
        // Any case and the prefix openssl prints are taken.
        const std::string print = server->fingerprint().toStdString();
        ftp.SetTrustedFingerprint(Mode(mode) == Mode::Implicit
                                      ? "sha256 Fingerprint=" +
                                            server->fingerprint().toLower().toStdString()
                                      : print);
        QVERIFY(ftp.Connect());
        QCOMPARE(ftp.PeerCertificate().Fingerprint, print);
        TDirList list;
        QVERIFY(ftp.ChangeDir(server->remotePath("")));
        QCOMPARE(ftp.ReadDirectory("", &list, false), 1);
        QCOMPARE(list.front().Entry.FileSize, int64_t(70003));
        const std::string got = local.filePath("got.txt").toStdString();
        QVERIFY(ftp.Get(server->remotePath("in.txt"), got));
        QVERIFY(ftp.Put(got, server->remotePath("up.bin")));
        QCOMPARE(server->readFile("up.bin"), QByteArray(70000, 'x') + "end");
        QVERIFY(ftp.Rename(server->remotePath("up.bin"), server->remotePath("moved.bin")));
        QVERIFY(ftp.DeleteFile(server->remotePath("moved.bin")));
        QVERIFY(!QFileInfo::exists(server->path("moved.bin")));
        ftp.Disconnect();
        // Explicit TLS: nothing but AUTH TLS before the login; private data connections.
        const QStringList commands = server->commands();
        if (Mode(mode) == Mode::Explicit) QCOMPARE(commands.value(0), QStringLiteral("AUTH TLS"));
        QVERIFY(commands.contains(QStringLiteral("PROT P")));
    }

    // Nothing of the login goes out before the certificate is trusted. First contact shows the
    // certificate to accept; a pinned one that no longer matches is refused naming both.
    void certificateTrust_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("pinOther");
        QTest::addColumn<bool>("silent");
        QTest::newRow("explicit, first contact") << int(Mode::Explicit) << false << false;
        QTest::newRow("implicit, first contact") << int(Mode::Implicit) << false << false;
        QTest::newRow("explicit, first contact, silent") << int(Mode::Explicit) << false << true;
        QTest::newRow("explicit, pinned changed") << int(Mode::Explicit) << true << false;
        QTest::newRow("implicit, pinned changed") << int(Mode::Implicit) << true << false;
    }
    void certificateTrust() {
        QFETCH(int, mode);
        QFETCH(bool, pinOther);
        QFETCH(bool, silent);
        auto server = Start(Mode(mode));
        if (!server) QSKIP("vsftpd is not installed");
        QVERIFY(server->isRunning());
        const QString expected = TlsFtpServer::fingerprintOf(server->certificateFile());
        QVERIFY(!expected.isEmpty());
        QTemporaryDir other;
        const QString otherPrint = pinOther ? TlsFtpServer::makeCertificate(other.path()) : "";
        QVERIFY(otherPrint != expected);
        TSimpleFTP ftp;
        Configure(ftp, server->hostName(), ProtocolOf(Mode(mode)));
        ftp.SetTrustedFingerprint(otherPrint.toStdString());
        ftp.SilentExceptions = silent;
        try {
            QVERIFY(!ftp.Connect());
            QVERIFY(silent && ftp.CertificateRefused());
        } catch (const ECertificateUntrusted& e) {
            QCOMPARE(e.Changed(), pinOther);
            QCOMPARE(QString::fromStdString(e.Pinned()), otherPrint);
            QCOMPARE(QString::fromStdString(e.Certificate().Fingerprint), expected);
            QCOMPARE(e.Certificate().Subject, std::string("CN=pagewright-test"));
            QCOMPARE(e.Certificate().Issuer, e.Certificate().Subject);
            QVERIFY(!e.Certificate().NotBefore.empty() && (pinOther || !e.Reason().empty()));
            const QString message = QString::fromUtf8(e.what());
            QVERIFY2(message.contains(expected) && message.contains(otherPrint), e.what());
            QVERIFY2(pinOther || message.contains("not trusted"), e.what());
        }
        QVERIFY(!ftp.IsConnected());
        QCOMPARE(QString::fromStdString(ftp.PeerCertificate().Fingerprint), expected);
        QVERIFY2(!HasLogin(server->commands()), qPrintable(server->commands().join('|')));
        // The user accepts what was shown: the same component then connects.
        ftp.SetTrustedFingerprint(ftp.PeerCertificate().Fingerprint);
        QVERIFY(ftp.Connect());
        QVERIFY(!ftp.CertificateRefused() && HasLogin(server->commands()));
    }

    // The relay records the control connection; the plain FTP row proves that it does. A
    // server without TLS gets no login: explicit TLS stops at the refused AUTH TLS, implicit
    // TLS at the failed handshake.
    void passwordNeverInClearText_data() {
        QTest::addColumn<int>("protocol");
        QTest::addColumn<bool>("tlsServer");
        QTest::addColumn<bool>("clearText");
        QTest::newRow("plain FTP") << int(FtpProtocol::Ftp) << false << true;
        QTest::newRow("explicit TLS") << int(FtpProtocol::FtpExplicitTls) << true << false;
        QTest::newRow("implicit TLS") << int(FtpProtocol::FtpImplicitTls) << true << false;
        QTest::newRow("explicit, plain server")
            << int(FtpProtocol::FtpExplicitTls) << false << false;
        QTest::newRow("implicit, plain server")
            << int(FtpProtocol::FtpImplicitTls) << false << false;
    }
    void passwordNeverInClearText() {
        QFETCH(int, protocol);
        QFETCH(bool, tlsServer);
        QFETCH(bool, clearText);
        const FtpProtocol p = FtpProtocol(protocol);
        std::unique_ptr<FtpServer> plain;
        std::unique_ptr<TlsFtpServer> tls;
        if (tlsServer) {
            tls = Start(p == FtpProtocol::FtpImplicitTls ? Mode::Implicit : Mode::Explicit);
            if (!tls) QSKIP("vsftpd is not installed");
            QVERIFY(tls->isRunning());
        } else {
            plain = std::make_unique<FtpServer>(
                QStringList{"--user", "anonymous", "--password", kPassword});
            QVERIFY2(plain->isRunning(), qPrintable(plain->errorString()));
        }
        TcpRelay relay(tls ? tls->port() : plain->port());
        QVERIFY(relay.isRunning());
        TSimpleFTP ftp;
        Configure(ftp, "127.0.0.1:" + std::to_string(relay.port()), p);
        ftp.SetConnectTimeout(5000);
        if (tls) ftp.SetTrustedFingerprint(tls->fingerprint().toStdString());
        const bool works = tls || p == FtpProtocol::Ftp;
        try {
            QVERIFY(ftp.Connect());
            QVERIFY(works);
            QVERIFY(ftp.Refresh());
            ftp.Disconnect();
        } catch (const EWinInetError& e) {
            QVERIFY2(!works, e.what());
            if (p == FtpProtocol::FtpExplicitTls)
                QVERIFY2(QString::fromUtf8(e.what()).contains("does not offer"), e.what());
        }
        const QByteArray sent = relay.fromClients();
        QVERIFY(sent.size() > 0);
        QCOMPARE(sent.contains(kPassword), clearText);
        QCOMPARE(sent.contains("USER anonymous"), clearText);
        if (plain && !clearText) QVERIFY(!HasLogin(plain->commands()));
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
