#include "core/news/NewsFormat.h"
#include "core/news/NewsPage.h"
#include "core/news/PageLines.h"
#include "core/news/TextSearch.h"
#include "core/storage/TnkDBData.h"
#include "core/storage/TnkDBSource.h"

#include <algorithm>
#include <vector>

namespace pw {

namespace {

using namespace news_marker;
constexpr size_t npos = std::string_view::npos;

struct ParsedItem {
    std::string_view Date, Time, Header, Name, Text, Footer;
};

// The first occurrence of a needle (or of a line end) at or after a position. The last
// answer is kept: it stays valid for any later position up to it, so a walk through the text
// with ever larger positions searches every character only once, whatever the input holds.
class ForwardFinder {
public:
    // An empty needle stands for "a CR or an LF".
    ForwardFinder(std::string_view text, std::string_view needle)
        : m_text(text), m_needle(needle) {}

    size_t from(size_t pos) {
        if (m_valid && pos >= m_start && (m_hit == npos || m_hit >= pos)) return m_hit;
        m_start = pos;
        m_hit = m_needle.empty() ? FindLineEnd(m_text, pos) : FindText(m_text, m_needle, pos);
        m_valid = true;
        return m_hit;
    }

private:
    std::string_view m_text;
    std::string_view m_needle;
    bool m_valid = false;
    size_t m_start = 0;
    size_t m_hit = npos;
};

// Walks the section content from its first character: each recognised piece is consumed
// whole, anything else one character at a time. Markers all begin with '<', so the walk
// jumps from one '<' to the next.
std::vector<ParsedItem> parseSection(std::string_view content) {
    const size_t n = content.size();
    const auto piece = [&](size_t at, size_t length) {
        at = std::min(at, n);
        return content.substr(at, std::min(length, n - at));
    };
    ForwardFinder lineEnd(content, {});
    ForwardFinder quote(content, "\"");
    ForwardFinder footer(content, kFooter);
    ForwardFinder betweenClose(content, kBetweenClose);

    std::vector<ParsedItem> items;
    std::string_view date, time, header; // carried from the nearest date line above
    size_t p = 0;
    while (p < n) {
        p = content.find('<', p);
        if (p == npos) break;
        const std::string_view here = content.substr(p);
        if (here.starts_with(kDate)) {
            p += kDate.size();
            date = piece(p, kDateWidth);
            time = piece(p + kDateWidth + 1, kTimeWidth);
            p = std::min(p + kDateWidth + 1 + kTimeWidth + 5, n);
            const size_t end = std::min(lineEnd.from(p), n);
            header = content.substr(p, end - p);
            p = end;
        } else if (here.starts_with(kText)) {
            ParsedItem& item = items.emplace_back(ParsedItem{date, time, header, {}, {}, {}});
            p += kText.size();
            if (content.substr(p).starts_with(kAnchorOpen)) {
                p += kAnchorOpen.size();
                const size_t close = quote.from(p);
                if (close != npos) {
                    item.Name = content.substr(p, close - p);
                    p = std::min(close + 1 + 5, n); // the quote and the "></A>" after it
                } else {
                    p = std::min(p + 5, n); // no closing quote: no name
                }
            }
            const size_t foot = footer.from(p);
            if (foot != npos) {
                item.Text = content.substr(p, foot - p);
                p = foot;
            } else if (p < n) {
                // Without a footer the text runs to the end, less the last character.
                item.Text = content.substr(p, n - 1 - p);
                p = n - 1;
            }
        } else if (here.starts_with(kFooter)) {
            p += kFooter.size();
            const size_t end = std::min(lineEnd.from(p), n);
            if (!items.empty()) items.back().Footer = content.substr(p, end - p);
            p = end;
        } else if (here.starts_with(kBetweenOpen)) {
            // Between blocks are not kept: generation writes them from the configuration.
            const size_t close = betweenClose.from(p + kBetweenOpen.size());
            p = close == npos ? n : close + kBetweenClose.size();
        } else {
            ++p;
        }
    }
    return items;
}

// The first end marker of either form at or after `from`, in one scan: both begin with
// "<!-- /" and have the same length.
size_t findSectionEnd(std::string_view text, size_t from) {
    constexpr std::string_view common = "<!-- /";
    static_assert(kPlainEnd.starts_with(common));
    static_assert(kNamedEnd.starts_with(common));
    static_assert(kPlainEnd.size() == kEndLength);
    static_assert(kNamedEnd.size() == kEndLength);
    for (size_t at = FindText(text, common, from); at != npos;
         at = FindText(text, common, at + 1)) {
        const std::string_view candidate = text.substr(at, kEndLength);
        if (candidate == kPlainEnd || candidate == kNamedEnd) return at;
    }
    return npos;
}

void storeItems(const std::vector<ParsedItem>& items, TnkDBSource& news) {
    TnkDBData& data = *news.DBData();
    TnkTable& table = data.Table();
    const bool wasDisabled = news.ControlsDisabled();
    news.DisableControls();
    table.BeginUpdate();
    struct Resume {
        TnkDBSource& news;
        TnkTable& table;
        bool wasDisabled;
        ~Resume() {
            table.EndUpdate();
            news.Last();
            if (!wasDisabled) news.EnableControls();
        }
    } resume{news, table, wasDisabled};

    // A bare table gets the fields it lacks, so that no value is lost.
    for (const auto& field : NewsFields())
        data.AddField(field.Name);
    const int fDate = table.FieldIndex(news_field::kDate);
    const int fTime = table.FieldIndex(news_field::kTime);
    const int fName = table.FieldIndex(news_field::kName);
    const int fHeader = table.FieldIndex(news_field::kHeader);
    const int fText = table.FieldIndex(news_field::kText);
    const int fFooter = table.FieldIndex(news_field::kFooter);

    // Each item goes in front of the current record and becomes current, so the page's
    // items end up in reverse order. On an empty table (or without a cursor) that is the
    // same as appending them from the last to the first; otherwise they form one block in
    // front of the record that was current.
    const bool append = news.CurrentIndex() < 0 || news.RecordCount() == 0;
    int at = append ? 0 : std::min(news.CurrentIndex(), news.RecordCount() - 1);
    for (auto it = items.rbegin(); it != items.rend(); ++it) {
        int record;
        if (append) {
            record = news.Append();
        } else {
            news.SetRecNo(at);
            news.Insert();
            record = at++;
        }
        table.WriteString(fDate, record, it->Date);
        table.WriteString(fTime, record, it->Time);
        table.WriteString(fName, record, it->Name);
        table.WriteString(fHeader, record, it->Header);
        table.WriteString(fText, record, it->Text);
        table.WriteString(fFooter, record, it->Footer);
    }
}

} // namespace

bool ParseNewsPage(std::string_view page, const NewsPageOptions& options,
                   const TranslationRows& translation, TnkDBSource& news,
                   NewsPageContext& context) {
    if (!news.DBData()) return false;
    const std::string work = HtmlToAscii(JoinPageLines(page), translation);
    const std::string_view text(work);

    // The named form wins wherever it stands, so the plain form is only looked for when the
    // named one is absent.
    size_t start = npos;
    size_t startLength = 0;
    if (!options.Section.empty()) {
        const std::string named = NamedStartMarker(options.Section);
        start = FindText(text, named);
        startLength = named.size();
    }
    if (start == npos) {
        start = FindText(text, kPlainStart);
        startLength = kPlainStart.size();
    }
    if (start == npos) return false;

    const size_t end = findSectionEnd(text, start + startLength);
    if (end == npos) return false;

    // The character after the start marker is the CR of the line break that follows it.
    const size_t contentBegin = std::min(start + startLength + 1, end);
    storeItems(parseSection(text.substr(contentBegin, end - contentBegin)), news);

    std::string_view suffix = text.substr(end + kEndLength);
    while (!suffix.empty() && (suffix.front() == '\r' || suffix.front() == '\n'))
        suffix.remove_prefix(1);
    context.PagePrefix.assign(text.substr(0, start));
    context.PageSuffix.assign(suffix);
    return true;
}

} // namespace pw
