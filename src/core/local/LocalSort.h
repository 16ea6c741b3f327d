#pragma once
// The local pane's five orders. Each row gets a key: a prefix character (32 + image index,
// so folders, ".." among them, come before files), then the mode's texts. Keys are compared
// as unsigned bytes after "a" to "z" (and no other letters) become "A" to "Z"; the first
// difference decides, a key that begins the other comes first, and rows with equal keys keep
// their order (the sort is stable).
#include "core/local/LocalRows.h"

#include <algorithm>
#include <numeric>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pw {

enum class LocalSortMode { Unsorted, Name, Extension, Time, Size };

constexpr LocalSortMode kDefaultLocalSortMode = LocalSortMode::Name;

// Width to which "Sort after Size" pads the Size text with "0": 20 digits hold any 64-bit
// size, so files of 10 GB and more sort by size too.
constexpr size_t kSizeKeyDigits = 20;

// "unsorted", "name", "extension", "time", "size" (the command line's names); nothing for
// any other text.
std::optional<LocalSortMode> ParseLocalSortMode(std::string_view name);
const char* LocalSortModeName(LocalSortMode mode);

// The caption from its last "." to the end, dot included; empty when no "." follows the last
// "/", "\" or ":". The extension of ".." is ".".
std::string LocalExtension(std::string_view caption);

// "a" to "z" turned into "A" to "Z", every other byte unchanged.
std::string FoldSortKey(std::string_view text);

// The row's key for `mode`, already folded (compare with std::string's operator<, which
// compares unsigned bytes). Unsorted has the empty key. A row marked as the parent row (2)
// is keyed as the folder it is.
std::string LocalSortKey(const LocalRow& row, LocalSortMode mode);

// Sorts stably by LocalSortKey; Unsorted leaves the order alone. A ".." row marked 2 goes
// back to folder image 0 first, so sorting sorted rows again gives the same order.
void SortLocalRows(std::vector<LocalRow>& rows, LocalSortMode mode);

// Sorts `rows` stably by the std::string that `key` gives each row; every key is built once.
template <class Row, class KeyOf> void StableSortByKey(std::vector<Row>& rows, KeyOf key) {
    std::vector<std::string> keys;
    keys.reserve(rows.size());
    for (const auto& row : rows)
        keys.push_back(key(row));
    std::vector<size_t> order(rows.size());
    std::iota(order.begin(), order.end(), size_t(0));
    std::stable_sort(order.begin(), order.end(),
                     [&keys](size_t a, size_t b) { return keys[a] < keys[b]; });
    std::vector<Row> sorted;
    sorted.reserve(rows.size());
    for (size_t i : order)
        sorted.push_back(std::move(rows[i]));
    rows = std::move(sorted);
}

// The pane's order: SortLocalRows, then MarkLocalParentRow.
void ArrangeLocalRows(std::vector<LocalRow>& rows, LocalSortMode mode);

// ListLocalFolder followed by ArrangeLocalRows: the rows as the pane shows them.
LocalListing ListLocalPane(const std::string& folder, LocalSortMode mode);

} // namespace pw
