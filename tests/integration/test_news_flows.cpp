// Guards: the news retrieval and posting flows, their failures, and a page kept when posting fails.
#include "support/FtpServer.h"
#include "support/LocalFiles.h"

#include "core/config/ConfigTables.h"
#include "core/config/Password.h"
#include "core/ftp/TSimpleFTP.h"
#include "core/news/NewsFlows.h"
#include "core/news/NewsFormat.h"
#include "core/storage/TnkDBData.h"

#include <QtTest>

using namespace pw;

namespace {
const QByteArray kPage = "<html>\r\n<!-- DATA -->\r\n"
                         "<!-- DATE:2000/01/01(12:30) -->H\r\n"
                         "<!-- TEXT --><A NAME=\"n1\"></A>first<!-- SUBLINE -->f\r\n"
                         "<!-- /DATA -->\r\n</html>";

// A server holding `page` as `served`, one configuration for it, the news table, what happened.
struct Rig {
    FtpServer server;
    QTemporaryDir folder;
    ConfigTables tables{ConfigRole::Dialog};
    TnkDBData data;
    TnkDBSource news{&data, NewsFields()};
    NewsPageContext page;
    std::vector<std::string> lines;
    NewsSelection selection;
    TSimpleFTP ftp;
    QStringList seen; // status texts and states in order
    QString signs;    // the success and failure signs as set, "10 01"
    NewsFlowEvents events;
    NewsJob job{ftp,      tables.ConfigSource, 0, tables.TranslationSource, news, page, lines,
                selection};

    Rig(std::map<std::string, std::string> f, const QByteArray& pageBytes = kPage,
        const QString& served = "index.html", const QStringList& serverArgs = {})
        : server(serverArgs) {
        if (!server.isRunning() || (!pageBytes.isEmpty() && !server.writeFile(served, pageBytes)))
            qFatal("no server");
        news.Loaded();
        tables.ConfigSource.Append();
        // clang-format off
        f.merge(std::map<std::string, std::string>{
            {"Host", server.hostName()}, {"LoginName", "anonymous"}, {"FTPTimeout", "10"},
            {"LoginPassword", ScramblePassword("me@home")}, {"NewsFile", "/index.html"},
            {"TemporaryDirectory", folder.path().toStdString()}});
        // clang-format on
        for (const auto& [field, value] : f)
            tables.ConfigSource.SetText(0, field, value);
        selection = SelectNewsConfiguration(tables.ConfigSource, 0, "/nowhere");
        events.StatusText = [this](const std::string& t) { seen << QString::fromStdString(t); };
        events.OverallGauge = [](int) {};
        events.TransferGauge = [](bool, int) {};
        events.Signs = [this](bool ok, bool failed) {
            signs += QString(signs.isEmpty() ? "%1%2" : " %1%2").arg(ok).arg(failed);
        };
        events.StateChanged = [this](ActivityState s) { seen << QString("state %1").arg(int(s)); };
    }
};
} // namespace

class TestNewsFlows : public QObject {
    Q_OBJECT
private slots:
    // The working files beside the temporary folder, and the time-out in milliseconds (60 s
    // when it is not a number of seconds up to a day).
    void workingFiles() {
        const struct {
            const char *folder, *timeout, *dir;
            int ms;
        } rows[] = {{"/tmp/w", "5", "/tmp/w/", 5000}, {"/tmp/w/", "0", "/tmp/w/", 0},
                    {"", "x", "/nowhere/", 60000},    {"/t", "-1", "/t/", 60000},
                    {"/t", "86400", "/t/", 86400000}, {"/t", "86401", "/t/", 60000}};
        for (const auto& row : rows) {
            Rig rig({{"TemporaryDirectory", row.folder}, {"FTPTimeout", row.timeout}}, "");
            const NewsSelection& s = rig.selection;
            QCOMPARE(QString::fromStdString(s.DataFile + "|" + s.DirFile + "|") +
                         QString::number(s.ConnectTimeoutMs),
                     QString("%1datafile.tmp|%1ftpdir.tmp|%2").arg(row.dir).arg(row.ms));
        }
    }

    // A page missing (the CLI's tests see the other failures end to end); a port out of range
    // is refused before anything is sent, rather than tried on some other port.
    void retrievalFailures() {
        const std::tuple<QByteArray, std::string, QString> rows[] = {
            {"", "", "Error: File not found"},
            {kPage, "65536",
             "Error: port \"65536\" in the configuration is not a number from 1 to 65535"}};
        for (const auto& [page, port, status] : rows) {
            Rig rig({{"Port", port}}, page);
            QVERIFY(!RunNewsRetrieval(rig.job, rig.events));
            QCOMPARE(rig.seen.last(), status);
            QCOMPARE(rig.signs, "00 01");
            QVERIFY(rig.seen.contains("state 2") && !rig.ftp.IsConnected() &&
                    rig.news.RecordCount() == 0);
            if (!port.empty()) QCOMPARE(rig.server.commands(), QStringList());
        }
    }

    // Closed between the flows or kept (one login then), the page in a folder or at the top,
    // without or with a local copy.
    void retrieveThenPost() {
        const struct {
            const char *stay, *newsFile, *served;
            bool localCopy;
        } rows[] = {{"", "site/index.html", "site/index.html", false},
                    {"TRUE", "/index.html", "index.html", true}};
        for (const auto& [stay, newsFile, served, localCopy] : rows) {
            Rig rig({{"NewsStayConnected", stay}, {"NewsFile", newsFile}}, kPage, served);
            const QString local = rig.folder.filePath("copy.html");
            if (localCopy) rig.tables.ConfigSource.SetText(0, "NewsLocalFile", local.toStdString());
            QVERIFY(RunNewsRetrieval(rig.job, rig.events));
            QCOMPARE(rig.seen.join(','),
                     "Connecting...,Downloading...,Analysing...,Successful,state 1");
            QVERIFY(rig.news.RecordCount() == 1 && rig.ftp.IsConnected() == (*stay != 0));
            rig.news.SetString(0, "Text", "changed");
            rig.seen.clear();
            QVERIFY(RunNewsPosting(rig.job, rig.events));
            QCOMPARE(rig.signs, "00 10 00 10"); // cleared at each start, success at each end
            QCOMPARE(rig.seen.join(','), "Connecting...,Uploading...,Successful,state 2");
            QVERIFY(rig.news.RecordCount() == 0 && !rig.ftp.IsConnected());
            const QByteArray page = rig.server.readFile(served);
            QVERIFY2(page.contains("changed") && !page.contains("first"), page.constData());
            // Published under a temporary name and renamed: nothing else is left beside the page.
            QCOMPARE(QFileInfo(rig.server.path(served)).dir().entryList(QDir::Files | QDir::Hidden),
                     QStringList{"index.html"});
            QCOMPARE(ReadLocal(local), localCopy ? page : QByteArray("<missing>"));
            QCOMPARE(rig.server.commands().filter(QRegularExpression("^USER ")).size(),
                     *stay ? 1 : 2);
        }
    }

    // The working copy cannot be written: nothing is posted, and the flow says why.
    void unwritableWorkingFile() {
        Rig rig({});
        QVERIFY(RunNewsRetrieval(rig.job, rig.events));
        const QString data = QString::fromStdString(rig.selection.DataFile);
        QFile::remove(data);
        QVERIFY(QDir().mkpath(data));
        QVERIFY(!RunNewsPosting(rig.job, rig.events));
        QCOMPARE(rig.seen.last(), "Error: Cannot write " + data);
        QCOMPARE(rig.server.readFile("index.html"), kPage);
    }

    // The server dies while the page is uploaded: the flow fails, the items stay loaded and
    // the old page stays on the server.
    void killedServerKeepsThePage() {
        Rig rig({}, kPage, "index.html", {"--throttle", "20000"});
        QVERIFY(RunNewsRetrieval(rig.job, rig.events));
        rig.news.SetString(0, "Text", QByteArray(200000, 'x').toStdString());
        std::atomic<bool> done{false}, ok{true};
        std::thread poster([&] {
            ok = RunNewsPosting(rig.job, rig.events);
            done = true;
        });
        QTRY_VERIFY_WITH_TIMEOUT(
            !rig.server.commands().filter(QRegularExpression("^STOR ")).isEmpty() || done, 15000);
        rig.server.kill();
        poster.join();
        QVERIFY(!ok && rig.seen.contains("state 1") && rig.news.RecordCount() == 1);
        QCOMPARE(rig.seen.last(), QString("Error: Cannot post newsfile"));
        QCOMPARE(rig.server.readFile("index.html"), kPage);
    }
};

QTEST_MAIN(TestNewsFlows)
#include "test_news_flows.moc"
