// News page analysis and generation on a page of about 10 MB with 60,000 items, each timed
// against reading and writing the same bytes once, the floor that no parser can beat.
#include "core/config/ConfigSchema.h"
#include "core/news/NewsFormat.h"
#include "core/news/NewsPage.h"
#include "core/news/Translation.h"
#include "core/storage/TnkDBData.h"
#include "core/storage/TnkDBSource.h"

#include "BenchSupport.h"
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <unistd.h>

using namespace pw;
using namespace bench;

namespace {

using Clock = std::chrono::steady_clock;

TranslationRows defaultTranslation() {
    TnkDBData data;
    TnkDBSource source(&data, TranslationFields(ConfigRole::Dialog));
    data.SetBinData(DefaultTranslationBinData());
    source.Loaded();
    return ReadTranslationRows(source);
}

std::string tempPath() {
    char name[] = "/tmp/bench_news_XXXXXX";
    const int fd = mkstemp(name);
    if (fd < 0) {
        std::perror("mkstemp");
        std::exit(1);
    }
    close(fd);
    return name;
}

void readAndWrite(const std::string& from, const std::string& to) {
    std::ifstream in(from, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::ofstream out(to, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        std::fprintf(stderr, "cannot write %s\n", to.c_str());
        std::exit(1);
    }
}

} // namespace

int main() {
    constexpr int kItems = 60000;
    constexpr int kRuns = 7;
    const TranslationRows translation = defaultTranslation();
    const NewsPageOptions options{"main", false, "<hr>"};

    const std::string page =
        SampleNewsPage(kItems, translation, NewsPageOptions{"main", false, "<hr>"});
    const std::string source = tempPath(), copy = tempPath();
    {
        std::ofstream out(source, std::ios::binary);
        out.write(page.data(), static_cast<std::streamsize>(page.size()));
    }
    const double floorMs = BestOf(kRuns, [&] { readAndWrite(source, copy); });

    int records = 0;
    const double parseMs = BestOf(kRuns, [&] {
        NewsTable table;
        NewsPageContext context;
        if (!ParseNewsPage(page, options, translation, table.source, context)) std::abort();
        records = table.source.RecordCount();
    });

    NewsTable table;
    NewsPageContext context;
    ParseNewsPage(page, options, translation, table.source, context);
    std::string rebuilt;
    const double buildMs = BestOf(
        kRuns, [&] { rebuilt = BuildNewsPage(table.source, context, options, translation); });

    // Adversarial: 10 MB of date markers, inside a section and without one.
    std::string markers;
    for (size_t i = 0; i < page.size() / 10; ++i)
        markers += "<!-- DATE:";
    const std::string hostile = "<!-- NEWS:main -->\r\n" + markers + "\r\n<!-- /NEWS -->\r\n";
    const double hostileMs = BestOf(kRuns, [&] {
        NewsTable t;
        NewsPageContext c;
        ParseNewsPage(hostile, options, translation, t.source, c);
    });
    const double noSectionMs = BestOf(kRuns, [&] {
        NewsTable t;
        NewsPageContext c;
        if (ParseNewsPage(markers, options, translation, t.source, c)) std::abort();
    });

    std::filesystem::remove(source);
    std::filesystem::remove(copy);

    const double mb = page.size() / 1e6;
    std::printf("bench_news: page of %.1f MB with %d items (%d records read back, "
                "rebuilt page %s)\n",
                mb, kItems, records, rebuilt == page ? "identical" : "different");
    std::printf("  read + write once         %8.1f ms\n", floorMs);
    std::printf("  analysis                  %8.1f ms  ratio %.2f\n", parseMs, parseMs / floorMs);
    std::printf("  generation                %8.1f ms  ratio %.2f\n", buildMs, buildMs / floorMs);
    std::printf("  10 MB of date markers     %8.1f ms  ratio %.2f\n", hostileMs,
                hostileMs / floorMs);
    std::printf("  same without a section    %8.1f ms  ratio %.2f\n", noSectionMs,
                noSectionMs / floorMs);
    return 0;
}
