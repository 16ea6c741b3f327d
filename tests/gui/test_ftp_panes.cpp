// Guards: both FTP panes used like a user, names in both encodings, the certificate question.
#include "gui/dialogs/TfmCertificate.h"
#include "gui/dialogs/TfmCreateFolder.h"
#include "gui/ui/GaugeStatusBar.h"
#include "support/TlsFtpServer.h"
#include "test_pane_support.h"

#include <QDirIterator>
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

// Answers the make-folder dialog with `name`.
std::function<void(QDialog&)> folderNamed(const QString& name) {
    return [name](QDialog& d) {
        qobject_cast<TfmCreateFolder*>(&d)->edFolder->setText(name);
        d.accept();
    };
}
} // namespace

class TestFtpPanes : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup() { m_f.reset(); }
    void remotePane_data();
    void remotePane();
    void localPane();
    void certificateQuestion_data();
    void certificateQuestion();

private:
    std::unique_ptr<FtpWindow> m_f;
};

void TestFtpPanes::init() {
    m_f = std::make_unique<FtpWindow>();
}

void TestFtpPanes::remotePane_data() {
    QTest::addColumn<QStringList>("serverArgs");
    QTest::newRow("UTF-8 server") << QStringList();
    QTest::newRow("Windows-1252 server") << QStringList{"--cp1252"};
}

// Browsing, making, renaming and deleting on the server, then disconnecting. Names show as
// the user wrote them in either encoding, and go back to the server as it sent them.
void TestFtpPanes::remotePane() {
    QFETCH(QStringList, serverArgs);
    m_f->server = std::make_unique<FtpServer>(serverArgs);
    FtpServer& server = *m_f->server;
    QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
    const QString before = QString::fromUtf8("Grüße.txt"), after = QString::fromUtf8("Straße.txt");
    QVERIFY(server.makeDir("sub") && server.makeDir("-old") && server.writeFile(before, "x"));
    QVERIFY(server.writeFile("sub/inner.txt", "inner") && server.writeFile("index.html", "<"));
    m_f->open(true);
    TfmMain& w = *m_f->w;
    // Folders first, each group by name; no parent row at the root.
    QCOMPARE(captions(w, "lvRemoteFiles"), QStringList({"-old", "sub", before, "index.html"}));
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
    m_f->prompts.dialog = folderNamed("made");
    child(w, "miFTPMakeDirectoryFTP")->trigger();
    QTRY_VERIFY(captions(w, "lvRemoteFiles").contains("made"));
    QVERIFY(QDir(server.path("made")).exists());
    QTRY_VERIFY(!w.RemoteRefreshing());
    // The same name and the empty name do not reach the server; another name does.
    select(w, "lvRemoteFiles", {before});
    for (const QString& name : {before, QString(), after})
        renameInPlace(w, "lvRemoteFiles", "miFTPRenameRemoteFile", name);
    QTRY_VERIFY(QFile::exists(server.path(after)));
    QTRY_VERIFY(captions(w, "lvRemoteFiles").contains(after));
    QCOMPARE(server.commands().filter("RNFR").size(), 1);
    // Delete: No keeps the file, Yes removes it.
    for (bool yes : {false, true}) {
        m_f->prompts.ask = [yes](const QString& caption, const QString&) {
            return caption == "Delete files on FTP" && yes;
        };
        QTRY_VERIFY(!w.RemoteRefreshing());
        select(w, "lvRemoteFiles", {after});
        settle();
        child(w, "miFTPDeleteOnFTP")->trigger();
        QTRY_VERIFY(!w.RemoteRefreshing());
        QCOMPARE(QFile::exists(server.path(after)), !yes);
    }
    child(w, "miFTPDisconnect")->trigger();
    settle();
    QCOMPARE(w.FTPState(), ActivityState::Idle);
    QVERIFY(captions(w, "lvRemoteFiles").isEmpty());
}

// What is left in the local folder after each command.
void TestFtpPanes::localPane() {
    const QStringList all{"a.txt", "empty", "full", "full/x.txt"};
    const struct {
        const char *command, *text; // the new name; for a delete the answer, "yes" or "no"
        QStringList rows, after;
    } table[] = {
        {"miFTPRenameLocalFile",
         "Grüße.txt",
         {"a.txt"},
         {"Grüße.txt", "empty", "full", "full/x.txt"}},
        {"miFTPRenameLocalFile", "", {"a.txt"}, all},
        {"miFTPRenameLocalFile", "full", {"a.txt"}, all}, // a full folder is not replaced
        {"miFTPMakeDirectoryLocal", "made", {}, all + QStringList{"made"}},
        {"miFTPDeleteOnLocal", "no", {"a.txt", "empty"}, all},
        {"miFTPDeleteOnLocal", "yes", {"a.txt", "empty"}, {"full", "full/x.txt"}},
        {"miFTPDeleteOnLocal", "yes", {"..", "full"}, all}, // a full folder stays, silently
    };
    for (const auto& row : table) {
        m_f.reset(); // the old program folder goes before the next is made
        init();
        QVERIFY2(m_f->server->isRunning(), qPrintable(m_f->server->errorString()));
        const QDir local(m_f->local.path());
        QVERIFY(local.mkdir("empty") && local.mkdir("full"));
        touch(local.filePath("a.txt"));
        touch(local.filePath("full/x.txt"));
        m_f->open(false);
        m_f->w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_f->w.get()));
        const QString text = QString::fromUtf8(row.text);
        m_f->prompts.dialog = folderNamed(text);
        m_f->prompts.ask = [&](const QString& caption, const QString&) {
            return caption == "Delete local files" && text == "yes";
        };
        child<QTreeWidget>(*m_f->w, "lvLocalFiles")->setFocus();
        select(*m_f->w, "lvLocalFiles", row.rows);
        settle();
        if (QString(row.command).contains("Rename")) {
            renameInPlace(*m_f->w, "lvLocalFiles", row.command, text);
            QVERIFY(captions(*m_f->w, "lvLocalFiles").contains(row.after.first()));
        } else
            child(*m_f->w, row.command)->trigger();
        QStringList found;
        for (QDirIterator it(local.path(), QDir::AllEntries | QDir::NoDotAndDotDot,
                             QDirIterator::Subdirectories);
             it.hasNext();)
            found << local.relativeFilePath(it.next());
        found.sort();
        QVERIFY2(found == row.after, qPrintable(row.command + (": " + found.join(','))));
        QVERIFY(m_f->prompts.errors.isEmpty());
    }
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
