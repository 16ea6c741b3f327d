// Command items driven like a user: the news cursor and position, the function keys of the
// FTP menu, the status bar signs, the hidden Links page, toolbar buttons running menu items.
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

private:
    std::unique_ptr<TempHome> m_home;
    std::unique_ptr<TfmMain> m_w;
};

void TestMainCommands::init() {
    m_home = std::make_unique<TempHome>();
    writeDialogFile(m_home->cfg(), 2);
    m_w = std::make_unique<TfmMain>();
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
    new QTreeWidgetItem(w.lvRemoteFiles, {"a"});
    w.lvRemoteFiles->topLevelItem(0)->setSelected(true);
    w.labRemotePath->setText("/htdocs");
    w.SetNewsState(static_cast<ActivityState>(news));
    w.SetFTPState(static_cast<ActivityState>(ftp));
    w.SetTransferState(static_cast<ActivityState>(transfer));
    w.SetLocalRefreshing(refreshing);
    w.SetRemoteRefreshing(refreshing);
    const CommandStates expected = ComputeCommandStates(w.CurrentCommandInputs());
    for (const auto& [name, enabled] : expected.Items) {
        const QString n = QString::fromStdString(name);
        bool shown;
        if (n == "sbaNews.0")
            shown = w.sbaNews->PanelEnabled(0);
        else if (auto* a = w.findChild<QAction*>(n)) {
            if (!a->isVisible()) continue; // a hidden action always reads disabled
            shown = a->isEnabled();
        } else
            shown = w.findChild<QWidget*>(n)->isEnabled();
        QVERIFY2(shown == (enabled && TfmMain::HasFunction(n)), qPrintable(n));
    }
    QCOMPARE(!w.imFTPLocalRefresh->isHidden(), refreshing);
    QCOMPARE(!w.imFTPRemoteRefresh->isHidden(), refreshing);
    QCOMPARE(w.BoltAnimation->isVisibleTo(&w), expected.AnimationActive);
}

void TestMainCommands::newsCursorDrivesNavigation() {
    TfmMain& w = *m_w;
    for (int i = 0; i < 3; ++i)
        w.NewsSource.Append();
    w.SetNewsState(ActivityState::Connected);
    QCOMPARE(w.lbNewsPosition->text(), QString("3/3"));
    QVERIFY(w.miNewsFirst->isEnabled());
    QVERIFY(!w.siNewsLast->isEnabled());
    w.siNewsFirst->trigger(); // the toolbar button runs the menu item: no action yet, so
    w.NewsSource.First();     // the cursor is moved the way the editor will move it
    QCOMPARE(w.lbNewsPosition->text(), QString("1/3"));
    QVERIFY(!w.siNewsPrev->isEnabled());
    QVERIFY(w.miNewsNext->isEnabled());
    w.NewsSource.Next();
    QVERIFY(w.miNewsPrev->isEnabled() && w.miNewsLast->isEnabled());
    w.NewsSource.Clear();
    w.NewsSource.First();
    QVERIFY(!w.miNewsDelete->isEnabled());
    QCOMPARE(w.lbNewsPosition->text(), QString("0/0"));
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
    w.GotoPage(w.tsFTP);
    QTreeWidget* list = local ? w.lvLocalFiles : w.lvRemoteFiles;
    auto* row = new QTreeWidgetItem(list, {"index.html", "1308", "File", ""});
    if (connected) w.SetFTPState(ActivityState::Connected);
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    list->setFocus();
    list->setCurrentItem(row);
    row->setSelected(true);
    QTRY_COMPARE(QApplication::focusWidget(), list);
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
    w.sbaNews->SetText(1, "Error: Cannot connect");
    w.sbaNews->SetPanelEnabled(3, true);
    QTest::mouseClick(w.sbaNews->PanelWidget(3), Qt::LeftButton);
    QCOMPARE(w.sbaNews->Text(1), QString());
    QVERIFY(!w.sbaNews->PanelEnabled(2));
    QVERIFY(!w.sbaNews->PanelEnabled(3));
    // A disabled sign is not clickable.
    w.sbaFTP->SetText(1, "Succesful");
    QTest::mouseClick(w.sbaFTP->PanelWidget(2), Qt::LeftButton);
    QCOMPARE(w.sbaFTP->Text(1), QString("Succesful"));
}

void TestMainCommands::linksItemsShowHiddenPage() {
    TfmMain& w = *m_w;
    w.miLinksStart->trigger();
    QCOMPARE(w.PageControl->currentWidget(), w.tsLinks);
    QVERIFY(!w.PageControl->isTabVisible(w.PageControl->indexOf(w.tsLinks)));
    w.miNewsGoto->trigger();
    QCOMPARE(w.PageControl->currentWidget(), w.tsNews);
}

void TestMainCommands::toolbarButtonsRunMenuItems_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("item");
    QTest::newRow("local root") << "siFTPLocalDirRoot"
                                << "miFTPLocalDirRoot";
    QTest::newRow("local root popup") << "milvLocalRoot"
                                      << "miFTPLocalDirRoot";
    QTest::newRow("local root popup") << "milvLocalUp"
                                      << "miFTPLocalDirUp";
}

void TestMainCommands::toolbarButtonsRunMenuItems() {
    QFETCH(QString, button);
    QFETCH(QString, item);
    TfmMain& w = *m_w;
    w.labLocalPath->setText(QDir::homePath() + "/x");
    w.UpdateCommandStates();
    auto* b = w.findChild<QAction*>(button);
    auto* m = w.findChild<QAction*>(item);
    QVERIFY(b->isEnabled());
    QCOMPARE(b->isEnabled(), m->isEnabled());
    QSignalSpy spy(m, &QAction::triggered);
    b->trigger();
    QCOMPARE(spy.size(), 1);
}

QTEST_MAIN(TestMainCommands)
#include "test_main_commands.moc"
