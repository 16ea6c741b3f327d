#pragma once
// Sets up the FTP component for a server endpoint before it connects: the host and port,
// the data connection mode, and the protocol.
#include "core/ftp/ServerEndpoint.h"

namespace pw {

class TSimpleFTP;

// Throws EServerAddress for a protocol this version cannot speak, so that no connection
// goes out in plain FTP when the configuration asks for another protocol.
void ApplyServerEndpoint(TSimpleFTP& ftp, const ServerEndpoint& endpoint);

} // namespace pw
