#include "core/ftp/SftpPaths.h"

#include "core/ftp/FtpPaths.h"

#include <ranges>
#include <string_view>
#include <vector>

namespace pw {

std::string ResolveRemotePath(const std::string& current, const std::string& path) {
    const std::string joined = !path.empty() && path[0] == '/' ? path : current + "/" + path;
    std::vector<std::string> parts;
    for (const auto piece : std::views::split(joined, '/')) {
        const std::string_view part(piece.begin(), piece.end());
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.emplace_back(part);
        }
    }
    std::string out;
    for (const auto& part : parts)
        out += "/" + part;
    return out.empty() ? "/" : out;
}

std::string SftpUrl(const std::string& serverUrl, const std::string& path, bool directory) {
    std::string relative = path.empty() || path[0] != '/' ? path : path.substr(1);
    if (relative == "~" || relative.rfind("~/", 0) == 0) relative = "/" + relative;
    std::string url = RemotePathUrl(serverUrl, relative);
    if (directory && url.back() != '/') url += '/';
    return url;
}

std::string SftpArgument(const std::string& path) {
    std::string out = "\"";
    for (char c : path) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

} // namespace pw
