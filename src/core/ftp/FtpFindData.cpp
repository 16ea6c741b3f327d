#include "core/ftp/FtpFindData.h"

#include <cmath>
#include <cstdio>

namespace pw {

namespace {
constexpr int64_t kTicksPerSecond = 10000000;
constexpr int64_t kTicksPerDay = 864000000000;

// Days from 1601-01-01 to the given civil date (proleptic Gregorian).
int64_t DaysSince1601(int year, int month, int day) {
    // Days from 1970-01-01 (H. Hinnant's days_from_civil), shifted to 1601.
    const int64_t y = year - (month <= 2 ? 1 : 0);
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t mp = (month + 9) % 12;
    const int64_t doy = (153 * mp + 2) / 5 + day - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const int64_t daysSince1970 = era * 146097 + doe - 719468;
    return daysSince1970 + 134774;
}

bool LeapYear(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}
} // namespace

int64_t FileTimeFromCalendar(int year, int month, int day, int hour, int minute, int second) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1601 || year > 9999 || month < 1 || month > 12 || day < 1) return kUnknownFileTime;
    const int monthDays = kDays[month - 1] + (month == 2 && LeapYear(year) ? 1 : 0);
    if (day > monthDays || hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 ||
        second > 60)
        return kUnknownFileTime;
    const int64_t seconds = int64_t(hour) * 3600 + minute * 60 + second;
    return DaysSince1601(year, month, day) * kTicksPerDay + seconds * kTicksPerSecond;
}

double FileTimeToDateTime(int64_t fileTime) {
    return double(fileTime) / double(kTicksPerDay) - 109205.0;
}

double TFtpFindData::LastWriteDateTime() const {
    return FileTimeToDateTime(LastWriteTime);
}

std::string TFtpFindData::SizeText() const {
    return HasSize() ? std::to_string(FileSize) : std::string();
}

std::string TFtpFindData::TimeText() const {
    return HasTime() ? FormatDateTime(LastWriteDateTime()) : std::string();
}

std::string FormatDateTime(double dateTime) {
    // Whole seconds since 1899-12-30, rounded to the nearest second.
    const int64_t total = int64_t(std::llround(dateTime * 86400.0));
    int64_t days = total >= 0 ? total / 86400 : -((-total + 86399) / 86400);
    int64_t secs = total - days * 86400;
    // 1899-12-30 is 25569 days before 1970-01-01; civil_from_days (H. Hinnant).
    const int64_t z = days - 25569 + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int64_t d = doy - (153 * mp + 2) / 5 + 1;
    const int64_t m = mp < 10 ? mp + 3 : mp - 9;
    const int64_t y = yoe + era * 400 + (m <= 2 ? 1 : 0);
    char buf[160];
    std::snprintf(buf, sizeof buf, "%04lld/%02lld/%02lld %02lld:%02lld:%02lld", (long long)y,
                  (long long)m, (long long)d, (long long)(secs / 3600), (long long)(secs / 60 % 60),
                  (long long)(secs % 60));
    return buf;
}

} // namespace pw
