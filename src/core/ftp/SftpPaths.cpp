#include "core/ftp/SftpPaths.h"

#include "core/ftp/FtpPaths.h"

#include <vector>

namespace pw {

std::string ResolveRemotePath(const std::string& current, const std::string& path) {
    const std::string joined = !path.empty() && path[0] == '/' ? path : current + "/" + path;
    std::vector<std::string> parts;
    for (size_t at = 0;;) {
        const size_t end = joined.find('/', at);
        const std::string part = joined.substr(at, end == std::string::npos ? end : end - at);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        if (end == std::string::npos) break;
        at = end + 1;
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
