// Guards: FTP component rules without a server: states, errors, progress, paths, URLs, names.
#include "core/ftp/FtpErrors.h"
#include "core/ftp/FtpPaths.h"
#include "core/ftp/TSimpleFTP.h"

#include <QtTest>

using namespace pw;

namespace {
// Opens the protected parts that the session layer drives.
struct ProbeFTP : TSimpleFTP {
    using TSimpleFTP::RaiseConnectError;
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
    std::string caption = "-";
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
    void stateChanges();
    void connectErrors();
    void progressCounting();
    void quickProgress();
    void pathRules();
};

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
    QVERIFY(ftp.Disconnect() && ftp.Disconnect());
    QCOMPARE(disconnects, 1);
    QCOMPARE(bar.simpleText, std::string("No connection"));
    QCOMPARE(ftp.StateText(wisClosing), std::string("Disconnecting from example.test"));
    QCOMPARE(ftp.StateText(wisResolved), std::string("Resolved name example.test"));
    QCOMPARE(ftp.StateText(TWinInetState(9)), std::string("Unknown state!  Contact support ..."));
}

// Silent: the state falls back to closed and nothing is thrown; otherwise the message.
void TestFtpLogic::connectErrors() {
    // clang-format off
    const struct { unsigned code; const char* message; } cases[] = {
        {12002, "Connection to host.test timed out"}, {12004, "Internal WININET error"},
        {12007, "Unable to resolve host name 'host.test'"},
        {12013, "Bad user name: 'editor' connecting to host.test"},
        {12014, "Bad password connecting to host.test"}, {12015, "Unable to connect to host.test"},
        {12029, "Unable to connect to host.test"}, {4711, "General Connection Error to host.test"},
    };
    // clang-format on
    for (const auto& c : cases) {
        ProbeFTP ftp;
        ftp.HostName = "host.test";
        ftp.UserName = "editor";
        ftp.SetState(wisConnecting);
        ftp.RaiseConnectError(c.code);
        QCOMPARE(ftp.State(), wisClosed);
        ftp.SetState(wisConnecting);
        ftp.SilentExceptions = false;
        try {
            ftp.RaiseConnectError(c.code);
            QFAIL("no exception");
        } catch (const EWinInetError& e) {
            QCOMPARE(QString(e.what()), QString(c.message));
        }
        QCOMPARE(ftp.State(), wisClosed);
    }
}

// BytesDone after each count: a zero count completes, an overshoot clamps, no size stays 0.
void TestFtpLogic::progressCounting() {
    // clang-format off
    const struct { qint64 total; QList<qint64> counts, done; } cases[] = {
        {100, {30, 30, 40}, {30, 60, 100}}, {100, {30, 0}, {30, 100}}, {100, {60, 41}, {60, 100}},
        {0, {10, 10}, {0, 0}}, {6000000000, {3000000000, 2999999999}, {3000000000, 5999999999}},
    };
    // clang-format on
    for (const auto& c : cases) {
        ProbeFTP ftp;
        int events = 0;
        ftp.OnTransferProgress = [&](TSimpleFTP&, const TFTPProgressInfo&) { ++events; };
        ftp.SetProgress(0, c.total, "");
        ftp.StatusNotify(INTERNET_STATUS_REQUEST_SENT, 5);
        QCOMPARE(events, 0); // no file name yet: no event
        ftp.SetProgress(0, c.total, "page.html");
        for (int i = 0; i < c.counts.size(); ++i) {
            ftp.StatusNotify(i % 2 ? INTERNET_STATUS_RESPONSE_RECEIVED
                                   : INTERNET_STATUS_REQUEST_SENT,
                             c.counts[i]);
            QCOMPARE(qint64(ftp.ProgressInfo().BytesDone), c.done[i]);
        }
        QCOMPARE(events, int(c.counts.size()));
        ftp.StatusNotify(INTERNET_STATUS_CONNECTING_TO_SERVER, 1000); // not counted
        QCOMPARE(qint64(ftp.ProgressInfo().BytesDone), c.done.back());
    }
}

void TestFtpLogic::quickProgress() {
    // clang-format off
    const struct { qint64 done, total; int position; } cases[] = {
        {1, 2, 50}, {1, 8, 12}, {3, 8, 38}, {0, 0, 0}, {1, 1, 100}, {3000000000, 6000000000, 50},
    };
    // clang-format on
    for (const auto& c : cases) {
        ProbeFTP ftp;
        Bar major, minor;
        Label labelMajor, labelMinor;
        ftp.QuickProgressMajor = &major;
        ftp.QuickProgressMinor = &minor;
        ftp.QuickLabelMajor = &labelMajor;
        ftp.QuickLabelMinor = &labelMinor;
        ftp.QuickProgress = true;
        ftp.SetProgress(c.done, c.total, "x.bin");
        ftp.StatusNotify(INTERNET_STATUS_CONNECTED_TO_SERVER, 0); // not a count: no update
        QCOMPARE(minor.position, -1);
        ftp.SetProgress(c.done - 1, c.total, "x.bin");
        ftp.StatusNotify(INTERNET_STATUS_RESPONSE_RECEIVED, c.total == 0 ? 0 : 1);
        QCOMPARE(QList<int>({minor.max, minor.position, major.max}),
                 QList<int>({100, c.position, 0}));
        QCOMPARE(labelMajor.caption + "|" + labelMinor.caption, std::string("-|x.bin"));
        ftp.SetBatchPosition(1, 1);
        ftp.StatusNotify(INTERNET_STATUS_REQUEST_SENT, 0);
        QCOMPARE(labelMajor.caption, std::string("1 of 1"));
        QCOMPARE(major.position, 1);
    }
}

void TestFtpLogic::pathRules() {
    TSimpleFTP ftp;
    QCOMPARE(ftp.AddSlash("") + " " + ftp.AddSlash("/pub") + " " + ftp.AddSlash("/pub/"),
             std::string("/ /pub/ /pub/"));
    QCOMPARE(TSimpleFTP::AddBackslash("") + " " + TSimpleFTP::AddBackslash("/a"),
             std::string("/ /a/"));
    QCOMPARE(TSimpleFTP::AddBackslash("/"), std::string("/"));
    ftp.SetFileSystemType(ftUnknown);
    QCOMPARE(ftp.AddSlash("/pub"), std::string("/pub"));
    QVERIFY(ftp.ChangeDir("../x/")); // not connected: stored as passed
    QCOMPARE(ftp.RemoteDir(), std::string("../x/"));

    // clang-format off
    const struct { const char *text, *host; int port; } hosts[] = {
        {"ftp.example.test", "ftp.example.test", 21}, {"h:2121", "h", 2121}, {"h:1", "h", 1},
        {"h:65535", "h", 65535}, {"h:0", "h", 21}, {"h:65536", "h", 21}, {"h:065535", "h", 21},
        {"h:", "h", 21}, {"h:2x", "h", 21}, {"::1", "::1", 21}, {"[::1]:990", "::1", 990},
        {"[::1]", "::1", 21}, {"[::1", "[::1", 21},
    };
    // clang-format on
    for (const auto& c : hosts) {
        const THostPort hp = SplitHostPort(c.text, 21);
        QCOMPARE(QString::fromStdString(hp.Host) + ":" + QString::number(hp.Port),
                 QString(c.host) + ":" + QString::number(c.port));
    }
    const std::string server = ServerUrl("ftp", {"h", 21});
    QCOMPARE(ServerUrl("ftp", {"::1", 21}), std::string("ftp://[::1]:21/"));
    // clang-format off
    const struct { QByteArray path; const char* url; } urls[] = {
        {"/pub/a.txt", "ftp://h:21/%2Fpub/a.txt"}, {"a b.txt", "ftp://h:21/a%20b.txt"},
        {"/caf\xe9", "ftp://h:21/%2Fcaf%E9"}, {"/", "ftp://h:21/%2F"},
        {"AZaz09-._~", "ftp://h:21/AZaz09-._~"},
        {"@[`{/#?%;", "ftp://h:21/%40%5B%60%7B/%23%3F%25%3B"},
    };
    // clang-format on
    for (const auto& c : urls)
        QCOMPARE(QString::fromStdString(RemotePathUrl(server, c.path.toStdString())), c.url);

    // clang-format off
    const struct { const char *reply, *dir; } pwds[] = {
        {"257 \"/pub\" is current.", "/pub"}, {"257 \"/a \"\"b\"\"\" is current", "/a \"b\""},
        {"257 \"\"", ""}, {"257 /pub", ""}, {"257 \"/pub", ""}, {"257 \"/a\"\"", ""},
    };
    // clang-format on
    for (const auto& c : pwds)
        QCOMPARE(ParsePwdReply(c.reply), std::string(c.dir));

    // clang-format off
    const struct { QByteArray name; bool safe; } names[] = {
        {"page.html", true}, {" caf\xe9 .txt", true}, {"..hidden..", true}, {"..", false},
        {".", false}, {"", false}, {"../etc/passwd", false}, {"a/", false},
        {QByteArray("a\0b", 3), false},
    };
    // clang-format on
    for (const auto& c : names)
        QCOMPARE(IsSafeLocalName(std::string_view(c.name.constData(), size_t(c.name.size()))),
                 c.safe);
    QVERIFY(HasCommandBreak("a\rb") && HasCommandBreak("a\n") &&
            HasCommandBreak(std::string_view("\0", 1)));
    QVERIFY(!HasCommandBreak("a b"));
    QCOMPARE(LocalFileNamePart("/a/b.txt") + "|" + LocalFileNamePart("b") + "|" +
                 LocalFileNamePart("/a/"),
             std::string("b.txt|b|"));
}

QTEST_GUILESS_MAIN(TestFtpLogic)
#include "test_ftp_logic.moc"
