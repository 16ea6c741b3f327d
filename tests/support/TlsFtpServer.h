#pragma once
// A local FTP server over TLS for tests: the system's vsftpd as a plain process of the test's
// user, with a configuration of its own on a free port of 127.0.0.1, a self-signed certificate
// made for the test (CN=pagewright-test, two days) and a temporary root folder for anonymous
// logins that may upload, make folders, rename and delete. The server stops when the object
// is destroyed. It logs the commands it receives (PASS without its argument).
//
// vsftpd run this way does not change root into the served folder: it names folders by their
// full local path (PWD answers the root's path), so remote paths are root() + "/name".
#include "LocalServer.h"

#include <QStringList>

class TlsFtpServer : public LocalServer {
public:
    enum class Mode { Explicit, Implicit };

    explicit TlsFtpServer(Mode mode);

    // Where vsftpd is expected; tests skip when it is not there.
    static QString program() { return QStringLiteral("/usr/sbin/vsftpd"); }
    static bool available() { return QFileInfo(program()).isExecutable(); }

    // The remote path of a file below the root (see above).
    std::string remotePath(const QString& relative) const { return path(relative).toStdString(); }

    // The certificate's file and its SHA-256 fingerprint as `openssl x509 -fingerprint`
    // prints it ("AB:CD:...").
    QString certificateFile() const { return m_work.filePath(QStringLiteral("cert.pem")); }
    QString fingerprint() const { return m_fingerprint; }

    // The commands received so far on all connections, in order ("USER anonymous").
    QStringList commands() const;

    // Makes another self-signed certificate in `folder`; gives its fingerprint, "" on failure.
    static QString makeCertificate(const QString& folder, QString* error = nullptr);
    static QString fingerprintOf(const QString& certificateFile);

private:
    QString m_fingerprint;
};
