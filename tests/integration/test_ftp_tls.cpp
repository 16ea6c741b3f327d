// Guards: FTP over explicit and implicit TLS, the certificate trust checks and no clear password.
#include "support/FtpServer.h"
#include "support/TableRows.h"
#include "support/TcpRelay.h"
#include "support/TlsFtpServer.h"

#include "core/ftp/CertificateTrust.h"
#include "core/ftp/TSimpleFTP.h"
#include "core/ftp/TrustedConnect.h"

#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <string>

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

std::unique_ptr<TlsFtpServer> Start(Mode mode) {
    return TlsFtpServer::available() ? std::make_unique<TlsFtpServer>(mode) : nullptr;
}

// Silent, with active mode asked: active is not used over TLS, the request goes passive.
// clang-format off
const struct { const char* name; Mode mode; bool pinOther, silentActive; } kTrust[] = {
    {"explicit, first contact", Mode::Explicit, false, false},
    {"implicit, first contact", Mode::Implicit, false, false},
    {"explicit, silent, active asked", Mode::Explicit, false, true},
    {"explicit, pinned changed", Mode::Explicit, true, false},
    {"implicit, pinned changed", Mode::Implicit, true, false}};
using enum FtpProtocol;
const struct { const char* name; FtpProtocol protocol; bool tlsServer; } kRelayed[] = {
    {"plain FTP", Ftp, false}, {"explicit TLS", FtpExplicitTls, true},
    {"implicit TLS", FtpImplicitTls, true}, {"explicit, plain server", FtpExplicitTls, false},
    {"implicit, plain server", FtpImplicitTls, false}};
// clang-format on
} // namespace

class TestFtpTls : public QObject {
    Q_OBJECT

private slots:
    // Nothing of the login goes out before the certificate is trusted. First contact shows the
    // certificate to accept; a pinned one that no longer matches is refused naming both. Once
    // accepted (in any case, or with the prefix openssl prints) every operation runs over TLS.
    void certificateTrust_data() { addRows(kTrust); }
    void certificateTrust() {
        const auto [name, mode, pinOther, silentActive] = kTrust[fetchedRow()];
        auto server = Start(mode);
        if (!server) QSKIP("vsftpd is not installed");
        QVERIFY2(server->isRunning(), qPrintable(server->errorString()));
        QVERIFY(server->writeFile("in.txt", QByteArray(69990, 'x') + "end"));
        const QString expected = TlsFtpServer::fingerprintOf(server->certificateFile());
        QVERIFY(!expected.isEmpty() && expected == server->fingerprint());
        QTemporaryDir other;
        const QString otherPrint = pinOther ? TlsFtpServer::makeCertificate(other.path()) : "";
        QVERIFY(otherPrint != expected);
        TSimpleFTP ftp;
        Configure(ftp, server->hostName(), ProtocolOf(mode));
        QCOMPARE(int(ftp.Port), mode == Mode::Implicit ? 990 : 21); // the default port
        ftp.SetPassive(!silentActive);
        ftp.SetTrustedFingerprint(otherPrint.toStdString());
        ftp.SilentExceptions = silentActive;
        // The user is asked about a certificate met first, never about a pinned one that
        // changed: that one is refused with its message. Here the user refuses.
        int asked = 0;
        std::string refusal;
        const TrustQuestion refuse = [&](const std::string&, const TlsCertificate&) {
            ++asked;
            return TrustAnswer::Refuse;
        };
        try {
            QVERIFY(!ConnectTrusting(ftp, refuse, &refusal));
            QVERIFY(silentActive && ftp.CertificateRefused());
        } catch (const ECertificateUntrusted& e) {
            QCOMPARE(refusal, pinOther ? std::string(e.what()) : "");
            QCOMPARE(e.Changed(), pinOther);
            QCOMPARE(QString::fromStdString(e.Pinned()), otherPrint);
            QCOMPARE(QString::fromStdString(e.Certificate().Fingerprint), expected);
            QCOMPARE(e.Certificate().Subject + e.Certificate().Issuer,
                     std::string("CN=pagewright-testCN=pagewright-test"));
            QVERIFY(!e.Certificate().NotBefore.empty());
            QCOMPARE(e.Reason(), pinOther ? "" : "self-signed certificate");
            const QString message = QString::fromUtf8(e.what());
            QVERIFY2(message.contains(expected) && message.contains(otherPrint), e.what());
            QVERIFY2(pinOther || message.contains("not trusted"), e.what());
        }
        QVERIFY(!ftp.IsConnected() && asked == (pinOther ? 0 : 1));
        QCOMPARE(QString::fromStdString(ftp.PeerCertificate().Fingerprint), expected);
        QVERIFY2(!HasLogin(server->commands()), qPrintable(server->commands().join('|')));
        // The user accepts what was shown: the same component then connects.
        ftp.SetTrustedFingerprint(mode == Mode::Implicit
                                      ? "sha256 Fingerprint=" + expected.toLower().toStdString()
                                      : ftp.PeerCertificate().Fingerprint);
        QVERIFY(ftp.Connect());
        QVERIFY(!ftp.CertificateRefused() && HasLogin(server->commands()));
        TDirList list;
        QVERIFY(ftp.ChangeDir(server->remotePath("")) && ftp.ReadDirectory("", &list, false) == 1);
        QCOMPARE(list.front().Entry.FileSize, int64_t(69993));
        const std::string got = server->path("got.txt").toStdString(); // a local path
        QVERIFY(ftp.Get(server->remotePath("in.txt"), got));
        QVERIFY(ftp.Put(got, server->remotePath("up.bin")));
        QCOMPARE(server->readFile("up.bin"), QByteArray(69990, 'x') + "end");
        // Explicit TLS: nothing but AUTH TLS before the login; private data connections. The
        // download takes its size from SIZE, without listing the folder again.
        const QStringList commands = server->commands();
        const qsizetype size = commands.indexOf(QRegularExpression("SIZE .*"));
        QVERIFY2(size > 0 && commands.mid(size).filter(QRegularExpression("^(LIST|MLSD)")).empty(),
                 qPrintable(commands.join('|')));
        if (mode == Mode::Explicit) QCOMPARE(commands.value(0), QStringLiteral("AUTH TLS"));
        QVERIFY(commands.contains(QStringLiteral("PROT P")));
    }

    // The relay records the control connection (the plain FTP row proves it). A server without
    // TLS gets no login: explicit TLS stops at the refused AUTH TLS, implicit at the handshake.
    void passwordNeverInClearText_data() { addRows(kRelayed); }
    void passwordNeverInClearText() {
        const auto [name, p, tlsServer] = kRelayed[fetchedRow()];
        const bool clearText = p == FtpProtocol::Ftp;
        auto tls = tlsServer
                       ? Start(p == FtpProtocol::FtpImplicitTls ? Mode::Implicit : Mode::Explicit)
                       : nullptr;
        if (tlsServer && !tls) QSKIP("vsftpd is not installed");
        auto plain = tls ? nullptr
                         : std::make_unique<FtpServer>(
                               QStringList{"--user", "anonymous", "--password", kPassword});
        QVERIFY(tls ? tls->isRunning() : plain->isRunning());
        TcpRelay relay(tls ? tls->port() : plain->port());
        QVERIFY(relay.isRunning());
        TSimpleFTP ftp;
        Configure(ftp, "127.0.0.1:" + std::to_string(relay.port()), p);
        ftp.SetConnectTimeout(5000);
        if (tls) ftp.SetTrustedFingerprint(tls->fingerprint().toStdString());
        const bool works = tls || p == FtpProtocol::Ftp;
        try {
            QVERIFY(ftp.Connect() && works && ftp.Refresh());
        } catch (const EWinInetError& e) {
            QVERIFY2(!works, e.what());
            if (p == FtpProtocol::FtpExplicitTls)
                QVERIFY2(QString::fromUtf8(e.what()).contains("does not offer"), e.what());
        }
        const QByteArray sent = relay.fromClients();
        QCOMPARE(sent.contains(kPassword), clearText);
        QCOMPARE(sent.contains("USER anonymous"), clearText);
        if (plain && !clearText) QVERIFY(!HasLogin(plain->commands()));
    }
};

QTEST_GUILESS_MAIN(TestFtpTls)
#include "test_ftp_tls.moc"
