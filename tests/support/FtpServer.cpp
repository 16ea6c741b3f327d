#include "FtpServer.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <filesystem>

FtpServer::FtpServer(const QStringList& extraArgs) {
    if (!m_root.isValid() || !m_work.isValid()) {
        m_error = QStringLiteral("cannot create a temporary root folder");
        return;
    }
    const QString script = QStringLiteral(PW_SOURCE_DIR "/scripts/ftp-server.py");
    QStringList args{script, QStringLiteral("--root"), m_root.path(), QStringLiteral("--port"),
                     QStringLiteral("0")};
    args << QStringLiteral("--log") << m_work.filePath(QStringLiteral("commands.log"));
    args += extraArgs;
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    m_process.start(QStringLiteral("/usr/bin/python3"), args);
    if (!m_process.waitForStarted(10000)) {
        m_error = QStringLiteral("cannot start the FTP server: ") + m_process.errorString();
        return;
    }
    QByteArray out;
    QDeadlineTimer deadline(15000);
    while (!deadline.hasExpired()) {
        if (!m_process.canReadLine() && !m_process.waitForReadyRead(200)) {
            if (m_process.state() != QProcess::Running) break;
            continue;
        }
        out = m_process.readLine().trimmed();
        if (out.startsWith("PORT ")) {
            m_port = quint16(out.mid(5).toUInt());
            return;
        }
    }
    m_error = QStringLiteral("the FTP server did not report its port: ") +
              QString::fromLocal8Bit(m_process.readAllStandardError());
    kill();
}

FtpServer::~FtpServer() {
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
    // Names that are not UTF-8 defeat QTemporaryDir's own clean-up.
    std::error_code ignored;
    std::filesystem::remove_all(m_root.path().toStdString(), ignored);
}

void FtpServer::kill() {
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

QStringList FtpServer::commands() const {
    QFile file(m_work.filePath(QStringLiteral("commands.log")));
    if (!file.open(QIODevice::ReadOnly)) return {};
    QStringList lines;
    while (!file.atEnd()) {
        QByteArray line = file.readLine();
        if (line.endsWith('\n')) line.chop(1);
        lines << QString::fromUtf8(line);
    }
    return lines;
}

std::string FtpServer::hostName() const {
    return "127.0.0.1:" + std::to_string(m_port);
}

QString FtpServer::url() const {
    return QStringLiteral("ftp://127.0.0.1:%1").arg(m_port);
}

QString FtpServer::path(const QString& relative) const {
    return QDir(m_root.path()).filePath(relative);
}

bool FtpServer::writeFile(const QString& relative, const QByteArray& bytes) const {
    const QString target = path(relative);
    QDir().mkpath(QFileInfo(target).absolutePath());
    QFile file(target);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray FtpServer::readFile(const QString& relative) const {
    QFile file(path(relative));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool FtpServer::makeDir(const QString& relative) const {
    return QDir().mkpath(path(relative));
}
