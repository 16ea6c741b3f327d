#pragma once
// What the analysis and the generation of a news page take from the selected news
// configuration, and the page text around the news section.
#include <string>

namespace pw {

class TnkDBSource;

struct NewsPageOptions {
    std::string Section;     // "NewsSection": empty means the plain form "<!-- DATA -->"
    bool OwnHeader = false;  // "NewsHeader" is "TRUE": every item gets its own date line
    std::string BetweenNews; // "NewsBetweenNews": HTML between two items, empty for none
};

// Reads the options from one record of a configuration table. A missing record gives the
// defaults (plain form, shared date lines, nothing between items).
NewsPageOptions ReadNewsPageOptions(const TnkDBSource& config, int record);

// The text of the page before and after the news section, translated like the items.
struct NewsPageContext {
    std::string PagePrefix; // up to the start marker, with the line break before it
    std::string PageSuffix; // after the end marker, without the line breaks that follow it
};

} // namespace pw
