#pragma once
// The Internet session shared by the FTP components: host, login, proxy, time-out and
// retries, the connection state, the mapping of failures to messages, and an abort that
// works from another thread. The transport is one libcurl easy handle per component, so the
// control connection stays open between operations.
#include "core/ftp/QuickProgress.h"
#include "core/ftp/ServerEndpoint.h"
#include "core/ftp/SftpHostKey.h"
#include "core/ftp/TlsTrust.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

typedef void CURL;

namespace pw {

// A text property that one thread may set while another reads it (the window shows the host
// and user while a worker thread logs in): every access copies the text under a lock of its
// own. It is assigned like a std::string and reads as one.
class TSharedString {
public:
    TSharedString() = default;
    TSharedString(std::string value) : m_value(std::move(value)) {}
    TSharedString(const char* value) : m_value(value) {}
    TSharedString(const TSharedString& other) : m_value(other.get()) {}
    TSharedString& operator=(const TSharedString& other) { return *this = other.get(); }
    TSharedString& operator=(const char* value) { return *this = std::string(value); }
    TSharedString& operator=(std::string value) {
        std::lock_guard lock(m_mutex);
        m_value = std::move(value);
        return *this;
    }

    std::string get() const {
        std::lock_guard lock(m_mutex);
        return m_value;
    }
    operator std::string() const { return get(); }
    bool empty() const {
        std::lock_guard lock(m_mutex);
        return m_value.empty();
    }
    friend bool operator==(const TSharedString& a, const std::string& b) { return a.get() == b; }

private:
    mutable std::mutex m_mutex;
    std::string m_value;
};

// Connection states in their fixed order; only wisConnected counts as connected.
enum TWinInetState : uint8_t {
    wisClosing,
    wisClosed,
    wisConnecting,
    wisConnected,
    wisResolving,
    wisResolved
};

enum TResolveNames { rnLocal, rnPreConfig, rnProxy };

// Status notifications the session layer produces.
enum TInternetStatus : unsigned {
    INTERNET_STATUS_RESOLVING_NAME = 10,
    INTERNET_STATUS_NAME_RESOLVED = 11,
    INTERNET_STATUS_CONNECTING_TO_SERVER = 20,
    INTERNET_STATUS_CONNECTED_TO_SERVER = 21,
    INTERNET_STATUS_REQUEST_SENT = 31,
    INTERNET_STATUS_RESPONSE_RECEIVED = 41,
    INTERNET_STATUS_CLOSING_CONNECTION = 50,
    INTERNET_STATUS_CONNECTION_CLOSED = 51,
};

constexpr int INTERNET_OPEN_TYPE_PRECONFIG = 0;
constexpr int INTERNET_OPEN_TYPE_DIRECT = 1;
constexpr int INTERNET_OPEN_TYPE_PROXY = 3;
constexpr uint32_t INTERNET_FLAG_RELOAD = 0x80000000u;
constexpr uint32_t INTERNET_FLAG_PASSIVE = 0x08000000u;

class TWinInetControl {
public:
    TWinInetControl();
    virtual ~TWinInetControl();
    TWinInetControl(const TWinInetControl&) = delete;
    TWinInetControl& operator=(const TWinInetControl&) = delete;

    // Plain properties. The texts and flags may be read and set from any thread; the list
    // and the display objects are set before operations start.
    TSharedString HostName; // "host" or "host:port" (a port here wins over Port)
    TSharedString UserName; // empty: anonymous login
    TSharedString Password;
    std::atomic<int> Port = 0;
    TSharedString ProxyName; // used only with rnProxy
    std::vector<std::string> ProxyBypassList;
    std::atomic<bool> SilentExceptions = true;
    std::atomic<bool> QuickProgress = false;
    TQuickProgressBar* QuickProgressMajor = nullptr;
    TQuickProgressBar* QuickProgressMinor = nullptr;
    TQuickLabel* QuickLabelMajor = nullptr;
    TQuickLabel* QuickLabelMinor = nullptr;
    TQuickStatusBar* QuickStatus = nullptr;

    // Events, called on the thread that runs the operation.
    std::function<void(TWinInetControl& sender)> OnConnected;
    std::function<void(TWinInetControl& sender)> OnDisconnected;
    std::function<void(TWinInetControl& sender, TWinInetState newState)> OnStateChange;
    // One turn of the host's message loop, given on every status notification.
    std::function<void()> ProcessMessages;

    // Properties with effects.
    unsigned ConnectRetries() const { return m_connectRetries; }
    void SetConnectRetries(unsigned retries) { m_connectRetries = retries; }
    // Milliseconds; 0 is replaced by 300000.
    unsigned ConnectTimeout() const { return m_connectTimeout; }
    void SetConnectTimeout(unsigned milliseconds);
    bool EnableCache() const { return (m_requestFlags & INTERNET_FLAG_RELOAD) == 0; }
    void SetEnableCache(bool enable);
    TResolveNames ResolveNames() const { return m_resolveNames; }
    void SetResolveNames(TResolveNames value);
    int AccessType() const { return m_accessType; }
    uint32_t RequestFlags() const { return m_requestFlags; }
    uint32_t ConnectFlags() const { return m_connectFlags; }

    TWinInetState State() const { return m_state.load(); }
    std::string StateText(TWinInetState state) const;

    virtual bool Connect();
    virtual bool Disconnect();
    // Cancels a connect, listing or transfer running on another thread (it returns false at
    // once) and leaves the component disconnected. Safe to call from any thread. Waits at
    // most ten seconds for the running operation (an event handler may be what blocks it);
    // the operation still fails at its next request. From an event of the running
    // operation it stops that operation, which then returns false, and disconnects too.
    void Abort();

    // The scheme spoken on the wire: "ftp" (also for explicit TLS), "ftps" (implicit TLS) or
    // "sftp".
    const std::string& Scheme() const { return m_scheme; }

    // The protocol of the next connect. Explicit TLS secures the control connection with
    // AUTH TLS before the login and every data connection (PROT P); implicit TLS speaks TLS
    // from the first byte. A Port that holds the old protocol's default port (or none) moves
    // to the new one's. SFTP speaks SSH to the server (see SftpHostKey.h for its host key).
    FtpProtocol Protocol() const { return m_protocol.load(); }
    void SetProtocol(FtpProtocol protocol);
    // The SHA-256 fingerprint ("AB:CD:...", any case) the server's certificate (SFTP: host
    // key) must have, for the next connect; empty: the system's certificate store (SFTP:
    // ~/.ssh/known_hosts) must vouch for it.
    std::string TrustedFingerprint() const { return m_trustedFingerprint; }
    void SetTrustedFingerprint(std::string fingerprint);
    // SFTP: the private key file to log in with, for the next connect; the password is then
    // only its passphrase (for an encrypted key) and is never sent to the server. Empty:
    // password login.
    std::string KeyFile() const { return m_keyFile; }
    void SetKeyFile(std::string path) { m_keyFile = std::move(path); }
    // The certificate the server presented at the last TLS handshake, or its SSH host key
    // described the same way (empty fields when none was seen since the last connect began).
    TlsCertificate PeerCertificate() const;
    // True when the last request failed because the server's certificate or host key was
    // refused (see TlsTrust.h, SftpHostKey.h): with SilentExceptions, how a failed connect
    // tells this from the others.
    bool CertificateRefused() const { return m_certificateRefused.load(); }

protected:
    bool SetState(TWinInetState newState);
    virtual void UpdateQuickProgress() = 0;
    // Sets the state to closed; raises EWinInetError unless SilentExceptions.
    virtual void RaiseConnectError(unsigned code);
    virtual void StatusNotify(unsigned status, int64_t info);
    std::string LastResponseText() const;
    // libcurl's description of why the last request failed ("" when it gave none).
    const std::string& LastErrorText() const { return m_lastError; }
    bool IsSftp() const { return m_connectProtocol == FtpProtocol::Sftp; }
    // The key file the current connection logs in with (see SetKeyFile).
    const std::string& ConnectKeyFile() const { return m_connectKeyFile; }

    // --- the transport, for the FTP operations ---
    struct Reply {
        int Code = 0;
        std::string Text; // all lines of the reply, CR LF removed, joined by LF
    };

    // Serialises the operations of one component and remembers the thread running them,
    // so that Abort from another thread can wait for the running one to give up.
    class OperationScope {
    public:
        explicit OperationScope(TWinInetControl& control);
        ~OperationScope();

    private:
        TWinInetControl& m_control;
        std::unique_lock<std::recursive_timed_mutex> m_lock;
    };

    bool HasSession() const { return m_session != nullptr; }
    bool EnsureSession();
    void CloseSession();
    // Resets the handle's options (the connection stays) and applies the common ones.
    void PrepareRequest(const std::string& url);
    CURL* Session() const { return m_session; }
    // Runs the prepared request. New control connections are allowed only when asked. A
    // request refused passive mode runs again in active mode (see PrepareRequest). A transfer
    // whose data stops for the time-out fails with CURLE_OPERATION_TIMEDOUT.
    int Perform(bool allowNewConnection);
    bool AbortRequested() const { return m_abort.load(); }
    bool ControlConnectionAlive() const;
    const std::vector<Reply>& Replies() const { return m_replies; }
    // "ftp://host:port/" (or "ftps://", "sftp://") with the host and port to use.
    std::string BaseUrl() const;
    // Port when it is a valid port number, else the protocol's default (a port in HostName
    // wins over both).
    int DefaultPort() const;
    bool InPerformOnThisThread() const;
    // Sets the state to closed; throws the ECertificateUntrusted of the last refused
    // certificate or host key unless SilentExceptions.
    void RaiseCertificateError();
    // The protocol the current connection was opened with.
    FtpProtocol ConnectedProtocol() const { return m_connectProtocol; }
    // Unblocks every socket of the running request (from any thread).
    void ShutdownSockets();

    std::atomic<bool> m_destroying{false};
    std::atomic<uint32_t> m_connectFlags{0};

private:
    friend struct CurlCallbacks;
    int PerformOnce(bool allowNewConnection);
    void HeaderLine(const char* data, size_t size);
    void WakeAfterPassiveReply();
    void PrepareSftp(CURL* h);
    // From the progress callback, with the bytes moved so far and whether they are all: true
    // when data had begun to flow and nothing more came for the time-out (the server stopped
    // sending, or reading, in the middle of a transfer).
    bool Stalled(int64_t bytes, bool complete);

    // Set from the window's thread, read by the operation's.
    std::atomic<unsigned> m_connectRetries{3};
    std::atomic<unsigned> m_connectTimeout{300000};
    std::atomic<TResolveNames> m_resolveNames{rnLocal};
    std::atomic<int> m_accessType{INTERNET_OPEN_TYPE_DIRECT};
    std::atomic<uint32_t> m_requestFlags{INTERNET_FLAG_RELOAD};
    std::string m_scheme = "ftp";
    std::atomic<FtpProtocol> m_protocol{FtpProtocol::Ftp};
    TSharedString m_trustedFingerprint;
    TSharedString m_keyFile;
    // Taken from the three above when a connect begins.
    FtpProtocol m_connectProtocol = FtpProtocol::Ftp;
    std::string m_connectKeyFile;
    TlsTrustCheck m_trust;
    HostKeyCheck m_hostKey;
    std::atomic<bool> m_certificateRefused{false};
    mutable std::mutex m_certificateMutex;
    TlsCertificate m_peerCertificate; // guarded by m_certificateMutex
    std::atomic<TWinInetState> m_state{wisClosed};

    CURL* m_session = nullptr;
    std::atomic<bool> m_abort{false};
    std::recursive_timed_mutex m_operationMutex;
    std::atomic<int> m_abortWaiters{0};
    std::atomic<std::thread::id> m_operationThread{};
    int m_operationDepth = 0; // guarded by m_operationMutex
    std::atomic<bool> m_inPerform{false};
    bool m_allowNewConnection = false;
    bool m_resolvedReported = false;
    int m_controlPort = 0;
    bool m_requestPassive = false; // the prepared request asks for passive mode
    bool m_passiveRefused = false; // the server refused EPSV and PASV on this connection
    // The stall watch of the running request.
    unsigned m_stallMilliseconds = 0;
    int64_t m_bytesSeen = 0;
    std::chrono::steady_clock::time_point m_lastData;
    bool m_dataFlowing = false;
    bool m_stalled = false;

    std::mutex m_socketMutex;
    std::vector<int> m_sockets;

    // Only the thread running the operation touches these.
    std::vector<Reply> m_replies;
    std::string m_partialReply;
    std::string m_lastResponse;
    std::string m_lastError;
    char m_errorBuffer[256] = {}; // CURL_ERROR_SIZE
};

} // namespace pw
