// Guards: the FTP client against servers that go silent, stall, vanish or refuse, and aborts.
#include "support/FtpServer.h"
#include "support/LocalFiles.h"

#include "core/ftp/FtpErrors.h"
#include "core/ftp/TSimpleFTP.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

using namespace pw;

namespace {
// The names in a folder: a failed download leaves only what was there.
QStringList Names(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
}

void Setup(TSimpleFTP& ftp, const FtpServer& server, bool passive = true) {
    ftp.HostName = server.hostName();
    ftp.SetPassive(passive);
    ftp.SetConnectTimeout(5000);
}

int ListingCommands(const FtpServer& server) {
    int count = 0;
    for (const QString& command : server.commands())
        count += command.startsWith("MLSD") || command.startsWith("LIST");
    return count;
}

// Whether the server has closed a connection to `port` of 127.0.0.1 that this side still
// holds open: the kernel lists it as CLOSE_WAIT (08) in /proc/net/tcp.
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

// The operations a row runs: "connect", "get", "put" or "list".
bool Run(TSimpleFTP& ftp, const QString& what, const QString& local) {
    if (what == "connect") return ftp.Connect();
    if (what == "get") return ftp.Get("/big.bin", local.toStdString());
    if (what == "put") return ftp.Put(local.toStdString(), "/up.bin");
    return ftp.Refresh();
}
} // namespace

class TestFtpFailures : public QObject {
    Q_OBJECT

private slots:
    void timeouts_data();
    void timeouts();
    void abortFromAnotherThread_data();
    void abortFromAnotherThread();
    void abortFromOwnEvent_data();
    void abortFromOwnEvent();
    void serverVanishesDuringDownload_data();
    void serverVanishesDuringDownload();
    void lostConnectionIsNotReplaced_data();
    void lostConnectionIsNotReplaced();
    void readsWhileWorking();
    void refusedLogins_data();
    void refusedLogins();
    void readOnlyAndProxy();
    void unansweredQuit();
};

// A silent server fails the connect, a stalled transfer (data stopped either way, connections
// kept open) fails: when the time-out has passed, not before (it is not rounded down to whole
// seconds) and not much later. The connection ends; a new one works.
void TestFtpFailures::timeouts_data() {
    QTest::addColumn<QString>("what");
    QTest::addColumn<QStringList>("serverArgs");
    QTest::addColumn<bool>("passive");
    QTest::addColumn<int>("timeout");
    const QStringList stall{"--stall-after", "100000"};
    QTest::newRow("silent server, 1 s") << "connect" << QStringList{"--silent"} << true << 1000;
    QTest::newRow("silent server, 1.5 s") << "connect" << QStringList{"--silent"} << true << 1500;
    QTest::newRow("passive download") << "get" << stall << true << 2000;
    QTest::newRow("active download") << "get" << stall << false << 2500;
    // The listing that looks the file up sends nothing at all.
    QTest::newRow("stops before the first byte")
        << "get" << QStringList{"--stall-after", "0"} << true << 2000;
    QTest::newRow("passive upload") << "put" << stall << true << 2000;
    QTest::newRow("active upload") << "put" << stall << false << 2000;
}

void TestFtpFailures::timeouts() {
    QFETCH(QString, what);
    QFETCH(QStringList, serverArgs);
    QFETCH(bool, passive);
    QFETCH(int, timeout);
    FtpServer server(serverArgs);
    QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
    QVERIFY(server.writeFile("big.bin", Pattern(1000000)));
    QTemporaryDir local;
    const QString target = local.filePath("big.bin");
    // An upload larger than what the sockets' buffers on both sides take in.
    QVERIFY(WriteLocal(target, what == "put" ? QByteArray(48 << 20, 'u') : "as it was"));
    TSimpleFTP ftp;
    Setup(ftp, server, passive);
    ftp.SetConnectTimeout(unsigned(timeout));
    if (what != "connect") QVERIFY(ftp.Connect());
    ftp.SilentExceptions = what != "connect";
    QElapsedTimer timer;
    timer.start();
    try {
        QVERIFY(!Run(ftp, what, target));
        QVERIFY(what != "connect");
    } catch (const EWinInetError& e) {
        QCOMPARE(QString(e.what()),
                 "Connection to " + QString::fromStdString(ftp.HostName) + " timed out");
    }
    const qint64 took = timer.elapsed();
    QVERIFY2(took >= timeout - 50 && took < timeout + 2000, qPrintable(QString::number(took)));
    QCOMPARE(ftp.State(), wisClosed);
    if (what == "get") {
        QCOMPARE(ReadLocal(target), QByteArray("as it was"));
        QCOMPARE(Names(local.path()), QStringList{"big.bin"});
    }
    if (what != "connect") QVERIFY(ftp.Connect());
}

// Abort from the window's thread ends a connect, a listing or a transfer at once (far less than
// the minute of the time-out); the component is disconnected and can connect again.
void TestFtpFailures::abortFromAnotherThread_data() {
    QTest::addColumn<QString>("what");
    QTest::addColumn<bool>("passive");
    QTest::newRow("connect to a silent server") << "connect" << true;
    QTest::newRow("active listing") << "list" << false;
    QTest::newRow("passive download") << "get" << true;
    QTest::newRow("active download") << "get" << false;
    QTest::newRow("passive upload") << "put" << true;
    QTest::newRow("active upload") << "put" << false;
}

void TestFtpFailures::abortFromAnotherThread() {
    QFETCH(QString, what);
    QFETCH(bool, passive);
    FtpServer server(what == "connect"
                         ? QStringList{"--silent"}
                         : QStringList{"--throttle", what == "list" ? "10000" : "100000"});
    QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
    const QByteArray content = Pattern(3000000);
    QVERIFY(server.writeFile("big.bin", content));
    if (what == "list")
        for (int i = 0; i < 1500; ++i)
            QVERIFY(server.writeFile(QStringLiteral("file number %1.txt").arg(i), "x"));
    QTemporaryDir local;
    const QString target = local.filePath("big.bin");
    QVERIFY(WriteLocal(target, what == "put" ? content : QByteArray("previous version")));
    TSimpleFTP ftp;
    Setup(ftp, server, passive);
    ftp.SetConnectTimeout(60000);
    if (what != "connect") QVERIFY(ftp.Connect());
    std::atomic<int64_t> progressed{0};
    ftp.OnTransferProgress = [&](TSimpleFTP&, const TFTPProgressInfo& i) {
        progressed = i.BytesDone;
    };
    const int listings = ListingCommands(server);
    std::atomic<bool> result{true}, done{false};
    std::thread worker([&] {
        result = Run(ftp, what, target);
        done = true;
    });
    QVERIFY(QTest::qWaitFor(
        [&] {
            if (what == "connect") return ftp.State() == wisConnecting;
            if (what == "list") return ListingCommands(server) > listings;
            return progressed.load() >= 50000;
        },
        15000));
    QVERIFY(!done);
    QElapsedTimer timer;
    timer.start();
    ftp.Abort();
    worker.join();
    QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));
    QVERIFY(!result);
    QCOMPARE(ftp.State(), wisClosed);
    QVERIFY(!ftp.IsConnected());
    if (what == "get") {
        QCOMPARE(ReadLocal(target), QByteArray("previous version"));
        QCOMPARE(Names(local.path()), QStringList{"big.bin"});
    }
    if (what == "connect") return;
    QVERIFY(ftp.Connect());
    QCOMPARE(ftp.RemoteDir(), std::string("/"));
}

// Abort or Disconnect from an event of the running operation, during a transfer or between
// the requests of a listing, a connect or a change of folder: the operation stops, the
// component is disconnected once, and the stop does not linger.
void TestFtpFailures::abortFromOwnEvent_data() {
    QTest::addColumn<QString>("event");
    QTest::addColumn<bool>("useDisconnect");
    for (const char* event :
         {"OnTransferProgress", "OnFindItem", "OnConnected", "OnDirectoryChange"}) {
        QTest::addRow("Abort in %s", event) << QString(event) << false;
        QTest::addRow("Disconnect in %s", event) << QString(event) << true;
    }
}

void TestFtpFailures::abortFromOwnEvent() {
    QFETCH(QString, event);
    QFETCH(bool, useDisconnect);
    FtpServer server({"--throttle", "200000"});
    QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
    QVERIFY(server.writeFile("big.bin", Pattern(2000000)));
    QVERIFY(server.writeFile("two.txt", "x"));
    QVERIFY(server.makeDir("sub"));
    QTemporaryDir local;
    const QString target = local.filePath("big.bin");
    QVERIFY(WriteLocal(target, "previous version"));
    TSimpleFTP ftp;
    Setup(ftp, server);
    int disconnects = 0, seen = 0;
    ftp.OnDisconnected = [&](TWinInetControl&) { ++disconnects; };
    const auto stop = [&](TWinInetControl& sender) {
        ++seen;
        useDisconnect ? (void)sender.Disconnect() : sender.Abort();
    };
    if (event == "OnConnected") {
        ftp.OnConnected = stop;
        ftp.Connect();
    } else {
        QVERIFY(ftp.Connect());
        if (event == "OnFindItem") {
            ftp.OnFindItem = [&](TSimpleFTP& sender, const TFtpFindData&) { stop(sender); };
            ftp.Refresh();
        } else if (event == "OnDirectoryChange") {
            ftp.OnDirectoryChange = stop;
            QVERIFY(ftp.ChangeDir("/sub"));
        } else {
            ftp.OnTransferProgress = [&](TSimpleFTP& sender, const TFTPProgressInfo& info) {
                if (info.BytesDone > 10000 && seen == 0) stop(sender);
            };
            QVERIFY(!ftp.Get("/big.bin", target.toStdString()));
        }
    }
    QCOMPARE(seen, 1);
    QCOMPARE(ftp.State(), wisClosed);
    QCOMPARE(disconnects, 1);
    QCOMPARE(ftp.ReadDirectory("", nullptr, false), 0);
    QCOMPARE(ReadLocal(target), QByteArray("previous version"));
    QCOMPARE(Names(local.path()), QStringList{"big.bin"});
    ftp.OnConnected = nullptr;
    ftp.OnFindItem = nullptr;
    ftp.OnDirectoryChange = nullptr;
    ftp.OnTransferProgress = nullptr;
    QVERIFY(ftp.Connect());
    QVERIFY(ftp.Refresh());
}

void TestFtpFailures::serverVanishesDuringDownload_data() {
    QTest::addColumn<bool>("passive");
    QTest::addColumn<bool>("hadFile");
    QTest::newRow("passive, replaces a file") << true << true;
    QTest::newRow("active, replaces a file") << false << true;
    QTest::newRow("passive, new file") << true << false;
}

void TestFtpFailures::serverVanishesDuringDownload() {
    QFETCH(bool, passive);
    QFETCH(bool, hadFile);
    FtpServer server({"--drop-after", "300000"});
    QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
    QVERIFY(server.writeFile("page.html", Pattern(1000000)));
    QTemporaryDir local;
    const QString target = local.filePath("page.html");
    if (hadFile) QVERIFY(WriteLocal(target, "the page as it was"));
    TSimpleFTP ftp;
    Setup(ftp, server, passive);
    int disconnects = 0;
    ftp.OnDisconnected = [&](TWinInetControl&) { ++disconnects; };
    QVERIFY(ftp.Connect());
    QVERIFY(!ftp.Get("/page.html", target.toStdString()));
    QCOMPARE(ReadLocal(target), hadFile ? QByteArray("the page as it was") : "<missing>");
    QCOMPARE(Names(local.path()), hadFile ? QStringList{"page.html"} : QStringList());
    QCOMPARE(ftp.State(), wisClosed);
    QCOMPARE(disconnects, 1);
    QVERIFY(!ftp.Refresh());
}

// A fresh login would list the top folder as if it were the one the component was in: after a
// lost control connection the listing fails; connecting again returns to that folder.
void TestFtpFailures::lostConnectionIsNotReplaced_data() {
    QTest::addColumn<bool>("kill");
    QTest::newRow("server closes an idle connection") << false;
    QTest::newRow("server is gone") << true;
}

void TestFtpFailures::lostConnectionIsNotReplaced() {
    QFETCH(bool, kill);
    FtpServer server({"--idle-timeout", "1"});
    QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
    QVERIFY(server.writeFile("sub/inner.txt", "x"));
    QVERIFY(server.writeFile("top.txt", "x"));
    TSimpleFTP ftp;
    Setup(ftp, server);
    int disconnects = 0;
    ftp.OnDisconnected = [&](TWinInetControl&) { ++disconnects; };
    QVERIFY(ftp.Connect());
    QVERIFY(ftp.ChangeDir("/sub"));
    if (kill)
        server.kill();
    else
        QVERIFY(QTest::qWaitFor([&] { return ServerClosedConnection(server.port()); }, 15000));
    std::vector<std::string> names;
    ftp.OnFindItem = [&](TSimpleFTP&, const TFtpFindData& e) { names.push_back(e.FileName); };
    QVERIFY(!ftp.Refresh());
    QVERIFY(names.empty());
    QCOMPARE(ftp.State(), wisClosed);
    QCOMPARE(disconnects, 1);
    if (kill) return;
    QVERIFY(ftp.Connect());
    QCOMPARE(ftp.RemoteDir(), std::string("/sub"));
    QVERIFY(ftp.Refresh());
    QCOMPARE(names, std::vector<std::string>{"inner.txt"});
}

// The window reads the component while a worker thread logs in, changes folder and
// downloads: every read sees a whole value (under ThreadSanitizer a race shows up here).
void TestFtpFailures::readsWhileWorking() {
    FtpServer server({"--throttle", "200000"});
    QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
    QVERIFY(server.writeFile("sub/big.bin", Pattern(300000)));
    QTemporaryDir local;
    TSimpleFTP ftp;
    Setup(ftp, server);
    ftp.LocalDir = local.path().toStdString();
    ftp.OnLogin = [](TSimpleFTP&, std::string& user, std::string& password) {
        user = "anonymous";
        password = "reader@";
    };
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
    QCOMPARE(ReadLocal(local.filePath("big.bin")), Pattern(300000));
}

void TestFtpFailures::refusedLogins_data() {
    QTest::addColumn<QString>("server"); // "login", "busy" (421) or "none" (nobody listening)
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("message"); // empty: the login succeeds
    const QString bad = "Bad password connecting to %1";
    QTest::newRow("right") << "login"
                           << "editor"
                           << "s3cret pass"
                           << "";
    QTest::newRow("wrong password") << "login"
                                    << "editor"
                                    << "guess" << bad;
    QTest::newRow("unknown user") << "login"
                                  << "nobody"
                                  << "s3cret pass" << bad;
    QTest::newRow("anonymous refused") << "login"
                                       << ""
                                       << "" << bad;
    QTest::newRow("server too busy") << "busy"
                                     << ""
                                     << ""
                                     << "Unable to connect to %1";
    QTest::newRow("nobody listening") << "none"
                                      << ""
                                      << ""
                                      << "Unable to connect to %1";
}

void TestFtpFailures::refusedLogins() {
    QFETCH(QString, server);
    QFETCH(QString, user);
    QFETCH(QString, password);
    QFETCH(QString, message);
    auto running = std::make_unique<FtpServer>(
        server == "busy" ? QStringList{"--busy"}
                         : QStringList{"--user", "editor", "--password", "s3cret pass"});
    QVERIFY2(running->isRunning(), qPrintable(running->errorString()));
    TSimpleFTP ftp;
    Setup(ftp, *running);
    if (server == "none") running.reset(); // the port is free now
    ftp.UserName = user.toStdString();
    ftp.Password = password.toStdString();
    QCOMPARE(ftp.Connect(), message.isEmpty());
    QCOMPARE(ftp.State(), message.isEmpty() ? wisConnected : wisClosed);
    if (message.isEmpty()) return;
    ftp.SilentExceptions = false;
    try {
        ftp.Connect();
        QFAIL("no exception");
    } catch (const EWinInetError& e) {
        QCOMPARE(QString(e.what()), message.arg(QString::fromStdString(ftp.HostName)));
    }
    QCOMPARE(ftp.State(), wisClosed);
}

// A server that refuses every change keeps the connection; a proxy counts only with rnProxy.
void TestFtpFailures::readOnlyAndProxy() {
    FtpServer server({"--read-only"});
    QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
    QVERIFY(server.writeFile("a.txt", "abc"));
    QTemporaryDir local;
    QVERIFY(WriteLocal(local.filePath("up.txt"), "up"));
    TSimpleFTP ftp;
    Setup(ftp, server);
    ftp.SetResolveNames(rnProxy);
    ftp.ProxyName = "127.0.0.1:1"; // nobody listens there
    QVERIFY(!ftp.Connect());
    ftp.ProxyBypassList = {"localhost", "127.0.0.1"};
    QVERIFY(ftp.Connect());
    QVERIFY(!ftp.Put(local.filePath("up.txt").toStdString(), "/up.txt"));
    QVERIFY(!ftp.Rename("/a.txt", "/b.txt"));
    QVERIFY(ftp.IsConnected());
    QVERIFY(ftp.Get("/a.txt", local.filePath("a.txt").toStdString()));
    QCOMPARE(ReadLocal(local.filePath("a.txt")), QByteArray("abc"));
    QVERIFY(!QFile::exists(server.path("up.txt")));
    QVERIFY(ftp.Disconnect());
    ftp.ProxyBypassList.clear();
    ftp.SetResolveNames(rnLocal);
    QVERIFY(ftp.Connect());
}

// Closing says QUIT; a server that never answers it must not hold Disconnect (which the
// main window may call on its own thread) or the destructor for the connect time-out.
void TestFtpFailures::unansweredQuit() {
    FtpServer server({"--mute-quit"});
    QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
    auto ftp = std::make_unique<TSimpleFTP>();
    Setup(*ftp, server);
    ftp->SetConnectTimeout(60000);
    int disconnects = 0;
    ftp->OnDisconnected = [&](TWinInetControl&) { ++disconnects; };
    for (bool destroy : {false, true}) {
        QVERIFY(ftp->Connect());
        QElapsedTimer timer;
        timer.start();
        destroy ? ftp.reset() : (void)ftp->Disconnect();
        QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));
        if (!destroy) QCOMPARE(disconnects, 1);
    }
}

QTEST_GUILESS_MAIN(TestFtpFailures)
#include "test_ftp_failures.moc"
