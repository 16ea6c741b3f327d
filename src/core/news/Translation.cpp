#include "core/news/Translation.h"

#include "core/news/ReplaceAll.h"
#include "core/storage/TnkDBSource.h"

namespace pw {

TranslationRows ReadTranslationRows(const TnkDBSource& table) {
    TranslationRows rows;
    const int count = table.RecordCount();
    rows.reserve(static_cast<size_t>(count));
    for (int r = 0; r < count; ++r)
        rows.push_back({table.GetString(r, "Ascii"), table.GetString(r, "Html")});
    return rows;
}

std::string AsciiToHtml(std::string text, const TranslationRows& rows) {
    for (const auto& row : rows)
        text = ReplaceAll(std::move(text), row.Ascii, row.Html);
    return text;
}

std::string HtmlToAscii(std::string text, const TranslationRows& rows) {
    for (const auto& row : rows)
        text = ReplaceAll(std::move(text), row.Html, row.Ascii);
    return text;
}

} // namespace pw
