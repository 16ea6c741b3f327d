// local ls: the local pane's rows of a folder, in the pane's order, as JSON; and the JSON form
// of pane rows that ftp ls --rows shares.
#include "cli/CliCommands.h"
#include "cli/CliSupport.h"

#include "core/ftp/RemoteRows.h"
#include "core/local/LocalSort.h"
#include "core/storage/Cp1252.h"

#include <cstdio>

using namespace pw;

namespace {
constexpr const char* kUsage = "local ls DIR [--sort unsorted|name|extension|time|size]";

// Names are bytes: UTF-8 stays as it is, anything else is read as Windows-1252.
std::string NameToUtf8(const std::string& name) {
    return IsValidUtf8(name) ? name : ToUtf8(name);
}

template <class Row> nlohmann::ordered_json RowsToJson(const std::vector<Row>& rows) {
    auto list = nlohmann::ordered_json::array();
    for (const auto& row : rows) {
        nlohmann::ordered_json item;
        item["caption"] = NameToUtf8(row.Caption);
        item["image"] = row.Image;
        item["size"] = row.Size >= 0 ? nlohmann::ordered_json(row.Size) : nullptr;
        item["type"] = row.TypeText;
        item["modified"] = row.Modified.empty() ? nullptr : nlohmann::ordered_json(row.Modified);
        list.push_back(std::move(item));
    }
    return list;
}
} // namespace

void PrintPaneRows(const std::vector<RemoteRow>& rows) {
    PrintJson(RowsToJson(rows));
}

int RunLocalCommand(const Args& args) {
    const Options options(args, {"--sort"}, {});
    const auto& pos = options.positional();
    if (pos.empty()) throw CliError(std::string("usage: pagewright-cli ") + kUsage);
    if (pos[0] != "ls") throw CliError("unknown local command \"" + pos[0] + "\" (ls)");
    options.expectPositional(2, kUsage);
    LocalSortMode mode = kDefaultLocalSortMode;
    if (auto sort = options.value("--sort")) {
        const auto parsed = ParseLocalSortMode(*sort);
        if (!parsed)
            throw CliError("--sort takes unsorted, name, extension, time or size, not \"" + *sort +
                           "\"");
        mode = *parsed;
    }
    const LocalListing listing = ListLocalPane(pos[1], mode);
    if (!listing.Ok) throw CliError("cannot list " + listing.Error);
    for (const auto& skipped : listing.Skipped)
        std::fprintf(stderr, "skipped %s\n", skipped.c_str());
    PrintJson(RowsToJson(listing.Rows));
    return 0;
}
