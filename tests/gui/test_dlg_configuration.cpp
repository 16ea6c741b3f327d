// The configuration dialog driven like a user: toolbar commands and their enabling, the
// counter and title, bound controls, the translation table, and what OK and Cancel leave in
// the configuration file.
#include "core/config/ConfigSteps.h"
#include "core/config/Password.h"
#include "core/storage/ByteStream.h"
#include "gui/dialogs/MultiRowTabs.h"
#include "gui/dialogs/TfmConfiguration.h"
#include "gui/ui/DBTranslationList.h"
#include "test_dlg_helpers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

#include <map>

using namespace pw;

namespace {
// Writes a file with the given configurations (passwords given in clear, stored scrambled).
void writeConfigurations(const TempHome& home, const QStringList& names,
                         const QStringList& passwords = {}) {
    ConfigTables tables(ConfigRole::Dialog);
    tables.SettingsSource.Append();
    for (int i = 0; i < names.size(); ++i) {
        const int r = tables.ConfigSource.Append();
        tables.ConfigSource.SetString(r, "Name", names[i].toStdString());
        if (i < passwords.size())
            tables.ConfigSource.SetString(r, "LoginPassword",
                                          ScramblePassword(passwords[i].toStdString()));
    }
    tables.Save(home.cfg());
}

QStringList dialogNames(TfmConfiguration& dialog) {
    TnkDBSource& config = dialog.Tables().ConfigSource;
    QStringList names;
    for (int r = 0; r < config.RecordCount(); ++r)
        names << QString::fromStdString(config.GetString(r, "Name"));
    return names;
}

QString counter(TfmConfiguration& dialog) {
    return child<QLabel>(&dialog, "labCfgNo")->text();
}

bool enabled(TfmConfiguration& dialog, const char* name) {
    if (auto* action = child<QAction>(&dialog, name)) return action->isEnabled();
    return child<QWidget>(&dialog, name)->isEnabled();
}

void showPage(TfmConfiguration& dialog, const char* page) {
    auto* tabs = child<QTabWidget>(&dialog, "pcConfiguration");
    tabs->setCurrentWidget(child<QWidget>(&dialog, page));
}

// Clicks a check box on its box, where a click always toggles it.
void clickCheck(QCheckBox* box) {
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
}

// A file from before the connection settings: one configuration with a port in its host,
// and `extra` fields ("Name=value").
void writeOlderFile(const TempHome& home, const QStringList& extra = {}) {
    ConfigTables older(ConfigRole::MainWindow);
    older.SettingsData.Table().AddField("SaveWindowPos");
    older.SettingsSource.Append();
    QStringList fields{"Name=Old", "Host=h:2121", "LoginName=ann"};
    fields += extra;
    for (const QString& field : fields)
        older.ConfigData.Table().AddField(field.section('=', 0, 0).toStdString());
    older.ConfigSource.Append();
    for (const QString& field : fields)
        older.ConfigSource.SetString(0, field.section('=', 0, 0).toStdString(),
                                     field.section('=', 1).toStdString());
    older.Save(home.cfg());
}

// Replaces an edit's text by typing.
void retype(QLineEdit* edit, const QString& text) {
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}
} // namespace

class TestConfigurationDialog : public QObject {
    Q_OBJECT
private slots:
    void firstRunStartsEmpty();
    void addConfigurationGivesDefaults();
    void toolbarCommands_data();
    void toolbarCommands();
    void titleFollowsName();
    void tabsWrapIntoRows();
    void passwordSurvivesOkInClear();
    void cancelWritesNothing_data();
    void cancelWritesNothing();
    void settingsControlsWriteTheFile();
    void connectionControlsWriteTheFile_data();
    void connectionControlsWriteTheFile();
    void translationCommands();
    void translationTableSaveAndLoad();
    void foreignTranslationFileIsRefused();
    void browseButtonsFillTheirEdits();
    void enterPressesOk();
    void failedSaveKeepsDialogOpen();
    void damagedFileIsNeverOverwritten();
};

void TestConfigurationDialog::firstRunStartsEmpty() {
    TempHome home;
    TfmConfiguration dialog;
    dialog.show();
    QCOMPARE(counter(dialog), QStringLiteral("0/0"));
    QVERIFY(!enabled(dialog, "btOK"));
    QVERIFY(enabled(dialog, "btCancel"));
    for (const char* name :
         {"siCfgDelete", "siCfgFirst", "siCfgPrev", "siCfgNext", "siCfgLast", "siCfgMoveLeft",
          "siCfgMoveRight", "btBrowseFTP", "btBrowseTemp", "btNewsLocalFile"})
        QVERIFY2(!enabled(dialog, name), name);
    QVERIFY(enabled(dialog, "siCfgNew"));
    auto* list = child<DBTranslationList>(&dialog, "lbTranslation");
    QCOMPARE(list->count(), 7);
    QCOMPARE(list->item(0)->text(), QStringLiteral("\u00e4 <-> &auml;"));
    QCOMPARE(list->item(6)->text(), QStringLiteral("\u00df <-> &szlig;"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Configuration"));
    // Without a configuration there is nothing to type into.
    QVERIFY(child<QLineEdit>(&dialog, "edNameOfCfg")->isReadOnly());
    // The hidden parts stay hidden.
    auto* tabs = child<QTabWidget>(&dialog, "pcConfiguration");
    QVERIFY(!tabs->isTabVisible(tabs->indexOf(child<QWidget>(&dialog, "tsLinks"))));
    QVERIFY(child<QCheckBox>(&dialog, "rcPagesLinks")->isHidden());
    QVERIFY(child<QCheckBox>(&dialog, "rcVisibleMenuLinks")->isHidden());
    QVERIFY(!child<QLineEdit>(&dialog, "edAutoSave")->isEnabled());
}

void TestConfigurationDialog::addConfigurationGivesDefaults() {
    TempHome home;
    TfmConfiguration dialog;
    dialog.show();
    clickAction(child<QAction>(&dialog, "siCfgNew"));
    QCOMPARE(counter(dialog), QStringLiteral("1/1"));
    QVERIFY(enabled(dialog, "btOK"));
    QVERIFY(enabled(dialog, "siCfgDelete"));
    QVERIFY(enabled(dialog, "btBrowseFTP"));
    QCOMPARE(child<QLineEdit>(&dialog, "edNameOfCfg")->text(), QStringLiteral("none"));
    QCOMPARE(child<QLineEdit>(&dialog, "edLoginname")->text(), QStringLiteral("user"));
    QCOMPARE(child<QLineEdit>(&dialog, "edFTPTimeout")->text(), QStringLiteral("60"));
    QCOMPARE(child<QLineEdit>(&dialog, "edNewsfile")->text(), QStringLiteral("/index.html"));
    QCOMPARE(child<QLineEdit>(&dialog, "edFTPDefaultFolder")->text(), QStringLiteral("/"));
    QVERIFY(child<QCheckBox>(&dialog, "rcFTPAutomaticLocalRefresh")->isChecked());
    QVERIFY(!child<QCheckBox>(&dialog, "rcSyntaxHighlighting")->isChecked());
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Configuration (none)"));
}

void TestConfigurationDialog::toolbarCommands_data() {
    QTest::addColumn<int>("start");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QString>("counter");
    QTest::addColumn<QString>("shown"); // edNameOfCfg afterwards
    // Enabled afterwards: First/Previous/Move left, Next/Last/Move right.
    QTest::addColumn<bool>("back");
    QTest::addColumn<bool>("on");

    const QStringList abc{"A", "B", "C"};
    QTest::newRow("move right on the second")
        << 1 << "siCfgMoveRight" << QStringList{"A", "C", "B"} << "3/3"
        << "B" << true << false;
    QTest::newRow("move left on the second")
        << 1 << "siCfgMoveLeft" << QStringList{"B", "A", "C"} << "1/3"
        << "B" << false << true;
    QTest::newRow("next on the second") << 1 << "siCfgNext" << abc << "3/3"
                                        << "C" << true << false;
    QTest::newRow("previous on the second") << 1 << "siCfgPrev" << abc << "1/3"
                                            << "A" << false << true;
    QTest::newRow("first from the last") << 2 << "siCfgFirst" << abc << "1/3"
                                         << "A" << false << true;
    QTest::newRow("last from the first") << 0 << "siCfgLast" << abc << "3/3"
                                         << "C" << true << false;
    QTest::newRow("delete the last") << 2 << "siCfgDelete" << QStringList{"A", "B"} << "2/2"
                                     << "B" << true << false;
    QTest::newRow("delete the first") << 0 << "siCfgDelete" << QStringList{"B", "C"} << "1/2"
                                      << "B" << false << true;
    QTest::newRow("add after three")
        << 1 << "siCfgNew" << QStringList{"A", "B", "C", "none"} << "4/4"
        << "none" << true << false;
}

void TestConfigurationDialog::toolbarCommands() {
    QFETCH(int, start);
    QFETCH(QString, command);
    TempHome home;
    writeConfigurations(home, {"A", "B", "C"});
    TfmConfiguration dialog;
    dialog.show();
    QCOMPARE(counter(dialog), QStringLiteral("1/3"));
    for (int i = 0; i < start; ++i)
        clickAction(child<QAction>(&dialog, "siCfgNext"));
    QCOMPARE(counter(dialog), QStringLiteral("%1/3").arg(start + 1));

    clickAction(child<QAction>(&dialog, command.toLatin1().constData()));

    QTEST(dialogNames(dialog), "names");
    QTEST(counter(dialog), "counter");
    QTEST(child<QLineEdit>(&dialog, "edNameOfCfg")->text(), "shown");
    QFETCH(bool, back);
    QFETCH(bool, on);
    for (const char* name : {"siCfgFirst", "siCfgPrev", "siCfgMoveLeft"})
        QVERIFY2(enabled(dialog, name) == back, name);
    for (const char* name : {"siCfgNext", "siCfgLast", "siCfgMoveRight"})
        QVERIFY2(enabled(dialog, name) == on, name);
}

void TestConfigurationDialog::titleFollowsName() {
    TempHome home;
    writeConfigurations(home, {"Work", "Club"});
    TfmConfiguration dialog;
    dialog.show();
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Configuration (Work)"));
    showPage(dialog, "tsConfiguration");
    auto* name = child<QLineEdit>(&dialog, "edNameOfCfg");
    retype(name, QString());
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Configuration"));
    QTest::keyClicks(name, "Home");
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Configuration (Home)"));
    clickAction(child<QAction>(&dialog, "siCfgNext"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Configuration (Club)"));
    clickAction(child<QAction>(&dialog, "siCfgPrev"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Configuration (Home)"));
    QCOMPARE(dialogNames(dialog), (QStringList{"Home", "Club"}));
}

void TestConfigurationDialog::tabsWrapIntoRows() {
    TempHome home;
    TfmConfiguration dialog;
    dialog.show();
    auto* tabs = child<QTabWidget>(&dialog, "pcConfiguration");
    auto* rows = child<MultiRowTabBar>(&dialog, "tabRows");
    const auto placed = rows->Layout(rows->width());
    QCOMPARE(int(placed.size()), 8); // every page but the hidden Links page
    for (const auto& tab : placed)
        QVERIFY(tab.index != tabs->indexOf(child<QWidget>(&dialog, "tsLinks")));
    const int lastRowTop = placed.back().rect.top();
    QVERIFY2(lastRowTop > 0, "the tabs need more than one row at this width");
    // The current tab's row lies next to the page.
    const auto rowOf = [&placed](int index) {
        return std::find_if(placed.begin(), placed.end(),
                            [index](const auto& tab) { return tab.index == index; })
            ->rect;
    };
    QCOMPARE(rowOf(tabs->currentIndex()).top(), lastRowTop);

    const int ftp = tabs->indexOf(child<QWidget>(&dialog, "tsFTP"));
    QVERIFY(rowOf(ftp).top() < lastRowTop);
    QTest::mouseClick(rows, Qt::LeftButton, {}, rowOf(ftp).center());
    QCOMPARE(tabs->currentIndex(), ftp);
    const auto after = rows->Layout(rows->width());
    const auto ftpTab = std::find_if(after.begin(), after.end(),
                                     [ftp](const auto& tab) { return tab.index == ftp; });
    QCOMPARE(ftpTab->rect.top(), lastRowTop);
    std::map<int, int> rowEnds; // row top -> right edge of its last tab
    for (const auto& tab : after)
        rowEnds[tab.rect.top()] = std::max(rowEnds[tab.rect.top()], tab.rect.right());
    for (const auto& [top, right] : rowEnds)
        QCOMPARE(right, rows->width() - 1);
}

void TestConfigurationDialog::passwordSurvivesOkInClear() {
    TempHome home;
    {
        TfmConfiguration dialog;
        dialog.show();
        clickAction(child<QAction>(&dialog, "siCfgNew"));
        showPage(dialog, "tsServer");
        auto* password = child<QLineEdit>(&dialog, "edPassword");
        password->setFocus();
        QTest::keyClicks(password, "abc");
        QCOMPARE(password->displayText(), QStringLiteral("***"));
        QTest::mouseClick(child<QPushButton>(&dialog, "btOK"), Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }
    auto stored = readBack(home.cfg());
    QCOMPARE(stored->ConfigSource.GetString(0, "LoginPassword"), std::string("\x9e\x9d\x9c"));
    QFileInfo info(home.path());
    QCOMPARE(info.permissions() & (QFile::ReadGroup | QFile::ReadOther), QFile::Permissions());

    TfmConfiguration again;
    again.show();
    QCOMPARE(child<QLineEdit>(&again, "edPassword")->text(), QStringLiteral("abc"));
    // A second OK scrambles it once, not twice.
    QTest::mouseClick(child<QPushButton>(&again, "btOK"), Qt::LeftButton);
    QCOMPARE(readBack(home.cfg())->ConfigSource.GetString(0, "LoginPassword"),
             std::string("\x9e\x9d\x9c"));
}

void TestConfigurationDialog::cancelWritesNothing_data() {
    QTest::addColumn<bool>("withFile");
    QTest::addColumn<bool>("escape");
    QTest::newRow("no file, Cancel") << false << false;
    QTest::newRow("no file, Escape") << false << true;
    QTest::newRow("file, Cancel") << true << false;
    QTest::newRow("file, Escape") << true << true;
}

void TestConfigurationDialog::cancelWritesNothing() {
    QFETCH(bool, withFile);
    QFETCH(bool, escape);
    TempHome home;
    if (withFile) writeConfigurations(home, {"Kept"}, {"pw"});
    const QByteArray before = home.bytes();

    TfmConfiguration dialog;
    dialog.show();
    clickAction(child<QAction>(&dialog, "siCfgNew"));
    QTest::keyClicks(child<QLineEdit>(&dialog, "edHost"), "changed");
    clickAction(child<QAction>(&dialog, "siTranslationClear"));
    if (escape)
        QTest::keyClick(&dialog, Qt::Key_Escape);
    else
        QTest::mouseClick(child<QPushButton>(&dialog, "btCancel"), Qt::LeftButton);
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QVERIFY(!dialog.isVisible());
    QCOMPARE(home.hasFile(), withFile);
    QCOMPARE(home.bytes(), before);
}

void TestConfigurationDialog::settingsControlsWriteTheFile() {
    TempHome home;
    TfmConfiguration dialog;
    dialog.show();
    clickAction(child<QAction>(&dialog, "siCfgNew"));
    auto* saveWindowPos = child<QCheckBox>(&dialog, "rcSaveWindowPos");
    QVERIFY(saveWindowPos->isChecked());
    clickCheck(saveWindowPos);
    showPage(dialog, "tsGUI");
    clickCheck(child<QCheckBox>(&dialog, "rcVisibleMenuFTP"));
    showPage(dialog, "tsNews2");
    clickCheck(child<QCheckBox>(&dialog, "rcNewsHeader"));
    showPage(dialog, "tsConfiguration");
    clickCheck(child<QCheckBox>(&dialog, "rcSyntaxHighlighting"));
    clickCheck(child<QCheckBox>(&dialog, "rcSyntaxHighlighting"));
    QTest::mouseClick(child<QPushButton>(&dialog, "btOK"), Qt::LeftButton);

    auto stored = readBack(home.cfg());
    QCOMPARE(stored->SettingsSource.GetString(0, "SaveWindowPos"), std::string());
    QCOMPARE(stored->SettingsSource.GetString(0, "VisibleMenuFTP"), std::string());
    QCOMPARE(stored->SettingsSource.GetString(0, "VisibleMenuNews"), std::string("TRUE"));
    QCOMPARE(stored->SettingsSource.GetString(0, "Left"), std::string("-1"));
    QCOMPARE(stored->ConfigSource.GetString(0, "NewsHeader"), std::string("TRUE"));
    QCOMPARE(stored->ConfigSource.GetString(0, "SyntaxHighlight"), std::string());
    QCOMPARE(stored->TranslationSource.RecordCount(), 7);
    QCOMPARE(stored->TranslationSource.GetString(0, "Ascii"), std::string("\xe4"));
}

void TestConfigurationDialog::connectionControlsWriteTheFile_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<QStringList>("extra"); // fields of the older file beyond the usual
    QTest::addColumn<QString>("scheme");
    QTest::addColumn<QString>("defaultPort"); // shown in the empty port edit
    QTest::addColumn<bool>("passiveUsable");
    QTest::addColumn<bool>("keyFileUsable");
    QTest::addColumn<QStringList>("stored"); // the connection settings in the saved file
    const QStringList defaults{"Protocol=",        "Port=",
                               "PassiveMode=TRUE", "UploadViaTemporary=TRUE",
                               "KeyFile=",         "TrustedFingerprint="};
    const auto with = [&defaults](const QString& field) {
        QStringList fields = defaults;
        for (QString& f : fields)
            if (f.section('=', 0, 0) == field.section('=', 0, 0)) f = field;
        return fields;
    };
    QTest::newRow("older file shows the defaults") << "" << QStringList() << "ftp://"
                                                   << "21" << true << false << defaults;
    QTest::newRow("explicit TLS") << "protocol 1" << QStringList() << "ftpes://"
                                  << "21" << true << false << with("Protocol=1");
    QTest::newRow("implicit TLS") << "protocol 2" << QStringList() << "ftps://"
                                  << "990" << true << false << with("Protocol=2");
    QTest::newRow("SFTP") << "protocol 3" << QStringList() << "sftp://"
                          << "22" << false << true << with("Protocol=3");
    QTest::newRow("port takes digits only") << "port" << QStringList() << "ftp://"
                                            << "21" << true << false << with("Port=219");
    QTest::newRow("active mode") << "passive" << QStringList() << "ftp://"
                                 << "21" << true << false << with("PassiveMode=");
    QTest::newRow("direct upload") << "upload" << QStringList() << "ftp://"
                                   << "21" << true << false << with("UploadViaTemporary=");
    QStringList key = with("Protocol=3");
    key[4] = "KeyFile=<home>/id_test";
    QTest::newRow("key file chosen") << "key file" << QStringList() << "sftp://"
                                     << "22" << false << true << key;
    QTest::newRow("fingerprint forgotten")
        << "forget" << QStringList{"TrustedFingerprint=SHA256:q1w2e3"} << "ftp://"
        << "21" << true << false << defaults;
}

void TestConfigurationDialog::connectionControlsWriteTheFile() {
    QFETCH(QString, action);
    QFETCH(QStringList, extra);
    QFETCH(QStringList, stored);
    TempHome home;
    writeOlderFile(home, extra);
    TfmConfiguration dialog;
    dialog.show();
    showPage(dialog, "tsServer");
    auto* protocol = child<QComboBox>(&dialog, "cbProtocol");
    auto* port = child<QLineEdit>(&dialog, "edPort");
    auto* fingerprint = child<QLineEdit>(&dialog, "edTrustedFingerprint");
    auto* forget = child<QPushButton>(&dialog, "btForgetFingerprint");
    QCOMPARE(protocol->currentText(), QStringLiteral("FTP"));
    QCOMPARE(child<QLineEdit>(&dialog, "edHost")->text(), QStringLiteral("h:2121"));
    QVERIFY(fingerprint->isReadOnly());
    QCOMPARE(forget->isEnabled(), !extra.isEmpty());

    if (action.startsWith("protocol") || action == "key file") {
        protocol->setFocus();
        for (int i = action == "key file" ? 3 : action.back().digitValue(); i > 0; --i)
            QTest::keyClick(protocol, Qt::Key_Down);
    }
    if (action == "port") retype(port, "21a9");
    if (action == "passive") clickCheck(child<QCheckBox>(&dialog, "rcPassiveMode"));
    if (action == "upload") clickCheck(child<QCheckBox>(&dialog, "rcUploadViaTemporary"));
    if (action == "key file") {
        QVERIFY(QFile(home.path("id_test")).open(QIODevice::WriteOnly));
        const QString file = home.path("id_test");
        auto chosen = whenModal<QFileDialog>([file](QFileDialog* files) {
            QCOMPARE(files->fileMode(), QFileDialog::ExistingFile);
            files->selectFile(file);
            static_cast<QDialog*>(files)->accept();
        });
        QTest::mouseClick(child<QPushButton>(&dialog, "btKeyFile"), Qt::LeftButton);
        QVERIFY(*chosen);
    }
    if (action == "forget") {
        QCOMPARE(fingerprint->text(), QStringLiteral("SHA256:q1w2e3"));
        QTest::mouseClick(forget, Qt::LeftButton);
        QCOMPARE(fingerprint->text(), QString());
        QVERIFY(!forget->isEnabled());
    }

    QTEST(child<QLabel>(&dialog, "labHostScheme")->text(), "scheme");
    QTEST(port->placeholderText(), "defaultPort");
    QTEST(child<QCheckBox>(&dialog, "rcPassiveMode")->isEnabled(), "passiveUsable");
    QTEST(child<QLineEdit>(&dialog, "edKeyFile")->isEnabled(), "keyFileUsable");
    QTEST(child<QPushButton>(&dialog, "btKeyFile")->isEnabled(), "keyFileUsable");
    QTest::mouseClick(child<QPushButton>(&dialog, "btOK"), Qt::LeftButton);

    auto file = readBack(home.cfg());
    const TnkDBSource& config = file->ConfigSource;
    QCOMPARE(config.GetString(0, "Host"), std::string("h:2121"));
    QCOMPARE(config.GetString(0, "LoginName"), std::string("ann"));
    for (QString field : stored) {
        field.replace("<home>", home.dir.path());
        const std::string name = field.section('=', 0, 0).toStdString();
        QCOMPARE(QString::fromStdString(config.GetString(0, name)), field.section('=', 1));
    }
}

void TestConfigurationDialog::translationCommands() {
    TempHome home;
    TfmConfiguration dialog;
    dialog.show();
    auto* list = child<DBTranslationList>(&dialog, "lbTranslation");
    QVERIFY(enabled(dialog, "siTranslationSave"));
    QVERIFY(enabled(dialog, "siTranslationDelete"));

    clickAction(child<QAction>(&dialog, "siTranslationClear"));
    QCOMPARE(list->count(), 0);
    QVERIFY(!enabled(dialog, "siTranslationSave"));
    QVERIFY(!enabled(dialog, "siTranslationDelete"));

    clickAction(child<QAction>(&dialog, "siTranslationAdd"));
    QCOMPARE(list->count(), 1);
    QVERIFY(enabled(dialog, "siTranslationSave"));
    QVERIFY(enabled(dialog, "siTranslationDelete"));
    auto* ascii = child<QLineEdit>(&dialog, "edTransChar");
    QCOMPARE(dialog.focusWidget(), ascii);
    QTest::sendKeyEvent(QTest::Click, ascii, Qt::Key_unknown, QStringLiteral("\u00e9"), {});
    QTest::keyClicks(child<QLineEdit>(&dialog, "edTransHtml"), "&eacute;");
    QCOMPARE(list->item(0)->text(), QStringLiteral("\u00e9 <-> &eacute;"));
    QCOMPARE(dialog.Tables().TranslationSource.GetString(0, "Ascii"), std::string("\xe9"));

    clickAction(child<QAction>(&dialog, "siTranslationAdd"));
    QTest::keyClicks(ascii, "<");
    QCOMPARE(list->count(), 2);
    QCOMPARE(list->currentRow(), 1);
    // Choosing a row makes it current; the edits follow.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(0)).center());
    QCOMPARE(dialog.Tables().TranslationSource.CurrentIndex(), 0);
    QCOMPARE(ascii->text(), QStringLiteral("\u00e9"));

    clickAction(child<QAction>(&dialog, "siTranslationDelete"));
    QCOMPARE(list->count(), 1);
    QCOMPARE(list->item(0)->text(), QStringLiteral("< <-> "));
    clickAction(child<QAction>(&dialog, "siTranslationDelete"));
    QCOMPARE(list->count(), 0);
    QVERIFY(!enabled(dialog, "siTranslationDelete"));
}

void TestConfigurationDialog::translationTableSaveAndLoad() {
    TempHome home;
    const QString tab = home.path("table.tab");
    {
        QFile old(tab);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(4000, 'x'));
    }
    TfmConfiguration dialog;
    dialog.show();
    // Saving replaces the existing file without a question.
    auto saved = whenModal<QFileDialog>([tab](QFileDialog* files) {
        QCOMPARE(files->defaultSuffix(), QStringLiteral("tab"));
        QCOMPARE(files->nameFilters(), (QStringList{"Translation table (*.tab)", "All file (*)"}));
        files->selectFile(tab);
        static_cast<QDialog*>(files)->accept();
    });
    clickAction(child<QAction>(&dialog, "siTranslationSave"));
    QVERIFY(*saved);
    ByteWriter expected;
    dialog.Tables().TranslationSource.SaveToStream(expected);
    QFile written(tab);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(), QByteArray::fromStdString(expected.data()));
    QCOMPARE(written.size(), qint64(171));

    clickAction(child<QAction>(&dialog, "siTranslationClear"));
    auto loaded = whenModal<QFileDialog>([tab](QFileDialog* files) {
        QCOMPARE(files->fileMode(), QFileDialog::ExistingFile);
        files->selectFile(tab);
        static_cast<QDialog*>(files)->accept();
    });
    clickAction(child<QAction>(&dialog, "siTranslationLoad"));
    QVERIFY(*loaded);
    auto* list = child<DBTranslationList>(&dialog, "lbTranslation");
    QCOMPARE(list->count(), 7);
    QCOMPARE(list->currentRow(), 0);
    QCOMPARE(list->item(3)->text(), QStringLiteral("\u00c4 <-> &Auml;"));
    QVERIFY(enabled(dialog, "siTranslationDelete"));
}

void TestConfigurationDialog::foreignTranslationFileIsRefused() {
    TempHome home;
    const QString foreign = home.path("notes.tab");
    {
        QFile file(foreign);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("this is not a table");
    }
    TfmConfiguration dialog;
    dialog.show();
    clickAction(child<QAction>(&dialog, "siTranslationDelete"));
    auto chosen = whenModal<QFileDialog>([foreign](QFileDialog* files) {
        files->selectFile(foreign);
        static_cast<QDialog*>(files)->accept();
    });
    // The error message follows once the file dialog has closed.
    auto message = std::make_shared<QString>();
    auto shown = whenModal<QMessageBox>([message](QMessageBox* box) {
        *message = box->text();
        box->accept();
    });
    clickAction(child<QAction>(&dialog, "siTranslationLoad"));
    QVERIFY(*chosen);
    QVERIFY(*shown);
    QVERIFY2(message->contains(QStringLiteral("not a translation table")), qPrintable(*message));
    QCOMPARE(child<DBTranslationList>(&dialog, "lbTranslation")->count(), 6);
    QCOMPARE(dialog.Tables().TranslationSource.GetString(0, "Html"), std::string("&ouml;"));
}

void TestConfigurationDialog::browseButtonsFillTheirEdits() {
    TempHome home;
    QVERIFY(QDir(home.dir.path()).mkpath("site"));
    const QString site = home.path("site");
    TfmConfiguration dialog;
    dialog.show();
    clickAction(child<QAction>(&dialog, "siCfgNew"));
    showPage(dialog, "tsConfiguration");
    auto chosen = whenModal<QFileDialog>([site](QFileDialog* files) {
        QCOMPARE(files->fileMode(), QFileDialog::Directory);
        files->selectFile(site);
        static_cast<QDialog*>(files)->accept();
    });
    QTest::mouseClick(child<QPushButton>(&dialog, "btBrowseFTP"), Qt::LeftButton);
    QVERIFY(*chosen);
    QCOMPARE(child<QLineEdit>(&dialog, "edLocalFTPDirectory")->text(), site);
    QCOMPARE(dialog.Tables().ConfigSource.GetString("LocalFTPDirectory"),
             QFile::encodeName(site).toStdString());

    // A cancelled chooser leaves the edit alone.
    auto cancelled = whenModal<QFileDialog>([](QFileDialog* files) { files->reject(); });
    QTest::mouseClick(child<QPushButton>(&dialog, "btBrowseTemp"), Qt::LeftButton);
    QVERIFY(*cancelled);
    QCOMPARE(child<QLineEdit>(&dialog, "edTemporaryDirectory")->text(), QString());

    // The local news file gets the default extension "htm".
    showPage(dialog, "tsNews1");
    const QString page = home.path("site/news");
    auto saved = whenModal<QFileDialog>([page](QFileDialog* files) {
        QCOMPARE(files->acceptMode(), QFileDialog::AcceptSave);
        QCOMPARE(files->nameFilters(), (QStringList{"Html file (*.htm *.html)", "All files (*)"}));
        files->selectFile(page);
        static_cast<QDialog*>(files)->accept();
    });
    QTest::mouseClick(child<QPushButton>(&dialog, "btNewsLocalFile"), Qt::LeftButton);
    QVERIFY(*saved);
    QCOMPARE(child<QLineEdit>(&dialog, "edNewsLocalFile")->text(), page + ".htm");
    QCOMPARE(dialog.Tables().ConfigSource.GetString("NewsLocalFile"),
             QFile::encodeName(page + ".htm").toStdString());
}

void TestConfigurationDialog::enterPressesOk() {
    TempHome home;
    TfmConfiguration dialog;
    dialog.show();
    QTest::keyClick(&dialog, Qt::Key_Return);
    QVERIFY(dialog.isVisible()); // OK is disabled without a configuration
    QVERIFY(!home.hasFile());
    clickAction(child<QAction>(&dialog, "siCfgNew"));
    QTest::keyClick(child<QLineEdit>(&dialog, "edNameOfCfg"), Qt::Key_Return);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(readBack(home.cfg())->ConfigSource.RecordCount(), 1);
}

void TestConfigurationDialog::failedSaveKeepsDialogOpen() {
    TempHome home;
    // The program folder lies below a plain file, so it can never be created.
    QFile blocker(home.path("blocker"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    qputenv("PAGEWRIGHT_HOME", QFile::encodeName(home.path("blocker/sub")));

    TfmConfiguration dialog;
    dialog.show();
    clickAction(child<QAction>(&dialog, "siCfgNew"));
    QTest::keyClicks(child<QLineEdit>(&dialog, "edPassword"), "pw");
    auto message = std::make_shared<QString>();
    auto shown = whenModal<QMessageBox>([message](QMessageBox* box) {
        *message = box->text();
        box->accept();
    });
    QTest::mouseClick(child<QPushButton>(&dialog, "btOK"), Qt::LeftButton);
    QVERIFY(*shown);
    QVERIFY2(message->startsWith(QStringLiteral("Cannot create file")), qPrintable(*message));
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    // The password is still in clear, ready for another try.
    QCOMPARE(child<QLineEdit>(&dialog, "edPassword")->text(), QStringLiteral("pw"));
    QCOMPARE(dialog.Tables().ConfigSource.GetString(0, "LoginPassword"), std::string("pw"));
}

void TestConfigurationDialog::damagedFileIsNeverOverwritten() {
    TempHome home;
    writeConfigurations(home, {"One", "Two"});
    QByteArray damaged = home.bytes();
    damaged.chop(damaged.size() / 3);
    {
        QFile file(home.path());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(damaged);
    }
    TfmConfiguration dialog;
    QVERIFY(!dialog.LoadError().isEmpty());
    auto message = std::make_shared<QString>();
    auto shown = whenModal<QMessageBox>([message](QMessageBox* box) {
        *message = box->text();
        box->accept();
    });
    dialog.show();
    QTRY_VERIFY(*shown);
    QVERIFY(message->contains(QStringLiteral("not be overwritten")));
    clickAction(child<QAction>(&dialog, "siCfgNew"));
    QVERIFY(!enabled(dialog, "btOK"));
    QTest::keyClick(&dialog, Qt::Key_Return);
    QCOMPARE(home.bytes(), damaged);
}

QTEST_MAIN(TestConfigurationDialog)
#include "test_dlg_configuration.moc"
