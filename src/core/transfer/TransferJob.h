#pragma once
// A transfer job of the queue: the record of one upload or download (everything the worker
// needs: direction, local path, server folder and name, file time, server and login), and the
// job's place in the queue (its id, the row's size text, its state and why it failed).
#include "core/ftp/ServerEndpoint.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace pw {

struct TnkFTPRecord {
    bool Upload = true;         // true: local to server; false: server to local
    std::string LocalFile;      // full local path (source of an upload, target of a download)
    std::string RemoteFile;     // file name on the server, without folder
    std::string RemoteFolder;   // server folder, with or without a trailing "/"
    double FileDate = 0;        // downloads: the server's time, days since 30 December 1899;
                                // 0 when unknown (the file then keeps the time of its download)
    std::string ServerHost;     // "host" or "host:port"
    std::string ServerUser;     // login name
    std::string ServerPassword; // in clear
    // How the server is reached, as the configuration or the pane's connection says.
    FtpProtocol Protocol = FtpProtocol::Ftp;
    bool Passive = true;
    std::string TrustedFingerprint; // pinned certificate or host key; empty: the system decides
    std::string KeyFile;            // SFTP private key; empty: password login
    bool UploadViaTemporary = true; // uploads go to a temporary name, renamed when complete
};

using TransferJobId = std::uint64_t;

enum class TransferJobState { Queued, Running, Failed, Done };

struct TransferJob {
    TransferJobId Id = 0; // given by the queue, unique in it
    TnkFTPRecord Record;
    std::string SizeText; // the "Size" column as the pane showed it
    TransferJobState State = TransferJobState::Queued;
    std::string Reason; // why a failed job failed
    // An upload of a dropped folder's contents: the server folder (and every missing folder
    // above it) is made when it cannot be entered. With an empty RemoteFile the job only
    // makes the folder (an empty folder of the drop).
    bool MakeRemoteFolder = false;

    // The row: caption (the file name), image 0 for an upload and 1 for a download.
    const std::string& Caption() const { return Record.RemoteFile; }
    int Image() const { return Record.Upload ? 0 : 1; }
};

// The server path of a job: the folder, "/" unless it ends with one, then the file name.
std::string JobRemotePath(const TnkFTPRecord& record);

// A "yyyy/mm/dd hh:mm:ss" text (as the remote pane lists times) read by character positions
// as a date-time value; 0 when the text is not such a time.
double FileDateFromText(std::string_view text);

// A date-time value as seconds since 1970 (the same instant, no time-zone conversion).
int64_t FileDateToUnixSeconds(double fileDate);

} // namespace pw
