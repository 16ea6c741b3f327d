#include "core/ftp/ServerEndpoint.h"

#include "core/config/ConfigSchema.h"
#include "core/ftp/FtpPaths.h"
#include "core/storage/IntConvert.h"
#include "core/storage/TnkDBData.h"
#include "core/storage/TnkDBSource.h"

namespace pw {

namespace {
struct ProtocolRow {
    const char* scheme;
    const char* caption;
    unsigned port;
};

constexpr ProtocolRow kProtocols[kFtpProtocolCount] = {
    {"ftp", "FTP", 21},
    {"ftpes", "FTP over explicit TLS", 21},
    {"ftps", "FTP over implicit TLS", 990},
    {"sftp", "SFTP", 22},
};

const ProtocolRow& rowOf(FtpProtocol protocol) {
    return kProtocols[static_cast<int>(protocol)];
}

// The field's text, or its default when the file predates the field (a source without
// definitions, such as the main window's, holds only what the file has).
std::string fieldOrDefault(const TnkDBSource& config, int record, const char* name) {
    const TnkDBData* data = config.DBData();
    if (!data || config.RecordCount() == 0 || data->Table().FieldIndex(name) < 0)
        return ConfigurationDefault(name);
    return config.GetString(record, name);
}

std::string trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}
} // namespace

std::optional<FtpProtocol> FtpProtocolFromNumber(int32_t number) {
    if (number < 0 || number >= kFtpProtocolCount) return std::nullopt;
    return static_cast<FtpProtocol>(number);
}

unsigned DefaultPort(FtpProtocol protocol) {
    return rowOf(protocol).port;
}

const char* ProtocolScheme(FtpProtocol protocol) {
    return rowOf(protocol).scheme;
}

const char* ProtocolCaption(FtpProtocol protocol) {
    return rowOf(protocol).caption;
}

std::optional<unsigned> ParsePortNumber(const std::string& text) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    const size_t digits = text.find_first_not_of('0');
    if (digits == std::string::npos || text.size() - digits > 5) return std::nullopt;
    const unsigned port = static_cast<unsigned>(std::stoul(text.substr(digits)));
    if (port > 65535) return std::nullopt;
    return port;
}

std::string HostPortText(const std::string& host, unsigned port) {
    const bool v6 = host.find(':') != std::string::npos;
    std::string text = v6 ? "[" + host + "]" : host;
    if (port != 0) {
        text += ':';
        text += std::to_string(port);
    }
    return text;
}

ServerEndpoint ReadServerEndpoint(const TnkDBSource& config, int record) {
    ServerEndpoint endpoint;
    const std::string protocolText = trimmed(fieldOrDefault(config, record, "Protocol"));
    const std::optional<int32_t> number =
        protocolText.empty() ? std::optional<int32_t>(0) : TryStrToInt(protocolText);
    const std::optional<FtpProtocol> protocol =
        number ? FtpProtocolFromNumber(*number) : std::nullopt;
    if (!protocol)
        throw EServerAddress(EServerAddress::Problem::Protocol,
                             "unknown protocol \"" + protocolText + "\" in the configuration");
    endpoint.protocol = *protocol;

    const THostPort server = SplitHostPort(config.GetString(record, "Host"), 0);
    endpoint.host = server.Host;
    const std::string portText = trimmed(fieldOrDefault(config, record, "Port"));
    std::optional<unsigned> port;
    if (!portText.empty()) {
        port = ParsePortNumber(portText);
        if (!port)
            throw EServerAddress(EServerAddress::Problem::Port,
                                 "port \"" + portText +
                                     "\" in the configuration is not a number from 1 to 65535");
    }
    endpoint.port = port               ? *port
                    : server.Port != 0 ? static_cast<unsigned>(server.Port)
                                       : DefaultPort(endpoint.protocol);

    endpoint.passive = fieldOrDefault(config, record, "PassiveMode") == "TRUE";
    endpoint.trustedFingerprint = fieldOrDefault(config, record, "TrustedFingerprint");
    endpoint.uploadViaTemporary = fieldOrDefault(config, record, "UploadViaTemporary") == "TRUE";
    endpoint.keyFile = fieldOrDefault(config, record, "KeyFile");
    return endpoint;
}

} // namespace pw
