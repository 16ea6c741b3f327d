// Guards: news pages split into records and rebuilt byte for byte, at every marker boundary.
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
    void workedExample();
    void ownHeaderRoundTrip();
    void parseCases_data();
    void parseCases();
    void failureChangesNothing_data();
    void failureChangesNothing();
    void insertsInFrontOfTheCurrentRecord();
    void emptyTableBuild();
    void pageLines();
    void optionsFromConfiguration();
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

// Build, then parse back: the editor is told once, with everything in place.
void TestNewsPage::workedExample() {
    NewsTable t;
    t.add("2000/01/14|09:15|N0|H0|T0|F0");
    t.add("2000/01/15|08:05|N1|H1|T1|F1");
    t.add("2000/01/15|12:30|N2|H2|T2|F2");
    t.source.SetRecNo(1);
    const NewsPageContext context{"<html>\r\n", "</html>"};
    QCOMPARE(qb(BuildNewsPage(t.source, context, options("main", false, "<hr>"), {})),
             kWorkedExample);
    QCOMPARE(t.source.CurrentIndex(), 1);

    NewsTable back;
    CountingControl control;
    int changes = 0;
    back.source.RegisterControl("", &control);
    back.source.OnChange = [&](TnkDBSource& s) {
        ++changes;
        QCOMPARE(s.CurrentIndex(), 2);
    };
    NewsPageContext parsed;
    QVERIFY(ParseNewsPage(str(kWorkedExample), options("main"), {}, back.source, parsed));
    QCOMPARE(back.records(),
             QByteArrayList({"2000/01/14|09:15|N0|H0|T0|F0", "2000/01/15|12:30|N1|H2|T1|F1",
                             "2000/01/15|12:30|N2|H2|T2|F2"}));
    QCOMPARE(qb(parsed.PagePrefix + "|" + parsed.PageSuffix), QByteArray("<html>\r\n|</html>\r\n"));
    QCOMPARE(control.calls, 1);
    QCOMPARE(changes, 1);
    QVERIFY(!back.source.ControlsDisabled());
    back.source.UnregisterControl(&control);
}

// Own header on, both forms, with and without a between block: the page parses back into the
// same records and context, and builds into the same bytes.
void TestNewsPage::ownHeaderRoundTrip() {
    NewsTable t;
    t.add("2000/01/13|07:00|a0|<b>Gr\xFC\xDF</b>|one\r\nline two|- Ann<br>");
    t.add("2000/01/14|09:15|a1|h1|caf\xE4 &amp; t\xE4st||");
    t.add("2000/01/15|12:30|a3||\r\n|f3");
    const NewsPageContext context{"<html>\r\n<body>\xE4 &szlig;\r\n", "</body>\r\n</html>\r\n"};
    for (const char* section : {"", "main"})
        for (const char* between : {"", "<p>\r\n<hr>\r\n</p>"}) {
            const NewsPageOptions opts = options(section, true, between);
            const std::string page = BuildNewsPage(t.source, context, opts, kGerman);
            NewsTable back;
            NewsPageContext parsed;
            QVERIFY(ParseNewsPage(page, opts, kGerman, back.source, parsed));
            QCOMPARE(back.records(), t.records());
            QCOMPARE(qb(parsed.PagePrefix + "|" + parsed.PageSuffix),
                     QByteArray("<html>\r\n<body>\xE4 \xDF\r\n|</body>\r\n</html>\r\n"));
            QCOMPARE(qb(BuildNewsPage(back.source, parsed, opts, kGerman)), qb(page));
        }
}

// Each case: a page (LF line ends become CR LF), the section name, and the expected records
// (record 0 first), prefix and suffix.
void TestNewsPage::parseCases_data() {
    QTest::addColumn<QByteArray>("page");
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArrayList>("records");
    QTest::addColumn<QByteArray>("prefix");
    QTest::addColumn<QByteArray>("suffix");
    const auto row = [](const char* name, const QByteArray& page, const QByteArrayList& records,
                        const QByteArray& prefix = {}, const QByteArray& suffix = {},
                        const QByteArray& section = {}) {
        QTest::newRow(name) << page << section << records << prefix << suffix;
    };
    const QByteArray item = "<!-- DATE:2000/01/15(12:30) -->H\n"
                            "<!-- TEXT --><A NAME=\"n\"></A>t<!-- SUBLINE -->f\n";
    const QByteArray item2 = "<!-- TEXT --><A NAME=\"m\"></A>u<!-- SUBLINE -->g\n";
    const QByteArrayList one{"2000/01/15|12:30|n|H|t|f"};
    const QByteArrayList two{"2000/01/15|12:30|m|H|u|g", "2000/01/15|12:30|n|H|t|f"};
    const QByteArray d = "<!-- DATA -->\n", e = "<!-- /DATA -->";

    row("named form wins over plain",
        "a\n" + d + "<!-- TEXT -->x<!-- SUBLINE -->\n<!-- NEWS:main -->\n" + item +
            "<!-- /NEWS -->\nz\n",
        one, "a\r\n<!-- DATA -->\r\n<!-- TEXT -->x<!-- SUBLINE -->\r\n", "z\r\n", "main");
    row("plain form with a section configured", "a\n" + d + item + e + "\nz", one, "a\r\n", "z\r\n",
        "main");
    row("end marker of the other form",
        "<!-- NEWS:main -->\n" + item + "<!-- /DATA -->z\n<!-- /NEWS -->", one, "",
        "z\r\n<!-- /NEWS -->\r\n", "main");
    row("first end marker counts", d + item + "<!-- /NEWS -->\n" + e + "\n", one, "",
        "<!-- /DATA -->\r\n");
    row("false end marker right before the real one", d + item + "<!-- /<!-- /DATA -->", one);
    row("only line breaks after the end", d + item + e + "\n\n\r\r\n", one);
    row("8-character date shifts time and header",
        d +
            "<!-- DATE:00/01/15(12:30) -->Head\n<!-- TEXT --><A NAME=\"n\"></A>t<!-- SUBLINE "
            "-->f\n" +
            e,
        {"00/01/15(1|:30) |n|ad|t|f"});
    row("missing anchor", d + "<!-- TEXT -->body<!-- SUBLINE -->f\n" + e, {"||||body|f"});
    row("anchor without closing quote", d + "<!-- TEXT --><A NAME=\"abcdefg<!-- SUBLINE -->f\n" + e,
        {"||||fg|f"});
    row("missing footer takes the rest less one character",
        d + "<!-- TEXT --><A NAME=\"n\"></A>body\nmore\n" + e, {"||n||body\r\nmore\r|"});
    row("items share the date line above them",
        d + item + item2 +
            "\n<!-- DATE:2000/01/14(08:00) -->\n"
            "<!-- TEXT --><A NAME=\"o\"></A>v<!-- SUBLINE -->\n" +
            e,
        {"2000/01/14|08:00|o||v|", two[0], two[1]});
    row("stray text is dropped", d + "intro\n" + item + "between items\n" + item2 + e + "\n", two);
    row("between block with line breaks is dropped",
        d + item + "<!-- BETWEEN -->\n<!-- TEXT -->x\n<!-- /BETWEEN -->" + item2 + e, two);
    row("unclosed between drops the rest", d + item + "<!-- BETWEEN --><hr>" + item2 + e, one);
    row("second footer line replaces the first",
        d + "<!-- SUBLINE -->lost\n<!-- TEXT -->t<!-- SUBLINE -->a\n<!-- SUBLINE -->b\n" + e,
        {"||||t|b"});
    row("date line cut by the section end", d + "<!-- DATE:2000/0" + e, {});
    row("text marker at the very end", d + "<!-- TEXT -->" + e, {"|||||"});
    row("one character after the start marker is skipped",
        "<!-- DATA -->x<!-- TEXT -->t<!-- SUBLINE -->f\n" + e, {"||||t|f"});
    row("start and end markers touching", "x<!-- DATA -->" + e + "y", {}, "x", "y\r\n");
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
    QCOMPARE(qb(context.PagePrefix + "|" + context.PageSuffix), prefix + "|" + suffix);
    QCOMPARE(t.source.CurrentIndex(), t.source.RecordCount() - 1);
}

void TestNewsPage::failureChangesNothing_data() {
    QTest::addColumn<QByteArray>("page");
    QTest::addColumn<QByteArray>("section");
    const auto row = [](const char* name, const char* page, const char* section = "") {
        QTest::newRow(name) << QByteArray(page) << QByteArray(section);
    };
    row("no markers", "<html></html>");
    row("start without end", "<!-- DATA -->\n<!-- TEXT -->x");
    row("end only before the start", "<!-- /DATA -->\n<!-- DATA -->\n");
    row("cut end marker", "<!-- DATA -->\n<!-- /DATA --");
    row("blank after NEWS:", "<!-- NEWS: main -->\n<!-- /NEWS -->", "main");
    row("named form without a section", "<!-- NEWS:main -->\n<!-- /NEWS -->");
    row("markers are case-sensitive", "<!-- data -->\n<!-- /data -->");
    row("empty page", "", "main");
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
    QCOMPARE(qb(context.PagePrefix + "|" + context.PageSuffix),
             QByteArray("old prefix|old suffix"));
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

// Every byte sequence becomes CR LF lines; lines already in that form stay as they are.
void TestNewsPage::pageLines() {
    const struct {
        QByteArray bytes, lines;
    } cases[] = {{"", ""},
                 {"a", "a\r\n"},
                 {"a\nb\n", "a\r\nb\r\n"},
                 {"a\rb", "a\r\nb\r\n"},
                 {"a\r\r\n", "a\r\n\r\n"},
                 {"a\n\r", "a\r\n\r\n"},
                 {"\n", "\r\n"},
                 {"a\r\n\r\nb\r\n", "a\r\n\r\nb\r\n"},
                 {"a\rb\r\nc\r\n", "a\r\nb\r\nc\r\n"},
                 {"a\r\nb\n", "a\r\nb\r\n"},
                 {"a\r\nb", "a\r\nb\r\n"},
                 {QByteArray("a\0b\n", 4), QByteArray("a\0b\r\n", 5)}};
    for (const auto& c : cases) {
        QCOMPARE(qb(JoinPageLines(str(c.bytes))), c.lines);
        QCOMPARE(qb(JoinPageLines(str(c.lines))), c.lines);
    }
}

// Only the exact text TRUE turns the own header on; a record out of range gives defaults.
void TestNewsPage::optionsFromConfiguration() {
    TnkDBData data;
    TnkDBSource config(&data, {{"NewsSection"}, {"NewsHeader"}, {"NewsBetweenNews"}});
    config.Loaded();
    for (const char* header : {"TRUE", "true"}) {
        const int r = config.Append();
        for (const char* f : {"NewsSection", "NewsBetweenNews"})
            config.SetString(r, f, f);
        config.SetString(r, "NewsHeader", header);
    }
    const NewsPageOptions first = ReadNewsPageOptions(config, 0),
                          second = ReadNewsPageOptions(config, 1);
    QCOMPARE(qb(first.Section + "|" + first.BetweenNews),
             QByteArray("NewsSection|NewsBetweenNews"));
    QVERIFY(first.OwnHeader && !second.OwnHeader && !second.Section.empty());
    QVERIFY(ReadNewsPageOptions(config, 2).Section.empty() &&
            ReadNewsPageOptions(config, -1).Section.empty());
}

QTEST_GUILESS_MAIN(TestNewsPage)
#include "test_news_page.moc"
