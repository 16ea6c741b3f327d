#pragma once
// The trust decision of a TLS handshake, made on the leaf certificate inside the handshake so
// that a refused server gets nothing more (for explicit TLS, no login). With a pinned
// fingerprint the certificate is accepted exactly when its SHA-256 fingerprint is the pin;
// without one the system's certificate store has to vouch for it (the host name is checked by
// libcurl after the handshake, still before the login).
#include "core/ftp/CertificateTrust.h"

#include <string>

namespace pw {

struct TlsTrustCheck {
    std::string Pinned; // normalized fingerprint; empty: the store decides

    // Filled by the handshakes (of the running request: the component clears the flags).
    bool Seen = false;    // a certificate was presented and recorded
    bool Refused = false; // the check refused it
    std::string Reason;   // why the store refused it
    TlsCertificate Leaf;

    void Reset(std::string pinned) {
        *this = TlsTrustCheck();
        Pinned = std::move(pinned);
    }
};

// Installs the check on libcurl's OpenSSL context (`sslCtx` is an SSL_CTX*). `check` must
// outlive the handshakes made with that context.
void InstallTlsTrustCheck(void* sslCtx, TlsTrustCheck* check);

} // namespace pw
