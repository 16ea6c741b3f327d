#include "TlsFtpServer.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

namespace {
// A port nothing listens on now (vsftpd binds it a moment later; a clash fails the start).
quint16 FreePort() {
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0)) return 0;
    return probe.serverPort();
}

bool WriteText(const QString& path, const QByteArray& text) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}
} // namespace

bool TlsFtpServer::available() {
    return QFileInfo(program()).isExecutable();
}

QString TlsFtpServer::makeCertificate(const QString& folder, QString* error) {
    QProcess openssl;
    openssl.setProcessChannelMode(QProcess::MergedChannels);
    openssl.start(QStringLiteral("openssl"),
                  {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                   QStringLiteral("rsa:2048"), QStringLiteral("-nodes"), QStringLiteral("-keyout"),
                   folder + QStringLiteral("/key.pem"), QStringLiteral("-out"),
                   folder + QStringLiteral("/cert.pem"), QStringLiteral("-days"),
                   QStringLiteral("2"), QStringLiteral("-subj"),
                   QStringLiteral("/CN=pagewright-test")});
    if (!openssl.waitForFinished(60000) || openssl.exitCode() != 0) {
        if (error) *error = QStringLiteral("openssl req failed: ") + openssl.readAll();
        return {};
    }
    return fingerprintOf(folder + QStringLiteral("/cert.pem"));
}

QString TlsFtpServer::fingerprintOf(const QString& certificateFile) {
    QProcess openssl;
    openssl.start(QStringLiteral("openssl"),
                  {QStringLiteral("x509"), QStringLiteral("-noout"), QStringLiteral("-fingerprint"),
                   QStringLiteral("-sha256"), QStringLiteral("-in"), certificateFile});
    if (!openssl.waitForFinished(30000) || openssl.exitCode() != 0) return {};
    // "sha256 Fingerprint=AB:CD:..."
    const QString line = QString::fromLatin1(openssl.readAllStandardOutput()).trimmed();
    const qsizetype equals = line.indexOf(QLatin1Char('='));
    return equals < 0 ? QString() : line.mid(equals + 1).toUpper();
}

TlsFtpServer::TlsFtpServer(Mode mode) {
    if (!m_root.isValid() || !m_work.isValid()) {
        m_error = QStringLiteral("cannot create the temporary folders");
        return;
    }
    m_fingerprint = makeCertificate(m_work.path(), &m_error);
    if (m_fingerprint.isEmpty()) return;
    // The anonymous user lists only folders that others may read.
    QFile::setPermissions(m_root.path(), QFile::permissions(m_root.path()) | QFile::ReadGroup |
                                             QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
    const QString empty = m_work.filePath(QStringLiteral("empty"));
    QDir().mkpath(empty);
    const quint16 port = FreePort();
    // What this combination needs: run_as_launching_user, so that no root is needed and
    // vsftpd changes neither user nor root folder (the anonymous user sees local paths, and a
    // writable root is accepted); seccomp_sandbox off, as its filter is made for vsftpd's
    // usual privilege-separated setup; anon_world_readable_only off and a root others may
    // read, else listings and downloads fail ("failed to open directory"); listen_ipv6 off
    // with listen on. The data connections must resume the control connection's TLS session
    // (vsftpd's require_ssl_reuse, on by default).
    const QString conf = QStringLiteral("background=NO\n"
                                        "listen=YES\n"
                                        "listen_ipv6=NO\n"
                                        "listen_address=127.0.0.1\n"
                                        "listen_port=%1\n"
                                        "run_as_launching_user=YES\n"
                                        "seccomp_sandbox=NO\n"
                                        "local_enable=NO\n"
                                        "anonymous_enable=YES\n"
                                        "anon_root=%2\n"
                                        "no_anon_password=NO\n"
                                        "write_enable=YES\n"
                                        "anon_upload_enable=YES\n"
                                        "anon_mkdir_write_enable=YES\n"
                                        "anon_other_write_enable=YES\n"
                                        "anon_umask=022\n"
                                        "anon_world_readable_only=NO\n"
                                        "ssl_enable=YES\n"
                                        "allow_anon_ssl=YES\n"
                                        "force_anon_logins_ssl=YES\n"
                                        "force_anon_data_ssl=YES\n"
                                        "implicit_ssl=%3\n"
                                        "rsa_cert_file=%4/cert.pem\n"
                                        "rsa_private_key_file=%4/key.pem\n"
                                        "pasv_address=127.0.0.1\n"
                                        "secure_chroot_dir=%5\n"
                                        "log_ftp_protocol=YES\n"
                                        "xferlog_enable=YES\n"
                                        "xferlog_std_format=NO\n"
                                        "vsftpd_log_file=%4/vsftpd.log\n")
                             .arg(port)
                             .arg(m_root.path())
                             .arg(mode == Mode::Implicit ? "YES" : "NO")
                             .arg(m_work.path())
                             .arg(empty);
    const QString confFile = m_work.filePath(QStringLiteral("vsftpd.conf"));
    if (!WriteText(confFile, conf.toUtf8())) {
        m_error = QStringLiteral("cannot write the configuration");
        return;
    }
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.start(program(), {confFile});
    if (!m_process.waitForStarted(10000)) {
        m_error = QStringLiteral("cannot start vsftpd: ") + m_process.errorString();
        return;
    }
    // Ready once the port takes connections (each one is a session of its own, closed at once).
    QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired() && m_process.state() == QProcess::Running) {
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, port);
        if (probe.waitForConnected(200)) {
            probe.abort();
            m_port = port;
            return;
        }
        QThread::msleep(20);
    }
    m_process.waitForFinished(100);
    m_error =
        QStringLiteral("vsftpd did not listen: ") + QString::fromLocal8Bit(m_process.readAll());
}

TlsFtpServer::~TlsFtpServer() {
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
}

std::string TlsFtpServer::hostName() const {
    return "127.0.0.1:" + std::to_string(m_port);
}

std::string TlsFtpServer::remotePath(const QString& relative) const {
    return path(relative).toStdString();
}

QString TlsFtpServer::path(const QString& relative) const {
    return QDir(m_root.path()).filePath(relative);
}

bool TlsFtpServer::writeFile(const QString& relative, const QByteArray& bytes) const {
    const QString target = path(relative);
    QDir().mkpath(QFileInfo(target).absolutePath());
    return WriteText(target, bytes);
}

QByteArray TlsFtpServer::readFile(const QString& relative) const {
    QFile file(path(relative));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString TlsFtpServer::certificateFile() const {
    return m_work.filePath(QStringLiteral("cert.pem"));
}

QStringList TlsFtpServer::commands() const {
    // "... [pid 7] [ftp] FTP command: Client "127.0.0.1", "USER anonymous""
    static const QRegularExpression kCommand(
        QStringLiteral("FTP command: Client \"[^\"]*\", \"(.*)\"$"));
    QFile file(m_work.filePath(QStringLiteral("vsftpd.log")));
    if (!file.open(QIODevice::ReadOnly)) return {};
    QStringList lines;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        const auto match = kCommand.match(line);
        if (match.hasMatch()) lines << match.captured(1);
    }
    return lines;
}
