// Guards: the first-run wizard once, the file's pages, bars and placement, damaged files kept.
#include "gui/dialogs/TfmNewServer.h"
#include "gui/ui/DBComboBox.h"
#include "support/TableRows.h"
#include "test_main_support.h"

#include <QMenu>
#include <QTabWidget>

using namespace pw;

namespace {
// clang-format off
// Configurations in the file at start (-1: no file), those the wizard writes (0: cancelled).
const struct { const char* name; int existing, written, wizards; } kFirstRuns[] = {
    {"no file, cancelled", -1, 0, 1}, {"no file, finished", -1, 2, 1}, {"a file", 1, 0, 0}};
// The field emptied hides `hidden`; SaveWindowPos, with the stored edges. A stored edge fixes
// the position (`placed`); else the system places the window.
const struct { const char* name; std::string field; QString hidden; std::string save;
               int left, top; bool placed; } kSettings[] = {
    {"no news page, all stored", "PagesNews", "tsNews", "TRUE", 30, 40, true},
    {"no FTP page, top only", "PagesFTP", "tsFTP", "TRUE", -1, 40, true},
    {"no transfers page, left only", "PagesTransfers", "tsTransfers", "TRUE", 30, -1, true},
    {"no speedbar, size only", "VisibleSpeedbar", "sbMain", "TRUE", -1, -1, false},
    {"no FTP menu, not saved", "VisibleMenuFTP", "miFTP", "", 30, 40, false},
    {"no tray button, lower-case true", "VisibleMinimizeToTray", "wiMinimizeToTray", "true", 30, 40,
        false}};
// clang-format on
} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void wizardOnFirstActivation_data() { addRows(kFirstRuns); }
    void wizardOnFirstActivation() {
        const auto [name, existing, written, wizards] = kFirstRuns[fetchedRow()];
        TempHome home;
        if (existing > 0) writeWizardFile(home.cfg(), existing);
        TestPrompts prompts;
        TfmMain w(prompts);
        int shown = 0;
        prompts.dialog = [&](QDialog& d) {
            shown += qobject_cast<TfmNewServer*>(&d) != nullptr;
            if (written) writeWizardFile(home.cfg(), written);
        };
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QTRY_VERIFY(w.FirstActivationDone());
        QTRY_COMPARE(shown, wizards);
        // Activated again after another window: no second wizard.
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        settle();
        QCOMPARE(shown, wizards);
        const int records = written ? written : std::max(existing, 0);
        QCOMPARE(w.ConfigSource.RecordCount(), records);
        QCOMPARE(child<DBComboBox>(w, "cbNewsConfig")->count(), records);
        QCOMPARE(child(w, "miNewsStart")->isEnabled(), records > 0);
    }

    void settingsApplied_data() { addRows(kSettings); }
    void settingsApplied() {
        const auto& [name, field, hidden, save, left, top, placed] = kSettings[fetchedRow()];
        TempHome home;
        writeDialogFile(home.cfg(), 1,
                        {{field, ""},
                         {"SaveWindowPos", save},
                         {"Left", std::to_string(left)},
                         {"Top", std::to_string(top)},
                         {"Width", "640"},
                         {"Height", "480"}});
        TestPrompts prompts;
        TfmMain w(prompts);
        QCOMPARE(w.testAttribute(Qt::WA_Moved), placed);
        if (placed && left >= 0) QCOMPARE(w.geometry().x(), left);
        if (placed && top >= 0) QCOMPARE(w.geometry().y(), top);
        QCOMPARE(w.size(), save == "TRUE" ? QSize(640, 480) : QSize(545, 422));
        w.show();
        auto* tabs = child<QTabWidget>(w, "PageControl");
        for (const QString& name :
             QString("tsNews tsFTP tsTransfers sbMain wiMinimizeToTray miFTP miNews miTransfer")
                 .split(' ')) {
            auto* item = child<QWidget>(w, qPrintable(name));
            auto* menu = qobject_cast<QMenu*>(item);
            const bool shown = tabs->indexOf(item) >= 0 ? tabs->isTabVisible(tabs->indexOf(item))
                               : menu                   ? menu->menuAction()->isVisible()
                                                        : item->isVisible();
            QVERIFY2(shown == (name != hidden), qPrintable(name));
        }
    }

    // A truncated file, and a folder in the file's place: the error shows once, the wizard stays
    // at hand, and closing leaves what was there as it was.
    void damagedFileIsKept() {
        for (const bool folder : {false, true}) {
            TempHome home;
            const QString path = QString::fromStdString(home.cfg());
            QByteArray damaged;
            if (folder) {
                QVERIFY(QDir().mkpath(path));
            } else {
                writeDialogFile(home.cfg(), 1);
                damaged = home.bytes().left(home.bytes().size() / 2);
                QFile f(path);
                QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(damaged) > 0);
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
            QVERIFY(folder ? QFileInfo(path).isDir() : home.bytes() == damaged);
        }
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
