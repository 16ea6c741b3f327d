#pragma once
// A local FTP server for tests: scripts/ftp-server.py on a free port of 127.0.0.1, with its
// own temporary root folder. The server stops when the object is destroyed. It keeps a
// transcript of the commands it receives.
#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <string>

class FtpServer {
public:
    // `extraArgs` go to the script: "--user", "U", "--password", "P", "--no-mlsd",
    // "--throttle", "BPS", "--drop-after", "BYTES", "--cut-data-after", "BYTES", "--silent",
    // "--no-rename" (RNTO refused).
    explicit FtpServer(const QStringList& extraArgs = {});
    ~FtpServer();
    FtpServer(const FtpServer&) = delete;
    FtpServer& operator=(const FtpServer&) = delete;

    bool isRunning() const { return m_port != 0; }
    QString errorString() const { return m_error; }

    QString host() const { return QStringLiteral("127.0.0.1"); }
    quint16 port() const { return m_port; }
    // "127.0.0.1:PORT", the form an FTP component's HostName takes.
    std::string hostName() const;
    // "ftp://127.0.0.1:PORT" (no trailing slash).
    QString url() const;
    QString root() const { return m_root.path(); }
    // Absolute local path of a file below the root.
    QString path(const QString& relative) const;

    // Helpers for preparing and checking the served tree.
    bool writeFile(const QString& relative, const QByteArray& bytes) const;
    QByteArray readFile(const QString& relative) const;
    bool makeDir(const QString& relative) const;

    // The commands received so far on all connections, in order, as sent ("CWD /sub dir");
    // PASS is given without its argument. A command is listed before it is answered.
    QStringList commands() const;

    // Kills the server at once (a server that disappears).
    void kill();

private:
    QTemporaryDir m_root;
    QTemporaryDir m_work; // outside the served tree: the transcript
    QProcess m_process;
    quint16 m_port = 0;
    QString m_error;
};
