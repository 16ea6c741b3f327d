// The news retrieval and posting flows on a page of about 10 MB with 60,000 items, served by
// scripts/ftp-server.py on loopback, each timed against curl moving the same bytes to or from
// the same server: retrieval (connect, download, analyse) against a plain download, posting
// (build, connect, upload, rename) against a plain upload. Both sides in active mode, the news
// connection's mode (libcurl 7.88 sometimes stalls a second before an EPSV data connection
// when paths are sent whole, which would swamp the figures).
#include "BenchProcesses.h"
#include "BenchSupport.h"
#include "core/config/ConfigTables.h"
#include "core/config/Password.h"
#include "core/ftp/TSimpleFTP.h"
#include "core/news/NewsFlows.h"
#include "core/news/NewsFormat.h"
#include "core/news/NewsPage.h"
#include "core/news/Translation.h"
#include "core/storage/FileIO.h"
#include "core/storage/TnkDBData.h"
#include "core/storage/TnkDBSource.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

using namespace pw;
using namespace bench;
namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kItems = 60000;
constexpr int kRuns = 3;

[[noreturn]] void die(const std::string& message) {
    throw std::runtime_error(message);
}

// One configuration pointing at the server, and everything the flows work on.
struct Rig {
    ConfigTables tables{ConfigRole::Dialog};
    NewsSelection selection;
    NewsTable news;
    NewsPageContext page;
    std::vector<std::string> lines;
    NewsFlowEvents events;
    bool ok = false;

    Rig(const std::string& host, const std::string& work) {
        TnkDBSource& c = tables.ConfigSource;
        c.Append();
        c.SetString(0, "Host", host);
        c.SetString(0, "LoginName", "anonymous");
        c.SetText(0, "LoginPassword", ScramblePassword("bench@"));
        c.SetString(0, "NewsSection", "main");
        c.SetString(0, "NewsBetweenNews", "<hr>");
        c.SetString(0, "TemporaryDirectory", work);
        selection = SelectNewsConfiguration(c, 0, work);
        events.StatusText = [](const std::string&) {};
        events.OverallGauge = [](int) {};
        events.TransferGauge = [](bool, int) {};
        events.Signs = [](bool, bool) {};
        events.StateChanged = [](ActivityState) {};
    }
    bool run(bool posting) {
        TSimpleFTP ftp;
        selection.Passive = false;
        NewsJob job{
            ftp,      tables.ConfigSource, 0, tables.TranslationSource, news.source, page, lines,
            selection};
        if (!posting) news.source.Clear();
        return posting ? RunNewsPosting(job, events) : RunNewsRetrieval(job, events);
    }
};

} // namespace

int main() {
    const fs::path work =
        fs::temp_directory_path() / ("bench_news_flows_" + std::to_string(getpid()));
    fs::create_directories(work / "root");
    fs::create_directories(work / "tmp");
    int status = 0;
    try {
        Rig rig("", (work / "tmp").string());
        const NewsPageOptions options = ReadNewsPageOptions(rig.tables.ConfigSource, 0);
        const std::string page =
            SampleNewsPage(kItems, ReadTranslationRows(rig.tables.TranslationSource), options);
        const std::string served = (work / "root" / "index.html").string();
        const std::string upload = (work / "upload.html").string();
        WriteFileAtomically(served, page, 0644);
        WriteFileAtomically(upload, page, 0644);

        LocalServer server((work / "root").string());
        rig.tables.ConfigSource.SetString(0, "Host", server.host());
        const std::string url = "ftp://" + server.host();

        int records = 0;
        const double fetchMs = BestOf(kRuns, [&] {
            if (!rig.run(false)) die("the retrieval failed");
            records = rig.news.source.RecordCount();
        });
        const double curlGetMs = BestOf(kRuns, [&] {
            MustRun({"curl", "-s", "--fail", "-P", "-", "-o", "/dev/null", url + "/index.html"});
        });
        const double postMs = BestOf(
            kRuns,
            [&] {
                if (!rig.run(true)) die("the posting failed");
            },
            [&] {
                if (!rig.run(false)) die("the retrieval failed");
            });
        const double curlPutMs = BestOf(kRuns, [&] {
            MustRun({"curl", "-s", "--fail", "-P", "-", "-T", upload, url + "/upload.html"});
        });
        const bool same = ReadWholeFile(served) == page;
        // The analysis alone, in memory: what retrieval adds to a download.
        const TranslationRows rows = ReadTranslationRows(rig.tables.TranslationSource);
        const double parseMs = BestOf(kRuns, [&] {
            NewsTable table;
            NewsPageContext context;
            if (!ParseNewsPage(page, options, rows, table.source, context)) die("no section");
        });

        std::printf("bench_news_flows: page of %.1f MB with %d items (%d records retrieved, "
                    "posted page %s), best of %d, loopback FTP, active mode\n",
                    page.size() / 1e6, kItems, records, same ? "identical" : "DIFFERENT", kRuns);
        std::printf("  retrieval (connect, download, analyse) %8.1f ms   curl download %8.1f ms   "
                    "ratio %.2f\n",
                    fetchMs, curlGetMs, fetchMs / curlGetMs);
        std::printf("    of which the analysis in memory      %8.1f ms\n", parseMs);
        std::printf(
            "  posting (build, connect, upload, rename) %6.1f ms   curl upload   %8.1f ms   "
            "ratio %.2f\n",
            postMs, curlPutMs, postMs / curlPutMs);
        if (records != kItems || !same) status = 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_news_flows: %s\n", e.what());
        status = 1;
    }
    std::error_code ignored;
    fs::remove_all(work, ignored);
    return status;
}
