#pragma once
// Translation between the characters a user types and the HTML entities a page carries,
// driven by the rows of a translation table (fields "Ascii" and "Html"), in row order.
#include <string>
#include <vector>

namespace pw {

class TnkDBSource;

struct TranslationRow {
    std::string Ascii;
    std::string Html;
};
using TranslationRows = std::vector<TranslationRow>;

// The rows of a translation table as they stand now, in record order.
TranslationRows ReadTranslationRows(const TnkDBSource& table);

// Each row's Ascii text replaced by its Html text; every row works on the result of the rows
// before it, so a later row can alter what an earlier one wrote. Rows with an empty Ascii
// text are skipped.
std::string AsciiToHtml(std::string text, const TranslationRows& rows);
// Each row's Html text replaced by its Ascii text, rows in the same order.
std::string HtmlToAscii(std::string text, const TranslationRows& rows);

} // namespace pw
