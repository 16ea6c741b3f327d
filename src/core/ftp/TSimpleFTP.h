#pragma once
// The FTP client: one connection with a current remote directory, listings entry by entry,
// whole-file uploads and downloads with progress, and the remote file and folder commands.
// Every operation blocks the calling thread; failures give false and, unless
// SilentExceptions is on, an ESimpleFTPError (or EWinInetError for the connection).
//
// One thread at a time runs the operations of a component; the events (OnFindItem,
// OnTransferProgress, OnStateChange, ...) are called on that thread. Abort may come from
// any other thread. Event handlers must not wait for the thread that calls Abort.
// Names and paths are bytes as the server uses them; downloads go to a temporary file beside
// the target that replaces it only when the transfer is complete. A lost control connection
// leaves the component disconnected (a new login would start in another folder).
#include "core/ftp/FtpFindData.h"
#include "core/ftp/TWinInetControl.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

enum TFTPTransferType { ttBinary, ttAscii, ttUnknown };
enum TFTPFileSystemType { ftUnix, ftUnknown };

constexpr uint32_t FTP_TRANSFER_TYPE_UNKNOWN = 0;
constexpr uint32_t FTP_TRANSFER_TYPE_ASCII = 1;
constexpr uint32_t FTP_TRANSFER_TYPE_BINARY = 2;

struct TFTPProgressInfo {
    int64_t BytesDone = 0;
    int64_t BytesTotal = 0; // 0 when unknown
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

    std::string LocalDir;           // folder against which PutFile and GetFile resolve names
    bool FailIfExistsOnGet = false; // a download never replaces an existing local file
    TDirList DirList;
    std::string LastResponse; // the server's reply right after connecting

    std::function<void(TSimpleFTP& sender)> OnDirectoryChange;
    std::function<void(TSimpleFTP& sender, const TFtpFindData& entry)> OnFindItem;
    std::function<void(TSimpleFTP& sender, std::string& userName, std::string& password)> OnLogin;
    std::function<void(TSimpleFTP& sender, const TFTPProgressInfo& info)> OnTransferProgress;

    TFTPTransferType TransferType() const { return m_transferType; }
    void SetTransferType(TFTPTransferType type) { m_transferType = type; }
    uint32_t TransferTypeFlag() const;
    bool Passive() const { return (m_connectFlags & INTERNET_FLAG_PASSIVE) != 0; }
    void SetPassive(bool passive); // takes effect at the next connect
    TFTPFileSystemType FileSystemType() const { return m_fileSystemType; }
    void SetFileSystemType(TFTPFileSystemType type);
    TFTPProgressInfo& ProgressInfo() { return m_progress; }
    bool IsConnected() const { return m_connected && State() == wisConnected; }

    bool Connect() override;
    bool Disconnect() override;

    // The server's current directory when connected, else the stored one.
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
    bool PutFile(const std::string& nameOrPath);
    bool GetFile(const std::string& nameOrPath);
    bool Delete(const std::string& nameOrPath);
    bool DeleteFile(const std::string& remotePath);
    bool MakeDir(const std::string& remotePath);
    bool RemoveDir(const std::string& remotePath);
    bool Rename(const std::string& oldPath, const std::string& newPath);

    std::string AddSlash(const std::string& path) const;
    static std::string AddBackslash(const std::string& path);

protected:
    void UpdateQuickProgress() override;
    void StatusNotify(unsigned status, int64_t info) override;

private:
    friend struct FtpTransferCallbacks;
    bool OpenConnection(unsigned& errorCode);
    // Sends commands on the control connection; true when every reply is below 400.
    bool Quote(const std::vector<std::string>& commands, std::string* lastReply = nullptr);
    bool ListRemote(const std::string& path, std::vector<TFtpFindData>& entries);
    bool ListWith(const char* command, const std::string& path, std::string& data);
    bool LookupForGet(const std::string& remotePath, TFtpFindData& entry);
    bool Download(const std::string& remotePath, const std::string& localPath,
                  const TFtpFindData& entry);
    bool Upload(int fd, const std::string& remotePath);
    // After a failed request: a lost or aborted connection leaves the component disconnected.
    void AfterFailure();
    bool Fail(const std::string& message);
    void DropConnection();

    TFTPTransferType m_transferType = ttBinary;
    TFTPFileSystemType m_fileSystemType = ftUnix;
    TFTPProgressInfo m_progress;
    std::string m_storedDir;
    bool m_connected = false;
    bool m_mlsdRefused = false;
    bool m_lastListingOk = false;
    bool m_quietNotify = false;
};
