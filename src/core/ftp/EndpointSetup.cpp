#include "core/ftp/EndpointSetup.h"

#include "core/ftp/TSimpleFTP.h"

namespace pw {

std::string EndpointHostName(const ServerEndpoint& endpoint) {
    const bool usual = endpoint.port == DefaultPort(endpoint.protocol);
    return HostPortText(endpoint.host, usual ? 0 : endpoint.port);
}

void ApplyServerEndpoint(TSimpleFTP& ftp, const ServerEndpoint& endpoint) {
    ftp.HostName = EndpointHostName(endpoint);
    ftp.SetProtocol(endpoint.protocol);
    ftp.SetPassive(endpoint.passive);
    ftp.SetTrustedFingerprint(endpoint.trustedFingerprint);
    ftp.SetKeyFile(endpoint.keyFile);
}

} // namespace pw
