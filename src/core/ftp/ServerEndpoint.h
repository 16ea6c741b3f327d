#pragma once
// Where and how a server is reached: the protocol, host and port of a configuration record
// and its connection options, as every connect site reads them.
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

namespace pw {

class TnkDBSource;

// The values of the configuration field "Protocol", in the order the dialogs list them.
enum class FtpProtocol { Ftp = 0, FtpExplicitTls = 1, FtpImplicitTls = 2, Sftp = 3 };
inline constexpr int kFtpProtocolCount = 4;

std::optional<FtpProtocol> FtpProtocolFromNumber(int32_t number);
// 21 for FTP and FTP over explicit TLS, 990 for FTP over implicit TLS, 22 for SFTP.
unsigned DefaultPort(FtpProtocol protocol);
// The address scheme: "ftp", "ftpes", "ftps" (implicit TLS), "sftp".
const char* ProtocolScheme(FtpProtocol protocol);
// "FTP", "FTP over explicit TLS", "FTP over implicit TLS", "SFTP".
const char* ProtocolCaption(FtpProtocol protocol);

// A server address or connection setting that cannot be used; what() says why.
class EServerAddress : public std::runtime_error {
public:
    enum class Problem {
        Scheme,    // none where one is required, or one that names no known protocol
        NoHost,    // an empty host
        Host,      // not a host name or address
        Port,      // not a number from 1 to 65535
        Escape,    // a "%" not followed by two hexadecimal digits
        Character, // a line break or NUL in the login or the path
        Protocol,  // a "Protocol" value that names no known protocol
    };
    EServerAddress(Problem problem, const std::string& message)
        : std::runtime_error(message), m_problem(problem) {}
    Problem problem() const { return m_problem; }

private:
    Problem m_problem;
};

struct ServerEndpoint {
    FtpProtocol protocol = FtpProtocol::Ftp;
    std::string host; // IPv6 addresses without brackets
    unsigned port = 21;
    bool passive = true; // FTP data connections; SFTP has none
    std::string trustedFingerprint;
    bool uploadViaTemporary = true;
    std::string keyFile; // SFTP private key; empty: password login
};

// The endpoint of configuration `record` (resolved as the source resolves record indices).
// The port is the "Port" field when it holds one, else a port written into "Host"
// ("host:2121"), else the protocol's default. A field the file does not hold reads as its
// default, so a file written before these settings connects with plain FTP, passive first.
// Throws EServerAddress for a "Port" that is not a port number or an unknown "Protocol".
ServerEndpoint ReadServerEndpoint(const TnkDBSource& config, int record);

// "host" or "host:port", IPv6 addresses in brackets, as the FTP component's HostName takes
// it; port 0 gives the host alone.
std::string HostPortText(const std::string& host, unsigned port);

// A port number from 1 to 65535 written in decimal digits only, else nothing.
std::optional<unsigned> ParsePortNumber(const std::string& text);

} // namespace pw
