// Guards: the FTP client against servers that go silent, stall, vanish or refuse, and aborts.
#include "support/FtpServer.h"
#include "support/LocalFiles.h"
#include "support/TableRows.h"

#include "core/ftp/FtpErrors.h"
#include "core/ftp/TSimpleFTP.h"

#include <QElapsedTimer>
#include <QtTest>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

using namespace pw;

namespace {
// Whether the server closed a connection to 127.0.0.1:`port` this side holds (CLOSE_WAIT, 08).
bool ServerClosedConnection(quint16 port) {
    QFile file(QStringLiteral("/proc/net/tcp"));
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QByteArray remote =
        "0100007F:" + QByteArray::number(port, 16).rightJustified(4, '0').toUpper();
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() > 3 && fields[2] == remote && fields[3] == "08") return true;
    }
    return false;
}

// A server with /big.bin, a local big.bin "as it was", a component that counts disconnects.
struct Rig {
    FtpServer server;
    QTemporaryDir local;
    const QString target = local.filePath("big.bin");
    TSimpleFTP ftp;
    int disconnects = 0;

    explicit Rig(const QStringList& args, bool passive = true) : server(args) {
        server.writeFile("big.bin", Pattern(3000000));
        WriteLocal(target, "as it was");
        ftp.HostName = server.hostName();
        ftp.SetPassive(passive);
        ftp.SetConnectTimeout(5000);
        ftp.OnDisconnected = [this](TWinInetControl&) { ++disconnects; };
    }
    // An upload larger than what the sockets' buffers on both sides take in.
    bool bigUpload() const { return WriteLocal(target, QByteArray(48 << 20, 'u')); }
    bool run(const QString& what) {
        if (what == "connect") return ftp.Connect();
        if (what == "get") return ftp.Get("/big.bin", target.toStdString());
        if (what == "put") return ftp.Put(target.toStdString(), "/up.bin");
        return ftp.Refresh();
    }
    // A failed download leaves the local file as it was and nothing beside it.
    bool untouched() const {
        return ReadLocal(target) == "as it was" &&
               QDir(local.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot) ==
                   QStringList{"big.bin"};
    }
};

struct Interruption {
    const char* name;
    const char* what; // "connect", "get", "put" or "list"
    QStringList server;
    bool passive;
    int timeout; // > 0: times out after it; 0: the server vanishes; -1: aborted
};
const QStringList kStall{"--stall-after", "100000"}, kSilent{"--silent"},
    kDrop{"--drop-after", "300000"}, kSlow{"--throttle", "100000"};
const Interruption kInterruptions[] = {
    {"silent server, 1.5 s", "connect", kSilent, true, 1500},
    {"passive download stalls", "get", kStall, true, 2000},
    {"active download stalls", "get", kStall, false, 2500},
    // The listing that looks the file up sends nothing at all.
    {"stops before the first byte", "get", {"--stall-after", "0"}, true, 2000},
    {"passive upload stalls", "put", kStall, true, 2000},
    {"active upload stalls", "put", kStall, false, 2000},
    {"passive download, server vanishes", "get", kDrop, true, 0},
    {"active download, server vanishes", "get", kDrop, false, 0},
    {"abort connect", "connect", kSilent, true, -1},
    {"abort active listing", "list", {"--throttle", "10000"}, false, -1},
    {"abort passive download", "get", kSlow, true, -1},
    {"abort active download", "get", kSlow, false, -1},
    {"abort passive upload", "put", kSlow, true, -1},
    {"abort active upload", "put", kSlow, false, -1},
};

struct Login {
    const char* name;
    QString server; // "login", "busy" (421) or "none" (nobody listening)
    std::string user, password;
    TResolveNames resolve; // a proxy where nobody listens is named in every row
    std::vector<std::string> bypass;
    const char* message; // empty: the login succeeds
};
const char *kBad = "Bad password connecting to %1", *kUnable = "Unable to connect to %1";
const Login kLogins[] = {
    {"right", "login", "editor", "s3cret pass", rnLocal, {}, ""},
    {"wrong password", "login", "editor", "guess", rnLocal, {}, kBad},
    {"anonymous refused", "login", "", "", rnLocal, {}, kBad},
    {"server too busy", "busy", "", "", rnLocal, {}, kUnable},
    {"nobody listening", "none", "", "", rnLocal, {}, kUnable},
    {"through the dead proxy", "login", "editor", "s3cret pass", rnProxy, {}, kUnable},
    {"proxy bypassed", "login", "editor", "s3cret pass", rnProxy, {"localhost", "127.0.0.1"}, ""},
};
} // namespace

class TestFtpFailures : public QObject {
    Q_OBJECT

private slots:
    // Silence or a stall (connections kept open) fails when the time-out has passed: not before
    // (not rounded down to whole seconds), not much later; a vanished server or Abort from the
    // window's thread at once. The connection ends once, the local file stays as it was.
    void interrupted_data() { addRows(kInterruptions); }
    void interrupted() {
        const Interruption& row = kInterruptions[fetchedRow()];
        const QString what = row.what;
        const int timeout = row.timeout;
        Rig r(row.server, row.passive);
        QVERIFY2(r.server.isRunning(), qPrintable(r.server.errorString()));
        if (what == "list")
            for (int i = 0; i < 1500; ++i)
                QVERIFY(r.server.writeFile(QStringLiteral("file number %1.txt").arg(i), "x"));
        if (what == "put") QVERIFY(r.bigUpload());
        r.ftp.SetConnectTimeout(timeout > 0 ? unsigned(timeout) : 60000);
        if (what != "connect") QVERIFY(r.ftp.Connect());
        r.ftp.SilentExceptions = what != "connect" || timeout < 0;
        std::atomic<bool> result{true}, done{false};
        QString thrown;
        QElapsedTimer timer;
        timer.start();
        std::thread worker([&] {
            try {
                result = r.run(what);
            } catch (const EWinInetError& e) {
                result = false;
                thrown = e.what();
            }
            done = true;
        });
        bool running = true;
        if (timeout < 0) {
            running = QTest::qWaitFor(
                [&] {
                    if (what == "connect") return r.ftp.State() == wisConnecting;
                    if (what == "list") return !r.server.commands().filter("MLSD").isEmpty();
                    return r.ftp.ProgressInfo().BytesDone >= 50000;
                },
                15000);
            running &= !done;
            timer.restart();
            r.ftp.Abort();
        }
        worker.join();
        const qint64 took = timer.elapsed();
        QVERIFY(running && !result);
        if (timeout)
            QVERIFY2(timeout < 0 ? took < 5000 : took >= timeout - 50 && took < timeout + 2000,
                     qPrintable(QString::number(took)));
        if (timeout > 0 && what == "connect")
            QCOMPARE(thrown,
                     "Connection to " + QString::fromStdString(r.ftp.HostName) + " timed out");
        QCOMPARE(r.ftp.State(), wisClosed);
        QCOMPARE(r.disconnects, what == "connect" ? 0 : 1);
        if (what == "get") QVERIFY(r.untouched());
        if (what == "connect" || timeout == 0) return;
        QVERIFY(r.ftp.Connect());
        QCOMPARE(r.ftp.RemoteDir(), std::string("/"));
    }

    // Abort or Disconnect from an event of the running operation, during a transfer or between
    // the requests of a listing, a connect or a change of folder: the operation stops, the
    // component is disconnected once, and the stop does not linger.
    void abortFromOwnEvent_data() {
        QTest::addColumn<QString>("event");
        QTest::addColumn<bool>("useDisconnect");
        for (const char* event :
             {"OnTransferProgress", "OnFindItem", "OnConnected", "OnDirectoryChange"}) {
            QTest::addRow("Abort in %s", event) << QString(event) << false;
            QTest::addRow("Disconnect in %s", event) << QString(event) << true;
        }
    }

    void abortFromOwnEvent() {
        QFETCH(QString, event);
        QFETCH(bool, useDisconnect);
        Rig r({"--throttle", "200000"});
        QVERIFY2(r.server.isRunning(), qPrintable(r.server.errorString()));
        QVERIFY(r.server.writeFile("sub/two.txt", "x") && r.server.writeFile("sub/3.txt", "x"));
        TSimpleFTP& ftp = r.ftp;
        int seen = 0;
        const auto stopIn = [&](const QString& name, TWinInetControl& sender) {
            if (name == event && seen++ == 0)
                useDisconnect ? (void)sender.Disconnect() : sender.Abort();
        };
        ftp.OnConnected = [&](TWinInetControl& s) { stopIn("OnConnected", s); };
        ftp.OnDirectoryChange = [&](TSimpleFTP& s) { stopIn("OnDirectoryChange", s); };
        ftp.OnFindItem = [&](TSimpleFTP& s, const TFtpFindData&) { stopIn("OnFindItem", s); };
        ftp.OnTransferProgress = [&](TSimpleFTP& s, const TFTPProgressInfo& info) {
            if (info.BytesDone > 10000 && seen == 0) stopIn("OnTransferProgress", s);
        };
        QVERIFY(!(ftp.Connect() && ftp.ChangeDir("/sub") && ftp.Refresh() &&
                  ftp.Get("/big.bin", r.target.toStdString())));
        QCOMPARE(seen, 1);
        QCOMPARE(ftp.State(), wisClosed);
        QCOMPARE(r.disconnects, 1);
        QCOMPARE(ftp.ReadDirectory("", nullptr, false), 0);
        QVERIFY(r.untouched());
        QVERIFY(ftp.Connect());
        QVERIFY(ftp.Refresh());
    }

    // A fresh login would list the top folder as if it were the one the component was in: after a
    // lost control connection the listing fails; connecting again returns to that folder.
    void lostConnectionIsNotReplaced() {
        Rig r({"--idle-timeout", "1"});
        QVERIFY2(r.server.isRunning(), qPrintable(r.server.errorString()));
        QVERIFY(r.server.makeDir("sub"));
        QVERIFY(r.ftp.Connect());
        QVERIFY(r.ftp.ChangeDir("/sub"));
        QVERIFY(QTest::qWaitFor([&] { return ServerClosedConnection(r.server.port()); }, 15000));
        QCOMPARE(r.ftp.ReadDirectory("", nullptr, false), 0); // a new login would list "/"
        QCOMPARE(r.ftp.State(), wisClosed);
        QCOMPARE(r.disconnects, 1);
        QVERIFY(r.ftp.Connect());
        QCOMPARE(r.ftp.RemoteDir(), std::string("/sub"));
    }

    // The window reads the component while a worker thread logs in, changes folder and
    // downloads: every read sees a whole value (under ThreadSanitizer a race shows up here).
    void readsWhileWorking() {
        Rig r({"--throttle", "200000"});
        QVERIFY2(r.server.isRunning(), qPrintable(r.server.errorString()));
        QVERIFY(r.server.writeFile("sub/big.bin", Pattern(300000)));
        TSimpleFTP& ftp = r.ftp;
        ftp.LocalDir = r.local.path().toStdString();
        ftp.OnLogin = [](TSimpleFTP&, std::string& user, std::string&) { user = "anonymous"; };
        std::atomic<bool> ok{false}, done{false};
        std::thread worker([&] {
            ok = ftp.Connect() && ftp.ChangeDir("/sub") && ftp.GetFile("big.bin");
            done = true;
        });
        QSet<QString> dirs, users;
        int64_t lastDone = 0;
        bool orderly = true;
        while (!done) {
            const TFTPProgressInfo p = ftp.ProgressInfo();
            orderly &= p.BytesDone <= p.BytesTotal;
            if (p.FileName == "big.bin") {
                orderly &= p.BytesDone >= lastDone;
                lastDone = p.BytesDone;
            }
            dirs << QString::fromStdString(ftp.RemoteDir());
            users << QString::fromStdString(ftp.UserName);
            (void)ftp.IsConnected();
            (void)ftp.LastResponse.get();
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        worker.join();
        QVERIFY(ok && orderly);
        QCOMPARE(ftp.ProgressInfo().BytesDone, int64_t(300000));
        QVERIFY2((dirs - QSet<QString>{"", "/", "/sub"}).isEmpty(),
                 qPrintable(dirs.values().join(",")));
        QVERIFY((users - QSet<QString>{"", "anonymous"}).isEmpty());
        QCOMPARE(ReadLocal(r.local.filePath("big.bin")), Pattern(300000));
    }

    // A refused login fails with its message and leaves the component closed; a proxy counts
    // only with rnProxy, and not for the hosts on the bypass list.
    void refusedLogins() {
        const Login& row = kLogins[fetchedRow()];
        const QStringList login{"--user", "editor", "--password", "s3cret pass"};
        Rig r(row.server == "busy" ? QStringList{"--busy"} : login);
        QVERIFY2(r.server.isRunning(), qPrintable(r.server.errorString()));
        if (row.server == "none") r.server.kill(); // the port is free now
        r.ftp.UserName = row.user;
        r.ftp.Password = row.password;
        r.ftp.SetResolveNames(row.resolve);
        r.ftp.ProxyName = "127.0.0.1:1";
        r.ftp.ProxyBypassList = row.bypass;
        const QString message =
            *row.message ? QString(row.message).arg(QString::fromStdString(r.ftp.HostName)) : "";
        r.ftp.SilentExceptions = false;
        QString thrown;
        try {
            QVERIFY(r.ftp.Connect());
        } catch (const EWinInetError& e) {
            thrown = e.what();
        }
        QCOMPARE(thrown, message);
        QCOMPARE(r.ftp.State(), message.isEmpty() ? wisConnected : wisClosed);
    }

    // Closing says QUIT; a server that never answers it must not hold Disconnect (which the
    // main window may call on its own thread) or the destructor for the connect time-out.
    void unansweredQuit() {
        auto r = std::make_unique<Rig>(QStringList{"--mute-quit"});
        QVERIFY2(r->server.isRunning(), qPrintable(r->server.errorString()));
        r->ftp.SetConnectTimeout(60000);
        for (bool destroy : {false, true}) {
            QVERIFY(r->ftp.Connect());
            QElapsedTimer timer;
            timer.start();
            destroy ? r.reset() : (void)r->ftp.Disconnect();
            QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));
            if (destroy) continue;
            QCOMPARE(r->disconnects, 1);
            QCOMPARE(r->server.commands().filter("QUIT").size(), 1);
        }
    }
    void refusedLogins_data() { addRows(kLogins); }
};

QTEST_GUILESS_MAIN(TestFtpFailures)
#include "test_ftp_failures.moc"
