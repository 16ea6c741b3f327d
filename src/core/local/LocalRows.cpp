#include "core/local/LocalRows.h"

#include "core/ftp/FtpFindData.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pw {

namespace {
constexpr char kSeparator = '/';
constexpr int64_t kTicksPerSecond = 10000000;
constexpr int64_t kSecondsFrom1601To1970 = 11644473600;
constexpr int64_t kLastSecondOf9999 = 253402300799;

std::string Reason(int error) {
    return std::strerror(error);
}

// Closes the enumeration on every path out.
struct DirCloser {
    DIR* dir;
    ~DirCloser() {
        if (dir) ::closedir(dir);
    }
};
} // namespace

std::string LocalRow::SizeText() const {
    return Size >= 0 ? std::to_string(Size) : std::string();
}

std::string LocalTimeStampText(int64_t unixSeconds) {
    // File systems with 64-bit seconds can hold times no calendar text is made for.
    if (unixSeconds < -kSecondsFrom1601To1970 || unixSeconds > kLastSecondOf9999) return {};
    return FormatDateTime(
        FileTimeToDateTime((unixSeconds + kSecondsFrom1601To1970) * kTicksPerSecond));
}

LocalRow MakeLocalRow(std::string name, bool isFolder, int64_t size, int64_t mtimeSeconds) {
    LocalRow row;
    row.Image = isFolder ? kFolderImage : kFileImage;
    row.Caption = std::move(name);
    row.Size = isFolder ? kNoRowSize : size;
    row.TypeText = isFolder ? kFolderTypeText : kFileTypeText;
    row.Modified = LocalTimeStampText(mtimeSeconds);
    return row;
}

void MarkLocalParentRow(std::vector<LocalRow>& rows) {
    if (!rows.empty() && rows.front().IsParent()) rows.front().Image = kParentImage;
}

std::string JoinLocalPath(std::string_view folder, std::string_view name) {
    std::string path(folder);
    if (path.empty() || path.back() != kSeparator) path += kSeparator;
    path += name;
    return path;
}

std::string LocalParentFolder(std::string_view folder) {
    const size_t last = folder.rfind(kSeparator);
    if (last == std::string_view::npos) return std::string(folder);
    if (last == 0) return std::string(1, kSeparator);
    return std::string(folder.substr(0, last));
}

bool IsLocalRoot(std::string_view folder) {
    return LocalParentFolder(folder) == folder;
}

LocalListing ListLocalFolder(const std::string& folder) {
    LocalListing listing;
    const std::string path = folder.empty() ? std::string(1, kSeparator) : folder;
    DirCloser closer{::opendir(path.c_str())};
    if (!closer.dir) {
        listing.Error = path + ": " + Reason(errno);
        return listing;
    }
    const int dirFd = ::dirfd(closer.dir);
    const bool root = IsLocalRoot(folder);
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(closer.dir);
        if (!entry) {
            if (errno != 0) {
                // The folder went away or failed half-way: nothing is shown rather than a
                // part that looks complete.
                listing.Rows.clear();
                listing.Error = path + ": " + Reason(errno);
                return listing;
            }
            break;
        }
        const std::string_view name = entry->d_name;
        if (name == ".") continue;
        if (name == ".." && root) continue;
        struct stat info {};
        bool isLink = false;
        if (::fstatat(dirFd, entry->d_name, &info, 0) != 0) {
            const int error = errno;
            // A link that leads nowhere (or round in a circle) is shown as a file.
            if (::fstatat(dirFd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 ||
                !S_ISLNK(info.st_mode)) {
                listing.Skipped.push_back(std::string(name) + ": " + Reason(error));
                continue;
            }
            LocalRow row = MakeLocalRow(std::string(name), false, info.st_size, info.st_mtime);
            row.IsLink = true;
            listing.Rows.push_back(std::move(row));
            continue;
        }
        if (entry->d_type == DT_LNK) {
            isLink = true;
        } else if (entry->d_type == DT_UNKNOWN) {
            struct stat own {};
            isLink = ::fstatat(dirFd, entry->d_name, &own, AT_SYMLINK_NOFOLLOW) == 0 &&
                     S_ISLNK(own.st_mode);
        }
        LocalRow row =
            MakeLocalRow(std::string(name), S_ISDIR(info.st_mode), info.st_size, info.st_mtime);
        row.IsLink = isLink;
        listing.Rows.push_back(std::move(row));
    }
    listing.Ok = true;
    return listing;
}

} // namespace pw
