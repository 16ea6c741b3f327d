// The close query and the close path: refused while busy, asked while connected, the bounds
// written whatever "SaveWindowPos" says, a failed save keeps the window open, the later parts'
// close steps run in order.
#include "gui/app/TfmMain.h"
#include "gui/ftp/FtpSession.h"
#include "gui/ui/WorkerThread.h"
#include "test_main_support.h"

#include <QDir>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <atomic>

using namespace pw;

class TestMainClose : public QObject {
    Q_OBJECT
private slots:
    void refusedWhileBusy_data();
    void refusedWhileBusy();
    void connectedAsks_data();
    void connectedAsks();
    void writesBoundsWithoutSaveWindowPos();
    void noFileNoSave();
    void closeStepsInOrder_data();
    void closeStepsInOrder();
    void failedSaveKeepsWindowOpen();
    void stopsTransferWorker();
    void workersEndBeforeTheWindowsTables();
    void exitFromTrayWhileHidden();
};

void TestMainClose::refusedWhileBusy_data() {
    QTest::addColumn<int>("which");
    QTest::newRow("news") << 0;
    QTest::newRow("links") << 1;
    QTest::newRow("ftp") << 2;
    QTest::newRow("transfer") << 3;
}

void TestMainClose::refusedWhileBusy() {
    QFETCH(int, which);
    TempHome home;
    writeDialogFile(home.cfg(), 1);
    const QByteArray before = home.bytes();
    TestPrompts prompts;
    TfmMain w(prompts);
    w.show();
    int asked = 0;
    prompts.ask = [&](const QString&, const QString&) { return ++asked, true; };
    const ActivityState busy = ActivityState::Busy;
    if (which == 0) w.SetNewsState(busy);
    if (which == 1) w.SetLinksState(busy);
    if (which == 2) w.SetFTPState(busy);
    if (which == 3) w.SetTransferState(busy);
    w.SetNewsState(which == 0 ? busy : ActivityState::Connected); // busy beats connected
    settle();
    QVERIFY(!child(w, "miExit")->isEnabled());
    QVERIFY(!w.close());
    QVERIFY(w.isVisible());
    QCOMPARE(asked, 0);
    QCOMPARE(home.bytes(), before);
}

void TestMainClose::connectedAsks_data() {
    QTest::addColumn<bool>("yes");
    QTest::newRow("no") << false;
    QTest::newRow("yes") << true;
}

void TestMainClose::connectedAsks() {
    QFETCH(bool, yes);
    TempHome home;
    writeDialogFile(home.cfg(), 1);
    const QByteArray before = home.bytes();
    TestPrompts prompts;
    TfmMain w(prompts);
    w.show();
    w.resize(700, 500);
    w.SetNewsState(ActivityState::Connected);
    settle();
    QVERIFY(child(w, "miExit")->isEnabled());
    QStringList asked;
    prompts.ask = [&](const QString& caption, const QString& text) {
        asked << caption << text;
        return yes;
    };
    QCOMPARE(w.close(), yes);
    QCOMPARE(asked, QStringList({"Exit Pagewright?", "You are connected. Do want to exit?"}));
    if (!yes) {
        QVERIFY(w.isVisible());
        QCOMPARE(home.bytes(), before); // nothing saved
    } else {
        QCOMPARE(FileView(home.cfg()).setting("Width"), 700);
    }
}

void TestMainClose::writesBoundsWithoutSaveWindowPos() {
    TempHome home;
    writeDialogFile(home.cfg(), 2, {{"SaveWindowPos", ""}, {"NewsConfiguration", "1"}});
    {
        TestPrompts prompts;
        TfmMain w(prompts);
        w.show();
        w.setGeometry(QRect(33, 44, 640, 470));
        QVERIFY(w.close());
    }
    FileView file(home.cfg());
    QCOMPARE(file.setting("Left"), 33);
    QCOMPARE(file.setting("Top"), 44);
    QCOMPARE(file.setting("Width"), 640);
    QCOMPARE(file.setting("Height"), 470);
    QCOMPARE(file.setting("NewsConfiguration"), 1);
    QCOMPARE(file.tables.ConfigSource.RecordCount(), 2);
    QCOMPARE(file.tables.TranslationSource.RecordCount(), 7);
    // Passwords stay scrambled.
    QCOMPARE(file.tables.ConfigSource.GetString(0, "LoginPassword"),
             std::string("\x8c\x9a\x9c\x8d\x9a\x8b"));
}

void TestMainClose::noFileNoSave() {
    TempHome home;
    {
        TestPrompts prompts;
        TfmMain w(prompts);
        prompts.dialog = [](QDialog&) {};
        w.show();
        QVERIFY(w.close());
    }
    QVERIFY(!QFile::exists(QString::fromStdString(home.cfg())));
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
    writeDialogFile(home.cfg(), 1);
    {
        ConfigTables t(ConfigRole::Dialog);
        OpenConfigurationForDialog(t, home.cfg());
        t.ConfigSource.SetString(0, "NewsStayConnected", stayConnected.toStdString());
        SaveConfigurationFromDialog(t, home.cfg());
    }
    TestPrompts prompts;
    TfmMain w(prompts);
    w.show();
    QStringList steps;
    // The connections are cut without waiting: each session reports when it is closed.
    connect(child<FtpSession>(w, "NewsSession"), &FtpSession::AbortDone, [&] { steps << "news"; });
    connect(child<FtpSession>(w, "RemoteSession"), &FtpSession::AbortDone,
            [&] { steps << "remote"; });
    connect(&w, &TfmMain::NewsConfigurationSelected, [&] { steps << "select"; });
    w.thTransfer->OnExecute = [&](WorkerThread& t) {
        while (!t.Terminated())
            QThread::msleep(1);
    };
    w.thTransfer->Start();
    w.SetNewsState(static_cast<ActivityState>(news));
    w.SetFTPState(static_cast<ActivityState>(ftp));
    // The news page's working files go too.
    w.DataFile = QDir(QString::fromStdString(ProgramFolder())).filePath("datafile.tmp");
    QFile data(w.DataFile);
    QVERIFY(data.open(QIODevice::WriteOnly));
    data.close();
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
    w.thTransfer->OnExecute = [&](WorkerThread& t) {
        while (!t.Terminated())
            QThread::msleep(1);
    };
    w.thTransfer->Start();
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

void TestMainClose::stopsTransferWorker() {
    TempHome home;
    TestPrompts prompts;
    TfmMain w(prompts);
    prompts.dialog = [](QDialog&) {};
    std::atomic<bool> sawStop{false};
    w.thTransfer->OnExecute = [&](WorkerThread& t) {
        while (!t.Terminated())
            QThread::msleep(1);
        sawStop = true;
    };
    w.thTransfer->Start();
    w.show();
    QVERIFY(w.close()); // does not wait for the worker
    QVERIFY(w.thTransfer->WaitFor(5000));
    QVERIFY(sawStop);
}

void TestMainClose::workersEndBeforeTheWindowsTables() {
    // A worker still running when the window goes away is stopped and may finish its step on
    // the window's tables and lock: they must still exist then.
    TempHome home;
    writeDialogFile(home.cfg(), 1);
    std::atomic<bool> running{false};
    std::string seen;
    {
        TestPrompts prompts;
        TfmMain w(prompts);
        w.thTransfer->OnExecute = [&](WorkerThread& t) {
            running = true;
            while (!t.Terminated())
                QThread::msleep(1);
            QThread::msleep(20);
            std::lock_guard lock(w.ftpMutex);
            seen = w.ConfigSource.GetString(0, "Name");
        };
        w.thTransfer->Start();
        QTRY_VERIFY(running);
    }
    QCOMPARE(seen, std::string("Server 1"));
}

void TestMainClose::exitFromTrayWhileHidden() {
    TempHome home;
    writeDialogFile(home.cfg(), 1);
    TestPrompts prompts;
    TfmMain w(prompts);
    w.show();
    w.resize(600, 450);
    w.hide(); // as when it sits in the tray
    QSignalSpy closed(&w, &TfmMain::Closed);
    child(w, "mistExit")->trigger();
    QCOMPARE(closed.size(), 1);
    QCOMPARE(FileView(home.cfg()).setting("Width"), 600);
}

QTEST_MAIN(TestMainClose)
#include "test_main_close.moc"
