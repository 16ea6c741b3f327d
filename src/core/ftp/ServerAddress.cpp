#include "core/ftp/ServerAddress.h"

#include "core/storage/IntConvert.h"

namespace pw {

namespace {
using Problem = EServerAddress::Problem;

[[noreturn]] void fail(Problem problem, const std::string& message) {
    throw EServerAddress(problem, message);
}

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// RFC 3986: a letter, then letters, digits, "+", "-" and ".".
bool isSchemeText(std::string_view text) {
    if (text.empty() || !isLetter(text[0])) return false;
    for (char c : text)
        if (!isLetter(c) && !isDigit(c) && c != '+' && c != '-' && c != '.') return false;
    return true;
}

FtpProtocol protocolOfScheme(std::string_view scheme) {
    std::string folded;
    for (char c : scheme)
        folded += lower(c);
    for (int i = 0; i < kFtpProtocolCount; ++i)
        if (folded == ProtocolScheme(static_cast<FtpProtocol>(i)))
            return static_cast<FtpProtocol>(i);
    fail(Problem::Scheme, "unknown scheme \"" + std::string(scheme) +
                              "://\": use ftp://, ftpes://, ftps:// or sftp://");
}

std::string percentDecode(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        const int hi = i + 1 < text.size() ? HexDigitValue(text[i + 1]) : -1;
        const int lo = i + 2 < text.size() ? HexDigitValue(text[i + 2]) : -1;
        if (hi < 0 || lo < 0) fail(Problem::Escape, "bad %-escape");
        out += static_cast<char>(hi * 16 + lo);
        i += 2;
    }
    return out;
}

// Decoded text that could carry a second command onto the control connection is refused.
std::string decodeLine(std::string_view text, const char* what) {
    std::string decoded = percentDecode(text);
    if (decoded.find_first_of(std::string("\r\n\0", 3)) != std::string::npos)
        fail(Problem::Character, std::string("a line break or NUL in the ") + what);
    return decoded;
}

unsigned parsePort(std::string_view text) {
    const std::string port(text);
    if (port.empty()) fail(Problem::Port, "no port after \":\"");
    if (port.find_first_not_of("0123456789") != std::string::npos)
        fail(Problem::Port, "port \"" + port + "\" is not a number");
    const std::optional<unsigned> number = ParsePortNumber(port);
    if (!number) fail(Problem::Port, "port " + port + " is out of range 1 to 65535");
    return *number;
}

// Control characters, blanks and the characters that delimit the parts of an address.
bool isHostCharacter(char c) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || byte == 0x7F) return false;
    return std::string_view("[]\\\"<>^`{|}%").find(c) == std::string_view::npos;
}

void parseHostPort(std::string_view text, ServerAddress& address) {
    std::string_view portText;
    bool hasPort = false;
    if (!text.empty() && text[0] == '[') {
        const size_t close = text.find(']');
        const std::string_view inside =
            text.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1);
        if (close == std::string_view::npos || inside.empty() ||
            inside.find(':') == std::string_view::npos ||
            inside.find_first_not_of("0123456789abcdefABCDEF:.") != std::string_view::npos)
            fail(Problem::Host, "\"" + std::string(text) + "\" is not an IPv6 address in brackets");
        address.host = std::string(inside);
        const std::string_view after = text.substr(close + 1);
        if (!after.empty() && after[0] != ':')
            fail(Problem::Host, "unexpected \"" + std::string(after) + "\" after the IPv6 address");
        hasPort = !after.empty();
        if (hasPort) portText = after.substr(1);
    } else {
        const size_t colon = text.find(':');
        if (colon != std::string_view::npos && text.find(':', colon + 1) != std::string_view::npos)
            fail(Problem::Host, "an IPv6 address goes in brackets, as in [::1]");
        address.host = std::string(text.substr(0, colon));
        hasPort = colon != std::string_view::npos;
        if (hasPort) portText = text.substr(colon + 1);
        if (address.host.empty()) fail(Problem::NoHost, "no host");
        for (char c : address.host)
            if (!isHostCharacter(c))
                fail(Problem::Host,
                     "the host \"" + address.host + "\" holds a character no host name has");
    }
    if (hasPort) address.port = parsePort(portText);
}

std::string_view trimmed(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}
} // namespace

ServerAddress ParseServerAddress(std::string_view text) {
    ServerAddress address;
    std::string_view rest = trimmed(text);
    const size_t separator = rest.find("://");
    if (separator != std::string_view::npos && separator == rest.find('/') - 1) {
        const std::string_view scheme = rest.substr(0, separator);
        if (!isSchemeText(scheme))
            fail(Problem::Scheme, "\"" + std::string(scheme) + "://\" is not a scheme");
        address.protocol = protocolOfScheme(scheme);
        address.schemeGiven = true;
        rest = rest.substr(separator + 3);
    }
    const size_t slash = rest.find('/');
    std::string_view authority = rest.substr(0, slash);
    if (slash != std::string_view::npos) address.path = decodeLine(rest.substr(slash), "path");

    const size_t at = authority.rfind('@');
    if (at != std::string_view::npos) {
        const std::string_view login = authority.substr(0, at);
        authority = authority.substr(at + 1);
        const size_t colon = login.find(':');
        address.user = decodeLine(login.substr(0, colon), "login");
        if (colon != std::string_view::npos)
            address.password = decodeLine(login.substr(colon + 1), "login");
    }
    if (authority.empty()) fail(Problem::NoHost, "no host");
    parseHostPort(authority, address);
    return address;
}

} // namespace pw
