// Guards: every command item, menu, toolbar or pop-up, shows its computed state; errors shown.
#include "gui/app/CommandTable.h"
#include "gui/ui/AnimatedImage.h"
#include "gui/ui/GaugeStatusBar.h"
#include "test_main_support.h"

using namespace pw;

class TestMainCommands : public QObject {
    Q_OBJECT
private slots:
    // Every item, widget and panel the refresh names shows the state the rules give, on every
    // place it appears (menu, toolbar, pop-up).
    void appliedStatesMatchTheRules_data() {
        QTest::addColumn<QString>("states"); // news, FTP, transfer: 0 busy, 1 connected, 2 idle
        QTest::addColumn<bool>("refreshing");
        QTest::addColumn<int>("configurations");
        QTest::newRow("no configuration file") << "222" << false << 0;
        QTest::newRow("all idle") << "222" << false << 2;
        QTest::newRow("news busy") << "022" << false << 2;
        QTest::newRow("news connected, ftp connected") << "112" << false << 2;
        QTest::newRow("ftp busy, refreshing") << "201" << true << 2;
    }

    void appliedStatesMatchTheRules() {
        QFETCH(QString, states);
        QFETCH(bool, refreshing);
        QFETCH(int, configurations);
        TempHome home;
        if (configurations) writeDialogFile(home.cfg(), configurations);
        TestPrompts prompts;
        TfmMain w(prompts);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        new QTreeWidgetItem(child<QTreeWidget>(w, "lvRemoteFiles"), {"a"});
        child<QTreeWidget>(w, "lvRemoteFiles")->topLevelItem(0)->setSelected(true);
        child<QLabel>(w, "labRemotePath")->setText("/htdocs");
        w.SetNewsState(ActivityState(states[0].digitValue()));
        w.SetFTPState(ActivityState(states[1].digitValue()));
        w.SetTransferState(ActivityState(states[2].digitValue()));
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
        QCOMPARE(child<AnimatedImage>(w, "BoltAnimation")->isVisibleTo(&w),
                 expected.AnimationActive);
    }

    void failingCommandShowsItsError() {
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
};

QTEST_MAIN(TestMainCommands)
#include "test_main_commands.moc"
