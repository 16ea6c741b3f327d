// The FTP client against servers that misbehave: silence, slow transfers cancelled from
// another thread, a server that vanishes in the middle of a download, wrong logins.
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
// Names in a folder other than the given ones (left-over temporary files).
QStringList Others(const QString& folder, const QStringList& expected) {
    QStringList names = QDir(folder).entryList(QDir::Files | QDir::NoDotAndDotDot);
    for (const QString& e : expected)
        names.removeAll(e);
    return names;
}

void Setup(TSimpleFTP& ftp, const FtpServer& server, bool passive) {
    ftp.HostName = server.hostName();
    ftp.SetPassive(passive);
    ftp.SetConnectTimeout(5000);
}

// How many listing commands (MLSD or LIST) the server has received.
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
} // namespace

class TestFtpFailures : public QObject {
    Q_OBJECT

private slots:
    void silentServerTimesOut_data();
    void silentServerTimesOut();
    void abortWhileConnecting();
    void abortDuringTransfer_data();
    void abortDuringTransfer();
    void serverVanishesDuringDownload_data();
    void serverVanishesDuringDownload();
    void stalledTransferGivesUp_data();
    void stalledTransferGivesUp();
    void abortFromOwnEvent_data();
    void abortFromOwnEvent();
    void abortFromEventBetweenRequests_data();
    void abortFromEventBetweenRequests();
    void abortDuringListing();
    void readsWhileWorking();
    void lostConnectionIsNotReplaced_data();
    void lostConnectionIsNotReplaced();
    void readOnlyLogin();
    void proxySettings();
    void wrongLogin_data();
    void wrongLogin();
    void refusedConnection_data();
    void refusedConnection();
    void unansweredQuit();
};

// A server that accepts the connection and never greets: the connect fails when the time-out
// has passed, not before (a time-out is not rounded down to whole seconds) and not much later.
void TestFtpFailures::silentServerTimesOut_data() {
    QTest::addColumn<int>("timeout");
    QTest::newRow("1 s") << 1000;
    QTest::newRow("1.5 s") << 1500;
    QTest::newRow("3 s") << 3000;
}

void TestFtpFailures::silentServerTimesOut() {
    QFETCH(int, timeout);
    FtpServer server({"--silent"});
    QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
    TSimpleFTP ftp;
    ftp.HostName = server.hostName();
    ftp.SetConnectTimeout(unsigned(timeout));
    QElapsedTimer timer;
    timer.start();
    QVERIFY(!ftp.Connect());
    const qint64 took = timer.elapsed();
    QVERIFY2(took >= timeout - 50 && took < timeout + 2000, qPrintable(QString::number(took)));
    QCOMPARE(ftp.State(), wisClosed);
    QVERIFY(!ftp.IsConnected());

    ftp.SilentExceptions = false;
    try {
        ftp.Connect();
        QFAIL("no exception");
    } catch (const EWinInetError& e) {
        QCOMPARE(QString(e.what()),
                 QString("Connection to %1 timed out").arg(QString::fromStdString(ftp.HostName)));
    }
}

void TestFtpFailures::abortWhileConnecting() {
    FtpServer server({"--silent"});
    QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
    TSimpleFTP ftp;
    ftp.HostName = server.hostName();
    ftp.SetConnectTimeout(60000);
    std::atomic<bool> result{true};
    std::atomic<bool> done{false};
    std::thread worker([&] {
        result = ftp.Connect();
        done = true;
    });
    // The silent server never greets: once the socket is open the client waits for it.
    const bool connecting = QTest::qWaitFor([&] { return ftp.State() == wisConnecting; }, 15000);
    QElapsedTimer timer;
    timer.start();
    ftp.Abort();
    worker.join();
    QVERIFY(connecting);
    // Far less than the 60 s time-out, with room for a loaded machine.
    QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));
    QVERIFY(done);
    QVERIFY(!result);
    QCOMPARE(ftp.State(), wisClosed);
}

void TestFtpFailures::abortDuringTransfer_data() {
    QTest::addColumn<bool>("passive");
    QTest::addColumn<bool>("upload");
    QTest::newRow("passive download") << true << false;
    QTest::newRow("active download") << false << false;
    QTest::newRow("passive upload") << true << true;
    QTest::newRow("active upload") << false << true;
}

void TestFtpFailures::abortDuringTransfer() {
    QFETCH(bool, passive);
    QFETCH(bool, upload);
    FtpServer server({"--throttle", "100000"});
    QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
    const QByteArray content = Pattern(3000000);
    QVERIFY(server.writeFile("big.bin", content));
    QTemporaryDir local;
    const QString target = local.filePath("big.bin");
    QVERIFY(WriteLocal(target, upload ? content : QByteArray("previous version")));

    TSimpleFTP ftp;
    Setup(ftp, server, passive);
    QVERIFY(ftp.Connect());
    std::atomic<int64_t> progressed{0};
    ftp.OnTransferProgress = [&](TSimpleFTP&, const TFTPProgressInfo& info) {
        progressed = info.BytesDone;
    };
    std::atomic<bool> result{true};
    std::atomic<bool> done{false};
    std::thread worker([&] {
        result = upload ? ftp.Put(target.toStdString(), "/up.bin")
                        : ftp.Get("/big.bin", target.toStdString());
        done = true;
    });
    QElapsedTimer wait;
    wait.start();
    while (progressed.load() < 50000 && wait.elapsed() < 10000 && !done)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    QVERIFY(!done);
    QElapsedTimer timer;
    timer.start();
    ftp.Abort();
    const qint64 abortTook = timer.elapsed();
    worker.join();
    QVERIFY2(abortTook < 5000, qPrintable(QString::number(abortTook)));
    QVERIFY(!result);
    QCOMPARE(ftp.State(), wisClosed);
    QVERIFY(!ftp.IsConnected());
    if (!upload) {
        QCOMPARE(ReadLocal(target), QByteArray("previous version"));
        QCOMPARE(Others(local.path(), {"big.bin"}), QStringList());
    }
    // The component can connect again after an abort.
    QVERIFY(ftp.Connect());
    QCOMPARE(ftp.RemoteDir(), std::string("/"));
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
    QElapsedTimer timer;
    timer.start();
    QVERIFY(!ftp.Get("/page.html", target.toStdString()));
    QVERIFY(timer.elapsed() < 10000);
    QCOMPARE(ReadLocal(target), hadFile ? QByteArray("the page as it was") : "<missing>");
    QCOMPARE(Others(local.path(), {"page.html"}), QStringList());
    QCOMPARE(ftp.State(), wisClosed);
    QCOMPARE(disconnects, 1);
    QVERIFY(!ftp.Refresh());
}

// A server that stops sending (or reading) in the middle of a transfer and keeps the
// connections open: the transfer fails once nothing has moved for the time-out, which ends
// the connection; a new one works.
void TestFtpFailures::stalledTransferGivesUp_data() {
    QTest::addColumn<bool>("passive");
    QTest::addColumn<bool>("upload");
    QTest::addColumn<int>("stallAfter"); // bytes of file data before the server stops
    QTest::addColumn<int>("timeout");
    QTest::newRow("passive download") << true << false << 100000 << 2000;
    QTest::newRow("active download") << false << false << 100000 << 2000;
    QTest::newRow("download, longer time-out") << true << false << 100000 << 3000;
    // The listing that looks the file up sends nothing at all.
    QTest::newRow("data stops before the first byte") << true << false << 0 << 2000;
    QTest::newRow("passive upload") << true << true << 100000 << 2000;
    QTest::newRow("active upload") << false << true << 100000 << 2000;
}

void TestFtpFailures::stalledTransferGivesUp() {
    QFETCH(bool, passive);
    QFETCH(bool, upload);
    QFETCH(int, stallAfter);
    QFETCH(int, timeout);
    FtpServer server({"--stall-after", QString::number(stallAfter)});
    QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
    QVERIFY(server.writeFile("page.html", Pattern(1000000)));
    QTemporaryDir local;
    const QString target = local.filePath("page.html");
    // An upload larger than what the sockets' buffers on both sides take in.
    QVERIFY(WriteLocal(target, upload ? QByteArray(48 * 1024 * 1024, 'u') : "the page as it was"));
    TSimpleFTP ftp;
    Setup(ftp, server, passive);
    ftp.SetConnectTimeout(unsigned(timeout));
    QVERIFY(ftp.Connect());
    QElapsedTimer timer;
    timer.start();
    QVERIFY(upload ? !ftp.Put(target.toStdString(), "/up.bin")
                   : !ftp.Get("/page.html", target.toStdString()));
    const qint64 took = timer.elapsed();
    QVERIFY2(took >= timeout - 50 && took < timeout + 2000, qPrintable(QString::number(took)));
    QCOMPARE(ftp.State(), wisClosed);
    if (!upload) {
        QCOMPARE(ReadLocal(target), QByteArray("the page as it was"));
        QCOMPARE(Others(local.path(), {"page.html"}), QStringList());
    }
    QVERIFY(ftp.Connect());
    QCOMPARE(ftp.RemoteDir(), std::string("/"));
}

void TestFtpFailures::abortFromOwnEvent_data() {
    QTest::addColumn<bool>("useDisconnect");
    QTest::newRow("Abort") << false;
    QTest::newRow("Disconnect") << true;
}

void TestFtpFailures::abortFromOwnEvent() {
    QFETCH(bool, useDisconnect);
    FtpServer server({"--throttle", "200000"});
    QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
    QVERIFY(server.writeFile("big.bin", Pattern(2000000)));
    QTemporaryDir local;
    const QString target = local.filePath("big.bin");
    QVERIFY(WriteLocal(target, "previous version"));
    TSimpleFTP ftp;
    Setup(ftp, server, true);
    QVERIFY(ftp.Connect());
    int calls = 0;
    ftp.OnTransferProgress = [&](TSimpleFTP& sender, const TFTPProgressInfo& info) {
        ++calls;
        if (info.BytesDone > 10000) useDisconnect ? (void)sender.Disconnect() : sender.Abort();
    };
    QElapsedTimer timer;
    timer.start();
    QVERIFY(!ftp.Get("/big.bin", target.toStdString()));
    QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));
    QVERIFY(calls > 0);
    QCOMPARE(ftp.State(), wisClosed);
    QCOMPARE(ReadLocal(target), QByteArray("previous version"));
    QCOMPARE(Others(local.path(), {"big.bin"}), QStringList());
    ftp.OnTransferProgress = nullptr;
    QVERIFY(ftp.Connect()); // the abort does not linger
}

// Events fired between two requests (a listing's entries, the end of a connect or of a
// change of folder): Abort there disconnects just as Disconnect does, and stops the listing.
void TestFtpFailures::abortFromEventBetweenRequests_data() {
    QTest::addColumn<QString>("event");
    QTest::addColumn<bool>("useDisconnect");
    for (const char* event : {"OnFindItem", "OnConnected", "OnDirectoryChange"}) {
        QTest::addRow("Abort in %s", event) << QString(event) << false;
        QTest::addRow("Disconnect in %s", event) << QString(event) << true;
    }
}

void TestFtpFailures::abortFromEventBetweenRequests() {
    QFETCH(QString, event);
    QFETCH(bool, useDisconnect);
    FtpServer server;
    QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
    for (const char* name : {"one.txt", "two.txt", "three.txt"})
        QVERIFY(server.writeFile(name, "x"));
    QVERIFY(server.makeDir("sub"));
    TSimpleFTP ftp;
    Setup(ftp, server, true);
    int disconnects = 0;
    ftp.OnDisconnected = [&](TWinInetControl&) { ++disconnects; };
    const auto stop = [useDisconnect](TWinInetControl& sender) {
        useDisconnect ? (void)sender.Disconnect() : sender.Abort();
    };
    int seen = 0;
    if (event == "OnConnected") {
        ftp.OnConnected = stop;
        ftp.Connect();
    } else {
        QVERIFY(ftp.Connect());
        if (event == "OnFindItem") {
            ftp.OnFindItem = [&](TSimpleFTP& sender, const TFtpFindData&) {
                ++seen;
                stop(sender);
            };
            ftp.Refresh();
            QCOMPARE(seen, 1);
        } else {
            ftp.OnDirectoryChange = stop;
            QVERIFY(ftp.ChangeDir("/sub"));
        }
    }
    QCOMPARE(ftp.State(), wisClosed);
    QVERIFY(!ftp.IsConnected());
    QCOMPARE(disconnects, 1);
    QCOMPARE(ftp.ReadDirectory("", nullptr, false), 0);

    // The abort does not linger.
    ftp.OnConnected = nullptr;
    ftp.OnFindItem = nullptr;
    ftp.OnDirectoryChange = nullptr;
    QVERIFY(ftp.Connect());
    QVERIFY(ftp.Refresh());
}

void TestFtpFailures::abortDuringListing() {
    FtpServer server({"--throttle", "10000"});
    QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
    for (int i = 0; i < 1500; ++i)
        QVERIFY(server.writeFile(QStringLiteral("many/file number %1.txt").arg(i), "x"));
    TSimpleFTP ftp;
    Setup(ftp, server, false);
    QVERIFY(ftp.Connect());
    QVERIFY(ftp.ChangeDir("/many"));
    std::atomic<bool> result{true};
    const int listingsBefore = ListingCommands(server);
    std::thread worker([&] { result = ftp.Refresh(); });
    // The throttled listing takes many seconds once the server has been asked for it.
    const bool listing =
        QTest::qWaitFor([&] { return ListingCommands(server) > listingsBefore; }, 15000);
    QElapsedTimer timer;
    timer.start();
    ftp.Abort();
    worker.join();
    QVERIFY(listing);
    QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));
    QVERIFY(!result);
    QCOMPARE(ftp.State(), wisClosed);
}

// The window reads the component while a worker thread logs in, changes folder and
// downloads: every read sees a whole value (under ThreadSanitizer a race shows up here).
void TestFtpFailures::readsWhileWorking() {
    FtpServer server({"--throttle", "200000"});
    QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
    QVERIFY(server.writeFile("sub/big.bin", Pattern(300000)));
    QTemporaryDir local;
    TSimpleFTP ftp;
    Setup(ftp, server, true);
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
    QVERIFY(ok);
    QVERIFY(orderly);
    QCOMPARE(ftp.ProgressInfo().BytesDone, int64_t(300000));
    QVERIFY2((dirs - QSet<QString>{"", "/", "/sub"}).isEmpty(),
             qPrintable(dirs.values().join(",")));
    QVERIFY((users - QSet<QString>{"", "anonymous"}).isEmpty());
    QCOMPARE(ReadLocal(local.filePath("big.bin")), Pattern(300000));
}

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
    Setup(ftp, server, true);
    int disconnects = 0;
    ftp.OnDisconnected = [&](TWinInetControl&) { ++disconnects; };
    QVERIFY(ftp.Connect());
    QVERIFY(ftp.ChangeDir("/sub"));
    if (kill)
        server.kill();
    else
        QVERIFY(QTest::qWaitFor([&] { return ServerClosedConnection(server.port()); }, 15000));
    // A fresh login would list the top folder as if it were /sub: the listing must fail.
    std::vector<std::string> names;
    ftp.OnFindItem = [&](TSimpleFTP&, const TFtpFindData& e) { names.push_back(e.FileName); };
    QVERIFY(!ftp.Refresh());
    QVERIFY(names.empty());
    QCOMPARE(ftp.State(), wisClosed);
    QCOMPARE(disconnects, 1);
    if (kill) return;
    // Connecting again returns to the folder the component was in.
    QVERIFY(ftp.Connect());
    QCOMPARE(ftp.RemoteDir(), std::string("/sub"));
    QVERIFY(ftp.Refresh());
    QCOMPARE(names, std::vector<std::string>{"inner.txt"});
}

void TestFtpFailures::readOnlyLogin() {
    FtpServer server({"--read-only"});
    QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
    QVERIFY(server.writeFile("a.txt", "abc"));
    QTemporaryDir local;
    QVERIFY(WriteLocal(local.filePath("up.txt"), "up"));
    TSimpleFTP ftp;
    Setup(ftp, server, true);
    QVERIFY(ftp.Connect());
    QVERIFY(!ftp.Put(local.filePath("up.txt").toStdString(), "/up.txt"));
    QVERIFY(!ftp.MakeDir("/new"));
    QVERIFY(!ftp.DeleteFile("/a.txt"));
    QVERIFY(!ftp.Rename("/a.txt", "/b.txt"));
    QVERIFY(ftp.IsConnected());
    QVERIFY(ftp.Get("/a.txt", local.filePath("a.txt").toStdString()));
    QCOMPARE(ReadLocal(local.filePath("a.txt")), QByteArray("abc"));
    QVERIFY(!QFile::exists(server.path("up.txt")));
}

void TestFtpFailures::proxySettings() {
    FtpServer server;
    QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
    TSimpleFTP ftp;
    Setup(ftp, server, true);
    ftp.SetResolveNames(rnProxy);
    ftp.ProxyName = "127.0.0.1:1"; // nobody listens there
    QVERIFY(!ftp.Connect());
    ftp.ProxyBypassList = {"localhost", "127.0.0.1"};
    QVERIFY(ftp.Connect());
    QVERIFY(ftp.Refresh());
    QVERIFY(ftp.Disconnect());
    // The proxy name counts only with rnProxy.
    ftp.ProxyBypassList.clear();
    ftp.SetResolveNames(rnLocal);
    QVERIFY(ftp.Connect());
}

void TestFtpFailures::wrongLogin_data() {
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("message");
    QTest::newRow("right") << "editor"
                           << "s3cret pass" << true << "";
    QTest::newRow("wrong password") << "editor"
                                    << "guess" << false << "Bad password connecting to %1";
    QTest::newRow("unknown user") << "nobody"
                                  << "s3cret pass" << false << "Bad password connecting to %1";
    QTest::newRow("anonymous refused") << ""
                                       << "" << false << "Bad password connecting to %1";
}

void TestFtpFailures::wrongLogin() {
    QFETCH(QString, user);
    QFETCH(QString, password);
    QFETCH(bool, ok);
    QFETCH(QString, message);
    FtpServer server({"--user", "editor", "--password", "s3cret pass"});
    QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
    TSimpleFTP ftp;
    Setup(ftp, server, true);
    ftp.UserName = user.toStdString();
    ftp.Password = password.toStdString();
    QCOMPARE(ftp.Connect(), ok);
    QCOMPARE(ftp.State(), ok ? wisConnected : wisClosed);
    if (ok) return;
    ftp.SilentExceptions = false;
    try {
        ftp.Connect();
        QFAIL("no exception");
    } catch (const EWinInetError& e) {
        QCOMPARE(QString(e.what()), message.arg(QString::fromStdString(ftp.HostName)));
    }
}

void TestFtpFailures::refusedConnection_data() {
    QTest::addColumn<bool>("busy");
    QTest::newRow("nobody listening") << false;
    QTest::newRow("server too busy (421)") << true;
}

void TestFtpFailures::refusedConnection() {
    QFETCH(bool, busy);
    quint16 port = 0;
    std::unique_ptr<FtpServer> busyServer;
    if (busy) {
        busyServer = std::make_unique<FtpServer>(QStringList{"--busy"});
        QVERIFY(busyServer->isRunning());
        port = busyServer->port();
    } else {
        FtpServer server;
        QVERIFY(server.isRunning());
        port = server.port();
    } // stopped: the port is free now
    TSimpleFTP ftp;
    ftp.HostName = "127.0.0.1:" + std::to_string(port);
    ftp.SilentExceptions = false;
    QElapsedTimer timer;
    timer.start();
    try {
        ftp.Connect();
        QFAIL("no exception");
    } catch (const EWinInetError& e) {
        QCOMPARE(QString(e.what()), QString("Unable to connect to 127.0.0.1:%1").arg(port));
    }
    QVERIFY(timer.elapsed() < 5000);
    QCOMPARE(ftp.State(), wisClosed);
}

// Closing says QUIT; a server that never answers it must not hold Disconnect (which the
// main window may call on its own thread) or the destructor for the connect time-out.
void TestFtpFailures::unansweredQuit() {
    FtpServer server({"--mute-quit"});
    QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
    TSimpleFTP ftp;
    ftp.HostName = server.hostName();
    ftp.SetConnectTimeout(60000);
    int disconnects = 0;
    ftp.OnDisconnected = [&](TWinInetControl&) { ++disconnects; };
    QVERIFY(ftp.Connect());
    QCOMPARE(ftp.RemoteDir(), std::string("/"));
    QElapsedTimer timer;
    timer.start();
    QVERIFY(ftp.Disconnect());
    QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));
    QCOMPARE(ftp.State(), wisClosed);
    QCOMPARE(disconnects, 1);

    // Destroyed while connected.
    auto other = std::make_unique<TSimpleFTP>();
    other->HostName = server.hostName();
    other->SetConnectTimeout(60000);
    QVERIFY(other->Connect());
    timer.restart();
    other.reset();
    QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));
}

QTEST_GUILESS_MAIN(TestFtpFailures)
#include "test_ftp_failures.moc"
