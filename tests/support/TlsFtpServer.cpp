#include "TlsFtpServer.h"

#include <QDeadlineTimer>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

QString TlsFtpServer::makeCertificate(const QString& folder, QString* error) {
    QProcess openssl;
    openssl.setProcessChannelMode(QProcess::MergedChannels);
    openssl.start(
        QStringLiteral("openssl"),
        QStringLiteral("req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=pagewright-test")
                .split(QLatin1Char(' ')) +
            QStringList{QStringLiteral("-keyout"), folder + QStringLiteral("/key.pem"),
                        QStringLiteral("-out"), folder + QStringLiteral("/cert.pem")});
    if (!openssl.waitForFinished(60000) || openssl.exitCode() != 0) {
        if (error) *error = QStringLiteral("openssl req failed: ") + openssl.readAll();
        return {};
    }
    return fingerprintOf(folder + QStringLiteral("/cert.pem"));
}

QString TlsFtpServer::fingerprintOf(const QString& certificateFile) {
    QProcess openssl;
    openssl.start(QStringLiteral("openssl"),
                  QStringLiteral("x509 -noout -fingerprint -sha256 -in").split(QLatin1Char(' ')) +
                      QStringList{certificateFile});
    if (!openssl.waitForFinished(30000) || openssl.exitCode() != 0) return {};
    // "sha256 Fingerprint=AB:CD:..."
    const QString line = QString::fromLatin1(openssl.readAllStandardOutput()).trimmed();
    const qsizetype equals = line.indexOf(QLatin1Char('='));
    return equals < 0 ? QString() : line.mid(equals + 1).toUpper();
}

TlsFtpServer::TlsFtpServer(Mode mode) {
    if (!m_error.isEmpty()) return;
    m_fingerprint = makeCertificate(m_work.path(), &m_error);
    if (m_fingerprint.isEmpty()) return;
    // The anonymous user lists only folders that others may read.
    QFile::setPermissions(root(), QFile::permissions(root()) | QFile::ReadGroup | QFile::ExeGroup |
                                      QFile::ReadOther | QFile::ExeOther);
    const QString empty = m_work.filePath(QStringLiteral("empty"));
    QDir().mkpath(empty);
    // A port nothing listens on now (vsftpd binds it a moment later; a clash fails the start).
    quint16 port = 0;
    if (QTcpServer probe; probe.listen(QHostAddress::LocalHost, 0)) port = probe.serverPort();
    // What this combination needs: run_as_launching_user, so that no root is needed and
    // vsftpd changes neither user nor root folder (the anonymous user sees local paths, and a
    // writable root is accepted); seccomp_sandbox off, as its filter is made for vsftpd's
    // usual privilege-separated setup; anon_world_readable_only off and a root others may
    // read, else listings and downloads fail ("failed to open directory"); listen_ipv6 off
    // with listen on. The data connections must resume the control connection's TLS session
    // (vsftpd's require_ssl_reuse, on by default).
    const QString conf =
        QStringLiteral(
            "background=NO\nlisten=YES\nlisten_ipv6=NO\nlisten_address=127.0.0.1\n"
            "listen_port=%1\nrun_as_launching_user=YES\nseccomp_sandbox=NO\nlocal_enable=NO\n"
            "anonymous_enable=YES\nanon_root=%2\nno_anon_password=NO\nwrite_enable=YES\n"
            "anon_upload_enable=YES\nanon_mkdir_write_enable=YES\nanon_other_write_enable=YES\n"
            "anon_umask=022\nanon_world_readable_only=NO\nssl_enable=YES\nallow_anon_ssl=YES\n"
            "force_anon_logins_ssl=YES\nforce_anon_data_ssl=YES\nimplicit_ssl=%3\n"
            "rsa_cert_file=%4/cert.pem\nrsa_private_key_file=%4/key.pem\n"
            "pasv_address=127.0.0.1\nsecure_chroot_dir=%5\nlog_ftp_protocol=YES\n"
            "xferlog_enable=YES\nxferlog_std_format=NO\nvsftpd_log_file=%4/vsftpd.log\n")
            .arg(port)
            .arg(root(), mode == Mode::Implicit ? QStringLiteral("YES") : QStringLiteral("NO"),
                 m_work.path(), empty);
    const QString confFile = m_work.filePath(QStringLiteral("vsftpd.conf"));
    QFile file(confFile);
    if (!file.open(QIODevice::WriteOnly) || file.write(conf.toUtf8()) < 0 || !file.flush()) {
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

QStringList TlsFtpServer::commands() const {
    // "... [pid 7] [ftp] FTP command: Client "127.0.0.1", "USER anonymous""
    static const QRegularExpression kCommand(
        QStringLiteral("FTP command: Client \"[^\"]*\", \"(.*)\"\\s*$"),
        QRegularExpression::MultilineOption);
    QFile file(m_work.filePath(QStringLiteral("vsftpd.log")));
    if (!file.open(QIODevice::ReadOnly)) return {};
    QStringList lines;
    for (auto it = kCommand.globalMatch(QString::fromUtf8(file.readAll())); it.hasNext();)
        lines << it.next().captured(1);
    return lines;
}
