#pragma once
// What a TLS server showed of itself, and the connect failure that stops at a certificate
// nobody vouches for or one that is not the pinned one.
#include "core/ftp/FtpErrors.h"

#include <cstddef>
#include <string>

namespace pw {

// The server's own (leaf) certificate as the handshake presented it.
struct TlsCertificate {
    std::string Subject;     // "CN=host,O=...", RFC 2253 order
    std::string Issuer;      // same form
    std::string NotBefore;   // "Dec  8 00:57:07 2026 GMT"
    std::string NotAfter;    // same form
    std::string Fingerprint; // SHA-256, "AB:CD:...", upper-case hex
};

// The connect stopped during the TLS handshake, before the login was sent. Either the
// system's certificate store does not vouch for the certificate (and no fingerprint is
// pinned: Changed() is false, Reason() says what the store found), or a fingerprint is pinned
// and the certificate has another one (Changed() is true, Pinned() is the expected one).
class ECertificateUntrusted : public EWinInetError {
public:
    ECertificateUntrusted(const std::string& message, TlsCertificate certificate,
                          std::string reason, std::string pinned)
        : EWinInetError(message), m_certificate(std::move(certificate)),
          m_reason(std::move(reason)), m_pinned(std::move(pinned)) {}

    const TlsCertificate& Certificate() const { return m_certificate; }
    const std::string& Reason() const { return m_reason; }
    const std::string& Pinned() const { return m_pinned; }
    bool Changed() const { return !m_pinned.empty(); }

private:
    TlsCertificate m_certificate;
    std::string m_reason;
    std::string m_pinned;
};

// The message of the exception above for a server `host`.
std::string CertificateUntrustedMessage(const std::string& host, const TlsCertificate& certificate,
                                        const std::string& reason, const std::string& pinned);

// `size` bytes as upper-case hexadecimal pairs joined by ':' ("AB:CD:...").
std::string ColonHex(const unsigned char* bytes, size_t size);

// "ab:cd" / "ABCD" / "sha256 Fingerprint=AB:CD" all give "AB:CD"; text that holds anything
// other than hexadecimal digit pairs (and the separators) gives "".
std::string NormalizeFingerprint(const std::string& text);

} // namespace pw
