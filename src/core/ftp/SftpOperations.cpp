// The operations of TSimpleFTP that differ over SFTP: the folder, the remote commands (as
// libcurl's SFTP quote commands) and the rename that replaces a file.
#include "core/ftp/FtpErrors.h"
#include "core/ftp/FtpPaths.h"
#include "core/ftp/SftpPaths.h"
#include "core/ftp/TSimpleFTP.h"

#include <curl/curl.h>

#include <atomic>
#include <unistd.h>

namespace pw {

namespace {
struct QuoteList {
    curl_slist* list = nullptr;
    ~QuoteList() { curl_slist_free_all(list); }
};

std::string NamePart(const std::string& path) {
    return path.substr(path.rfind('/') + 1);
}
} // namespace

std::string TSimpleFTP::SftpAbsolute(const std::string& path) {
    return ResolveRemotePath(RemoteDir(), path);
}

std::string TSimpleFTP::SftpFailure(const std::string& message) const {
    return m_sftpReason.empty() ? message : message + ": " + m_sftpReason;
}

bool TSimpleFTP::SftpQuote(const std::vector<std::string>& commands) {
    m_sftpReason.clear();
    if (!IsConnected() || !HasSession()) return false;
    QuoteList list;
    for (const auto& command : commands) {
        if (HasCommandBreak(command)) {
            m_sftpReason = "a line break in a name";
            return false;
        }
        list.list = curl_slist_append(list.list, command.c_str());
    }
    // No transfer: the commands run on the open SFTP session, and a failed one keeps it.
    PrepareRequest(BaseUrl());
    curl_easy_setopt(Session(), CURLOPT_NOBODY, 1L);
    curl_easy_setopt(Session(), CURLOPT_QUOTE, list.list);
    if (Perform(false) == CURLE_OK) return true;
    m_sftpReason = LastErrorText();
    AfterFailure();
    return false;
}

bool TSimpleFTP::SftpFolderExists(const std::string& path) {
    m_sftpReason.clear();
    if (!IsConnected() || HasCommandBreak(path)) return false;
    // A folder address without a body only asks for the folder's time (a stat): a path the
    // server cannot stat has none.
    PrepareRequest(SftpUrl(BaseUrl(), path, true));
    curl_easy_setopt(Session(), CURLOPT_NOBODY, 1L);
    curl_easy_setopt(Session(), CURLOPT_FILETIME, 1L);
    if (Perform(false) != CURLE_OK) {
        m_sftpReason = LastErrorText();
        AfterFailure();
        return false;
    }
    curl_off_t time = -1;
    curl_easy_getinfo(Session(), CURLINFO_FILETIME_T, &time);
    if (time < 0) m_sftpReason = "no such folder";
    return time >= 0;
}

bool TSimpleFTP::SftpChangeDir(const std::string& dir) {
    const std::string target = SftpAbsolute(dir);
    if (SftpFolderExists(target)) {
        SetStoredDir(target);
        SetConfirmedDir(target);
        if (OnDirectoryChange) OnDirectoryChange(*this);
        return true;
    }
    if (!SilentExceptions && FileSystemType() == ftUnix)
        throw ESimpleFTPError(SftpFailure(FormatMessage(FtpText::CouldntChangeDir, dir)));
    return false;
}

bool TSimpleFTP::SftpForceDir(const std::string& dir) {
    if (HasCommandBreak(dir)) return Fail(FormatMessage(FtpText::ErrorCreatingDir, dir));
    const std::string path = SftpAbsolute(dir);
    bool missing = false; // below a missing folder everything is missing
    for (const std::string& folder : FolderChain(path)) {
        if (missing || !SftpFolderExists(folder)) {
            missing = true;
            // Another client may have made it meanwhile: then it exists now.
            if (!IsConnected() ||
                (!SftpQuote({"mkdir " + SftpArgument(folder)}) && !SftpFolderExists(folder)))
                return Fail(SftpFailure(FormatMessage(FtpText::ErrorCreatingDir, folder)));
        }
    }
    return ChangeDir(path);
}

// FTP servers replace an existing file on RNTO (rename(2) underneath), while an SFTP rename
// onto an existing name fails on most servers. When the plain rename fails and a file (not a
// folder) has the new name, that file is first renamed aside, then the rename is made, and
// only then is the old file removed; if the rename still fails, the file is put back. So no
// step loses either file, and a failure leaves both as they were.
bool TSimpleFTP::SftpRename(const std::string& oldPath, const std::string& newPath) {
    static std::atomic<unsigned> counter{0};
    const std::string from = SftpAbsolute(oldPath);
    const std::string to = SftpAbsolute(newPath);
    const auto rename = [this](const std::string& a, const std::string& b) {
        return SftpQuote({"rename " + SftpArgument(a) + " " + SftpArgument(b)});
    };
    if (rename(from, to)) return true;
    const std::string reason = m_sftpReason;
    TFtpFindData existing;
    if (!IsConnected() || from == to || !FindForGet(to, existing) ||
        existing.FileName != NamePart(to) || existing.IsDirectory()) {
        m_sftpReason = reason;
        return false;
    }
    const std::string aside =
        to + ".replaced-" + std::to_string(::getpid()) + "-" + std::to_string(counter.fetch_add(1));
    if (!rename(to, aside)) {
        m_sftpReason = reason;
        return false;
    }
    if (!rename(from, to)) {
        const std::string second = m_sftpReason;
        rename(aside, to);
        m_sftpReason = second;
        return false;
    }
    // The old file stays under the aside name if it cannot be removed: nothing is lost.
    SftpQuote({"rm " + SftpArgument(aside)});
    return true;
}

} // namespace pw
