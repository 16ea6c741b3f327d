#pragma once
// Paths, addresses and command arguments of SFTP requests. SFTP has no current folder on the
// server: every path sent is absolute, resolved here against the component's folder.
#include <string>

namespace pw {

// `path` against the absolute folder `current` (ignored for an absolute `path`), with "."
// and ".." resolved and repeated or trailing slashes removed: "/a/b", or "/" for the top.
// ".." above the top stays at the top.
std::string ResolveRemotePath(const std::string& current, const std::string& path);

// The URL of the absolute `path` below `serverUrl` ("sftp://host:port/"), %-escaped; with
// `directory` it ends in "/" (libcurl lists a folder addressed that way). A top folder named
// "~" is addressed as "//~", as libcurl reads "/~/" as the home folder.
std::string SftpUrl(const std::string& serverUrl, const std::string& path, bool directory);

// `path` as one argument of a libcurl SFTP quote command: in double quotes, with '"' and '\'
// escaped by a backslash.
std::string SftpArgument(const std::string& path);

} // namespace pw
