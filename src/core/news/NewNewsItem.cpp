#include "core/news/NewNewsItem.h"

#include "core/news/DateFormat.h"
#include "core/news/NewsFormat.h"
#include "core/news/Placeholders.h"
#include "core/storage/TnkDBSource.h"

namespace pw {

int AppendNewsItem(TnkDBSource& news, const TnkDBSource& config, int configRecord,
                   const NewsClock& clock) {
    const NewsDateTime now = clock.Now();
    const int record = news.Append();
    news.SetString(record, news_field::kDate,
                   FormatDateTime(config.GetString(configRecord, "DateFormat"), now));
    news.SetString(record, news_field::kTime,
                   FormatDateTime(config.GetString(configRecord, "TimeFormat"), now));
    // The anchor name puts the minutes before the hours.
    news.SetString(record, news_field::kName, FormatDateTime("yyyymmddnnhh", now));
    // Date and Time of the new item are set, so "%_date%" and "%_time%" take them.
    const PlaceholderValues values = ReadPlaceholderValues(news, config, configRecord);
    news.SetString(
        record, news_field::kHeader,
        ExpandPlaceholders(config.GetString(configRecord, "NewsHeaderDefaults"), values, clock));
    news.SetString(
        record, news_field::kFooter,
        ExpandPlaceholders(config.GetString(configRecord, "NewsFooterDefaults"), values, clock));
    return record;
}

} // namespace pw
