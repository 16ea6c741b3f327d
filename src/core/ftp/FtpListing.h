#pragma once
// Parsers for directory listings: MLSD facts and the LIST formats servers actually send
// (Unix "ls -l" variants, DOS/IIS, EPLF).
#include "core/ftp/FtpFindData.h"

#include <string_view>
#include <vector>

namespace pw {

enum class TListingFormat { Mlsd, List };

// Today's date, used to give a year to Unix lines that show a time instead of one.
struct TListingDate {
    int Year = 1970;
    int Month = 1;
    int Day = 1;
    static TListingDate Today(); // UTC
};

// Both parsers follow one rule: lines that are no entry of the folder (the folder itself,
// its parent, "." and "..", damaged lines, names that are not plain names) give false; an
// entry whose size or time cannot be read or cannot be keeps its name with that value
// unknown (kUnknownFileSize, kUnknownFileTime). The listing adds its own ".." row.

// One MLSD line "fact=value;fact=value; name".
bool ParseMlsdLine(std::string_view line, TFtpFindData& entry);

// One LIST line in any of the known formats. False for "total" lines and blank or unknown
// lines as well.
bool ParseListLine(std::string_view line, TFtpFindData& entry, const TListingDate& today);

// Splits a whole listing into lines (CR LF or LF) and parses each; unparsable lines are
// skipped. The entries keep the server's order.
std::vector<TFtpFindData> ParseListing(std::string_view text, TListingFormat format,
                                       const TListingDate& today);

// A name that may stand for one entry of a folder: not empty, not "." or "..", no "/" and
// no NUL byte.
bool IsPlainEntryName(std::string_view name);

// Case-insensitive comparison of ASCII letters only: server names and replies may be UTF-8,
// whose bytes must not be folded as Latin-1 letters (the record tables' rule).
bool SameAsciiCi(std::string_view a, std::string_view b);

} // namespace pw
