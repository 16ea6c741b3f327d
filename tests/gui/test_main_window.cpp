// The main window's start: pages and menus as the file says, command enabling without a
// configuration, first activation, placement, the pane split, commands of the window itself.
#include "gui/app/TfmMain.h"
#include "gui/dialogs/TfmNewServer.h"
#include "gui/ui/AnimatedImage.h"
#include "gui/ui/DBComboBox.h"
#include "gui/ui/ToolbarCustomizer.h"
#include "test_main_support.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QListWidget>
#include <QMenu>
#include <QSignalSpy>
#include <QSplitter>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

#include <thread>

using namespace pw;

namespace {
bool tabVisible(TfmMain& w, const char* page) {
    return child<QTabWidget>(w, "PageControl")
        ->isTabVisible(child<QTabWidget>(w, "PageControl")
                           ->indexOf(w.findChild<QWidget*>(QString::fromLatin1(page))));
}

bool enabled(TfmMain& w, const QString& name) {
    if (auto* a = w.findChild<QAction*>(name)) return a->isEnabled();
    if (auto* wid = w.findChild<QWidget*>(name)) return wid->isEnabled();
    qFatal("no item %s", qPrintable(name));
}

bool menuVisible(TfmMain& w, const char* menu) {
    return w.findChild<QMenu*>(QString::fromLatin1(menu))->menuAction()->isVisible();
}
} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void startsWithoutConfiguration();
    void wizardOnceOnFirstActivation();
    void wizardFinishReloads();
    void keyboardReturnsAfterAbout();
    void noWizardWithConfiguration();
    void visibility_data();
    void visibility();
    void placement_data();
    void placement();
    void remotePaneSplit();
    void gotoPage_data();
    void gotoPage();
    void localCopyNeedsConnection();
    void statesFromWorkerThreads();
    void reloadKeepsChoices();
    void damagedFileIsReported_data();
    void damagedFileIsReported();
    void transferPauseRestart();
    void toolbarCustomizer();
    void minimizeWithoutTray();
};

void TestMainWindow::startsWithoutConfiguration() {
    TempHome home;
    TestPrompts prompts;
    TfmMain w(prompts);
    QCOMPARE(w.windowTitle(), QString("Pagewright v2.0 beta 1"));
    QVERIFY(tabVisible(w, "tsNews"));
    QVERIFY(tabVisible(w, "tsFTP"));
    QVERIFY(tabVisible(w, "tsTransfers"));
    QVERIFY(!tabVisible(w, "tsLinks"));
    QVERIFY(!menuVisible(w, "miLinks"));
    for (const char* menu : {"miNews", "miFTP", "miTransfer"})
        QVERIFY(menuVisible(w, menu));
    for (const char* name : {"miNewsStart",        "siNewsStart",
                             "miNewNewsfile",      "miDropperWindow",
                             "miMinimizeToTray",   "siMinimizeToTray",
                             "wiMinimizeToTray",   "miLinksStart",
                             "miFTPConnect",       "siFTPConnect",
                             "miFTPQuickConnect",  "miFTPRefreshLocal",
                             "milvLocalRefresh",   "miFTPMakeDirectoryLocal",
                             "miFTPLocalSortName", "cbLocalDrives",
                             "miTransferPause",    "siTransferPause",
                             "miTransferRestart",  "siTransferRestart",
                             "miTransferDelete",   "miNewsStop",
                             "miFTPDisconnect",    "miTransferLoad",
                             "miTransferSave",     "miTransferStop",
                             "miFTPMoveFile",      "miFTPRemoteSortName"})
        QVERIFY2(!enabled(w, name), name);
    for (const char* name : {"miNewServer", "miConfiguration", "siConfiguration", "miExit",
                             "siExit", "miHelpAbout", "cbNewsConfig", "cbFTPConfig"})
        QVERIFY2(enabled(w, name), name);
    QVERIFY(!child<AnimatedImage>(w, "BoltAnimation")->Active());
    QCOMPARE(child<QLabel>(w, "lbNewsPosition")->text(), QString("0/0"));
    QCOMPARE(child<QLabel>(w, "labTransfer")->text(), QString("Disconnected"));
    QCOMPARE(w.minimumSize(), QSize(545, 422));
}

void TestMainWindow::wizardOnceOnFirstActivation() {
    TempHome home;
    TestPrompts prompts;
    TfmMain w(prompts);
    int wizards = 0;
    prompts.dialog = [&](QDialog& d) {
        if (qobject_cast<TfmNewServer*>(&d)) ++wizards;
    };
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QTRY_COMPARE(wizards, 1);
    QVERIFY(w.FirstActivationDone());
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QTest::qWait(50);
    QCOMPARE(wizards, 1);
    // Cancelled: still no configuration, the dependent commands stay disabled.
    QVERIFY(!child(w, "miNewsStart")->isEnabled());
}

void TestMainWindow::wizardFinishReloads() {
    TempHome home;
    TestPrompts prompts;
    TfmMain w(prompts);
    prompts.dialog = [&](QDialog&) { writeWizardFile(home.cfg(), 2); };
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QTRY_COMPARE(w.ConfigSource.RecordCount(), 2);
    QCOMPARE(child<DBComboBox>(w, "cbNewsConfig")->count(), 2);
    QCOMPARE(child<DBComboBox>(w, "cbNewsConfig")->currentIndex(), 0);
    QVERIFY(child(w, "miMinimizeToTray")->isEnabled());
    // The wizard's first file shows every menu.
    QVERIFY(menuVisible(w, "miNews"));
    QVERIFY(menuVisible(w, "miFTP"));
    QVERIFY(menuVisible(w, "miTransfer"));
    QVERIFY(tabVisible(w, "tsFTP"));
}

void TestMainWindow::keyboardReturnsAfterAbout() {
    TempHome home;
    writeDialogFile(home.cfg(), 1);
    TestPrompts prompts;
    TfmMain w(prompts);
    prompts.dialog = [](QDialog& d) {
        d.show();
        d.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&d));
    };
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    w.findChild<QAction*>("miHelpAbout")->trigger();
    QTRY_VERIFY(w.isActiveWindow());
}

void TestMainWindow::noWizardWithConfiguration() {
    TempHome home;
    writeWizardFile(home.cfg());
    TestPrompts prompts;
    TfmMain w(prompts);
    int dialogs = 0;
    prompts.dialog = [&](QDialog&) { ++dialogs; };
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QTest::qWait(50);
    QVERIFY(w.FirstActivationDone());
    QCOMPARE(dialogs, 0);
}

void TestMainWindow::visibility_data() {
    QTest::addColumn<bool>("wizardOnly");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("hidden"); // the element the empty setting hides
    QTest::newRow("wizard file shows all") << true << ""
                                           << "";
    QTest::newRow("no PagesFTP") << false << "PagesFTP"
                                 << "tsFTP";
    QTest::newRow("no PagesNews") << false << "PagesNews"
                                  << "tsNews";
    QTest::newRow("no PagesTransfers") << false << "PagesTransfers"
                                       << "tsTransfers";
    QTest::newRow("no speedbar") << false << "VisibleSpeedbar"
                                 << "sbMain";
    QTest::newRow("no tray button") << false << "VisibleMinimizeToTray"
                                    << "wiMinimizeToTray";
    QTest::newRow("no FTP menu") << false << "VisibleMenuFTP"
                                 << "miFTP";
    QTest::newRow("lower-case true") << false << "PagesLinks"
                                     << "";
}

void TestMainWindow::visibility() {
    QFETCH(bool, wizardOnly);
    QFETCH(QString, field);
    QFETCH(QString, hidden);
    TempHome home;
    if (wizardOnly)
        writeWizardFile(home.cfg());
    else
        writeDialogFile(home.cfg(), 1, {{field.toStdString(), ""}});
    if (field == "PagesLinks") // "true" is not "TRUE": only the exact text shows an element
        writeDialogFile(home.cfg(), 1, {{"PagesFTP", "true"}}), hidden = "tsFTP";
    TestPrompts prompts;
    TfmMain w(prompts);
    w.show();
    QVERIFY(menuVisible(w, "miNews"));
    QVERIFY(menuVisible(w, "miTransfer"));
    QCOMPARE(menuVisible(w, "miFTP"), hidden != "miFTP");
    QVERIFY(!menuVisible(w, "miLinks"));
    QVERIFY(!tabVisible(w, "tsLinks"));
    for (const char* page : {"tsNews", "tsFTP", "tsTransfers"})
        QCOMPARE(tabVisible(w, page), hidden != page);
    QCOMPARE(child<QToolBar>(w, "sbMain")->isVisible(), hidden != "sbMain");
    QCOMPARE(child<QToolButton>(w, "wiMinimizeToTray")->isVisible(), hidden != "wiMinimizeToTray");
    QVERIFY(child(w, "miMinimizeToTray")->isEnabled()); // a configuration exists
}

void TestMainWindow::placement_data() {
    QTest::addColumn<QString>("save");
    QTest::addColumn<QList<int>>("stored");
    QTest::addColumn<bool>("applied");
    QTest::addColumn<bool>("placed"); // a stored edge fixes the position; else the system chooses
    QTest::newRow("left -1") << "TRUE" << QList<int>{-1, 40, 640, 480} << true << true;
    QTest::newRow("all") << "TRUE" << QList<int>{30, 40, 640, 480} << true << true;
    QTest::newRow("size only") << "TRUE" << QList<int>{-1, -1, 640, 480} << true << false;
    QTest::newRow("nothing stored") << "TRUE" << QList<int>{-1, -1, -1, -1} << false << false;
    QTest::newRow("not saved") << "" << QList<int>{30, 40, 640, 480} << false << false;
}

void TestMainWindow::placement() {
    QFETCH(QString, save);
    QFETCH(QList<int>, stored);
    QFETCH(bool, applied);
    QFETCH(bool, placed);
    TempHome home;
    writeDialogFile(home.cfg(), 1, {{"SaveWindowPos", "TRUE"}});
    QPoint designed;
    {
        TestPrompts quiet;
        TfmMain unplaced(quiet);
        designed = unplaced.geometry().topLeft();
    }
    writeDialogFile(home.cfg(), 1,
                    {{"SaveWindowPos", save.toStdString()},
                     {"Left", std::to_string(stored[0])},
                     {"Top", std::to_string(stored[1])},
                     {"Width", std::to_string(stored[2])},
                     {"Height", std::to_string(stored[3])}});
    TestPrompts prompts;
    TfmMain w(prompts);
    QCOMPARE(w.testAttribute(Qt::WA_Moved), placed);
    if (!applied) {
        QCOMPARE(w.size(), QSize(545, 422));
        return;
    }
    QCOMPARE(w.geometry().x(), stored[0] < 0 ? designed.x() : stored[0]);
    QCOMPARE(w.geometry().y(), stored[1] < 0 ? designed.y() : stored[1]);
    QCOMPARE(w.size(), QSize(stored[2], stored[3]));
}

void TestMainWindow::remotePaneSplit() {
    TempHome home;
    TestPrompts prompts;
    TfmMain w(prompts);
    w.show();
    w.GotoPage("tsFTP");
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QWidget* page = child<QWidget>(w, "tsFTP");
    QWidget* remote = child<QWidget>(w, "pnRemote");
    w.resize(w.width() + 803 - page->width(), w.height());
    QTRY_COMPARE(page->width(), 803);
    QTRY_COMPARE(remote->width(), 400);
    QCOMPARE(child<QWidget>(w, "pnLocal")->width(), 400);

    // A split the user dragged survives a visit to another page...
    child<QSplitter>(w, "spFTP")->setSizes({200, 600});
    QTRY_COMPARE(remote->width(), 200);
    w.GotoPage("tsNews");
    w.GotoPage("tsFTP");
    settle();
    QCOMPARE(remote->width(), 200);
    // ...but a resize while the page was hidden splits it afresh when it comes up.
    w.GotoPage("tsNews");
    w.resize(w.width() + 40, w.height());
    QTRY_COMPARE(child<QWidget>(w, "tsNews")->width(), 843);
    w.GotoPage("tsFTP");
    QTRY_COMPARE(remote->width(), (page->width() - 3) / 2);
    QCOMPARE(page->width(), 843);
}

void TestMainWindow::gotoPage_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("page");
    QTest::newRow("news") << "miNewsGoto"
                          << "tsNews";
    QTest::newRow("ftp") << "miFTPGoto"
                         << "tsFTP";
    QTest::newRow("transfers") << "miTransferGoto"
                               << "tsTransfers";
}

void TestMainWindow::gotoPage() {
    QFETCH(QString, item);
    QFETCH(QString, page);
    TempHome home;
    TestPrompts prompts;
    TfmMain w(prompts);
    w.GotoPage("tsTransfers");
    if (page == "tsTransfers") w.GotoPage("tsNews");
    w.findChild<QAction*>(item)->trigger();
    QCOMPARE(child<QTabWidget>(w, "PageControl")->currentWidget()->objectName(), page);
}

void TestMainWindow::localCopyNeedsConnection() {
    TempHome home;
    writeDialogFile(home.cfg(), 1);
    TestPrompts prompts;
    TfmMain w(prompts);
    auto* row = new QTreeWidgetItem(child<QTreeWidget>(w, "lvLocalFiles"),
                                    {"index.html", "10", "File", ""});
    row->setSelected(true);
    settle();
    for (QAction* a : {child(w, "miFTPCopyLocalToFTP"), child(w, "siFTPCopyLocalToFTP"),
                       child(w, "milvLocalCopy")})
        QVERIFY(!a->isEnabled());
    QVERIFY(child(w, "miFTPRenameLocalFile")->isEnabled());
    w.SetFTPState(ActivityState::Connected);
    settle();
    for (QAction* a : {child(w, "miFTPCopyLocalToFTP"), child(w, "siFTPCopyLocalToFTP"),
                       child(w, "milvLocalCopy")})
        QVERIFY(a->isEnabled());
    child<QTreeWidget>(w, "lvLocalFiles")->clearSelection();
    settle();
    QVERIFY(!child(w, "milvLocalCopy")->isEnabled());
}

void TestMainWindow::statesFromWorkerThreads() {
    TempHome home;
    writeDialogFile(home.cfg(), 1);
    TestPrompts prompts;
    TfmMain w(prompts);
    QSignalSpy refreshed(&w, &TfmMain::CommandsRefreshed);
    std::thread worker([&] {
        w.SetNewsState(ActivityState::Busy);
        w.SetNewsState(ActivityState::Connected);
        w.SetFTPState(ActivityState::Busy);
        w.SetFTPState(ActivityState::Idle);
    });
    worker.join();
    // Applied in the order issued: the last change of each state wins.
    QTRY_COMPARE(w.NewsState(), ActivityState::Connected);
    QTRY_COMPARE(w.FTPState(), ActivityState::Idle);
    settle();
    QCOMPARE(refreshed.size(), 1); // four changes in one turn of the event loop, one refresh
    QVERIFY(child(w, "miNewsStop")->isEnabled());
    QVERIFY(!child(w, "miNewsStart")->isEnabled());
    QVERIFY(!child<DBComboBox>(w, "cbNewsConfig")->isEnabled());
    QVERIFY(!child(w, "miConfiguration")->isEnabled());
    QVERIFY(child<AnimatedImage>(w, "BoltAnimation")->Active());
    QCOMPARE(child<AnimatedImage>(w, "BoltAnimation")->FrameCount(), 14);
    QTRY_VERIFY(child<AnimatedImage>(w, "BoltAnimation")->Frame() >= 2); // 200 ms a frame
    w.SetNewsState(ActivityState::Idle);
    settle();
    QVERIFY(!child<AnimatedImage>(w, "BoltAnimation")->Active());
    QVERIFY(child(w, "miConfiguration")->isEnabled());
}

void TestMainWindow::reloadKeepsChoices() {
    TempHome home;
    writeDialogFile(home.cfg(), 3);
    TestPrompts prompts;
    TfmMain w(prompts);
    QCOMPARE(child<DBComboBox>(w, "cbNewsConfig")->count(), 3);
    QCOMPARE(child<DBComboBox>(w, "cbNewsConfig")->itemText(2), QString("Server 3"));
    child<DBComboBox>(w, "cbNewsConfig")->setCurrentIndex(2);
    emit child<DBComboBox>(w, "cbNewsConfig")->activated(2);
    QCOMPARE(w.SettingsSource.GetInteger("NewsConfiguration"), 2);
    int selected = 0;
    connect(&w, &TfmMain::NewsConfigurationSelected, [&] { ++selected; });
    // The dialog saves the file with other choices and a fourth configuration.
    prompts.dialog = [&](QDialog&) {
        writeDialogFile(home.cfg(), 4, {{"NewsConfiguration", "0"}, {"FTPConfiguration", "1"}});
    };
    w.ConfigurationCommand();
    QCOMPARE(child<DBComboBox>(w, "cbNewsConfig")->count(), 4);
    QCOMPARE(w.SettingsSource.GetInteger("NewsConfiguration"), 2);
    QCOMPARE(w.SettingsSource.GetInteger("FTPConfiguration"), 0);
    QCOMPARE(child<DBComboBox>(w, "cbNewsConfig")->currentIndex(), 2);
    QCOMPARE(selected, 1);
}

void TestMainWindow::damagedFileIsReported_data() {
    QTest::addColumn<bool>("folder");
    QTest::newRow("truncated file") << false;
    QTest::newRow("folder in its place") << true;
}

void TestMainWindow::damagedFileIsReported() {
    QFETCH(bool, folder);
    TempHome home;
    const QString path = QString::fromStdString(home.cfg());
    QByteArray damaged;
    if (folder) {
        QVERIFY(QDir().mkpath(path));
    } else {
        writeDialogFile(home.cfg(), 1);
        damaged = home.bytes();
        damaged.truncate(damaged.size() / 2);
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(damaged);
    }
    {
        TestPrompts prompts;
        TfmMain w(prompts);
        QCOMPARE(prompts.errors.size(), 1);
        QVERIFY(prompts.errors[0].contains("could not be read"));
        QVERIFY(child(w, "miNewServer")->isEnabled());
        w.show();
        QVERIFY(w.close());
    }
    if (folder)
        QVERIFY(QFileInfo(path).isDir());
    else
        QCOMPARE(home.bytes(), damaged); // not overwritten with what could be read
}

void TestMainWindow::transferPauseRestart() {
    TempHome home;
    writeDialogFile(home.cfg(), 1);
    TestPrompts prompts;
    TfmMain w(prompts);
    QVERIFY(child(w, "siTransferRestart")->isChecked());
    QVERIFY(!child(w, "miTransferRestart")->isEnabled());
    QVERIFY(child(w, "miTransferPause")->isEnabled());
    child(w, "miTransferPause")->trigger();
    settle();
    QVERIFY(child(w, "siTransferPause")->isChecked());
    QVERIFY(!child(w, "siTransferRestart")->isChecked());
    QVERIFY(!child(w, "miTransferPause")->isEnabled());
    QVERIFY(child(w, "miTransferRestart")->isEnabled());
    QVERIFY(child(w, "siTransferPause")->isEnabled());
}

void TestMainWindow::toolbarCustomizer() {
    TempHome home;
    TestPrompts prompts;
    TfmMain w(prompts);
    prompts.dialog = [](QDialog& d) {
        auto* c = qobject_cast<ToolbarCustomizer*>(&d);
        QVERIFY(c);
        auto items = c->List()->findItems("FTP Connect", Qt::MatchExactly);
        QCOMPARE(items.size(), 1);
        items[0]->setCheckState(Qt::Unchecked);
    };
    w.findChild<QAction*>("misbMainConfigure")->trigger();
    QVERIFY(!child(w, "siFTPConnect")->isVisible());
    QVERIFY(child(w, "siFTPDisconnect")->isVisible());
}

void TestMainWindow::minimizeWithoutTray() {
    if (QSystemTrayIcon::isSystemTrayAvailable()) QSKIP("a tray is available here");
    TempHome home;
    writeDialogFile(home.cfg(), 1);
    TestPrompts prompts;
    TfmMain w(prompts);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    child<QToolButton>(w, "wiMinimizeToTray")->click();
    QTRY_VERIFY(w.isMinimized());
    QVERIFY(!child<QSystemTrayIcon>(w, "TrayIcon")->isVisible());
    child(w, "mistRestorePagewright")->trigger();
    QTRY_VERIFY(!w.isMinimized());
    QVERIFY(w.isVisible());
}

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
