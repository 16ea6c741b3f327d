#include "core/ftp/TlsTrust.h"

#include <openssl/asn1.h>
#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <openssl/x509_vfy.h>

#include <cctype>
#include <memory>

namespace pw {

namespace {
struct BioFree {
    void operator()(BIO* bio) const { BIO_free(bio); }
};

std::string BioText(BIO* bio) {
    char* data = nullptr;
    const long size = BIO_get_mem_data(bio, &data);
    return size > 0 && data ? std::string(data, size_t(size)) : std::string();
}

std::string NameText(const X509_NAME* name) {
    std::unique_ptr<BIO, BioFree> bio(BIO_new(BIO_s_mem()));
    if (!bio || !name) return {};
    X509_NAME_print_ex(bio.get(), name, 0, XN_FLAG_RFC2253 & ~ASN1_STRFLGS_ESC_MSB);
    return BioText(bio.get());
}

std::string TimeText(const ASN1_TIME* time) {
    std::unique_ptr<BIO, BioFree> bio(BIO_new(BIO_s_mem()));
    if (!bio || !time) return {};
    ASN1_TIME_print(bio.get(), time);
    return BioText(bio.get());
}

std::string Sha256Fingerprint(const X509* certificate) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    if (!X509_digest(certificate, EVP_sha256(), digest, &size)) return {};
    return ColonHex(digest, size);
}

TlsCertificate Describe(const X509* certificate) {
    TlsCertificate out;
    out.Subject = NameText(X509_get_subject_name(certificate));
    out.Issuer = NameText(X509_get_issuer_name(certificate));
    out.NotBefore = TimeText(X509_get0_notBefore(certificate));
    out.NotAfter = TimeText(X509_get0_notAfter(certificate));
    out.Fingerprint = Sha256Fingerprint(certificate);
    return out;
}

// Replaces OpenSSL's chain verification for the handshakes of one context: returns 1 to go on
// with the handshake, 0 to stop it with an alert.
int VerifyCertificate(X509_STORE_CTX* store, void* arg) {
    auto* check = static_cast<TlsTrustCheck*>(arg);
    X509* leaf = X509_STORE_CTX_get0_cert(store);
    if (!leaf) {
        check->Refused = true;
        check->Reason = "the server presented no certificate";
        return 0;
    }
    check->Seen = true;
    check->Leaf = Describe(leaf);
    if (!check->Pinned.empty()) {
        if (check->Leaf.Fingerprint == check->Pinned) return 1;
        check->Refused = true;
        X509_STORE_CTX_set_error(store, X509_V_ERR_APPLICATION_VERIFICATION);
        return 0;
    }
    if (X509_verify_cert(store) == 1) return 1;
    check->Refused = true;
    check->Reason = X509_verify_cert_error_string(X509_STORE_CTX_get_error(store));
    return 0;
}
} // namespace

void InstallTlsTrustCheck(void* sslCtx, TlsTrustCheck* check) {
    auto* context = static_cast<SSL_CTX*>(sslCtx);
    SSL_CTX_set_verify(context, SSL_VERIFY_PEER, nullptr);
    SSL_CTX_set_cert_verify_callback(context, &VerifyCertificate, check);
}

std::string ColonHex(const unsigned char* bytes, size_t size) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string text;
    for (size_t i = 0; i < size; ++i) {
        if (i) text += ':';
        text += kHex[bytes[i] >> 4];
        text += kHex[bytes[i] & 15];
    }
    return text;
}

std::string NormalizeFingerprint(const std::string& text) {
    std::string rest = text;
    if (const size_t equals = rest.find('='); equals != std::string::npos)
        rest = rest.substr(equals + 1);
    std::string digits;
    for (char c : rest) {
        if (std::isxdigit((unsigned char)c))
            digits += char(std::toupper((unsigned char)c));
        else if (c != ':' && c != ' ' && c != '\t' && c != '\r' && c != '\n')
            return {};
    }
    if (digits.empty() || digits.size() % 2) return {};
    std::string out;
    for (size_t i = 0; i < digits.size(); i += 2) {
        if (i) out += ':';
        out += digits.substr(i, 2);
    }
    return out;
}

std::string CertificateUntrustedMessage(const std::string& host, const TlsCertificate& certificate,
                                        const std::string& reason, const std::string& pinned) {
    const std::string details = "subject " + certificate.Subject + ", issuer " +
                                certificate.Issuer + ", valid from " + certificate.NotBefore +
                                " to " + certificate.NotAfter;
    if (!pinned.empty())
        return "The certificate of " + host + " is not the trusted one: expected SHA-256 " +
               "fingerprint " + pinned + ", the server presented " + certificate.Fingerprint +
               " (" + details + ")";
    return "The certificate of " + host + " is not trusted (" +
           (reason.empty() ? std::string("not vouched for by the system's store") : reason) +
           "): SHA-256 fingerprint " + certificate.Fingerprint + ", " + details;
}

} // namespace pw
