#include "core/ftp/FtpListing.h"

#include <array>
#include <cctype>
#include <ctime>
#include <optional>

namespace pw {

namespace {

bool IsDigits(std::string_view s) {
    if (s.empty()) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

// Non-negative decimal that fits in 63 bits.
std::optional<int64_t> ParseSize(std::string_view s) {
    if (!IsDigits(s)) return std::nullopt;
    while (s.size() > 1 && s[0] == '0')
        s.remove_prefix(1);
    if (s.size() > 19) return std::nullopt;
    uint64_t v = 0;
    for (char c : s)
        v = v * 10 + uint64_t(c - '0');
    if (v > uint64_t(INT64_MAX)) return std::nullopt;
    return int64_t(v);
}

// A size column of a LIST line: decimal digits, perhaps with a minus sign. Nothing when the
// text is no size column at all; kUnknownFileSize when it is one but holds no possible size.
std::optional<int64_t> SizeColumn(std::string_view s) {
    const bool negative = s.size() > 1 && s[0] == '-';
    if (!IsDigits(negative ? s.substr(1) : s)) return std::nullopt;
    if (negative) return kUnknownFileSize;
    return ParseSize(s).value_or(kUnknownFileSize);
}

int ParseInt(std::string_view s) {
    int v = 0;
    for (char c : s)
        v = v * 10 + (c - '0');
    return v;
}

int MonthFromName(std::string_view s) {
    static const std::array<const char*, 12> kMonths = {"jan", "feb", "mar", "apr", "may", "jun",
                                                        "jul", "aug", "sep", "oct", "nov", "dec"};
    if (s.size() != 3) return 0;
    for (size_t i = 0; i < kMonths.size(); ++i)
        if (SameAsciiCi(s, kMonths[i])) return int(i) + 1;
    return 0;
}

// "HH:MM" or "HH:MM:SS". The shape is checked here; impossible values (25:61) are left to
// FileTimeFromCalendar, which makes the time unknown.
bool ParseClock(std::string_view s, int& hour, int& minute, int& second) {
    if (s.size() != 5 && s.size() != 8) return false;
    if (!IsDigits(s.substr(0, 2)) || s[2] != ':' || !IsDigits(s.substr(3, 2))) return false;
    hour = ParseInt(s.substr(0, 2));
    minute = ParseInt(s.substr(3, 2));
    second = 0;
    if (s.size() == 8) {
        if (s[5] != ':' || !IsDigits(s.substr(6, 2))) return false;
        second = ParseInt(s.substr(6, 2));
    }
    return true;
}

// Splits off whitespace-separated fields, remembering where each starts.
struct Field {
    std::string_view text;
    size_t end; // offset just after the field
};

std::vector<Field> SplitFields(std::string_view line, size_t maxFields) {
    std::vector<Field> fields;
    size_t i = 0;
    while (i < line.size() && fields.size() < maxFields) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        if (i >= line.size()) break;
        const size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t')
            ++i;
        fields.push_back({line.substr(start, i - start), i});
    }
    return fields;
}

// The name after a date field: the separating blank is dropped, further blanks belong to it.
std::string_view NameAfter(std::string_view line, size_t end) {
    if (end < line.size()) ++end;
    return end <= line.size() ? line.substr(end) : std::string_view();
}

bool LooksLikeUnixMode(std::string_view s) {
    if (s.size() < 10) return false;
    if (std::string_view("-dlbcpsD").find(s[0]) == std::string_view::npos) return false;
    for (size_t i = 1; i < 10; ++i)
        if (std::string_view("rwxsStTlL-").find(s[i]) == std::string_view::npos) return false;
    return true;
}

bool ParseUnix(std::string_view line, TFtpFindData& entry, const TListingDate& today) {
    const auto fields = SplitFields(line, 12);
    if (fields.size() < 5 || !LooksLikeUnixMode(fields[0].text)) return false;
    // Find the date: "Mon DD HH:MM|YYYY" or "YYYY-MM-DD HH:MM", with the size just before it.
    for (size_t i = 2; i < fields.size(); ++i) {
        int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
        size_t dateEnd = 0;
        const std::string_view f = fields[i].text;
        if (i + 2 < fields.size() && (month = MonthFromName(f)) != 0 &&
            IsDigits(fields[i + 1].text) && fields[i + 1].text.size() <= 2) {
            day = ParseInt(fields[i + 1].text);
            const std::string_view third = fields[i + 2].text;
            if (ParseClock(third, hour, minute, second)) {
                year = today.Year;
                // A time instead of a year means within the last six months: a date later
                // than tomorrow belongs to the year before.
                if (month > today.Month || (month == today.Month && day > today.Day + 1)) --year;
            } else if (third.size() == 4 && IsDigits(third)) {
                year = ParseInt(third);
            } else {
                continue;
            }
            dateEnd = fields[i + 2].end;
        } else if (i + 1 < fields.size() && f.size() == 10 && f[4] == '-' && f[7] == '-' &&
                   IsDigits(f.substr(0, 4)) && IsDigits(f.substr(5, 2)) &&
                   IsDigits(f.substr(8, 2)) &&
                   ParseClock(fields[i + 1].text, hour, minute, second)) {
            year = ParseInt(f.substr(0, 4));
            month = ParseInt(f.substr(5, 2));
            day = ParseInt(f.substr(8, 2));
            dateEnd = fields[i + 1].end;
        } else {
            continue;
        }
        const auto size = SizeColumn(fields[i - 1].text);
        if (!size) continue;
        std::string_view name = NameAfter(line, dateEnd);
        const char kind = fields[0].text[0];
        if (kind == 'l') {
            const size_t arrow = name.find(" -> ");
            if (arrow != std::string_view::npos) name = name.substr(0, arrow);
        }
        if (!IsPlainEntryName(name)) return false;
        entry = {};
        entry.FileName = std::string(name);
        entry.FileSize = *size;
        entry.LastWriteTime = FileTimeFromCalendar(year, month, day, hour, minute, second);
        if (kind == 'd' || kind == 'D')
            entry.Attributes = FILE_ATTRIBUTE_DIRECTORY;
        else if (kind == 'l')
            entry.Attributes = FILE_ATTRIBUTE_REPARSE_POINT;
        else
            entry.Attributes = FILE_ATTRIBUTE_NORMAL;
        if (fields[0].text.size() >= 3 && fields[0].text[2] != 'w')
            entry.Attributes |= FILE_ATTRIBUTE_READONLY;
        return true;
    }
    return false;
}

// "12-06-26  04:15PM  <DIR>  name" or "12-06-2026  16:15  1234 name".
bool ParseDos(std::string_view line, TFtpFindData& entry) {
    const auto fields = SplitFields(line, 3);
    if (fields.size() < 3) return false;
    const std::string_view date = fields[0].text;
    if (date.size() != 8 && date.size() != 10) return false;
    if (!IsDigits(date.substr(0, 2)) || !IsDigits(date.substr(3, 2)) || !IsDigits(date.substr(6)) ||
        (date[2] != '-' && date[2] != '/') || date[5] != date[2])
        return false;
    int month = ParseInt(date.substr(0, 2));
    int day = ParseInt(date.substr(3, 2));
    int year = ParseInt(date.substr(6));
    if (date.size() == 8) year += year < 70 ? 2000 : 1900;

    std::string_view clock = fields[1].text;
    bool pm = false, am = false;
    if (clock.size() == 7) {
        const std::string_view suffix = clock.substr(5);
        pm = SameAsciiCi(suffix, "PM");
        am = SameAsciiCi(suffix, "AM");
        if (!pm && !am) return false;
        clock = clock.substr(0, 5);
    }
    int hour = 0, minute = 0, second = 0;
    if (!ParseClock(clock, hour, minute, second)) return false;
    // "13:15PM" has the shape of a time but is none: the entry's time is unknown.
    bool possible = true;
    if (am || pm) {
        possible = hour >= 1 && hour <= 12;
        hour = hour % 12 + (pm ? 12 : 0);
    }
    // The rest: "<DIR>" or a size, then the name.
    const auto rest = SplitFields(line, 4);
    if (rest.size() < 4) return false;
    entry = {};
    if (rest[2].text == "<DIR>") {
        entry.Attributes = FILE_ATTRIBUTE_DIRECTORY;
    } else {
        // Some servers group digits ("1,234").
        std::string digits;
        for (char c : rest[2].text)
            if (c != ',' && c != '.') digits += c;
        const auto size = SizeColumn(digits);
        if (!size) return false;
        entry.FileSize = *size;
        entry.Attributes = FILE_ATTRIBUTE_NORMAL;
    }
    // The name starts at the first non-blank after the size column.
    size_t start = rest[2].end;
    while (start < line.size() && (line[start] == ' ' || line[start] == '\t'))
        ++start;
    const std::string_view name = line.substr(start);
    if (!IsPlainEntryName(name)) return false;
    entry.FileName = std::string(name);
    entry.LastWriteTime =
        possible ? FileTimeFromCalendar(year, month, day, hour, minute, second) : kUnknownFileTime;
    return true;
}

// EPLF: "+fact,fact,...\tname" with facts "/" (folder), "r" (file), "s<size>", "m<unix time>".
bool ParseEplf(std::string_view line, TFtpFindData& entry) {
    if (line.empty() || line[0] != '+') return false;
    const size_t tab = line.find('\t');
    if (tab == std::string_view::npos) return false;
    const std::string_view name = line.substr(tab + 1);
    if (!IsPlainEntryName(name)) return false;
    entry = {};
    entry.Attributes = FILE_ATTRIBUTE_NORMAL;
    std::string_view facts = line.substr(1, tab - 1);
    while (!facts.empty()) {
        const size_t comma = facts.find(',');
        const std::string_view fact = facts.substr(0, comma);
        facts = comma == std::string_view::npos ? std::string_view() : facts.substr(comma + 1);
        if (fact == "/") {
            entry.Attributes = FILE_ATTRIBUTE_DIRECTORY;
        } else if (!fact.empty() && fact[0] == 's') {
            if (auto size = ParseSize(fact.substr(1))) entry.FileSize = *size;
        } else if (!fact.empty() && fact[0] == 'm') {
            if (auto secs = ParseSize(fact.substr(1)); secs && *secs < 253402300800)
                entry.LastWriteTime = (*secs + 11644473600) * 10000000;
        }
    }
    entry.FileName = std::string(name);
    return true;
}

} // namespace

TListingDate TListingDate::Today() {
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    gmtime_r(&now, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday};
}

bool IsPlainEntryName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find('/') == std::string_view::npos && name.find('\0') == std::string_view::npos;
}

bool ParseMlsdLine(std::string_view line, TFtpFindData& entry) {
    const size_t space = line.find(' ');
    if (space == std::string_view::npos) return false;
    const std::string_view name = line.substr(space + 1);
    std::string_view facts = line.substr(0, space);
    TFtpFindData result;
    result.Attributes = FILE_ATTRIBUTE_NORMAL;
    bool anyFact = false;
    bool havePerm = false;
    std::string_view perm;
    while (!facts.empty()) {
        const size_t semi = facts.find(';');
        const std::string_view fact = facts.substr(0, semi);
        facts = semi == std::string_view::npos ? std::string_view() : facts.substr(semi + 1);
        const size_t eq = fact.find('=');
        if (eq == std::string_view::npos) continue;
        const std::string_view key = fact.substr(0, eq);
        const std::string_view value = fact.substr(eq + 1);
        anyFact = true;
        if (SameAsciiCi(key, "type")) {
            if (SameAsciiCi(value, "cdir") || SameAsciiCi(value, "pdir")) return false;
            if (SameAsciiCi(value, "dir"))
                result.Attributes = FILE_ATTRIBUTE_DIRECTORY;
            else if (value.size() >= 13 && SameAsciiCi(value.substr(0, 13), "OS.unix=slink"))
                result.Attributes = FILE_ATTRIBUTE_REPARSE_POINT;
            else if (value.size() >= 11 && SameAsciiCi(value.substr(0, 11), "OS.unix=sym"))
                result.Attributes = FILE_ATTRIBUTE_REPARSE_POINT;
        } else if (SameAsciiCi(key, "size") || SameAsciiCi(key, "sizd")) {
            if (auto size = ParseSize(value)) result.FileSize = *size;
        } else if (SameAsciiCi(key, "modify")) {
            // YYYYMMDDHHMMSS[.sss]
            if (value.size() >= 14 && IsDigits(value.substr(0, 14))) {
                result.LastWriteTime = FileTimeFromCalendar(
                    ParseInt(value.substr(0, 4)), ParseInt(value.substr(4, 2)),
                    ParseInt(value.substr(6, 2)), ParseInt(value.substr(8, 2)),
                    ParseInt(value.substr(10, 2)), ParseInt(value.substr(12, 2)));
            }
        } else if (SameAsciiCi(key, "perm")) {
            perm = value;
            havePerm = true;
        }
    }
    // Files without "w" (write) and folders without "c" (create) are read-only.
    if (havePerm) {
        const bool dir = result.IsDirectory();
        if (perm.find(dir ? 'c' : 'w') == std::string_view::npos &&
            perm.find(dir ? 'C' : 'W') == std::string_view::npos)
            result.Attributes |= FILE_ATTRIBUTE_READONLY;
    }
    if (!anyFact) return false;
    if (!IsPlainEntryName(name)) return false;
    result.FileName = std::string(name);
    entry = std::move(result);
    return true;
}

bool ParseListLine(std::string_view line, TFtpFindData& entry, const TListingDate& today) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
        line.remove_suffix(1);
    if (line.empty()) return false;
    if (line[0] == '+') return ParseEplf(line, entry);
    if (line[0] >= '0' && line[0] <= '9') return ParseDos(line, entry);
    return ParseUnix(line, entry, today);
}

std::vector<TFtpFindData> ParseListing(std::string_view text, TListingFormat format,
                                       const TListingDate& today) {
    std::vector<TFtpFindData> entries;
    while (!text.empty()) {
        const size_t nl = text.find('\n');
        std::string_view line = text.substr(0, nl);
        text = nl == std::string_view::npos ? std::string_view() : text.substr(nl + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty()) continue;
        TFtpFindData entry;
        const bool ok = format == TListingFormat::Mlsd ? ParseMlsdLine(line, entry)
                                                       : ParseListLine(line, entry, today);
        if (ok) entries.push_back(std::move(entry));
    }
    return entries;
}

bool SameAsciiCi(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

} // namespace pw
