// Guards: FTP client rules without a server: states, error texts, progress, paths, URLs, names.
#include "core/ftp/CertificateTrust.h"
#include "core/ftp/FtpErrors.h"
#include "core/ftp/FtpPaths.h"
#include "core/ftp/SftpHostKey.h"
#include "core/ftp/TSimpleFTP.h"

#include <QtTest>

using namespace pw;
using namespace std::string_literals;

namespace {
// Opens the protected parts that the session layer drives.
struct ProbeFTP : TSimpleFTP {
    using TSimpleFTP::RaiseConnectError;
    using TSimpleFTP::SetProgressInfo;
    using TSimpleFTP::SetState;
    using TSimpleFTP::StatusNotify;
};
// A bar with its label.
struct Gauge : TQuickProgressBar, TQuickLabel {
    int max = -1, position = -1;
    std::string caption = "-";
    void SetMax(int m) override { max = m; }
    void SetPosition(int p) override { position = p; }
    void SetCaption(const std::string& c) override { caption = c; }
};
struct StatusBar : TQuickStatusBar {
    bool simple = false;
    std::string simpleText, panel0; // panel 0 keeps every text, "|" after each
    bool SimplePanel() const override { return simple; }
    void SetSimpleText(const std::string& t) override { simpleText = t; }
    void SetPanelText(int p, const std::string& t) override { panel0 += p == 0 ? t + "|" : ""; }
};
} // namespace

class TestFtpLogic : public QObject {
    Q_OBJECT
private slots:
    void stateChanges() {
        ProbeFTP ftp;
        ftp.HostName = "example.test";
        StatusBar bar;
        ftp.QuickStatus = &bar;
        std::string seen; // the states in turn, "d" for a disconnect
        ftp.OnStateChange = [&](TWinInetControl&, TWinInetState s) { seen += std::to_string(s); };
        ftp.OnDisconnected = [&](TWinInetControl&) { seen += "d"; };
        ftp.StatusNotify(INTERNET_STATUS_RESOLVING_NAME, 0);
        ftp.StatusNotify(INTERNET_STATUS_RESOLVING_NAME, 0); // no change, no event
        ftp.StatusNotify(INTERNET_STATUS_NAME_RESOLVED, 0);
        ftp.QuickProgress = true; // the status bar shows states from here on
        ftp.StatusNotify(INTERNET_STATUS_CONNECTING_TO_SERVER, 0);
        bar.simple = true;
        ftp.StatusNotify(INTERNET_STATUS_CONNECTED_TO_SERVER, 0);
        ftp.StatusNotify(999, 0); // unknown codes change nothing
        QVERIFY(ftp.Disconnect() && ftp.Disconnect());
        // A refused login closes; only a client with SilentExceptions off throws.
        ftp.UserName = "editor";
        ftp.SetState(wisConnecting);
        ftp.RaiseConnectError(12013);
        ftp.SetState(wisConnecting);
        ftp.SilentExceptions = false;
        std::string message = "nothing thrown";
        try {
            ftp.RaiseConnectError(12013);
        } catch (const EWinInetError& e) {
            message = e.what();
        }
        QCOMPARE(message, "Bad user name: 'editor' connecting to example.test");
        // clang-format off
        const struct { unsigned code; const char* message; } cases[] = { // each code's message
            {12002, "Connection to host.test timed out"}, {12004, "Internal WININET error"},
            {12007, "Unable to resolve host name 'host.test'"},
            {12013, "Bad user name: 'editor' connecting to host.test"},
            {12014, "Bad password connecting to host.test"}, {12015, "Unable to connect to host.test"},
            {12029, "Unable to connect to host.test"}, {4711, "General Connection Error to host.test"},
        };
        // clang-format on
        for (const auto& c : cases)
            QCOMPARE(ConnectErrorMessage(c.code, "host.test", "editor"), std::string(c.message));
        QCOMPARE(seen, "45231d2121");
        QCOMPARE(bar.panel0 + bar.simpleText, "Connecting to example.test|No connection");
        std::string texts;
        for (int s = wisClosing; s <= wisResolved + 1; ++s)
            texts += ftp.StateText(TWinInetState(s)) + "|";
        QCOMPARE(texts, "Disconnecting from example.test|No connection|Connecting to example.test|"
                        "Connected to example.test|Resolving name example.test|Resolved name "
                        "example.test|Unknown state!  Contact support ...|");
    }

    // After each count: BytesDone (a zero count completes, an overshoot clamps, no size stays 0)
    // and the file bar in percent, rounded; the batch bar and its label once a batch is set.
    void progress() {
        // clang-format off
        const struct { qint64 total; QList<qint64> counts, done; QList<int> percent; } cases[] = {
            {100, {30, 30, 40}, {30, 60, 100}, {30, 60, 100}}, {100, {30, 0}, {30, 100}, {30, 100}},
            {100, {60, 41}, {60, 100}, {60, 100}}, {8, {1, 2}, {1, 3}, {12, 38}}, {1, {1}, {1}, {100}},
            {0, {10, 10}, {0, 0}, {0, 0}},
            {6000000000, {3000000000, 2999999999}, {3000000000, 5999999999}, {50, 100}},
        };
        // clang-format on
        const unsigned kSent = INTERNET_STATUS_REQUEST_SENT;
        for (const auto& c : cases) {
            ProbeFTP ftp;
            Gauge major, minor;
            ftp.QuickProgressMajor = &major;
            ftp.QuickProgressMinor = &minor;
            ftp.QuickLabelMajor = &major;
            ftp.QuickLabelMinor = &minor;
            ftp.QuickProgress = true;
            int events = 0;
            ftp.OnTransferProgress = [&](TSimpleFTP&, const TFTPProgressInfo&) { ++events; };
            ftp.SetProgressInfo({0, c.total, 0, 0, ""});
            ftp.StatusNotify(INTERNET_STATUS_CONNECTED_TO_SERVER, 0); // not a count: no update
            QCOMPARE(minor.position, -1);
            ftp.StatusNotify(kSent, 5);
            QCOMPARE(events, 0); // no file name yet: no event
            ftp.SetProgressInfo({0, c.total, 0, 0, "page.html"});
            for (int i = 0; i < c.counts.size(); ++i) {
                ftp.StatusNotify(i % 2 ? INTERNET_STATUS_RESPONSE_RECEIVED : kSent, c.counts[i]);
                QCOMPARE(qint64(ftp.ProgressInfo().BytesDone), c.done[i]);
                QCOMPARE(minor.position, c.percent[i]);
            }
            QCOMPARE(events, int(c.counts.size()));
            ftp.StatusNotify(INTERNET_STATUS_CONNECTING_TO_SERVER, 1000); // not counted
            QCOMPARE(qint64(ftp.ProgressInfo().BytesDone), c.done.back());
            QCOMPARE(major.caption + "|" + minor.caption + "|" + std::to_string(major.max) + "|" +
                         std::to_string(minor.max),
                     "-|page.html|0|100");
            ftp.SetBatchPosition(1, 1);
            ftp.StatusNotify(kSent, 0);
            QCOMPARE(major.caption + "|" + std::to_string(major.position), "1 of 1|1");
        }
    }

    void pathRules() {
        TSimpleFTP ftp;
        QCOMPARE(ftp.AddSlash("") + " " + ftp.AddSlash("/pub") + " " + ftp.AddSlash("/pub/") + " " +
                     TSimpleFTP::AddBackslash("") + " " + TSimpleFTP::AddBackslash("/a") + " " +
                     TSimpleFTP::AddBackslash("/"),
                 std::string("/ /pub/ /pub/ / /a/ /"));
        ftp.SetFileSystemType(ftUnknown);
        QCOMPARE(ftp.AddSlash("/pub"), std::string("/pub"));
        QVERIFY(ftp.ChangeDir("../x/") && ftp.RemoteDir() == "../x/"); // offline: kept as given

        // clang-format off
        const struct { const char *text, *host; int port; } hosts[] = {
            {"ftp.example.test", "ftp.example.test", 21}, {"h:2121", "h", 2121}, {"h:1", "h", 1},
            {"h:65535", "h", 65535},
            {"h:0", "h", 21}, {"h:65536", "h", 21}, {"h:065535", "h", 21}, {"h:", "h", 21},
            {"h:2x", "h", 21},
            {"::1", "::1", 21}, {"[::1]:990", "::1", 990}, {"[::1]", "::1", 21}, {"[::1", "[::1", 21},
        };
        const struct { std::string_view path; const char* url; } urls[] = {
            {"/caf\xe9", "ftp://h:21/%2Fcaf%E9"}, {"/", "ftp://h:21/%2F"},
            {"AZaz09-._~", "ftp://h:21/AZaz09-._~"},
            {"@[`{/#?%; ", "ftp://h:21/%40%5B%60%7B/%23%3F%25%3B%20"},
        };
        const struct { const char *reply, *dir; } pwds[] = {
            {"257 \"/pub\" is current.", "/pub"}, {"257 \"/a \"\"b\"\"\" is current", "/a \"b\""},
            {"257 \"\"", ""}, {"257 /pub", ""}, {"257 \"/pub", ""}, {"257 \"/a\"\"", ""},
        };
        const struct { std::string_view name; bool safe; } names[] = {
            {"page.html", true}, {" caf\xe9 .txt", true}, {"..hidden..", true}, {"..", false},
            {".", false},
            {"", false}, {"../etc/passwd", false}, {"a/", false}, {std::string_view("a\0b", 3), false},
        };
        // A fingerprint as typed or pasted: hexadecimal pairs in any case, apart by colons or white
        // space, after an optional "name=" prefix. Anything else is no fingerprint.
        const std::pair<const char*, const char*> prints[] = {
            {"ab:cd", "AB:CD"}, {"sha256 Fingerprint=ab cd\tEf\r\n09:", "AB:CD:EF:09"},
            {"abcd09", "AB:CD:09"}, {"", ""}, {"=", ""}, {"ab:c", ""}, {"ab:cx", ""}, {"ab-cd", ""},
            {"a=b=cd", ""}, {"ab\x01" "cd", ""},
        };
        // The key type that a server's host key names: inside the key, 1 to 64 bytes long.
        const std::pair<std::string, std::string> keys[] = {
            {"\0\0\0\7ssh-rsa"s, "ssh-rsa"}, {"\0\0\0\10ssh-rsa"s, "unknown"}, {"\0\0\0\0"s, "unknown"},
            {"\0\0\0\100"s + std::string(64, 'k'), std::string(64, 'k')},
            {"\0\0\0\101"s + std::string(65, 'k'), "unknown"}, {"\0\0\7"s, "unknown"},
        };
        // clang-format on
        for (const auto& [text, normal] : prints)
            QCOMPARE(QString::fromStdString(NormalizeFingerprint(text)), normal);
        for (const auto& [key, type] : keys) {
            HostKeyCheck check;
            const std::vector<unsigned char> bytes(key.begin(), key.end()); // no byte beyond
            DecideHostKey(check, bytes.data(), bytes.size(), KnownHostMatch::Listed, "");
            QCOMPARE(check.Key.Subject, type + " host key");
        }
        for (const auto& c : hosts) {
            const THostPort hp = SplitHostPort(c.text, 21);
            QCOMPARE(QString::fromStdString(hp.Host) + ":" + QString::number(hp.Port),
                     QString(c.host) + ":" + QString::number(c.port));
        }
        QCOMPARE(ServerUrl("ftp", {"::1", 21}), std::string("ftp://[::1]:21/"));
        for (const auto& c : urls)
            QCOMPARE(QString::fromStdString(RemotePathUrl(ServerUrl("ftp", {"h", 21}), c.path)),
                     c.url);
        for (const auto& c : pwds)
            QCOMPARE(ParsePwdReply(c.reply), std::string(c.dir));
        for (const auto& c : names)
            QCOMPARE(IsSafeLocalName(c.name), c.safe);
        QVERIFY(HasCommandBreak("a\rb") && HasCommandBreak("a\n") &&
                HasCommandBreak(std::string_view("\0", 1)) && !HasCommandBreak("a b"));
        QCOMPARE(LocalFileNamePart("/a/b.txt") + "|" + LocalFileNamePart("b") + "|" +
                     LocalFileNamePart("/a/"),
                 std::string("b.txt|b|"));
        // A switch to SFTP moves the old default port, or none, to 22; a chosen port stays.
        // clang-format off
        const std::pair<int, int> switches[] = {{0, 22}, {-1, 22}, {65536, 22}, {21, 22}, {1, 1},
                                                {2121, 2121}, {65535, 65535}};
        // clang-format on
        for (const auto& [port, after] : switches) {
            ftp.Port = port;
            ftp.SetProtocol(FtpProtocol::Sftp);
            QCOMPARE(ftp.Port.load(), after);
            ftp.SetProtocol(FtpProtocol::Ftp);
        }
    }
};

QTEST_GUILESS_MAIN(TestFtpLogic)
#include "test_ftp_logic.moc"
