// Guards: the new-server wizard: no step past an empty field; Finish appends one record.
#include "gui/dialogs/TfmNewServer.h"
#include "test_dlg_helpers.h"

using namespace pw;

// Fills every page and stops on the last one; ">" turns the page.
void fillAll(TfmNewServer& wizard) {
    for (const QString step : {">", "edNameOfConfiguration=second", "edName=Ann", ">",
                               "edHost=ftp.example.net", "edLoginname=ann", "edPassword=abc", ">"})
        step == ">" ? press(&wizard, "btNext")
                    : retype(child<QLineEdit>(&wizard, qPrintable(step.section('=', 0, 0))),
                             step.section('=', 1));
}

// The buttons a user can press now.
QString usable(TfmNewServer& wizard) {
    QStringList names;
    for (const char* name : {"btPrevious", "btNext", "btCancel", "btFinish"})
        if (auto* button = child<QPushButton>(&wizard, name);
            button->isVisible() && button->isEnabled())
            names << name;
    return names.join(' ');
}

// The field cleared (or none) on its page.
const char* const kCleared[] = {
    "none on page 1|1", "edNameOfConfiguration|1", "edName|1",    "none on page 2|2",
    "edHost|2",         "edLoginname|2",           "edPassword|2"};

class TestNewServerWizard : public QObject {
    Q_OBJECT
private slots:
    // Next needs every field of its page; Finish takes Cancel's place on the last page only;
    // Enter and Escape do nothing.
    void emptyFieldStopsTheWizard_data() { addTextRows(kCleared); }
    void emptyFieldStopsTheWizard() {
        QFETCH(QStringList, row);
        const int page = row[1].toInt();
        const bool cleared = row[0].startsWith("ed");
        TempHome home;
        TfmNewServer wizard;
        wizard.show();
        QCOMPARE(usable(wizard), "btNext btCancel");
        fillAll(wizard);
        QCOMPARE(usable(wizard), "btPrevious btFinish");
        for (int p = 3; p > page; --p)
            press(&wizard, "btPrevious");
        if (cleared) retype(child<QLineEdit>(&wizard, qPrintable(row[0])), QString());
        QCOMPARE(usable(wizard), cleared ? "btPrevious btCancel" : "btPrevious btNext btCancel");
        press(&wizard, "btNext");
        QTest::keyClick(&wizard, Qt::Key_Return);
        QTest::keyClick(&wizard, Qt::Key_Escape);
        QCOMPARE(wizard.PageIndex(), cleared ? page : page + 1);
        QVERIFY(wizard.isVisible());
        if (wizard.PageIndex() == 3) press(&wizard, "btPrevious"); // where Cancel shows again
        press(&wizard, "btCancel");
        QCOMPARE(wizard.result(), int(QDialog::Rejected));
    }

    // A save that fails says so and keeps the wizard open, however often tried; the one that
    // works then appends one record with everything typed and chosen, each in its own field.
    void finishAppendsOneRecord() {
        TempHome home;
        const QString key = home.path("id_test");
        QVERIFY(WriteLocal(key, {}) && WriteLocal(home.path("blocker"), {}));
        TfmNewServer wizard;
        wizard.show();
        fillAll(wizard);
        press(&wizard, "btPrevious");
        QVERIFY(!child<QPushButton>(&wizard, "btKeyFile")->isEnabled()); // FTP takes no key file
        auto* protocol = child<QComboBox>(&wizard, "cbProtocol");
        protocol->setFocus();
        for (int i = 0; i < 4; ++i) // one past the last stays on it
            QTest::keyClick(protocol, Qt::Key_Down);
        QCOMPARE(child<QLineEdit>(&wizard, "edPort")->placeholderText(), QStringLiteral("22"));
        QVERIFY(!child<QCheckBox>(&wizard, "rcPassiveMode")->isEnabled());
        retype(child<QLineEdit>(&wizard, "edPort"), "2x222");
        clickBox(child<QCheckBox>(&wizard, "rcUploadViaTemporary"));
        auto chosen = choose(key);
        press(&wizard, "btKeyFile");
        QVERIFY(*chosen);
        press(&wizard, "btNext");
        retype(child<QLineEdit>(&wizard, "edTempDirectory"), "/srv/tmp");
        qputenv("PAGEWRIGHT_HOME", QFile::encodeName(home.path("blocker/sub"))); // below a file
        for (int attempt = 0; attempt < 2; ++attempt) {
            auto [shown, message] = whenMessage();
            press(&wizard, "btFinish");
            QVERIFY(*shown && wizard.isVisible());
            QVERIFY2(message->startsWith("Cannot create file"), qPrintable(*message));
        }
        qputenv("PAGEWRIGHT_HOME", QFile::encodeName(home.dir.path()));
        press(&wizard, "btFinish");
        QCOMPARE(wizard.result(), int(QDialog::Accepted));
        ConfigTables file(ConfigRole::MainWindow); // as the main window reads it
        file.ConfigFile.LoadFromFile(home.cfg());
        QCOMPARE(file.ConfigSource.RecordCount(), 1);
        QStringList stored;
        for (const char* field : {"Name", "Poster", "Host", "LoginName", "LoginPassword",
                                  "Protocol", "Port", "PassiveMode", "UploadViaTemporary",
                                  "KeyFile", "LocalFTPDirectory", "TemporaryDirectory"})
            stored << QString::fromLatin1(file.ConfigSource.GetString(0, field));
        QCOMPARE(stored.join('|'),
                 "second|Ann|ftp.example.net|ann|\u009e\u009d\u009c|3|2222|TRUE||" + key + '|' +
                     home.dir.path() + "/Ftp|/srv/tmp");
    }
};

QTEST_MAIN(TestNewServerWizard)
#include "test_dlg_newserver.moc"
