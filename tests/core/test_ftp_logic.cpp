// The FTP components' own rules, without a server: properties, states and their texts,
// error messages, progress counting, path rules and URL building.
#include "core/ftp/FtpErrors.h"
#include "core/ftp/FtpPaths.h"
#include "core/ftp/TSimpleFTP.h"

#include <QtTest>

using namespace pw;

namespace {
// Opens the protected parts that the session layer drives.
class ProbeFTP : public TSimpleFTP {
public:
    using TSimpleFTP::RaiseConnectError;
    using TSimpleFTP::SetProgressInfo;
    using TSimpleFTP::SetState;
    using TSimpleFTP::StatusNotify;

    void SetProgress(int64_t done, int64_t total, const std::string& fileName) {
        TFTPProgressInfo info = ProgressInfo();
        info.BytesDone = done;
        info.BytesTotal = total;
        info.FileName = fileName;
        SetProgressInfo(info);
    }
};

struct Bar : TQuickProgressBar {
    int max = -1, position = -1;
    void SetMax(int m) override { max = m; }
    void SetPosition(int p) override { position = p; }
};

struct Label : TQuickLabel {
    std::string caption = "<unset>";
    void SetCaption(const std::string& c) override { caption = c; }
};

struct StatusBar : TQuickStatusBar {
    bool simple = false;
    std::string simpleText, panel0;
    bool SimplePanel() const override { return simple; }
    void SetSimpleText(const std::string& t) override { simpleText = t; }
    void SetPanelText(int panel, const std::string& t) override {
        if (panel == 0) panel0 = t;
    }
};
} // namespace

class TestFtpLogic : public QObject {
    Q_OBJECT

private slots:
    void initialValues();
    void optionSetters();
    void stateChanges();
    void connectErrors_data();
    void connectErrors();
    void progressCounting_data();
    void progressCounting();
    void quickProgress_data();
    void quickProgress();
    void pathRules();
    void hostAndPort_data();
    void hostAndPort();
    void remoteUrls_data();
    void remoteUrls();
    void pwdReplies_data();
    void pwdReplies();
    void localNames_data();
    void localNames();
};

void TestFtpLogic::initialValues() {
    TSimpleFTP ftp;
    QCOMPARE(ftp.ConnectRetries(), 3u);
    QCOMPARE(ftp.ConnectTimeout(), 300000u);
    QCOMPARE(ftp.Port, 21);
    QVERIFY(!ftp.EnableCache());
    QCOMPARE(ftp.RequestFlags(), INTERNET_FLAG_RELOAD);
    QCOMPARE(ftp.ResolveNames(), rnLocal);
    QCOMPARE(ftp.AccessType(), INTERNET_OPEN_TYPE_DIRECT);
    QVERIFY(ftp.SilentExceptions);
    QCOMPARE(ftp.State(), wisClosed);
    QCOMPARE(ftp.TransferType(), ttBinary);
    QCOMPARE(ftp.TransferTypeFlag(), FTP_TRANSFER_TYPE_BINARY);
    QCOMPARE(ftp.FileSystemType(), ftUnix);
    QVERIFY(!ftp.Passive());
    QVERIFY(!ftp.FailIfExistsOnGet);
    QCOMPARE(ftp.Scheme(), std::string("ftp"));
    QCOMPARE(ftp.StateText(wisClosed), std::string("No connection"));
}

void TestFtpLogic::optionSetters() {
    TSimpleFTP ftp;
    ftp.SetConnectTimeout(0);
    QCOMPARE(ftp.ConnectTimeout(), 300000u);
    ftp.SetEnableCache(true);
    QCOMPARE(ftp.RequestFlags(), 0u);
    ftp.SetEnableCache(false);
    QCOMPARE(ftp.RequestFlags(), INTERNET_FLAG_RELOAD);
    ftp.SetResolveNames(rnPreConfig);
    QCOMPARE(ftp.AccessType(), INTERNET_OPEN_TYPE_PRECONFIG);
    ftp.SetResolveNames(rnLocal);
    QCOMPARE(ftp.AccessType(), INTERNET_OPEN_TYPE_DIRECT);
    ftp.SetPassive(true);
    ftp.SetPassive(false);
    QCOMPARE(ftp.ConnectFlags(), 0u);
}

void TestFtpLogic::stateChanges() {
    ProbeFTP ftp;
    ftp.HostName = "example.test";
    StatusBar bar;
    ftp.QuickStatus = &bar;
    std::vector<TWinInetState> seen;
    ftp.OnStateChange = [&](TWinInetControl&, TWinInetState s) { seen.push_back(s); };
    int disconnects = 0;
    ftp.OnDisconnected = [&](TWinInetControl&) { ++disconnects; };

    ftp.StatusNotify(INTERNET_STATUS_RESOLVING_NAME, 0);
    ftp.StatusNotify(INTERNET_STATUS_RESOLVING_NAME, 0); // no change, no event
    ftp.StatusNotify(INTERNET_STATUS_NAME_RESOLVED, 0);
    QCOMPARE(bar.panel0, std::string()); // QuickProgress is off
    ftp.QuickProgress = true;
    ftp.StatusNotify(INTERNET_STATUS_CONNECTING_TO_SERVER, 0);
    QCOMPARE(bar.panel0, std::string("Connecting to example.test"));
    bar.simple = true;
    ftp.StatusNotify(INTERNET_STATUS_CONNECTED_TO_SERVER, 0);
    QCOMPARE(bar.simpleText, std::string("Connected to example.test"));
    ftp.StatusNotify(999, 0); // unknown codes change nothing
    QCOMPARE(seen,
             (std::vector<TWinInetState>{wisResolving, wisResolved, wisConnecting, wisConnected}));

    // Disconnect twice: OnDisconnected fires once.
    QVERIFY(ftp.Disconnect());
    QVERIFY(ftp.Disconnect());
    QCOMPARE(disconnects, 1);
    QCOMPARE(bar.simpleText, std::string("No connection"));
    QCOMPARE(ftp.StateText(wisClosing), std::string("Disconnecting from example.test"));
    QCOMPARE(ftp.StateText(wisResolved), std::string("Resolved name example.test"));
    QCOMPARE(ftp.StateText(TWinInetState(9)), std::string("Unknown state!  Contact support ..."));
}

void TestFtpLogic::connectErrors_data() {
    QTest::addColumn<unsigned>("code");
    QTest::addColumn<QString>("message");
    QTest::newRow("time-out") << 12002u << "Connection to host.test timed out";
    QTest::newRow("internal") << 12004u << "Internal WININET error";
    QTest::newRow("name") << 12007u << "Unable to resolve host name 'host.test'";
    QTest::newRow("user") << 12013u << "Bad user name: 'editor' connecting to host.test";
    QTest::newRow("password") << 12014u << "Bad password connecting to host.test";
    QTest::newRow("login") << 12015u << "Unable to connect to host.test";
    QTest::newRow("cannot connect") << 12029u << "Unable to connect to host.test";
    QTest::newRow("other") << 4711u << "General Connection Error to host.test";
}

void TestFtpLogic::connectErrors() {
    QFETCH(unsigned, code);
    QFETCH(QString, message);
    ProbeFTP ftp;
    ftp.HostName = "host.test";
    ftp.UserName = "editor";
    ftp.SetState(wisConnecting);
    ftp.RaiseConnectError(code); // silent: nothing raised
    QCOMPARE(ftp.State(), wisClosed);
    ftp.SetState(wisConnecting);
    ftp.SilentExceptions = false;
    try {
        ftp.RaiseConnectError(code);
        QFAIL("no exception");
    } catch (const EWinInetError& e) {
        QCOMPARE(QString(e.what()), message);
    }
    QCOMPARE(ftp.State(), wisClosed);
}

void TestFtpLogic::progressCounting_data() {
    QTest::addColumn<qint64>("total");
    QTest::addColumn<QList<qint64>>("counts");
    QTest::addColumn<QList<qint64>>("done"); // BytesDone after each notification
    QTest::newRow("counts add up") << qint64(100) << QList<qint64>{30, 30} << QList<qint64>{30, 60};
    QTest::newRow("zero count completes")
        << qint64(100) << QList<qint64>{30, 0} << QList<qint64>{30, 100};
    QTest::newRow("overshoot clamps")
        << qint64(100) << QList<qint64>{60, 60} << QList<qint64>{60, 100};
    QTest::newRow("unknown size stays 0")
        << qint64(0) << QList<qint64>{10, 10} << QList<qint64>{0, 0};
    QTest::newRow("beyond 4 GiB") << qint64(6000000000) << QList<qint64>{3000000000, 2999999999}
                                  << QList<qint64>{3000000000, 5999999999};
}

void TestFtpLogic::progressCounting() {
    QFETCH(qint64, total);
    QFETCH(QList<qint64>, counts);
    QFETCH(QList<qint64>, done);
    ProbeFTP ftp;
    int events = 0;
    ftp.OnTransferProgress = [&](TSimpleFTP&, const TFTPProgressInfo&) { ++events; };
    ftp.SetProgress(0, total, "");
    ftp.StatusNotify(INTERNET_STATUS_REQUEST_SENT, 5);
    QCOMPARE(events, 0); // no file name yet: no event
    ftp.SetProgress(0, total, "page.html");
    for (int i = 0; i < counts.size(); ++i) {
        ftp.StatusNotify(i % 2 ? INTERNET_STATUS_RESPONSE_RECEIVED : INTERNET_STATUS_REQUEST_SENT,
                         counts[i]);
        QCOMPARE(qint64(ftp.ProgressInfo().BytesDone), done[i]);
    }
    QCOMPARE(events, int(counts.size()));
    ftp.StatusNotify(INTERNET_STATUS_CONNECTING_TO_SERVER, 1000); // not counted
    QCOMPARE(qint64(ftp.ProgressInfo().BytesDone), done.back());
}

void TestFtpLogic::quickProgress_data() {
    QTest::addColumn<qint64>("done");
    QTest::addColumn<qint64>("total");
    QTest::addColumn<int>("position");
    QTest::newRow("half") << qint64(1) << qint64(2) << 50;
    QTest::newRow("tie rounds to even, down") << qint64(1) << qint64(8) << 12;
    QTest::newRow("tie rounds to even, up") << qint64(3) << qint64(8) << 38;
    QTest::newRow("unknown total") << qint64(0) << qint64(0) << 0;
    QTest::newRow("beyond 2 GiB") << qint64(3000000000) << qint64(6000000000) << 50;
}

void TestFtpLogic::quickProgress() {
    QFETCH(qint64, done);
    QFETCH(qint64, total);
    QFETCH(int, position);
    ProbeFTP ftp;
    Bar major, minor;
    Label labelMajor, labelMinor;
    ftp.QuickProgressMajor = &major;
    ftp.QuickProgressMinor = &minor;
    ftp.QuickLabelMajor = &labelMajor;
    ftp.QuickLabelMinor = &labelMinor;
    ftp.QuickProgress = true;
    ftp.SetProgress(done, total, "x.bin");
    ftp.StatusNotify(INTERNET_STATUS_CONNECTED_TO_SERVER, 0); // not a count: no update
    QCOMPARE(minor.position, -1);
    ftp.SetProgress(done - 1, total, "x.bin");
    ftp.StatusNotify(INTERNET_STATUS_RESPONSE_RECEIVED, total == 0 ? 0 : 1);
    QCOMPARE(minor.max, 100);
    QCOMPARE(minor.position, position);
    QCOMPARE(major.max, 0);
    QCOMPARE(labelMajor.caption, std::string("<unset>")); // no batch: no "i of n"
    QCOMPARE(labelMinor.caption, std::string("x.bin"));
    ftp.SetBatchPosition(2, 5);
    ftp.StatusNotify(INTERNET_STATUS_REQUEST_SENT, 0);
    QCOMPARE(labelMajor.caption, std::string("2 of 5"));
    QCOMPARE(major.position, 2);
}

void TestFtpLogic::pathRules() {
    TSimpleFTP ftp;
    QCOMPARE(ftp.AddSlash(""), std::string("/"));
    QCOMPARE(ftp.AddSlash("/pub"), std::string("/pub/"));
    QCOMPARE(ftp.AddSlash("/pub/"), std::string("/pub/"));
    QCOMPARE(TSimpleFTP::AddBackslash(""), std::string("/"));
    QCOMPARE(TSimpleFTP::AddBackslash("/home/me"), std::string("/home/me/"));
    QCOMPARE(TSimpleFTP::AddBackslash("/"), std::string("/"));
    ftp.SetFileSystemType(ftUnknown);
    QCOMPARE(ftp.AddSlash("/pub"), std::string("/pub"));
    QCOMPARE(ftp.AddSlash(""), std::string(""));
    // Not connected: a directory change is stored as passed.
    QVERIFY(ftp.ChangeDir("../x/"));
    QCOMPARE(ftp.RemoteDir(), std::string("../x/"));
}

void TestFtpLogic::hostAndPort_data() {
    QTest::addColumn<QString>("hostName");
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("port");
    QTest::newRow("plain") << "ftp.example.test"
                           << "ftp.example.test" << 21;
    QTest::newRow("with port") << "ftp.example.test:2121"
                               << "ftp.example.test" << 2121;
    QTest::newRow("address with port") << "127.0.0.1:40000"
                                       << "127.0.0.1" << 40000;
    QTest::newRow("bad port") << "host:99999"
                              << "host" << 21;
    QTest::newRow("empty port") << "host:"
                                << "host" << 21;
    QTest::newRow("bare IPv6") << "::1"
                               << "::1" << 21;
    QTest::newRow("bracketed IPv6 with port") << "[::1]:990"
                                              << "::1" << 990;
}

void TestFtpLogic::hostAndPort() {
    QFETCH(QString, hostName);
    QFETCH(QString, host);
    QFETCH(int, port);
    const THostPort hp = SplitHostPort(hostName.toStdString(), 21);
    QCOMPARE(QString::fromStdString(hp.Host), host);
    QCOMPARE(hp.Port, port);
}

void TestFtpLogic::remoteUrls_data() {
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<QString>("url");
    QTest::newRow("absolute") << QByteArray("/pub/a.txt") << "ftp://h:21/%2Fpub/a.txt";
    QTest::newRow("relative") << QByteArray("a b.txt") << "ftp://h:21/a%20b.txt";
    QTest::newRow("non-ASCII byte") << QByteArray("/caf\xe9") << "ftp://h:21/%2Fcaf%E9";
    QTest::newRow("reserved characters")
        << QByteArray("/a#b?c%d;e") << "ftp://h:21/%2Fa%23b%3Fc%25d%3Be";
    QTest::newRow("root") << QByteArray("/") << "ftp://h:21/%2F";
}

void TestFtpLogic::remoteUrls() {
    QFETCH(QByteArray, path);
    QFETCH(QString, url);
    const std::string server = ServerUrl("ftp", {"h", 21});
    QCOMPARE(QString::fromStdString(RemotePathUrl(server, path.toStdString())), url);
    QCOMPARE(ServerUrl("ftp", {"::1", 21}), std::string("ftp://[::1]:21/"));
}

void TestFtpLogic::pwdReplies_data() {
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("dir");
    QTest::newRow("plain") << "257 \"/pub\" is the current directory."
                           << "/pub";
    QTest::newRow("doubled quotes") << "257 \"/a \"\"b\"\"\" is current"
                                    << "/a \"b\"";
    QTest::newRow("blanks") << "257 \"/my docs\""
                            << "/my docs";
    QTest::newRow("no quotes") << "257 /pub is current"
                               << "";
    QTest::newRow("unterminated") << "257 \"/pub"
                                  << "";
}

void TestFtpLogic::pwdReplies() {
    QFETCH(QString, reply);
    QFETCH(QString, dir);
    QCOMPARE(QString::fromStdString(ParsePwdReply(reply.toStdString())), dir);
}

void TestFtpLogic::localNames_data() {
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<bool>("safe");
    QTest::newRow("plain") << QByteArray("page.html") << true;
    QTest::newRow("blanks and bytes") << QByteArray(" caf\xe9 .txt") << true;
    QTest::newRow("dot dot") << QByteArray("..") << false;
    QTest::newRow("dot") << QByteArray(".") << false;
    QTest::newRow("empty") << QByteArray("") << false;
    QTest::newRow("separator") << QByteArray("../etc/passwd") << false;
    QTest::newRow("NUL") << QByteArray("a\0b", 3) << false;
    QTest::newRow("dots inside") << QByteArray("..hidden..") << true;
}

void TestFtpLogic::localNames() {
    QFETCH(QByteArray, name);
    QFETCH(bool, safe);
    QCOMPARE(IsSafeLocalName(std::string_view(name.constData(), name.size())), safe);
}

QTEST_GUILESS_MAIN(TestFtpLogic)
#include "test_ftp_logic.moc"
