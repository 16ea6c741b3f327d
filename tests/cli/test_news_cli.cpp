// The news commands of pagewright-cli, run as a separate process on temporary files.
#include "core/storage/ByteStream.h"
#include "core/storage/TnkDBData.h"
#include "core/storage/TnkDBSource.h"
#include "support/CliRunner.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace pw;

namespace {

using Run = CliRun;

QByteArray crlf(QByteArray text) {
    return text.replace("\n", "\r\n");
}

const QByteArray kWorkedPage = crlf("<html>\n"
                                    "<!-- NEWS:main -->\n"
                                    "<!-- DATE:2000/01/15(12:30) -->H2\n"
                                    "<!-- TEXT --><A NAME=\"N2\"></A>T2<!-- SUBLINE -->F2\n"
                                    "<!-- BETWEEN --><hr><!-- /BETWEEN -->"
                                    "<!-- TEXT --><A NAME=\"N1\"></A>T1<!-- SUBLINE -->F1\n"
                                    "<!-- BETWEEN --><hr><!-- /BETWEEN -->\n"
                                    "<!-- DATE:2000/01/14(09:15) -->H0\n"
                                    "<!-- TEXT --><A NAME=\"N0\"></A>T0<!-- SUBLINE -->F0\n"
                                    "<!-- /NEWS -->\n"
                                    "</html>\n");

} // namespace

class TestNewsCli : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void parsePrintsItemsOldestFirst();
    void parseWithTranslationFile();
    void parseWithoutSection();
    void buildWorkedExample();
    void roundTripIsByteExact_data();
    void roundTripIsByteExact();
    void badInput_data();
    void badInput();

private:
    QString file(const QString& name, const QByteArray& content);
    Run cli(const QStringList& args);
    QTemporaryDir m_dir;
};

void TestNewsCli::initTestCase() {
    QVERIFY2(QFileInfo::exists(PW_CLI_PATH), "build the pagewright-cli target first");
    QVERIFY(m_dir.isValid());
}

QString TestNewsCli::file(const QString& name, const QByteArray& content) {
    const QString path = m_dir.filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(content) != content.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

Run TestNewsCli::cli(const QStringList& args) {
    return RunCli(QStringList{"news"} + args);
}

void TestNewsCli::parsePrintsItemsOldestFirst() {
    // LF line ends, a literal and an encoded umlaut, an undefined Windows-1252 byte.
    const QString page = file("lf.html", QByteArray(kWorkedPage)
                                             .replace("\r\n", "\n")
                                             .replace("<html>", "<html>\xE4&auml;\x81")
                                             .replace("T1", "T&ouml;1"));
    const Run run = cli({"parse", page, "--section", "main"});
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.err.isEmpty());
    const QJsonObject doc = QJsonDocument::fromJson(run.out).object();
    QCOMPARE(doc.value("prefix").toString(), QString::fromUtf8("<html>ää\u0081\r\n"));
    QCOMPARE(doc.value("suffix").toString(), QString("</html>\r\n"));
    const QJsonArray items = doc.value("items").toArray();
    QCOMPARE(items.size(), 3);
    const QStringList keys{"Date", "Time", "Name", "Header", "Text", "Footer"};
    QCOMPARE(items[0].toObject().keys().size(), 6);
    const QStringList expected[] = {{"2000/01/14", "09:15", "N0", "H0", "T0", "F0"},
                                    {"2000/01/15", "12:30", "N1", "H2", "Tö1", "F1"},
                                    {"2000/01/15", "12:30", "N2", "H2", "T2", "F2"}};
    for (int i = 0; i < 3; ++i)
        for (int k = 0; k < 6; ++k)
            QCOMPARE(items[i].toObject().value(keys[k]).toString(), expected[i][k]);
    // Fields in their table order.
    QVERIFY(run.out.indexOf("\"Date\"") < run.out.indexOf("\"Time\""));
    QVERIFY(run.out.indexOf("\"Header\"") < run.out.indexOf("\"Footer\""));
}

void TestNewsCli::parseWithTranslationFile() {
    TnkDBData data;
    TnkDBSource table(&data, {{"Ascii"}, {"Html"}});
    table.Loaded();
    const int r = table.Append();
    table.SetString(r, "Ascii", "\xE9");
    table.SetString(r, "Html", "&eacute;");
    ByteWriter out;
    table.SaveToStream(out);
    const QString tab = file("e.tab", QByteArray::fromStdString(out.data()));

    const QByteArray source =
        crlf("caf&eacute; &auml;\n<!-- DATA -->\n<!-- TEXT --><A NAME=\"\"></A>&eacute;"
             "<!-- SUBLINE -->\n"
             "<!-- /DATA -->\n");
    const QString page = file("e.html", source);
    const Run parsed = cli({"parse", page, "--table", tab});
    QCOMPARE(parsed.exitCode, 0);
    const QJsonObject doc = QJsonDocument::fromJson(parsed.out).object();
    QCOMPARE(doc.value("prefix").toString(), QString::fromUtf8("café &auml;\r\n"));
    QCOMPARE(doc.value("items").toArray()[0].toObject().value("Text").toString(),
             QString::fromUtf8("é"));
    const Run again = cli({"roundtrip", page, "--table", tab});
    QCOMPARE(again.exitCode, 0);
    QCOMPARE(again.out, source);
}

void TestNewsCli::parseWithoutSection() {
    const Run run = cli({"parse", file("plain.html", "<html>\n<body>no news</body>\n")});
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.err, QByteArray("Error: Analysing unsuccessful\n"));
    QVERIFY(run.out.isEmpty());
    const Run trip = cli({"roundtrip", file("plain.html", "<!-- DATA -->\n")});
    QCOMPARE(trip.exitCode, 1);
    QCOMPARE(trip.err, QByteArray("Error: Analysing unsuccessful\n"));
}

void TestNewsCli::buildWorkedExample() {
    const QByteArray json = R"({"prefix": "<html>\r\n", "suffix": "</html>\r\n", "items": [
        {"Date": "2000/01/14", "Time": "09:15", "Name": "N0", "Header": "H0", "Text": "T0",
         "Footer": "F0"},
        {"Date": "2000/01/15", "Time": "08:05", "Name": "N1", "Header": "H1", "Text": "T1",
         "Footer": "F1"},
        {"Date": "2000/01/15", "Time": "12:30", "Name": "N2", "Header": "H2", "Text": "T2",
         "Footer": "F2"}]})";
    const QString path = file("worked.json", json);
    const Run run = cli({"build", path, "--section", "main", "--between", "<hr>"});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, kWorkedPage);

    const QString umlauts =
        file("umlaut.json", R"({"prefix": "ä", "items": [{"Text": "ß", "Name": "0"}]})");
    const Run built = cli({"build", umlauts});
    QCOMPARE(built.exitCode, 0);
    QCOMPARE(built.out, crlf("&auml;<!-- DATA -->\n<!-- TEXT --><A NAME=\"\"></A>&szlig;"
                             "<!-- SUBLINE -->\n<!-- /DATA -->\n"));
}

void TestNewsCli::roundTripIsByteExact_data() {
    QTest::addColumn<QByteArray>("page");
    QTest::addColumn<QStringList>("options");
    QTest::newRow("named, own headers, between")
        << QByteArray(kWorkedPage)
               .replace("<!-- TEXT --><A NAME=\"N1\"", "<!-- DATE:2000/01/15(08:05) -->H1\r\n"
                                                       "<!-- TEXT --><A NAME=\"N1\"")
        << QStringList{"--section", "main", "--own-header", "--between", "<hr>"};
    static constexpr char binary[] = "a\0b\x81\xFF\r\n<!-- DATA -->\r\n"
                                     "<!-- DATE:2000/01/15(12:30) -->\x01\r\n"
                                     "<!-- TEXT --><A NAME=\"n\"></A>x<!-- SUBLINE -->\r\n"
                                     "<!-- /DATA -->\r\n\0z\r\n";
    QTest::newRow("plain, binary bytes around the section")
        << QByteArray(binary, sizeof binary - 1) << QStringList{"--own-header"};
}

void TestNewsCli::roundTripIsByteExact() {
    QFETCH(QByteArray, page);
    QFETCH(QStringList, options);
    const Run run = cli(QStringList{"roundtrip", file("trip.html", page)} + options);
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, page);
}

void TestNewsCli::badInput_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QByteArray>("message");
    QTest::newRow("missing page") << QStringList{"parse", "@missing"} << QByteArray()
                                  << QByteArray("Cannot open file");
    QTest::newRow("broken JSON") << QStringList{"build", "@in"} << QByteArray("{\"items\": [")
                                 << QByteArray("is not valid JSON");
    QTest::newRow("items not a list") << QStringList{"build", "@in"} << QByteArray("{\"items\": 5}")
                                      << QByteArray("\"items\" is not a list");
    QTest::newRow("field not a text")
        << QStringList{"build", "@in"} << QByteArray("{\"items\": [{\"Date\": 1}]}")
        << QByteArray("\"Date\" is not a text");
    QTest::newRow("character outside Windows-1252")
        << QStringList{"build", "@in"} << QByteArray("{\"prefix\": \"\xE2\x82\xAC\xE4\xB8\x80\"}")
        << QByteArray("Windows-1252");
    QTest::newRow("damaged table file")
        << QStringList{"parse", "@in", "--table", "@in"}
        << QByteArray("\xDB\xDB\x01\x00garbage", 11) << QByteArray("is damaged");
    QTest::newRow("unknown option") << QStringList{"parse", "@in", "--sektion", "x"} << QByteArray()
                                    << QByteArray("unknown option --sektion");
    QTest::newRow("unknown command")
        << QStringList{"render", "@in"} << QByteArray() << QByteArray("unknown news command");
    QTest::newRow("no file") << QStringList{"build"} << QByteArray() << QByteArray("usage:");
}

void TestNewsCli::badInput() {
    QFETCH(QStringList, args);
    QFETCH(QByteArray, content);
    QFETCH(QByteArray, message);
    const QString in = file("bad.in", content);
    for (QString& a : args) {
        if (a == "@in") a = in;
        if (a == "@missing") a = m_dir.filePath("does-not-exist.html");
    }
    const Run run = cli(args);
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains(message), run.err.constData());
    QCOMPARE(run.err.count('\n'), 1);
    QVERIFY(run.out.isEmpty());
}

QTEST_GUILESS_MAIN(TestNewsCli)
#include "test_news_cli.moc"
