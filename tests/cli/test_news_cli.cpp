// Guards: news parse, build and roundtrip between page files and JSON, their options and errors.
#include "support/CliRunner.h"
#include "support/LocalFiles.h"

#include <QtTest>

namespace {
QByteArray Crlf(QByteArray text) {
    return text.replace("\n", "\r\n");
}

const QByteArray kWorkedPage = Crlf("<html>\n<!-- NEWS:main -->\n"
                                    "<!-- DATE:2000/01/15(12:30) -->H2\n"
                                    "<!-- TEXT --><A NAME=\"N2\"></A>T2<!-- SUBLINE -->F2\n"
                                    "<!-- BETWEEN --><hr><!-- /BETWEEN -->"
                                    "<!-- TEXT --><A NAME=\"N1\"></A>T1<!-- SUBLINE -->F1\n"
                                    "<!-- BETWEEN --><hr><!-- /BETWEEN -->\n"
                                    "<!-- DATE:2000/01/14(09:15) -->H0\n"
                                    "<!-- TEXT --><A NAME=\"N0\"></A>T0<!-- SUBLINE -->F0\n"
                                    "<!-- /NEWS -->\n</html>\n");
const QByteArray kWorkedJson = R"({"prefix": "<html>\r\n", "suffix": "</html>\r\n", "items": [
    {"Date": "2000/01/14", "Time": "09:15", "Name": "N0", "Header": "H0", "Text": "T0",
     "Footer": "F0"},
    {"Date": "2000/01/15", "Time": "08:05", "Name": "N1", "Header": "H1", "Text": "T\u00f61"},
    {"Date": "2000/01/15", "Time": "12:30", "Name": "N2", "Header": "H2", "Text": "T2",
     "Footer": "F2", "Unknown": 5}]})";
} // namespace

class TestNewsCli : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    QString file(const QString& name, const QByteArray& content) {
        const QString path = m_dir.filePath(name);
        if (!WriteLocal(path, content)) qFatal("cannot write %s", qPrintable(path));
        return path;
    }
    CliRun news(const QStringList& args) { return RunCli(QStringList{"news"} + args); }

private slots:
    // Items oldest first; the page's bytes read as Windows-1252 with their entities decoded.
    void parse() {
        const QString page = file("lf.html", QByteArray(kWorkedPage)
                                                 .replace("\r\n", "\n")
                                                 .replace("<html>", "<html>\xE4&auml;\x81")
                                                 .replace("T1", "T&ouml;1"));
        const CliRun run = news({"parse", page, "--section", "main"});
        QVERIFY2(run.exitCode == 0 && run.err.isEmpty(), run.err.constData());
        const QJsonObject doc = QJsonDocument::fromJson(run.out).object();
        QStringList items{doc["prefix"].toString(), doc["suffix"].toString()};
        for (const QJsonValue& item : doc["items"].toArray())
            items << QStringList(item.toObject().keys()).join(',') + "=" +
                         QVariant(item.toObject().toVariantMap().values()).toStringList().join('|');
        QCOMPARE(items, (QStringList{
                            "<html>\u00e4\u00e4\u0081\r\n", "</html>\r\n",
                            "Date,Footer,Header,Name,Text,Time=2000/01/14|F0|H0|N0|T0|09:15",
                            "Date,Footer,Header,Name,Text,Time=2000/01/15|F1|H2|N1|T\u00f61|12:30",
                            "Date,Footer,Header,Name,Text,Time=2000/01/15|F2|H2|N2|T2|12:30"}));
    }

    // build: a missing field is empty, an unknown one ignored, text encoded by the built-in
    // table; roundtrip: own headers kept, the between text taken out and put back.
    void buildAndRoundtrip() {
        const QByteArray own =
            QByteArray(kWorkedPage)
                .replace("<!-- TEXT --><A NAME=\"N1\"",
                         "<!-- DATE:2000/01/15(08:05) -->H1\r\n<!-- TEXT --><A NAME=\"N1\"");
        const struct {
            QString command, input;
            QByteArray expected;
        } rows[] = {{"build", file("in.json", kWorkedJson),
                     QByteArray(own).replace("T1<!-- SUBLINE -->F1", "T&ouml;1<!-- SUBLINE -->")},
                    {"roundtrip", file("trip.html", own), own}};
        for (const auto& row : rows) {
            const CliRun run = news(
                {row.command, row.input, "--section", "main", "--own-header", "--between", "<hr>"});
            QVERIFY2(run.exitCode == 0 && run.err.isEmpty(), run.err.constData());
            QCOMPARE(run.out, row.expected);
        }
    }

    // --table replaces the built-in translation: a table without entities decodes none.
    void translationFile() {
        const QString tab = QString(PW_SOURCE_DIR) + "/tests/fuzz/corpus/fuzz_container/table.tab";
        const QByteArray source = Crlf("&auml;\xE4\n<!-- DATA -->\n<!-- TEXT --><A NAME=\"\"></A>"
                                       "&auml;\xE4<!-- SUBLINE -->\n<!-- /DATA -->\n");
        const QString page = file("e.html", source);
        const CliRun parsed = news({"parse", page, "--table", tab});
        QCOMPARE(QJsonDocument::fromJson(parsed.out)["items"][0]["Text"].toString(), "&auml;ä");
        QCOMPARE(news({"roundtrip", page, "--table", tab}).out, source);
    }

    void badInput_data() {
        QTest::addColumn<QString>("args"); // @in: a file holding `content`
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("message");
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
        for (const auto& [args, content, message] : rows)
            QTest::addRow("%s: %s", args, message) << args << QByteArray(content) << message;
    }
    // Status 1, one line on stderr starting with the message, nothing on stdout.
    void badInput() {
        QFETCH(QString, args);
        QFETCH(QByteArray, content);
        QFETCH(QString, message);
        const QString in = content.isNull() ? m_dir.filePath("missing") : file("bad.in", content);
        const CliRun run = news(args.replace("@in", in).split(' '));
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.startsWith(message.replace("@in", in).toUtf8()) &&
                     run.err.count('\n') == 1,
                 run.err.constData());
        QVERIFY(run.out.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestNewsCli)
#include "test_news_cli.moc"
