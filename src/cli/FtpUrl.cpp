#include "cli/FtpUrl.h"

#include "cli/CliSupport.h"
#include "core/storage/IntConvert.h"

using namespace pw;

namespace {
std::string PercentDecode(const std::string& text, const std::string& url) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size()) throw CliError("bad %-escape in URL " + url);
        const int hi = HexDigitValue(text[i + 1]);
        const int lo = HexDigitValue(text[i + 2]);
        if (hi < 0 || lo < 0) throw CliError("bad %-escape in URL " + url);
        out += char(hi * 16 + lo);
        i += 2;
    }
    return out;
}
} // namespace

FtpUrl ParseFtpUrl(const std::string& url) {
    const std::string scheme = "ftp://";
    if (url.size() < scheme.size() || url.compare(0, scheme.size(), scheme) != 0)
        throw CliError("not an ftp:// URL: " + url);
    std::string rest = url.substr(scheme.size());
    const size_t slash = rest.find('/');
    std::string authority = rest.substr(0, slash);
    const std::string rawPath = slash == std::string::npos ? "/" : rest.substr(slash);
    FtpUrl result;
    const size_t at = authority.rfind('@');
    if (at != std::string::npos) {
        const std::string login = authority.substr(0, at);
        authority = authority.substr(at + 1);
        const size_t colon = login.find(':');
        result.user = PercentDecode(login.substr(0, colon), url);
        if (colon != std::string::npos)
            result.password = PercentDecode(login.substr(colon + 1), url);
    }
    if (authority.empty() || authority == ":" || authority[0] == ':')
        throw CliError("no host in URL " + url);
    result.hostPort = authority;
    result.path = PercentDecode(rawPath, url);
    if (result.path.find_first_of(std::string("\r\n\0", 3)) != std::string::npos)
        throw CliError("URL path holds a line break or NUL: " + url);
    return result;
}
