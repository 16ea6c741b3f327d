#pragma once
// What the test servers share: a temporary served folder, a work folder outside it for the
// server's own files, and the server process on a port of 127.0.0.1, stopped on destruction.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <filesystem>
#include <string>

class LocalServer {
public:
    LocalServer(const LocalServer&) = delete;
    LocalServer& operator=(const LocalServer&) = delete;

    bool isRunning() const { return m_port != 0; }
    QString errorString() const { return m_error; }
    quint16 port() const { return m_port; }
    // "127.0.0.1:PORT", the form an FTP component's HostName takes.
    std::string hostName() const { return "127.0.0.1:" + std::to_string(m_port); }
    QString root() const { return m_root.path(); }
    // Absolute local path of a file below the root.
    QString path(const QString& relative) const { return QDir(root()).filePath(relative); }

    // Helpers for preparing and checking the served tree; a missing file reads as empty.
    bool writeFile(const QString& relative, const QByteArray& bytes) const {
        QDir().mkpath(QFileInfo(path(relative)).absolutePath());
        QFile file(path(relative));
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }
    QByteArray readFile(const QString& relative) const {
        QFile file(path(relative));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

protected:
    LocalServer() {
        if (!m_root.isValid() || !m_work.isValid())
            m_error = QStringLiteral("cannot create the temporary folders");
    }
    ~LocalServer() {
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

    QTemporaryDir m_root;
    QTemporaryDir m_work; // outside the served tree: the server's log and settings
    QProcess m_process;
    quint16 m_port = 0;
    QString m_error;
};
