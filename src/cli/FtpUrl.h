#pragma once
// [ftp|ftpes|ftps|sftp]://[user[:password]@]host[:port]/path URLs of the command-line tool.
#include "core/ftp/ServerEndpoint.h"

#include <string>

struct FtpUrl {
    std::string user; // empty: anonymous
    std::string password;
    std::string hostPort; // "host" or "host:port", as the FTP component takes it
    std::string path;     // %-decoded, absolute ("/" for the top folder)
    pw::FtpProtocol protocol = pw::FtpProtocol::Ftp;
    unsigned port = 21; // the URL's port, else the protocol's default
};

// The login of a URL without a user is anonymous.
inline std::string LoginUser(const FtpUrl& url) {
    return url.user.empty() ? "anonymous" : url.user;
}

// Throws CliError for anything that is not such a URL.
FtpUrl ParseFtpUrl(const std::string& url);
