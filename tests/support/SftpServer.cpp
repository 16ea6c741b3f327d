#include "SftpServer.h"

#include <QDeadlineTimer>

namespace {
const QString kPython = QStringLiteral("/usr/bin/python3");

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool RunPython(const QString& script, const QStringList& args = {}) {
    QProcess python;
    python.start(kPython, QStringList{"-W", "ignore", "-c", script} + args);
    return python.waitForFinished(60000) && python.exitStatus() == QProcess::NormalExit &&
           python.exitCode() == 0;
}
} // namespace

bool SftpServer::available() {
    static const bool found = RunPython(QStringLiteral("import asyncssh"));
    return found;
}

bool SftpServer::makeClientKey(const QString& path) {
    return RunPython(QStringLiteral("import asyncssh, sys\n"
                                    "k = asyncssh.generate_private_key('ssh-ed25519')\n"
                                    "k.write_private_key(sys.argv[1])\n"
                                    "k.write_public_key(sys.argv[1] + '.pub')\n"),
                     {path}) &&
           QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
}

SftpServer::SftpServer(const QString& hostKey, const QStringList& extraArgs) {
    if (!m_error.isEmpty()) return;
    m_hostKey = hostKey.isEmpty() ? m_work.filePath(QStringLiteral("host_key")) : hostKey;
    m_process.start(kPython,
                    QStringList{QStringLiteral(PW_SOURCE_DIR "/scripts/sftp-server.py"), "--root",
                                root(), "--host-key", m_hostKey, "--log", m_work.filePath("log")} +
                        extraArgs);
    // "FINGERPRINT AB:CD:..." then "PORT n" once it listens.
    QDeadlineTimer deadline(30000);
    QByteArray out;
    while (!deadline.hasExpired() && m_process.state() != QProcess::NotRunning && !m_port) {
        m_process.waitForReadyRead(200);
        out += m_process.readAllStandardOutput();
        for (const QByteArray& line : out.split('\n')) {
            if (line.startsWith("FINGERPRINT "))
                m_fingerprint = QString::fromLatin1(line.mid(12).trimmed());
            if (line.startsWith("PORT ") && out.endsWith('\n'))
                m_port = quint16(line.mid(5).trimmed().toUInt());
        }
    }
    if (!m_port)
        m_error = QStringLiteral("the SFTP server did not start: ") +
                  QString::fromLocal8Bit(out + m_process.readAllStandardError());
}

QByteArray SftpServer::knownHostsLine() const {
    // The .pub file holds "ssh-ed25519 AAAA... [comment]".
    const QList<QByteArray> parts =
        ReadAll(m_hostKey + QStringLiteral(".pub")).simplified().split(' ');
    if (parts.size() < 2) return {};
    return "[127.0.0.1]:" + QByteArray::number(port()) + ' ' + parts[0] + ' ' + parts[1] + '\n';
}

QStringList SftpServer::log() const {
    return QString::fromUtf8(ReadAll(m_work.filePath(QStringLiteral("log"))))
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}
