#include "FtpServer.h"

#include <QDeadlineTimer>

FtpServer::FtpServer(const QStringList& extraArgs) {
    if (!m_error.isEmpty()) return;
    m_process.start(QStringLiteral("/usr/bin/python3"),
                    QStringList{QStringLiteral(PW_SOURCE_DIR "/scripts/ftp-server.py"),
                                QStringLiteral("--root"), root(), QStringLiteral("--port"),
                                QStringLiteral("0"), QStringLiteral("--log"),
                                m_work.filePath(QStringLiteral("commands.log"))} +
                        extraArgs);
    // The script prints "PORT N" once it listens.
    QDeadlineTimer deadline(15000);
    while (m_process.waitForStarted(10000) && !deadline.hasExpired()) {
        if (!m_process.canReadLine() && !m_process.waitForReadyRead(200)) {
            if (m_process.state() != QProcess::Running) break;
            continue;
        }
        const QByteArray line = m_process.readLine().trimmed();
        if (line.startsWith("PORT ")) {
            m_port = quint16(line.mid(5).toUInt());
            return;
        }
    }
    m_error = QStringLiteral("the FTP server did not start or report its port: ") +
              m_process.errorString() + QString::fromLocal8Bit(m_process.readAllStandardError());
    kill();
}

void FtpServer::kill() {
    if (m_process.state() == QProcess::NotRunning) return;
    m_process.kill();
    m_process.waitForFinished(5000);
}

QStringList FtpServer::commands() const {
    QFile file(m_work.filePath(QStringLiteral("commands.log")));
    if (!file.open(QIODevice::ReadOnly)) return {};
    QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    if (lines.last().isEmpty()) lines.removeLast();
    return lines;
}
