#include "core/ftp/TSimpleFTP.h"

#include "core/ftp/FtpErrors.h"
#include "core/ftp/FtpListing.h"
#include "core/ftp/FtpPaths.h"
#include "core/ftp/SftpPaths.h"
#include "core/local/ReplaceFile.h"

#include <curl/curl.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace pw {

namespace {
// OpenConnection's code for a server that refused AUTH TLS (or PROT P) under explicit TLS.
constexpr unsigned kTlsRefused = 1;
// OpenConnection's codes for an SFTP key file that cannot be read, or that the server refused.
constexpr unsigned kKeyFileUnreadable = 2;
constexpr unsigned kKeyRefused = 3;

// A listing larger than this is taken for a hostile or broken server.
constexpr size_t kMaxListingBytes = 256u * 1024 * 1024;

std::string StripOneTrailingSeparator(std::string path) {
    if (path.size() > 1 && (path.back() == '/' || path.back() == '\\')) path.pop_back();
    return path;
}

bool WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= size_t(n);
    }
    return true;
}

// Creates a new, empty file beside `target` under a name of its own: the target's name with
// a suffix, or a short name in the same folder when that would be too long a name.
int CreateTempBeside(const std::string& target, std::string& tempPath) {
    static std::atomic<unsigned> counter{0};
    const size_t slash = target.rfind(kLocalSeparator);
    const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    bool shortName = false;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string unique =
            std::to_string(::getpid()) + "-" + std::to_string(counter.fetch_add(1));
        tempPath =
            shortName ? folder + ".pagewright-" + unique + ".part" : target + ".part-" + unique;
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) return fd;
        if (errno == ENAMETOOLONG && !shortName) {
            shortName = true;
            continue;
        }
        if (errno != EEXIST) return -1;
    }
    return -1;
}

// Moves the finished download into place; with `noReplace` an existing target is kept.
bool MoveIntoPlace(const std::string& temp, const std::string& target, bool noReplace) {
    if (!noReplace) return ReplaceFile(temp, target) == 0;
    if (::renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    // File systems without RENAME_NOREPLACE: link() also refuses an existing name.
    if (::link(temp.c_str(), target.c_str()) != 0) return false;
    ::unlink(temp.c_str());
    return true;
}

struct CurlList {
    curl_slist* list = nullptr;
    ~CurlList() { curl_slist_free_all(list); }
    void Add(const std::string& s) { list = curl_slist_append(list, s.c_str()); }
};
} // namespace

// Data callbacks of listings, downloads and uploads.
struct FtpTransferCallbacks {
    struct Sink {
        TSimpleFTP* ftp;
        std::string* text = nullptr; // listing
        int fd = -1;                 // download
        int64_t bytes = 0;
        bool failed = false;
    };

    static size_t Write(char* data, size_t size, size_t count, void* user) {
        auto* sink = static_cast<Sink*>(user);
        const size_t n = size * count;
        if (sink->text) {
            if (sink->text->size() + n > kMaxListingBytes) return sink->failed = true, 0;
            sink->text->append(data, n);
        } else if (!WriteAll(sink->fd, data, n)) {
            sink->failed = true;
            return 0;
        }
        sink->bytes += int64_t(n);
        sink->ftp->StatusNotify(INTERNET_STATUS_RESPONSE_RECEIVED, int64_t(n));
        return n;
    }

    static size_t Read(char* buffer, size_t size, size_t count, void* user) {
        auto* source = static_cast<Sink*>(user);
        for (;;) {
            const ssize_t n = ::read(source->fd, buffer, size * count);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                source->failed = true;
                return CURL_READFUNC_ABORT;
            }
            source->bytes += n;
            if (n > 0) source->ftp->StatusNotify(INTERNET_STATUS_REQUEST_SENT, int64_t(n));
            return size_t(n);
        }
    }
};

TSimpleFTP::TSimpleFTP() {
    Port = 21;
}

TSimpleFTP::~TSimpleFTP() {
    m_destroying = true;
    Disconnect();
    DirList.clear();
}

uint32_t TSimpleFTP::TransferTypeFlag() const {
    switch (m_transferType) {
    case ttBinary:
        return FTP_TRANSFER_TYPE_BINARY;
    case ttAscii:
        return FTP_TRANSFER_TYPE_ASCII;
    default:
        return FTP_TRANSFER_TYPE_UNKNOWN;
    }
}

void TSimpleFTP::SetPassive(bool passive) {
    if (passive)
        m_connectFlags |= INTERNET_FLAG_PASSIVE;
    else
        m_connectFlags &= ~INTERNET_FLAG_PASSIVE;
}

TFTPProgressInfo TSimpleFTP::ProgressInfo() const {
    std::lock_guard lock(m_progressMutex);
    return m_progress;
}

void TSimpleFTP::SetProgressInfo(const TFTPProgressInfo& info) {
    std::lock_guard lock(m_progressMutex);
    m_progress = info;
}

void TSimpleFTP::SetBatchPosition(int32_t fileIndex, int32_t fileCount) {
    std::lock_guard lock(m_progressMutex);
    m_progress.FileIndex = fileIndex;
    m_progress.FileCount = fileCount;
}

void TSimpleFTP::StartProgress(int64_t total, const std::string& fileName) {
    std::lock_guard lock(m_progressMutex);
    m_progress.BytesDone = 0;
    m_progress.BytesTotal = total;
    m_progress.FileName = fileName;
}

void TSimpleFTP::SetConfirmedDir(const std::string& dir) {
    std::lock_guard lock(m_dirMutex);
    m_confirmedDir = dir;
}

void TSimpleFTP::SetStoredDir(const std::string& dir) {
    std::lock_guard lock(m_dirMutex);
    m_storedDir = dir;
}

void TSimpleFTP::SetFileSystemType(TFTPFileSystemType type) {
    if (IsConnected()) {
        if (!SilentExceptions) throw ESimpleFTPError(FtpText::CannotChangeFsType);
        return;
    }
    m_fileSystemType = type;
}

bool TSimpleFTP::Fail(const std::string& message) {
    if (!SilentExceptions) throw ESimpleFTPError(message);
    return false;
}

// --- connection ---

bool TSimpleFTP::Connect() {
    // The login event may ask the user (a blocking call to the GUI thread), so it runs
    // before the operation lock that Abort on the GUI thread waits for.
    if (OnLogin) {
        std::string user = UserName, password = Password;
        OnLogin(*this, user, password);
        UserName = std::move(user);
        Password = std::move(password);
    }
    OperationScope scope(*this);
    bool result = TWinInetControl::Connect();
    if (!m_connected) {
        unsigned errorCode = ERROR_INTERNET_INTERNAL_ERROR; // no session could be made
        SetConfirmedDir("");
        if (HasSession() && OpenConnection(errorCode)) {
            m_connected = true;
            m_mlsdRefused = false;
            result = true;
            StatusNotify(INTERNET_STATUS_CONNECTED_TO_SERVER, 0);
            // The login reply (the server's welcome) rather than the answer to PWD; that
            // answer (libcurl asks it after the login) names the folder the login starts in.
            std::string welcome = LastResponseText();
            // Over SFTP, libcurl answers "pwd" with the server's path of the home folder.
            for (const Reply& reply : Replies()) {
                if (reply.Code == 230 || (IsSftp() && reply.Code == 257)) welcome = reply.Text;
                if (reply.Code == 257)
                    SetConfirmedDir(IsSftp() ? ResolveRemotePath("/", ParsePwdReply(reply.Text))
                                             : ParsePwdReply(reply.Text));
            }
            LastResponse = std::move(welcome);
            if (IsSftp())
                m_utf8Names = true; // SFTP names are UTF-8 by definition
            else
                negotiateNameEncoding();
            if (const std::string stored = StoredDir(); !stored.empty()) ChangeDir(stored);
            if (OnConnected) OnConnected(*this);
        } else {
            CloseSession();
            if (CertificateRefused()) {
                RaiseCertificateError();
            } else if (errorCode == kTlsRefused) {
                SetState(wisClosed);
                if (!SilentExceptions)
                    throw EWinInetError(FormatMessage(
                        "%s does not offer FTP over TLS: the login was not sent", HostName));
            } else if (errorCode == kKeyFileUnreadable || errorCode == kKeyRefused) {
                SetState(wisClosed);
                if (!SilentExceptions && errorCode == kKeyRefused)
                    throw EWinInetError(FormatMessage("%s refused the login with the key file %s",
                                                      HostName.get(), ConnectKeyFile()));
                if (!SilentExceptions)
                    throw EWinInetError(
                        FormatMessage("Cannot read the key file %s: nothing was sent to the server",
                                      ConnectKeyFile()));
            } else if (IsSftp() && !LastErrorText().empty() &&
                       errorCode == ERROR_INTERNET_INTERNAL_ERROR + 1000) {
                // libcurl's own words tell more than the general message.
                SetState(wisClosed);
                if (!SilentExceptions)
                    throw EWinInetError(ConnectErrorMessage(errorCode, HostName, UserName) + ": " +
                                        LastErrorText());
            } else {
                RaiseConnectError(errorCode);
            }
            result = false;
        }
    }
    return result;
}

// Names travel as UTF-8 when the server offers it (FEAT lists UTF8); some servers want
// OPTS UTF8 ON before they use it, others refuse the command and use UTF-8 anyway. Otherwise they
// are the server's own bytes, which the user interface reads as Windows-1252.
void TSimpleFTP::negotiateNameEncoding() {
    m_utf8Names = false;
    std::vector<Reply> features;
    if (!Quote({"FEAT"}, &features) || features.empty()) return;
    bool offered = false;
    const std::string& text = features.front().Text;
    for (size_t at = 0; at <= text.size();) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(at, end - at);
        const size_t first = line.find_first_not_of(' ');
        const size_t last = line.find_last_not_of(" \r");
        if (first != std::string::npos && line.substr(first, last - first + 1) == "UTF8")
            offered = true;
        at = end + 1;
    }
    if (!offered) return;
    Quote({"OPTS UTF8 ON"});
    m_utf8Names = true;
}

bool TSimpleFTP::OpenConnection(unsigned& errorCode) {
    if (IsSftp() && !ConnectKeyFile().empty() && ::access(ConnectKeyFile().c_str(), R_OK) != 0) {
        errorCode = kKeyFileUnreadable;
        return false;
    }
    StatusNotify(INTERNET_STATUS_RESOLVING_NAME, 0);
    const unsigned attempts = std::max(1u, ConnectRetries());
    int rc = CURLE_OK;
    // SFTP: the home folder ("~/"), whose server path "pwd" gives.
    curl_slist pwd{const_cast<char*>("pwd"), nullptr};
    for (unsigned attempt = 0; attempt < attempts; ++attempt) {
        PrepareRequest(IsSftp() ? BaseUrl() + "~/" : BaseUrl());
        curl_easy_setopt(Session(), CURLOPT_NOBODY, 1L);
        if (IsSftp()) curl_easy_setopt(Session(), CURLOPT_QUOTE, &pwd);
        rc = Perform(true);
        if (rc == CURLE_OK) return true;
        if (rc != CURLE_COULDNT_CONNECT || AbortRequested()) break;
        for (int wait = 0; wait < 10 && !AbortRequested() && attempt + 1 < attempts; ++wait)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    bool passwordAsked = false;
    for (const Reply& reply : Replies())
        passwordAsked |= reply.Code == 331;
    switch (rc) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
        errorCode = ERROR_INTERNET_NAME_NOT_RESOLVED;
        break;
    case CURLE_COULDNT_CONNECT:
        errorCode = ERROR_INTERNET_CANNOT_CONNECT;
        break;
    case CURLE_OPERATION_TIMEDOUT:
        // libcurl also reports a "421 Service not available" this way: that is a refusal.
        errorCode = !Replies().empty() && Replies().back().Code == 421
                        ? ERROR_INTERNET_LOGIN_FAILURE
                        : ERROR_INTERNET_TIMEOUT;
        break;
    case CURLE_LOGIN_DENIED:
        // SSH does not say whether the user or the password was wrong.
        if (IsSftp())
            errorCode = ConnectKeyFile().empty() ? ERROR_INTERNET_INCORRECT_PASSWORD : kKeyRefused;
        else
            errorCode = passwordAsked || UserName.empty() ? ERROR_INTERNET_INCORRECT_PASSWORD
                                                          : ERROR_INTERNET_INCORRECT_USER_NAME;
        break;
    case CURLE_REMOTE_ACCESS_DENIED:
        errorCode = ERROR_INTERNET_LOGIN_FAILURE;
        break;
    case CURLE_ABORTED_BY_CALLBACK:
        errorCode = ERROR_INTERNET_OPERATION_CANCELLED;
        break;
    case CURLE_USE_SSL_FAILED:
        errorCode = kTlsRefused;
        break;
    default:
        errorCode = ERROR_INTERNET_INTERNAL_ERROR + 1000; // no specific message
        break;
    }
    return false;
}

bool TSimpleFTP::Disconnect() {
    if (InPerformOnThisThread()) {
        // Called from an event of a running request: stop it; it then disconnects.
        Abort();
        return true;
    }
    OperationScope scope(*this);
    try {
        if (m_connected && HasSession() && !m_destroying)
            StatusNotify(INTERNET_STATUS_CLOSING_CONNECTION, 0);
        m_connected = false;
        SetConfirmedDir("");
        return TWinInetControl::Disconnect();
    } catch (...) {
        return false;
    }
}

void TSimpleFTP::DropConnection() {
    m_connected = false;
    SetConfirmedDir(""); // a new login starts wherever the server puts it
    ShutdownSockets();   // no QUIT on a connection that is gone or being cancelled
    CloseSession();
    if (SetState(wisClosed) && OnDisconnected) OnDisconnected(*this);
}

void TSimpleFTP::AfterFailure() {
    if (AbortRequested() || !ControlConnectionAlive()) DropConnection();
}

bool TSimpleFTP::Quote(const std::vector<std::string>& commands, std::vector<Reply>* answers) {
    if (answers) answers->clear();
    if (!IsConnected() || !HasSession()) return false;
    CurlList list;
    for (const auto& command : commands) {
        if (HasCommandBreak(command)) return false;
        list.Add("*" + command); // "*": a failing command keeps the connection
    }
    PrepareRequest(BaseUrl());
    curl_easy_setopt(Session(), CURLOPT_NOBODY, 1L);
    curl_easy_setopt(Session(), CURLOPT_QUOTE, list.list);
    if (Perform(false) != CURLE_OK) {
        AfterFailure();
        return false;
    }
    const auto& replies = Replies();
    if (replies.size() < commands.size()) return false;
    bool ok = true;
    for (size_t i = replies.size() - commands.size(); i < replies.size(); ++i) {
        ok &= replies[i].Code < 400;
        if (answers) answers->push_back(replies[i]);
    }
    return ok;
}

// --- directories ---

std::string TSimpleFTP::StoredDir() const {
    std::lock_guard lock(m_dirMutex);
    return m_storedDir;
}

std::string TSimpleFTP::RemoteDir() {
    // Answered without the operation lock when possible: another thread may be running a
    // transfer, and the folder cannot change under it (paths on the wire are absolute).
    {
        std::lock_guard lock(m_dirMutex);
        if (!IsConnected()) return m_storedDir;
        if (!m_confirmedDir.empty()) return m_confirmedDir;
    }
    OperationScope scope(*this);
    if (!IsConnected()) return StoredDir();
    {
        std::lock_guard lock(m_dirMutex);
        if (!m_confirmedDir.empty()) return m_confirmedDir; // asked while this one waited
    }
    if (IsSftp()) return StoredDir(); // the folder is always named over SFTP
    std::vector<Reply> answers;
    m_quietNotify = true;
    const bool ok = Quote({"PWD"}, &answers);
    m_quietNotify = false;
    if (ok) {
        const std::string dir = ParsePwdReply(answers.back().Text);
        if (!dir.empty()) {
            SetConfirmedDir(dir);
            return dir;
        }
    }
    return StoredDir();
}

bool TSimpleFTP::ChangeDir(const std::string& dir) {
    OperationScope scope(*this);
    if (!IsConnected()) {
        SetStoredDir(dir);
        return true;
    }
    if (IsSftp()) return SftpChangeDir(dir);
    // PWD in the same request: the server's own name of the folder ("sub/.." is "/"), which
    // RemoteDir then answers without asking again.
    std::vector<Reply> answers;
    Quote({"CWD " + StripOneTrailingSeparator(dir), "PWD"}, &answers);
    if (answers.size() == 2 && answers[0].Code < 400) {
        SetStoredDir(dir);
        SetConfirmedDir(answers[1].Code == 257 ? ParsePwdReply(answers[1].Text) : "");
        if (OnDirectoryChange) OnDirectoryChange(*this);
        return true;
    }
    if (!SilentExceptions && m_fileSystemType == ftUnix)
        throw ESimpleFTPError(FormatMessage(FtpText::CouldntChangeDir, dir));
    return false;
}

bool TSimpleFTP::ListWith(const char* command, const std::string& path, std::string& data) {
    data.clear();
    std::string url = BaseUrl();
    if (IsSftp()) {
        url = SftpUrl(url, path.empty() ? RemoteDir() : SftpAbsolute(path), true);
    } else if (!path.empty()) {
        url = RemotePathUrl(url, path);
        if (path.back() != '/') url += '/';
    }
    FtpTransferCallbacks::Sink sink{this, &data};
    PrepareRequest(url);
    if (command) curl_easy_setopt(Session(), CURLOPT_CUSTOMREQUEST, command);
    curl_easy_setopt(Session(), CURLOPT_WRITEFUNCTION, &FtpTransferCallbacks::Write);
    curl_easy_setopt(Session(), CURLOPT_WRITEDATA, &sink);
    if (Perform(false) != CURLE_OK || sink.failed) {
        AfterFailure();
        return false;
    }
    return true;
}

bool TSimpleFTP::ListRemote(const std::string& path, std::vector<TFtpFindData>& entries) {
    entries.clear();
    if (!IsConnected() || HasCommandBreak(path)) return false;
    std::string data;
    const TListingDate today = TListingDate::Today();
    if (IsSftp()) {
        // libcurl gives the server's long names, "ls -l" lines.
        if (!ListWith(nullptr, path, data)) {
            m_sftpReason = LastErrorText();
            return false;
        }
        entries = ParseListing(data, TListingFormat::List, today);
        return true;
    }
    if (!m_mlsdRefused) {
        if (ListWith("MLSD", path, data)) {
            entries = ParseListing(data, TListingFormat::Mlsd, today);
            return true;
        }
        if (!IsConnected() || AbortRequested() || Replies().empty()) return false;
        const int code = Replies().back().Code;
        if (code == 500 || code == 502 || code == 504)
            m_mlsdRefused = true; // the server does not know MLSD: LIST from now on
        else if (code != 501)
            return false; // a real failure (no such folder, no permission, ...)
    }
    if (!ListWith("LIST", path, data)) return false;
    entries = ParseListing(data, TListingFormat::List, today);
    return true;
}

int TSimpleFTP::ReadDirectory(const std::string& path, TDirList* list, bool fullPath) {
    OperationScope scope(*this);
    if (list) list->clear();
    m_lastListingOk = false;
    if (!IsConnected()) return 0;
    std::string argument, prefix;
    if (path.empty()) {
    } else if (path.find('/') == std::string::npos) {
        prefix = AddSlash(RemoteDir());
        argument = prefix + path;
    } else {
        argument = path;
        prefix = path.substr(0, path.rfind('/') + 1);
    }
    std::vector<TFtpFindData> entries;
    if (!ListRemote(argument, entries)) return 0;
    m_lastListingOk = true;
    int count = 0;
    for (const TFtpFindData& entry : entries) {
        if (list) list->push_back({fullPath ? prefix + entry.FileName : entry.FileName, entry});
        ++count;
        if (OnFindItem && (!list || list == &DirList)) OnFindItem(*this, entry);
        // An abort or disconnect from the event ends the listing, as a closed handle would.
        if (AbortRequested() || !IsConnected()) break;
    }
    return count;
}

bool TSimpleFTP::Refresh() {
    ReadDirectory("", nullptr, false);
    return m_lastListingOk;
}

bool TSimpleFTP::FindRemoteFile(const std::string& remotePath, TFtpFindData& entry) {
    OperationScope scope(*this);
    TDirList list;
    ReadDirectory("", &list, false);
    const std::string name = remotePath.substr(remotePath.rfind('/') + 1);
    for (const auto& line : list) {
        if (SameAsciiCi(line.Text, name)) {
            entry = line.Entry;
            return true;
        }
    }
    return false;
}

// The entry of the file to download, looked up in the folder the path names (the current
// one for a bare name). An exact match wins over one that differs in letter case.
bool TSimpleFTP::FindForGet(const std::string& remotePath, TFtpFindData& entry) {
    const size_t slash = remotePath.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : remotePath.substr(0, slash + 1);
    const std::string name = remotePath.substr(slash == std::string::npos ? 0 : slash + 1);
    if (name.empty()) return false;
    if (FindBySize(remotePath, name, entry)) return true;
    std::vector<TFtpFindData> entries;
    if (!ListRemote(folder, entries)) return false;
    const TFtpFindData* found = nullptr;
    for (const auto& e : entries) {
        if (e.FileName == name) {
            found = &e;
            break;
        }
        if (!found && SameAsciiCi(e.FileName, name)) found = &e;
    }
    if (!found) return false;
    entry = *found;
    return true;
}

bool TSimpleFTP::FindBySize(const std::string& remotePath, const std::string& name,
                            TFtpFindData& entry) {
    const FtpProtocol protocol = ConnectedProtocol();
    if (protocol != FtpProtocol::FtpExplicitTls && protocol != FtpProtocol::FtpImplicitTls)
        return false;
    const int64_t size = RemoteSize(remotePath);
    if (size < 0 || !IsConnected()) return false;
    entry = TFtpFindData();
    entry.FileName = name;
    entry.Attributes = FILE_ATTRIBUTE_NORMAL;
    entry.FileSize = size;
    // "213 YYYYMMDDhhmmss[.fff]", in UTC; no time is no time, not a failure.
    entry.LastWriteTime = ParseMdtmReply(AskFileStatus("MDTM " + remotePath));
    return true;
}

bool TSimpleFTP::LookupForGet(const std::string& remotePath, const std::string& localPath,
                              TFtpFindData& entry) {
    if (!HasCommandBreak(remotePath) && FindForGet(remotePath, entry)) return true;
    if (!IsConnected()) return Fail(FormatMessage(FtpText::ErrorGetting, remotePath, localPath));
    return Fail(FormatMessage(FtpText::GetRemoteNotFound, remotePath, localPath));
}

// --- transfers ---

std::string TSimpleFTP::FileUrl(const std::string& remotePath) {
    if (IsSftp()) return SftpUrl(BaseUrl(), SftpAbsolute(remotePath), false);
    return RemotePathUrl(BaseUrl(), remotePath);
}

bool TSimpleFTP::Put(const std::string& localPath, const std::string& remotePath) {
    OperationScope scope(*this);
    if (!IsConnected() && !SilentExceptions) throw ESimpleFTPError(FtpText::NotConnected);
    struct stat info {};
    const bool exists = ::stat(localPath.c_str(), &info) == 0;
    if (!exists && !SilentExceptions)
        throw ESimpleFTPError(FormatMessage(FtpText::PutLocalNotFound, localPath, remotePath));
    const int fd = exists ? ::open(localPath.c_str(), O_RDONLY | O_CLOEXEC) : -1;
    if (fd < 0 || ::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        if (fd >= 0) ::close(fd);
        StartProgress(0, ProgressInfo().FileName);
        return Fail(FormatMessage(FtpText::ErrorPutting, localPath, remotePath));
    }
    StartProgress(info.st_size, LocalFileNamePart(localPath));
    const bool ok = IsConnected() && !HasCommandBreak(remotePath) && Upload(fd, remotePath);
    ::close(fd);
    if (!ok) return Fail(FormatMessage(FtpText::ErrorPutting, localPath, remotePath));
    return true;
}

bool TSimpleFTP::Upload(int fd, const std::string& remotePath) {
    struct stat info {};
    ::fstat(fd, &info);
    FtpTransferCallbacks::Sink source{this, nullptr, fd};
    PrepareRequest(FileUrl(remotePath));
    curl_easy_setopt(Session(), CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(Session(), CURLOPT_READFUNCTION, &FtpTransferCallbacks::Read);
    curl_easy_setopt(Session(), CURLOPT_READDATA, &source);
    curl_easy_setopt(Session(), CURLOPT_INFILESIZE_LARGE, curl_off_t(info.st_size));
    curl_easy_setopt(Session(), CURLOPT_TRANSFERTEXT, m_transferType == ttAscii ? 1L : 0L);
    if (Perform(false) != CURLE_OK || source.failed) {
        AfterFailure();
        return false;
    }
    return true;
}

bool TSimpleFTP::Get(const std::string& remotePath, const std::string& localPath) {
    OperationScope scope(*this);
    if (!IsConnected()) return Fail(FtpText::NotConnected);
    struct stat info {};
    if (FailIfExistsOnGet && ::lstat(localPath.c_str(), &info) == 0) return false;
    StartProgress(0, ProgressInfo().FileName);
    TFtpFindData entry;
    if (!LookupForGet(remotePath, localPath, entry)) return false;
    // An unknown listed size is an unknown total, not an empty file.
    StartProgress(entry.HasSize() ? entry.FileSize : 0, LocalFileNamePart(localPath));
    const bool ok = Download(remotePath, localPath, entry);
    if (!ok) return Fail(FormatMessage(FtpText::ErrorGetting, remotePath, localPath));
    return true;
}

bool TSimpleFTP::Download(const std::string& remotePath, const std::string& localPath,
                          const TFtpFindData& entry) {
    std::string temp;
    const int fd = CreateTempBeside(localPath, temp);
    if (fd < 0) return false;
    FtpTransferCallbacks::Sink sink{this, nullptr, fd};
    PrepareRequest(FileUrl(remotePath));
    curl_easy_setopt(Session(), CURLOPT_WRITEFUNCTION, &FtpTransferCallbacks::Write);
    curl_easy_setopt(Session(), CURLOPT_WRITEDATA, &sink);
    curl_easy_setopt(Session(), CURLOPT_TRANSFERTEXT, m_transferType == ttAscii ? 1L : 0L);
    const int rc = Perform(false);
    const bool closed = ::close(fd) == 0;
    // A binary download shorter than the listed size was cut off. Without a listed size
    // there is nothing to compare (libcurl still fails a transfer the server cut short).
    const bool shortened = m_transferType != ttAscii && !entry.IsDirectory() &&
                           !(entry.Attributes & FILE_ATTRIBUTE_REPARSE_POINT) && entry.HasSize() &&
                           sink.bytes < entry.FileSize;
    if (rc != CURLE_OK) AfterFailure();
    if (rc != CURLE_OK || sink.failed || !closed || shortened ||
        !MoveIntoPlace(temp, localPath, FailIfExistsOnGet)) {
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

bool TSimpleFTP::GetResumable(const std::string& remotePath, const std::string& localPath,
                              TFtpFindData& listed) {
    OperationScope scope(*this);
    if (!IsConnected()) return Fail(FtpText::NotConnected);
    const TFtpFindData earlier = listed;
    StartProgress(0, ProgressInfo().FileName);
    TFtpFindData entry;
    if (!LookupForGet(remotePath, localPath, entry)) return false;
    listed = entry;
    const int fd = ::open(localPath.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        if (fd >= 0) ::close(fd);
        return Fail(FormatMessage(FtpText::ErrorGetting, remotePath, localPath));
    }
    // Only the same file is continued, and only byte for byte: a text transfer changes
    // line ends, so its offsets on both sides differ.
    const bool plainFile =
        !entry.IsDirectory() && !(entry.Attributes & FILE_ATTRIBUTE_REPARSE_POINT);
    const bool sameFile = !earlier.FileName.empty() && plainFile && entry.HasSize() &&
                          entry.HasTime() && earlier.FileSize == entry.FileSize &&
                          earlier.LastWriteTime == entry.LastWriteTime;
    const bool binary = m_transferType != ttAscii;
    int64_t offset = 0;
    if (binary && sameFile && info.st_size <= entry.FileSize) offset = info.st_size;
    if ((offset == 0 && ::ftruncate(fd, 0) != 0) || ::lseek(fd, offset, SEEK_SET) != offset) {
        ::close(fd);
        return Fail(FormatMessage(FtpText::ErrorGetting, remotePath, localPath));
    }
    FtpTransferCallbacks::Sink sink{this, nullptr, fd};
    auto transfer = [&] {
        StartProgress(entry.HasSize() ? entry.FileSize : 0, LocalFileNamePart(localPath));
        {
            std::lock_guard lock(m_progressMutex);
            m_progress.BytesDone = std::min(offset, m_progress.BytesTotal);
        }
        PrepareRequest(FileUrl(remotePath));
        curl_easy_setopt(Session(), CURLOPT_WRITEFUNCTION, &FtpTransferCallbacks::Write);
        curl_easy_setopt(Session(), CURLOPT_WRITEDATA, &sink);
        curl_easy_setopt(Session(), CURLOPT_TRANSFERTEXT, binary ? 0L : 1L);
        if (offset > 0) curl_easy_setopt(Session(), CURLOPT_RESUME_FROM_LARGE, curl_off_t(offset));
        return Perform(false);
    };
    int rc = transfer();
    // A server that cannot start in the middle sends the whole file instead.
    if (offset > 0 && (rc == CURLE_FTP_COULDNT_USE_REST || rc == CURLE_BAD_DOWNLOAD_RESUME) &&
        IsConnected() && !sink.failed && ::ftruncate(fd, 0) == 0 && ::lseek(fd, 0, SEEK_SET) == 0) {
        offset = 0;
        rc = transfer();
    }
    const bool measured = ::fstat(fd, &info) == 0;
    const bool closed = ::close(fd) == 0;
    if (rc != CURLE_OK) AfterFailure();
    const std::string failed = FormatMessage(FtpText::ErrorGetting, remotePath, localPath);
    if (sink.failed || !closed || !measured || (rc != CURLE_OK && rc != CURLE_PARTIAL_FILE))
        return Fail(failed);
    // A file cut short (or longer than announced) says so with both sizes; line ends of a
    // text transfer may differ, so it has no size to compare.
    if (binary) {
        const int64_t expected =
            plainFile && entry.HasSize() ? entry.FileSize : RemoteSize(remotePath);
        if (expected >= 0 && info.st_size != expected)
            return Fail(failed + ": " + std::to_string(int64_t(info.st_size)) +
                        " bytes arrived, the server lists " + std::to_string(expected));
    }
    return rc == CURLE_OK || Fail(failed);
}

std::string TSimpleFTP::AskFileStatus(const std::string& command) {
    std::vector<Reply> answers;
    m_quietNotify = true;
    const bool ok = Quote({command}, &answers);
    m_quietNotify = false;
    return ok && !answers.empty() && answers.back().Code == 213 ? answers.back().Text
                                                                : std::string();
}

int64_t TSimpleFTP::RemoteSize(const std::string& remotePath) {
    if (IsSftp()) return -1; // the listing is the only source of sizes
    const std::string text = AskFileStatus("SIZE " + remotePath);
    int64_t size = 0;
    size_t at = 4;
    if (at >= text.size()) return -1;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        if (size > (INT64_MAX - 9) / 10) return -1;
        size = size * 10 + (text[at] - '0');
    }
    return at == text.size() ? size : -1;
}

// --- single names ---

bool TSimpleFTP::PutFile(const std::string& nameOrPath) {
    OperationScope scope(*this);
    if (nameOrPath.find(kLocalSeparator) != std::string::npos)
        return Put(nameOrPath, AddSlash(RemoteDir()) + LocalFileNamePart(nameOrPath));
    return Put(AddBackslash(LocalDir.get()) + nameOrPath, AddSlash(RemoteDir()) + nameOrPath);
}

bool TSimpleFTP::GetFile(const std::string& nameOrPath) {
    OperationScope scope(*this);
    const size_t slash = nameOrPath.rfind('/');
    const std::string name = slash == std::string::npos ? nameOrPath : nameOrPath.substr(slash + 1);
    const std::string localDir = LocalDir;
    // A name from a server must not reach outside the local folder.
    if (!IsSafeLocalName(name))
        return Fail(FormatMessage(FtpText::ErrorGetting, nameOrPath, localDir));
    if (slash != std::string::npos) return Get(nameOrPath, AddBackslash(localDir) + name);
    return Get(AddSlash(RemoteDir()) + name, AddBackslash(localDir) + name);
}

// --- remote file and folder commands ---

bool TSimpleFTP::Delete(const std::string& nameOrPath) {
    OperationScope scope(*this);
    if (nameOrPath.find('/') == std::string::npos)
        return DeleteFile(AddSlash(RemoteDir()) + nameOrPath);
    return DeleteFile(nameOrPath);
}

bool TSimpleFTP::DeleteFile(const std::string& remotePath) {
    OperationScope scope(*this);
    if (IsConnected() && IsSftp()) {
        if (SftpQuote({"rm " + SftpArgument(SftpAbsolute(remotePath))})) return true;
        return Fail(SftpFailure(FormatMessage(FtpText::ErrorDeleting, remotePath)));
    }
    if (IsConnected() && Quote({"DELE " + remotePath})) return true;
    return Fail(FormatMessage(FtpText::ErrorDeleting, remotePath));
}

bool TSimpleFTP::MakeDir(const std::string& remotePath) {
    OperationScope scope(*this);
    if (!IsConnected()) return Fail(FtpText::NotConnected);
    if (IsSftp()) {
        if (SftpQuote({"mkdir " + SftpArgument(SftpAbsolute(remotePath))})) return true;
        return Fail(SftpFailure(FormatMessage(FtpText::ErrorCreatingDir, remotePath)));
    }
    std::string dir = StripOneTrailingSeparator(remotePath);
    const size_t cut = dir.find_last_of("\\:");
    if (cut != std::string::npos) dir = dir.substr(cut + 1);
    if (Quote({"MKD " + dir})) return true;
    return Fail(FormatMessage(FtpText::ErrorCreatingDir, remotePath));
}

bool TSimpleFTP::ForceDir(const std::string& dir) {
    OperationScope scope(*this);
    if (!IsConnected()) return Fail(FtpText::NotConnected);
    if (HasCommandBreak(dir)) return Fail(FormatMessage(FtpText::ErrorCreatingDir, dir));
    if (IsSftp()) return SftpForceDir(dir);
    std::string path = StripOneTrailingSeparator(dir);
    if (path.empty() || path[0] != '/') path = AddSlash(RemoteDir()) + path;
    // The probes move the server's current folder: it is named again at the end.
    SetConfirmedDir("");
    bool missing = false; // below a missing folder everything is missing
    for (const std::string& folder : FolderChain(path)) {
        if (missing || !Quote({"CWD " + folder})) {
            missing = true;
            // Another client may have made it meanwhile: then it can be entered.
            if (!IsConnected() || (!Quote({"MKD " + folder}) && !Quote({"CWD " + folder})))
                return Fail(FormatMessage(FtpText::ErrorCreatingDir, folder));
        }
    }
    return ChangeDir(path);
}

bool TSimpleFTP::RemoveDir(const std::string& remotePath) {
    OperationScope scope(*this);
    if (!IsConnected()) return Fail(FtpText::NotConnected);
    if (IsSftp()) {
        if (SftpQuote({"rmdir " + SftpArgument(SftpAbsolute(remotePath))})) return true;
        return Fail(SftpFailure(FormatMessage(FtpText::ErrorRemovingDir, remotePath)));
    }
    if (Quote({"RMD " + StripOneTrailingSeparator(remotePath)})) return true;
    return Fail(FormatMessage(FtpText::ErrorRemovingDir, remotePath));
}

bool TSimpleFTP::Rename(const std::string& oldPath, const std::string& newPath) {
    OperationScope scope(*this);
    if (!IsConnected()) return Fail(FtpText::NotConnected);
    if (IsSftp()) {
        if (SftpRename(oldPath, newPath)) return true;
        return Fail(SftpFailure(FormatMessage(FtpText::ErrorRenaming, oldPath, newPath)));
    }
    if (Quote({"RNFR " + oldPath, "RNTO " + newPath})) return true;
    return Fail(FormatMessage(FtpText::ErrorRenaming, oldPath, newPath));
}

// --- paths and progress ---

std::string TSimpleFTP::AddSlash(const std::string& path) const {
    if (m_fileSystemType == ftUnix && (path.empty() || path.back() != '/')) return path + "/";
    return path;
}

std::string TSimpleFTP::AddBackslash(const std::string& path) {
    if (!path.empty() && path.back() == kLocalSeparator) return path;
    return path + kLocalSeparator;
}

void TSimpleFTP::StatusNotify(unsigned status, int64_t info) {
    if (m_quietNotify) return;
    TWinInetControl::StatusNotify(status, info);
    if (status == INTERNET_STATUS_REQUEST_SENT || status == INTERNET_STATUS_RESPONSE_RECEIVED) {
        TFTPProgressInfo progress;
        {
            std::lock_guard lock(m_progressMutex);
            const int64_t before = m_progress.BytesDone;
            m_progress.BytesDone += info;
            if (m_progress.BytesDone == before || m_progress.BytesDone > m_progress.BytesTotal)
                m_progress.BytesDone = m_progress.BytesTotal;
            progress = m_progress;
        }
        // The event gets a copy: its handler may read or set the progress itself.
        if (OnTransferProgress && !progress.FileName.empty()) OnTransferProgress(*this, progress);
        if (QuickProgress) UpdateQuickProgress();
    }
    if (ProcessMessages) ProcessMessages();
}

void TSimpleFTP::UpdateQuickProgress() {
    const TFTPProgressInfo progress = ProgressInfo();
    if (QuickProgressMajor) {
        QuickProgressMajor->SetMax(progress.FileCount);
        QuickProgressMajor->SetPosition(progress.FileIndex);
    }
    if (QuickProgressMinor) {
        QuickProgressMinor->SetMax(100);
        int position = 0;
        if (progress.BytesTotal >= 1)
            position = int(
                std::nearbyint(double(progress.BytesDone) / double(progress.BytesTotal) * 100.0));
        QuickProgressMinor->SetPosition(position);
    }
    if (QuickLabelMajor && progress.FileCount >= 1)
        QuickLabelMajor->SetCaption(std::to_string(progress.FileIndex) + " of " +
                                    std::to_string(progress.FileCount));
    if (QuickLabelMinor && !progress.FileName.empty())
        QuickLabelMinor->SetCaption(progress.FileName);
}

} // namespace pw
