// Analysis of news pages into records and page context, and generation of pages from them.
#include "core/news/NewsFormat.h"
#include "core/news/NewsPage.h"
#include "core/news/PageLines.h"
#include "core/storage/TnkDBControl.h"
#include "core/storage/TnkDBData.h"
#include "core/storage/TnkDBSource.h"

#include <QtTest>

using namespace pw;

namespace {

std::string str(const QByteArray& b) {
    return b.toStdString();
}
QByteArray qb(const std::string& s) {
    return QByteArray(s.data(), qsizetype(s.size()));
}

const TranslationRows kGerman = {{"\xE4", "&auml;"}, {"\xDF", "&szlig;"}};

struct CountingControl : TnkDBControl {
    int calls = 0;
    void DataChanged() override { ++calls; }
};

struct NewsTable {
    NewsTable() : source(&data, NewsFields()) { source.Loaded(); }
    TnkDBData data;
    TnkDBSource source;

    // "Date|Time|Name|Header|Text|Footer" per record, record 0 first.
    void add(const QByteArray& record) {
        const QList<QByteArray> parts = record.split('|');
        const int r = source.Append();
        const char* fields[] = {"Date", "Time", "Name", "Header", "Text", "Footer"};
        for (int f = 0; f < 6 && f < parts.size(); ++f)
            source.SetString(r, fields[f], str(parts[f]));
    }
    QByteArrayList records() const {
        QByteArrayList out;
        for (int r = 0; r < source.RecordCount(); ++r) {
            QByteArrayList parts;
            for (const char* f : {"Date", "Time", "Name", "Header", "Text", "Footer"})
                parts << qb(source.GetString(r, f));
            out << parts.join('|');
        }
        return out;
    }
};

NewsPageOptions options(const QByteArray& section, bool ownHeader = false,
                        const QByteArray& between = {}) {
    return {str(section), ownHeader, str(between)};
}

QByteArray crlf(QByteArray text) {
    return text.replace("\n", "\r\n");
}

} // namespace

class TestNewsPage : public QObject {
    Q_OBJECT
private slots:
    void workedExampleBuild();
    void workedExampleParse();
    void ownHeaderRoundTrip_data();
    void ownHeaderRoundTrip();
    void parseCases_data();
    void parseCases();
    void failureChangesNothing_data();
    void failureChangesNothing();
    void oneNotificationAtTheEnd();
    void insertsInFrontOfTheCurrentRecord();
    void emptyTableBuild();
    void textOutsideTheSectionIsTranslated();
    void strayTextIsDropped();
    void pageLines_data();
    void pageLines();
    void optionsFromConfiguration_data();
    void optionsFromConfiguration();
    void adversarialPagesFinish_data();
    void adversarialPagesFinish();
};

static const QByteArray kWorkedExample = crlf("<html>\n"
                                              "<!-- NEWS:main -->\n"
                                              "<!-- DATE:2000/01/15(12:30) -->H2\n"
                                              "<!-- TEXT --><A NAME=\"N2\"></A>T2"
                                              "<!-- SUBLINE -->F2\n"
                                              "<!-- BETWEEN --><hr><!-- /BETWEEN -->"
                                              "<!-- TEXT --><A NAME=\"N1\"></A>T1"
                                              "<!-- SUBLINE -->F1\n"
                                              "<!-- BETWEEN --><hr><!-- /BETWEEN -->\n"
                                              "<!-- DATE:2000/01/14(09:15) -->H0\n"
                                              "<!-- TEXT --><A NAME=\"N0\"></A>T0"
                                              "<!-- SUBLINE -->F0\n"
                                              "<!-- /NEWS -->\n"
                                              "</html>");

void TestNewsPage::workedExampleBuild() {
    NewsTable t;
    t.add("2000/01/14|09:15|N0|H0|T0|F0");
    t.add("2000/01/15|08:05|N1|H1|T1|F1");
    t.add("2000/01/15|12:30|N2|H2|T2|F2");
    t.source.SetRecNo(1);
    const NewsPageContext context{"<html>\r\n", "</html>"};
    const std::string page = BuildNewsPage(t.source, context, options("main", false, "<hr>"), {});
    QCOMPARE(qb(page), kWorkedExample);
    QCOMPARE(t.source.CurrentIndex(), 1);
}

void TestNewsPage::workedExampleParse() {
    NewsTable t;
    NewsPageContext context;
    QVERIFY(ParseNewsPage(str(kWorkedExample), options("main"), {}, t.source, context));
    QCOMPARE(t.records(),
             QByteArrayList({"2000/01/14|09:15|N0|H0|T0|F0", "2000/01/15|12:30|N1|H2|T1|F1",
                             "2000/01/15|12:30|N2|H2|T2|F2"}));
    QCOMPARE(t.source.CurrentIndex(), 2);
    QCOMPARE(qb(context.PagePrefix), QByteArray("<html>\r\n"));
    QCOMPARE(qb(context.PageSuffix), QByteArray("</html>\r\n"));
}

void TestNewsPage::ownHeaderRoundTrip_data() {
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("between");
    QTest::newRow("plain form") << QByteArray() << QByteArray();
    QTest::newRow("named form") << QByteArray("main") << QByteArray();
    QTest::newRow("plain, between") << QByteArray() << QByteArray("<hr>");
    QTest::newRow("named, between with line breaks")
        << QByteArray("main") << QByteArray("<p>\r\n<hr>\r\n</p>");
}

void TestNewsPage::ownHeaderRoundTrip() {
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, between);
    NewsTable t;
    t.add("2000/01/13|07:00|a0|<b>Gr\xFC\xDF</b>|one\r\nline two|- Ann<br>");
    t.add("2000/01/14|09:15|a1|h1|caf\xE4 &amp; t\xE4st||");
    t.add("2000/01/14|10:15|a2|h2|<p>x</p>|f2");
    t.add("2000/01/15|12:30|a3||\r\n|f3");
    const NewsPageContext context{"<html>\r\n<body>\xE4\r\n", "</body>\r\n</html>\r\n"};
    const NewsPageOptions opts = options(section, true, between);
    const std::string page = BuildNewsPage(t.source, context, opts, kGerman);

    NewsTable back;
    NewsPageContext parsed;
    QVERIFY(ParseNewsPage(page, opts, kGerman, back.source, parsed));
    QCOMPARE(back.records(), t.records());
    QCOMPARE(qb(parsed.PagePrefix), qb(context.PagePrefix));
    QCOMPARE(qb(parsed.PageSuffix), qb(context.PageSuffix));
    QCOMPARE(qb(BuildNewsPage(back.source, parsed, opts, kGerman)), qb(page));
}

// Each case: a page (LF line ends become CR LF), the section name, and the expected records
// (record 0 first), prefix and suffix.
void TestNewsPage::parseCases_data() {
    QTest::addColumn<QByteArray>("page");
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArrayList>("records");
    QTest::addColumn<QByteArray>("prefix");
    QTest::addColumn<QByteArray>("suffix");
    const QByteArray item = "<!-- DATE:2000/01/15(12:30) -->H\n"
                            "<!-- TEXT --><A NAME=\"n\"></A>t<!-- SUBLINE -->f\n";
    const QByteArrayList one{"2000/01/15|12:30|n|H|t|f"};

    QTest::newRow("named form wins over plain")
        << "a\n<!-- DATA -->\n<!-- TEXT -->x<!-- SUBLINE -->\n<!-- NEWS:main -->\n" + item +
               "<!-- /NEWS -->\nz\n"
        << QByteArray("main") << one
        << QByteArray("a\r\n<!-- DATA -->\r\n<!-- TEXT -->x<!-- SUBLINE -->\r\n")
        << QByteArray("z\r\n");
    QTest::newRow("plain form with a section configured")
        << "a\n<!-- DATA -->\n" + item + "<!-- /DATA -->\nz" << QByteArray("main") << one
        << QByteArray("a\r\n") << QByteArray("z\r\n");
    QTest::newRow("end marker of the other form")
        << "<!-- NEWS:main -->\n" + item + "<!-- /DATA -->z\n<!-- /NEWS -->" << QByteArray("main")
        << one << QByteArray() << QByteArray("z\r\n<!-- /NEWS -->\r\n");
    QTest::newRow("first end marker counts")
        << "<!-- DATA -->\n" + item + "<!-- /NEWS -->\n<!-- /DATA -->\n"
        << QByteArray() << one << QByteArray() << QByteArray("<!-- /DATA -->\r\n");
    QTest::newRow("only line breaks after the end")
        << "<!-- DATA -->\n" + item + "<!-- /DATA -->\n\n\r\r\n"
        << QByteArray() << one << QByteArray() << QByteArray();
    QTest::newRow("LF and CR line ends")
        << QByteArray("p\r<!-- DATA -->\n<!-- DATE:2000/01/15(12:30) -->H\r"
                      "<!-- TEXT --><A NAME=\"n\"></A>t<!-- SUBLINE -->f\n<!-- /DATA -->")
        << QByteArray() << one << QByteArray("p\r\n") << QByteArray();
    QTest::newRow("8-character date shifts time and header")
        << QByteArray("<!-- DATA -->\n<!-- DATE:00/01/15(12:30) -->Head\n"
                      "<!-- TEXT --><A NAME=\"n\"></A>t<!-- SUBLINE -->f\n<!-- /DATA -->\n")
        << QByteArray() << QByteArrayList{"00/01/15(1|:30) |n|ad|t|f"} << QByteArray()
        << QByteArray();
    QTest::newRow("missing anchor")
        << QByteArray("<!-- DATA -->\n<!-- TEXT -->body<!-- SUBLINE -->f\n<!-- /DATA -->")
        << QByteArray() << QByteArrayList{"||||body|f"} << QByteArray() << QByteArray();
    QTest::newRow("anchor without closing quote")
        << QByteArray("<!-- DATA -->\n<!-- TEXT --><A NAME=\"abcdefg<!-- SUBLINE -->f\n"
                      "<!-- /DATA -->")
        << QByteArray() << QByteArrayList{"||||fg|f"} << QByteArray() << QByteArray();
    QTest::newRow("missing footer takes the rest less one character")
        << QByteArray("<!-- DATA -->\n<!-- TEXT --><A NAME=\"n\"></A>body\nmore\n<!-- /DATA -->")
        << QByteArray() << QByteArrayList{"||n||body\r\nmore\r|"} << QByteArray() << QByteArray();
    QTest::newRow("items share the date line above them")
        << "<!-- DATA -->\n" + item +
               "<!-- TEXT --><A NAME=\"m\"></A>u<!-- SUBLINE -->g\n"
               "\n<!-- DATE:2000/01/14(08:00) -->\n"
               "<!-- TEXT --><A NAME=\"o\"></A>v<!-- SUBLINE -->\n<!-- /DATA -->"
        << QByteArray()
        << QByteArrayList{"2000/01/14|08:00|o||v|", "2000/01/15|12:30|m|H|u|g",
                          "2000/01/15|12:30|n|H|t|f"}
        << QByteArray() << QByteArray();
    QTest::newRow("item before any date line")
        << QByteArray("<!-- DATA -->\n<!-- TEXT --><A NAME=\"n\"></A>t<!-- SUBLINE -->f\n"
                      "<!-- /DATA -->")
        << QByteArray() << QByteArrayList{"||n||t|f"} << QByteArray() << QByteArray();
    QTest::newRow("between block with line breaks is dropped")
        << "<!-- DATA -->\n" + item + "<!-- BETWEEN -->\n<!-- TEXT -->x\n<!-- /BETWEEN -->" +
               "<!-- TEXT --><A NAME=\"m\"></A>u<!-- SUBLINE -->g\n<!-- /DATA -->"
        << QByteArray() << QByteArrayList{"2000/01/15|12:30|m|H|u|g", "2000/01/15|12:30|n|H|t|f"}
        << QByteArray() << QByteArray();
    QTest::newRow("unclosed between drops the rest")
        << "<!-- DATA -->\n" + item + "<!-- BETWEEN --><hr>" +
               "<!-- TEXT --><A NAME=\"m\"></A>u<!-- SUBLINE -->g\n<!-- /DATA -->"
        << QByteArray() << one << QByteArray() << QByteArray();
    QTest::newRow("second footer line replaces the first")
        << QByteArray("<!-- DATA -->\n<!-- SUBLINE -->lost\n<!-- TEXT -->t<!-- SUBLINE -->a\n"
                      "<!-- SUBLINE -->b\n<!-- /DATA -->")
        << QByteArray() << QByteArrayList{"||||t|b"} << QByteArray() << QByteArray();
    QTest::newRow("date line cut by the section end")
        << QByteArray("<!-- DATA -->\n<!-- DATE:2000/0<!-- /DATA -->") << QByteArray()
        << QByteArrayList() << QByteArray() << QByteArray();
    QTest::newRow("text marker at the very end")
        << QByteArray("<!-- DATA -->\n<!-- TEXT --><!-- /DATA -->") << QByteArray()
        << QByteArrayList{"|||||"} << QByteArray() << QByteArray();
    QTest::newRow("start and end markers touching")
        << QByteArray("x<!-- DATA --><!-- /DATA -->y") << QByteArray() << QByteArrayList()
        << QByteArray("x") << QByteArray("y\r\n");
}

void TestNewsPage::parseCases() {
    QFETCH(QByteArray, page);
    QFETCH(QByteArray, section);
    QFETCH(QByteArrayList, records);
    QFETCH(QByteArray, prefix);
    QFETCH(QByteArray, suffix);
    if (!page.contains('\r')) page = crlf(page);
    NewsTable t;
    NewsPageContext context;
    QVERIFY(ParseNewsPage(str(page), options(section), {}, t.source, context));
    QCOMPARE(t.records(), records);
    QCOMPARE(qb(context.PagePrefix), prefix);
    QCOMPARE(qb(context.PageSuffix), suffix);
    QCOMPARE(t.source.CurrentIndex(), t.source.RecordCount() - 1);
}

void TestNewsPage::failureChangesNothing_data() {
    QTest::addColumn<QByteArray>("page");
    QTest::addColumn<QByteArray>("section");
    QTest::newRow("no markers") << QByteArray("<html></html>") << QByteArray();
    QTest::newRow("start without end")
        << QByteArray("<!-- DATA -->\n<!-- TEXT -->x") << QByteArray();
    QTest::newRow("end only before the start")
        << QByteArray("<!-- /DATA -->\n<!-- DATA -->\n") << QByteArray();
    QTest::newRow("blank after NEWS:")
        << QByteArray("<!-- NEWS: main -->\n<!-- /NEWS -->") << QByteArray("main");
    QTest::newRow("named form without a section")
        << QByteArray("<!-- NEWS:main -->\n<!-- /NEWS -->") << QByteArray();
    QTest::newRow("markers are case-sensitive")
        << QByteArray("<!-- data -->\n<!-- /data -->") << QByteArray();
    QTest::newRow("empty page") << QByteArray() << QByteArray("main");
}

void TestNewsPage::failureChangesNothing() {
    QFETCH(QByteArray, page);
    QFETCH(QByteArray, section);
    NewsTable t;
    CountingControl control;
    t.source.RegisterControl("", &control);
    NewsPageContext context{"old prefix", "old suffix"};
    QVERIFY(!ParseNewsPage(str(page), options(section), {}, t.source, context));
    QCOMPARE(t.source.RecordCount(), 0);
    QCOMPARE(control.calls, 0);
    QCOMPARE(qb(context.PagePrefix), QByteArray("old prefix"));
    QCOMPARE(qb(context.PageSuffix), QByteArray("old suffix"));
    t.source.UnregisterControl(&control);
}

void TestNewsPage::oneNotificationAtTheEnd() {
    NewsTable t;
    CountingControl control;
    int changes = 0;
    t.source.RegisterControl("", &control);
    t.source.OnChange = [&](TnkDBSource& s) {
        ++changes;
        QCOMPARE(s.CurrentIndex(), 2); // the editor is told only once everything is in place
    };
    NewsPageContext context;
    QVERIFY(ParseNewsPage(str(kWorkedExample), options("main"), {}, t.source, context));
    QCOMPARE(control.calls, 1);
    QCOMPARE(changes, 1);
    QVERIFY(!t.source.ControlsDisabled());
    t.source.UnregisterControl(&control);
}

void TestNewsPage::insertsInFrontOfTheCurrentRecord() {
    NewsTable t;
    t.add("2000/01/01|00:00|old0|||");
    t.add("2000/01/02|00:00|old1|||");
    t.source.SetRecNo(1);
    NewsPageContext context;
    QVERIFY(ParseNewsPage(str(kWorkedExample), options("main"), {}, t.source, context));
    QByteArrayList names;
    for (int r = 0; r < t.source.RecordCount(); ++r)
        names << qb(t.source.GetString(r, "Name"));
    QCOMPARE(names, QByteArrayList({"old0", "N0", "N1", "N2", "old1"}));
    QCOMPARE(t.source.CurrentIndex(), 4);
}

void TestNewsPage::emptyTableBuild() {
    NewsTable t;
    const NewsPageContext context{"P\r\n", "S"};
    QCOMPARE(qb(BuildNewsPage(t.source, context, options(""), {})),
             QByteArray("P\r\n<!-- DATA -->\r\n<!-- /DATA -->\r\nS"));
    QCOMPARE(qb(BuildNewsPage(t.source, context, options("x y", true, "<hr>"), {})),
             QByteArray("P\r\n<!-- NEWS:x y -->\r\n<!-- /NEWS -->\r\nS"));
}

void TestNewsPage::textOutsideTheSectionIsTranslated() {
    const QByteArray page = crlf("<p>&auml; \xE4 &szlig;</p>\n<!-- DATA -->\n"
                                 "<!-- DATE:2000/01/15(12:30) -->&auml;\n"
                                 "<!-- TEXT --><A NAME=\"n\"></A>t\xE4<!-- SUBLINE -->\n"
                                 "<!-- /DATA -->\n\xDF");
    NewsTable t;
    NewsPageContext context;
    QVERIFY(ParseNewsPage(str(page), options(""), kGerman, t.source, context));
    QCOMPARE(qb(context.PagePrefix), QByteArray("<p>\xE4 \xE4 \xDF</p>\r\n"));
    QCOMPARE(qb(t.source.GetString(0, "Header")), QByteArray("\xE4"));
    QCOMPARE(qb(t.source.GetString(0, "Text")), QByteArray("t\xE4"));
    const QByteArray rebuilt = qb(BuildNewsPage(t.source, context, options(""), kGerman));
    QCOMPARE(rebuilt, crlf("<p>&auml; &auml; &szlig;</p>\n<!-- DATA -->\n"
                           "<!-- DATE:2000/01/15(12:30) -->&auml;\n"
                           "<!-- TEXT --><A NAME=\"n\"></A>t&auml;<!-- SUBLINE -->\n"
                           "<!-- /DATA -->\n&szlig;\n"));
}

void TestNewsPage::strayTextIsDropped() {
    const QByteArray page =
        crlf("<!-- DATA -->\nintro text\n<!-- DATE:2000/01/15(12:30) -->H\n"
             "<!-- TEXT --><A NAME=\"n\"></A>t<!-- SUBLINE -->f\nbetween items\n"
             "<!-- TEXT --><A NAME=\"m\"></A>u<!-- SUBLINE -->g\n<!-- /DATA -->\n");
    NewsTable t;
    NewsPageContext context;
    QVERIFY(ParseNewsPage(str(page), options(""), {}, t.source, context));
    const QByteArray rebuilt = qb(BuildNewsPage(t.source, context, options(""), {}));
    QCOMPARE(rebuilt, crlf("<!-- DATA -->\n<!-- DATE:2000/01/15(12:30) -->H\n"
                           "<!-- TEXT --><A NAME=\"n\"></A>t<!-- SUBLINE -->f\n"
                           "<!-- TEXT --><A NAME=\"m\"></A>u<!-- SUBLINE -->g\n"
                           "<!-- /DATA -->\n"));
}

void TestNewsPage::pageLines_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("lines");
    QTest::newRow("empty file") << QByteArray() << QByteArray();
    QTest::newRow("last line without a line end") << QByteArray("a") << QByteArray("a\r\n");
    QTest::newRow("LF") << QByteArray("a\nb\n") << QByteArray("a\r\nb\r\n");
    QTest::newRow("CR") << QByteArray("a\rb") << QByteArray("a\r\nb\r\n");
    QTest::newRow("CR CR LF is two line ends") << QByteArray("a\r\r\n") << QByteArray("a\r\n\r\n");
    QTest::newRow("LF CR is two line ends") << QByteArray("a\n\r") << QByteArray("a\r\n\r\n");
    QTest::newRow("already lines") << QByteArray("a\r\n\r\nb\r\n") << QByteArray("a\r\n\r\nb\r\n");
    QTest::newRow("lone CR inside CR LF lines")
        << QByteArray("a\rb\r\nc\r\n") << QByteArray("a\r\nb\r\nc\r\n");
    QTest::newRow("lone LF after CR LF lines")
        << QByteArray("a\r\nb\n") << QByteArray("a\r\nb\r\n");
    QTest::newRow("NUL bytes stay") << QByteArray("a\0b\n", 4) << QByteArray("a\0b\r\n", 5);
}

void TestNewsPage::pageLines() {
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, lines);
    QCOMPARE(qb(JoinPageLines(str(bytes))), lines);
    QCOMPARE(qb(JoinPageLines(str(lines))), lines);
}

void TestNewsPage::optionsFromConfiguration_data() {
    QTest::addColumn<QByteArray>("header");
    QTest::addColumn<bool>("ownHeader");
    QTest::newRow("TRUE") << QByteArray("TRUE") << true;
    QTest::newRow("lower case is off") << QByteArray("true") << false;
    QTest::newRow("empty is off") << QByteArray() << false;
}

void TestNewsPage::optionsFromConfiguration() {
    QFETCH(QByteArray, header);
    QFETCH(bool, ownHeader);
    TnkDBData data;
    TnkDBSource config(&data, {{"Name"}, {"NewsSection"}, {"NewsHeader"}, {"NewsBetweenNews"}});
    config.Loaded();
    config.Append();
    const int r = config.Append();
    config.SetString(r, "NewsSection", "main");
    config.SetString(r, "NewsHeader", str(header));
    config.SetString(r, "NewsBetweenNews", "<hr>\r\n");
    const NewsPageOptions second = ReadNewsPageOptions(config, 1);
    QCOMPARE(qb(second.Section), QByteArray("main"));
    QCOMPARE(second.OwnHeader, ownHeader);
    QCOMPARE(qb(second.BetweenNews), QByteArray("<hr>\r\n"));
    const NewsPageOptions first = ReadNewsPageOptions(config, 0);
    QVERIFY(first.Section.empty() && !first.OwnHeader && first.BetweenNews.empty());
    QVERIFY(ReadNewsPageOptions(config, 2).Section.empty());
    QVERIFY(ReadNewsPageOptions(config, -1).Section.empty());
}

// Inputs that would make a scan from the front, or a search restarted from every position,
// take quadratic time. Each is a few megabytes; they must finish like any other page.
void TestNewsPage::adversarialPagesFinish_data() {
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("records");
    const int n = 4'000'000;
    QTest::newRow("date markers") << QByteArray("<!-- DATE:").repeated(n / 10) << 0;
    // Without a footer the first item takes all the rest, and a footer takes its whole line.
    QTest::newRow("text markers") << QByteArray("<!-- TEXT -->").repeated(n / 13) << 1;
    QTest::newRow("names running on")
        << QByteArray("<!-- TEXT --><A NAME=\"<!-- SUBLINE -->").repeated(n / 38) << 1;
    QTest::newRow("unclosed between") << QByteArray("<!-- BETWEEN -->").repeated(n / 16) << 0;
    QTest::newRow("footers without line ends")
        << QByteArray("<!-- SUBLINE -->").repeated(n / 16) << 0;
    QTest::newRow("many short items")
        << QByteArray("<!-- TEXT -->t<!-- SUBLINE -->\r\n").repeated(n / 31) << n / 31;
    QTest::newRow("open brackets") << QByteArray(n, '<') << 0;
}

void TestNewsPage::adversarialPagesFinish() {
    QFETCH(QByteArray, body);
    QFETCH(int, records);
    NewsTable t;
    NewsPageContext context;
    const std::string page = "<!-- DATA -->\r\n" + str(body) + "\r\n<!-- /DATA -->\r\n";
    QVERIFY(ParseNewsPage(page, options(""), kGerman, t.source, context));
    QCOMPARE(t.source.RecordCount(), records);
    // The records make a page again without trouble.
    QVERIFY(BuildNewsPage(t.source, context, options(""), kGerman).size() >= 30);
}

QTEST_GUILESS_MAIN(TestNewsPage)
#include "test_news_page.moc"
