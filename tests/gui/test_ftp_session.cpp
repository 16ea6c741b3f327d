// Worker lifetime around a live FTP connection: a window destroyed during a long connect, an
// abort while the handler waits for the GUI thread, an abort as an operation ends.
#include "support/FtpServer.h"
#include "test_main_support.h"

#include "gui/app/TfmMain.h"
#include "gui/ftp/FtpSession.h"
#include "gui/ui/WorkerThread.h"

#include <QSignalSpy>
#include <QtTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <memory>

using namespace pw;

namespace {
// A TCP port that takes connections (the kernel completes them) and never greets.
struct SilentListener {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    int port = 0;
    SilentListener() {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof a;
        if (::bind(fd, reinterpret_cast<sockaddr*>(&a), size) == 0 && ::listen(fd, 8) == 0 &&
            ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &size) == 0)
            port = ntohs(a.sin_port);
    }
    ~SilentListener() { ::close(fd); }
    std::string hostName() const { return "127.0.0.1:" + std::to_string(port); }
};

// Waits without turning the event loop, so that nothing queued for the GUI thread runs.
// Waits without running this thread's events, so that a handler waiting for them stays put.
bool spinUntil(const std::function<bool()>& ready) {
    for (int i = 0; i < 20000 && !ready(); ++i)
        QThread::msleep(1);
    return ready();
}

bool spinUntil(const std::atomic<bool>& flag) {
    return spinUntil([&flag] { return flag.load(); });
}
} // namespace

class TestFtpSession : public QObject {
    Q_OBJECT
private slots:
    void windowDestroyedDuringLongConnect();
    void abortWhileHandlerWaitsForGuiThread();
    void abortAsOperationEndsThenNextSucceeds();
};

void TestFtpSession::windowDestroyedDuringLongConnect() {
    TempHome home;
    SilentListener listener;
    QVERIFY(listener.port);
    TestPrompts prompts;
    auto w = std::make_unique<TfmMain>(prompts);
    auto* session = w->findChild<FtpSession*>("RemoteSession");
    QVERIFY(session);
    TSimpleFTP& ftp = session->Ftp();
    ftp.HostName = listener.hostName();
    ftp.SetConnectTimeout(60000);
    ftp.SetConnectRetries(0);
    std::atomic<bool> started{false}, returned{false}, connected{true};
    WorkerThread* worker = w->findChild<WorkerThread*>("thFTPConnect");
    QVERIFY(worker);
    worker->OnExecute = [&](WorkerThread&) {
        started = true;
        connected = ftp.Connect();
        returned = true;
    };
    worker->Start();
    QVERIFY(spinUntil(started));
    QTRY_COMPARE(int(ftp.State()), int(wisConnecting));
    w.reset(); // cuts the connect and joins the thread; ASan sees any later use of the window
    QVERIFY(returned);
    QVERIFY(!connected);
}

void TestFtpSession::abortWhileHandlerWaitsForGuiThread() {
    FtpServer server;
    QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
    QVERIFY(server.writeFile("a.txt", "a"));
    FtpSession session("Session");
    session.Ftp().HostName = server.hostName();
    session.Ftp().SetConnectTimeout(10000);
    QSignalSpy done(&session, &FtpSession::AbortDone);
    WorkerThread& worker = session.Worker("thWork");
    std::atomic<bool> waiting{false}, listed{true};
    std::atomic<int> connected{-1};
    worker.OnExecute = [&](WorkerThread& w) {
        connected = session.Ftp().Connect();
        waiting = true;
        w.Synchronize([] {});
        listed = session.Ftp().Refresh();
    };
    worker.Start();
    QVERIFY(spinUntil(waiting));
    QCOMPARE(connected.load(), 1);
    session.RequestAbort(); // returns while the handler still waits for this thread
    // The abort cuts the connection without this thread; only then is the handler let go.
    QVERIFY(spinUntil([&session] { return !session.Ftp().IsConnected(); }));
    QTRY_COMPARE(done.size(), 1);
    QTRY_VERIFY_WITH_TIMEOUT(worker.Suspended(), 10000); // the handler's wait is served here
    QVERIFY(!listed);
    QVERIFY(!session.Ftp().IsConnected());
}

void TestFtpSession::abortAsOperationEndsThenNextSucceeds() {
    FtpServer server;
    QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
    QVERIFY(server.writeFile("a.txt", "a"));
    FtpSession session("Session");
    session.Ftp().HostName = server.hostName();
    session.Ftp().SetConnectTimeout(10000);
    QSignalSpy done(&session, &FtpSession::AbortDone);
    QSignalSpy found(&session, &FtpSession::ItemFound);
    WorkerThread& worker = session.Worker("thWork");
    for (int round = 0; round < 4; ++round) {
        std::atomic<bool> ending{false}, ok{false};
        worker.OnExecute = [&](WorkerThread&) {
            ok = session.Ftp().Connect() && session.Ftp().Refresh();
            ending = true;
        };
        worker.Start();
        QVERIFY(spinUntil(ending));
        session.RequestAbort();
        QTRY_COMPARE(done.size(), round + 1);
        QVERIFY(worker.WaitFor(10000));

        found.clear();
        worker.OnExecute = [&](WorkerThread&) {
            ok = session.Ftp().Connect() && session.Ftp().Refresh();
        };
        worker.Start();
        QVERIFY(worker.WaitFor(10000));
        QVERIFY2(ok, qPrintable(QString("round %1").arg(round)));
        QTRY_COMPARE(found.size(), 1);
    }
}

QTEST_MAIN(TestFtpSession)
#include "test_ftp_session.moc"
