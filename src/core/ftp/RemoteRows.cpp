#include "core/ftp/RemoteRows.h"

#include "core/ftp/TSimpleFTP.h"
#include "core/local/LocalSort.h"

#include <algorithm>
#include <ctime>
#include <exception>

namespace pw {

namespace {
bool IsLinkEntry(const TFtpFindData& entry) {
    return !entry.IsDirectory() && (entry.Attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}
} // namespace

std::string RemoteRow::SizeText() const {
    return Size >= 0 ? std::to_string(Size) : std::string();
}

TLinkIsFolder LinkProbeFor(TSimpleFTP& ftp) {
    return [&ftp](const TFtpFindData& link) {
        const std::string folder = ftp.RemoteDir();
        std::string target = folder;
        if (target.empty() || target.back() != '/') target += '/';
        target += link.FileName;
        // A refused change means the link leads to a file (or nowhere), also for a client
        // that reports failures as exceptions.
        bool entered = false;
        try {
            entered = ftp.ChangeDir(target);
        } catch (const std::exception&) {
            entered = false;
        }
        if (entered) ftp.ChangeDir(folder);
        return entered;
    };
}

std::string ShownRemotePath(std::string_view serverDir) {
    std::string path(serverDir);
    std::replace(path.begin(), path.end(), '\\', '/');
    if (path.size() >= 3 && path[1] == ':' && path[2] == '/') path.erase(0, 2);
    return path;
}

std::string RemoteEntryPath(std::string_view shownPath, std::string_view caption) {
    std::string path(shownPath);
    if (path.empty() || path.back() != '/') path += '/';
    path += caption;
    return path;
}

std::optional<RemoteRow> RemoteRowFromEntry(const TFtpFindData& entry,
                                            const TLinkIsFolder& linkIsFolder) {
    if (entry.FileName == ".") return std::nullopt;
    RemoteRow row;
    row.IsLink = (entry.Attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    const bool folder =
        entry.IsDirectory() || (IsLinkEntry(entry) && linkIsFolder && linkIsFolder(entry));
    row.Image = folder ? kFolderImage : kFileImage;
    row.Caption = entry.FileName;
    row.Size = folder || !entry.HasSize() ? kNoRowSize : entry.FileSize;
    row.TypeText = folder ? kFolderTypeText : kFileTypeText;
    row.Modified = entry.TimeText();
    row.Entry = entry;
    return row;
}

std::string RemoteSortKey(const RemoteRow& row) {
    std::string key(1, char(32 + row.Image));
    key += FoldSortKey(row.Caption);
    return key;
}

void SortRemoteRows(std::vector<RemoteRow>& rows) {
    StableSortByKey(rows, RemoteSortKey);
}

RemoteRow MakeRemoteParentRow(int64_t fileTime) {
    RemoteRow row;
    row.Image = kParentImage;
    row.Caption = "..";
    row.TypeText = kFolderTypeText;
    row.Entry.FileName = "..";
    row.Entry.Attributes = FILE_ATTRIBUTE_DIRECTORY;
    row.Entry.LastWriteTime = fileTime;
    row.Modified = row.Entry.TimeText();
    return row;
}

std::vector<RemoteRow> MakeRemoteRows(const std::vector<TFtpFindData>& entries,
                                      std::string_view shownPath, int64_t listingTime,
                                      const TLinkIsFolder& linkIsFolder) {
    // Folder rows are inserted at the top as they arrive, file rows appended: equal keys
    // keep that arrangement through the stable sort.
    std::vector<RemoteRow> folders, files;
    for (const auto& entry : entries) {
        auto row = RemoteRowFromEntry(entry, linkIsFolder);
        if (!row) continue;
        (row->IsFile() ? files : folders).push_back(std::move(*row));
    }
    std::vector<RemoteRow> rows;
    rows.reserve(folders.size() + files.size() + 1);
    std::move(folders.rbegin(), folders.rend(), std::back_inserter(rows));
    std::move(files.begin(), files.end(), std::back_inserter(rows));
    SortRemoteRows(rows);
    if ((rows.empty() || !rows.front().IsParent()) && shownPath.size() > 1)
        rows.insert(rows.begin(), MakeRemoteParentRow(listingTime));
    if (!rows.empty() && rows.front().IsParent()) rows.front().Image = kParentImage;
    return rows;
}

int64_t FileTimeNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return FileTimeFromCalendar(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                                local.tm_hour, local.tm_min, local.tm_sec);
}

} // namespace pw
