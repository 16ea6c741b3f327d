// Guards: the new-server wizard: no step past an empty field; Finish appends one record.
#include "gui/dialogs/TfmNewServer.h"
#include "test_dlg_helpers.h"

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
void fillAll(TfmNewServer& wizard) {
    press(wizard, "btNext");
    retype(edit(wizard, "edNameOfConfiguration"), "second");
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
// while nothing is missing; Enter and Escape do nothing.
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
    QVERIFY(button(wizard, "btCancel")->isVisible() && !button(wizard, "btFinish")->isVisible());
    if (!cleared.isEmpty()) retype(edit(wizard, qPrintable(cleared)), QString());
    press(wizard, "btNext");
    QTest::keyClick(&wizard, Qt::Key_Return);
    QTest::keyClick(&wizard, Qt::Key_Escape);
    QCOMPARE(wizard.PageIndex(), cleared.isEmpty() ? page + 1 : page);
    if (wizard.PageIndex() == 3) press(wizard, "btPrevious"); // where Cancel shows again
    press(wizard, "btCancel");
    QCOMPARE(wizard.result(), int(QDialog::Rejected));
    QVERIFY(!home.hasFile());
}

// Finish appends the record with everything typed and chosen, each in its own field.
void TestNewServerWizard::finishAppendsOneRecord() {
    TempHome home;
    const QString key = home.path("id_test");
    QVERIFY(writeBytes(key));
    TfmNewServer wizard;
    wizard.show();
    fillAll(wizard);
    press(wizard, "btPrevious");
    auto* protocol = child<QComboBox>(&wizard, "cbProtocol");
    protocol->setFocus();
    for (int i = 0; i < 4; ++i) // one past the last stays on it
        QTest::keyClick(protocol, Qt::Key_Down);
    QCOMPARE(edit(wizard, "edPort")->placeholderText(), QStringLiteral("22"));
    QVERIFY(!child<QCheckBox>(&wizard, "rcPassiveMode")->isEnabled());
    retype(edit(wizard, "edPort"), "2x222");
    clickBox(child<QCheckBox>(&wizard, "rcUploadViaTemporary"));
    auto chosen = whenModal<QFileDialog>([key](QFileDialog* files) { pickFile(files, key); });
    press(wizard, "btKeyFile");
    QVERIFY(*chosen);
    press(wizard, "btNext");
    retype(edit(wizard, "edTempDirectory"), "/srv/tmp");
    press(wizard, "btFinish");
    QCOMPARE(wizard.result(), int(QDialog::Accepted));

    const auto file = readBack(home.cfg());
    const TnkDBSource& config = file->ConfigSource;
    QCOMPARE(config.RecordCount(), 1);
    // clang-format off
    const std::pair<const char*, QString> fields[] = {{"Name", "second"}, {"Poster", "Ann"},
        {"Host", "ftp.example.net"}, {"LoginName", "ann"},
        {"LoginPassword", QStringLiteral("\u009e\u009d\u009c")},
        {"TemporaryDirectory", "/srv/tmp"}, {"LocalFTPDirectory", home.dir.path() + "/Ftp"},
        {"Protocol", "3"}, {"Port", "2222"}, {"PassiveMode", "TRUE"}, {"UploadViaTemporary", ""},
        {"KeyFile", key}};
    // clang-format on
    for (const auto& [field, value] : fields)
        QCOMPARE(QString::fromLatin1(config.GetString(0, field)), value);
}

// A save that fails says so, keeps the wizard open and adds nothing, however often tried.
void TestNewServerWizard::failedSaveDoesNotAddTwice() {
    TempHome home;
    QVERIFY(writeBytes(home.path("blocker"))); // the program folder would lie below a file
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
