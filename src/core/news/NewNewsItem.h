#pragma once
// New News: a new item appended as the newest one, its date, time and anchor name taken from
// the clock in the configuration's formats, and its header and footer from the
// configuration's defaults with their placeholders expanded.
#include "core/news/NewsClock.h"

namespace pw {

class TnkDBSource;

// Appends the item, leaves the cursor on it and returns its record index.
int AppendNewsItem(TnkDBSource& news, const TnkDBSource& config, int configRecord,
                   const NewsClock& clock);

} // namespace pw
