#include "core/news/NewsPageOptions.h"

#include "core/storage/TnkDBSource.h"

namespace pw {

NewsPageOptions ReadNewsPageOptions(const TnkDBSource& config, int record) {
    NewsPageOptions options;
    if (record < 0 || record >= config.RecordCount()) return options;
    options.Section = config.GetString(record, "NewsSection");
    options.OwnHeader = config.GetString(record, "NewsHeader") == "TRUE";
    options.BetweenNews = config.GetString(record, "NewsBetweenNews");
    return options;
}

} // namespace pw
