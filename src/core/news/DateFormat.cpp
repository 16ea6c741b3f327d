#include "core/news/DateFormat.h"

#include <array>
#include <cstdio>

namespace pw {

namespace {

constexpr std::array<const char*, 12> kMonths = {"january",   "february", "march",    "april",
                                                 "may",       "june",     "july",     "august",
                                                 "september", "october",  "november", "december"};
constexpr std::array<const char*, 7> kWeekdays = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                  "Thursday", "Friday", "Saturday"};

char upper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}

void appendNumber(std::string& out, int value, int minDigits) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%0*d", minDigits, value);
    out += buf;
}

std::string capitalised(std::string name, size_t length) {
    if (name.size() > length) name.resize(length);
    if (!name.empty()) name[0] = upper(name[0]);
    return name;
}

// 0 = Sunday, for dates of the proleptic Gregorian calendar.
int weekday(int year, int month, int day) {
    static constexpr int offsets[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    if (month < 3) --year;
    const int w = (year + year / 4 - year / 100 + year / 400 + offsets[month - 1] + day) % 7;
    return w < 0 ? w + 7 : w;
}

} // namespace

std::string MonthName(int month) {
    if (month < 1 || month > 12) return {};
    return kMonths[static_cast<size_t>(month - 1)];
}

std::string FormatDateTime(std::string_view format, const NewsDateTime& when) {
    std::string out;
    char lastLetter = 0;
    size_t i = 0;
    while (i < format.size()) {
        const char c = format[i];
        if (c == '\'' || c == '"') {
            size_t close = format.find(c, i + 1);
            if (close == std::string_view::npos) close = format.size();
            out.append(format.substr(i + 1, close - i - 1));
            i = close < format.size() ? close + 1 : close;
            continue;
        }
        char letter = upper(c);
        if (letter < 'A' || letter > 'Z') {
            out += c;
            ++i;
            continue;
        }
        size_t count = 1;
        while (i + count < format.size() && upper(format[i + count]) == letter)
            ++count;
        if (letter == 'M' && lastLetter == 'H') letter = 'N';
        lastLetter = letter;

        const bool padded = count >= 2;
        switch (letter) {
        case 'Y':
            if (count <= 2)
                appendNumber(out, when.Year % 100, 2);
            else
                appendNumber(out, when.Year, 4);
            break;
        case 'M':
            if (count <= 2)
                appendNumber(out, when.Month, padded ? 2 : 1);
            else
                out += capitalised(MonthName(when.Month), count == 3 ? 3 : 9);
            break;
        case 'D':
            if (count <= 2) {
                appendNumber(out, when.Day, padded ? 2 : 1);
            } else if (when.Month >= 1 && when.Month <= 12 && when.Day >= 1) {
                const std::string name =
                    kWeekdays[static_cast<size_t>(weekday(when.Year, when.Month, when.Day))];
                out += count == 3 ? name.substr(0, 3) : name;
            }
            break;
        case 'H':
            appendNumber(out, when.Hour, padded ? 2 : 1);
            break;
        case 'N':
            appendNumber(out, when.Minute, padded ? 2 : 1);
            break;
        case 'S':
            appendNumber(out, when.Second, padded ? 2 : 1);
            break;
        default:
            out.append(format.substr(i, count));
            break;
        }
        i += count;
    }
    return out;
}

} // namespace pw
