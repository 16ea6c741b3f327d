#include "core/ftp/SftpHostKey.h"

#include <openssl/evp.h>

#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace pw {

namespace {
// The key type an SSH key blob starts with: a 32-bit big-endian length and the name.
std::string KeyType(const unsigned char* blob, size_t size) {
    if (size < 4) return {};
    const size_t length = (size_t(blob[0]) << 24) | (size_t(blob[1]) << 16) |
                          (size_t(blob[2]) << 8) | size_t(blob[3]);
    if (length == 0 || length > 64 || length > size - 4) return {};
    return std::string(reinterpret_cast<const char*>(blob + 4), length);
}

std::string FingerprintOfBase64(const std::string& text) {
    if (text.empty() || text.size() % 4) return {};
    std::vector<unsigned char> out(text.size() / 4 * 3 + 1);
    const int n = EVP_DecodeBlock(out.data(), reinterpret_cast<const unsigned char*>(text.data()),
                                  int(text.size()));
    if (n < 0) return {};
    size_t size = size_t(n);
    // EVP_DecodeBlock counts the bytes that the padding stands for.
    for (size_t i = text.size(); i > 0 && text[i - 1] == '=' && size > 0; --i)
        --size;
    return Sha256Hex(out.data(), size);
}
} // namespace

std::string Sha256Hex(const unsigned char* data, size_t size) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (!EVP_Digest(data, size, digest, &length, EVP_sha256(), nullptr)) return {};
    return ColonHex(digest, length);
}

bool DecideHostKey(HostKeyCheck& check, const unsigned char* blob, size_t size,
                   KnownHostMatch match, const std::string& knownBase64) {
    check.Seen = true;
    const std::string type = KeyType(blob, size);
    check.Key = TlsCertificate();
    check.Key.Subject = (type.empty() ? std::string("unknown") : type) + " host key";
    check.Key.Issuer = "none";
    check.Key.Fingerprint = Sha256Hex(blob, size);
    if (match == KnownHostMatch::Mismatch) {
        check.Expected = FingerprintOfBase64(knownBase64);
        if (check.Expected.empty()) check.Expected = "another key";
        check.Reason = "known_hosts lists another key for this host";
    } else if (!check.Pinned.empty() && check.Key.Fingerprint != check.Pinned) {
        check.Expected = check.Pinned;
        check.Reason = "the key is not the trusted one";
    } else if (match == KnownHostMatch::Listed || !check.Pinned.empty()) {
        return true;
    } else {
        check.Reason = "the key is neither in known_hosts nor trusted";
    }
    check.Refused = true;
    return false;
}

std::string UserKnownHostsFile() {
    std::string home;
    if (const char* env = std::getenv("HOME"); env && *env) {
        home = env;
    } else if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir) {
        home = entry->pw_dir;
    }
    const std::string file = home + "/.ssh/known_hosts";
    struct stat info {};
    if (!home.empty() && ::stat(file.c_str(), &info) == 0 && S_ISREG(info.st_mode)) return file;
    return "/dev/null";
}

std::string HostKeyUntrustedMessage(const std::string& host, const TlsCertificate& key,
                                    const std::string& expected, const std::string& reason) {
    if (!expected.empty())
        return "The host key of " + host + " has changed: expected SHA-256 fingerprint " +
               expected + ", got " + key.Fingerprint + " (" + key.Subject + "; " + reason + ")";
    return "The host key of " + host + " is not known: SHA-256 fingerprint " + key.Fingerprint +
           " (" + key.Subject + "; " + reason + ")";
}

} // namespace pw
