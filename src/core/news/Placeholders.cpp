#include "core/news/Placeholders.h"

#include "core/news/DateFormat.h"
#include "core/news/InternetTime.h"
#include "core/news/ReplaceAll.h"
#include "core/storage/TnkDBSource.h"

namespace pw {

PlaceholderValues ReadPlaceholderValues(const TnkDBSource& news, const TnkDBSource& config,
                                        int configRecord) {
    PlaceholderValues values;
    const int current = news.CurrentIndex();
    if (current >= 0 && current < news.RecordCount()) {
        values.Date = news.GetString(current, "Date");
        values.Time = news.GetString(current, "Time");
    }
    if (configRecord >= 0 && configRecord < config.RecordCount())
        values.Poster = config.GetString(configRecord, "Poster");
    return values;
}

std::string ExpandPlaceholders(std::string_view text, const PlaceholderValues& values,
                               const NewsClock& clock) {
    // The clock is read once, so that hour and minute always belong to the same moment.
    const NewsDateTime now = clock.Now();
    const std::string longDate =
        FormatDateTime("yyyy'/'", now) + MonthName(now.Month) + FormatDateTime("'/'dd", now);

    std::string result(text);
    result = ReplaceAll(std::move(result), "%_date%", values.Date);
    result = ReplaceAll(std::move(result), "%_longdate%", longDate);
    result = ReplaceAll(std::move(result), "%_time%", values.Time);
    result = ReplaceAll(std::move(result), "%_poster%", values.Poster);
    result = ReplaceAll(std::move(result), "%_@%", InternetTime(now, clock.StandardBias()));
    result = ReplaceAll(std::move(result), "%_hour%", FormatDateTime("hh", now));
    result = ReplaceAll(std::move(result), "%_minute%", FormatDateTime("nn", now));
    result = ReplaceAll(std::move(result), "%_day%", FormatDateTime("d", now));
    result = ReplaceAll(std::move(result), "%_month%", FormatDateTime("M", now));
    result = ReplaceAll(std::move(result), "%_year%", FormatDateTime("yyyy", now));
    return result;
}

} // namespace pw
