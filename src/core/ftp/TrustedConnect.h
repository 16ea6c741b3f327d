#pragma once
// Connecting with the user's say on a server whose certificate (FTP over TLS) or host key
// (SFTP) nobody vouches for: the connect stops before the login, the user is shown what the
// server presented and accepts it for this connection, for good, or not at all.
#include "core/ftp/CertificateTrust.h"

#include <functional>
#include <string>

namespace pw {

class TSimpleFTP;

enum class TrustAnswer {
    Refuse,
    Once,   // for the connections of this component until its server settings change
    Always, // the caller stores the fingerprint with the server's settings
};

// Asked with the host and what the server presented; called on the connecting thread.
using TrustQuestion = std::function<TrustAnswer(const std::string& host, const TlsCertificate&)>;

// Connects `ftp`. When the connect stops at a certificate or host key that is unknown (not
// a pinned one that changed: that one is refused without a question) and `ask` is given,
// asks it; an accepted one is pinned on the component and the connect runs once more.
// Returns whether the component is connected. `refusal` (may be null) receives the message
// of a certificate or host key refused without the user's say (a changed one, or one met
// with no question given); it stays empty for the others and every other failure. Other
// failures are reported as Connect reports them (thrown unless SilentExceptions).
bool ConnectTrusting(TSimpleFTP& ftp, const TrustQuestion& ask, std::string* refusal = nullptr);

} // namespace pw
