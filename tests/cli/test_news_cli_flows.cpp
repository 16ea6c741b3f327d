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
    QString server = {}; // an option of the server, or "down": failing before any connect
    QByteArray page = kPage, items = kItems;
    QStringList errors = {};               // each on stderr; none: the command succeeds
    QStringList printed = {}, served = {}; // texts on stdout, and of the page afterwards
};
const QStringList kOld{"T0", "T1"};
// clang-format off
const Case kCases[] = {
    {.name = "fetch", .args = {"fetch", "@cfg"}, .printed = kOld, .served = kOld},
    {.name = "add", .args = {"add", "@cfg", "--text", "neu ö"}, .printed = {"@<br>|neu ö|- <br>"},
     .served = kOld + QStringList{"neu ö"}},
    {.name = "add, own header and footer, passive, password from the variable",
     .args = {"add", "@cfg", "--text", "x", "--header", "Kopf", "--footer", "Fuß", "--passive",
     "--config", "0"}, .stored = "", .variable = "secret", .printed = {"Kopf|x|Fuß"},
     .served = kOld + QStringList{"x"}},
    {.name = "post", .args = {"post", "@cfg", "@items"}, .served = {"A", "Bä"}},
    {.name = "no password, no terminal", .args = {"fetch", "@cfg"}, .stored = "",
     .errors = {"PAGEWRIGHT_PASSWORD is not set", "Error: Cannot connect"}},
    {.name = "page without news section, verbose", .args = {"add", "@cfg", "--text", "x",
     "--verbose"}, .page = "<html>no news</html>",
     .errors = {"Downloading...", "Error: Analysing unsuccessful"}},
    {.name = "upload refused", .args = {"add", "@cfg", "--text", "x"}, .server = "--read-only",
     .errors = {"Error: Cannot post newsfile"}},
    {.name = "time one short", .args = {"post", "@cfg", "@items"}, .server = "down",
     .items = R"({"items": [{"Text": "A", "Date": "2001/02/03", "Time": "1:00"}]})",
     .errors = {"item 1: the date must be 10 characters and the time 5"}},
    {.name = "text outside Windows-1252", .args = {"add", "@cfg", "--text", "一"},
     .server = "down", .errors = {"Windows-1252"}},
    {.name = "configuration one past the last", .args = {"fetch", "@cfg", "--config", "1"},
     .server = "down", .errors = {"has no configuration 1 (it holds 1, numbered from 0)"}},
    {.name = "configuration below the first", .args = {"fetch", "@cfg", "--config", "-1"},
     .server = "down", .errors = {"has no configuration -1 (it holds 1"}},
    {.name = "configuration not a number", .args = {"fetch", "@cfg", "--config", "x"},
     .server = "down", .errors = {"--config needs a configuration number, not x"}},
    {.name = "add without text", .args = {"add", "@cfg"}, .server = "down",
     .errors = {"usage: pagewright-cli news add CFG --text TEXT"}},
};
// clang-format on

// The texts of a page's items; for the one item news add prints, "header|text|footer" with its
// date as "@", when it has all six fields.
QStringList Texts(const QByteArray& json) {
    const QJsonObject doc = QJsonDocument::fromJson(json).object();
    QStringList out;
    if (doc.size() == 6)
        out << doc["Header"].toString().replace(doc["Date"].toString(), "@") + "|" +
                   doc["Text"].toString() + "|" + doc["Footer"].toString();
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
        QVERIFY2(server.isRunning() && server.writeFile("index.html", c.page),
                 qPrintable(server.errorString()));
        TempHome home;
        const CliRun made = RunCli({"cfg", "new", home.path("cfg"), "--name", "site", "--host",
                                    server.hostName().c_str(), "--login", "ann", "--password",
                                    c.stored, "--temp-dir", home.dir.path()});
        QVERIFY2(made.exitCode == 0 && WriteLocal(home.path("items"), c.items), made.err);
        if (c.server == "down") server.kill();
        c.variable ? qputenv("PAGEWRIGHT_PASSWORD", c.variable) : qunsetenv("PAGEWRIGHT_PASSWORD");
        const CliRun run = RunCli(QStringList{"news"} +
                                  QStringList(c.args).replaceInStrings("@", home.dir.path() + "/"));
        const auto stored = server.commands().filter(QRegularExpression("^STOR ")).size();
        QVERIFY(!QFile::exists(home.path("datafile.tmp")));
        if (!c.errors.isEmpty()) {
            for (const QString& error : c.errors)
                QVERIFY2(run.exitCode == 1 && run.err.contains(error.toUtf8()) && run.out.isEmpty(),
                         run.err + run.out);
            QCOMPARE(server.readFile("index.html"), c.page);
            QCOMPARE(stored, c.server == "--read-only" ? 1 : 0);
            return;
        }
        QVERIFY2(run.exitCode == 0 && run.err.isEmpty(), run.err.constData());
        QCOMPARE(Texts(run.out), c.printed);
        QCOMPARE(stored, c.args[0] == "fetch" ? 0 : 1);
        if (c.args[0] == "post") QVERIFY(server.readFile("index.html").contains("<p>neu</p>"));
        QCOMPARE(Texts(RunCli({"news", "fetch", home.path("cfg")}).out), c.served);
    }
};

QTEST_GUILESS_MAIN(TestNewsCliFlows)
#include "test_news_cli_flows.moc"
