// Guards: news pages split into records and rebuilt byte for byte, at every marker boundary.
#include "core/news/NewsFormat.h"
#include "core/news/NewsPage.h"
#include "core/news/PageLines.h"
#include "core/storage/TnkDBControl.h"
#include "core/storage/TnkDBData.h"
#include "core/storage/TnkDBSource.h"

#include "support/TableRows.h"
#include "support/WorkedNewsPage.h"

#include <QtTest>

using namespace pw;

namespace {

const auto qb = [](const std::string& s) { return QByteArray::fromStdString(s); };
const TranslationRows kGerman = {{"\xE4", "&auml;"}, {"\xDF", "&szlig;"}};
const char* const kFields[] = {"Date", "Time", "Name", "Header", "Text", "Footer"};

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
        for (int f = 0; f < 6 && f < parts.size(); ++f)
            source.SetString(r, kFields[f], parts[f].toStdString());
    }
    QByteArrayList records() const {
        QByteArrayList out;
        for (int r = 0; r < source.RecordCount(); ++r) {
            QByteArrayList parts;
            for (const char* f : kFields)
                parts << qb(source.GetString(r, f));
            out << parts.join('|');
        }
        return out;
    }
};

NewsPageOptions options(const char* section, bool ownHeader = false, const char* between = "") {
    return {section, ownHeader, between};
}

const QByteArray item = "<!-- DATE:2000/01/15(12:30) -->H\n"
                        "<!-- TEXT --><A NAME=\"n\"></A>t<!-- SUBLINE -->f\n";
const QByteArray item2 = "<!-- TEXT --><A NAME=\"m\"></A>u<!-- SUBLINE -->g\n";
const QByteArrayList one{"2000/01/15|12:30|n|H|t|f"};
const QByteArrayList two{"2000/01/15|12:30|m|H|u|g", "2000/01/15|12:30|n|H|t|f"};
const QByteArray d = "<!-- DATA -->\n", e = "<!-- /DATA -->";

// A page (LF line ends become CR LF unless it holds a CR), whether it parses, the section
// name, and the records (record 0 first), prefix and suffix it gives.
// clang-format off
const struct { const char* name; bool ok; const char* section; QByteArray page;
    QByteArrayList records = {}; QByteArray prefix = {}, suffix = {}; } kParses[] = {
    {"named form wins over plain", true, "main",
        "a\n" + d + "<!-- TEXT -->x<!-- SUBLINE -->\n<!-- NEWS:main -->\n" + item +
            "<!-- /NEWS -->\nz\n",
        one, "a\r\n<!-- DATA -->\r\n<!-- TEXT -->x<!-- SUBLINE -->\r\n", "z\r\n"},
    {"plain form with a section configured", true, "main", "a\n" + d + item + e + "\nz", one,
        "a\r\n", "z\r\n"},
    {"end marker of the other form", true, "main",
        "<!-- NEWS:main -->\n" + item + "<!-- /DATA -->z\n<!-- /NEWS -->", one, "",
        "z\r\n<!-- /NEWS -->\r\n"},
    {"first end marker counts", true, "", d + item + "<!-- /NEWS -->\n" + e + "\n", one, "",
        "<!-- /DATA -->\r\n"},
    {"false end marker right before the real one", true, "", d + item + "<!-- /<!-- /DATA -->",
        one},
    {"only line breaks after the end", true, "", d + item + e + "\n\n\r\r\n", one},
    {"8-character date shifts time and header", true, "",
        d + "<!-- DATE:00/01/15(12:30) -->Head\n" +
            "<!-- TEXT --><A NAME=\"n\"></A>t<!-- SUBLINE -->f\n" + e,
        {"00/01/15(1|:30) |n|ad|t|f"}},
    {"missing anchor", true, "", d + "<!-- TEXT -->body<!-- SUBLINE -->f\n" + e, {"||||body|f"}},
    {"anchor without closing quote", true, "",
        d + "<!-- TEXT --><A NAME=\"abcdefg<!-- SUBLINE -->f\n" + e, {"||||fg|f"}},
    {"missing footer takes the rest less one character", true, "",
        d + "<!-- TEXT --><A NAME=\"n\"></A>body\nmore\n" + e, {"||n||body\r\nmore\r|"}},
    {"items share the date line above them", true, "",
        d + item + item2 + "\n<!-- DATE:2000/01/14(08:00) -->\n" +
            "<!-- TEXT --><A NAME=\"o\"></A>v<!-- SUBLINE -->\n" + e,
        {"2000/01/14|08:00|o||v|", two[0], two[1]}},
    {"stray text is dropped", true, "", d + "intro\n" + item + "between items\n" + item2 + e + "\n",
        two},
    {"between block with line breaks is dropped", true, "",
        d + item + "<!-- BETWEEN -->\n<!-- TEXT -->x\n<!-- /BETWEEN -->" + item2 + e, two},
    {"unclosed between drops the rest", true, "", d + item + "<!-- BETWEEN --><hr>" + item2 + e,
        one},
    {"second footer line replaces the first", true, "",
        d + "<!-- SUBLINE -->lost\n<!-- TEXT -->t<!-- SUBLINE -->a\n<!-- SUBLINE -->b\n" + e,
        {"||||t|b"}},
    {"date line cut by the section end", true, "", d + "<!-- DATE:2000/0" + e, {}},
    {"text marker at the very end", true, "", d + "<!-- TEXT -->" + e, {"|||||"}},
    {"one character after the start marker is skipped", true, "",
        "<!-- DATA -->x<!-- TEXT -->t<!-- SUBLINE -->f\n" + e, {"||||t|f"}},
    {"start and end markers touching", true, "", "x<!-- DATA -->" + e + "y", {}, "x", "y\r\n"},
    // Without both markers nothing changes.
    {"no markers", false, "main", "<html></html>"},
    {"start without end", false, "", "<!-- DATA -->\n<!-- TEXT -->x"},
    {"end only before the start", false, "", "<!-- /DATA -->\n<!-- DATA -->\n"},
    {"cut end marker", false, "", "<!-- DATA -->\n<!-- /DATA --"},
    {"blank after NEWS:", false, "main", "<!-- NEWS: main -->\n<!-- /NEWS -->"},
    {"named form without a section", false, "", "<!-- NEWS:main -->\n<!-- /NEWS -->"},
    {"markers are case-sensitive", false, "", "<!-- data -->\n<!-- /data -->"},
};
// Every byte sequence becomes CR LF lines; lines already in that form stay as they are.
const struct { QByteArray bytes, lines;
    } kLines[] = {{"", ""}, {"a", "a\r\n"}, {"a\nb\n", "a\r\nb\r\n"},
    {"a\rb", "a\r\nb\r\n"}, {"a\r\r\n", "a\r\n\r\n"}, {"a\n\r", "a\r\n\r\n"}, {"\n", "\r\n"},
    {"a\r\n\r\nb\r\n", "a\r\n\r\nb\r\n"}, {"a\rb\r\nc\r\n", "a\r\nb\r\nc\r\n"},
    {"a\r\nb\n", "a\r\nb\r\n"},
    {"a\r\nb", "a\r\nb\r\n"}, {QByteArray("a\0b\n", 4), QByteArray("a\0b\r\n", 5)}};
// clang-format on

} // namespace

class TestNewsPage : public QObject {
    Q_OBJECT
private slots:
    // Build, then parse back in front of the current record (the first or the last) of a table
    // that holds three: the editor is told once, with everything in place.
    void workedExample() {
        NewsTable t;
        t.add("2000/01/14|09:15|N0|H0|T0|F0");
        t.add("2000/01/15|08:05|N1|H1|T1|F1");
        t.add("2000/01/15|12:30|N2|H2|T2|F2");
        t.source.SetRecNo(1);
        const NewsPageContext context{"<html>\r\n", "</html>\r\n"};
        QCOMPARE(qb(BuildNewsPage(t.source, context, options("main", false, "<hr>"), {})),
                 kWorkedPage);
        QCOMPARE(t.source.CurrentIndex(), 1);

        const QByteArrayList olds = {"2000/01/01|00:00|old0|||", "2000/01/02|00:00|old1|||",
                                     "2000/01/03|00:00|old2|||"};
        for (const int at : {0, 2}) {
            NewsTable back;
            for (const QByteArray& record : olds)
                back.add(record);
            back.source.SetRecNo(at);
            CountingControl control;
            int changes = 0;
            back.source.RegisterControl("", &control);
            back.source.OnChange = [&](TnkDBSource& s) {
                ++changes;
                QCOMPARE(s.CurrentIndex(), 5);
            };
            NewsPageContext parsed;
            QVERIFY(
                ParseNewsPage(kWorkedPage.toStdString(), options("main"), {}, back.source, parsed));
            QByteArrayList expected = olds;
            for (const char* item : {"2000/01/15|12:30|N2|H2|T2|F2", "2000/01/15|12:30|N1|H2|T1|F1",
                                     "2000/01/14|09:15|N0|H0|T0|F0"})
                expected.insert(at, item);
            QCOMPARE(back.records(), expected);
            QCOMPARE(qb(parsed.PagePrefix + "|" + parsed.PageSuffix), "<html>\r\n|</html>\r\n");
            QCOMPARE(control.calls, 1);
            QCOMPARE(changes, 1);
            QVERIFY(!back.source.ControlsDisabled());
            back.source.UnregisterControl(&control);
        }
    }

    // Own header on, both forms, with and without a between block: the page parses back into
    // the same records and context, and builds into the same bytes. An empty table gives the
    // bare markers, with neither between block nor date line.
    void ownHeaderRoundTrip() {
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
                         "<html>\r\n<body>\xE4 \xDF\r\n|</body>\r\n</html>\r\n");
                QCOMPARE(BuildNewsPage(back.source, parsed, opts, kGerman), page);
            }
        const NewsPageContext bare{"P\r\n", "S"};
        QCOMPARE(qb(BuildNewsPage(NewsTable().source, bare, options(""), {})),
                 "P\r\n<!-- DATA -->\r\n<!-- /DATA -->\r\nS");
        QCOMPARE(qb(BuildNewsPage(NewsTable().source, bare, options("x y", true, "<hr>"), {})),
                 "P\r\n<!-- NEWS:x y -->\r\n<!-- /NEWS -->\r\nS");
    }

    void parse_data() { addRows(kParses); }
    void parse() {
        const auto& c = kParses[fetchedRow()];
        const QByteArray page = c.page.contains('\r') ? c.page : Crlf(c.page);
        NewsTable t;
        CountingControl control;
        t.source.RegisterControl("", &control);
        NewsPageContext context{"old", "old"};
        QCOMPARE(ParseNewsPage(page.toStdString(), options(c.section), {}, t.source, context),
                 c.ok);
        t.source.UnregisterControl(&control);
        QCOMPARE(t.records(), c.records);
        QCOMPARE(qb(context.PagePrefix + "|" + context.PageSuffix),
                 c.ok ? c.prefix + "|" + c.suffix : "old|old");
        QCOMPARE(t.source.CurrentIndex(), t.source.RecordCount() - 1);
        QCOMPARE(control.calls, c.ok ? 1 : 0);
    }

    void pageLines() {
        for (const auto& c : kLines) {
            QCOMPARE(qb(JoinPageLines(c.bytes.toStdString())), c.lines);
            QCOMPARE(qb(JoinPageLines(c.lines.toStdString())), c.lines);
        }
    }

    // Only the exact text TRUE turns the own header on; a record out of range gives defaults.
    void optionsFromConfiguration() {
        TnkDBData data;
        TnkDBSource config(&data, {{"NewsSection"}, {"NewsHeader"}, {"NewsBetweenNews"}});
        config.Loaded();
        for (const char* header : {"TRUE", "true"}) {
            const int r = config.Append();
            config.SetString(r, "NewsSection", "S");
            config.SetString(r, "NewsBetweenNews", "B");
            config.SetString(r, "NewsHeader", header);
        }
        const NewsPageOptions first = ReadNewsPageOptions(config, 0);
        QCOMPARE(qb(first.Section + "|" + first.BetweenNews), "S|B");
        QVERIFY(first.OwnHeader && !ReadNewsPageOptions(config, 1).OwnHeader);
        QVERIFY(ReadNewsPageOptions(config, 1).Section == "S");
        QVERIFY(ReadNewsPageOptions(config, 2).Section.empty() &&
                ReadNewsPageOptions(config, -1).Section.empty());
    }
};

QTEST_GUILESS_MAIN(TestNewsPage)
#include "test_news_page.moc"
