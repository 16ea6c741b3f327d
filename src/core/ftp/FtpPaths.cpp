#include "core/ftp/FtpPaths.h"
#include "core/ftp/FtpFindData.h"

#include <cstdio>

namespace pw {

THostPort SplitHostPort(const std::string& hostName, int defaultPort) {
    THostPort result{hostName, defaultPort};
    std::string portText;
    if (!hostName.empty() && hostName[0] == '[') {
        const size_t close = hostName.find(']');
        if (close == std::string::npos) return result;
        result.Host = hostName.substr(1, close - 1);
        if (close + 1 < hostName.size() && hostName[close + 1] == ':')
            portText = hostName.substr(close + 2);
    } else {
        const size_t colon = hostName.find(':');
        if (colon == std::string::npos || hostName.find(':', colon + 1) != std::string::npos)
            return result;
        result.Host = hostName.substr(0, colon);
        portText = hostName.substr(colon + 1);
    }
    if (!portText.empty() && portText.size() <= 5 &&
        portText.find_first_not_of("0123456789") == std::string::npos) {
        const int port = std::stoi(portText);
        if (port > 0 && port < 65536) result.Port = port;
    }
    return result;
}

std::string ServerUrl(const std::string& scheme, const THostPort& server) {
    const bool v6 = server.Host.find(':') != std::string::npos;
    std::string url = scheme;
    url += "://";
    if (v6) url += '[';
    url += server.Host;
    if (v6) url += ']';
    url += ':';
    url += std::to_string(server.Port);
    url += '/';
    return url;
}

std::string RemotePathUrl(const std::string& serverUrl, std::string_view path) {
    std::string url = serverUrl;
    if (!path.empty() && path[0] == '/') {
        url += "%2F";
        path.remove_prefix(1);
    }
    static const char kHex[] = "0123456789ABCDEF";
    for (char ch : path) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
            c == '-' || c == '.' || c == '_' || c == '~' || c == '/') {
            url += ch;
        } else {
            url += '%';
            url += kHex[c >> 4];
            url += kHex[c & 15];
        }
    }
    return url;
}

bool HasCommandBreak(std::string_view path) {
    return path.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

std::string LocalFileNamePart(const std::string& path) {
    const size_t slash = path.find_last_of(kLocalSeparator);
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsSafeLocalName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find(kLocalSeparator) == std::string_view::npos &&
           name.find('\0') == std::string_view::npos;
}

std::string ParsePwdReply(std::string_view reply) {
    const size_t open = reply.find('"');
    if (open == std::string_view::npos) return {};
    std::string dir;
    for (size_t i = open + 1; i < reply.size(); ++i) {
        if (reply[i] == '"') {
            if (i + 1 < reply.size() && reply[i + 1] == '"') {
                dir += '"';
                ++i;
                continue;
            }
            return dir;
        }
        dir += reply[i];
    }
    return {};
}

std::vector<std::string> FolderChain(const std::string& path) {
    std::vector<std::string> chain;
    for (size_t at = 1; at <= path.size();) {
        size_t end = path.find('/', at);
        if (end == std::string::npos) end = path.size();
        if (end > at) chain.push_back(path.substr(0, end));
        at = end + 1;
    }
    return chain;
}

int64_t ParseMdtmReply(std::string_view reply) {
    if (reply.size() < 18 || reply.substr(0, 4) != "213 ") return kUnknownFileTime;
    const std::string_view digits = reply.substr(4, 14);
    for (char c : digits)
        if (c < '0' || c > '9') return kUnknownFileTime;
    if (reply.size() > 18 && reply[18] != '.' && reply[18] != ' ') return kUnknownFileTime;
    const auto number = [&](size_t at, size_t length) {
        int value = 0;
        for (size_t i = at; i < at + length; ++i)
            value = value * 10 + (digits[i] - '0');
        return value;
    };
    return FileTimeFromCalendar(number(0, 4), number(4, 2), number(6, 2), number(8, 2),
                                number(10, 2), number(12, 2));
}

} // namespace pw
