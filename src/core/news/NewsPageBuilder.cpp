#include "core/news/NewsFormat.h"
#include "core/news/NewsPage.h"
#include "core/storage/TnkDBSource.h"

namespace pw {

std::string BuildNewsPage(const TnkDBSource& news, const NewsPageContext& context,
                          const NewsPageOptions& options, const TranslationRows& translation) {
    using namespace news_marker;
    const bool named = !options.Section.empty();
    const int count = news.RecordCount();

    std::string page = context.PagePrefix;
    page += named ? NamedStartMarker(options.Section) : std::string(kPlainStart);
    page += "\r\n";

    std::string previousDate;
    for (int r = count - 1; r >= 0; --r) {
        std::string date = news.GetString(r, news_field::kDate);
        const bool newDate = date != previousDate;
        if (newDate && r != count - 1) page += "\r\n";
        if (newDate || options.OwnHeader) {
            page += kDate;
            page += date;
            page += '(';
            page += news.GetString(r, news_field::kTime);
            page += ") -->";
            page += news.GetString(r, news_field::kHeader);
            page += "\r\n";
        }
        page += kText;
        page += kAnchorOpen;
        page += news.GetString(r, news_field::kName);
        page += kAnchorClose;
        page += news.GetString(r, news_field::kText);
        page += kFooter;
        page += news.GetString(r, news_field::kFooter);
        page += "\r\n";
        if (r != 0 && !options.BetweenNews.empty()) {
            page += kBetweenOpen;
            page += options.BetweenNews;
            page += kBetweenClose;
        }
        previousDate = std::move(date);
    }

    page += named ? kNamedEnd : kPlainEnd;
    page += "\r\n";
    page += context.PageSuffix;
    return AsciiToHtml(std::move(page), translation);
}

} // namespace pw
