// Guards: news fetch, add and post on a real server: what they print and post; failures post none.
#include "support/CliRunner.h"
#include "support/FtpServer.h"
#include "support/LocalFiles.h"
#include "support/TableRows.h"
#include "support/TempHome.h"

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

struct Case {
    const char* name;
    QStringList args;          // "@cfg": the configuration file, "@items": a file holding `items`
    QString stored = "secret"; // the configuration's password
    const char* variable = nullptr; // PAGEWRIGHT_PASSWORD, unset when null
    QString server = {};            // an option of the server, or "down"
    QByteArray page = kPage;
    QByteArray items = kItems;
    QStringList errors = {}; // each on stderr; none: the command succeeds
    bool connects = true;
    QStringList printed = {}; // texts on stdout
    QStringList served = {};  // texts of the page afterwards
};
const QStringList kOld{"T0", "T1"};
// clang-format off
const Case kCases[] = {
    {.name = "fetch", .args = {"fetch", "@cfg"}, .printed = kOld, .served = kOld},
    {.name = "add", .args = {"add", "@cfg", "--text", "neu ö"}, .printed = {"neu ö"},
     .served = kOld + QStringList{"neu ö"}},
    {.name = "add, own header and footer, passive, password from the variable",
     .args = {"add", "@cfg", "--text", "x", "--header", "Kopf", "--footer", "Fuß", "--passive",
     "--config", "0"}, .stored = "", .variable = "secret", .printed = {"x"},
     .served = kOld + QStringList{"x"}},
    {.name = "post", .args = {"post", "@cfg", "@items"}, .served = {"A", "Bä"}},
    {.name = "wrong password", .args = {"add", "@cfg", "--text", "x"}, .stored = "wrong",
     .errors = {"Error: Cannot connect"}},
    {.name = "no password, no terminal", .args = {"fetch", "@cfg"}, .stored = "",
     .errors = {"PAGEWRIGHT_PASSWORD is not set", "Error: Cannot connect"}},
    {.name = "server not running", .args = {"post", "@cfg", "@items"}, .server = "down",
     .errors = {"Error: Cannot connect"}, .connects = false},
    {.name = "page without news section, verbose", .args = {"add", "@cfg", "--text", "x",
     "--verbose"}, .page = "<html>no news</html>",
     .errors = {"Downloading...", "Error: Analysing unsuccessful"}},
    {.name = "upload refused", .args = {"add", "@cfg", "--text", "x"}, .server = "--read-only",
     .errors = {"Error: Cannot post newsfile"}},
    {.name = "time one short", .args = {"post", "@cfg", "@items"},
     .items = R"({"items": [{"Text": "A", "Date": "2001/02/03", "Time": "1:00"}]})",
     .errors = {"item 1: the date must be 10 characters and the time 5"}, .connects = false},
    {.name = "text outside Windows-1252", .args = {"add", "@cfg", "--text", "一"},
     .errors = {"Windows-1252"}, .connects = false},
    {.name = "configuration one past the last", .args = {"fetch", "@cfg", "--config", "1"},
     .errors = {"has no configuration 1 (it holds 1, numbered from 0)"}, .connects = false},
    {.name = "configuration not a number", .args = {"fetch", "@cfg", "--config", "x"},
     .errors = {"--config needs a configuration number, not x"}, .connects = false},
    {.name = "add without text", .args = {"add", "@cfg"},
     .errors = {"usage: pagewright-cli news add CFG --text TEXT"}, .connects = false},
};
// clang-format on

// The texts of the items in a page's JSON, or of the one item news add prints.
QStringList Texts(const QByteArray& json) {
    const QJsonObject doc = QJsonDocument::fromJson(json).object();
    if (doc.contains("Text")) return {doc["Text"].toString()};
    QStringList out;
    for (const QJsonValue& item : doc["items"].toArray())
        out << item["Text"].toString();
    return out;
}
} // namespace

class TestNewsCliFlows : public QObject {
    Q_OBJECT
private slots:
    void flows_data() { addRows(kCases); }
    void flows() {
        const Case& c = kCases[fetchedRow()];
        FtpServer server(QStringList{"--user", "ann", "--password", "secret"} +
                         (c.server.startsWith("--") ? QStringList{c.server} : QStringList{}));
        QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
        QVERIFY(server.writeFile("index.html", c.page));
        TempHome home;
        const CliRun made = RunCli({"cfg", "new", home.path(), "--name", "site", "--host",
                                    server.hostName().c_str(), "--login", "ann", "--password",
                                    c.stored, "--temp-dir", home.dir.path()});
        QVERIFY2(made.exitCode == 0, made.err.constData());
        QVERIFY(WriteLocal(home.path("items.json"), c.items));
        if (c.server == "down") server.kill();
        QStringList args = QStringList(c.args).replaceInStrings("@cfg", home.path());
        c.variable ? qputenv("PAGEWRIGHT_PASSWORD", c.variable) : qunsetenv("PAGEWRIGHT_PASSWORD");
        const CliRun run =
            RunCli(QStringList{"news"} + args.replaceInStrings("@items", home.path("items.json")));
        const auto count = [&](const char* verb) {
            return server.commands().filter(QRegularExpression(QString("^") + verb + "\\b")).size();
        };
        QCOMPARE(count("USER") > 0, c.connects);
        QVERIFY(!QFile::exists(home.path("datafile.tmp")));
        if (!c.errors.isEmpty()) {
            QCOMPARE(run.exitCode, 1);
            for (const QString& error : c.errors)
                QVERIFY2(run.err.contains(error.toUtf8()), run.err.constData());
            QVERIFY2(run.out.isEmpty(), run.out.constData());
            QCOMPARE(server.readFile("index.html"), c.page);
            QCOMPARE(count("STOR"), c.server == "--read-only" ? 1 : 0);
            return;
        }
        QVERIFY2(run.exitCode == 0 && run.err.isEmpty(), run.err.constData());
        QCOMPARE(Texts(run.out), c.printed);
        QCOMPARE(count("STOR"), c.args[0] == "fetch" ? 0 : 1);
        if (c.args[0] == "add") {
            // Header and footer: as given, else the defaults with their placeholders expanded.
            const QJsonObject item = QJsonDocument::fromJson(run.out).object();
            QCOMPARE(QStringList({item["Header"].toString(), item["Footer"].toString()})
                         << QString::number(item.size()),
                     c.args.contains("--header")
                         ? QStringList({"Kopf", "Fuß", "6"})
                         : QStringList({item["Date"].toString() + "<br>", "- <br>", "6"}));
        }
        if (c.args[0] == "post") QVERIFY(server.readFile("index.html").contains("<p>neu</p>"));
        QCOMPARE(Texts(RunCli({"news", "fetch", home.path()}).out), c.served);
    }
};

QTEST_GUILESS_MAIN(TestNewsCliFlows)
#include "test_news_cli_flows.moc"
