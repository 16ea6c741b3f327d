#pragma once
// Parsers for directory listings: MLSD facts and the LIST formats servers actually send
// (Unix "ls -l" variants, DOS/IIS, EPLF).
#include "core/ftp/FtpFindData.h"

#include <string_view>
#include <vector>

enum class TListingFormat { Mlsd, List };

// Today's date, used to give a year to Unix lines that show a time instead of one.
struct TListingDate {
    int Year = 1970;
    int Month = 1;
    int Day = 1;
    static TListingDate Today(); // UTC
};

// One MLSD line "fact=value;fact=value; name". False for lines that are no entry of the
// folder (the folder itself, its parent, damaged lines, names that are not plain names).
bool ParseMlsdLine(std::string_view line, TFtpFindData& entry);

// One LIST line in any of the known formats. False for "total" lines, blank or unknown lines
// and names that are not plain names.
bool ParseListLine(std::string_view line, TFtpFindData& entry, const TListingDate& today);

// Splits a whole listing into lines (CR LF or LF) and parses each; unparsable lines are
// skipped. The entries keep the server's order.
std::vector<TFtpFindData> ParseListing(std::string_view text, TListingFormat format,
                                       const TListingDate& today);

// A name that may stand for one entry of a folder: not empty, no "/" and no NUL byte.
bool IsPlainEntryName(std::string_view name);
