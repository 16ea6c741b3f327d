// news parse / build / roundtrip: the news page engine on files.
#include "cli/CliCommands.h"
#include "cli/CliSupport.h"
#include "core/config/ConfigSchema.h"
#include "core/news/NewsFormat.h"
#include "core/news/NewsPage.h"
#include "core/storage/ByteStream.h"
#include "core/storage/FileIO.h"
#include "core/storage/TnkDBData.h"
#include "core/storage/TnkDBSource.h"
#include "core/storage/nkErrors.h"

#include <cstdio>

using namespace pw;

namespace {

constexpr const char* kFieldOrder[] = {news_field::kDate,   news_field::kTime, news_field::kName,
                                       news_field::kHeader, news_field::kText, news_field::kFooter};

// The news table as the main window holds it.
struct NewsTable {
    NewsTable() : source(&data, NewsFields()) { source.Loaded(); }
    TnkDBData data;
    TnkDBSource source;
};

TranslationRows loadTranslation(const Options& opts) {
    TnkDBData data;
    TnkDBSource source(&data, TranslationFields(ConfigRole::Dialog));
    if (const auto path = opts.value("--table")) {
        const std::string bytes = ReadWholeFile(*path);
        ByteReader in(bytes);
        try {
            source.LoadFromStream(in);
        } catch (const EStreamError& e) {
            throw EStreamError("The file " + *path + " is damaged: " + e.what());
        }
    } else {
        data.SetBinData(DefaultTranslationBinData());
        source.Loaded();
    }
    return ReadTranslationRows(source);
}

NewsPageOptions pageOptions(const Options& opts) {
    NewsPageOptions options;
    if (const auto section = opts.value("--section")) options.Section = FromUtf8(*section);
    options.OwnHeader = opts.flag("--own-header");
    if (const auto between = opts.value("--between")) options.BetweenNews = FromUtf8(*between);
    return options;
}

void writeStdout(const std::string& bytes) {
    if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size() ||
        std::fflush(stdout) != 0)
        throw CliError("Cannot write the page to standard output");
}

// Analyses a page file; false (with the status text on stderr) when it has no news section.
bool analysePage(const std::string& path, const Options& opts, const TranslationRows& rows,
                 NewsTable& table, NewsPageContext& context) {
    const std::string page = ReadWholeFile(path);
    if (ParseNewsPage(page, pageOptions(opts), rows, table.source, context)) return true;
    std::fputs("Error: Analysing unsuccessful\n", stderr);
    return false;
}

nlohmann::ordered_json pageToJson(const NewsTable& table, const NewsPageContext& context) {
    nlohmann::ordered_json items = nlohmann::ordered_json::array();
    for (int r = 0; r < table.source.RecordCount(); ++r) {
        nlohmann::ordered_json item = nlohmann::ordered_json::object();
        for (const char* field : kFieldOrder)
            item[field] = ToUtf8(table.source.GetString(r, field));
        items.push_back(std::move(item));
    }
    return {{"prefix", ToUtf8(context.PagePrefix)},
            {"suffix", ToUtf8(context.PageSuffix)},
            {"items", std::move(items)}};
}

std::string jsonText(const nlohmann::json& object, const char* key, const std::string& where) {
    const auto it = object.find(key);
    if (it == object.end() || it->is_null()) return {};
    if (!it->is_string()) throw CliError(where + ": \"" + key + "\" is not a text");
    return FromUtf8(it->get<std::string>());
}

void pageFromJson(const std::string& path, NewsTable& table, NewsPageContext& context) {
    nlohmann::json doc;
    try {
        doc = nlohmann::json::parse(ReadWholeFile(path));
    } catch (const nlohmann::json::exception& e) {
        throw CliError("The file " + path + " is not valid JSON: " + e.what());
    }
    if (!doc.is_object()) throw CliError("The file " + path + " does not hold a JSON object");
    context.PagePrefix = jsonText(doc, "prefix", path);
    context.PageSuffix = jsonText(doc, "suffix", path);
    const auto items = doc.find("items");
    if (items == doc.end() || items->is_null()) return;
    if (!items->is_array()) throw CliError(path + ": \"items\" is not a list");
    for (size_t i = 0; i < items->size(); ++i) {
        const auto& item = (*items)[i];
        const std::string where = path + ", item " + std::to_string(i);
        if (!item.is_object()) throw CliError(where + " is not an object");
        const int record = table.source.Append();
        for (const char* field : kFieldOrder)
            table.source.SetString(record, field, jsonText(item, field, where));
    }
}

} // namespace

int RunNewsCommand(const Args& args) {
    constexpr const char* kOptionsUsage = " [--section NAME] [--own-header] [--between TEXT] "
                                          "[--table FILE]";
    if (args.empty())
        throw CliError(std::string("usage: pagewright-cli news parse|build|roundtrip FILE") +
                       kOptionsUsage);
    const Options opts(Args(args.begin() + 1, args.end()), {"--section", "--between", "--table"},
                       {"--own-header"});
    const std::string& command = args[0];
    NewsTable table;
    NewsPageContext context;
    if (command == "parse") {
        opts.expectPositional(1, "news parse PAGE [--section NAME] [--table FILE]");
        if (!analysePage(opts.positional()[0], opts, loadTranslation(opts), table, context))
            return 1;
        PrintJson(pageToJson(table, context));
        return 0;
    }
    if (command == "build") {
        opts.expectPositional(1, (std::string("news build JSON") + kOptionsUsage).c_str());
        pageFromJson(opts.positional()[0], table, context);
        writeStdout(BuildNewsPage(table.source, context, pageOptions(opts), loadTranslation(opts)));
        return 0;
    }
    if (command == "roundtrip") {
        opts.expectPositional(1, (std::string("news roundtrip PAGE") + kOptionsUsage).c_str());
        const TranslationRows rows = loadTranslation(opts);
        if (!analysePage(opts.positional()[0], opts, rows, table, context)) return 1;
        writeStdout(BuildNewsPage(table.source, context, pageOptions(opts), rows));
        return 0;
    }
    throw CliError("unknown news command \"" + command + "\" (parse, build, roundtrip)");
}
