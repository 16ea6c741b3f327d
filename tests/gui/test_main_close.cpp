// Guards: close refused while busy, asked while connected, the file saved or kept, close steps.
#include "gui/ftp/FtpSession.h"
#include "gui/ui/WorkerThread.h"
#include "support/TableRows.h"
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
// A downloaded page in memory and its working file, as the news page leaves them.
void holdPage(TfmMain& w) {
    w.DataFile = QDir(QString::fromStdString(ProgramFolder())).filePath("datafile.tmp");
    touch(w.DataFile);
    w.PageLines.push_back("<html>");
}
// The states of news, links, FTP and transfer (0 busy, 1 connected, 2 idle), NewsStayConnected,
// the answer to the question, and what the close did (empty: the window stays).
// clang-format off
const struct { const char* name; QString states; std::string stay; bool yes; QString steps;
    } kCloses[] = {
    {"news busy", "0222", "TRUE", true, ""},
    {"links busy", "1022", "TRUE", true, ""}, // busy beats connected
    {"ftp busy", "1202", "TRUE", true, ""},
    {"transfer busy", "1220", "TRUE", true, ""},
    {"connected, No", "1222", "TRUE", false, ""},
    {"news held open, Yes", "1222", "TRUE", true, "news,select,transfer"},
    {"news not held open", "1222", "", true, "select,transfer"},
    {"remote connected", "2212", "", true, "remote,select,transfer"},
    {"idle", "2222", "TRUE", true, "select,transfer"}};
// clang-format on
} // namespace

class TestMainClose : public QObject {
    Q_OBJECT
private slots:
    void closeQuery_data();
    void closeQuery();
    void failedSaveKeepsWindowOpen();
};

void TestMainClose::closeQuery_data() {
    addRows(kCloses);
}

// Busy refuses without a question; connected asks; only a close that goes through saves the
// bounds, cuts the connections without waiting and removes the news page's working files.
void TestMainClose::closeQuery() {
    const auto& [name, states, stay, yes, steps] = kCloses[fetchedRow()];
    const bool closes = !steps.isEmpty(), busy = states.contains('0');
    TempHome home;
    writeDialogFile(home.cfg(), 1, {}, {{"NewsStayConnected", stay}});
    const QByteArray before = home.bytes();
    TestPrompts prompts;
    TfmMain w(prompts);
    w.show();
    w.resize(700, 500);
    QStringList asked, done;
    prompts.ask = [&](const QString& caption, const QString& text) {
        asked << caption << text;
        return yes;
    };
    connect(child<FtpSession>(w, "NewsSession"), &FtpSession::AbortDone, [&] { done << "news"; });
    connect(child<FtpSession>(w, "RemoteSession"), &FtpSession::AbortDone,
            [&] { done << "remote"; });
    connect(&w, &TfmMain::NewsConfigurationSelected, [&] { done << "select"; });
    runTransferWorker(w);
    w.SetLinksState(ActivityState(states[1].digitValue()));
    w.SetFTPState(ActivityState(states[2].digitValue()));
    w.SetTransferState(ActivityState(states[3].digitValue()));
    w.SetNewsState(ActivityState(states[0].digitValue()));
    holdPage(w);
    settle();
    QCOMPARE(child(w, "miExit")->isEnabled(), !busy);
    QSignalSpy closed(&w, &TfmMain::Closed);
    QCOMPARE(w.close(), closes);
    QCOMPARE(w.isVisible(), !closes);
    QCOMPARE(asked, busy || !states.contains('1')
                        ? QStringList()
                        : QStringList({"Exit Pagewright?", "You are connected. Do want to exit?"}));
    QCOMPARE(home.bytes() == before, !closes);
    QCOMPARE(closed.size(), int(closes));
    QCOMPARE(QFile::exists(w.DataFile), !closes);
    QCOMPARE(w.PageLines.empty(), closes);
    if (!closes) return;
    ConfigTables saved(ConfigRole::MainWindow);
    saved.LoadIfExists(home.cfg());
    QCOMPARE(saved.SettingsSource.GetInteger(0, "Width"), 700);
    QVERIFY(w.thTransfer->WaitFor(5000));
    done << "transfer";
    QTRY_COMPARE(done.size(), steps.count(',') + 1);
    settle();
    std::sort(done.begin(), done.end());
    QCOMPARE(done.join(','), steps);
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
    holdPage(w);
    QVERIFY(!w.close());
    QVERIFY(w.isVisible());
    QVERIFY(!error.isEmpty());
    QVERIFY(!w.thTransfer->WaitFor(0)); // the queue goes on while the window stays
    QVERIFY(QFile::exists(w.DataFile) && !w.PageLines.empty()); // the page is kept
    // Once the place is free again, a second close saves and ends.
    QVERIFY(QDir(path).removeRecursively());
    writeDialogFile(home.cfg(), 1);
    QVERIFY(w.close());
    QVERIFY(w.thTransfer->WaitFor(5000));
    QVERIFY(!QFile::exists(w.DataFile) && w.PageLines.empty());
}

QTEST_MAIN(TestMainClose)
#include "test_main_close.moc"
