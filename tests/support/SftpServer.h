#pragma once
// A local SFTP server for tests: scripts/sftp-server.py on a free port of 127.0.0.1, serving
// a temporary root folder as "/", with the login tester / secret and a host key of its own
// (made on first use, or the one of another server to look like the same host). It logs what
// clients send ("CONNECT", "AUTH u", "PASSWORD u ok|bad", "PUBLICKEY u ok|bad"). The server
// stops when the object is destroyed.
#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <string>

class SftpServer {
public:
    // `hostKey`: the host key file to use (empty: a new one). `extraArgs` go to the script:
    // "--home", "/PATH", "--authorized-keys", "FILE", "--password", "P".
    explicit SftpServer(const QString& hostKey = {}, const QStringList& extraArgs = {});
    ~SftpServer();
    SftpServer(const SftpServer&) = delete;
    SftpServer& operator=(const SftpServer&) = delete;

    // Whether the system's Python has the SSH library; tests skip when it has not.
    static bool available();
    // Writes a new Ed25519 private key to `path` and its public key to `path`.pub.
    static bool makeClientKey(const QString& path);

    bool isRunning() const { return m_port != 0; }
    QString errorString() const { return m_error; }
    quint16 port() const { return m_port; }
    std::string hostName() const; // "127.0.0.1:PORT"
    QString url() const;          // "sftp://127.0.0.1:PORT"
    QString root() const { return m_root.path(); }
    QString path(const QString& relative) const;
    bool writeFile(const QString& relative, const QByteArray& bytes) const;
    QByteArray readFile(const QString& relative) const;

    QString hostKeyFile() const { return m_hostKey; }
    QString fingerprint() const { return m_fingerprint; } // "AB:CD:...", SHA-256
    // The line of a known_hosts file that vouches for this server's key.
    QByteArray knownHostsLine() const;
    QStringList log() const;

private:
    QTemporaryDir m_root;
    QTemporaryDir m_work; // outside the served tree: host key, log
    QProcess m_process;
    QString m_hostKey;
    QString m_fingerprint;
    quint16 m_port = 0;
    QString m_error;
};
