// Guards: files moved by the copy commands, F5, drags between the panes and the drop window.
#include "core/app/DropTarget.h"
#include "core/storage/FileIO.h"
#include "gui/local/TfmDropper.h"
#include "gui/ui/PaneDragDrop.h"
#include "test_pane_support.h"

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

using namespace pw;

namespace {
// Drags `mime` over `target` and, when it is accepted, lets it go there.
bool dragOnto(QWidget* target, const QMimeData& mime) {
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent release(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &release);
    return true;
}

} // namespace

class TestTransfersGui : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup() { m_f.reset(); }
    void copyCommandsAndF5();
    void dragsBetweenPanes_data();
    void dragsBetweenPanes();
    void dropWindow();

private:
    // Waits until `done` holds, then until the queue is empty and the worker disconnected.
    void waitForQueueDone(const std::function<bool()>& done);
    std::unique_ptr<FtpWindow> m_f;
};

void TestTransfersGui::init() {
    m_f = std::make_unique<FtpWindow>();
    // The drop target lives as long as the program: each test starts without one.
    DropTarget = TnkFTPRecord();
    QVERIFY2(m_f->server->isRunning(), qPrintable(m_f->server->errorString()));
    QVERIFY(m_f->server->writeFile("index.html", "<html>"));
    QVERIFY(m_f->server->makeDir("sub"));
    touch(m_f->local.filePath("a.txt"), "alpha");
    touch(m_f->local.filePath("b.txt"), "bravo");
    QVERIFY(QDir(m_f->local.path()).mkdir("dir"));
}

void TestTransfersGui::waitForQueueDone(const std::function<bool()>& done) {
    QTRY_VERIFY_WITH_TIMEOUT(done(), 20000);
    QTRY_VERIFY_WITH_TIMEOUT(captions(*m_f->w, "lvTransfer").isEmpty(), 20000);
    QTRY_COMPARE_WITH_TIMEOUT(child<QLabel>(*m_f->w, "labTransfer")->text(),
                              QString("Disconnected"), 20000);
    QTRY_COMPARE(m_f->w->TransferState(), ActivityState::Idle);
}

void TestTransfersGui::copyCommandsAndF5() {
    m_f->open(true);
    TfmMain& w = *m_f->w;
    // Folders in the selection are skipped; the files go in list order over one login.
    select(w, "lvLocalFiles", {"dir", "a.txt", "b.txt"});
    settle();
    child(w, "siFTPCopyLocalToFTP")->trigger();
    waitForQueueDone([this] { return !m_f->server->readFile("b.txt").isEmpty(); });
    QCOMPARE(m_f->server->readFile("a.txt"), QByteArray("alpha"));
    QCOMPARE(m_f->server->readFile("b.txt"), QByteArray("bravo"));
    QVERIFY(!QFileInfo::exists(m_f->server->path("dir")));
    QCOMPARE(m_f->server->commands().filter("RNTO"), QStringList({"RNTO /a.txt", "RNTO /b.txt"}));
    // F5 in the remote list copies to the local folder; the file keeps the listed time.
    select(w, "lvRemoteFiles", {"index.html"});
    auto* remote = child<QTreeWidget>(w, "lvRemoteFiles");
    const QString listed = remote->selectedItems().first()->text(3);
    remote->setFocus();
    settle();
    QTest::keyClick(remote, Qt::Key_F5);
    const QString target = m_f->local.filePath("index.html");
    waitForQueueDone([&] { return QFileInfo::exists(target); });
    QCOMPARE(QByteArray::fromStdString(ReadWholeFile(QFile::encodeName(target).toStdString())),
             QByteArray("<html>"));
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
    QTest::newRow("onto remote, not connected")
        << "lvLocalFiles" << "lvRemoteFiles" << false << false;
    // clang-format on
}

void TestTransfersGui::dragsBetweenPanes() {
    QFETCH(QString, from);
    QFETCH(QString, onto);
    QFETCH(bool, connected);
    QFETCH(bool, accepted);
    m_f->open(connected);
    TfmMain& w = *m_f->w;
    child(w, "siTransferPause")->trigger(); // the queued rows stay to be looked at
    select(w, "lvLocalFiles", {"a.txt"});
    select(w, "lvRemoteFiles", {"index.html"});
    settle();
    const std::unique_ptr<QMimeData> rows(PaneDragDrop::MimeFor(from));
    QCOMPARE(dragOnto(child<QTreeWidget>(w, onto.toLatin1())->viewport(), *rows), accepted);
    settle();
    const QString file = from == "lvLocalFiles" ? "a.txt" : "index.html";
    QCOMPARE(captions(w, "lvTransfer"), accepted ? QStringList{file} : QStringList());
}

// Files dropped on the drop window are queued for the chosen configuration's server; without a
// usable one (none chosen, an unknown protocol) the drop is refused.
void TestTransfersGui::dropWindow() {
    const struct {
        const char* protocol; // of the configuration; null: the target is cleared
        QStringList queued;
    } table[] = {{"0", {"a.txt", "b.txt", "c.txt"}}, {nullptr, {}}, {"9", {}}};
    for (const auto& row : table) {
        m_f.reset(); // the old program folder goes before the next is made
        init();
        touch(m_f->local.filePath("dir/c.txt"), "charlie");
        m_f->open(false, {{"Protocol", row.protocol ? row.protocol : "0"}});
        if (!row.protocol) DropTarget = TnkFTPRecord();
        child(*m_f->w, "siTransferPause")->trigger();
        settle();
        child(*m_f->w, "miDropperWindow")->trigger();
        QVERIFY(m_f->w->DropperWindow());
        QMimeData files;
        files.setUrls({QUrl::fromLocalFile(m_f->local.filePath("a.txt")),
                       QUrl::fromLocalFile(m_f->local.filePath("b.txt")),
                       QUrl::fromLocalFile(m_f->local.filePath("dir"))});
        QCOMPARE(dragOnto(m_f->w->DropperWindow(), files), !row.queued.isEmpty());
        settle();
        QCOMPARE(captions(*m_f->w, "lvTransfer"), row.queued);
        if (!row.queued.isEmpty())
            QCOMPARE(captions(*m_f->w, "lvTransfer", 1).first(),
                     QString::fromStdString(m_f->server->hostName()));
    }
}

QTEST_MAIN(TestTransfersGui)
#include "test_transfers_gui.moc"
