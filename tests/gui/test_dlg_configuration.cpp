// Guards: the configuration dialog: each control saved by OK, nothing by Cancel, no file lost.
#include "gui/dialogs/TfmConfiguration.h"
#include "gui/ui/DBTranslationList.h"
#include "test_dlg_helpers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

using namespace pw;

namespace {
void writeFile(const TempHome& home, const QStringList& names, const char* fingerprint = "") {
    ConfigTables tables(ConfigRole::Dialog);
    tables.SettingsSource.Append();
    for (const QString& name : names) {
        const int r = tables.ConfigSource.Append();
        tables.ConfigSource.SetString(r, "Name", name.toStdString());
        tables.ConfigSource.SetString(r, "TrustedFingerprint", fingerprint);
    }
    tables.Save(home.cfg());
}

QString counter(TfmConfiguration& dialog) {
    return child<QLabel>(&dialog, "labCfgNo")->text();
}

bool enabled(TfmConfiguration& dialog, const char* name) {
    if (auto* action = child<QAction>(&dialog, name)) return action->isEnabled();
    return child<QWidget>(&dialog, name)->isEnabled();
}

// Clicks a toolbar command or a button.
void click(TfmConfiguration& dialog, const char* name) {
    if (auto* action = child<QAction>(&dialog, name)) return clickAction(action);
    QTest::mouseClick(child<QPushButton>(&dialog, name), Qt::LeftButton);
}

// Brings the page holding the control to the front, as a user must before using it.
template <class T> T* onPage(TfmConfiguration& dialog, const char* name) {
    auto* tabs = child<QTabWidget>(&dialog, "pcConfiguration");
    T* control = child<T>(&dialog, name);
    for (QWidget* w = control; w; w = w->parentWidget())
        if (tabs->indexOf(w) >= 0) tabs->setCurrentWidget(w);
    return control;
}

// Accepts the next file chooser with `file` (or cancels it for a null one) after `check`.
std::shared_ptr<bool> choose(const QString& file, std::function<void(QFileDialog*)> check = {}) {
    return whenModal<QFileDialog>([file, check](QFileDialog* files) {
        if (check) check(files);
        if (file.isNull()) return files->reject();
        pickFile(files, file);
    });
}
} // namespace

class TestConfigurationDialog : public QObject {
    Q_OBJECT
private slots:
    void firstRunThenAdd();
    void toolbarCommands_data();
    void toolbarCommands();
    void controlsSaveTheirFields_data();
    void controlsSaveTheirFields();
    void translationTableFiles();
    void browseButtons();
    void fileKeptUnlessOk();
};

void TestConfigurationDialog::firstRunThenAdd() {
    TempHome home;
    TfmConfiguration dialog;
    dialog.show();
    QCOMPARE(counter(dialog), QStringLiteral("0/0"));
    for (const char* name : {"btOK", "siCfgDelete", "siCfgLast", "btBrowseFTP", "btNewsLocalFile"})
        QVERIFY2(!enabled(dialog, name), name);
    click(dialog, "siCfgNew");
    QCOMPARE(counter(dialog), QStringLiteral("1/1"));
    for (const char* name : {"btOK", "siCfgDelete", "btBrowseFTP", "btNewsLocalFile"})
        QVERIFY2(enabled(dialog, name), name);
    retype(onPage<QLineEdit>(dialog, "edPassword"), "abc");
    QCOMPARE(child<QLineEdit>(&dialog, "edPassword")->displayText(), QStringLiteral("***"));
    QTest::keyClick(child<QLineEdit>(&dialog, "edNameOfCfg"), Qt::Key_Return); // presses OK
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    auto stored = readBack(home.cfg());
    QCOMPARE(stored->TranslationSource.RecordCount(), 7);
    // Held in clear while the dialog is open; a second OK does not scramble it again.
    TfmConfiguration again;
    again.show();
    QCOMPARE(child<QLineEdit>(&again, "edPassword")->text(), QStringLiteral("abc"));
    click(again, "btOK");
    const std::string scrambled("\x9e\x9d\x9c");
    QCOMPARE(stored->ConfigSource.GetString(0, "LoginPassword"), scrambled);
    QCOMPARE(readBack(home.cfg())->ConfigSource.GetString(0, "LoginPassword"), scrambled);
}

void TestConfigurationDialog::toolbarCommands_data() {
    QTest::addColumn<int>("start");
    QTest::addColumn<QString>("names"); // afterwards, the shown one in brackets
    QTest::addColumn<bool>("back");     // First, Previous and Move left usable
    QTest::addColumn<bool>("on");       // Next, Last and Move right usable
    const auto row = [](const char* command, int start, const char* names, bool back, bool on) {
        QTest::newRow(command) << start << QString::fromLatin1(names) << back << on;
    };
    row("siCfgMoveRight", 1, "A C [B]", true, false);
    row("siCfgMoveLeft", 1, "[B] A C", false, true);
    row("siCfgNext", 1, "A B [C]", true, false);
    row("siCfgPrev", 1, "[A] B C", false, true);
    row("siCfgFirst", 2, "[A] B C", false, true);
    row("siCfgLast", 0, "A B [C]", true, false);
    row("siCfgDelete on the last", 2, "A [B]", true, false);
    row("siCfgDelete on the first", 0, "[B] C", false, true);
    row("siCfgNew", 1, "A B C [none]", true, false);
}

void TestConfigurationDialog::toolbarCommands() {
    QFETCH(int, start);
    QFETCH(QString, names);
    QFETCH(bool, back);
    QFETCH(bool, on);
    TempHome home;
    writeFile(home, {"A", "B", "C"});
    TfmConfiguration dialog;
    dialog.show();
    for (int i = 0; i < start; ++i)
        click(dialog, "siCfgNext");
    QCOMPARE(counter(dialog), QStringLiteral("%1/3").arg(start + 1));
    click(dialog, qPrintable(QString(QTest::currentDataTag()).section(' ', 0, 0)));

    const TnkDBSource& config = dialog.Tables().ConfigSource;
    QStringList now; // the names, the current one in brackets
    for (int r = 0; r < config.RecordCount(); ++r) {
        const QString name = QString::fromStdString(config.GetString(r, "Name"));
        now << (r == config.CurrentIndex() ? "[" + name + "]" : name);
    }
    QCOMPARE(now.join(' '), names);
    const QString shown = child<QLineEdit>(&dialog, "edNameOfCfg")->text();
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Configuration (%1)").arg(shown));
    QCOMPARE(now.value(config.CurrentIndex()), "[" + shown + "]");
    for (const char* name : {"siCfgFirst", "siCfgPrev", "siCfgMoveLeft"})
        QVERIFY2(enabled(dialog, name) == back, name);
    for (const char* name : {"siCfgNext", "siCfgLast", "siCfgMoveRight"})
        QVERIFY2(enabled(dialog, name) == on, name);
}

void TestConfigurationDialog::controlsSaveTheirFields_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");  // null: check box clicked; number: list items down
    QTest::addColumn<QString>("stored"); // null: as typed
    const auto row = [](const char* control, const char* field, const char* typed = nullptr,
                        const char* stored = nullptr) {
        QTest::newRow(control) << field << QString::fromLatin1(typed)
                               << QString::fromLatin1(stored);
    };
    row("rcSaveWindowPos", "SaveWindowPos");
    row("rcPagesNews", "PagesNews");
    row("rcPagesTransfers", "PagesTransfers");
    row("rcVisibleMenuFTP", "VisibleMenuFTP");
    row("rcVisibleSpeedbar", "VisibleSpeedbar");
    row("rcSyntaxHighlighting", "SyntaxHighlight");
    row("rcNewsHeader", "NewsHeader");
    row("rcFTPAutomaticLocalRefresh", "FTPAutomaticLocalRefresh");
    row("rcPassiveMode", "PassiveMode");
    row("rcUploadViaTemporary", "UploadViaTemporary");
    row("edNameOfCfg", "Name", "Work");
    row("edNameOfPoster", "Poster", "Ann Lee");
    row("cbProtocol", "Protocol", "3");
    row("edHost", "Host", "ftp.example.net");
    row("edPort", "Port", "21a9", "219");
    row("edLoginname", "LoginName", "ann");
    row("edFTPTimeout", "FTPTimeout", "5");
    row("edNewsfile", "NewsFile", "/news.htm");
    row("edNewsSection", "NewsSection", "Today");
    row("edHeaderDefaults", "NewsHeaderDefaults", "<h2>");
    row("edBetweenNews", "NewsBetweenNews", "<hr>\n<br>");
    row("edFTPDefaultFolder", "FTPDefaultFolder", "/www");
    row("btForgetFingerprint", "TrustedFingerprint", "", ""); // nothing to forget afterwards
}

void TestConfigurationDialog::controlsSaveTheirFields() {
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    TempHome home;
    writeFile(home, {"Old"}, "SHA256:q1w2e3");
    TfmConfiguration dialog;
    dialog.show();
    const char* name = QTest::currentDataTag();
    QString expected = stored.isNull() ? typed : stored;
    if (auto* button = onPage<QPushButton>(dialog, name)) {
        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY(!button->isEnabled());
    } else if (typed.isNull()) {
        auto* box = onPage<QCheckBox>(dialog, name);
        expected = box->isChecked() ? QString() : QStringLiteral("TRUE");
        clickBox(box);
    } else if (auto* list = onPage<QComboBox>(dialog, name)) {
        list->setFocus();
        for (int i = typed.toInt(); i > 0; --i)
            QTest::keyClick(list, Qt::Key_Down);
    } else if (auto* memo = onPage<QPlainTextEdit>(dialog, name)) {
        memo->setFocus();
        QTest::keyClicks(memo, typed.section('\n', 0, 0));
        QTest::keyClick(memo, Qt::Key_Return);
        QTest::keyClicks(memo, typed.section('\n', 1));
        expected.replace("\n", "\r\n");
    } else {
        retype(onPage<QLineEdit>(dialog, name), typed);
    }
    click(dialog, "btOK");
    auto file = readBack(home.cfg());
    const std::string key = field.toStdString();
    const bool setting = file->SettingsData.Table().FieldIndex(key) >= 0;
    TnkDBSource& table = setting ? file->SettingsSource : file->ConfigSource;
    QCOMPARE(QString::fromLatin1(table.GetString(0, key)), expected);
}

void TestConfigurationDialog::translationTableFiles() {
    TempHome home;
    const QString tab = home.path("table.tab"), foreign = home.path("notes.tab");
    QFile file(foreign);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write("this is not a table") > 0);
    file.close();
    QVERIFY(QFile(tab).open(QIODevice::WriteOnly)); // the save replaces it without a question
    TfmConfiguration dialog;
    dialog.show();
    auto* list = child<DBTranslationList>(&dialog, "lbTranslation");
    auto saved = choose(tab);
    click(dialog, "siTranslationSave");
    QVERIFY(*saved);

    click(dialog, "siTranslationClear");
    QVERIFY(!enabled(dialog, "siTranslationSave") && !enabled(dialog, "siTranslationDelete"));
    auto loaded = choose(tab);
    click(dialog, "siTranslationLoad");
    QVERIFY(*loaded);
    QCOMPARE(list->count(), 7);
    QCOMPARE(list->item(3)->text(), QStringLiteral("\u00c4 <-> &Auml;"));

    click(dialog, "siTranslationDelete"); // a file that is no table leaves the list alone
    auto chosen = choose(foreign);
    auto text = std::make_shared<QString>();
    auto shown = whenMessage(text);
    click(dialog, "siTranslationLoad");
    QVERIFY(*chosen && *shown);
    QVERIFY2(text->contains(QStringLiteral("not a translation table")), qPrintable(*text));
    QCOMPARE(list->count(), 6);
}

// Each chooser opens where its edit points and fills it, but not when cancelled.
void TestConfigurationDialog::browseButtons() {
    struct Row {
        const char *button, *edit, *before, *picked, *after; // picked null: cancelled
    };
    for (const Row& row : {Row{"btBrowseFTP", "edLocalFTPDirectory", "site", "site/in", "site/in"},
                           Row{"btBrowseTemp", "edTemporaryDirectory", "site", nullptr, "site"},
                           Row{"btNewsLocalFile", "edNewsLocalFile", "site/old.html", "site/news",
                               "site/news.htm"}}) {
        TempHome home;
        QVERIFY(QDir(home.dir.path()).mkpath("site/in"));
        TfmConfiguration dialog;
        dialog.show();
        click(dialog, "siCfgNew");
        auto* field = onPage<QLineEdit>(dialog, row.edit);
        retype(field, home.path(row.before));
        const bool file = QByteArray(row.button) == "btNewsLocalFile";
        const QString site = home.path("site");
        auto chosen =
            choose(row.picked ? home.path(row.picked) : QString(), [=](QFileDialog* files) {
                QCOMPARE(files->directory().absolutePath(), site);
                QCOMPARE(files->fileMode(), file ? QFileDialog::AnyFile : QFileDialog::Directory);
            });
        click(dialog, row.button);
        QVERIFY2(*chosen, row.button);
        QCOMPARE(field->text(), home.path(row.after));
    }
}

// Cancel and Escape write nothing, and a file that could not be read is never overwritten.
void TestConfigurationDialog::fileKeptUnlessOk() {
    for (const int way : {0, 1, 2}) { // Cancel without a file, Escape, Enter on a damaged file
        TempHome home;
        if (way > 0) writeFile(home, {"One", "Two"});
        QByteArray before = home.bytes();
        if (way == 2) {
            before.chop(before.size() / 3);
            QFile file(home.path());
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(before) == before.size());
        }
        TfmConfiguration dialog;
        auto text = std::make_shared<QString>();
        auto shown = whenMessage(text);
        dialog.show();
        if (way == 2) QTRY_VERIFY_WITH_TIMEOUT(*shown, 60000); // it follows the first show
        QVERIFY(way == 2 ? text->contains("not be overwritten") : !*shown);
        click(dialog, "siCfgNew");
        QTest::keyClicks(child<QLineEdit>(&dialog, "edHost"), "changed");
        click(dialog, "siTranslationClear");
        if (way == 0) click(dialog, "btCancel");
        QTest::keyClick(&dialog, way == 2 ? Qt::Key_Return : Qt::Key_Escape);
        QCOMPARE(dialog.isVisible(), way == 2);
        QCOMPARE(home.hasFile(), way > 0);
        QCOMPARE(home.bytes(), before);
    }
}

QTEST_MAIN(TestConfigurationDialog)
#include "test_dlg_configuration.moc"
