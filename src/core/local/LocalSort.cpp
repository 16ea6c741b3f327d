#include "core/local/LocalSort.h"

#include <array>

namespace pw {

namespace {
constexpr std::array<const char*, 5> kModeNames = {"unsorted", "name", "extension", "time", "size"};

// The prefix character: 32 + image index, with a marked parent row keyed as a folder.
char Prefix(const LocalRow& row) {
    const int image = row.Image == kParentImage ? kFolderImage : row.Image;
    return char(32 + image);
}

void AppendFolded(std::string& key, std::string_view text) {
    for (char c : text)
        key += (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
}
} // namespace

std::optional<LocalSortMode> ParseLocalSortMode(std::string_view name) {
    for (size_t i = 0; i < kModeNames.size(); ++i)
        if (name == kModeNames[i]) return LocalSortMode(i);
    return std::nullopt;
}

const char* LocalSortModeName(LocalSortMode mode) {
    return kModeNames[size_t(mode)];
}

std::string LocalExtension(std::string_view caption) {
    const size_t dot = caption.rfind('.');
    if (dot == std::string_view::npos) return {};
    const size_t delimiter = caption.find_last_of("/\\:");
    if (delimiter != std::string_view::npos && delimiter > dot) return {};
    return std::string(caption.substr(dot));
}

std::string FoldSortKey(std::string_view text) {
    std::string key;
    key.reserve(text.size());
    AppendFolded(key, text);
    return key;
}

std::string LocalSortKey(const LocalRow& row, LocalSortMode mode) {
    std::string key;
    if (mode == LocalSortMode::Unsorted) return key;
    key.reserve(1 + kSizeKeyDigits + 2 * row.Caption.size());
    key += Prefix(row);
    switch (mode) {
    case LocalSortMode::Unsorted:
    case LocalSortMode::Name:
        break;
    case LocalSortMode::Extension:
        AppendFolded(key, LocalExtension(row.Caption));
        break;
    case LocalSortMode::Time:
        AppendFolded(key, row.Modified);
        return key;
    case LocalSortMode::Size: {
        const std::string size = row.SizeText();
        if (size.size() < kSizeKeyDigits) key.append(kSizeKeyDigits - size.size(), '0');
        key += size;
        break;
    }
    }
    AppendFolded(key, row.Caption);
    return key;
}

void SortLocalRows(std::vector<LocalRow>& rows, LocalSortMode mode) {
    if (mode == LocalSortMode::Unsorted) return;
    for (auto& row : rows)
        if (row.Image == kParentImage) row.Image = kFolderImage;
    StableSortByKey(rows, [mode](const LocalRow& row) { return LocalSortKey(row, mode); });
}

void ArrangeLocalRows(std::vector<LocalRow>& rows, LocalSortMode mode) {
    SortLocalRows(rows, mode);
    MarkLocalParentRow(rows);
}

LocalListing ListLocalPane(const std::string& folder, LocalSortMode mode) {
    LocalListing listing = ListLocalFolder(folder);
    ArrangeLocalRows(listing.Rows, mode);
    return listing;
}

} // namespace pw
