#include "core/news/NewsClock.h"

#include <ctime>
#include <initializer_list>

namespace pw {

NewsDateTime SystemNewsClock::Now() const {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
            local.tm_hour,        local.tm_min,     local.tm_sec};
}

int SystemNewsClock::StandardBias() const {
    // The standard offset is the one in force on a day without daylight saving. Mid-January
    // and mid-July cover both hemispheres; a zone without daylight saving has it on both.
    const std::time_t now = std::time(nullptr);
    std::tm probe{};
    localtime_r(&now, &probe);
    const long currentOffset = probe.tm_gmtoff;
    for (const int month : {0, 6}) {
        std::tm day{};
        day.tm_year = probe.tm_year;
        day.tm_mon = month;
        day.tm_mday = 15;
        day.tm_hour = 12;
        day.tm_isdst = -1;
        const std::time_t t = std::mktime(&day);
        if (t == static_cast<std::time_t>(-1)) continue;
        std::tm resolved{};
        localtime_r(&t, &resolved);
        if (resolved.tm_isdst == 0) return static_cast<int>(-resolved.tm_gmtoff / 60);
    }
    return static_cast<int>(-currentOffset / 60);
}

} // namespace pw
