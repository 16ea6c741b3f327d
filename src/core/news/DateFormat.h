#pragma once
// Date and time formatting with the notation of the configuration's date and time formats.
//
// Letters are case-insensitive. "yyyy" four-digit year, "yy" two-digit year; "m"/"mm" month
// without or with a leading zero, "mmm"/"mmmm" short or full English month name; "d"/"dd"
// day, "ddd"/"dddd" short or full English weekday; "h"/"hh" hour 0-23; "n"/"nn" minute;
// "s"/"ss" second. "m" and "mm" mean minutes when the letter code before them was an
// hour ("hh:mm"). Text in single or double quotes is copied without its quotes; any other
// character is copied as it is.
#include "core/news/NewsClock.h"

#include <string>
#include <string_view>

namespace pw {

std::string FormatDateTime(std::string_view format, const NewsDateTime& when);

// "january" ... "december" for 1 to 12; the empty text for any other number.
std::string MonthName(int month);

} // namespace pw
