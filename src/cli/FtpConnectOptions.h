#pragma once
// What every ftp command of pagewright-cli takes for its connection: the mode
// (--passive, the default, or --active) and --timeout SECONDS.
#include "cli/CliSupport.h"

#include <optional>

namespace pw {
class TSimpleFTP;
}

struct FtpConnectOptions {
    bool passive = true;
    std::optional<unsigned> timeoutMs;
};

// Throws CliError for a mode given twice or a time-out that is not a number of seconds.
FtpConnectOptions ReadFtpConnectOptions(const Options& options);
void ApplyFtpConnectOptions(const FtpConnectOptions& options, pw::TSimpleFTP& ftp);
