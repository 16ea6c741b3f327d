#include "cli/FtpUrl.h"

#include "cli/CliSupport.h"
#include "core/ftp/ServerAddress.h"

using namespace pw;

FtpUrl ParseFtpUrl(const std::string& url) {
    const std::string notUrl = "not an ftp:// URL: " + url;
    ServerAddress address;
    try {
        address = ParseServerAddress(url);
    } catch (const EServerAddress& e) {
        switch (e.problem()) {
        case EServerAddress::Problem::Scheme:
            throw CliError(notUrl);
        case EServerAddress::Problem::Escape:
            throw CliError("bad %-escape in URL " + url);
        case EServerAddress::Problem::NoHost:
            throw CliError("no host in URL " + url);
        default:
            throw CliError("bad URL " + url + ": " + e.what());
        }
    }
    // A bare host is an address, not a URL.
    if (!address.schemeGiven) throw CliError(notUrl);
    FtpUrl result;
    result.user = address.user;
    result.password = address.password;
    result.hostPort = address.HostPort();
    result.path = address.path;
    result.protocol = address.protocol;
    result.port = address.EffectivePort();
    return result;
}
