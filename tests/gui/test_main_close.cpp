// Guards: close refused while busy, asked while connected, the file saved or kept, close steps.
#include "gui/ftp/FtpSession.h"
#include "gui/ui/WorkerThread.h"
#include "test_main_support.h"

using namespace pw;

namespace {
// Keeps the transfer worker running until it is told to stop.
void runTransferWorker(TfmMain& w) {
    w.thTransfer->OnExecute = [](WorkerThread& t) {
        while (!t.Terminated())
            QThread::msleep(1);
    };
    w.thTransfer->Start();
}
} // namespace

class TestMainClose : public QObject {
    Q_OBJECT
private slots:
    void closeQuery_data();
    void closeQuery();
    void closeStepsInOrder_data();
    void closeStepsInOrder();
    void failedSaveKeepsWindowOpen();
};

void TestMainClose::closeQuery_data() {
    QTest::addColumn<int>("busy"); // 0 news, 1 links, 2 ftp, 3 transfer busy; -1 none
    QTest::addColumn<bool>("yes"); // the answer to the question
    QTest::addColumn<bool>("closes");
    const char* busy[] = {"news busy", "links busy", "ftp busy", "transfer busy"};
    for (int i = 0; i < 4; ++i)
        QTest::newRow(busy[i]) << i << true << false;
    QTest::newRow("connected, No") << -1 << false << false;
    QTest::newRow("connected, Yes") << -1 << true << true;
}

// Busy refuses without a question; connected asks; only a close that goes through saves.
void TestMainClose::closeQuery() {
    QFETCH(int, busy);
    QFETCH(bool, yes);
    QFETCH(bool, closes);
    TempHome home;
    writeDialogFile(home.cfg(), 1);
    const QByteArray before = home.bytes();
    TestPrompts prompts;
    TfmMain w(prompts);
    w.show();
    w.resize(700, 500);
    QStringList asked;
    prompts.ask = [&](const QString& caption, const QString& text) {
        asked << caption << text;
        return yes;
    };
    const ActivityState state = ActivityState::Busy;
    if (busy == 1) w.SetLinksState(state);
    if (busy == 2) w.SetFTPState(state);
    if (busy == 3) w.SetTransferState(state);
    w.SetNewsState(busy == 0 ? state : ActivityState::Connected); // busy beats connected
    settle();
    QCOMPARE(child(w, "miExit")->isEnabled(), busy < 0);
    QCOMPARE(w.close(), closes);
    QCOMPARE(w.isVisible(), !closes);
    QCOMPARE(asked, busy >= 0
                        ? QStringList()
                        : QStringList({"Exit Pagewright?", "You are connected. Do want to exit?"}));
    ConfigTables saved(ConfigRole::MainWindow);
    saved.LoadIfExists(home.cfg());
    QCOMPARE(home.bytes() == before, !closes); // nothing saved unless the window closes
    if (closes) QCOMPARE(saved.SettingsSource.GetInteger(0, "Width"), 700);
}

void TestMainClose::closeStepsInOrder_data() {
    QTest::addColumn<QString>("stayConnected");
    QTest::addColumn<int>("news");
    QTest::addColumn<int>("ftp");
    QTest::addColumn<QString>("expected");
    const int idle = 2, connected = 1;
    QTest::newRow("idle") << "TRUE" << idle << idle << "select,transfer";
    QTest::newRow("news held open") << "TRUE" << connected << idle << "news,select,transfer";
    QTest::newRow("news not held open") << "" << connected << idle << "select,transfer";
    QTest::newRow("remote connected") << "" << idle << connected << "remote,select,transfer";
}

void TestMainClose::closeStepsInOrder() {
    QFETCH(QString, stayConnected);
    QFETCH(int, news);
    QFETCH(int, ftp);
    QFETCH(QString, expected);
    TempHome home;
    writeDialogFile(home.cfg(), 1, {}, {{"NewsStayConnected", stayConnected.toStdString()}});
    TestPrompts prompts;
    TfmMain w(prompts);
    w.show();
    QStringList steps;
    // The connections are cut without waiting: each session reports when it is closed.
    connect(child<FtpSession>(w, "NewsSession"), &FtpSession::AbortDone, [&] { steps << "news"; });
    connect(child<FtpSession>(w, "RemoteSession"), &FtpSession::AbortDone,
            [&] { steps << "remote"; });
    connect(&w, &TfmMain::NewsConfigurationSelected, [&] { steps << "select"; });
    runTransferWorker(w);
    w.SetNewsState(static_cast<ActivityState>(news));
    w.SetFTPState(static_cast<ActivityState>(ftp));
    // The news page's working files go too.
    w.DataFile = QDir(QString::fromStdString(ProgramFolder())).filePath("datafile.tmp");
    touch(w.DataFile);
    w.PageLines.push_back("<html>");
    QSignalSpy closed(&w, &TfmMain::Closed);
    QVERIFY(w.close());
    QVERIFY(w.thTransfer->WaitFor(5000));
    steps << "transfer";
    QTRY_COMPARE(steps.size(), expected.count(',') + 1);
    settle();
    std::sort(steps.begin(), steps.end());
    QCOMPARE(steps.join(','), expected);
    QVERIFY(!QFile::exists(w.DataFile));
    QVERIFY(w.PageLines.empty());
    QCOMPARE(closed.size(), 1);
}

void TestMainClose::failedSaveKeepsWindowOpen() {
    TempHome home;
    writeDialogFile(home.cfg(), 1);
    TestPrompts prompts;
    TfmMain w(prompts);
    w.show();
    runTransferWorker(w);
    QString error;
    prompts.error = [&](const QString& message) { error = message; };
    // The file's place is taken by a folder that cannot be replaced.
    const QString path = QString::fromStdString(home.cfg());
    QVERIFY(QFile::remove(path));
    QVERIFY(QDir().mkpath(path + "/blocker"));
    QVERIFY(!w.close());
    QVERIFY(w.isVisible());
    QVERIFY(!error.isEmpty());
    QVERIFY(!w.thTransfer->WaitFor(0)); // the queue goes on while the window stays
    // Once the place is free again, a second close saves and ends.
    QVERIFY(QDir(path).removeRecursively());
    writeDialogFile(home.cfg(), 1);
    QVERIFY(w.close());
    QVERIFY(w.thTransfer->WaitFor(5000));
}

QTEST_MAIN(TestMainClose)
#include "test_main_close.moc"
