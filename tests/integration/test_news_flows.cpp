// Guards: the news retrieval and posting flows, their failures, and a page kept when posting fails.
#include "support/FtpServer.h"
#include "support/LocalFiles.h"

#include "core/config/ConfigTables.h"
#include "core/config/Password.h"
#include "core/ftp/TSimpleFTP.h"
#include "core/news/NewsFlows.h"
#include "core/news/NewsFormat.h"
#include "core/storage/TnkDBData.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace pw;

namespace {
const QByteArray kPage = "<html>\r\n<!-- DATA -->\r\n"
                         "<!-- DATE:2000/01/01(12:30) -->H\r\n"
                         "<!-- TEXT --><A NAME=\"n1\"></A>first<!-- SUBLINE -->f\r\n"
                         "<!-- /DATA -->\r\n</html>";

// One configuration, the news table and what the flows report.
struct Rig {
    ConfigTables tables{ConfigRole::Dialog};
    TnkDBData data;
    TnkDBSource news{&data, NewsFields()};
    NewsPageContext page;
    std::vector<std::string> lines;
    NewsSelection selection;
    TSimpleFTP ftp;
    QStringList seen; // status texts and states in order
    NewsFlowEvents events;

    Rig(const FtpServer& server, const QString& folder, std::map<std::string, std::string> f) {
        news.Loaded();
        tables.ConfigSource.Append();
        f.emplace("Host", server.hostName());
        f.emplace("LoginName", "anonymous");
        f.emplace("LoginPassword", ScramblePassword("me@home"));
        f.emplace("NewsFile", "/index.html");
        f.emplace("TemporaryDirectory", folder.toStdString());
        f.emplace("FTPTimeout", "10");
        for (const auto& [field, value] : f)
            tables.ConfigSource.SetText(0, field, value);
        selection = SelectNewsConfiguration(tables.ConfigSource, 0, "/nowhere");
        events.StatusText = [this](const std::string& t) { seen << QString::fromStdString(t); };
        events.OverallGauge = [](int) {};
        events.TransferGauge = [](bool, int) {};
        events.Signs = [](bool, bool) {};
        events.StateChanged = [this](ActivityState s) { seen << QString("state %1").arg(int(s)); };
    }
    NewsJob job() {
        return {ftp,      tables.ConfigSource, 0, tables.TranslationSource, news, page, lines,
                selection};
    }
};
} // namespace

class TestNewsFlows : public QObject {
    Q_OBJECT
private slots:
    void workingFiles();
    void retrievalFailures_data();
    void retrievalFailures();
    void retrieveThenPost_data();
    void retrieveThenPost();
    void killedServerKeepsThePage();
};

// The working files beside the temporary folder, and the time-out in milliseconds.
void TestNewsFlows::workingFiles() {
    const struct {
        const char *folder, *timeout, *dataFile;
        int ms;
    } rows[] = {{"/tmp/w", "5", "/tmp/w/datafile.tmp", 5000},
                {"/tmp/w/", "0", "/tmp/w/datafile.tmp", 0},
                {"", "x", "/nowhere/datafile.tmp", 60000},
                {"/t", "-1", "/t/datafile.tmp", 60000}};
    for (const auto& row : rows) {
        ConfigTables t(ConfigRole::Dialog);
        t.ConfigSource.Append();
        t.ConfigSource.SetText(0, "TemporaryDirectory", row.folder);
        t.ConfigSource.SetText(0, "FTPTimeout", row.timeout);
        t.ConfigSource.SetText(0, "LoginPassword", ScramblePassword("pw"));
        const NewsSelection s = SelectNewsConfiguration(t.ConfigSource, 0, "/nowhere");
        QCOMPARE(s.DataFile, std::string(row.dataFile));
        QVERIFY(QString::fromStdString(s.DirFile).endsWith("/ftpdir.tmp"));
        QCOMPARE(s.ConnectTimeoutMs, row.ms);
        QCOMPARE(s.NewsPassword, std::string("pw"));
    }
}

void TestNewsFlows::retrievalFailures_data() {
    QTest::addColumn<QByteArray>("page"); // empty: no file
    QTest::addColumn<bool>("reachable");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("port"); // the configuration's "Port"
    QTest::newRow("no server") << kPage << false << "Error: Cannot connect" << QString();
    QTest::newRow("no file") << QByteArray() << true << "Error: File not found" << QString();
    QTest::newRow("no section") << QByteArray("<html/>") << true << "Error: Analysing unsuccessful"
                                << QString();
    // Refused before anything is sent, rather than tried on some other port.
    QTest::newRow("port out of range")
        << kPage << true
        << "Error: port \"65536\" in the configuration is not a number from 1 to 65535"
        << "65536";
}

void TestNewsFlows::retrievalFailures() {
    QFETCH(QByteArray, page);
    QFETCH(bool, reachable);
    QFETCH(QString, status);
    QFETCH(QString, port);
    FtpServer server;
    QVERIFY(server.isRunning());
    if (!page.isEmpty()) QVERIFY(server.writeFile("index.html", page));
    QTemporaryDir folder;
    Rig rig(server, folder.path(), {{"Port", port.toStdString()}});
    if (!reachable) server.kill();
    NewsJob job = rig.job();
    QVERIFY(!RunNewsRetrieval(job, rig.events));
    QCOMPARE(rig.seen.last(), status);
    QVERIFY(rig.seen.contains("state 2"));
    QCOMPARE(rig.news.RecordCount(), 0);
    QVERIFY(!rig.ftp.IsConnected());
    if (!port.isEmpty()) QCOMPARE(server.commands(), QStringList());
}

void TestNewsFlows::retrieveThenPost_data() {
    QTest::addColumn<QString>("stay");
    QTest::addColumn<QString>("newsFile");
    QTest::addColumn<bool>("localCopy");
    QTest::newRow("closed between") << QString() << "/index.html" << false;
    QTest::newRow("stays connected") << "TRUE"
                                     << "/index.html" << true;
    QTest::newRow("in a folder") << QString() << "site/index.html" << true;
}

void TestNewsFlows::retrieveThenPost() {
    QFETCH(QString, stay);
    QFETCH(QString, newsFile);
    QFETCH(bool, localCopy);
    FtpServer server;
    QVERIFY(server.isRunning());
    const QString served = newsFile.startsWith('/') ? newsFile.mid(1) : newsFile;
    QVERIFY(server.writeFile(served, kPage));
    QTemporaryDir folder;
    const QString local = folder.filePath("copy.html");
    Rig rig(server, folder.path(),
            {{"NewsStayConnected", stay.toStdString()},
             {"NewsFile", newsFile.toStdString()},
             {"NewsLocalFile", localCopy ? local.toStdString() : ""}});
    NewsJob job = rig.job();
    QVERIFY(RunNewsRetrieval(job, rig.events));
    QCOMPARE(rig.seen, QStringList({"Connecting...", "Downloading...", "Analysing...", "Successful",
                                    "state 1"}));
    QCOMPARE(rig.news.RecordCount(), 1);
    QCOMPARE(rig.ftp.IsConnected(), stay == "TRUE");
    rig.news.SetString(0, "Text", "changed");
    rig.seen.clear();
    QVERIFY(RunNewsPosting(job, rig.events));
    QCOMPARE(rig.seen, QStringList({"Connecting...", "Uploading...", "Successful", "state 2"}));
    QCOMPARE(rig.news.RecordCount(), 0);
    QVERIFY(!rig.ftp.IsConnected());
    const QByteArray page = server.readFile(served);
    QVERIFY2(page.contains("changed") && !page.contains("first"), page.constData());
    // Published under a temporary name and renamed: nothing else is left beside the page.
    const QString dir = QFileInfo(server.path(served)).path();
    QCOMPARE(QDir(dir).entryList(QDir::Files | QDir::Hidden), QStringList{"index.html"});
    QCOMPARE(QFile::exists(local), localCopy);
    if (localCopy) QCOMPARE(ReadLocal(local), page);
    // A kept connection is reused: one login for both flows.
    QCOMPARE(server.commands().filter(QRegularExpression("^USER ")).size(), stay == "TRUE" ? 1 : 2);
}

void TestNewsFlows::killedServerKeepsThePage() {
    FtpServer server({"--throttle", "20000"});
    QVERIFY(server.isRunning());
    QVERIFY(server.writeFile("index.html", kPage));
    QTemporaryDir folder;
    Rig rig(server, folder.path(), {});
    NewsJob job = rig.job();
    QVERIFY(RunNewsRetrieval(job, rig.events));
    rig.news.SetString(0, "Text", QByteArray(200000, 'x').toStdString());
    std::atomic<bool> done{false}, ok{true};
    std::thread poster([&] {
        ok = RunNewsPosting(job, rig.events);
        done = true;
    });
    QTRY_VERIFY_WITH_TIMEOUT(
        !server.commands().filter(QRegularExpression("^STOR ")).isEmpty() || done, 15000);
    server.kill();
    poster.join();
    QVERIFY(!ok);
    QCOMPARE(rig.seen.last(), QString("Error: Cannot post newsfile"));
    QVERIFY(rig.seen.contains("state 1")); // the items stay loaded
    QCOMPARE(rig.news.RecordCount(), 1);
    QCOMPARE(server.readFile("index.html"), kPage);
}

QTEST_MAIN(TestNewsFlows)
#include "test_news_flows.moc"
