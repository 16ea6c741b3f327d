#pragma once
// What every ftp command of pagewright-cli takes for its connection: the mode
// (--passive, the default, or --active), --timeout SECONDS and --accept-fingerprint SHA256
// (the certificate or SSH host key fingerprint to trust for this run, for FTP over TLS and
// SFTP) and --key-file PATH (SFTP: log in with that private key; a password given is its
// passphrase).
#include "cli/CliSupport.h"

#include <optional>
#include <string>

namespace pw {
class TSimpleFTP;
}

struct FtpConnectOptions {
    bool passive = true;
    std::optional<unsigned> timeoutMs;
    std::string acceptFingerprint; // empty: the system's certificate store decides
    std::string keyFile;           // empty: password login
};

// Throws CliError for a mode given twice, a time-out that is not a number of seconds or a
// fingerprint that is not hexadecimal digit pairs.
FtpConnectOptions ReadFtpConnectOptions(const Options& options);
void ApplyFtpConnectOptions(const FtpConnectOptions& options, pw::TSimpleFTP& ftp);
