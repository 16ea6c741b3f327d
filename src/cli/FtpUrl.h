#pragma once
// ftp://[user[:password]@]host[:port]/path URLs of the command-line tool.
#include <string>

struct FtpUrl {
    std::string user; // empty: anonymous
    std::string password;
    std::string hostPort; // "host" or "host:port", as the FTP component takes it
    std::string path;     // %-decoded, absolute ("/" for the top folder)
};

// Throws CliError for anything that is not such a URL.
FtpUrl ParseFtpUrl(const std::string& url);
// The login of a URL without a user is anonymous.
inline std::string LoginUser(const FtpUrl& url) {
    return url.user.empty() ? "anonymous" : url.user;
}

