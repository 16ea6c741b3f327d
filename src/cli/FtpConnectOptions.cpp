#include "cli/FtpConnectOptions.h"

#include "core/ftp/CertificateTrust.h"
#include "core/ftp/TSimpleFTP.h"

FtpConnectOptions ReadFtpConnectOptions(const Options& options) {
    FtpConnectOptions out;
    if (options.flag("--passive") && options.flag("--active"))
        throw CliError("--passive and --active exclude each other");
    out.passive = !options.flag("--active");
    if (auto timeout = options.value("--timeout")) {
        unsigned long seconds = 0;
        size_t used = 0;
        try {
            seconds = std::stoul(*timeout, &used);
        } catch (const std::exception&) {
            used = 0;
        }
        if (used == 0 || used != timeout->size() || timeout->front() == '-')
            throw CliError("--timeout needs a number of seconds");
        if (seconds > 4000000) throw CliError("--timeout is too large");
        out.timeoutMs = unsigned(seconds * 1000);
    }
    if (auto fingerprint = options.value("--accept-fingerprint")) {
        out.acceptFingerprint = pw::NormalizeFingerprint(*fingerprint);
        if (out.acceptFingerprint.empty())
            throw CliError("--accept-fingerprint needs a SHA-256 fingerprint (AB:CD:...)");
    }
    if (auto keyFile = options.value("--key-file")) {
        if (keyFile->empty()) throw CliError("--key-file needs the path of a private key file");
        out.keyFile = *keyFile;
    }
    return out;
}

void ApplyFtpConnectOptions(const FtpConnectOptions& options, pw::TSimpleFTP& ftp) {
    ftp.SetPassive(options.passive);
    if (options.timeoutMs) ftp.SetConnectTimeout(*options.timeoutMs);
    ftp.SetTrustedFingerprint(options.acceptFingerprint);
    ftp.SetKeyFile(options.keyFile);
}
