#pragma once
// Analysis of a downloaded news page into news items plus the page text around the section,
// and generation of the complete page from them.
#include "core/news/NewsPageOptions.h"
#include "core/news/Translation.h"

#include <string>
#include <string_view>

namespace pw {

class TnkDBSource;

// Analyses a page. The page is first taken as a list of lines (see JoinPageLines) and
// translated Html to Ascii. The section runs from its start marker ("<!-- NEWS:" + section
// + " -->" when a section is configured and present, else "<!-- DATA -->") to the first
// "<!-- /NEWS -->" or "<!-- /DATA -->" after it. Without both markers the result is false and
// neither the table nor `context` changes. Otherwise every item of the section becomes a
// record, the first item of the page the last record; the records go in front of the
// current record (the news table is normally empty, then they simply fill it). The cursor
// ends on the last record and the table's controls are notified once, at the end.
bool ParseNewsPage(std::string_view page, const NewsPageOptions& options,
                   const TranslationRows& translation, TnkDBSource& news, NewsPageContext& context);

// The complete page: prefix, the section with the records from the last (newest) to record 0,
// suffix, all translated Ascii to Html. Reads the table without moving its cursor.
std::string BuildNewsPage(const TnkDBSource& news, const NewsPageContext& context,
                          const NewsPageOptions& options, const TranslationRows& translation);

} // namespace pw
