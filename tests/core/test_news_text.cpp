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
#include <optional>
#include <string>

using namespace pw;
using namespace std::string_literals;

namespace {
constexpr size_t npos = std::string_view::npos;

const auto qb = [](const std::string& s) { return QByteArray::fromStdString(s); };

// Rows marked lineEnd look for the first CR or LF instead of the needle.
// clang-format off
const struct { const char* name; std::string text, needle; size_t from, expected;
    bool lineEnd = false; } kFinds[] = {
    {"at the first character", "abc", "ab", 0, 0}, {"at the last character", "xyzc", "c", 0, 3},
    {"ends at the last character", "xxab", "ab", 0, 2},
    {"false start right before", "aab", "ab", 0, 1},
    {"one past the room left", "abc", "bc", 2, npos}, {"just fits after from", "abc", "bc", 1, 1},
    {"from skips an earlier match", "abab", "ab", 1, 2},
    {"empty needle at the end", "ab", "", 2, 2},
    {"from past the end", "ab", "", 3, npos}, {"only a partial match", "abab", "abc", 0, npos},
    {"NUL bytes", "a\0b\0c"s, "\0c"s, 0, 3},
    {"past the fast scan's budget", std::string(100, 'a') + "b", "ab", 0, 99},
    {"64 false starts, then the end", QByteArray("ac").repeated(64).toStdString() + "ab", "ab", 0,
        128},
    {"past the budget, no match", std::string(200, 'a'), "ab", 0, npos},
    {"line end: CR LF", "ab\r\n", "", 0, 2, true}, {"line end: LF CR", "ab\n\r", "", 0, 2, true},
    {"line end: CR before LF", "a\rb\n", "", 0, 1, true},
    {"line end: first byte", "\n", "", 0, 0, true},
    {"line end: last byte", "a\n", "", 1, 1, true}, {"line end: none", "abc", "", 0, npos, true},
    {"line end: at the end", "ab", "", 2, npos, true},
};

const TranslationRows kUmlautThenAmp{{"\xE4", "&auml;"}, {"&", "&amp;"}};
const TranslationRows kAmpThenUmlaut{{"&", "&amp;"}, {"\xE4", "&auml;"}};
// Each row replaces every match of its search in turn; one row is a plain replacement.
const struct { const char* name; TranslationRows rows; bool toHtml; const char *input, *expected;
    } kTranslations[] = {
    {"inserted text is not searched again", {{"a", "aa"}}, true, "aaa", "aaaaaa"},
    {"remove all", {{"ab", ""}}, true, "abab", ""},
    {"matches do not overlap", {{"aa", "b"}}, true, "aaaaa", "bba"},
    {"no rescan across the seam", {{"aa", "a"}}, true, "xaaay", "xaay"},
    {"replacement holds the search", {{"%_a%", "[%_a%]"}}, true, "%_a%-%_a%", "[%_a%]-[%_a%]"},
    {"later row breaks an earlier entity", kUmlautThenAmp, true, "\xE4", "&amp;auml;"},
    {"earlier row protects the entity", kAmpThenUmlaut, true, "a&\xE4", "a&amp;&auml;"},
    {"back, rows in the same order", kAmpThenUmlaut, false, "&amp;auml;", "\xE4"},
    {"empty ascii is skipped to html", {{"", "&nbsp;"}}, true, "a b", "a b"},
    {"empty ascii removes the html value", {{"", "&nbsp;"}}, false, "a&nbsp;b", "ab"},
    {"empty html removes the ascii value", {{"x", ""}}, true, "xyx", "y"},
};

const NewsDateTime kJan15{2000, 1, 15, 9, 5, 7};
const char* const kAll = "yyyy yy y m mm mmm mmmm d dd ddd dddd h hh n nn s ss";
const struct { const char* name; NewsDateTime when; const char *format, *expected; } kDates[] = {
    {"first of everything", {2000, 1, 1, 0, 0, 0}, kAll,
        "2000 00 00 1 01 Jan January 1 01 Sat Saturday 0 00 0 00 0 00"},
    {"last of everything", {1999, 12, 31, 23, 59, 59}, kAll,
        "1999 99 99 12 12 Dec December 31 31 Fri Friday 23 23 59 59 59 59"},
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
    {"double quotes", kJan15, "\"at\" hh", "at 09"},
    {"unclosed quote", kJan15, "dd'/yy", "15/yy"},
    {"other letters and signs", kJan15, "x#q", "x#q"},
};

const struct { const char* name; int hour, minute, second, bias; const char* expected;
    } kBeats[] = {
    {"23:30 at UTC+1", 23, 30, 0, -60, "979"}, {"00:30 at UTC+2 wraps back", 0, 30, 0, -120, "979"},
    {"43 s before midnight rounds up", 23, 59, 17, -60, "1000"},
    {"44 s before midnight", 23, 59, 16, -60, "999"},
    {"midnight is zero", 0, 0, 0, -60, "0"}, {"UTC-5 wraps forward", 22, 0, 0, 300, "167"},
    {"half-hour zone truncates", 1, 0, 0, -330, "875"},
};

const struct { const char *name, *text, *date, *poster; int day; const char* expected;
    } kPlaceholders[] = {
    {"long date", "%_longdate%", "", "", 15, "2000/january/15"},
    {"time and beats", "%_time% @%_@%", "", "", 15, "09:05 @378"},
    {"clock fields", "%_hour%:%_minute% %_day%.%_month%.%_year%", "", "", 5, "09:05 5.1.2000"},
    {"capitals stay", "%_DATE% %_Date% %_date", "x", "", 15, "%_DATE% %_Date% %_date"},
    {"poster expanded by later steps", "%_poster%", "", "%_hour%h", 15, "09h"},
    {"poster not expanded by earlier steps", "%_poster%", "", "%_date%", 15, "%_date%"},
    {"date expanded by later steps", "%_date%", "%_time%", "", 15, "09:05"},
    {"empty value removes it", "[%_date%]", "", "", 15, "[]"},
};

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
        QCOMPARE(c.lineEnd ? FindLineEnd(c.text, c.from) : FindText(c.text, c.needle, c.from),
                 c.expected);
    }
    void translation_data() { addRows(kTranslations); }
    void translation() {
        const auto& c = kTranslations[fetchedRow()];
        QCOMPARE(qb(c.toHtml ? AsciiToHtml(c.input, c.rows) : HtmlToAscii(c.input, c.rows)),
                 QByteArray(c.expected));
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

// The default table turns every umlaut and the sharp s into its entity, and back.
void TestNewsText::defaultTableRoundTrip() {
    TnkDBData data;
    TnkDBSource source(&data, TranslationFields(ConfigRole::Dialog));
    data.SetBinData(DefaultTranslationBinData());
    source.Loaded();
    const TranslationRows rows = ReadTranslationRows(source);
    const std::string plain = "Gr\xFC\xDF"
                              "e an \xC4, \xD6, \xDC, \xE4, \xF6!";
    const std::string html = AsciiToHtml(plain, rows);
    QCOMPARE(qb(html), "Gr&uuml;&szlig;e an &Auml;, &Ouml;, &Uuml;, &auml;, &ouml;!");
    QCOMPARE(HtmlToAscii(html, rows), plain);
}

// Date and time come from the news table's current record, the poster from the chosen
// configuration record; a record out of range gives empty values.
void TestNewsText::placeholderValuesFromTables() {
    TnkDBData newsData, configData;
    TnkDBSource news(&newsData, {{"Date"}, {"Time"}}), config(&configData, {{"Poster"}});
    news.Loaded();
    config.Loaded();
    const PlaceholderValues none = ReadPlaceholderValues(news, config, 0);
    QVERIFY(none.Date.empty() && none.Time.empty() && none.Poster.empty());
    for (const char* date : {"2000/01/14", "2000/01/15"}) {
        news.SetString(news.Append(), "Date", date);
        config.SetString(config.Append(), "Poster", date + 8);
    }
    news.SetString(0, "Time", "08:00");
    news.SetRecNo(0);
    const PlaceholderValues v = ReadPlaceholderValues(news, config, 1);
    QCOMPARE(qb(v.Date + " " + v.Time + " " + v.Poster), "2000/01/14 08:00 15");
    QVERIFY(ReadPlaceholderValues(news, config, 2).Poster.empty());
    QVERIFY(ReadPlaceholderValues(news, config, -1).Poster.empty());
}

void TestNewsText::systemStandardBias() {
    const auto& c = kZones[fetchedRow()];
    const std::optional<QByteArray> old =
        qEnvironmentVariableIsSet("TZ") ? std::optional(qgetenv("TZ")) : std::nullopt;
    qputenv("TZ", c.zone);
    tzset();
    const int measured = SystemNewsClock().StandardBias();
    old ? qputenv("TZ", *old) : qunsetenv("TZ");
    tzset();
    QCOMPARE(measured, c.bias);
}

// The machine clock's fields line up with Qt's local time (read again if a minute turned).
void TestNewsText::systemNow() {
    const auto qtNow = [] { return QDateTime::currentDateTime().toString("yyyy M d h m"); };
    for (int attempt = 0; attempt < 3; ++attempt) {
        const QString before = qtNow();
        const NewsDateTime n = SystemNewsClock().Now();
        if (qtNow() != before) continue;
        QCOMPARE(QString::asprintf("%d %d %d %d %d", n.Year, n.Month, n.Day, n.Hour, n.Minute),
                 before);
        return;
    }
    QSKIP("the clock kept turning a minute");
}

QTEST_GUILESS_MAIN(TestNewsText)
#include "test_news_text.moc"
