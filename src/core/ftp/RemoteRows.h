#pragma once
// The remote pane's rows: the entries of one listed server folder turned into rows in the
// pane's fixed order (folders, then files, each by name, letters compared without regard to
// case), the parent row rules, links, and the folder path as the pane shows it.
#include "core/ftp/FtpFindData.h"
#include "core/local/LocalRows.h" // kFolderImage, kFileImage, kParentImage, kNoRowSize, texts

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pw {

class TSimpleFTP;

struct RemoteRow {
    int Image = kFileImage;    // kFolderImage, kFileImage or kParentImage
    std::string Caption;       // the entry's name, exactly the bytes the server sent
    int64_t Size = kNoRowSize; // bytes, 64-bit; kNoRowSize for folders and unknown sizes
    std::string TypeText;      // "Folder" or "File"
    std::string Modified;      // "yyyy/mm/dd hh:mm:ss" as listed; "" when the time is unknown
    bool IsLink = false;       // a link on the server, listed as what it leads to
    TFtpFindData Entry;        // the listed entry; for the parent row the pane adds, only a time

    bool IsFile() const { return Image == kFileImage; }
    bool IsParent() const { return Caption == ".."; }
    // The Size column: decimal without grouping, "" without a size.
    std::string SizeText() const;
};

// Tells whether a link entry (FILE_ATTRIBUTE_REPARSE_POINT without the folder attribute)
// leads to a folder. Without one, links are file rows.
using TLinkIsFolder = std::function<bool(const TFtpFindData& link)>;

// A probe over a connected client: a link leads to a folder when the server lets the client
// change into it (the current folder joined with the link's name); the client then changes
// back; a refused change (false or an exception) makes the link a file row. Call it after
// the listing has ended (not from OnFindItem); it sends CWD and PWD.
TLinkIsFolder LinkProbeFor(TSimpleFTP& ftp);

// The folder as the pane shows it: every "\" becomes "/", and when the second and third
// characters are then ":/" the first two go ("C:\web" shows as "/web", "C:\" as "/").
std::string ShownRemotePath(std::string_view serverDir);

// The path of a row's entry for Delete and RemoveDir: the shown folder, "/" unless it ends
// with one, then the caption.
std::string RemoteEntryPath(std::string_view shownPath, std::string_view caption);

// One entry as its row: folders (and links that lead to folders) are folder rows with an
// empty size, everything else a file row. Nothing for the entry ".".
std::optional<RemoteRow> RemoteRowFromEntry(const TFtpFindData& entry,
                                            const TLinkIsFolder& linkIsFolder = {});

// The sort key: the character 32 + image index, then the caption, folded as FoldSortKey
// (LocalSort.h) does.
std::string RemoteSortKey(const RemoteRow& row);

// Sorts stably by RemoteSortKey.
void SortRemoteRows(std::vector<RemoteRow>& rows);

// The parent row the pane adds: "..", image 2, empty size, "Folder", the given time.
RemoteRow MakeRemoteParentRow(int64_t fileTime);

// The pane's rows of a listed folder, as the list shows them: each entry's row (folders are
// put at the top as they arrive, files at the end, "." skipped), sorted; then, when the list
// is empty or does not start with "..", and `shownPath` is longer than one character (not
// "/"), a parent row with the time `listingTime` heads it; a leading ".." row gets image 2.
// The listing parsers drop the server's own "." and "..", so a listed folder below the root
// has exactly one parent row, first.
std::vector<RemoteRow> MakeRemoteRows(const std::vector<TFtpFindData>& entries,
                                      std::string_view shownPath, int64_t listingTime,
                                      const TLinkIsFolder& linkIsFolder = {});

// The wall-clock time now (local time, as the user reads the clock) as a file time: the time
// the pane gives its own parent row.
int64_t FileTimeNow();

} // namespace pw
