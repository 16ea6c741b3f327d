#include "core/news/InternetTime.h"

#include <cstdio>
#include <string_view>

namespace pw {

std::string InternetTime(const NewsDateTime& local, int standardBias) {
    int hour = local.Hour + standardBias / 60 + 1; // whole hours only, as the zone bias is read
    hour %= 24;
    if (hour < 0) hour += 24;
    const int seconds = (hour * 60 + local.Minute) * 60 + local.Second;
    const double beats = seconds / 86.4;

    char buf[32];
    std::snprintf(buf, sizeof buf, "%3.0f", beats);
    std::string_view text(buf);
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return std::string(text);
}

} // namespace pw
