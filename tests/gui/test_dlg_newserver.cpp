// The new-server wizard driven like a user: the button rules on every page, the defaults,
// and what Finish appends to the configuration file.
#include "core/config/Password.h"
#include "gui/dialogs/TfmNewServer.h"
#include "test_dlg_helpers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStackedWidget>
#include <QtTest>

using namespace pw;

namespace {
QLineEdit* edit(TfmNewServer& wizard, const char* name) {
    return child<QLineEdit>(&wizard, name);
}
QPushButton* button(TfmNewServer& wizard, const char* name) {
    return child<QPushButton>(&wizard, name);
}

void retype(QLineEdit* field, const QString& text) {
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Delete);
    QTest::keyClicks(field, text);
}

void next(TfmNewServer& wizard) {
    QTest::mouseClick(button(wizard, "btNext"), Qt::LeftButton);
}

// Fills every page and stops on the last one.
void fillAll(TfmNewServer& wizard, const QString& name = QStringLiteral("Home"),
             const QString& password = QStringLiteral("abc")) {
    next(wizard);
    retype(edit(wizard, "edNameOfConfiguration"), name);
    retype(edit(wizard, "edName"), "Ann");
    next(wizard);
    retype(edit(wizard, "edHost"), "ftp.example.net");
    retype(edit(wizard, "edLoginname"), "ann");
    retype(edit(wizard, "edPassword"), password);
    next(wizard);
    QCOMPARE(wizard.PageIndex(), 3);
}
} // namespace

class TestNewServerWizard : public QObject {
    Q_OBJECT
private slots:
    void opensOnTheWelcomePage();
    void nextNeedsBothNames_data();
    void nextNeedsBothNames();
    void nextNeedsServerLogin_data();
    void nextNeedsServerLogin();
    void finishTakesCancelsPlaceOnTheLastPage();
    void enterAndEscapeDoNothing();
    void finishWithoutFileWritesOneConfiguration();
    void finishAppendsAndKeepsOtherPasswords();
    void connectionOptions_data();
    void connectionOptions();
    void cancelWritesNothing();
    void failedSaveDoesNotAddTwice();
};

void TestNewServerWizard::opensOnTheWelcomePage() {
    TempHome home;
    TfmNewServer wizard;
    wizard.show();
    QCOMPARE(wizard.windowTitle(), QStringLiteral("Server Wizard"));
    QCOMPARE(wizard.PageIndex(), 0);
    QVERIFY(!button(wizard, "btPrevious")->isEnabled());
    QVERIFY(button(wizard, "btNext")->isEnabled());
    QVERIFY(button(wizard, "btCancel")->isVisible());
    QVERIFY(!button(wizard, "btFinish")->isVisible());
    QCOMPARE(wizard.focusWidget(), button(wizard, "btNext"));
    QCOMPARE(edit(wizard, "edName")->text(), TfmNewServer::DefaultUserName());
    QVERIFY(!TfmNewServer::DefaultUserName().isEmpty());
    QCOMPARE(edit(wizard, "edTempDirectory")->text(), QDir::toNativeSeparators(QDir::tempPath()));
    QCOMPARE(edit(wizard, "edFTPDirectory")->text(), home.dir.path() + "/Ftp");
    edit(wizard, "edPassword")->setText("ab");
    QCOMPARE(edit(wizard, "edPassword")->displayText(), QStringLiteral("**"));
}

void TestNewServerWizard::nextNeedsBothNames_data() {
    QTest::addColumn<QString>("configuration");
    QTest::addColumn<QString>("user");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("both") << "Home"
                          << "A" << true;
    QTest::newRow("user's name empty") << "Home"
                                       << "" << false;
    QTest::newRow("configuration name empty") << ""
                                              << "Ann" << false;
    QTest::newRow("both empty") << ""
                                << "" << false;
}

void TestNewServerWizard::nextNeedsBothNames() {
    QFETCH(QString, configuration);
    QFETCH(QString, user);
    TempHome home;
    TfmNewServer wizard;
    wizard.show();
    next(wizard);
    QCOMPARE(wizard.PageIndex(), 1);
    QCOMPARE(wizard.focusWidget(), edit(wizard, "edNameOfConfiguration"));
    QVERIFY(button(wizard, "btPrevious")->isEnabled());
    retype(edit(wizard, "edNameOfConfiguration"), configuration);
    retype(edit(wizard, "edName"), user);
    QTEST(button(wizard, "btNext")->isEnabled(), "enabled");
}

void TestNewServerWizard::nextNeedsServerLogin_data() {
    QTest::addColumn<QString>("cleared");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("nothing cleared") << "" << true;
    QTest::newRow("password cleared") << "edPassword" << false;
    QTest::newRow("login cleared") << "edLoginname" << false;
    QTest::newRow("host cleared") << "edHost" << false;
}

void TestNewServerWizard::nextNeedsServerLogin() {
    QFETCH(QString, cleared);
    TempHome home;
    TfmNewServer wizard;
    wizard.show();
    fillAll(wizard);
    QTest::mouseClick(button(wizard, "btPrevious"), Qt::LeftButton);
    QCOMPARE(wizard.PageIndex(), 2);
    QCOMPARE(wizard.focusWidget(), edit(wizard, "edHost"));
    if (!cleared.isEmpty()) retype(edit(wizard, cleared.toLatin1().constData()), QString());
    QTEST(button(wizard, "btNext")->isEnabled(), "enabled");
}

void TestNewServerWizard::finishTakesCancelsPlaceOnTheLastPage() {
    TempHome home;
    TfmNewServer wizard;
    wizard.show();
    const QRect cancelPlace = button(wizard, "btCancel")->geometry();
    fillAll(wizard);
    QCOMPARE(wizard.focusWidget(), edit(wizard, "edFTPDirectory"));
    QVERIFY(!button(wizard, "btNext")->isEnabled());
    QVERIFY(button(wizard, "btFinish")->isVisible());
    QVERIFY(!button(wizard, "btCancel")->isVisible());
    // Finish sits where Cancel was.
    wizard.layout()->activate();
    QCOMPARE(button(wizard, "btFinish")->geometry(), cancelPlace);

    // Back on page 2 Cancel returns, even though everything is filled.
    QTest::mouseClick(button(wizard, "btPrevious"), Qt::LeftButton);
    QVERIFY(button(wizard, "btCancel")->isVisible());
    QVERIFY(!button(wizard, "btFinish")->isVisible());
    // On the last page with a field cleared on the way, Cancel stays.
    retype(edit(wizard, "edLoginname"), QString());
    retype(edit(wizard, "edLoginname"), "x");
    next(wizard);
    QVERIFY(button(wizard, "btFinish")->isVisible());
    retype(edit(wizard, "edPassword"), QString());
    QVERIFY(button(wizard, "btCancel")->isVisible());
    QVERIFY(!button(wizard, "btFinish")->isVisible());
}

void TestNewServerWizard::enterAndEscapeDoNothing() {
    TempHome home;
    TfmNewServer wizard;
    wizard.show();
    QTest::keyClick(&wizard, Qt::Key_Return);
    QCOMPARE(wizard.PageIndex(), 0);
    QTest::keyClick(&wizard, Qt::Key_Escape);
    QVERIFY(wizard.isVisible());
    fillAll(wizard);
    QTest::keyClick(edit(wizard, "edFTPDirectory"), Qt::Key_Return);
    QVERIFY(wizard.isVisible());
    QVERIFY(!home.hasFile());
}

void TestNewServerWizard::finishWithoutFileWritesOneConfiguration() {
    TempHome home;
    TfmNewServer wizard;
    wizard.show();
    fillAll(wizard, "Home", "abc");
    retype(edit(wizard, "edTempDirectory"), "/no/such/folder");
    QTest::mouseClick(button(wizard, "btFinish"), Qt::LeftButton);
    QCOMPARE(wizard.result(), int(QDialog::Accepted));

    auto stored = readBack(home.cfg());
    QCOMPARE(stored->SettingsSource.RecordCount(), 1);
    for (const char* field :
         {"VisibleMenuNews", "VisibleMenuLinks", "VisibleMenuFTP", "VisibleMenuTransfer"})
        QCOMPARE(stored->SettingsSource.GetString(0, field), std::string("TRUE"));
    QCOMPARE(stored->SettingsSource.GetString(0, "PagesFTP"), std::string("TRUE"));
    QCOMPARE(stored->SettingsSource.GetString(0, "AutoSave"), std::string());
    QCOMPARE(stored->SettingsSource.GetString(0, "Left"), std::string("-1"));

    TnkDBSource& config = stored->ConfigSource;
    QCOMPARE(config.RecordCount(), 1);
    QCOMPARE(config.GetString(0, "Name"), std::string("Home"));
    QCOMPARE(config.GetString(0, "Poster"), std::string("Ann"));
    QCOMPARE(config.GetString(0, "Host"), std::string("ftp.example.net"));
    QCOMPARE(config.GetString(0, "LoginName"), std::string("ann"));
    QCOMPARE(config.GetString(0, "LoginPassword"), std::string("\x9e\x9d\x9c"));
    QCOMPARE(config.GetString(0, "TemporaryDirectory"), std::string("/no/such/folder"));
    QCOMPARE(config.GetString(0, "LocalFTPDirectory"),
             QFile::encodeName(home.dir.path() + "/Ftp").toStdString());
    QCOMPARE(config.GetString(0, "FTPAutomaticLocalRefresh"), std::string("TRUE"));
    QCOMPARE(config.GetString(0, "FTPDefaultFolder"), std::string("/"));
    QCOMPARE(config.GetString(0, "NewsFile"), std::string("/index.html"));
    QCOMPARE(stored->TranslationSource.RecordCount(), 7);
}

void TestNewServerWizard::finishAppendsAndKeepsOtherPasswords() {
    TempHome home;
    {
        ConfigTables tables(ConfigRole::Dialog);
        tables.SettingsSource.Append();
        for (const char* password : {"first", "second"}) {
            const int r = tables.ConfigSource.Append();
            tables.ConfigSource.SetString(r, "Name", password);
            tables.ConfigSource.SetString(r, "LoginPassword", ScramblePassword(password));
        }
        tables.TranslationSource.Clear();
        tables.Save(home.cfg());
    }
    TfmNewServer wizard;
    wizard.show();
    fillAll(wizard, "third", "3rd");
    QTest::mouseClick(button(wizard, "btFinish"), Qt::LeftButton);

    auto stored = readBack(home.cfg());
    TnkDBSource& config = stored->ConfigSource;
    QCOMPARE(config.RecordCount(), 3);
    QCOMPARE(config.GetString(0, "LoginPassword"), ScramblePassword("first"));
    QCOMPARE(config.GetString(1, "LoginPassword"), ScramblePassword("second"));
    QCOMPARE(config.GetString(2, "LoginPassword"), ScramblePassword("3rd"));
    QCOMPARE(config.GetString(2, "Name"), std::string("third"));
    // The dialog's fields survive; the file's (empty) translation table is kept.
    QCOMPARE(config.GetString(0, "FTPDefaultFolder"), std::string("/"));
    QCOMPARE(stored->TranslationSource.RecordCount(), 0);
    QVERIFY(stored->SettingsData.Table().FieldIndex("VisibleMenuNews") >= 0);
}

void TestNewServerWizard::connectionOptions_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("defaultPort"); // shown in the empty port edit
    QTest::addColumn<bool>("passiveUsable");
    QTest::addColumn<bool>("keyFileUsable");
    QTest::addColumn<QStringList>("stored"); // the new configuration's connection settings
    QTest::newRow("untouched") << ""
                               << "21" << true << false
                               << QStringList{"Protocol=", "Port=", "PassiveMode=TRUE",
                                              "UploadViaTemporary=TRUE", "KeyFile="};
    QTest::newRow("implicit TLS on its own port")
        << "implicit"
        << "990" << true << false
        << QStringList{"Protocol=2", "Port=2990", "PassiveMode=TRUE", "UploadViaTemporary=TRUE",
                       "KeyFile="};
    QTest::newRow("SFTP with a key")
        << "sftp"
        << "22" << false << true
        << QStringList{"Protocol=3", "Port=", "PassiveMode=TRUE", "UploadViaTemporary=TRUE",
                       "KeyFile=<home>/id_test"};
    QTest::newRow("active, direct upload")
        << "options"
        << "21" << true << false
        << QStringList{"Protocol=", "Port=", "PassiveMode=", "UploadViaTemporary=", "KeyFile="};
}

// The server page's connection options reach the new record; an older configuration in the
// file gets their defaults.
void TestNewServerWizard::connectionOptions() {
    QFETCH(QString, action);
    QFETCH(QStringList, stored);
    TempHome home;
    {
        ConfigTables older(ConfigRole::MainWindow);
        older.SettingsData.Table().AddField("SaveWindowPos");
        older.SettingsSource.Append();
        for (const char* field : {"Name", "Host", "LoginPassword"})
            older.ConfigData.Table().AddField(field);
        older.ConfigSource.Append();
        older.ConfigSource.SetString(0, "Host", "old.example.org:2121");
        older.Save(home.cfg());
    }
    TfmNewServer wizard;
    wizard.show();
    fillAll(wizard);
    QTest::mouseClick(button(wizard, "btPrevious"), Qt::LeftButton);
    auto* protocol = child<QComboBox>(&wizard, "cbProtocol");
    QCOMPARE(protocol->currentText(), QStringLiteral("FTP"));
    QCOMPARE(protocol->count(), 4);
    if (action == "implicit" || action == "sftp") {
        protocol->setFocus();
        for (int i = action == "sftp" ? 3 : 2; i > 0; --i)
            QTest::keyClick(protocol, Qt::Key_Down);
    }
    if (action == "implicit") retype(edit(wizard, "edPort"), "2990");
    if (action == "sftp") {
        QVERIFY(QFile(home.path("id_test")).open(QIODevice::WriteOnly));
        const QString file = home.path("id_test");
        auto chosen = whenModal<QFileDialog>([file](QFileDialog* files) {
            files->selectFile(file);
            static_cast<QDialog*>(files)->accept();
        });
        QTest::mouseClick(button(wizard, "btKeyFile"), Qt::LeftButton);
        QVERIFY(*chosen);
    }
    if (action == "options") {
        for (const char* name : {"rcPassiveMode", "rcUploadViaTemporary"}) {
            auto* box = child<QCheckBox>(&wizard, name);
            QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
        }
    }
    QTEST(edit(wizard, "edPort")->placeholderText(), "defaultPort");
    QTEST(child<QCheckBox>(&wizard, "rcPassiveMode")->isEnabled(), "passiveUsable");
    QTEST(edit(wizard, "edKeyFile")->isEnabled(), "keyFileUsable");
    QTEST(button(wizard, "btKeyFile")->isEnabled(), "keyFileUsable");
    next(wizard);
    QTest::mouseClick(button(wizard, "btFinish"), Qt::LeftButton);
    QCOMPARE(wizard.result(), int(QDialog::Accepted));

    auto file = readBack(home.cfg());
    const TnkDBSource& config = file->ConfigSource;
    QCOMPARE(config.RecordCount(), 2);
    QCOMPARE(config.GetString(0, "Host"), std::string("old.example.org:2121"));
    QCOMPARE(config.GetString(0, "PassiveMode"), std::string("TRUE"));
    QCOMPARE(config.GetString(0, "UploadViaTemporary"), std::string("TRUE"));
    QCOMPARE(config.GetString(0, "Protocol"), std::string());
    QCOMPARE(config.GetString(1, "Host"), std::string("ftp.example.net"));
    for (QString field : stored) {
        field.replace("<home>", home.dir.path());
        const std::string name = field.section('=', 0, 0).toStdString();
        QCOMPARE(QString::fromStdString(config.GetString(1, name)), field.section('=', 1));
    }
}

void TestNewServerWizard::cancelWritesNothing() {
    TempHome home;
    TfmNewServer wizard;
    wizard.show();
    fillAll(wizard);
    QTest::mouseClick(button(wizard, "btPrevious"), Qt::LeftButton);
    QTest::mouseClick(button(wizard, "btCancel"), Qt::LeftButton);
    QCOMPARE(wizard.result(), int(QDialog::Rejected));
    QVERIFY(!home.hasFile());
}

void TestNewServerWizard::failedSaveDoesNotAddTwice() {
    TempHome home;
    QFile blocker(home.path("blocker"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    qputenv("PAGEWRIGHT_HOME", QFile::encodeName(home.path("blocker/sub")));

    TfmNewServer wizard;
    wizard.show();
    fillAll(wizard);
    for (int attempt = 0; attempt < 2; ++attempt) {
        auto message = std::make_shared<QString>();
        auto shown = whenModal<QMessageBox>([message](QMessageBox* box) {
            *message = box->text();
            box->accept();
        });
        QTest::mouseClick(button(wizard, "btFinish"), Qt::LeftButton);
        QVERIFY(*shown);
        QVERIFY2(message->startsWith(QStringLiteral("Cannot create file")), qPrintable(*message));
        QVERIFY(wizard.isVisible());
        QCOMPARE(wizard.Tables().ConfigSource.RecordCount(), 0);
    }
}

QTEST_MAIN(TestNewServerWizard)
#include "test_dlg_newserver.moc"
