#pragma once
// Expansion of the placeholders in the default header and footer of a new news item.
//
// In this order: "%_date%" (the item's Date), "%_longdate%" (e.g. 2000/january/15),
// "%_time%" (the item's Time), "%_poster%" (the configuration's Poster), "%_@%" (the time
// in beats), "%_hour%" (hh), "%_minute%" (nn), "%_day%" (d), "%_month%" (m), "%_year%"
// (yyyy). Each is replaced on the result of the ones before it, so a value inserted by an
// earlier step is expanded by the later steps but not by the earlier ones. Placeholders are
// case-sensitive; anything else stays as it is.
#include "core/news/NewsClock.h"

#include <string>
#include <string_view>

namespace pw {

class TnkDBSource;

struct PlaceholderValues {
    std::string Date;   // of the current news item
    std::string Time;   // of the current news item
    std::string Poster; // of the selected news configuration
};

// Date and Time of the news table's current record (empty without one) and the Poster of
// the given configuration record (empty when there is none).
PlaceholderValues ReadPlaceholderValues(const TnkDBSource& news, const TnkDBSource& config,
                                        int configRecord);

std::string ExpandPlaceholders(std::string_view text, const PlaceholderValues& values,
                               const NewsClock& clock);

} // namespace pw
