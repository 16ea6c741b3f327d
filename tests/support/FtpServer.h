#pragma once
// A local FTP server for tests: scripts/ftp-server.py on a free port of 127.0.0.1, with its
// own temporary root folder. The server stops when the object is destroyed. It keeps a
// transcript of the commands it receives.
#include "LocalServer.h"

#include <QStringList>

class FtpServer : public LocalServer {
public:
    // `extraArgs` go to the script: "--user", "U", "--password", "P", "--no-mlsd",
    // "--throttle", "BPS", "--drop-after", "BYTES", "--cut-data-after", "BYTES", "--silent",
    // "--no-rename" (RNTO refused), "--vanish-at-rename" (the connection closed at RNFR).
    explicit FtpServer(const QStringList& extraArgs = {});

    QString host() const { return QStringLiteral("127.0.0.1"); }
    // "ftp://127.0.0.1:PORT" (no trailing slash).
    QString url() const { return QStringLiteral("ftp://127.0.0.1:%1").arg(port()); }
    bool makeDir(const QString& relative) const { return QDir().mkpath(path(relative)); }

    // The commands received so far on all connections, in order, as sent ("CWD /sub dir");
    // PASS is given without its argument. A command is listed before it is answered.
    QStringList commands() const;

    // Kills the server at once (a server that disappears).
    void kill();
};
