// Guards: news page analysis on arbitrary bytes; any analysed page, rebuilt, analyses again.
// News page analysis on arbitrary bytes. The first byte picks the options (section name,
// own headers, between text); the rest is the page. A page that was analysed is generated
// again, and that page must analyse too.
#include "core/news/NewsFormat.h"
#include "core/news/NewsPage.h"
#include "core/storage/TnkDBData.h"
#include "core/storage/TnkDBSource.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace pw;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    static const TranslationRows translation = {
        {"\xE4", "&auml;"}, {"\xDF", "&szlig;"}, {"&", "&amp;"}, {"", "&nbsp;"}};
    const uint8_t mode = data[0];
    const std::string_view page(reinterpret_cast<const char*>(data + 1), size - 1);
    NewsPageOptions options;
    if (mode & 1) options.Section = "main";
    options.OwnHeader = (mode & 2) != 0;
    if (mode & 4) options.BetweenNews = "<hr>\r\n";

    TnkDBData data1;
    TnkDBSource news(&data1, NewsFields());
    news.Loaded();
    NewsPageContext context;
    if (!ParseNewsPage(page, options, translation, news, context)) {
        if (news.RecordCount() != 0) std::abort();
        return 0;
    }
    if (news.CurrentIndex() != news.RecordCount() - 1) std::abort();

    const std::string rebuilt = BuildNewsPage(news, context, options, translation);
    TnkDBData data2;
    TnkDBSource again(&data2, NewsFields());
    again.Loaded();
    NewsPageContext context2;
    if (!ParseNewsPage(rebuilt, options, translation, again, context2)) std::abort();
    return 0;
}
