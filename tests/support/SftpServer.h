#pragma once
// A local SFTP server for tests: scripts/sftp-server.py on a free port of 127.0.0.1, serving
// a temporary root folder as "/", with the login tester / secret and a host key of its own
// (made on first use, or the one of another server to look like the same host). It logs what
// clients send ("CONNECT", "AUTH u", "PASSWORD u ok|bad", "PUBLICKEY u ok|bad").
#include "LocalServer.h"

#include <QStringList>

class SftpServer : public LocalServer {
public:
    // `hostKey`: the host key file to use (empty: a new one). `extraArgs` go to the script:
    // "--home", "/PATH", "--authorized-keys", "FILE", "--password", "P".
    explicit SftpServer(const QString& hostKey = {}, const QStringList& extraArgs = {});

    // Whether the system's Python has the SSH library; tests skip when it has not.
    static bool available();
    // Writes a new Ed25519 private key to `path` and its public key to `path`.pub.
    static bool makeClientKey(const QString& path);

    QString fingerprint() const { return m_fingerprint; } // "AB:CD:...", SHA-256
    // The line of a known_hosts file that vouches for this server's key.
    QByteArray knownHostsLine() const;
    QStringList log() const;

private:
    QString m_hostKey;
    QString m_fingerprint;
};
