// Command items driven like a user: the news cursor and position, the function keys of the
// FTP menu, the status bar signs, the hidden Links page, toolbar buttons running menu items.
#include "gui/app/CommandTable.h"
#include "gui/app/TfmMain.h"
#include "gui/ui/AnimatedImage.h"
#include "gui/ui/GaugeStatusBar.h"
#include "test_main_support.h"

#include <QAction>
#include <QLabel>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

using namespace pw;

class TestMainCommands : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void appliedStatesMatchTheRules_data();
    void appliedStatesMatchTheRules();
    void newsCursorDrivesNavigation();
    void functionKeysFollowTheFocusedList_data();
    void functionKeysFollowTheFocusedList();
    void statusSignClearsText();
    void linksItemsShowHiddenPage();
    void toolbarButtonsRunMenuItems_data();
    void toolbarButtonsRunMenuItems();
    void everyItemOnceEveryShortcutOnce();
    void failingCommandShowsItsError();

private:
    std::unique_ptr<TempHome> m_home;
    TestPrompts m_prompts;
    std::unique_ptr<TfmMain> m_w;
};

void TestMainCommands::init() {
    m_home = std::make_unique<TempHome>();
    writeDialogFile(m_home->cfg(), 2);
    m_w = std::make_unique<TfmMain>(m_prompts);
    m_w->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_w.get()));
}

void TestMainCommands::cleanup() {
    m_w.reset();
    m_home.reset();
}

void TestMainCommands::appliedStatesMatchTheRules_data() {
    QTest::addColumn<int>("news");
    QTest::addColumn<int>("ftp");
    QTest::addColumn<int>("transfer");
    QTest::addColumn<bool>("refreshing");
    QTest::newRow("all idle") << 2 << 2 << 2 << false;
    QTest::newRow("news busy") << 0 << 2 << 2 << false;
    QTest::newRow("news connected, ftp connected") << 1 << 1 << 2 << false;
    QTest::newRow("ftp busy, refreshing") << 2 << 0 << 1 << true;
}

// Every item, widget and panel the refresh names shows the state the rules give, on every
// place it appears (menu, toolbar, pop-up).
void TestMainCommands::appliedStatesMatchTheRules() {
    QFETCH(int, news);
    QFETCH(int, ftp);
    QFETCH(int, transfer);
    QFETCH(bool, refreshing);
    TfmMain& w = *m_w;
    new QTreeWidgetItem(child<QTreeWidget>(w, "lvRemoteFiles"), {"a"});
    child<QTreeWidget>(w, "lvRemoteFiles")->topLevelItem(0)->setSelected(true);
    child<QLabel>(w, "labRemotePath")->setText("/htdocs");
    w.SetNewsState(static_cast<ActivityState>(news));
    w.SetFTPState(static_cast<ActivityState>(ftp));
    w.SetTransferState(static_cast<ActivityState>(transfer));
    w.SetLocalRefreshing(refreshing);
    w.SetRemoteRefreshing(refreshing);
    settle();
    const CommandStates expected = ComputeCommandStates(w.CurrentCommandInputs());
    for (const auto& [name, enabled] : expected.Items) {
        const QString n = QString::fromStdString(name);
        bool shown;
        if (n == "sbaNews.0")
            shown = child<GaugeStatusBar>(w, "sbaNews")->PanelEnabled(0);
        else if (auto* a = w.findChild<QAction*>(n)) {
            if (!a->isVisible()) continue; // a hidden action always reads disabled
            shown = a->isEnabled();
        } else
            shown = w.findChild<QWidget*>(n)->isEnabled();
        QVERIFY2(shown == (enabled && TfmMain::HasFunction(n)), qPrintable(n));
    }
    QCOMPARE(!child<QLabel>(w, "imFTPLocalRefresh")->isHidden(), refreshing);
    QCOMPARE(!child<QLabel>(w, "imFTPRemoteRefresh")->isHidden(), refreshing);
    QCOMPARE(child<AnimatedImage>(w, "BoltAnimation")->isVisibleTo(&w), expected.AnimationActive);
}

void TestMainCommands::newsCursorDrivesNavigation() {
    TfmMain& w = *m_w;
    for (int i = 0; i < 3; ++i)
        w.NewsSource.Append();
    w.SetNewsState(ActivityState::Connected);
    settle();
    QCOMPARE(child<QLabel>(w, "lbNewsPosition")->text(), QString("3/3"));
    QVERIFY(child(w, "miNewsFirst")->isEnabled());
    QVERIFY(!child(w, "siNewsLast")->isEnabled());
    child(w, "siNewsFirst")->trigger();
    settle();
    QCOMPARE(child<QLabel>(w, "lbNewsPosition")->text(), QString("1/3"));
    QVERIFY(!child(w, "siNewsPrev")->isEnabled());
    QVERIFY(child(w, "miNewsNext")->isEnabled());
    child(w, "miNewsNext")->trigger();
    settle();
    QVERIFY(child(w, "miNewsPrev")->isEnabled() && child(w, "miNewsLast")->isEnabled());
    w.NewsSource.Clear();
    w.NewsSource.First();
    settle();
    QVERIFY(!child(w, "miNewsDelete")->isEnabled());
    QCOMPARE(child<QLabel>(w, "lbNewsPosition")->text(), QString("0/0"));
}

void TestMainCommands::functionKeysFollowTheFocusedList_data() {
    QTest::addColumn<bool>("local");
    QTest::addColumn<bool>("connected");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("target"); // the item the key runs, empty: none
    QTest::newRow("F8 local") << true << false << int(Qt::Key_F8) << "miFTPDeleteOnLocal";
    QTest::newRow("F5 local not connected") << true << false << int(Qt::Key_F5) << "";
    QTest::newRow("F5 local connected") << true << true << int(Qt::Key_F5) << "miFTPCopyLocalToFTP";
    QTest::newRow("F2 remote") << false << false << int(Qt::Key_F2) << "miFTPRenameRemoteFile";
    QTest::newRow("F3 remote not connected") << false << false << int(Qt::Key_F3) << "";
    QTest::newRow("F3 remote connected") << false << true << int(Qt::Key_F3) << "miFTPRefreshFTP";
    QTest::newRow("F6 never") << true << true << int(Qt::Key_F6) << "";
}

void TestMainCommands::functionKeysFollowTheFocusedList() {
    QFETCH(bool, local);
    QFETCH(bool, connected);
    QFETCH(int, key);
    QFETCH(QString, target);
    TfmMain& w = *m_w;
    w.GotoPage("tsFTP");
    QTreeWidget* list =
        local ? child<QTreeWidget>(w, "lvLocalFiles") : child<QTreeWidget>(w, "lvRemoteFiles");
    auto* row = new QTreeWidgetItem(list, {"index.html", "1308", "File", ""});
    if (connected) w.SetFTPState(ActivityState::Connected);
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    list->setFocus();
    list->setCurrentItem(row);
    row->setSelected(true);
    QTRY_COMPARE(QApplication::focusWidget(), list);
    settle();
    QStringList ran;
    for (QAction* a : w.findChildren<QAction*>())
        if (a->objectName().startsWith("miFTP"))
            connect(a, &QAction::triggered, this, [&ran, a] { ran << a->objectName(); });
    QTest::keyClick(list, Qt::Key(key));
    ran.removeIf([](const QString& n) {
        return n == "miFTPRenameFile" || n == "miFTPRefreshFolder" || n == "miFTPCopyFile" ||
               n == "miFTPMakeFolder" || n == "miFTPDeleteFile" || n == "miFTPMoveFile";
    });
    QCOMPARE(ran, target.isEmpty() ? QStringList() : QStringList{target});
}

void TestMainCommands::statusSignClearsText() {
    TfmMain& w = *m_w;
    child<GaugeStatusBar>(w, "sbaNews")->SetText(1, "Error: Cannot connect");
    child<GaugeStatusBar>(w, "sbaNews")->SetPanelEnabled(3, true);
    QTest::mouseClick(child<GaugeStatusBar>(w, "sbaNews")->PanelWidget(3), Qt::LeftButton);
    QCOMPARE(child<GaugeStatusBar>(w, "sbaNews")->Text(1), QString());
    QVERIFY(!child<GaugeStatusBar>(w, "sbaNews")->PanelEnabled(2));
    QVERIFY(!child<GaugeStatusBar>(w, "sbaNews")->PanelEnabled(3));
    // A disabled sign is not clickable.
    child<GaugeStatusBar>(w, "sbaFTP")->SetText(1, "Succesful");
    QTest::mouseClick(child<GaugeStatusBar>(w, "sbaFTP")->PanelWidget(2), Qt::LeftButton);
    QCOMPARE(child<GaugeStatusBar>(w, "sbaFTP")->Text(1), QString("Succesful"));
}

void TestMainCommands::linksItemsShowHiddenPage() {
    TfmMain& w = *m_w;
    child(w, "miLinksStart")->trigger();
    QCOMPARE(child<QTabWidget>(w, "PageControl")->currentWidget(), child<QWidget>(w, "tsLinks"));
    QVERIFY(!child<QTabWidget>(w, "PageControl")
                 ->isTabVisible(
                     child<QTabWidget>(w, "PageControl")->indexOf(child<QWidget>(w, "tsLinks"))));
    child(w, "miNewsGoto")->trigger();
    QCOMPARE(child<QTabWidget>(w, "PageControl")->currentWidget(), child<QWidget>(w, "tsNews"));
}

void TestMainCommands::toolbarButtonsRunMenuItems_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("dialog"); // the class of the dialog the command opens
    QTest::newRow("menu configuration") << "miConfiguration"
                                        << "TfmConfiguration";
    QTest::newRow("toolbar configuration") << "siConfiguration"
                                           << "TfmConfiguration";
    QTest::newRow("menu about") << "miHelpAbout"
                                << "TfmAbout";
    QTest::newRow("toolbar about") << "siHelpAbout"
                                   << "TfmAbout";
    QTest::newRow("toolbar pop-up") << "misbMainConfigure"
                                    << "ToolbarCustomizer";
    QTest::newRow("FTP toolbar pop-up") << "misbFTPConfigure"
                                        << "ToolbarCustomizer";
}

// Every item of a command runs the command's work, wherever it appears.
void TestMainCommands::toolbarButtonsRunMenuItems() {
    QFETCH(QString, item);
    QFETCH(QString, dialog);
    TfmMain& w = *m_w;
    QStringList opened;
    m_prompts.dialog = [&](QDialog& d) { opened << d.metaObject()->className(); };
    w.findChild<QAction*>(item)->trigger();
    QCOMPARE(opened, QStringList{dialog});
}

// An item declared twice would leave one copy unrefreshed; a shortcut on two items makes Qt
// run neither.
void TestMainCommands::everyItemOnceEveryShortcutOnce() {
    TfmMain& w = *m_w;
    QStringList names, keys;
    for (QAction* a : w.findChildren<QAction*>()) {
        if (!a->objectName().isEmpty() && !a->isSeparator()) names << a->objectName();
        for (const QKeySequence& k : a->shortcuts())
            keys << k.toString();
    }
    names.sort();
    for (int i = 1; i < names.size(); ++i)
        QVERIFY2(names[i] != names[i - 1], qPrintable(names[i]));
    keys.sort();
    for (int i = 1; i < keys.size(); ++i)
        QVERIFY2(keys[i] != keys[i - 1], qPrintable(keys[i]));
    QVERIFY(keys.contains("F1") && keys.contains("F8") && keys.contains("Alt+D"));
    for (const auto& [name, enabled] : ComputeCommandStates({}).Items)
        QVERIFY2(name == "sbaNews.0" || w.findChild<QObject*>(QString::fromStdString(name)),
                 name.c_str());
}

void TestMainCommands::failingCommandShowsItsError() {
    QWidget owner;
    TestPrompts prompts;
    CommandTable table(&owner, prompts);
    int ran = 0;
    table.On("NewsPreview", [&] {
        ++ran;
        throw std::runtime_error("No space left on device");
    });
    table.Item("siNewsPreview")->trigger();
    table.Item("miNewsPreview")->trigger();
    QCOMPARE(ran, 2);
    QCOMPARE(prompts.errors, QStringList(2, "No space left on device"));
}

QTEST_MAIN(TestMainCommands)
#include "test_main_commands.moc"
