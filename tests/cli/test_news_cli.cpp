// Guards: news parse, build and roundtrip between page files and JSON, their options and errors.
#include "core/storage/ByteStream.h"
#include "core/storage/TnkDBData.h"
#include "core/storage/TnkDBSource.h"
#include "support/CliRunner.h"
#include "support/LocalFiles.h"

#include <QtTest>

using namespace pw;

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
        QCOMPARE(doc["prefix"].toString(), QString::fromUtf8("<html>ää\u0081\r\n"));
        QCOMPARE(doc["suffix"].toString(), QString("</html>\r\n"));
        QStringList items;
        for (const QJsonValue& item : doc["items"].toArray()) {
            QStringList values;
            for (const char* key : {"Date", "Time", "Name", "Header", "Text", "Footer"})
                values << item[key].toString();
            items << values.join('|') + "|" + QString::number(item.toObject().size());
        }
        QCOMPARE(items, (QStringList{"2000/01/14|09:15|N0|H0|T0|F0|6",
                                     "2000/01/15|12:30|N1|H2|T\u00f61|F1|6",
                                     "2000/01/15|12:30|N2|H2|T2|F2|6"}));
    }

    // A missing field is empty, an unknown one ignored, text encoded by the built-in table.
    void build() {
        const CliRun run =
            news({"build", file("in.json", kWorkedJson), "--section", "main", "--between", "<hr>"});
        QVERIFY2(run.exitCode == 0 && run.err.isEmpty(), run.err.constData());
        QCOMPARE(
            run.out,
            QByteArray(kWorkedPage).replace("T1<!-- SUBLINE -->F1", "T&ouml;1<!-- SUBLINE -->"));
    }

    // Own headers kept, the between text taken out and put back.
    void roundtrip() {
        const QByteArray page =
            QByteArray(kWorkedPage)
                .replace("<!-- TEXT --><A NAME=\"N1\"",
                         "<!-- DATE:2000/01/15(08:05) -->H1\r\n<!-- TEXT --><A NAME=\"N1\"");
        const CliRun run = news({"roundtrip", file("trip.html", page), "--section", "main",
                                 "--own-header", "--between", "<hr>"});
        QVERIFY2(run.exitCode == 0 && run.err.isEmpty(), run.err.constData());
        QCOMPARE(run.out, page);
    }

    // --table replaces the built-in translation: only its entities are decoded and encoded.
    void translationFile() {
        TnkDBData data;
        TnkDBSource table(&data, {{"Ascii"}, {"Html"}});
        table.Loaded();
        const int r = table.Append();
        table.SetString(r, "Ascii", "\xE9");
        table.SetString(r, "Html", "&eacute;");
        ByteWriter out;
        table.SaveToStream(out);
        const QString tab = file("e.tab", QByteArray::fromStdString(out.data()));
        const QByteArray source = Crlf("caf&eacute; &auml;\n<!-- DATA -->\n<!-- TEXT --><A NAME="
                                       "\"\"></A>&eacute;<!-- SUBLINE -->\n<!-- /DATA -->\n");
        const QString page = file("e.html", source);
        const QJsonObject doc =
            QJsonDocument::fromJson(news({"parse", page, "--table", tab}).out).object();
        QCOMPARE(doc["prefix"].toString(), QString::fromUtf8("café &auml;\r\n"));
        QCOMPARE(doc["items"][0]["Text"].toString(), QString::fromUtf8("é"));
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
            {"render @in", "",
             "unknown news command \"render\" (parse, build, roundtrip, fetch, "
             "add, post)"},
            {"build", "",
             "usage: pagewright-cli news build JSON [--section NAME] [--own-header] "
             "[--between TEXT] [--table FILE]"},
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
