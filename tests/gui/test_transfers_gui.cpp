// Files moved through the window like a user moves them, against the test server and a
// temporary local folder: the copy commands and F5, drags between the panes and the refused
// ones, desktop drops onto the remote list and onto the drop window, the drop window's
// toggle and close box, and a failed job retried.
#include "core/app/DropTarget.h"
#include "core/config/Password.h"
#include "core/storage/FileIO.h"
#include "core/transfer/TransferJournal.h"
#include "gui/app/TfmMain.h"
#include "gui/local/TfmDropper.h"
#include "gui/ui/GaugeStatusBar.h"
#include "gui/ui/PaneDragDrop.h"
#include "support/FtpServer.h"
#include "test_pane_support.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMimeData>
#include <QScreen>
#include <QTest>
#include <QTreeWidget>
#include <QUrl>

#include <functional>
#include <memory>

using namespace pw;

namespace {
// Sends a drag of `mime` over `target` and, when it is accepted and `drop` says so, lets it
// go there. Returns whether the drag was accepted.
bool dragOnto(QWidget* target, const QMimeData& mime, bool drop) {
    const QPoint at(5, 5);
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted()) return false;
    if (drop) {
        QDropEvent release(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &release);
    }
    return true;
}

std::unique_ptr<QMimeData> filesMime(const QStringList& paths) {
    auto mime = std::make_unique<QMimeData>();
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls << QUrl::fromLocalFile(path);
    mime->setUrls(urls);
    return mime;
}

QWidget* viewport(const TfmMain& w, const char* list) {
    return child<QTreeWidget>(w, list)->viewport();
}

QStringList checkMarks(const TfmMain& w) {
    QStringList marks;
    for (const char* item : {"miDropperWindow", "mistDropperWindow"})
        marks << (child(w, item)->isChecked() ? "on" : "off");
    return marks;
}
} // namespace

class TestTransfersGui : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void copyCommandsAndF5();
    void dragsBetweenPanes_data();
    void dragsBetweenPanes();
    void desktopDropsAndDropWindow();
    void dropWindowWithoutConfiguration();
    void failedJobRetried();
    void stalledUploadShowsNoSpeed();
    void journalBroughtBackPaused();

private:
    void open(bool withConfiguration = true);
    // Waits until `done` holds, then until the queue is empty and the worker disconnected.
    void waitForQueueDone(const std::function<bool()>& done);

    std::unique_ptr<TempHome> m_home;
    std::unique_ptr<FtpServer> m_server;
    std::unique_ptr<QTemporaryDir> m_local;
    TestPrompts m_prompts;
    std::unique_ptr<TfmMain> m_w;
};

void TestTransfersGui::init() {
    m_prompts = TestPrompts();
    // The drop target lives as long as the program: each test starts without one.
    DropTarget = TnkFTPRecord();
    m_home = std::make_unique<TempHome>();
    m_local = std::make_unique<QTemporaryDir>();
    m_server = std::make_unique<FtpServer>();
    QVERIFY2(m_server->isRunning(), qPrintable(m_server->errorString()));
    QVERIFY(m_server->writeFile("index.html", "<html>"));
    QVERIFY(m_server->makeDir("sub"));
    touch(m_local->filePath("a.txt"), "alpha");
    touch(m_local->filePath("b.txt"), "bravo");
    QVERIFY(QDir(m_local->path()).mkdir("dir"));
}

void TestTransfersGui::cleanup() {
    m_w.reset();
    m_server.reset();
    m_home.reset();
}

void TestTransfersGui::open(bool withConfiguration) {
    if (withConfiguration) writeServerConfig(m_home->cfg(), *m_server, m_local->path());
    m_w = std::make_unique<TfmMain>(m_prompts);
    showFtpPage(*m_w);
}

void TestTransfersGui::waitForQueueDone(const std::function<bool()>& done) {
    QTRY_VERIFY_WITH_TIMEOUT(done(), 20000);
    QTRY_VERIFY_WITH_TIMEOUT(captions(*m_w, "lvTransfer").isEmpty(), 20000);
    QTRY_COMPARE_WITH_TIMEOUT(child<QLabel>(*m_w, "labTransfer")->text(), QString("Disconnected"),
                              20000);
    QTRY_COMPARE(m_w->TransferState(), ActivityState::Idle);
}

void TestTransfersGui::copyCommandsAndF5() {
    open();
    connectRemotePane(*m_w);
    TfmMain& w = *m_w;
    // Folders in the selection are skipped; the files go in list order over one login.
    select(w, "lvLocalFiles", {"dir", "a.txt", "b.txt"});
    settle();
    child(w, "siFTPCopyLocalToFTP")->trigger();
    waitForQueueDone([this] { return !m_server->readFile("b.txt").isEmpty(); });
    QCOMPARE(m_server->readFile("a.txt"), QByteArray("alpha"));
    QCOMPARE(m_server->readFile("b.txt"), QByteArray("bravo"));
    QVERIFY(!QFileInfo::exists(m_server->path("dir")));
    const QStringList stores = m_server->commands().filter("STOR");
    // Each goes under a temporary name, renamed over its own once complete.
    QCOMPARE(stores, QStringList({"STOR /.a.txt.upload", "STOR /.b.txt.upload"}));
    QCOMPARE(m_server->commands().filter("RNTO"), QStringList({"RNTO /a.txt", "RNTO /b.txt"}));

    // F5 in the remote list copies to the local folder; the file keeps the listed time.
    select(w, "lvRemoteFiles", "index.html");
    auto* remote = child<QTreeWidget>(w, "lvRemoteFiles");
    const QString listed = remote->selectedItems().first()->text(3);
    remote->setFocus();
    settle();
    QTest::keyClick(remote, Qt::Key_F5);
    const QString target = m_local->filePath("index.html");
    waitForQueueDone([&] { return QFileInfo::exists(target); });
    QFile file(target);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("<html>"));
    QCOMPARE(QFileInfo(target).lastModified().toUTC().toString("yyyy/MM/dd hh:mm:ss"), listed);
}

void TestTransfersGui::dragsBetweenPanes_data() {
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("onto");
    QTest::addColumn<bool>("connected");
    QTest::addColumn<bool>("accepted");
    // clang-format off
    QTest::newRow("local onto remote") << "lvLocalFiles" << "lvRemoteFiles" << true << true;
    QTest::newRow("remote onto local") << "lvRemoteFiles" << "lvLocalFiles" << true << true;
    QTest::newRow("local onto local") << "lvLocalFiles" << "lvLocalFiles" << true << false;
    QTest::newRow("remote onto remote") << "lvRemoteFiles" << "lvRemoteFiles" << true << false;
    QTest::newRow("onto remote, not connected")
        << "lvLocalFiles" << "lvRemoteFiles" << false << false;
    // clang-format on
}

void TestTransfersGui::dragsBetweenPanes() {
    QFETCH(QString, from);
    QFETCH(QString, onto);
    QFETCH(bool, connected);
    QFETCH(bool, accepted);
    open();
    if (connected) connectRemotePane(*m_w);
    TfmMain& w = *m_w;
    select(w, "lvLocalFiles", "a.txt");
    select(w, "lvRemoteFiles", "index.html");
    settle();
    const std::unique_ptr<QMimeData> rows(PaneDragDrop::MimeFor(from));
    QCOMPARE(dragOnto(viewport(w, onto.toLatin1()), *rows, true), accepted);
    if (!accepted) {
        settle();
        QVERIFY(captions(w, "lvTransfer").isEmpty());
        return;
    }
    if (onto == "lvRemoteFiles")
        waitForQueueDone([this] { return m_server->readFile("a.txt") == "alpha"; });
    else
        waitForQueueDone([this] { return QFileInfo::exists(m_local->filePath("index.html")); });
}

void TestTransfersGui::desktopDropsAndDropWindow() {
    open();
    TfmMain& w = *m_w;
    QTemporaryDir desktop;
    QStringList dropped;
    for (const char* name : {"c3.txt", "c1.txt", "c2.txt"}) {
        touch(desktop.filePath(name), QByteArray(name).repeated(3));
        dropped << desktop.filePath(name);
    }
    const std::unique_ptr<QMimeData> files = filesMime(dropped);
    QVERIFY(!dragOnto(viewport(w, "lvRemoteFiles"), *files, false)); // not connected yet
    connectRemotePane(*m_w);

    // With the queue paused the rows stay to be looked at, in the order dropped.
    child(w, "siTransferPause")->trigger();
    QVERIFY(dragOnto(viewport(w, "lvRemoteFiles"), *files, true));
    settle();
    QCOMPARE(captions(w, "lvTransfer"), QStringList({"c3.txt", "c1.txt", "c2.txt"}));
    QCOMPARE(captions(w, "lvTransfer", 1).first(), QString::fromStdString(m_server->hostName()));
    QCOMPARE(captions(w, "lvTransfer", 2).first(), QString("18"));

    // The drop window: both marks, the smallest size, the screen's bottom-right corner.
    child(w, "miDropperWindow")->trigger();
    TfmDropper* dropper = w.DropperWindow();
    QVERIFY(dropper && dropper->isVisible());
    QCOMPARE(checkMarks(w), QStringList({"on", "on"}));
    QCOMPARE(dropper->size(), QSize(75, 75));
    const QRect screen = dropper->screen()->geometry();
    QCOMPARE(dropper->frameGeometry().bottomRight(), screen.bottomRight());
    QVERIFY(dragOnto(dropper, *files, true));
    settle();
    QCOMPARE(captions(w, "lvTransfer").size(), 6);

    // Restart sends all six; the drop window's target is the folder the remote pane lists.
    child(w, "siTransferRestart")->trigger();
    waitForQueueDone([this] { return m_server->commands().filter("STOR").size() == 6; });
    QCOMPARE(m_server->readFile("c1.txt"), QByteArray("c1.txtc1.txtc1.txt"));
    QCOMPARE(m_server->commands().filter("STOR").size(), 6);

    // The close box ends the window and its marks; the toggle makes a fresh one.
    dropper->close();
    QTRY_VERIFY(!w.DropperWindow());
    QCOMPARE(checkMarks(w), QStringList({"off", "off"}));
    child(w, "mistDropperWindow")->trigger();
    QVERIFY(w.DropperWindow() && w.DropperWindow()->isVisible());
    child(w, "mistDropperWindow")->trigger();
    QVERIFY(!w.DropperWindow());
    QCOMPARE(checkMarks(w), QStringList({"off", "off"}));
}

void TestTransfersGui::dropWindowWithoutConfiguration() {
    m_prompts.dialog = [](QDialog&) {}; // the first-run wizard is left unanswered
    open(false);
    TfmMain& w = *m_w;
    QVERIFY(!child(w, "miDropperWindow")->isEnabled());
    child(w, "mistDropperWindow")->trigger(); // the tray's item stays enabled
    QVERIFY(w.DropperWindow());
    const std::unique_ptr<QMimeData> files = filesMime({m_local->filePath("a.txt")});
    QVERIFY(!dragOnto(w.DropperWindow(), *files, true));
    settle();
    QVERIFY(captions(w, "lvTransfer").isEmpty());
}

void TestTransfersGui::failedJobRetried() {
    open();
    connectRemotePane(*m_w);
    TfmMain& w = *m_w;
    // The remote pane shows a folder that then goes away on the server.
    select(w, "lvRemoteFiles", "sub");
    auto* remote = child<QTreeWidget>(w, "lvRemoteFiles");
    QTest::keyClick(remote, Qt::Key_Return);
    QTRY_COMPARE(child<QLabel>(w, "labRemotePath")->text(), QString("/sub"));
    QTRY_VERIFY(!w.RemoteRefreshing());
    QVERIFY(QDir(m_server->path("sub")).removeRecursively());

    select(w, "lvLocalFiles", "a.txt");
    settle();
    child(w, "siFTPCopyLocalToFTP")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(captions(w, "lvTransfer", 4).value(0).startsWith("Failed: "), 20000);
    QVERIFY(captions(w, "lvTransfer", 4).first().contains("/sub"));
    QVERIFY(!QFileInfo::exists(m_server->path("a.txt"))); // not written elsewhere
    settle();
    QVERIFY(child(w, "siTransferRetry")->isEnabled());

    QVERIFY(m_server->makeDir("sub"));
    child(w, "siTransferRetry")->trigger();
    waitForQueueDone([this] { return m_server->readFile("sub/a.txt") == "alpha"; });
    QCOMPARE(m_server->readFile("sub/a.txt"), QByteArray("alpha"));
    settle();
    QVERIFY(!child(w, "siTransferRetry")->isEnabled());
}

void TestTransfersGui::stalledUploadShowsNoSpeed() {
    // The server stops reading early on: the speed gives way to 0 B/s instead of staying.
    m_server = std::make_unique<FtpServer>(QStringList{"--stall-after", "100000"});
    QVERIFY2(m_server->isRunning(), qPrintable(m_server->errorString()));
    touch(m_local->filePath("big.bin"), QByteArray(32 * 1024 * 1024, 'x'));
    open();
    connectRemotePane(*m_w);
    TfmMain& w = *m_w;
    select(w, "lvLocalFiles", "big.bin");
    settle();
    child(w, "siFTPCopyLocalToFTP")->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(child<GaugeStatusBar>(w, "sbaTransfers")->Text(0), QString("0 B/s"),
                              8000);
}

void TestTransfersGui::journalBroughtBackPaused() {
    // An earlier run left a waiting job for the configured server and a failed one for a
    // login that no configuration has; the journal holds no password.
    std::vector<TransferJob> kept(2);
    for (TransferJob& job : kept) {
        job.Record.LocalFile = QFile::encodeName(m_local->filePath("a.txt")).toStdString();
        job.Record.RemoteFolder = "/sub";
        job.Record.ServerHost = m_server->hostName();
        job.SizeText = "5";
    }
    kept[0].Record.RemoteFile = "first.txt";
    kept[0].Record.ServerUser = "anonymous";
    kept[1].Record.RemoteFile = "second.txt";
    kept[1].Record.ServerUser = "other";
    kept[1].State = TransferJobState::Failed;
    kept[1].Reason = "Unable to connect";
    writeFtpConfig(m_home->cfg(), {{"Host", m_server->hostName()},
                                   {"LoginName", "anonymous"},
                                   {"LoginPassword", ScramblePassword("me@home")}});
    const std::string journal = TransferJournalPath(m_home->cfg());
    WriteFileAtomically(journal, EncodeTransferJournal(kept), 0600);
    QStringList asked;
    m_prompts.dialog = [&](QDialog& d) { asked << d.windowTitle(); };
    open(false);
    TfmMain& w = *m_w;
    QCOMPARE(asked, QStringList(
                        {"Password for other on " + QString::fromStdString(m_server->hostName())}));
    settle();
    QCOMPARE(captions(w, "lvTransfer"), QStringList({"first.txt", "second.txt"}));
    QCOMPARE(captions(w, "lvTransfer", 4), QStringList({"Waiting", "Failed: Unable to connect"}));
    QVERIFY(child(w, "siTransferPause")->isChecked());
    QTest::qWait(200); // a paused queue sends nothing
    QVERIFY(m_server->commands().filter("STOR").isEmpty());

    child(w, "siTransferRestart")->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(m_server->readFile("sub/first.txt"), QByteArray("alpha"), 20000);
    QTRY_COMPARE(captions(w, "lvTransfer"), QStringList({"second.txt"}));
    // The journal now holds the failed job alone.
    const std::vector<TransferJob> left = DecodeTransferJournal(ReadWholeFile(journal));
    QCOMPARE(left.size(), size_t(1));
    QCOMPARE(left[0].Record.RemoteFile, std::string("second.txt"));
}

QTEST_MAIN(TestTransfersGui)
#include "test_transfers_gui.moc"
