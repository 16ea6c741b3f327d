// Guards: search at text ends, replacement, translation, date letters at range ends, beats, zones.
#include "core/config/ConfigSchema.h"
#include "core/news/DateFormat.h"
#include "core/news/InternetTime.h"
#include "core/news/NewsClock.h"
#include "core/news/Placeholders.h"
#include "core/news/ReplaceAll.h"
#include "core/news/TextSearch.h"
#include "core/news/Translation.h"
#include "core/storage/TnkDBData.h"
#include "core/storage/TnkDBSource.h"

#include "support/TableRows.h"

#include <QtTest>

#include <ctime>
#include <string>

using namespace pw;
using namespace std::string_literals;

namespace {
constexpr size_t npos = std::string_view::npos;

std::string repeated(const std::string& s, int n) {
    std::string out;
    while (n-- > 0)
        out += s;
    return out;
}

QByteArray qb(const std::string& s) {
    return QByteArray(s.data(), qsizetype(s.size()));
}

// clang-format off
const struct { const char* name; std::string text, needle; size_t from, expected; } kFinds[] = {
    {"at the first character", "abc", "ab", 0, 0}, {"at the last character", "xyzc", "c", 0, 3},
    {"ends at the last character", "xxab", "ab", 0, 2},
    {"false start right before", "aab", "ab", 0, 1},
    {"one past the room left", "abc", "bc", 2, npos}, {"just fits after from", "abc", "bc", 1, 1},
    {"from skips an earlier match", "abab", "ab", 1, 2},
    {"empty needle at the end", "ab", "", 2, 2}, {"from past the end", "ab", "", 3, npos},
    {"only a partial match", "abab", "abc", 0, npos}, {"NUL bytes", "a\0b\0c"s, "\0c"s, 0, 3},
    {"past the fast scan's budget", std::string(100, 'a') + "b", "ab", 0, 99},
    {"64 false starts, then the end", repeated("ac", 64) + "ab", "ab", 0, 128},
    {"past the budget, no match", std::string(200, 'a'), "ab", 0, npos},
};
// clang-format on

// clang-format off
const struct { const char* name; std::string text; size_t from, expected; } kLineEnds[] = {
    {"CR LF", "ab\r\n", 0, 2}, {"LF CR", "ab\n\r", 0, 2}, {"CR before LF", "a\rb\n", 0, 1},
    {"first byte", "\n", 0, 0}, {"last byte", "a\n", 1, 1}, {"none", "abc", 0, npos},
    {"at the end", "ab", 2, npos},
};
// clang-format on

// clang-format off
const struct { const char *name, *text, *search, *replacement, *expected; } kReplaces[] = {
    {"inserted text is not searched again", "aaa", "a", "aa", "aaaaaa"},
    {"empty search", "abc", "", "x", "abc"}, {"remove all", "abab", "ab", "", ""},
    {"matches do not overlap", "aaaaa", "aa", "b", "bba"},
    {"no rescan across the seam", "xaaay", "aa", "a", "xaay"},
    {"replacement holds the search", "%_a%-%_a%", "%_a%", "[%_a%]", "[%_a%]-[%_a%]"},
};
// clang-format on

const TranslationRows kUmlautThenAmp{{"\xE4", "&auml;"}, {"&", "&amp;"}};
const TranslationRows kAmpThenUmlaut{{"&", "&amp;"}, {"\xE4", "&auml;"}};
// clang-format off
const struct { const char* name; TranslationRows rows; bool toHtml; const char *input, *expected; } kTranslations[] = {
    {"later row breaks an earlier entity", kUmlautThenAmp, true, "\xE4", "&amp;auml;"},
    {"earlier row protects the entity", kAmpThenUmlaut, true, "a&\xE4", "a&amp;&auml;"},
    {"back, rows in the same order", kAmpThenUmlaut, false, "&amp;auml;", "\xE4"},
    {"empty ascii is skipped to html", {{"", "&nbsp;"}}, true, "a b", "a b"},
    {"empty ascii removes the html value", {{"", "&nbsp;"}}, false, "a&nbsp;b", "ab"},
    {"empty html removes the ascii value", {{"x", ""}}, true, "xyx", "y"},
};
// clang-format on

const NewsDateTime kJan15{2000, 1, 15, 9, 5, 7};
const char* const kAll = "yyyy yy y m mm mmm mmmm d dd ddd dddd h hh n nn s ss";
// clang-format off
const struct { const char* name; NewsDateTime when; const char *format, *expected; } kDates[] = {
    {"first of everything", {2000, 1, 1, 0, 0, 0}, kAll, "2000 00 00 1 01 Jan January 1 01 Sat Saturday 0 00 0 00 0 00"},
    {"last of everything", {1999, 12, 31, 23, 59, 59}, kAll, "1999 99 99 12 12 Dec December 31 31 Fri Friday 23 23 59 59 59 59"},
    {"leap day", {2000, 2, 29, 9, 5, 7}, "dddd mmmm", "Tuesday February"},
    {"March after a leap day", {2000, 3, 1, 9, 5, 7}, "dddd", "Wednesday"},
    {"no leap day in 2100", {2100, 3, 1, 9, 5, 7}, "dddd", "Monday"},
    {"September is the longest name", {2024, 9, 3, 9, 5, 7}, "mmmmm", "September"},
    {"month 0 has no names", {2000, 0, 15, 9, 5, 7}, "[ddd mmmm] m", "[ ] 0"},
    {"month 13 has no names", {2000, 13, 15, 9, 5, 7}, "[dddd mmm]", "[ ]"},
    {"day 0 has no weekday", {2000, 1, 0, 9, 5, 7}, "[dddd]", "[]"},
    {"minutes before hours", kJan15, "yyyymmddnnhh", "200001150509"},
    {"m after an hour is minutes", kJan15, "hh:mm", "09:05"},
    {"quoted text keeps the hour", kJan15, "h'h'mm", "9h05"},
    {"another letter ends the hour", kJan15, "hh d m", "09 15 1"},
    {"capital letters", kJan15, "HH:NN:SS", "09:05:07"},
    {"double quotes", kJan15, "\"at\" hh", "at 09"}, {"unclosed quote", kJan15, "dd'/yy", "15/yy"},
    {"other letters and signs", kJan15, "x#q", "x#q"},
};
// clang-format on

// clang-format off
const struct { const char* name; int hour, minute, second, bias; const char* expected; } kBeats[] = {
    {"23:30 at UTC+1", 23, 30, 0, -60, "979"}, {"00:30 at UTC+2 wraps back", 0, 30, 0, -120, "979"},
    {"43 s before midnight rounds up", 23, 59, 17, -60, "1000"},
    {"44 s before midnight", 23, 59, 16, -60, "999"}, {"midnight is zero", 0, 0, 0, -60, "0"},
    {"UTC-5 wraps forward", 22, 0, 0, 300, "167"},
    {"half-hour zone truncates", 1, 0, 0, -330, "875"},
};
// clang-format on

// clang-format off
const struct { const char *name, *text, *date, *poster; int day; const char* expected; } kPlaceholders[] = {
    {"long date", "%_longdate%", "", "", 15, "2000/january/15"},
    {"clock fields", "%_hour%:%_minute% %_day%.%_month%.%_year%", "", "", 5, "09:05 5.1.2000"},
    {"time and beats", "%_time% @%_@%", "", "", 15, "09:05 @378"},
    {"capitals stay", "%_DATE% %_Date% %_date", "x", "", 15, "%_DATE% %_Date% %_date"},
    {"poster expanded by later steps", "%_poster%", "", "%_hour%h", 15, "09h"},
    {"poster not expanded by earlier steps", "%_poster%", "", "%_date%", 15, "%_date%"},
    {"date expanded by later steps", "%_date%", "%_time%", "", 15, "09:05"},
    {"empty value removes it", "[%_date%]", "", "", 15, "[]"},
};
// clang-format on

// clang-format off
const struct { const char* name; const char* zone; int bias; } kZones[] = {
    {"central europe", "CET-1CEST,M3.5.0,M10.5.0/3", -60},
    {"southern summer", "AEST-10AEDT,M10.1.0,M4.1.0/3", -600},
    {"west of UTC", "EST5EDT,M3.2.0,M11.1.0", 300}, {"no daylight saving", "IST-5:30", -330},
};
// clang-format on
} // namespace

class TestNewsText : public QObject {
    Q_OBJECT
private slots:
    void findText_data() { addRows(kFinds); }
    void findText() {
        const auto& c = kFinds[fetchedRow()];
        QCOMPARE(FindText(c.text, c.needle, c.from), c.expected);
    }
    void findLineEnd_data() { addRows(kLineEnds); }
    void findLineEnd() {
        const auto& c = kLineEnds[fetchedRow()];
        QCOMPARE(FindLineEnd(c.text, c.from), c.expected);
    }
    void replaceAll_data() { addRows(kReplaces); }
    void replaceAll() {
        const auto& c = kReplaces[fetchedRow()];
        QCOMPARE(qb(ReplaceAll(c.text, c.search, c.replacement)), QByteArray(c.expected));
    }
    void translation_data() { addRows(kTranslations); }
    void translation() {
        const auto& c = kTranslations[fetchedRow()];
        const std::string out =
            c.toHtml ? AsciiToHtml(c.input, c.rows) : HtmlToAscii(c.input, c.rows);
        QCOMPARE(qb(out), QByteArray(c.expected));
    }
    void defaultTableRoundTrip();
    void formatDateTime_data() { addRows(kDates); }
    void formatDateTime() {
        const auto& c = kDates[fetchedRow()];
        QCOMPARE(qb(FormatDateTime(c.format, c.when)), QByteArray(c.expected));
    }
    void internetTime_data() { addRows(kBeats); }
    void internetTime() {
        const auto& c = kBeats[fetchedRow()];
        QCOMPARE(qb(InternetTime({2000, 1, 15, c.hour, c.minute, c.second}, c.bias)),
                 QByteArray(c.expected));
    }
    void placeholders_data() { addRows(kPlaceholders); }
    void placeholders() {
        const auto& c = kPlaceholders[fetchedRow()];
        const FixedNewsClock clock({2000, 1, c.day, 9, 5, 0}, -60);
        QCOMPARE(qb(ExpandPlaceholders(c.text, {c.date, "09:05", c.poster}, clock)),
                 QByteArray(c.expected));
    }
    void placeholderValuesFromTables();
    void systemStandardBias_data() { addRows(kZones); }
    void systemStandardBias();
    void systemNow();
};

void TestNewsText::defaultTableRoundTrip() {
    TnkDBData data;
    TnkDBSource source(&data, TranslationFields(ConfigRole::Dialog));
    data.SetBinData(DefaultTranslationBinData());
    source.Loaded();
    const TranslationRows rows = ReadTranslationRows(source);
    QCOMPARE(rows.size(), size_t(7));
    const std::string plain = "Gr\xFC\xDF"
                              "e an \xC4, \xD6, \xDC, \xE4, \xF6!";
    const std::string html = AsciiToHtml(plain, rows);
    QCOMPARE(qb(html), QByteArray("Gr&uuml;&szlig;e an &Auml;, &Ouml;, &Uuml;, &auml;, &ouml;!"));
    QCOMPARE(qb(HtmlToAscii(html, rows)), qb(plain));
}

void TestNewsText::placeholderValuesFromTables() {
    TnkDBData newsData, configData;
    TnkDBSource news(&newsData, {{"Date"}, {"Time"}});
    TnkDBSource config(&configData, {{"Poster"}});
    news.Loaded();
    config.Loaded();
    const PlaceholderValues none = ReadPlaceholderValues(news, config, 0);
    QVERIFY(none.Date.empty() && none.Time.empty() && none.Poster.empty());
    for (const char* date : {"2000/01/14", "2000/01/15"}) {
        const int r = news.Append();
        news.SetString(r, "Date", date);
        news.SetString(r, "Time", "08:00");
    }
    for (const char* poster : {"Ann", "Bob"})
        config.SetString(config.Append(), "Poster", poster);
    news.SetRecNo(0);
    const PlaceholderValues v = ReadPlaceholderValues(news, config, 1);
    QCOMPARE(qb(v.Date + " " + v.Time + " " + v.Poster), QByteArray("2000/01/14 08:00 Bob"));
    QVERIFY(ReadPlaceholderValues(news, config, 2).Poster.empty());
    QVERIFY(ReadPlaceholderValues(news, config, -1).Poster.empty());
}

void TestNewsText::systemStandardBias() {
    const auto& c = kZones[fetchedRow()];
    const QByteArray old = qgetenv("TZ");
    const bool hadOld = qEnvironmentVariableIsSet("TZ");
    qputenv("TZ", c.zone);
    tzset();
    const int measured = SystemNewsClock().StandardBias();
    if (hadOld)
        qputenv("TZ", old);
    else
        qunsetenv("TZ");
    tzset();
    QCOMPARE(measured, c.bias);
}

// The machine clock's fields line up with Qt's local time (read again if a minute turned).
void TestNewsText::systemNow() {
    for (int attempt = 0; attempt < 3; ++attempt) {
        const QDateTime before = QDateTime::currentDateTime();
        const NewsDateTime now = SystemNewsClock().Now();
        const QDateTime after = QDateTime::currentDateTime();
        if (before.toString("yyyyMMddhhmm") != after.toString("yyyyMMddhhmm")) continue;
        const QDate d = before.date();
        const QTime t = before.time();
        QCOMPARE(QList<int>({now.Year, now.Month, now.Day, now.Hour, now.Minute}),
                 QList<int>({d.year(), d.month(), d.day(), t.hour(), t.minute()}));
        return;
    }
    QSKIP("the clock kept turning a minute");
}

QTEST_GUILESS_MAIN(TestNewsText)
#include "test_news_text.moc"
