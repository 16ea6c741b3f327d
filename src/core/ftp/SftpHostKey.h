#pragma once
// The trust decision on an SSH server's host key, made in libcurl's host key callback after
// the key exchange and before the login: the server gets no user name or password unless
// its key is trusted. The user's ~/.ssh/known_hosts is read (never written) and a fingerprint
// may be pinned, as for TLS certificates:
//  - a key that known_hosts lists under another key for the host is refused (changed key);
//  - a pinned fingerprint that the key does not have is refused (changed key);
//  - otherwise a key that known_hosts vouches for, or that has the pinned fingerprint, is
//    accepted, and any other key is refused as unknown.
// The key is described in the shape of a TLS certificate so that callers have one flow:
// Subject "ssh-ed25519 host key", Issuer "none", Fingerprint the SHA-256 of the key blob in
// the "AB:CD:..." form that NormalizeFingerprint gives.
#include "core/ftp/CertificateTrust.h"

#include <cstddef>
#include <string>

namespace pw {

// What known_hosts says of the key, in the order of libcurl's curl_khmatch.
enum class KnownHostMatch { Listed = 0, Mismatch = 1, Missing = 2 };

struct HostKeyCheck {
    std::string Pinned;     // normalized fingerprint; empty: none
    std::string KnownHosts; // the file libcurl reads known hosts from

    // Filled by the check (of the running request: the component clears the flags).
    bool Seen = false;
    bool Refused = false;
    std::string Expected; // the fingerprint the key should have had; empty: none was known
    std::string Reason;   // why the key was refused
    TlsCertificate Key;

    void Reset(std::string pinned, std::string knownHosts) {
        *this = HostKeyCheck();
        Pinned = std::move(pinned);
        KnownHosts = std::move(knownHosts);
    }
};

// Records the server's key blob (`size` bytes) and decides on it; `knownBase64` is the key
// known_hosts lists for the host when `match` is Listed or Mismatch. True: accept.
bool DecideHostKey(HostKeyCheck& check, const unsigned char* blob, size_t size,
                   KnownHostMatch match, const std::string& knownBase64);

// "AB:CD:..." of the SHA-256 of `size` bytes.
std::string Sha256Hex(const unsigned char* data, size_t size);

// The user's ~/.ssh/known_hosts ($HOME, else the password database) when it exists, else
// "/dev/null" (libcurl consults the callback only when it has a file to read).
std::string UserKnownHostsFile();

// "The host key of HOST is not known: ..." or "The host key of HOST has changed: expected X,
// got Y ..." for a refused key; `expected` as HostKeyCheck::Expected.
std::string HostKeyUntrustedMessage(const std::string& host, const TlsCertificate& key,
                                    const std::string& expected, const std::string& reason);

} // namespace pw
