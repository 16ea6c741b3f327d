// Guards: the new-server wizard: no step past an empty field; Finish appends one record.
#include "gui/dialogs/TfmNewServer.h"
#include "test_dlg_helpers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

using namespace pw;

namespace {
QLineEdit* edit(TfmNewServer& wizard, const char* name) {
    return child<QLineEdit>(&wizard, name);
}
QPushButton* button(TfmNewServer& wizard, const char* name) {
    return child<QPushButton>(&wizard, name);
}
void press(TfmNewServer& wizard, const char* name) {
    QTest::mouseClick(button(wizard, name), Qt::LeftButton);
}

// Fills every page and stops on the last one.
void fillAll(TfmNewServer& wizard, const QString& name = QStringLiteral("Home")) {
    press(wizard, "btNext");
    retype(edit(wizard, "edNameOfConfiguration"), name);
    retype(edit(wizard, "edName"), "Ann");
    press(wizard, "btNext");
    retype(edit(wizard, "edHost"), "ftp.example.net");
    retype(edit(wizard, "edLoginname"), "ann");
    retype(edit(wizard, "edPassword"), "abc");
    press(wizard, "btNext");
    QCOMPARE(wizard.PageIndex(), 3);
}
} // namespace

class TestNewServerWizard : public QObject {
    Q_OBJECT
private slots:
    void emptyFieldStopsTheWizard_data();
    void emptyFieldStopsTheWizard();
    void finishAppendsOneRecord();
    void failedSaveDoesNotAddTwice();
};

void TestNewServerWizard::emptyFieldStopsTheWizard_data() {
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("cleared"); // empty: nothing cleared
    for (const char* field : {"", "edNameOfConfiguration", "edName"})
        QTest::addRow("page 1, %s", field) << 1 << field;
    for (const char* field : {"", "edHost", "edLoginname", "edPassword"})
        QTest::addRow("page 2, %s", field) << 2 << field;
}

// Next needs every field of its page; on the last page Finish takes Cancel's place only
// while nothing is missing.
void TestNewServerWizard::emptyFieldStopsTheWizard() {
    QFETCH(int, page);
    QFETCH(QString, cleared);
    TempHome home;
    TfmNewServer wizard;
    wizard.show();
    QVERIFY(!button(wizard, "btPrevious")->isEnabled());
    fillAll(wizard);
    QVERIFY(button(wizard, "btFinish")->isVisible() && !button(wizard, "btCancel")->isVisible());
    QVERIFY(!button(wizard, "btNext")->isEnabled());
    for (int p = 3; p > page; --p)
        press(wizard, "btPrevious");
    QCOMPARE(wizard.PageIndex(), page);
    QVERIFY(button(wizard, "btCancel")->isVisible() && !button(wizard, "btFinish")->isVisible());
    if (!cleared.isEmpty()) retype(edit(wizard, cleared.toLatin1().constData()), QString());
    QCOMPARE(button(wizard, "btNext")->isEnabled(), cleared.isEmpty());
    press(wizard, "btNext");
    QCOMPARE(wizard.PageIndex(), cleared.isEmpty() ? page + 1 : page);
    QTest::keyClick(&wizard, Qt::Key_Return); // Enter and Escape do nothing
    QTest::keyClick(&wizard, Qt::Key_Escape);
    QCOMPARE(wizard.PageIndex(), cleared.isEmpty() ? page + 1 : page);
    if (wizard.PageIndex() == 3) press(wizard, "btPrevious"); // where Cancel shows again
    press(wizard, "btCancel");
    QCOMPARE(wizard.result(), int(QDialog::Rejected));
    QVERIFY(!home.hasFile());
}

// Finish appends the record with everything typed and chosen; the older record in the file
// keeps its password and gets the defaults of the newer connection settings.
void TestNewServerWizard::finishAppendsOneRecord() {
    TempHome home;
    {
        ConfigTables older(ConfigRole::MainWindow);
        older.SettingsData.Table().AddField("SaveWindowPos");
        older.SettingsSource.Append();
        older.ConfigData.Table().AddField("LoginPassword");
        older.ConfigSource.SetString(older.ConfigSource.Append(), "LoginPassword", "\x9f");
        older.Save(home.cfg());
    }
    const QString key = home.path("id_test");
    QVERIFY(QFile(key).open(QIODevice::WriteOnly));
    TfmNewServer wizard;
    wizard.show();
    fillAll(wizard, "second");
    press(wizard, "btPrevious");
    auto* protocol = child<QComboBox>(&wizard, "cbProtocol");
    protocol->setFocus();
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(protocol, Qt::Key_Down);
    QCOMPARE(edit(wizard, "edPort")->placeholderText(), QStringLiteral("22"));
    QVERIFY(!child<QCheckBox>(&wizard, "rcPassiveMode")->isEnabled());
    retype(edit(wizard, "edPort"), "2x222");
    auto* upload = child<QCheckBox>(&wizard, "rcUploadViaTemporary");
    clickBox(upload);
    auto chosen = whenModal<QFileDialog>([key](QFileDialog* files) { pickFile(files, key); });
    press(wizard, "btKeyFile");
    QVERIFY(*chosen);
    press(wizard, "btNext");
    press(wizard, "btFinish");
    QCOMPARE(wizard.result(), int(QDialog::Accepted));

    auto file = readBack(home.cfg());
    const TnkDBSource& config = file->ConfigSource;
    QCOMPARE(config.RecordCount(), 2);
    // Field, the older record's value ("?": not looked at), the new record's value.
    const QList<std::tuple<const char*, QString, QString>> fields{
        {"Name", "?", "second"},
        {"Host", "?", "ftp.example.net"},
        {"LoginPassword", QString::fromLatin1("\x9f"), QString::fromLatin1("\x9e\x9d\x9c")},
        {"TemporaryDirectory", "?", QDir::tempPath()},
        {"LocalFTPDirectory", "?", home.dir.path() + "/Ftp"},
        {"Protocol", "", "3"},
        {"Port", "", "2222"},
        {"PassiveMode", "TRUE", "TRUE"},
        {"UploadViaTemporary", "TRUE", ""},
        {"KeyFile", "", key}};
    for (const auto& [field, old, added] : fields) {
        if (old != "?") QCOMPARE(QString::fromLatin1(config.GetString(0, field)), old);
        QCOMPARE(QString::fromLatin1(config.GetString(1, field)), added);
    }
}

void TestNewServerWizard::failedSaveDoesNotAddTwice() {
    TempHome home;
    QFile blocker(home.path("blocker")); // the program folder would lie below a plain file
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    qputenv("PAGEWRIGHT_HOME", QFile::encodeName(home.path("blocker/sub")));
    TfmNewServer wizard;
    wizard.show();
    fillAll(wizard);
    for (int attempt = 0; attempt < 2; ++attempt) {
        auto message = std::make_shared<QString>();
        auto shown = whenMessage(message);
        press(wizard, "btFinish");
        QVERIFY(*shown);
        QVERIFY2(message->startsWith(QStringLiteral("Cannot create file")), qPrintable(*message));
        QVERIFY(wizard.isVisible());
        QCOMPARE(wizard.Tables().ConfigSource.RecordCount(), 0);
    }
}

QTEST_MAIN(TestNewServerWizard)
#include "test_dlg_newserver.moc"
