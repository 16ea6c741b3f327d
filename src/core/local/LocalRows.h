#pragma once
// The local pane's rows: one folder of the local file system listed into the rows the pane
// shows (kind, caption, size, type and time-stamp texts), and the path rules by which the pane
// moves between folders. Names are the bytes the file system holds; nothing is converted.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pw {

// A row's image index is also its kind. The remote pane uses the same three.
constexpr int kFolderImage = 0;
constexpr int kFileImage = 1;
constexpr int kParentImage = 2; // the ".." row, once it is known to head the list

// The Size column of folders (and of sizes nobody knows) is empty.
constexpr int64_t kNoRowSize = -1;

inline constexpr const char* kFolderTypeText = "Folder";
inline constexpr const char* kFileTypeText = "File";

struct LocalRow {
    int Image = kFolderImage;  // a ".." row is listed as a folder (0) and marked 2 later
    std::string Caption;       // the entry's name, bytes as on disk
    int64_t Size = kNoRowSize; // bytes, 64-bit; kNoRowSize for folders
    std::string TypeText;      // "Folder" or "File"
    std::string Modified;      // last-write time as stored (UTC), "yyyy/mm/dd hh:mm:ss", or ""
    bool IsLink = false;       // a symbolic link, listed by the kind of what it leads to

    bool IsFile() const { return Image == kFileImage; }
    bool IsParent() const { return Caption == ".."; }
    // The Size column: decimal without grouping, "" without a size.
    std::string SizeText() const;
};

struct LocalListing {
    bool Ok = false;                  // false: the folder could not be read, Rows is empty
    std::string Error;                // why not, e.g. "/x: Permission denied"
    std::vector<LocalRow> Rows;       // in the order the file system enumerates them
    std::vector<std::string> Skipped; // "name: reason" for each entry that could not be read
};

// Lists `folder` (an empty folder means the root, as JoinLocalPath gives) in the order of
// enumeration: "." is skipped; ".." is kept as a folder row except in a root; every other
// entry becomes a folder row or a file row. A symbolic link counts as what it leads to (its
// target's kind, size and time); a link that leads nowhere is a file row with the link's own
// size and time. Entries that cannot be examined are skipped and named in Skipped. Sorting
// and the parent image are the caller's (ArrangeLocalRows, ListLocalPane in LocalSort.h).
LocalListing ListLocalFolder(const std::string& folder);

// The row of one entry from its stat data (mode, size, mtime in seconds since 1970 UTC).
LocalRow MakeLocalRow(std::string name, bool isFolder, int64_t size, int64_t mtimeSeconds);

// The time-stamp text of a last-write time given in seconds since 1970 (UTC), shown as stored;
// "" for a time before 1601 or after 9999.
std::string LocalTimeStampText(int64_t unixSeconds);

// When the first row is "..", it becomes the parent row (image 2).
void MarkLocalParentRow(std::vector<LocalRow>& rows);

// The full name of an entry: the folder, a separator unless the folder already ends with one,
// then the name. An empty folder gives "/name".
std::string JoinLocalPath(std::string_view folder, std::string_view name);

// The folder one up: `folder` cut before its last separator, "/" when nothing is left.
// A trailing separator is what the first cut removes ("/ftp/" gives "/ftp"). A path without
// any separator (empty or relative) has no parent and is returned unchanged.
std::string LocalParentFolder(std::string_view folder);

// A root is a path that is its own parent: "/", "" (which lists the root). The pane shows no
// ".." row there, and Root and Up are disabled.
bool IsLocalRoot(std::string_view folder);

} // namespace pw
