// Text services of the news engine: replacement, translation tables, date formats, beats and
// the placeholders of new items.
#include "core/config/ConfigSchema.h"
#include "core/news/DateFormat.h"
#include "core/news/InternetTime.h"
#include "core/news/NewsClock.h"
#include "core/news/Placeholders.h"
#include "core/news/ReplaceAll.h"
#include "core/news/Translation.h"
#include "core/storage/TnkDBData.h"
#include "core/storage/TnkDBSource.h"

#include <QtTest>

#include <cstdlib>
#include <ctime>

using namespace pw;

namespace {
std::string str(const QByteArray& b) {
    return b.toStdString();
}
QByteArray qb(const std::string& s) {
    return QByteArray(s.data(), qsizetype(s.size()));
}
const NewsDateTime kJan15{2000, 1, 15, 9, 5, 7};
} // namespace

class TestNewsText : public QObject {
    Q_OBJECT
private slots:
    void replaceAll_data();
    void replaceAll();
    void translation_data();
    void translation();
    void defaultTableRoundTrip();
    void formatDateTime_data();
    void formatDateTime();
    void monthName_data();
    void monthName();
    void internetTime_data();
    void internetTime();
    void placeholders_data();
    void placeholders();
    void placeholderValuesFromTables();
    void systemStandardBias_data();
    void systemStandardBias();
};

void TestNewsText::replaceAll_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("search");
    QTest::addColumn<QByteArray>("replacement");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("inserted text is not searched again")
        << QByteArray("aaa") << QByteArray("a") << QByteArray("aa") << QByteArray("aaaaaa");
    QTest::newRow("empty search") << QByteArray("abc") << QByteArray() << QByteArray("x")
                                  << QByteArray("abc");
    QTest::newRow("empty text") << QByteArray() << QByteArray("a") << QByteArray("b")
                                << QByteArray();
    QTest::newRow("remove all") << QByteArray("abab") << QByteArray("ab") << QByteArray()
                                << QByteArray();
    QTest::newRow("matches do not overlap")
        << QByteArray("aaaaa") << QByteArray("aa") << QByteArray("b") << QByteArray("bba");
    QTest::newRow("no rescan across the seam")
        << QByteArray("xaaay") << QByteArray("aa") << QByteArray("a") << QByteArray("xaay");
    QTest::newRow("replacement holds the search")
        << QByteArray("%_a%-%_a%") << QByteArray("%_a%") << QByteArray("[%_a%]")
        << QByteArray("[%_a%]-[%_a%]");
    QTest::newRow("search longer than text")
        << QByteArray("ab") << QByteArray("abc") << QByteArray("x") << QByteArray("ab");
    QTest::newRow("case-sensitive")
        << QByteArray("Aa") << QByteArray("a") << QByteArray("b") << QByteArray("Ab");
    QTest::newRow("many false starts")
        << QByteArray(200, 'a') + "b" + QByteArray(300, 'a') + "b" << QByteArray("ab")
        << QByteArray("X") << QByteArray(199, 'a') + "X" + QByteArray(299, 'a') + "X";
    QTest::newRow("match at the very end")
        << QByteArray("xyz") << QByteArray("yz") << QByteArray("Q") << QByteArray("xQ");
    QTest::newRow("NUL bytes") << QByteArray("a\0b\0", 4) << QByteArray("\0", 1) << QByteArray("0")
                               << QByteArray("a0b0");
}

void TestNewsText::replaceAll() {
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, search);
    QFETCH(QByteArray, replacement);
    QFETCH(QByteArray, expected);
    QCOMPARE(qb(ReplaceAll(str(text), str(search), str(replacement))), expected);
}

void TestNewsText::translation_data() {
    QTest::addColumn<QByteArrayList>("asciiSide");
    QTest::addColumn<QByteArrayList>("htmlSide");
    QTest::addColumn<bool>("toHtml");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("expected");
    const QByteArrayList umlautThenAmp{"\xE4", "&"}, htmlUmlautThenAmp{"&auml;", "&amp;"};
    const QByteArrayList ampThenUmlaut{"&", "\xE4"}, htmlAmpThenUmlaut{"&amp;", "&auml;"};
    QTest::newRow("later row breaks an earlier entity")
        << umlautThenAmp << htmlUmlautThenAmp << true << QByteArray("\xE4")
        << QByteArray("&amp;auml;");
    QTest::newRow("earlier row protects the entity")
        << ampThenUmlaut << htmlAmpThenUmlaut << true << QByteArray("a&\xE4")
        << QByteArray("a&amp;&auml;");
    QTest::newRow("back, rows in the same order") << ampThenUmlaut << htmlAmpThenUmlaut << false
                                                  << QByteArray("&amp;auml;") << QByteArray("\xE4");
    QTest::newRow("empty table to html") << QByteArrayList() << QByteArrayList() << true
                                         << QByteArray("\xE4&") << QByteArray("\xE4&");
    QTest::newRow("empty table to ascii") << QByteArrayList() << QByteArrayList() << false
                                          << QByteArray("&auml;") << QByteArray("&auml;");
    QTest::newRow("empty ascii is skipped to html")
        << QByteArrayList{""} << QByteArrayList{"&nbsp;"} << true << QByteArray("a b")
        << QByteArray("a b");
    QTest::newRow("empty ascii removes the html value")
        << QByteArrayList{""} << QByteArrayList{"&nbsp;"} << false << QByteArray("a&nbsp;b")
        << QByteArray("ab");
    QTest::newRow("empty html removes the ascii value")
        << QByteArrayList{"x"} << QByteArrayList{""} << true << QByteArray("xyx")
        << QByteArray("y");
    QTest::newRow("empty html is skipped to ascii")
        << QByteArrayList{"x"} << QByteArrayList{""} << false << QByteArray("yy")
        << QByteArray("yy");
    QTest::newRow("markers are translated too")
        << QByteArrayList{"-"} << QByteArrayList{"&#45;"} << true << QByteArray("<!-- DATA -->")
        << QByteArray("<!&#45;&#45; DATA &#45;&#45;>");
}

void TestNewsText::translation() {
    QFETCH(QByteArrayList, asciiSide);
    QFETCH(QByteArrayList, htmlSide);
    QFETCH(bool, toHtml);
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, expected);
    TranslationRows rows;
    for (qsizetype i = 0; i < asciiSide.size(); ++i)
        rows.push_back({str(asciiSide[i]), str(htmlSide[i])});
    const std::string out = toHtml ? AsciiToHtml(str(input), rows) : HtmlToAscii(str(input), rows);
    QCOMPARE(qb(out), expected);
}

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

void TestNewsText::formatDateTime_data() {
    QTest::addColumn<QByteArray>("format");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("default date") << QByteArray("yyyy'/'MM'/'dd") << QByteArray("2000/01/15");
    QTest::newRow("default time") << QByteArray("hh:nn") << QByteArray("09:05");
    QTest::newRow("minutes before hours")
        << QByteArray("yyyymmddnnhh") << QByteArray("200001150509");
    QTest::newRow("m after an hour is minutes") << QByteArray("hh:mm") << QByteArray("09:05");
    QTest::newRow("quoted text keeps the hour") << QByteArray("h'h'mm") << QByteArray("9h05");
    QTest::newRow("another letter ends the hour") << QByteArray("hh d m") << QByteArray("09 15 1");
    QTest::newRow("no leading zeros") << QByteArray("h:n d.m.") << QByteArray("9:5 15.1.");
    QTest::newRow("two-digit year") << QByteArray("yy'/'mm'/'dd") << QByteArray("00/01/15");
    QTest::newRow("capital letters") << QByteArray("HH:NN:SS") << QByteArray("09:05:07");
    QTest::newRow("double quotes") << QByteArray("\"at\" hh") << QByteArray("at 09");
    QTest::newRow("quoted letters") << QByteArray("'yyyy'") << QByteArray("yyyy");
    QTest::newRow("unclosed quote") << QByteArray("dd'/yy") << QByteArray("15/yy");
    QTest::newRow("names") << QByteArray("dddd, d mmmm (ddd mmm)")
                           << QByteArray("Saturday, 15 January (Sat Jan)");
    QTest::newRow("other letters") << QByteArray("x#q") << QByteArray("x#q");
}

void TestNewsText::formatDateTime() {
    QFETCH(QByteArray, format);
    QFETCH(QByteArray, expected);
    QCOMPARE(qb(FormatDateTime(str(format), kJan15)), expected);
}

void TestNewsText::monthName_data() {
    QTest::addColumn<int>("month");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("1") << 1 << QByteArray("january");
    QTest::newRow("5") << 5 << QByteArray("may");
    QTest::newRow("12") << 12 << QByteArray("december");
    QTest::newRow("0") << 0 << QByteArray();
    QTest::newRow("13") << 13 << QByteArray();
    QTest::newRow("-1") << -1 << QByteArray();
}

void TestNewsText::monthName() {
    QFETCH(int, month);
    QFETCH(QByteArray, expected);
    QCOMPARE(qb(MonthName(month)), expected);
}

void TestNewsText::internetTime_data() {
    QTest::addColumn<int>("hour");
    QTest::addColumn<int>("minute");
    QTest::addColumn<int>("second");
    QTest::addColumn<int>("bias");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("23:30 at UTC+1") << 23 << 30 << 0 << -60 << QByteArray("979");
    QTest::newRow("00:30 at UTC+2 wraps back") << 0 << 30 << 0 << -120 << QByteArray("979");
    QTest::newRow("43 s before midnight") << 23 << 59 << 17 << -60 << QByteArray("1000");
    QTest::newRow("44 s before midnight") << 23 << 59 << 16 << -60 << QByteArray("999");
    QTest::newRow("midnight") << 0 << 0 << 0 << -60 << QByteArray("0");
    QTest::newRow("noon UTC") << 12 << 0 << 0 << 0 << QByteArray("542");
    QTest::newRow("UTC-5 wraps forward") << 22 << 0 << 0 << 300 << QByteArray("167");
    QTest::newRow("half-hour zone truncates") << 1 << 0 << 0 << -330 << QByteArray("875");
}

void TestNewsText::internetTime() {
    QFETCH(int, hour);
    QFETCH(int, minute);
    QFETCH(int, second);
    QFETCH(int, bias);
    QFETCH(QByteArray, expected);
    QCOMPARE(qb(InternetTime({2000, 1, 15, hour, minute, second}, bias)), expected);
}

void TestNewsText::placeholders_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("date");
    QTest::addColumn<QByteArray>("poster");
    QTest::addColumn<int>("day");
    QTest::addColumn<QByteArray>("expected");
    const QByteArray d("2000/01/15");
    QTest::newRow("header default") << QByteArray("%_date%<br>") << d << QByteArray("Ann") << 15
                                    << QByteArray("2000/01/15<br>");
    QTest::newRow("footer default")
        << QByteArray("- %_poster%<br>") << d << QByteArray("Ann") << 15 << QByteArray("- Ann<br>");
    QTest::newRow("long date") << QByteArray("%_longdate%") << d << QByteArray() << 15
                               << QByteArray("2000/january/15");
    QTest::newRow("clock fields") << QByteArray("%_hour%:%_minute% %_day%.%_month%.%_year%") << d
                                  << QByteArray() << 15 << QByteArray("09:05 15.1.2000");
    QTest::newRow("day without zero")
        << QByteArray("%_day%") << d << QByteArray() << 5 << QByteArray("5");
    QTest::newRow("time and beats")
        << QByteArray("%_time% @%_@%") << d << QByteArray() << 15 << QByteArray("09:05 @378");
    QTest::newRow("capitals stay") << QByteArray("%_DATE% %_Date% %_date") << d << QByteArray()
                                   << 15 << QByteArray("%_DATE% %_Date% %_date");
    QTest::newRow("poster expanded by later steps")
        << QByteArray("%_poster%") << d << QByteArray("%_hour%h") << 15 << QByteArray("09h");
    QTest::newRow("poster not expanded by earlier steps")
        << QByteArray("%_poster%") << d << QByteArray("%_date%") << 15 << QByteArray("%_date%");
    QTest::newRow("date expanded by later steps") << QByteArray("%_date%") << QByteArray("%_time%")
                                                  << QByteArray() << 15 << QByteArray("09:05");
    QTest::newRow("empty value removes it")
        << QByteArray("[%_date%]") << QByteArray() << QByteArray() << 15 << QByteArray("[]");
}

void TestNewsText::placeholders() {
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, date);
    QFETCH(QByteArray, poster);
    QFETCH(int, day);
    QFETCH(QByteArray, expected);
    const FixedNewsClock clock({2000, 1, day, 9, 5, 0}, -60);
    const PlaceholderValues values{str(date), "09:05", str(poster)};
    QCOMPARE(qb(ExpandPlaceholders(str(text), values, clock)), expected);
}

void TestNewsText::placeholderValuesFromTables() {
    TnkDBData newsData, configData;
    TnkDBSource news(&newsData, {{"Date"}, {"Time"}});
    TnkDBSource config(&configData, {{"Poster"}});
    news.Loaded();
    config.Loaded();

    PlaceholderValues none = ReadPlaceholderValues(news, config, 0);
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
    QCOMPARE(qb(v.Date), QByteArray("2000/01/14"));
    QCOMPARE(qb(v.Time), QByteArray("08:00"));
    QCOMPARE(qb(v.Poster), QByteArray("Bob"));
    QVERIFY(ReadPlaceholderValues(news, config, 5).Poster.empty());
}

void TestNewsText::systemStandardBias_data() {
    QTest::addColumn<QByteArray>("zone");
    QTest::addColumn<int>("bias");
    QTest::newRow("central europe") << QByteArray("CET-1CEST,M3.5.0,M10.5.0/3") << -60;
    QTest::newRow("southern summer") << QByteArray("AEST-10AEDT,M10.1.0,M4.1.0/3") << -600;
    QTest::newRow("west of UTC") << QByteArray("EST5EDT,M3.2.0,M11.1.0") << 300;
    QTest::newRow("no daylight saving") << QByteArray("IST-5:30") << -330;
    QTest::newRow("UTC") << QByteArray("UTC0") << 0;
}

void TestNewsText::systemStandardBias() {
    QFETCH(QByteArray, zone);
    QFETCH(int, bias);
    const QByteArray old = qgetenv("TZ");
    const bool hadOld = qEnvironmentVariableIsSet("TZ");
    qputenv("TZ", zone);
    tzset();
    const int measured = SystemNewsClock().StandardBias();
    if (hadOld)
        qputenv("TZ", old);
    else
        qunsetenv("TZ");
    tzset();
    QCOMPARE(measured, bias);
}

QTEST_GUILESS_MAIN(TestNewsText)
#include "test_news_text.moc"
