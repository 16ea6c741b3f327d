// Guards: news parse, build and roundtrip between page files and JSON, their options and errors.
#include "support/CliRunner.h"
#include "support/LocalFiles.h"
#include "support/WorkedNewsPage.h"

#include <QtTest>

namespace {
const QByteArray kWorkedJson = R"({"prefix": "<html>\r\n", "suffix": "</html>\r\n", "items": [
    {"Date":"2000/01/14","Time":"09:15","Name":"N0","Header":"H0","Text":"T0","Footer":"F0"},
    {"Date":"2000/01/15","Time":"08:05","Name":"N1","Header":"H1","Text":"T\u00f61","Unknown":5},
    {"Date":"2000/01/15","Time":"12:30","Name":"N2","Header":"H2","Text":"T2","Footer":"F2"}]})";
} // namespace

class TestNewsCli : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    QString file(const QString& name, const QByteArray& content) {
        return WriteLocal(m_dir.filePath(name), content) ? m_dir.filePath(name) : "<unwritten>";
    }
    CliRun news(const QStringList& args) { return RunCli(QStringList{"news"} + args); }

private slots:
    // parse: items oldest first, the page's bytes read as Windows-1252, entities decoded by the
    // built-in table or only by the --table given. build: a missing field is empty, an unknown
    // one ignored. roundtrip: own headers kept, the between text taken out and put back.
    void commands() {
        const QByteArray own =
            QByteArray(kWorkedPage)
                .replace("<!-- TEXT --><A NAME=\"N1\"",
                         "<!-- DATE:2000/01/15(08:05) -->H1\r\n<!-- TEXT --><A NAME=\"N1\"");
        const QString page = file("lf.html", QByteArray(kWorkedPage)
                                                 .replace("\r\n", "\n")
                                                 .replace("<html>", "<html>\xE4&auml;\x81")
                                                 .replace("T1", "T&ouml;1"));
        const QByteArray plain = Crlf("&auml;\xE4\n<!-- DATA -->\n<!-- TEXT --><A NAME=\"\"></A>"
                                      "&auml;\xE4<!-- SUBLINE -->\n<!-- /DATA -->\n");
        const QString tab = QString(PW_SOURCE_DIR) + "/tests/fuzz/corpus/fuzz_container/table.tab";
        const QStringList options{"--section", "main", "--own-header", "--between", "<hr>"};
        const std::pair<QStringList, QByteArray> rows[] = {
            {{"parse", page, "--section", "main"},
             R"({"items":[{"Date":"2000/01/14","Footer":"F0","Header":"H0","Name":"N0","Text":"T0",)"
             R"("Time":"09:15"},{"Date":"2000/01/15","Footer":"F1","Header":"H2","Name":"N1",)"
             R"("Text":"Tö1","Time":"12:30"},{"Date":"2000/01/15","Footer":"F2","Header":"H2",)"
             R"("Name":"N2","Text":"T2","Time":"12:30"}],"prefix":"<html>ää\r\n",)"
             R"("suffix":"</html>\r\n"})"},
            {QStringList{"build", file("in.json", kWorkedJson)} + options,
             QByteArray(own).replace("T1<!-- SUBLINE -->F1", "T&ouml;1<!-- SUBLINE -->")},
            {QStringList{"roundtrip", file("trip.html", own)} + options, own},
            {{"parse", file("e.html", plain), "--table", tab},
             R"({"items":[{"Date":"","Footer":"","Header":"","Name":"","Text":"&auml;ä","Time":""}],)"
             R"("prefix":"&auml;ä\r\n","suffix":""})"},
            {{"roundtrip", file("e.html", plain), "--table", tab}, plain},
        };
        for (const auto& [args, expected] : rows) {
            const CliRun run = news(args);
            QVERIFY2(run.exitCode == 0 && run.err.isEmpty(), run.err.constData());
            QCOMPARE(args[0] == "parse"
                         ? QJsonDocument::fromJson(run.out).toJson(QJsonDocument::Compact)
                         : run.out,
                     expected);
        }
    }

    // Status 1, one line on stderr starting with the message, nothing on stdout; "@in" is a
    // file holding the row's content (none: a missing file).
    void badInput() {
        const char* const rows[][3] = {
            {"parse @in.html", nullptr, "Cannot open file @in.html"},
            {"parse @in", "<html>no news</html>\n", "Error: Analysing unsuccessful"},
            {"roundtrip @in", "<!-- DATA -->\n", "Error: Analysing unsuccessful"},
            {"build @in", "{\"items\": [", "The file @in is not valid JSON"},
            {"build @in", "[]", "The file @in does not hold a JSON object"},
            {"build @in", "{\"items\": 5}", "@in: \"items\" is not a list"},
            {"build @in", "{\"items\": [{}, 1]}", "@in, item 1 is not an object"},
            {"build @in", "{\"items\": [{\"Date\": 1}]}", "@in, item 0: \"Date\" is not a text"},
            {"build @in", "{\"suffix\": \"\xE4\xB8\x80\"}",
             "@in: \"suffix\": text is not UTF-8 or holds characters Windows-1252 lacks"},
            {"parse @in --table @in", "\xDB\xDB\x01garbage", "The file @in is damaged: "},
            {"render @in", "", "unknown news command \"render\" (parse, build, roundtrip, fetch"},
            {"build", "", "usage: pagewright-cli news build JSON [--section NAME] [--own-header]"},
        };
        for (const auto& [args, content, message] : rows) {
            const QString in = content ? file("bad.in", content) : m_dir.filePath("missing");
            const CliRun run = news(QString(args).replace("@in", in).split(' '));
            QVERIFY2(run.exitCode == 1 &&
                         run.err.startsWith(QString(message).replace("@in", in).toUtf8()) &&
                         run.err.count('\n') == 1 && run.out.isEmpty(),
                     qPrintable(args + QString(": ") + run.err));
        }
    }
};

QTEST_GUILESS_MAIN(TestNewsCli)
#include "test_news_cli.moc"
