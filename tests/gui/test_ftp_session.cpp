// Guards: FTP workers end cleanly when their window goes or an abort meets a busy handler.
#include "support/FtpServer.h"
#include "test_main_support.h"

#include "gui/ftp/FtpSession.h"
#include "gui/ui/WorkerThread.h"

#include <QTcpServer>

using namespace pw;

namespace {
// Waits without running this thread's events, so that a handler waiting for them stays put.
bool spinUntil(const std::function<bool()>& ready) {
    for (int i = 0; i < 20000 && !ready(); ++i)
        QThread::msleep(1);
    return ready();
}
// Points the session at the server, and gives the server a file.
bool serve(FtpServer& server, FtpSession& session) {
    session.Ftp().HostName = server.hostName();
    session.Ftp().SetConnectTimeout(10000);
    return server.writeFile("a.txt", "a");
}
} // namespace

class TestFtpSession : public QObject {
    Q_OBJECT
private slots:
    void windowDestroyedDuringLongConnect() {
        TempHome home;
        QTcpServer silent; // takes connections (the kernel completes them) and never greets
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        TestPrompts prompts;
        auto w = std::make_unique<TfmMain>(prompts);
        TSimpleFTP& ftp = child<FtpSession>(*w, "RemoteSession")->Ftp();
        ftp.HostName = "127.0.0.1:" + std::to_string(silent.serverPort());
        ftp.SetConnectTimeout(60000);
        ftp.SetConnectRetries(0);
        std::atomic<bool> started{false}, returned{false}, connected{true};
        auto* worker = child<WorkerThread>(*w, "thFTPConnect");
        worker->OnExecute = [&](WorkerThread&) {
            started = true;
            connected = ftp.Connect();
            returned = true;
        };
        worker->Start();
        QVERIFY(spinUntil([&] { return started.load(); }));
        QTRY_COMPARE(int(ftp.State()), int(wisConnecting));
        w.reset(); // cuts the connect and joins the thread; ASan sees any later use of the window
        QVERIFY(returned && !connected);
    }

    void abortWhileHandlerWaitsForGuiThread() {
        FtpServer server;
        FtpSession session("Session");
        QVERIFY2(serve(server, session), qPrintable(server.errorString()));
        QSignalSpy done(&session, &FtpSession::AbortDone);
        WorkerThread& worker = session.Worker("thWork");
        std::atomic<bool> waiting{false}, listed{true}, connected{false};
        worker.OnExecute = [&](WorkerThread& w) {
            connected = session.Ftp().Connect();
            waiting = true;
            w.Synchronize([] {});
            listed = session.Ftp().Refresh();
        };
        worker.Start();
        QVERIFY(spinUntil([&] { return waiting.load(); }));
        QVERIFY(connected);
        session.RequestAbort(); // returns while the handler still waits for this thread
        // The abort cuts the connection without this thread; only then is the handler let go.
        QVERIFY(spinUntil([&session] { return !session.Ftp().IsConnected(); }));
        QTRY_COMPARE(done.size(), 1);
        QTRY_VERIFY_WITH_TIMEOUT(worker.Suspended(), 10000); // the handler's wait is served here
        QVERIFY(!listed && !session.Ftp().IsConnected());
    }

    void abortAsOperationEndsThenNextSucceeds() {
        FtpServer server;
        FtpSession session("Session");
        QVERIFY2(serve(server, session), qPrintable(server.errorString()));
        QSignalSpy done(&session, &FtpSession::AbortDone);
        QSignalSpy found(&session, &FtpSession::ItemFound);
        WorkerThread& worker = session.Worker("thWork");
        std::atomic<bool> ending{false}, ok{false};
        worker.OnExecute = [&](WorkerThread&) {
            ok = session.Ftp().Connect() && session.Ftp().Refresh();
            ending = true;
        };
        for (int round = 0; round < 4; ++round) {
            ending = false;
            worker.Start();
            QVERIFY(spinUntil([&] { return ending.load(); }));
            session.RequestAbort(); // as the operation ends
            QTRY_COMPARE(done.size(), round + 1);
            QVERIFY(worker.WaitFor(10000));
            // The next run on the same session is not hit by the earlier abort.
            found.clear();
            worker.Start();
            QVERIFY(worker.WaitFor(10000));
            QVERIFY2(ok, qPrintable(QString("round %1").arg(round)));
            QTRY_COMPARE(found.size(), 1);
        }
    }
};

QTEST_MAIN(TestFtpSession)
#include "test_ftp_session.moc"
