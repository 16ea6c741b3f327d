// news parse / build / roundtrip: the news page engine on files; fetch / add / post go to
// the server (NewsFlowCommands.cpp).
#include "cli/CliCommands.h"
#include "cli/CliSupport.h"
#include "cli/NewsJson.h"
#include "core/config/ConfigSchema.h"
#include "core/news/NewsPage.h"
#include "core/storage/ByteStream.h"
#include "core/storage/FileIO.h"
#include "core/storage/TnkDBData.h"
#include "core/storage/TnkDBSource.h"
#include "core/storage/nkErrors.h"

#include <cstdio>

using namespace pw;

namespace {

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

} // namespace

int RunNewsCommand(const Args& args) {
    constexpr const char* kOptionsUsage = " [--section NAME] [--own-header] [--between TEXT] "
                                          "[--table FILE]";
    if (args.empty())
        throw CliError(std::string("usage: pagewright-cli news parse|build|roundtrip FILE") +
                       kOptionsUsage + " | news fetch|add|post CFG ...");
    if (args[0] == "fetch" || args[0] == "add" || args[0] == "post")
        return RunNewsFlowCommand(args[0], Args(args.begin() + 1, args.end()));
    const Options opts(Args(args.begin() + 1, args.end()), {"--section", "--between", "--table"},
                       {"--own-header"});
    const std::string& command = args[0];
    NewsTable table;
    NewsPageContext context;
    if (command == "parse") {
        opts.expectPositional(1, "news parse PAGE [--section NAME] [--table FILE]");
        if (!analysePage(opts.positional()[0], opts, loadTranslation(opts), table, context))
            return 1;
        PrintJson(NewsPageToJson(table.source, context));
        return 0;
    }
    if (command == "build") {
        opts.expectPositional(1, (std::string("news build JSON") + kOptionsUsage).c_str());
        NewsPageFromJson(opts.positional()[0], table.source, context);
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
    throw CliError("unknown news command \"" + command +
                   "\" (parse, build, roundtrip, fetch, add, post)");
}
