#include "core/ftp/EndpointSetup.h"

#include "core/ftp/TSimpleFTP.h"

namespace pw {

void ApplyServerEndpoint(TSimpleFTP& ftp, const ServerEndpoint& endpoint) {
    if (endpoint.protocol != FtpProtocol::Ftp)
        throw EServerAddress(EServerAddress::Problem::Protocol,
                             std::string(ProtocolCaption(endpoint.protocol)) +
                                 " is not available in this version");
    // The default port goes unwritten: the host reads as the configuration and the transfer
    // list name it, and jobs find their passwords by it.
    const bool usual = endpoint.port == DefaultPort(endpoint.protocol);
    ftp.HostName = HostPortText(endpoint.host, usual ? 0 : endpoint.port);
    ftp.SetPassive(endpoint.passive);
}

} // namespace pw
