#pragma once
// What the benchmarks share: the best time of several runs, the news table as the window
// holds it, and a sample news page of many items.
#include "core/news/NewsFormat.h"
#include "core/news/NewsPage.h"
#include "core/storage/TnkDBData.h"
#include "core/storage/TnkDBSource.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

namespace bench {

// The best of `runs` times of `work` in milliseconds; `prepare` (not timed) runs before each.
inline double BestOf(int runs, const std::function<void()>& work,
                     const std::function<void()>& prepare = {}) {
    using Clock = std::chrono::steady_clock;
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        if (prepare) prepare();
        const auto start = Clock::now();
        work();
        best =
            std::min(best, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    return best;
}

struct NewsTable {
    NewsTable() : source(&data, pw::NewsFields()) { source.Loaded(); }
    pw::TnkDBData data;
    pw::TnkDBSource source;
};

// A page of `items` items with umlauts and markup in them, built as Post builds it.
inline std::string SampleNewsPage(int items, const pw::TranslationRows& translation,
                                  const pw::NewsPageOptions& options) {
    NewsTable table;
    for (int i = 0; i < items; ++i) {
        const int r = table.source.Append();
        char date[16], time[8];
        std::snprintf(date, sizeof date, "%04d/%02d/%02d", 2000 + i / 3000, 1 + i / 250 % 12,
                      1 + i / 9 % 28);
        std::snprintf(time, sizeof time, "%02d:%02d", i % 24, i % 60);
        table.source.SetString(r, "Date", date);
        table.source.SetString(r, "Time", time);
        table.source.SetString(r, "Name", "item" + std::to_string(i));
        table.source.SetString(r, "Header",
                               "<b>Gr\xFC\xDF"
                               "e</b>");
        table.source.SetString(r, "Text", "<p>Neu im Archiv: \xC4nderungen,\r\nBilder.</p>");
        table.source.SetString(r, "Footer", "- Ann<br>");
    }
    const pw::NewsPageContext context{"<html>\r\n<head><title>News</title></head>\r\n<body>\r\n",
                                      "</body>\r\n</html>\r\n"};
    return pw::BuildNewsPage(table.source, context, options, translation);
}

} // namespace bench
