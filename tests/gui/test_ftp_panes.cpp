// Guards: both FTP panes browsed and changed like a user, and the certificate question.
#include "gui/dialogs/TfmCertificate.h"
#include "gui/dialogs/TfmCreateFolder.h"
#include "gui/ftp/TfmQuickConnect.h"
#include "gui/ui/GaugeStatusBar.h"
#include "support/TlsFtpServer.h"
#include "test_pane_support.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>

using namespace pw;

namespace {
// Types `text` into the in-place editor of the focused row and confirms it.
void renameInPlace(TfmMain& w, const char* list, const char* command, const QString& text) {
    settle(); // the selection has enabled the command
    child(w, command)->trigger();
    auto* editor = child<QTreeWidget>(w, list)->findChild<QLineEdit*>();
    QVERIFY(editor);
    editor->setText(text);
    QTest::keyClick(editor, Qt::Key_Return);
    settle(); // the view commits the edit on its next turn
}

QString remotePath(const TfmMain& w) {
    return child<QLabel>(w, "labRemotePath")->text();
}

} // namespace

class TestFtpPanes : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void remotePane();
    void namesInBothEncodings_data();
    void namesInBothEncodings();
    void certificateQuestion_data();
    void certificateQuestion();

private:
    std::unique_ptr<FtpWindow> m_f;
};

void TestFtpPanes::init() {
    m_f = std::make_unique<FtpWindow>();
    QVERIFY2(m_f->server->isRunning(), qPrintable(m_f->server->errorString()));
    QVERIFY(m_f->server->makeDir("sub") && m_f->server->makeDir("-old"));
    QVERIFY(m_f->server->writeFile("sub/inner.txt", "inner"));
    QVERIFY(m_f->server->writeFile("index.html", "<html>"));
}

void TestFtpPanes::cleanup() {
    m_f.reset();
}

// Browsing, making, renaming and deleting on the server, then disconnecting.
void TestFtpPanes::remotePane() {
    m_f->open(true);
    TfmMain& w = *m_f->w;
    QCOMPARE(remotePath(w), QString("/"));
    // Folders first, each group by name; no parent row at the root.
    QCOMPARE(captions(w, "lvRemoteFiles"), QStringList({"-old", "sub", "index.html"}));
    auto* remote = child<QTreeWidget>(w, "lvRemoteFiles");
    remote->setFocus();
    select(w, "lvRemoteFiles", {"sub"});
    QTest::keyClick(remote, Qt::Key_Return);
    QTRY_COMPARE(remotePath(w), QString("/sub"));
    QTRY_VERIFY(!w.RemoteRefreshing());
    QCOMPARE(captions(w, "lvRemoteFiles"), QStringList({"..", "inner.txt"}));
    QCOMPARE(remote->topLevelItem(1)->text(1), QString("5"));
    QTest::keyClick(remote, Qt::Key_Backspace);
    QTRY_COMPARE(remotePath(w), QString("/"));
    QTRY_VERIFY(!w.RemoteRefreshing());
    m_f->prompts.dialog = [](QDialog& d) {
        qobject_cast<TfmCreateFolder*>(&d)->edFolder->setText("made");
        d.accept();
    };
    child(w, "miFTPMakeDirectoryFTP")->trigger();
    QTRY_VERIFY(captions(w, "lvRemoteFiles").contains("made"));
    QVERIFY(QDir(m_f->server->path("made")).exists());
    QTRY_VERIFY(!w.RemoteRefreshing());
    // The same name and the empty name do not reach the server; a change of case does.
    select(w, "lvRemoteFiles", {"index.html"});
    for (const QString& name : {QString("index.html"), QString()})
        renameInPlace(w, "lvRemoteFiles", "miFTPRenameRemoteFile", name);
    QTRY_VERIFY(!w.RemoteRefreshing());
    QVERIFY(m_f->server->commands().filter("RNFR").isEmpty());
    renameInPlace(w, "lvRemoteFiles", "miFTPRenameRemoteFile", "INDEX.html");
    QTRY_VERIFY(QFile::exists(m_f->server->path("INDEX.html")));
    // Delete: No keeps the file, Yes removes it.
    for (bool yes : {false, true}) {
        m_f->prompts.ask = [yes](const QString& caption, const QString&) {
            return caption == "Delete files on FTP" && yes;
        };
        QTRY_VERIFY(captions(w, "lvRemoteFiles").contains("INDEX.html"));
        select(w, "lvRemoteFiles", {"INDEX.html"});
        settle();
        child(w, "miFTPDeleteOnFTP")->trigger();
        QTRY_VERIFY(!w.RemoteRefreshing());
        QCOMPARE(QFile::exists(m_f->server->path("INDEX.html")), !yes);
    }
    child(w, "miFTPDisconnect")->trigger();
    settle();
    QCOMPARE(w.FTPState(), ActivityState::Idle);
    QVERIFY(captions(w, "lvRemoteFiles").isEmpty());
}

void TestFtpPanes::namesInBothEncodings_data() {
    QTest::addColumn<QStringList>("serverArgs");
    QTest::newRow("UTF-8 server") << QStringList();
    QTest::newRow("Windows-1252 server") << QStringList{"--cp1252"};
}

// Names show as the user wrote them either way, and go back to the server as it sent them.
void TestFtpPanes::namesInBothEncodings() {
    QFETCH(QStringList, serverArgs);
    m_f->server = std::make_unique<FtpServer>(serverArgs);
    const QString before = QString::fromUtf8("Grüße.txt"), after = QString::fromUtf8("Straße.txt");
    QVERIFY(m_f->server->writeFile(before, "x"));
    m_f->open(true);
    QCOMPARE(captions(*m_f->w, "lvRemoteFiles"), QStringList{before});
    select(*m_f->w, "lvRemoteFiles", {before});
    renameInPlace(*m_f->w, "lvRemoteFiles", "miFTPRenameRemoteFile", after);
    QTRY_VERIFY(QFile::exists(m_f->server->path(after)));
    QTRY_COMPARE(captions(*m_f->w, "lvRemoteFiles"), QStringList{after});
}

void TestFtpPanes::certificateQuestion_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("connects");
    QTest::addColumn<bool>("stored");
    QTest::newRow("accept always") << "btAcceptAlways" << true << true;
    QTest::newRow("accept once") << "btAcceptOnce" << true << false;
    QTest::newRow("cancel") << "btCancel" << false << false;
}

void TestFtpPanes::certificateQuestion() {
    if (!TlsFtpServer::available()) QSKIP("vsftpd is not installed");
    QFETCH(QString, button);
    QFETCH(bool, connects);
    QFETCH(bool, stored);
    TlsFtpServer tls(TlsFtpServer::Mode::Explicit);
    QVERIFY2(tls.isRunning(), qPrintable(tls.errorString()));
    QVERIFY(tls.writeFile("page.html", "<html>"));
    writeServerConfig(m_f->home.cfg(), tls.hostName(), m_f->local.path(),
                      {{"Protocol", "1"}, {"FTPDefaultFolder", tls.root().toStdString()}});
    QStringList shown;
    bool loginBeforeAnswer = false;
    m_f->prompts.dialog = [&](QDialog& d) {
        auto* question = qobject_cast<TfmCertificate*>(&d);
        QVERIFY(question);
        shown << question->findChild<QLabel*>("lbFingerprint")->text();
        // Nothing is sent to the server before the user has decided.
        if (shown.size() == 1)
            loginBeforeAnswer =
                !tls.commands().filter(QRegularExpression("^(USER|PASS)")).isEmpty();
        QTest::mouseClick(question->findChild<QPushButton*>(button), Qt::LeftButton);
    };
    // The next window asks again unless the fingerprint was stored.
    for (int window = 1; window <= 2; ++window) {
        m_f->w = std::make_unique<TfmMain>(m_f->prompts);
        showFtpPage(*m_f->w);
        child(*m_f->w, "siFTPConnect")->trigger();
        auto* bar = child<GaugeStatusBar>(*m_f->w, "sbaFTP");
        QTRY_VERIFY_WITH_TIMEOUT(bar->Text(1) == "Succesful" || bar->Text(1).startsWith("Error"),
                                 20000);
        QCOMPARE(shown.size(), window == 1 || !stored ? window : 1);
        QCOMPARE(shown.last(), tls.fingerprint());
        QVERIFY(!loginBeforeAnswer);
        QCOMPARE(bar->Text(1), QString(connects ? "Succesful" : "Error: Cannot connect"));
        QVERIFY(m_f->prompts.errors.isEmpty()); // the user's own refusal needs no message
        m_f->w.reset();
    }
}

QTEST_MAIN(TestFtpPanes)
#include "test_ftp_panes.moc"
