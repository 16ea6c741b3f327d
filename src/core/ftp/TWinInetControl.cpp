#include "core/ftp/TWinInetControl.h"

#include "core/ftp/FtpErrors.h"
#include "core/ftp/FtpPaths.h"

#include <curl/curl.h>

#include <algorithm>
#include <arpa/inet.h>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace pw {

namespace {
constexpr long kBufferSize = 512 * 1024;
// How long closing a connection waits for the server's answer to QUIT.
constexpr int kQuitReplyMilliseconds = 2000;

// Sends QUIT on a control connection and waits a little for the reply (which is not needed).
void SayQuit(int fd) {
    static constexpr char kQuit[] = "QUIT\r\n";
    if (::send(fd, kQuit, sizeof kQuit - 1, MSG_NOSIGNAL) != ssize_t(sizeof kQuit - 1)) return;
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(kQuitReplyMilliseconds);
    char buffer[512];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0) return;
        pollfd p{fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, int(left));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return;
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
        // The reply's last line ends the wait, as does a closed or broken connection.
        if (n <= 0 || std::memchr(buffer, '\n', size_t(n))) return;
    }
}

int SockaddrPort(const sockaddr* addr) {
    if (addr->sa_family == AF_INET)
        return ntohs(reinterpret_cast<const sockaddr_in*>(addr)->sin_port);
    if (addr->sa_family == AF_INET6)
        return ntohs(reinterpret_cast<const sockaddr_in6*>(addr)->sin6_port);
    return -1;
}

std::once_flag g_curlInit;
} // namespace

// libcurl's callbacks, routed to the component that made the request.
struct CurlCallbacks {
    static size_t Header(char* data, size_t size, size_t count, void* user) {
        auto* control = static_cast<TWinInetControl*>(user);
        control->HeaderLine(data, size * count);
        return size * count;
    }

    static int TransferInfo(void* user, curl_off_t downloadTotal, curl_off_t downloaded,
                            curl_off_t uploadTotal, curl_off_t uploaded) {
        auto* control = static_cast<TWinInetControl*>(user);
        if (control->m_abort.load()) return 1;
        const bool complete = (uploadTotal > 0 && uploaded >= uploadTotal) ||
                              (downloadTotal > 0 && downloaded >= downloadTotal);
        return control->Stalled(downloaded + uploaded, complete) ? 1 : 0;
    }

    static curl_socket_t OpenSocket(void* user, curlsocktype purpose, curl_sockaddr* address) {
        auto* control = static_cast<TWinInetControl*>(user);
        if (control->m_abort.load()) return CURL_SOCKET_BAD;
        if (purpose == CURLSOCKTYPE_IPCXN && !control->m_allowNewConnection &&
            control->m_resolveNames == rnLocal &&
            SockaddrPort(&address->addr) == control->m_controlPort) {
            // The control connection was lost: a silent new login would start in another
            // folder, so the operation fails and the component reports the disconnect.
            return CURL_SOCKET_BAD;
        }
        if (control->m_allowNewConnection && !control->m_resolvedReported) {
            control->m_resolvedReported = true;
            control->StatusNotify(INTERNET_STATUS_NAME_RESOLVED, 0);
            control->StatusNotify(INTERNET_STATUS_CONNECTING_TO_SERVER, 0);
        }
        const int fd =
            ::socket(address->family, address->socktype | SOCK_CLOEXEC, address->protocol);
        if (fd < 0) return CURL_SOCKET_BAD;
        std::lock_guard lock(control->m_socketMutex);
        control->m_sockets.push_back(fd);
        return fd;
    }

    static CURLcode SslContext(CURL*, void* sslCtx, void* user) {
        auto* control = static_cast<TWinInetControl*>(user);
        InstallTlsTrustCheck(sslCtx, &control->m_trust);
        return CURLE_OK;
    }

    // The SSH host key, after the key exchange and before the login.
    static int HostKey(CURL*, const curl_khkey* known, const curl_khkey* found, curl_khmatch match,
                       void* user) {
        auto* control = static_cast<TWinInetControl*>(user);
        if (!found || !found->key || found->len == 0) return CURLKHSTAT_REJECT;
        const KnownHostMatch listed = match == CURLKHMATCH_OK         ? KnownHostMatch::Listed
                                      : match == CURLKHMATCH_MISMATCH ? KnownHostMatch::Mismatch
                                                                      : KnownHostMatch::Missing;
        // libcurl gives the known key as base64 text (len 0).
        const std::string knownText =
            known && known->key
                ? std::string(known->key, known->len ? known->len : std::strlen(known->key))
                : std::string();
        return DecideHostKey(control->m_hostKey, reinterpret_cast<const unsigned char*>(found->key),
                             found->len, listed, knownText)
                   ? CURLKHSTAT_FINE
                   : CURLKHSTAT_REJECT;
    }

    static int CloseSocket(void* user, curl_socket_t fd) {
        auto* control = static_cast<TWinInetControl*>(user);
        control->m_dataFlowing = false; // the data connection has ended (or never began)
        std::lock_guard lock(control->m_socketMutex);
        auto& sockets = control->m_sockets;
        sockets.erase(std::remove(sockets.begin(), sockets.end(), fd), sockets.end());
        return ::close(fd);
    }
};

TWinInetControl::TWinInetControl() {
    std::call_once(g_curlInit, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

TWinInetControl::~TWinInetControl() {
    m_destroying = true;
    TWinInetControl::Disconnect();
}

void TWinInetControl::SetConnectTimeout(unsigned milliseconds) {
    m_connectTimeout = milliseconds == 0 ? 300000 : milliseconds;
}

void TWinInetControl::SetEnableCache(bool enable) {
    if (enable)
        m_requestFlags &= ~INTERNET_FLAG_RELOAD;
    else
        m_requestFlags |= INTERNET_FLAG_RELOAD;
}

void TWinInetControl::SetResolveNames(TResolveNames value) {
    m_resolveNames = value;
    m_accessType = value == rnLocal       ? INTERNET_OPEN_TYPE_DIRECT
                   : value == rnPreConfig ? INTERNET_OPEN_TYPE_PRECONFIG
                                          : INTERNET_OPEN_TYPE_PROXY;
}

std::string TWinInetControl::StateText(TWinInetState state) const {
    switch (state) {
    case wisClosing:
        return FormatMessage("Disconnecting from %s", HostName);
    case wisClosed:
        return "No connection";
    case wisConnecting:
        return FormatMessage("Connecting to %s", HostName);
    case wisConnected:
        return FormatMessage("Connected to %s", HostName);
    case wisResolving:
        return FormatMessage("Resolving name %s", HostName);
    case wisResolved:
        return FormatMessage("Resolved name %s", HostName);
    }
    return "Unknown state!  Contact support ...";
}

bool TWinInetControl::SetState(TWinInetState newState) {
    if (m_state.load() == newState) return false;
    m_state = newState;
    if (OnStateChange) OnStateChange(*this, newState);
    if (QuickProgress && QuickStatus) {
        const std::string text = StateText(newState);
        if (QuickStatus->SimplePanel())
            QuickStatus->SetSimpleText(text);
        else
            QuickStatus->SetPanelText(0, text);
    }
    return true;
}

void TWinInetControl::SetProtocol(FtpProtocol protocol) {
    const FtpProtocol old = m_protocol.exchange(protocol);
    const int port = Port;
    if (port <= 0 || port >= 65536 || unsigned(port) == pw::DefaultPort(old))
        Port = int(pw::DefaultPort(protocol));
}

void TWinInetControl::SetTrustedFingerprint(std::string fingerprint) {
    const std::string normalized = NormalizeFingerprint(fingerprint);
    // Text that is no fingerprint pins one that no certificate has, rather than none.
    m_trustedFingerprint = normalized.empty() && !fingerprint.empty() ? fingerprint : normalized;
}

TlsCertificate TWinInetControl::PeerCertificate() const {
    std::lock_guard lock(m_certificateMutex);
    return m_peerCertificate;
}

void TWinInetControl::RaiseCertificateError() {
    SetState(wisClosed);
    if (SilentExceptions) return;
    const TlsCertificate certificate = PeerCertificate();
    if (m_connectProtocol == FtpProtocol::Sftp)
        throw ECertificateUntrusted(
            HostKeyUntrustedMessage(HostName, certificate, m_hostKey.Expected, m_hostKey.Reason),
            certificate, m_hostKey.Reason, m_hostKey.Expected);
    throw ECertificateUntrusted(
        CertificateUntrustedMessage(HostName, certificate, m_trust.Reason, m_trust.Pinned),
        certificate, m_trust.Reason, m_trust.Pinned);
}

bool TWinInetControl::Connect() {
    if (State() == wisConnected) return true;
    if (!m_session) {
        // A new connection: it speaks the protocol and trusts the pin set by now.
        m_connectProtocol = m_protocol.load();
        m_scheme = m_connectProtocol == FtpProtocol::FtpImplicitTls ? "ftps"
                   : m_connectProtocol == FtpProtocol::Sftp         ? "sftp"
                                                                    : "ftp";
        m_trust.Reset(m_trustedFingerprint);
        m_connectKeyFile = m_keyFile;
        if (m_connectProtocol == FtpProtocol::Sftp)
            m_hostKey.Reset(NormalizeFingerprint(m_trustedFingerprint), UserKnownHostsFile());
        m_certificateRefused = false;
        std::lock_guard lock(m_certificateMutex);
        m_peerCertificate = TlsCertificate();
    }
    EnsureSession();
    return false;
}

bool TWinInetControl::Disconnect() {
    CloseSession();
    if (m_destroying) return true;
    if (SetState(wisClosed) && OnDisconnected) OnDisconnected(*this);
    return true;
}

void TWinInetControl::Abort() {
    if (m_operationThread.load() == std::this_thread::get_id()) {
        // Called from an event of the running operation: it stops at its next step. Inside a
        // request, the request fails and the operation then drops the connection; between
        // requests (a listing's entries, OnConnected, ...) nothing else holds the handle.
        m_abort = true;
        if (!m_inPerform.load()) Disconnect();
        return;
    }
    ++m_abortWaiters;
    m_abort = true;
    ShutdownSockets();
    // Polls rather than a timed lock: the running operation gives up within a fraction of a
    // second, and a plain try-lock is a lock that thread checkers can follow.
    std::unique_lock lock(m_operationMutex, std::defer_lock);
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!lock.try_lock() && std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        ShutdownSockets(); // a data connection opened since is cut as well
    }
    if (lock.owns_lock()) {
        Disconnect();
        m_abort = false;
    }
    --m_abortWaiters;
}

void TWinInetControl::ShutdownSockets() {
    std::lock_guard lock(m_socketMutex);
    for (int fd : m_sockets)
        ::shutdown(fd, SHUT_RDWR);
}

void TWinInetControl::RaiseConnectError(unsigned code) {
    SetState(wisClosed);
    if (!SilentExceptions) throw EWinInetError(ConnectErrorMessage(code, HostName, UserName));
}

void TWinInetControl::StatusNotify(unsigned status, int64_t) {
    switch (status) {
    case INTERNET_STATUS_RESOLVING_NAME:
        SetState(wisResolving);
        break;
    case INTERNET_STATUS_NAME_RESOLVED:
        SetState(wisResolved);
        break;
    case INTERNET_STATUS_CONNECTING_TO_SERVER:
        SetState(wisConnecting);
        break;
    case INTERNET_STATUS_CONNECTED_TO_SERVER:
        SetState(wisConnected);
        break;
    case INTERNET_STATUS_CLOSING_CONNECTION:
        SetState(wisClosing);
        break;
    case INTERNET_STATUS_CONNECTION_CLOSED:
        SetState(wisClosed);
        break;
    default:
        break;
    }
}

std::string TWinInetControl::LastResponseText() const {
    return m_lastResponse.empty() ? FtpText::NoErrorDescription : m_lastResponse;
}

TWinInetControl::OperationScope::OperationScope(TWinInetControl& control)
    : m_control(control), m_lock(control.m_operationMutex) {
    ++m_control.m_operationDepth;
    m_control.m_operationThread = std::this_thread::get_id();
}

TWinInetControl::OperationScope::~OperationScope() {
    if (--m_control.m_operationDepth == 0) {
        m_control.m_operationThread = std::thread::id();
        // An abort that gave up waiting has done its work once the operation has ended.
        if (m_control.m_abortWaiters.load() == 0) m_control.m_abort = false;
    }
}

bool TWinInetControl::EnsureSession() {
    if (!m_session) m_session = curl_easy_init();
    return m_session != nullptr;
}

void TWinInetControl::CloseSession() {
    if (!m_session) return;
    CURL* session = m_session;
    m_session = nullptr;
    m_passiveRefused = false; // the next connection tries passive mode again
    // libcurl's cleanup says QUIT and waits for the answer as long as the connect time-out
    // (it took that from the last request, and nothing set now reaches it). A server that
    // never answers must not hold the caller, possibly the GUI thread, for minutes: QUIT is
    // said here with a short wait, then the sockets are shut so that the cleanup's own QUIT
    // fails at once.
    // An SSH connection has no QUIT: shutting its socket ends it.
    curl_socket_t control = CURL_SOCKET_BAD;
    if (m_connectProtocol != FtpProtocol::Sftp &&
        curl_easy_getinfo(session, CURLINFO_ACTIVESOCKET, &control) == CURLE_OK &&
        control != CURL_SOCKET_BAD)
        SayQuit(control);
    ShutdownSockets();
    curl_easy_cleanup(session);
    std::lock_guard lock(m_socketMutex);
    m_sockets.clear();
}

int TWinInetControl::DefaultPort() const {
    const int port = Port;
    return port > 0 && port < 65536 ? port : int(pw::DefaultPort(m_connectProtocol));
}

std::string TWinInetControl::BaseUrl() const {
    return ServerUrl(m_scheme, SplitHostPort(HostName, DefaultPort()));
}

bool TWinInetControl::InPerformOnThisThread() const {
    return m_inPerform.load() && m_operationThread.load() == std::this_thread::get_id();
}

void TWinInetControl::PrepareRequest(const std::string& url) {
    CURL* h = m_session;
    curl_easy_reset(h);
    curl_easy_setopt(h, CURLOPT_URL, url.c_str());
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, m_scheme.c_str());
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    // Paths reach the server as given: without this libcurl would squash "a/../b" to "b" and
    // so address another file than the one named (with NOCWD the server resolves "..").
    curl_easy_setopt(h, CURLOPT_PATH_AS_IS, 1L);
    // PW_FTP_TRACE=1 in the environment shows the conversation with the server on stderr.
    if (std::getenv("PW_FTP_TRACE")) curl_easy_setopt(h, CURLOPT_VERBOSE, 1L);
    m_errorBuffer[0] = '\0';
    m_lastError.clear();
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, m_errorBuffer);
    // libcurl copies the texts it is given.
    if (const std::string user = UserName; !user.empty()) {
        curl_easy_setopt(h, CURLOPT_USERNAME, user.c_str());
        curl_easy_setopt(h, CURLOPT_PASSWORD, Password.get().c_str());
    }
    curl_easy_setopt(h, CURLOPT_FTP_FILEMETHOD, (long)CURLFTPMETHOD_NOCWD);
    if (m_connectProtocol == FtpProtocol::Sftp) PrepareSftp(h);

    const bool tls = m_connectProtocol == FtpProtocol::FtpExplicitTls ||
                     m_connectProtocol == FtpProtocol::FtpImplicitTls;
    if (tls) {
        // Explicit TLS: AUTH TLS before the login, PROT P for the data (libcurl gives up
        // rather than going on in clear text). The data connections resume the control
        // connection's TLS session, as servers may require.
        curl_easy_setopt(h, CURLOPT_USE_SSL, (long)CURLUSESSL_ALL);
        curl_easy_setopt(h, CURLOPT_FTPSSLAUTH, (long)CURLFTPAUTH_TLS);
        // The decision on the certificate is the trust check's (TlsTrust.h): the store's
        // verdict when no fingerprint is pinned (libcurl then checks the host name after the
        // handshake, before the login), the pin alone when one is.
        curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 1L);
        curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, m_trust.Pinned.empty() ? 2L : 0L);
        // The store is read once per connection and kept between requests only when it is
        // one bundle file (no folder); with a pin it is not needed at all. Each TLS data
        // connection would otherwise parse the whole bundle again.
        curl_easy_setopt(h, CURLOPT_CAPATH, nullptr);
        if (!m_trust.Pinned.empty()) curl_easy_setopt(h, CURLOPT_CAINFO, nullptr);
        // libcurl 7.88 makes a data connection's TLS handshake before it goes on with the
        // control connection, and meanwhile watches the data socket alone. A server answers
        // that handshake only after the transfer's command, which libcurl sends once its poll
        // ends: at the happy-eyeballs timer (there is one address, nothing to race) or after a
        // second. The short timer makes that wait a few milliseconds.
        if (ControlConnectionAlive()) curl_easy_setopt(h, CURLOPT_HAPPY_EYEBALLS_TIMEOUT_MS, 5L);
        curl_easy_setopt(h, CURLOPT_SSL_CTX_FUNCTION, &CurlCallbacks::SslContext);
        curl_easy_setopt(h, CURLOPT_SSL_CTX_DATA, this);
    }

    // Passive unless asked for active, or the server refused passive on this connection. With
    // FTPPORT unset libcurl asks EPSV, then PASV; with "-" it asks EPRT, then PORT.
    // Over TLS always passive: libcurl 7.88 accepts the server's data connection in active
    // mode but never starts TLS on it, so the transfer would only stall.
    m_requestPassive = ((m_connectFlags & INTERNET_FLAG_PASSIVE) && !m_passiveRefused) || tls;
    if (!m_requestPassive) curl_easy_setopt(h, CURLOPT_FTPPORT, "-");

    // The time-out bounds every wait: the connection and the login (the connect time-out runs
    // until the request is under way, so a server that accepts and never greets fails in it),
    // each reply, the server's connection in active mode, and a transfer that stops (see
    // Stalled). Options in whole seconds get the time-out rounded up: never shorter.
    m_stallMilliseconds = m_connectTimeout;
    const long timeoutSeconds = long((uint64_t(m_connectTimeout) + 999) / 1000);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, long(m_connectTimeout));
    curl_easy_setopt(h, CURLOPT_SERVER_RESPONSE_TIMEOUT, timeoutSeconds);
    curl_easy_setopt(h, CURLOPT_ACCEPTTIMEOUT_MS, long(m_connectTimeout));
    // libcurl's own check covers a data connection that never sends its first byte: its speed
    // is an average over the last seconds, so once bytes have flowed it notices a stop only
    // seconds late, and Stalled does that part.
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, timeoutSeconds);
    curl_easy_setopt(h, CURLOPT_TCP_KEEPALIVE, 1L);
    curl_easy_setopt(h, CURLOPT_BUFFERSIZE, kBufferSize);
    curl_easy_setopt(h, CURLOPT_UPLOAD_BUFFERSIZE, kBufferSize);

    if (m_resolveNames == rnLocal) {
        curl_easy_setopt(h, CURLOPT_PROXY, "");
    } else if (m_resolveNames == rnProxy) {
        curl_easy_setopt(h, CURLOPT_PROXY, ProxyName.get().c_str());
        curl_easy_setopt(h, CURLOPT_HTTPPROXYTUNNEL, 1L);
    }
    if (m_resolveNames != rnLocal && !ProxyBypassList.empty()) {
        std::string bypass;
        for (const auto& host : ProxyBypassList)
            bypass += (bypass.empty() ? "" : ",") + host;
        curl_easy_setopt(h, CURLOPT_NOPROXY, bypass.c_str());
    }

    curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, &CurlCallbacks::Header);
    curl_easy_setopt(h, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &CurlCallbacks::TransferInfo);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, this);
    curl_easy_setopt(h, CURLOPT_OPENSOCKETFUNCTION, &CurlCallbacks::OpenSocket);
    curl_easy_setopt(h, CURLOPT_OPENSOCKETDATA, this);
    curl_easy_setopt(h, CURLOPT_CLOSESOCKETFUNCTION, &CurlCallbacks::CloseSocket);
    curl_easy_setopt(h, CURLOPT_CLOSESOCKETDATA, this);
}

void TWinInetControl::PrepareSftp(CURL* h) {
    // A key file logs in with that key alone: its passphrase must never reach the server as
    // a password. Without one, password or keyboard-interactive login (never the default
    // keys of ~/.ssh or an agent: the user did not choose them).
    if (!m_connectKeyFile.empty()) {
        curl_easy_setopt(h, CURLOPT_SSH_AUTH_TYPES, long(CURLSSH_AUTH_PUBLICKEY));
        curl_easy_setopt(h, CURLOPT_SSH_PRIVATE_KEYFILE, m_connectKeyFile.c_str());
        curl_easy_setopt(h, CURLOPT_KEYPASSWD, Password.get().c_str());
    } else {
        curl_easy_setopt(h, CURLOPT_SSH_AUTH_TYPES,
                         long(CURLSSH_AUTH_PASSWORD | CURLSSH_AUTH_KEYBOARD));
    }
    // The callback decides on every key (see SftpHostKey.h); libcurl calls it only when it
    // has a known hosts file, and writes to that file only when the callback asks it to.
    curl_easy_setopt(h, CURLOPT_SSH_KNOWNHOSTS, m_hostKey.KnownHosts.c_str());
    curl_easy_setopt(h, CURLOPT_SSH_KEYFUNCTION, &CurlCallbacks::HostKey);
    curl_easy_setopt(h, CURLOPT_SSH_KEYDATA, this);
}

int TWinInetControl::Perform(bool allowNewConnection) {
    int code = PerformOnce(allowNewConnection);
    // A server that refuses EPSV and PASV (libcurl then gives up on the reply to PASV, and
    // keeps the connection) gets the request again in active mode, and active mode for the
    // rest of the connection (not over TLS, see PrepareRequest).
    if (code == CURLE_FTP_WEIRD_PASV_REPLY && m_requestPassive && !m_abort.load() &&
        m_connectProtocol == FtpProtocol::Ftp && ControlConnectionAlive()) {
        m_passiveRefused = true;
        m_requestPassive = false;
        curl_easy_setopt(m_session, CURLOPT_FTPPORT, "-");
        code = PerformOnce(allowNewConnection);
    }
    return code;
}

int TWinInetControl::PerformOnce(bool allowNewConnection) {
    if (m_abort.load()) return CURLE_ABORTED_BY_CALLBACK;
    m_replies.clear();
    m_partialReply.clear();
    m_allowNewConnection = allowNewConnection;
    m_resolvedReported = false;
    m_controlPort = SplitHostPort(HostName, DefaultPort()).Port;
    m_dataFlowing = false;
    m_stalled = false;
    m_bytesSeen = 0;
    m_inPerform = true;
    m_trust.Seen = m_trust.Refused = false; // this request's handshakes
    m_hostKey.Seen = m_hostKey.Refused = false;
    const CURLcode code = curl_easy_perform(m_session);
    m_inPerform = false;
    m_lastError = code == CURLE_OK ? std::string() : std::string(m_errorBuffer);
    if (m_hostKey.Seen) {
        // A new SSH connection (a reused one shows no key again).
        std::lock_guard lock(m_certificateMutex);
        m_peerCertificate = m_hostKey.Key;
        m_certificateRefused = code != CURLE_OK && m_hostKey.Refused;
    } else if (m_connectProtocol != FtpProtocol::Sftp) {
        if (m_trust.Seen) {
            std::lock_guard lock(m_certificateMutex);
            m_peerCertificate = m_trust.Leaf;
        }
        // Refused inside the handshake, or (no pin) the host name did not match after it.
        m_certificateRefused =
            code != CURLE_OK && m_trust.Seen &&
            (m_trust.Refused || (code == CURLE_PEER_FAILED_VERIFICATION && m_trust.Pinned.empty()));
        if (m_certificateRefused && !m_trust.Refused)
            m_trust.Reason = "the host name does not match";
    } else {
        m_certificateRefused = false;
    }
    m_allowNewConnection = false;
    // An abort asked during the request's last callback must not be lost to its success.
    if (code == CURLE_OK && m_abort.load()) return CURLE_ABORTED_BY_CALLBACK;
    if (code == CURLE_ABORTED_BY_CALLBACK && m_stalled && !m_abort.load())
        return CURLE_OPERATION_TIMEDOUT;
    return code;
}

bool TWinInetControl::Stalled(int64_t bytes, bool complete) {
    const auto now = std::chrono::steady_clock::now();
    if (bytes != m_bytesSeen) {
        m_bytesSeen = bytes;
        m_lastData = now;
        m_dataFlowing = true;
    }
    // Once all the data has gone, the wait for the server's confirmation is libcurl's (it
    // allows a minute: a server may take its time to store a large upload).
    if (complete) m_dataFlowing = false;
    if (!m_dataFlowing || now - m_lastData < std::chrono::milliseconds(m_stallMilliseconds))
        return false;
    m_stalled = true;
    return true;
}

bool TWinInetControl::ControlConnectionAlive() const {
    if (!m_session) return false;
    curl_socket_t socket = CURL_SOCKET_BAD;
    if (curl_easy_getinfo(m_session, CURLINFO_ACTIVESOCKET, &socket) != CURLE_OK) return false;
    return socket != CURL_SOCKET_BAD;
}

// When a server answers EPSV or PASV at once (on loopback or a near network), libcurl 7.88
// reads the answer in the same step that sent the command, and then goes back to its poll
// before it opens the data connection, with no socket to wait on yet: the poll sits out its
// whole second. Pausing and resuming the transfer here makes libcurl run it again at once.
void TWinInetControl::WakeAfterPassiveReply() {
    curl_easy_pause(m_session, CURLPAUSE_RECV);
    curl_easy_pause(m_session, CURLPAUSE_CONT);
}

void TWinInetControl::HeaderLine(const char* data, size_t size) {
    std::string line(data, size);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.pop_back();
    // The last line of a reply is "NNN text"; earlier lines are "NNN-text" or free text.
    const bool final = line.size() >= 3 && std::isdigit((unsigned char)line[0]) &&
                       std::isdigit((unsigned char)line[1]) &&
                       std::isdigit((unsigned char)line[2]) && (line.size() == 3 || line[3] == ' ');
    // A hostile server cannot grow a reply without bound.
    if (m_partialReply.size() < 65536) {
        if (!m_partialReply.empty()) m_partialReply += '\n';
        m_partialReply += line.substr(0, 65536);
    }
    if (final) {
        Reply reply;
        reply.Code = std::stoi(line.substr(0, 3));
        if (reply.Code == 227 || reply.Code == 229) WakeAfterPassiveReply();
        reply.Text = std::move(m_partialReply);
        m_partialReply.clear();
        m_lastResponse = reply.Text;
        m_replies.push_back(std::move(reply));
    }
    StatusNotify(INTERNET_STATUS_RESPONSE_RECEIVED, int64_t(size));
}

} // namespace pw
