#pragma once
// The time of day in beats: a thousandth of a day, counted in the zone UTC+1.
#include "core/news/NewsClock.h"

#include <string>

namespace pw {

// `local` is a local time in a zone with the given standard bias (minutes, UTC = local +
// bias). Daylight saving is not taken into account. The result runs from "0" to "1000".
std::string InternetTime(const NewsDateTime& local, int standardBias);

} // namespace pw
