// pagewright-cli's news fetch / add / post against a real server: what reaches standard
// output and the server page, and that every failure leaves the page as it was.
#include "support/CliRunner.h"
#include "support/FtpServer.h"
#include "support/TempHome.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QtTest>

namespace {
const QByteArray kPage = "<html>\r\n<!-- DATA -->\r\n"
                         "<!-- DATE:2000/01/14(09:15) -->H\r\n"
                         "<!-- TEXT --><A NAME=\"n1\"></A>T1<!-- SUBLINE -->F1\r\n"
                         "<!-- TEXT --><A NAME=\"n0\"></A>T0<!-- SUBLINE -->F0\r\n"
                         "<!-- /DATA -->\r\n</html>";
const QByteArray kItems = R"({"prefix": "<html>\r\n<p>neu</p>\r\n", "suffix": "</html>",
    "items": [{"Text": "A", "Date": "2001/02/03", "Time": "10:00"},
              {"Text": "B\u00e4", "Date": "2001/02/04", "Time": "11:00"}]})";
constexpr const char* kPasswordVariable = "PAGEWRIGHT_PASSWORD";

// One server with a login and a configuration file in a temporary home pointing at it.
struct Site {
    FtpServer server;
    TempHome home;
    QString items = home.path("items.json");

    explicit Site(const QString& storedPassword, const QStringList& serverArgs = {})
        : server(QStringList{"--user", "ann", "--password", "secret"} + serverArgs) {
        server.writeFile("index.html", kPage);
        const CliRun made = RunCli({"cfg", "new", home.path(), "--name", "site", "--host",
                                    QString::fromStdString(server.hostName()), "--login", "ann",
                                    "--password", storedPassword, "--temp-dir", home.dir.path()});
        if (made.exitCode != 0) qWarning("cfg new: %s", made.err.constData());
    }
    CliRun run(QStringList args, const QByteArray& itemsFile) {
        QFile f(items);
        if (!f.open(QIODevice::WriteOnly) || f.write(itemsFile) != itemsFile.size()) return {};
        f.close();
        for (QString& a : args)
            a = a == "@cfg" ? home.path() : a == "@items" ? items : a;
        return RunCli(QStringList{"news"} + args);
    }
    int commandCount(const QString& verb) const {
        return server.commands().filter(QRegularExpression("^" + verb + "\\b")).size();
    }
};

// The texts of the items in a page's JSON, or of the one item printed by news add.
QStringList texts(const QByteArray& json) {
    const QJsonObject doc = QJsonDocument::fromJson(json).object();
    if (doc.contains("Text")) return {doc.value("Text").toString()};
    QStringList out;
    for (const QJsonValue& item : doc.value("items").toArray())
        out << item.toObject().value("Text").toString();
    return out;
}

// Sets or clears the password variable for the life of the object.
struct PasswordVariable {
    explicit PasswordVariable(const QString& value) {
        if (value.isNull())
            qunsetenv(kPasswordVariable);
        else
            qputenv(kPasswordVariable, value.toUtf8());
    }
    ~PasswordVariable() { qunsetenv(kPasswordVariable); }
};
} // namespace

class TestNewsCliFlows : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY2(QFileInfo::exists(PW_CLI_PATH), "build pagewright-cli"); }
    void succeeds_data();
    void succeeds();
    void failsAndKeepsThePage_data();
    void failsAndKeepsThePage();
};

void TestNewsCliFlows::succeeds_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("stored");      // the configuration's password
    QTest::addColumn<QString>("variable");    // PAGEWRIGHT_PASSWORD, null: unset
    QTest::addColumn<QStringList>("printed"); // texts on stdout
    QTest::addColumn<QStringList>("served");  // texts of the server page afterwards
    const QString none;
    QTest::newRow("fetch") << QStringList{"fetch", "@cfg"} << "secret" << none
                           << QStringList{"T0", "T1"} << QStringList{"T0", "T1"};
    QTest::newRow("fetch, password from the variable")
        << QStringList{"fetch", "@cfg", "--config", "0"} << ""
        << "secret" << QStringList{"T0", "T1"} << QStringList{"T0", "T1"};
    QTest::newRow("add") << QStringList{"add", "@cfg", "--text", "neu ö"} << "secret" << none
                         << QStringList{"neu ö"} << QStringList{"T0", "T1", "neu ö"};
    QTest::newRow("add, own header and footer, passive")
        << QStringList{"add",  "@cfg",     "--text", "x",        "--header",
                       "Kopf", "--footer", "Fuß",    "--passive"}
        << ""
        << "secret" << QStringList{"x"} << QStringList{"T0", "T1", "x"};
    QTest::newRow("post") << QStringList{"post", "@cfg", "@items"} << "secret" << none
                          << QStringList{} << QStringList{"A", "Bä"};
}

void TestNewsCliFlows::succeeds() {
    QFETCH(QStringList, args);
    QFETCH(QString, stored);
    QFETCH(QString, variable);
    QFETCH(QStringList, printed);
    QFETCH(QStringList, served);
    Site site(stored);
    QVERIFY2(site.server.isRunning(), qPrintable(site.server.errorString()));
    const PasswordVariable password(variable);
    const CliRun run = site.run(args, kItems);
    QVERIFY2(run.exitCode == 0, run.err.constData());
    QVERIFY2(run.err.isEmpty(), run.err.constData());
    QCOMPARE(texts(run.out), printed);
    if (args[0] == "add") {
        const QJsonObject item = QJsonDocument::fromJson(run.out).object();
        QCOMPARE(item.keys().size(), 6);
        QVERIFY(!item.value("Date").toString().isEmpty());
        // Header and footer: as given, else the defaults with their placeholders expanded.
        const bool own = args.contains("--header");
        QCOMPARE(item.value("Header").toString(),
                 own ? QString("Kopf") : item.value("Date").toString() + "<br>");
        QCOMPARE(item.value("Footer").toString(), own ? QString("Fuß") : QString("- <br>"));
    }
    if (args[0] == "post") QVERIFY(site.server.readFile("index.html").contains("<p>neu</p>"));
    QCOMPARE(site.commandCount("STOR"), args[0] == "fetch" ? 0 : 1);
    // The working files are gone and the page reads back as expected.
    QVERIFY(!QFile::exists(site.home.path("datafile.tmp")));
    const CliRun after = site.run({"fetch", "@cfg"}, kItems);
    QCOMPARE(texts(after.out), served);
}

void TestNewsCliFlows::failsAndKeepsThePage_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("variable");
    QTest::addColumn<QByteArray>("page");      // served as index.html
    QTest::addColumn<QByteArray>("itemsFile"); // the ITEMS.json of post
    QTest::addColumn<QString>("server");       // up, down, read-only
    QTest::addColumn<bool>("connects");
    QTest::addColumn<QStringList>("messages"); // each on stderr
    const QString none;
    QTest::newRow("wrong password")
        << QStringList{"add", "@cfg", "--text", "x"} << "wrong" << none << kPage << kItems << "up"
        << true << QStringList{"Error: Cannot connect"};
    QTest::newRow("no password, no terminal")
        << QStringList{"fetch", "@cfg"} << "" << none << kPage << kItems << "up" << true
        << QStringList{"PAGEWRIGHT_PASSWORD is not set", "Error: Cannot connect"};
    QTest::newRow("server not running")
        << QStringList{"post", "@cfg", "@items"} << "secret" << none << kPage << kItems << "down"
        << false << QStringList{"Error: Cannot connect"};
    QTest::newRow("page without news section, verbose")
        << QStringList{"add", "@cfg", "--text", "x", "--verbose"} << "secret" << none
        << QByteArray("<html>no news</html>") << kItems << "up" << true
        << QStringList{"Downloading...", "Error: Analysing unsuccessful"};
    QTest::newRow("upload refused")
        << QStringList{"add", "@cfg", "--text", "x"} << "secret" << none << kPage << kItems
        << "read-only" << true << QStringList{"Error: Cannot post newsfile"};
    QTest::newRow("damaged ITEMS.json") << QStringList{"post", "@cfg", "@items"} << "secret" << none
                                        << kPage << QByteArray("{\"items\": [{\"Text\": \"A\"}")
                                        << "up" << false << QStringList{"is not valid JSON"};
    QTest::newRow("item not an object") << QStringList{"post", "@cfg", "@items"} << "secret" << none
                                        << kPage << QByteArray("{\"items\": [1]}") << "up" << false
                                        << QStringList{"item 0 is not an object"};
    QTest::newRow("time of another width")
        << QStringList{"post", "@cfg", "@items"} << "secret" << none << kPage
        << QByteArray(R"({"items": [{"Text": "A", "Date": "2001/02/03", "Time": ""}]})") << "up"
        << false << QStringList{"item 1: the date must be 10 characters and the time 5"};
    QTest::newRow("text outside Windows-1252")
        << QStringList{"add", "@cfg", "--text", "一"} << "secret" << none << kPage << kItems << "up"
        << false << QStringList{"Windows-1252"};
    QTest::newRow("no such configuration")
        << QStringList{"fetch", "@cfg", "--config", "1"} << "secret" << none << kPage << kItems
        << "up" << false << QStringList{"has no configuration 1"};
}

void TestNewsCliFlows::failsAndKeepsThePage() {
    QFETCH(QStringList, args);
    QFETCH(QString, stored);
    QFETCH(QString, variable);
    QFETCH(QByteArray, page);
    QFETCH(QByteArray, itemsFile);
    QFETCH(QString, server);
    QFETCH(bool, connects);
    QFETCH(QStringList, messages);
    Site site(stored, server == "read-only" ? QStringList{"--read-only"} : QStringList{});
    QVERIFY2(site.server.isRunning(), qPrintable(site.server.errorString()));
    QVERIFY(site.server.writeFile("index.html", page));
    if (server == "down") site.server.kill();
    const PasswordVariable password(variable);
    const CliRun run = site.run(args, itemsFile);
    QCOMPARE(run.exitCode, 1);
    for (const QString& message : messages)
        QVERIFY2(run.err.contains(message.toUtf8()), run.err.constData());
    QVERIFY2(run.out.isEmpty(), run.out.constData());
    QCOMPARE(site.server.readFile("index.html"), page);
    if (server == "up") QCOMPARE(site.commandCount("STOR"), 0);
    if (server != "down") QCOMPARE(site.commandCount("USER") > 0, connects);
}

QTEST_GUILESS_MAIN(TestNewsCliFlows)
#include "test_news_cli_flows.moc"
