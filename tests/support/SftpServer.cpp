#include "SftpServer.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {
const QString kPython = QStringLiteral("/usr/bin/python3");

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool RunPython(const QStringList& args) {
    QProcess python;
    python.start(kPython, args);
    return python.waitForFinished(60000) && python.exitStatus() == QProcess::NormalExit &&
           python.exitCode() == 0;
}
} // namespace

bool SftpServer::available() {
    static const bool found = RunPython({QStringLiteral("-W"), QStringLiteral("ignore"),
                                         QStringLiteral("-c"), QStringLiteral("import asyncssh")});
    return found;
}

bool SftpServer::makeClientKey(const QString& path) {
    return RunPython({QStringLiteral("-W"), QStringLiteral("ignore"), QStringLiteral("-c"),
                      QStringLiteral("import asyncssh, sys\n"
                                     "k = asyncssh.generate_private_key('ssh-ed25519')\n"
                                     "k.write_private_key(sys.argv[1])\n"
                                     "k.write_public_key(sys.argv[1] + '.pub')\n"),
                      path}) &&
           QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
}

SftpServer::SftpServer(const QString& hostKey, const QStringList& extraArgs) {
    if (!m_root.isValid() || !m_work.isValid()) {
        m_error = QStringLiteral("cannot create the temporary folders");
        return;
    }
    m_hostKey = hostKey.isEmpty() ? m_work.filePath(QStringLiteral("host_key")) : hostKey;
    m_process.setProgram(kPython);
    m_process.setArguments(QStringList{QStringLiteral(PW_SOURCE_DIR "/scripts/sftp-server.py"),
                                       QStringLiteral("--root"), m_root.path(),
                                       QStringLiteral("--host-key"), m_hostKey,
                                       QStringLiteral("--log"), m_work.filePath("log")} +
                           extraArgs);
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    m_process.start();
    // "FINGERPRINT AB:CD:..." then "PORT n" once it listens.
    QDeadlineTimer deadline(30000);
    QByteArray out;
    while (!deadline.hasExpired() && m_process.state() != QProcess::NotRunning) {
        m_process.waitForReadyRead(200);
        out += m_process.readAllStandardOutput();
        for (const QByteArray& line : out.split('\n')) {
            if (line.startsWith("FINGERPRINT "))
                m_fingerprint = QString::fromLatin1(line.mid(12).trimmed());
            if (line.startsWith("PORT ") && out.endsWith('\n'))
                m_port = quint16(line.mid(5).trimmed().toUInt());
        }
        if (m_port) return;
    }
    m_error = QStringLiteral("the SFTP server did not start: ") +
              QString::fromLocal8Bit(out + m_process.readAllStandardError());
}

SftpServer::~SftpServer() {
    if (m_process.state() == QProcess::NotRunning) return;
    m_process.kill();
    m_process.waitForFinished(5000);
}

std::string SftpServer::hostName() const {
    return "127.0.0.1:" + std::to_string(m_port);
}

QString SftpServer::url() const {
    return QStringLiteral("sftp://127.0.0.1:%1").arg(m_port);
}

QString SftpServer::path(const QString& relative) const {
    return QDir(m_root.path()).filePath(relative);
}

bool SftpServer::writeFile(const QString& relative, const QByteArray& bytes) const {
    const QString target = path(relative);
    QDir().mkpath(QFileInfo(target).absolutePath());
    QFile file(target);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray SftpServer::readFile(const QString& relative) const {
    return ReadAll(path(relative));
}

QByteArray SftpServer::knownHostsLine() const {
    // The .pub file holds "ssh-ed25519 AAAA... [comment]".
    const QList<QByteArray> parts =
        ReadAll(m_hostKey + QStringLiteral(".pub")).simplified().split(' ');
    if (parts.size() < 2) return {};
    return "[127.0.0.1]:" + QByteArray::number(m_port) + ' ' + parts[0] + ' ' + parts[1] + '\n';
}

QStringList SftpServer::log() const {
    return QString::fromUtf8(ReadAll(m_work.filePath(QStringLiteral("log"))))
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}
