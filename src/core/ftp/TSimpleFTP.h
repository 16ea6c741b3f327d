#pragma once
// The FTP client: one connection with a current remote directory, listings entry by entry,
// whole-file uploads and downloads with progress, and the remote file and folder commands.
// Every operation blocks the calling thread; failures give false and, unless
// SilentExceptions is on, an ESimpleFTPError (or EWinInetError for the connection).
//
// One thread at a time runs the operations of a component; the events (OnFindItem,
// OnTransferProgress, OnStateChange, ...) are called on that thread. Abort may come from
// any other thread. Event handlers must not wait for the thread that calls Abort. Any thread
// may read the state, IsConnected, RemoteDir, ProgressInfo and the text properties while an
// operation runs; those reads do not wait for the operation (RemoteDir only when the server
// has not named its folder yet).
// Names and paths are bytes as the server uses them; downloads go to a temporary file beside
// the target that replaces it only when the transfer is complete. A lost control connection
// leaves the component disconnected (a new login would start in another folder).
//
// With the protocol SFTP the same operations run over one SSH connection (libcurl's sftp://):
// the login starts in the user's home folder as the server names it, the current folder is
// the component's own (every path sent is absolute, see SftpPaths.h), listings are the
// server's "ls -l" long names, and names are UTF-8. Rename replaces an existing file as FTP
// servers do (SftpOperations.cpp says how).
#include "core/ftp/FtpFindData.h"
#include "core/ftp/TWinInetControl.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace pw {

enum TFTPTransferType { ttBinary, ttAscii, ttUnknown };
enum TFTPFileSystemType { ftUnix, ftUnknown };

constexpr uint32_t FTP_TRANSFER_TYPE_UNKNOWN = 0;
constexpr uint32_t FTP_TRANSFER_TYPE_ASCII = 1;
constexpr uint32_t FTP_TRANSFER_TYPE_BINARY = 2;

struct TFTPProgressInfo {
    int64_t BytesDone = 0;
    int64_t BytesTotal = 0; // 0 when unknown (BytesDone then stays 0)
    int32_t FileIndex = 0;  // for batch-aware callers; the component leaves it alone
    int32_t FileCount = 0;
    std::string FileName; // name part of the local path of the current transfer
};

// One line of a listing kept in a list: the text (name or full path) and its entry.
struct TDirListLine {
    std::string Text;
    TFtpFindData Entry;
};
using TDirList = std::vector<TDirListLine>;

class TSimpleFTP : public TWinInetControl {
public:
    TSimpleFTP();
    ~TSimpleFTP() override;

    TSharedString LocalDir; // folder against which PutFile and GetFile resolve names
    std::atomic<bool> FailIfExistsOnGet = false; // a download never replaces a local file
    TDirList DirList;                            // filled by the operation's thread
    TSharedString LastResponse;                  // the server's reply right after connecting

    std::function<void(TSimpleFTP& sender)> OnDirectoryChange;
    std::function<void(TSimpleFTP& sender, const TFtpFindData& entry)> OnFindItem;
    std::function<void(TSimpleFTP& sender, std::string& userName, std::string& password)> OnLogin;
    std::function<void(TSimpleFTP& sender, const TFTPProgressInfo& info)> OnTransferProgress;

    TFTPTransferType TransferType() const { return m_transferType.load(); }
    void SetTransferType(TFTPTransferType type) { m_transferType = type; }
    uint32_t TransferTypeFlag() const;
    bool Passive() const { return (m_connectFlags & INTERNET_FLAG_PASSIVE) != 0; }
    // Passive: EPSV, then PASV; when the server refuses both, the operation runs again in active
    // mode, and the rest of the connection stays active. Not passive: active only (EPRT, then
    // PORT). Takes effect at the next operation.
    void SetPassive(bool passive);
    TFTPFileSystemType FileSystemType() const { return m_fileSystemType.load(); }
    void SetFileSystemType(TFTPFileSystemType type);
    // A copy of the progress of the current (or last) transfer.
    TFTPProgressInfo ProgressInfo() const;
    // For batch-aware callers: the place of the next transfers in their batch.
    void SetBatchPosition(int32_t fileIndex, int32_t fileCount);
    // Whether the server sends and takes names as UTF-8 on this connection.
    bool NamesAreUtf8() const { return m_utf8Names.load(); }
    bool IsConnected() const { return m_connected.load() && State() == wisConnected; }

    bool Connect() override;
    bool Disconnect() override;

    // The server's current directory when connected, else the stored one. The folder the
    // server last named (its answer to PWD at login and after each change of folder) is
    // remembered until the connection ends; the server is asked only when that is missing.
    std::string RemoteDir();
    void SetRemoteDir(const std::string& dir) { ChangeDir(dir); }
    bool ChangeDir(const std::string& dir);

    // Lists `path` (empty: the current directory) into `list` (may be null); returns the
    // number of entries. Entries reach OnFindItem when no list or DirList is given.
    int ReadDirectory(const std::string& path, TDirList* list, bool fullPath);
    // Lists the current directory into OnFindItem; false when the listing failed.
    bool Refresh();
    // Looks the name part of `remotePath` up in the current directory, ignoring case.
    bool FindRemoteFile(const std::string& remotePath, TFtpFindData& entry);
    // True when the last ReadDirectory got a listing from the server (even an empty one).
    bool LastListingSucceeded() const { return m_lastListingOk; }

    bool Put(const std::string& localPath, const std::string& remotePath);
    bool Get(const std::string& remotePath, const std::string& localPath);
    // A download that can be continued after a lost connection. It writes into `localPath`
    // itself (no temporary name, nothing renamed) and leaves the file as far as it got when
    // it fails. `listed` is the server's entry of the file as an earlier call read it (empty
    // before the first call) and receives the entry of this call: when the server still
    // lists the file with that size and time and the transfer is binary, the bytes the local
    // file already holds are kept and the server is asked to send the rest (REST); otherwise
    // the file is emptied and read from its start. The complete file must have the size the
    // server gives (its listing, else SIZE): any other size fails and says both sizes.
    // Progress counts the kept bytes as done.
    bool GetResumable(const std::string& remotePath, const std::string& localPath,
                      TFtpFindData& listed);
    bool PutFile(const std::string& nameOrPath);
    bool GetFile(const std::string& nameOrPath);
    bool Delete(const std::string& nameOrPath);
    bool DeleteFile(const std::string& remotePath);
    bool MakeDir(const std::string& remotePath);
    // Enters the folder `dir`, first making it and every missing folder above it (MKD of
    // each missing one, from the top down; a relative `dir` is below the current folder).
    bool ForceDir(const std::string& dir);
    bool RemoveDir(const std::string& remotePath);
    // Renames or moves a file or folder. A file already at `newPath` is replaced, as FTP
    // servers do on RNTO; a folder there is not.
    bool Rename(const std::string& oldPath, const std::string& newPath);

    std::string AddSlash(const std::string& path) const;
    static std::string AddBackslash(const std::string& path);

protected:
    void UpdateQuickProgress() override;
    void StatusNotify(unsigned status, int64_t info) override;
    void SetProgressInfo(const TFTPProgressInfo& info);

private:
    friend struct FtpTransferCallbacks;
    bool OpenConnection(unsigned& errorCode);
    void negotiateNameEncoding();
    // Sends commands on the control connection; true when every reply is below 400.
    // `answers` receives the replies to the commands when the request went through.
    bool Quote(const std::vector<std::string>& commands, std::vector<Reply>* answers = nullptr);
    bool ListRemote(const std::string& path, std::vector<TFtpFindData>& entries);
    bool ListWith(const char* command, const std::string& path, std::string& data);
    bool FindForGet(const std::string& remotePath, TFtpFindData& entry);
    // Over TLS each data connection costs a handshake: a file the server sizes by its exact
    // name (SIZE, then MDTM for its time) is found without a listing. False (nothing asked
    // over plain FTP and SFTP) leaves the listing to decide: a folder, a name in another case.
    bool FindBySize(const std::string& remotePath, const std::string& name, TFtpFindData& entry);
    // FindForGet for a download to `localPath`; fails, saying why, when the path cannot be
    // sent or the server lists no such file (or the connection went while it looked).
    bool LookupForGet(const std::string& remotePath, const std::string& localPath,
                      TFtpFindData& entry);
    bool Download(const std::string& remotePath, const std::string& localPath,
                  const TFtpFindData& entry);
    bool Upload(int fd, const std::string& remotePath);
    // The text of the server's 213 reply to `command` (SIZE, MDTM), "" for any other reply.
    std::string AskFileStatus(const std::string& command);
    // The size the server gives with SIZE; -1 when it gives none.
    int64_t RemoteSize(const std::string& remotePath);
    // After a failed request: a lost or aborted connection leaves the component disconnected.
    void AfterFailure();
    bool Fail(const std::string& message);
    void DropConnection();
    // A new transfer of `total` bytes (0: unknown) of the local file `fileName`.
    void StartProgress(int64_t total, const std::string& fileName);
    // The URL of a remote file for a transfer.
    std::string FileUrl(const std::string& remotePath);

    // --- SFTP (SftpOperations.cpp) ---
    // `path` made absolute against the current folder.
    std::string SftpAbsolute(const std::string& path);
    // Runs quote commands ("rm \"/a b\"", ...) in one request; true when all succeeded.
    // A failure keeps libcurl's reason for SftpFailure.
    bool SftpQuote(const std::vector<std::string>& commands);
    // Whether the absolute `path` names a folder the server can open.
    bool SftpFolderExists(const std::string& path);
    bool SftpChangeDir(const std::string& dir);
    bool SftpForceDir(const std::string& dir);
    bool SftpRename(const std::string& oldPath, const std::string& newPath);
    // `message` with the reason of the last failed SFTP request, when there is one.
    std::string SftpFailure(const std::string& message) const;

    // The folder the server named, "" when it has to be asked.
    void SetConfirmedDir(const std::string& dir);
    void SetStoredDir(const std::string& dir);
    std::string StoredDir() const;

    std::atomic<TFTPTransferType> m_transferType{ttBinary};
    std::atomic<TFTPFileSystemType> m_fileSystemType{ftUnix};
    std::atomic<bool> m_connected{false};
    std::atomic<bool> m_lastListingOk{false};
    std::atomic<bool> m_quietNotify{false};
    bool m_mlsdRefused = false; // guarded by the operation lock
    std::atomic<bool> m_utf8Names{false};
    std::string m_sftpReason; // guarded by the operation lock

    mutable std::mutex m_progressMutex;
    TFTPProgressInfo m_progress; // guarded by m_progressMutex

    mutable std::mutex m_dirMutex;
    std::string m_storedDir;    // guarded by m_dirMutex
    std::string m_confirmedDir; // guarded by m_dirMutex
};

} // namespace pw
