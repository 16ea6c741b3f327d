#pragma once
// Remote and local path helpers of the FTP components.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pw {

// The local folder separator of this platform.
inline constexpr char kLocalSeparator = '/';

struct THostPort {
    std::string Host; // without brackets
    int Port = 0;
};

// "host", "host:port", "[v6addr]" or "[v6addr]:port"; a missing or invalid port gives
// defaultPort. A bare IPv6 address (more than one colon) is taken whole.
THostPort SplitHostPort(const std::string& hostName, int defaultPort);

// "scheme://host:port/" with IPv6 addresses in brackets.
std::string ServerUrl(const std::string& scheme, const THostPort& server);

// The URL of a remote path below ServerUrl(): absolute paths start with "%2F" so that they
// reach the server unchanged; every other byte outside [A-Za-z0-9-._~/] is %-escaped.
std::string RemotePathUrl(const std::string& serverUrl, std::string_view path);

// A path that could smuggle a second command onto the control connection (CR, LF, NUL).
bool HasCommandBreak(std::string_view path);

// The part of a local path after its last separator.
std::string LocalFileNamePart(const std::string& path);

// A name that, joined to a local folder, stays inside it: not empty, not "." or "..",
// without separator or NUL.
bool IsSafeLocalName(std::string_view name);

// The folders from the top down to the absolute `path`: "/a/b/" gives "/a", "/a/b".
std::vector<std::string> FolderChain(const std::string& path);

// The file time (FtpFindData.h) of an MDTM reply "213 YYYYMMDDhhmmss[.fff]" (UTC);
// kUnknownFileTime for any other text.
int64_t ParseMdtmReply(std::string_view reply);

// Text inside the first pair of double quotes of a PWD reply ('257 "/a ""b""" is ...'),
// with doubled quotes undone. Empty when there is none.
std::string ParsePwdReply(std::string_view reply);

} // namespace pw
