// Guards: the configuration dialog: each control saves its own field only; nothing but OK writes.
#include "gui/dialogs/TfmConfiguration.h"
#include "gui/ui/DBTranslationList.h"
#include "test_dlg_helpers.h"

using namespace pw;

// Writes a file with one configuration per name; `more` fills in further fields.
void writeFile(const TempHome& home, const QStringList& names,
               const std::function<void(TnkDBSource&)>& more = {}) {
    ConfigTables tables(ConfigRole::Dialog);
    tables.SettingsSource.Append();
    for (const QString& name : names)
        tables.ConfigSource.SetString(tables.ConfigSource.Append(), "Name", name.toStdString());
    if (more) more(tables.ConfigSource);
    tables.Save(home.cfg());
}

// Every stored value of the settings and the configurations, as "record.field=value".
QSet<QString> storedValues(const TempHome& home) {
    ConfigTables file(ConfigRole::MainWindow); // as the main window reads it: what is stored
    file.ConfigFile.LoadFromFile(home.cfg());
    QSet<QString> values;
    for (const TnkDBData* data : {&file.SettingsData, &file.ConfigData}) {
        const TnkTable& t = data->Table();
        for (int r = 0; r < t.RecordCount(); ++r)
            for (int f = 0; f < t.FieldCount(); ++f)
                values << QString::number(r) + "." + QString::fromStdString(t.FieldName(f)) + "=" +
                              QString::fromLatin1(t.Value(f, r).AsString());
    }
    return values;
}

// A control by name, its page brought to the front as a user must; for a toolbar command,
// its button.
QWidget* control(TfmConfiguration& dialog, const char* name) {
    if (auto* action = child<QAction>(&dialog, name))
        return qobject_cast<QToolBar*>(action->associatedObjects().value(0))
            ->widgetForAction(action);
    auto* tabs = child<QTabWidget>(&dialog, "pcConfiguration");
    QWidget* control = child<QWidget>(&dialog, name);
    for (QWidget* w = control; w; w = w->parentWidget())
        if (tabs->indexOf(w) >= 0) tabs->setCurrentWidget(w);
    return control;
}

void click(TfmConfiguration& dialog, const char* name) {
    QTest::mouseClick(control(dialog, name), Qt::LeftButton);
}

// Control|field|typed|stored (none: as typed)|where the chooser opens. Typed for a list: Down
// presses; for a button: the file chosen in the test folder ("-": cancelled, none: no chooser).
// clang-format off
const char* const kControls[] = {
    "rcSaveWindowPos|SaveWindowPos", "rcPagesNews|PagesNews", "rcPagesFTP|PagesFTP",
    "rcPagesTransfers|PagesTransfers", "rcVisibleMenuNews|VisibleMenuNews",
    "rcVisibleMenuFTP|VisibleMenuFTP", "rcVisibleMenuTransfer|VisibleMenuTransfer",
    "rcVisibleSpeedbar|VisibleSpeedbar", "rcVisibleMinimizeToTray|VisibleMinimizeToTray",
    "rcSyntaxHighlighting|SyntaxHighlight", "rcPassiveMode|PassiveMode",
    "rcUploadViaTemporary|UploadViaTemporary", "rcNewsStayConnected|NewsStayConnected",
    "rcNewsHeader|NewsHeader", "rcFTPAutomaticLocalRefresh|FTPAutomaticLocalRefresh",
    "edNameOfCfg|Name|Work", "edNameOfPoster|Poster|Ann Lee", "edHost|Host|ftp.example.net",
    "edLocalFTPDirectory|LocalFTPDirectory|/srv/site", "edTemporaryDirectory|TemporaryDirectory|/t",
    "cbProtocol|Protocol|3", "edPort|Port|21a9|219", "edLoginname|LoginName|ann",
    "edPassword|LoginPassword|x10|\x87\xce\xcf", "edKeyFile|KeyFile|/k", "edNewsfile|NewsFile|/n",
    "edFTPTimeout|FTPTimeout|5", "edNewsLocalFile|NewsLocalFile|/srv/n.htm",
    "edNewsSection|NewsSection|Today", "edHeaderDefaults|NewsHeaderDefaults|<h2>",
    "edFooterDefaults|NewsFooterDefaults|</h2>", "edBetweenNews|NewsBetweenNews|<hr>\r<br>",
    "edFTPDefaultFolder|FTPDefaultFolder|/www", "btForgetFingerprint|TrustedFingerprint",
    "btBrowseFTP|LocalFTPDirectory|site||site/in", "btBrowseTemp|TemporaryDirectory|-||site",
    "btNewsLocalFile|NewsLocalFile|site/news|site/news.htm|site", "btKeyFile|KeyFile|site/id_key"};
// Command (on what)|configurations|Next clicks first|afterwards, the shown one in brackets.
const char* const kCommands[] = {
    "siCfgMoveRight|A B C|1|A C [B]", "siCfgMoveLeft|A B C|1|[B] A C", "siCfgNext|A B C|1|A B [C]",
    "siCfgPrev|A B C|1|[A] B C", "siCfgFirst|A B C|2|[A] B C", "siCfgLast|A B C|0|A B [C]",
    "siCfgDelete on the last|A B C|2|A [B]", "siCfgDelete on the first|A B C|0|[B] C",
    "siCfgDelete on the only one|A|0|", "siCfgNew|A B C|1|A B C [none]",
    "siCfgNew on none||0|[none]"};
// clang-format on

class TestConfigurationDialog : public QObject {
    Q_OBJECT
private slots:
    // The order, the counter, the title and which commands are usable afterwards.
    void toolbarCommands_data() { addTextRows(kCommands); }
    void toolbarCommands() {
        QFETCH(QStringList, row);
        TempHome home;
        writeFile(home, row[1].split(' ', Qt::SkipEmptyParts));
        TfmConfiguration dialog;
        dialog.show();
        for (int i = row[2].toInt(); i > 0; --i)
            click(dialog, "siCfgNext");
        click(dialog, qPrintable(row[0].section(' ', 0, 0)));
        const TnkDBSource& config = dialog.Tables().ConfigSource;
        const int shown = config.CurrentIndex() + 1, count = config.RecordCount();
        QStringList now;
        for (int r = 0; r < count; ++r) {
            const QString name = QString::fromStdString(config.GetString(r, "Name"));
            now << (r + 1 == shown ? "[" + name + "]" : name);
        }
        QCOMPARE(now.join(' '), row[3]);
        QCOMPARE(child<QLabel>(&dialog, "labCfgNo")->text(),
                 QString("%1/%2").arg(shown).arg(count));
        const QString title = shown ? " (" + now[shown - 1].mid(1).chopped(1) + ")" : "";
        QCOMPARE(dialog.windowTitle(), "Configuration" + title);
        for (const char* name : {"siCfgFirst", "siCfgPrev", "siCfgMoveLeft"})
            QVERIFY2(control(dialog, name)->isEnabled() == (shown > 1), name);
        for (const char* name : {"siCfgNext", "siCfgLast", "siCfgMoveRight"})
            QVERIFY2(control(dialog, name)->isEnabled() == (shown < count), name);
        for (const char* name :
             {"btOK", "siCfgDelete", "btBrowseFTP", "btBrowseTemp", "btNewsLocalFile"})
            QVERIFY2(control(dialog, name)->isEnabled() == (count > 0), name);
    }

    // Only the control's field changes in the file that Enter (OK) saves.
    void controlsSaveTheirFields_data() { addTextRows(kControls); }
    void controlsSaveTheirFields() {
        QFETCH(QStringList, row);
        const QString field = row[1], typed = row.value(2);
        QString expected = row.value(3).isEmpty() ? typed : row[3];
        TempHome home;
        const QString site = home.path("site");
        QVERIFY(QDir(site).mkpath("in") && WriteLocal(site + "/id_key", {}));
        writeFile(home, {"Old", "Key"}, [site](TnkDBSource& config) {
            config.SetString(0, "LocalFTPDirectory", (site + "/in").toStdString());
            config.SetString(0, "TemporaryDirectory", site.toStdString());
            config.SetString(0, "NewsLocalFile", (site + "/old.html").toStdString());
            config.SetString(0, "TrustedFingerprint", "SHA256:q1w2e3");
            config.SetInteger(1, "Protocol", 3); // SFTP: its key file can be chosen
        });
        TfmConfiguration(nullptr).accept(); // the file as an OK without changes leaves it
        const QSet<QString> before = storedValues(home);
        TfmConfiguration dialog;
        dialog.show();
        QWidget* widget = control(dialog, qPrintable(row[0]));
        const int record = widget->isEnabled() ? 0 : 1;
        if (record) click(dialog, "siCfgNext");
        if (auto* button = qobject_cast<QPushButton*>(widget)) {
            std::shared_ptr<bool> chosen;
            const QString start = row.value(4).isEmpty() ? QString() : home.path(row[4]);
            if (!typed.isEmpty())
                chosen = choose(typed == "-" ? QString() : home.path(typed), start);
            QTest::mouseClick(button, Qt::LeftButton);
            QVERIFY(!chosen || *chosen);
            if (!typed.isEmpty()) expected = home.path(expected);
        } else if (auto* box = qobject_cast<QCheckBox*>(widget)) {
            expected = box->isChecked() ? QString() : QStringLiteral("TRUE");
            clickBox(box);
        } else if (auto* list = qobject_cast<QComboBox*>(widget)) {
            list->setFocus();
            for (int i = typed.toInt(); i > 0; --i)
                QTest::keyClick(list, Qt::Key_Down);
        } else if (auto* memo = qobject_cast<QPlainTextEdit*>(widget)) {
            memo->setFocus();
            QTest::keyClicks(memo, typed);
            expected.replace("\r", "\r\n"); // typed: Enter
        } else {
            retype(qobject_cast<QLineEdit*>(widget), typed);
            if (field == "LoginPassword")
                QCOMPARE(qobject_cast<QLineEdit*>(widget)->displayText(), "***");
        }
        QTest::keyClick(&dialog, Qt::Key_Return);
        const QString value = QString("%1.%2=%3").arg(record).arg(field, expected);
        QCOMPARE((storedValues(home) - before).values(),
                 typed == "-" ? QStringList() : QStringList{value});
    }

    // An item typed in survives the save and the load; a file that is no table is refused.
    void translationTableFiles() {
        TempHome home;
        const QString tab = home.path("table.tab"), foreign = home.path("notes.tab");
        // The save replaces the table file without a question.
        QVERIFY(WriteLocal(foreign, "this is not a table") && WriteLocal(tab, {}));
        TfmConfiguration dialog;
        dialog.show();
        auto* list = child<DBTranslationList>(&dialog, "lbTranslation");
        click(dialog, "siTranslationAdd");
        QTest::keyClicks(child<QLineEdit>(&dialog, "edTransChar"), "x");
        retype(child<QLineEdit>(&dialog, "edTransHtml"), "&times;");
        auto saved = choose(tab);
        click(dialog, "siTranslationSave");
        QVERIFY(*saved);
        click(dialog, "siTranslationClear");
        for (const char* name : {"siTranslationSave", "siTranslationDelete"})
            QVERIFY2(!control(dialog, name)->isEnabled(), name);
        auto loaded = choose(tab);
        click(dialog, "siTranslationLoad");
        QVERIFY(*loaded);
        QCOMPARE(list->count(), 8);
        QCOMPARE(list->item(3)->text(), QStringLiteral("\u00c4 <-> &Auml;"));
        QCOMPARE(list->item(7)->text(), QStringLiteral("x <-> &times;"));
        click(dialog, "siTranslationDelete"); // a file that is no table leaves the list alone
        auto chosen = choose(foreign);
        auto [shown, text] = whenMessage();
        click(dialog, "siTranslationLoad");
        QVERIFY(*chosen && *shown);
        QVERIFY2(text->contains(QStringLiteral("not a translation table")), qPrintable(*text));
        QCOMPARE(list->count(), 7);
    }

    // Cancel and Escape write nothing, and a file that could not be read is never overwritten.
    void fileKeptUnlessOk() {
        for (const int way : {0, 1, 2}) { // Cancel without a file, Escape, Enter on a damaged file
            TempHome home;
            if (way > 0) writeFile(home, {"One", "Two"});
            QByteArray before = home.bytes();
            if (way == 2) before.chop(before.size() / 3);
            QVERIFY(way < 2 || WriteLocal(home.path(), before));
            TfmConfiguration dialog;
            auto [shown, text] = whenMessage();
            dialog.show();
            if (way == 2) QTRY_VERIFY_WITH_TIMEOUT(*shown, 60000); // it follows the first show
            QVERIFY(way == 2 ? text->contains("not be overwritten") : !*shown);
            click(dialog, "siCfgNew");
            if (way == 0) click(dialog, "btCancel");
            QTest::keyClick(&dialog, way == 2 ? Qt::Key_Return : Qt::Key_Escape);
            QCOMPARE(dialog.isVisible(), way == 2);
            QCOMPARE(home.hasFile(), way > 0);
            QCOMPARE(home.bytes(), before);
        }
    }
};

QTEST_MAIN(TestConfigurationDialog)
#include "test_dlg_configuration.moc"
