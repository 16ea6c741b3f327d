// The FTP page's two panes driven like a user against the test server and a temporary local
// folder: connecting, browsing with the keys, making, renaming and deleting on both sides, the
// local orders, the folder monitor, quick connect's OK rule, a failed connect, and the question
// about a server certificate nobody vouches for, answered each way.
#include "core/config/Password.h"
#include "gui/app/TfmMain.h"
#include "gui/dialogs/TfmCertificate.h"
#include "gui/dialogs/TfmCreateFolder.h"
#include "gui/ftp/TfmQuickConnect.h"
#include "gui/ui/GaugeStatusBar.h"
#include "support/FtpServer.h"
#include "support/TlsFtpServer.h"
#include "test_pane_support.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTreeWidget>

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
} // namespace

class TestFtpPanes : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void connectAndBrowse();
    void remoteMakeRenameDelete();
    void namesInBothEncodings_data();
    void namesInBothEncodings();
    void localOrders_data();
    void localOrders();
    void localMakeRenameDeleteAndMonitor_data();
    void localMakeRenameDeleteAndMonitor();
    void quickConnectOkRule_data();
    void quickConnectOkRule();
    void quickConnectToAddress();
    void failedConnect();
    void certificateQuestion_data();
    void certificateQuestion();

private:
    void open(const std::map<std::string, std::string>& extra = {});

    std::unique_ptr<TempHome> m_home;
    std::unique_ptr<FtpServer> m_server;
    std::unique_ptr<QTemporaryDir> m_temp;
    TestPrompts m_prompts;
    std::unique_ptr<TfmMain> m_w;
};

void TestFtpPanes::init() {
    m_prompts = TestPrompts();
    m_home = std::make_unique<TempHome>();
    m_temp = std::make_unique<QTemporaryDir>();
    m_server = std::make_unique<FtpServer>();
    QVERIFY2(m_server->isRunning(), qPrintable(m_server->errorString()));
    QVERIFY(m_server->makeDir("sub"));
    QVERIFY(m_server->writeFile("sub/inner.txt", "inner"));
    QVERIFY(m_server->writeFile("index.html", "<html>"));
    QVERIFY(m_server->makeDir("-old"));
}

void TestFtpPanes::cleanup() {
    m_w.reset();
    m_server.reset();
    m_home.reset();
}

void TestFtpPanes::open(const std::map<std::string, std::string>& extra) {
    writeServerConfig(m_home->cfg(), *m_server, m_temp->path(), extra);
    m_w = std::make_unique<TfmMain>(m_prompts);
    showFtpPage(*m_w);
}

void TestFtpPanes::connectAndBrowse() {
    open();
    connectRemotePane(*m_w);
    TfmMain& w = *m_w;
    QCOMPARE(child<GaugeStatusBar>(w, "sbaFTP")->Text(1), QString("Succesful"));
    QCOMPARE(child<QLabel>(w, "labRemotePath")->text(), QString("/"));
    // Folders first, each group by name; no parent row at the root.
    QCOMPARE(captions(w, "lvRemoteFiles"), QStringList({"-old", "sub", "index.html"}));
    auto* remote = child<QTreeWidget>(w, "lvRemoteFiles");
    remote->setFocus();
    select(w, "lvRemoteFiles", "sub");
    QTest::keyClick(remote, Qt::Key_Return);
    QTRY_COMPARE(child<QLabel>(w, "labRemotePath")->text(), QString("/sub"));
    QTRY_VERIFY(!w.RemoteRefreshing());
    QCOMPARE(captions(w, "lvRemoteFiles"), QStringList({"..", "inner.txt"}));
    QCOMPARE(remote->topLevelItem(1)->text(1), QString("5"));
    QTest::keyClick(remote, Qt::Key_Backspace);
    QTRY_COMPARE(child<QLabel>(w, "labRemotePath")->text(), QString("/"));
    QTRY_VERIFY(!w.RemoteRefreshing());
    // The arrows hand the focus to the other pane when released.
    QTest::keyRelease(remote, Qt::Key_Right);
    QVERIFY(child<QTreeWidget>(w, "lvLocalFiles")->hasFocus());
    QTest::keyRelease(child<QTreeWidget>(w, "lvLocalFiles"), Qt::Key_Left);
    QVERIFY(remote->hasFocus());
    child(w, "miFTPDisconnect")->trigger();
    settle();
    QCOMPARE(w.FTPState(), ActivityState::Idle);
    QVERIFY(captions(w, "lvRemoteFiles").isEmpty());
}

void TestFtpPanes::remoteMakeRenameDelete() {
    open();
    connectRemotePane(*m_w);
    TfmMain& w = *m_w;
    m_prompts.dialog = [](QDialog& d) {
        auto* dialog = qobject_cast<TfmCreateFolder*>(&d);
        QVERIFY(dialog);
        dialog->edFolder->setText("made");
        dialog->accept();
    };
    child(w, "miFTPMakeDirectoryFTP")->trigger();
    QTRY_VERIFY(captions(w, "lvRemoteFiles").contains("made"));
    QVERIFY(QDir(m_server->path("made")).exists());
    QTRY_VERIFY(!w.RemoteRefreshing());
    settle();

    // The same name and the empty name do not reach the server; a change of case does.
    select(w, "lvRemoteFiles", "index.html");
    for (const QString& name : {QString("index.html"), QString()}) {
        renameInPlace(w, "lvRemoteFiles", "miFTPRenameRemoteFile", name);
        QTRY_VERIFY(!w.RemoteRefreshing());
        settle();
    }
    QVERIFY(!m_server->commands().join('\n').contains("RNFR"));
    renameInPlace(w, "lvRemoteFiles", "miFTPRenameRemoteFile", "INDEX.html");
    QTRY_VERIFY(captions(w, "lvRemoteFiles").contains("INDEX.html"));
    QVERIFY(QFile::exists(m_server->path("INDEX.html")));

    // Delete: No keeps the file, Yes removes it.
    for (bool yes : {false, true}) {
        m_prompts.ask = [yes](const QString& caption, const QString&) {
            return caption == "Delete files on FTP" && yes;
        };
        select(w, "lvRemoteFiles", "INDEX.html");
        child(w, "miFTPDeleteOnFTP")->trigger();
        QTRY_VERIFY(!w.RemoteRefreshing());
        settle();
        QCOMPARE(QFile::exists(m_server->path("INDEX.html")), !yes);
    }
    QTRY_VERIFY(!captions(w, "lvRemoteFiles").contains("INDEX.html"));
}

void TestFtpPanes::namesInBothEncodings_data() {
    QTest::addColumn<QStringList>("serverArgs");
    QTest::newRow("UTF-8 server") << QStringList();
    QTest::newRow("Windows-1252 server") << QStringList{"--cp1252"};
}

// Names show as the user wrote them either way, and go back to the server as it sent them.
void TestFtpPanes::namesInBothEncodings() {
    QFETCH(QStringList, serverArgs);
    m_server = std::make_unique<FtpServer>(serverArgs);
    QVERIFY(m_server->writeFile(QString::fromUtf8("Grüße.txt"), "x"));
    open();
    connectRemotePane(*m_w);
    QCOMPARE(captions(*m_w, "lvRemoteFiles"), QStringList{QString::fromUtf8("Grüße.txt")});
    select(*m_w, "lvRemoteFiles", QString::fromUtf8("Grüße.txt"));
    renameInPlace(*m_w, "lvRemoteFiles", "miFTPRenameRemoteFile", QString::fromUtf8("Straße.txt"));
    QTRY_VERIFY(QFile::exists(m_server->path(QString::fromUtf8("Straße.txt"))));
    QTRY_COMPARE(captions(*m_w, "lvRemoteFiles"), QStringList{QString::fromUtf8("Straße.txt")});
}

void TestFtpPanes::localOrders_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<QStringList>("order");
    QTest::newRow("name") << "miFTPLocalSortName"
                          << QStringList{"-old", "..", "data", "a.zip", "b.txt", "README"};
    QTest::newRow("extension") << "miFTPLocalSortExtension"
                               << QStringList{"-old", "..", "data", "b.txt", "a.zip", "README"};
    QTest::newRow("size") << "miFTPLocalSortSize"
                          << QStringList{"-old", "..", "data", "b.txt", "README", "a.zip"};
}

void TestFtpPanes::localOrders() {
    QFETCH(QString, item);
    QFETCH(QStringList, order);
    QDir root(m_temp->path());
    QVERIFY(root.mkpath("folder/-old") && root.mkpath("folder/data"));
    touch(root.filePath("folder/b.txt"), "123456789");
    touch(root.filePath("folder/a.zip"), QByteArray(11, 'z'));
    touch(root.filePath("folder/README"), "0123456789");
    open();
    TfmMain& w = *m_w;
    select(w, "lvLocalFiles", "folder");
    QTest::keyClick(child<QTreeWidget>(w, "lvLocalFiles"), Qt::Key_Return);
    QCOMPARE(child<QLabel>(w, "labLocalPath")->text(), root.filePath("folder"));
    child(w, item.toLatin1().constData())->trigger();
    QCOMPARE(captions(w, "lvLocalFiles"), order);
    // Up and Backspace go up only while ".." heads the list.
    QTest::keyClick(child<QTreeWidget>(w, "lvLocalFiles"), Qt::Key_Backspace);
    QCOMPARE(child<QLabel>(w, "labLocalPath")->text() == m_temp->path(), order.first() == "..");
}

void TestFtpPanes::localMakeRenameDeleteAndMonitor_data() {
    QTest::addColumn<bool>("monitor");
    QTest::newRow("automatic refresh on") << true;
    QTest::newRow("automatic refresh off") << false;
}

void TestFtpPanes::localMakeRenameDeleteAndMonitor() {
    QFETCH(bool, monitor);
    touch(m_temp->filePath("a.txt"));
    open({{"FTPAutomaticLocalRefresh", monitor ? "TRUE" : ""}});
    TfmMain& w = *m_w;
    QCOMPARE(captions(w, "lvLocalFiles"), QStringList({"..", "a.txt"}));
    // Another program creates a file: only the monitor shows it without Refresh.
    touch(m_temp->filePath("other.txt"));
    if (monitor)
        QTRY_VERIFY(captions(w, "lvLocalFiles").contains("other.txt"));
    else {
        QTest::qWait(300);
        QVERIFY(!captions(w, "lvLocalFiles").contains("other.txt"));
        child(w, "miFTPRefreshLocal")->trigger();
    }
    // A change of case alone renames.
    select(w, "lvLocalFiles", "a.txt");
    renameInPlace(w, "lvLocalFiles", "miFTPRenameLocalFile", "A.TXT");
    QVERIFY(QFile::exists(m_temp->filePath("A.TXT")) && !QFile::exists(m_temp->filePath("a.txt")));
    m_prompts.dialog = [](QDialog& d) {
        auto* dialog = qobject_cast<TfmCreateFolder*>(&d);
        dialog->edFolder->setText("made");
        dialog->accept();
    };
    child(w, "miFTPMakeDirectoryLocal")->trigger();
    QVERIFY(QDir(m_temp->filePath("made")).exists());
    child(w, "miFTPRefreshLocal")->trigger();
    // A folder with a file in it stays; the selected file goes.
    touch(m_temp->filePath("made/keep"));
    select(w, "lvLocalFiles", "made");
    child<QTreeWidget>(w, "lvLocalFiles")
        ->findItems("A.TXT", Qt::MatchExactly)[0]
        ->setSelected(true);
    settle();
    child(w, "miFTPDeleteOnLocal")->trigger();
    QVERIFY(QDir(m_temp->filePath("made")).exists());
    QVERIFY(!QFile::exists(m_temp->filePath("A.TXT")));
}

void TestFtpPanes::quickConnectOkRule_data() {
    QTest::addColumn<QString>("server");
    QTest::addColumn<QString>("user");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<bool>("accepted");   // OK closes the dialog
    QTest::addColumn<QString>("reading"); // what the line below the server says
    QTest::addColumn<int>("protocol");
    QTest::addColumn<int>("port");
    QTest::newRow("both, empty password") << "127.0.0.1"
                                          << "ann" << true << true << "FTP, port 21" << 0 << 21;
    QTest::newRow("no server") << ""
                               << "ann" << false << false << "" << 0 << 0;
    QTest::newRow("no user") << "127.0.0.1"
                             << "" << false << false << "FTP, port 21" << 0 << 0;
    QTest::newRow("bare host and port") << "127.0.0.1:2121"
                                        << "ann" << true << true << "FTP, port 2121" << 0 << 2121;
    QTest::newRow("explicit TLS") << "ftpes://h"
                                  << "ann" << true << true << "FTP over explicit TLS, port 21" << 1
                                  << 21;
    QTest::newRow("implicit TLS and a port")
        << "ftps://h:4990"
        << "ann" << true << true << "FTP over implicit TLS, port 4990" << 2 << 4990;
    QTest::newRow("upper-case SFTP with a folder")
        << "SFTP://h/site"
        << "ann" << true << true << "SFTP, port 22" << 3 << 22;
    QTest::newRow("IPv6") << "[::1]:21"
                          << "ann" << true << true << "FTP, port 21" << 0 << 21;
    QTest::newRow("port out of range")
        << "h:65536"
        << "ann" << true << false << "port 65536 is out of range 1 to 65535" << 0 << 0;
    QTest::newRow("unknown scheme") << "http://h"
                                    << "ann" << true << false << "unknown scheme" << 0 << 0;
    QTest::newRow("scheme without host") << "sftp://"
                                         << "ann" << true << false << "no host" << 0 << 0;
}

void TestFtpPanes::quickConnectOkRule() {
    QFETCH(QString, server);
    QFETCH(QString, user);
    QFETCH(bool, ok);
    QFETCH(bool, accepted);
    QFETCH(QString, reading);
    TfmQuickConnect dialog;
    dialog.show();
    QTest::keyClicks(dialog.edServer, server);
    QTest::keyClicks(dialog.edUsername, user);
    QCOMPARE(dialog.btOK->isEnabled(), ok);
    const QString shown = dialog.labServerAddress->text();
    QVERIFY2(reading.isEmpty() ? shown.isEmpty() : shown.startsWith(reading), qPrintable(shown));
    QTest::mouseClick(dialog.btOK, Qt::LeftButton);
    QCOMPARE(dialog.result() == QDialog::Accepted, accepted);
    QCOMPARE(dialog.isVisible(), !accepted);
    if (accepted) {
        QTEST(int(dialog.Endpoint().protocol), "protocol");
        QTEST(int(dialog.Endpoint().port), "port");
    }
}

// A URL with a port and a folder reaches that server and opens in that folder.
void TestFtpPanes::quickConnectToAddress() {
    open();
    const QString url = QStringLiteral("FTP://127.0.0.1:%1/sub").arg(m_server->port());
    m_prompts.dialog = [url](QDialog& d) {
        auto* quick = qobject_cast<TfmQuickConnect*>(&d);
        QVERIFY(quick);
        quick->edServer->setText(url);
        quick->edUsername->setText("anonymous");
        quick->btOK->click();
    };
    child(*m_w, "siFTPQuickConnect")->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(m_w->FTPState(), ActivityState::Connected, 20000);
    QTRY_VERIFY(!m_w->RemoteRefreshing());
    settle();
    QCOMPARE(child<QLabel>(*m_w, "labRemotePath")->text(), QString("/sub"));
    QVERIFY(captions(*m_w, "lvRemoteFiles").contains("inner.txt"));
}

void TestFtpPanes::failedConnect() {
    const quint16 port = m_server->port();
    m_server->kill();
    open({{"Host", "127.0.0.1:" + std::to_string(port)}});
    child(*m_w, "siFTPConnect")->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(child<GaugeStatusBar>(*m_w, "sbaFTP")->Text(1),
                              QString("Error: Cannot connect"), 30000);
    settle();
    QCOMPARE(m_w->FTPState(), ActivityState::Idle);
    auto* bar = child<GaugeStatusBar>(*m_w, "sbaFTP");
    QVERIFY(!bar->PanelEnabled(2) && bar->PanelEnabled(3));
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
    writeFtpConfig(m_home->cfg(),
                   {{"Host", tls.hostName()},
                    {"Protocol", "1"},
                    {"LoginName", "anonymous"},
                    {"LoginPassword", ScramblePassword("me@home")},
                    {"FTPDefaultFolder", tls.root().toStdString()},
                    {"LocalFTPDirectory", QFile::encodeName(m_temp->path()).toStdString()},
                    {"FTPTimeout", "10"}});
    QStringList shown;
    bool loginBeforeAnswer = false;
    m_prompts.dialog = [&](QDialog& d) {
        auto* question = qobject_cast<TfmCertificate*>(&d);
        QVERIFY(question);
        shown << question->findChild<QLabel*>("lbFingerprint")->text();
        // Nothing is sent to the server before the user has decided.
        loginBeforeAnswer = !tls.commands().filter(QRegularExpression("^(USER|PASS)")).isEmpty();
        QVERIFY(question->btAcceptAlways->isVisibleTo(question));
        QTest::mouseClick(question->findChild<QPushButton*>(button), Qt::LeftButton);
    };
    m_w = std::make_unique<TfmMain>(m_prompts);
    showFtpPage(*m_w);
    child(*m_w, "siFTPConnect")->trigger();
    auto* bar = child<GaugeStatusBar>(*m_w, "sbaFTP");
    QTRY_VERIFY_WITH_TIMEOUT(bar->Text(1) == "Succesful" || bar->Text(1) == "Error: Cannot connect",
                             20000);
    QCOMPARE(shown, QStringList{tls.fingerprint()});
    QVERIFY(!loginBeforeAnswer);
    QCOMPARE(bar->Text(1), QString(connects ? "Succesful" : "Error: Cannot connect"));
    QVERIFY(m_prompts.errors.isEmpty()); // the user's own refusal needs no message
    if (connects) QTRY_COMPARE(captions(*m_w, "lvRemoteFiles"), QStringList({"..", "page.html"}));

    ConfigTables file(ConfigRole::MainWindow);
    QVERIFY(file.LoadIfExists(m_home->cfg()));
    QCOMPARE(QString::fromStdString(file.ConfigSource.GetString(0, "TrustedFingerprint")),
             stored ? tls.fingerprint() : QString());
    if (!stored) return;
    // The stored fingerprint is trusted without a question from now on.
    m_w.reset();
    shown.clear();
    m_w = std::make_unique<TfmMain>(m_prompts);
    showFtpPage(*m_w);
    connectRemotePane(*m_w);
    QVERIFY(shown.isEmpty());
}

QTEST_MAIN(TestFtpPanes)
#include "test_ftp_panes.moc"
