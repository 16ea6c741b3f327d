#pragma once
// Server addresses as users type them, for quick connect and the command-line tool:
//   [scheme://][user[:password]@]host[:port][/path]
// with the schemes ftp://, ftpes:// (FTP over explicit TLS), ftps:// (FTP over implicit TLS)
// and sftp://, in any letter case; without a scheme the address is plain FTP. The login and
// the path are %-decoded; the host is taken as written, an IPv6 address in brackets
// ("[::1]:2121").
#include "core/ftp/ServerEndpoint.h"

#include <string>
#include <string_view>

namespace pw {

struct ServerAddress {
    FtpProtocol protocol = FtpProtocol::Ftp;
    bool schemeGiven = false;
    std::string user; // empty when the address names none
    std::string password;
    std::string host;       // IPv6 addresses without brackets
    unsigned port = 0;      // 0: none given, the protocol's default applies
    std::string path = "/"; // absolute

    unsigned EffectivePort() const { return port != 0 ? port : DefaultPort(protocol); }
    // "host" or "host:port" with the port only when one was given.
    std::string HostPort() const { return HostPortText(host, port); }
};

// Leading and trailing blanks are ignored. Throws EServerAddress for an unknown scheme, an
// empty host, a port outside 1..65535, a bad %-escape, or a line break or NUL in the login
// or the path.
ServerAddress ParseServerAddress(std::string_view text);

} // namespace pw
