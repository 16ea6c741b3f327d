#pragma once
// Sets up the FTP component for a server endpoint before it connects: the host and port,
// the protocol, the data connection mode and the pinned certificate or host key.
#include "core/ftp/ServerEndpoint.h"

#include <string>

namespace pw {

class TSimpleFTP;

void ApplyServerEndpoint(TSimpleFTP& ftp, const ServerEndpoint& endpoint);

// The component's HostName for `endpoint`: the host alone when the port is the protocol's
// default, so that the host reads as the configuration and the transfer list name it, and
// jobs find their passwords by it; else "host:port".
std::string EndpointHostName(const ServerEndpoint& endpoint);

} // namespace pw
