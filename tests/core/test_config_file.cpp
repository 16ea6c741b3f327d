// Guards: the configuration file as each window writes and reads it, passwords, reload, saves.
#include "core/config/ConfigLocation.h"
#include "core/config/ConfigSchema.h"
#include "core/config/ConfigSteps.h"
#include "core/config/ConfigTables.h"
#include "core/config/Password.h"
#include "core/config/Visibility.h"
#include "core/ftp/ServerEndpoint.h"
#include "core/storage/FileIO.h"
#include "core/storage/nkErrors.h"

#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace pw;

namespace {
NewServerInput input(const std::string& name, const std::string& password) {
    return {name, "Poster", "ftp.example.org", "login", password, "/home/x/site", "/tmp"};
}

// The "Configuration" fields of a file written before the connection settings, in order.
// clang-format off
const char* const kOlderFields[] = {
    "Name", "Host", "LoginName", "LoginPassword", "FTPTimeout", "Poster", "LocalFTPDirectory",
    "TemporaryDirectory", "TimeFormat", "DateFormat", "SyntaxHighlight", "NewsFile",
    "NewsLocalFile", "NewsSection", "NewsHeaderDefaults", "NewsFooterDefaults", "NewsBeforeNews",
    "NewsBetweenNews", "NewsAfterNews", "NewsNewsFileEnabled", "NewsNewsFile", "NewsHeader",
    "NewsStayConnected", "LinksFile", "LinksSaveLocal", "LinksStayConnected", "FTPDefaultFolder",
    "FTPAutomaticLocalRefresh"};
// clang-format on
const char* const kConnectionFields[] = {
    "Protocol", "Port", "PassiveMode", "TrustedFingerprint", "UploadViaTemporary", "KeyFile"};

void writeOlderFile(const std::string& path) {
    ConfigTables older(ConfigRole::MainWindow);
    older.SettingsData.Table().AddField("SaveWindowPos");
    older.SettingsSource.Append();
    for (const char* field : kOlderFields)
        older.ConfigData.Table().AddField(field);
    older.ConfigSource.Append();
    older.ConfigSource.SetString(0, "Name", "Old");
    older.ConfigSource.SetString(0, "Host", "ftp.example.org:2121");
    older.ConfigSource.SetText(0, "LoginPassword", ScramblePassword("pw"));
    older.Save(path);
}

QStringList fieldNames(const TnkDBData& data) {
    QStringList names;
    for (int i = 0; i < data.Table().FieldCount(); ++i)
        names << QString::fromStdString(data.Table().FieldName(i));
    return names;
}
} // namespace

class TestConfigFile : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    std::string path() const { return (m_dir.path() + "/Pagewright2.cfg").toStdString(); }

private slots:
    void init() { QFile::remove(QString::fromStdString(path())); }

    void wizardCreatesFile() {
        ConfigTables wizard(ConfigRole::Wizard);
        OpenConfigurationForWizard(wizard, path());
        FinishNewServer(wizard, input("First", "abc"), path());

        ConfigTables main(ConfigRole::MainWindow);
        QVERIFY(main.LoadIfExists(path()));
        TnkDBSource& s = main.SettingsSource;
        QCOMPARE(s.RecordCount(), 1);
        QCOMPARE(s.GetString(0, "AutoSave"), std::string());
        QCOMPARE(s.GetInteger(0, "AutoSave"), 0);
        QCOMPARE(s.GetInteger(0, "Left"), -1);
        TnkDBSource& c = main.ConfigSource;
        QCOMPARE(c.RecordCount(), 1);
        QCOMPARE(c.GetString(0, "LoginPassword"), std::string("\x9E\x9D\x9C"));
        QCOMPARE(c.GetString(0, "FTPAutomaticLocalRefresh"), std::string("TRUE"));
        QCOMPARE(c.GetString(0, "FTPDefaultFolder"), std::string("/"));
        QCOMPARE(c.GetString(0, "NewsFile"), std::string("/index.html"));
        QCOMPARE(c.GetInteger(0, "FTPTimeout"), 60);
        QCOMPARE(main.TranslationSource.RecordCount(), 7);

        // Only the owner may read a file that holds passwords.
        struct stat st {};
        QCOMPARE(::stat(path().c_str(), &st), 0);
        QCOMPARE(int(st.st_mode & 0777), 0600);

        // A first file from the wizard shows every page and menu.
        const VisibilitySettings v = ReadVisibility(s);
        QVERIFY(v.pageNews && v.pageFTP && v.pageTransfers && v.speedbar && v.minimizeToTray);
        QVERIFY(v.menuNews && v.menuFTP && v.menuTransfer);
    }

    // The fields each writer declares, in the order they are stored: a field lost from a
    // writer would vanish from every file it writes.
    void declaredFields_data() {
        QTest::addColumn<int>("role");
        QTest::addColumn<QString>("settings");
        QTest::addColumn<QString>("configuration");
        const QString settings = "SaveWindowPos Left Top Width Height AutoSave NewsConfiguration "
                                 "LinksConfiguration FTPConfiguration Language PagesNews "
                                 "PagesLinks PagesFTP PagesTransfers VisibleSpeedbar "
                                 "VisibleMinimizeToTray VisibleMenuNews VisibleMenuLinks "
                                 "VisibleMenuFTP VisibleMenuTransfer";
        const QString head = "Name Host LoginName LoginPassword FTPTimeout Poster "
                             "LocalFTPDirectory TemporaryDirectory TimeFormat DateFormat "
                             "SyntaxHighlight NewsFile NewsLocalFile NewsSection "
                             "NewsHeaderDefaults NewsFooterDefaults ";
        const QString tail = "NewsNewsFileEnabled NewsNewsFile NewsHeader NewsStayConnected "
                             "LinksFile LinksSaveLocal LinksStayConnected FTPDefaultFolder "
                             "FTPAutomaticLocalRefresh Protocol Port PassiveMode "
                             "TrustedFingerprint UploadViaTemporary KeyFile";
        QTest::newRow("dialog") << int(ConfigRole::Dialog) << settings
                                << head + "NewsBetweenNews " + tail;
        QTest::newRow("wizard") << int(ConfigRole::Wizard) << settings
                                << head + "NewsBeforeNews NewsBetweenNews NewsAfterNews " + tail;
        QTest::newRow("main window") << int(ConfigRole::MainWindow) << ""
                                     << "";
    }
    void declaredFields() {
        QFETCH(int, role);
        QFETCH(QString, settings);
        QFETCH(QString, configuration);
        const auto names = [](const TnkDBFieldCollection& fields) {
            QStringList out;
            for (int i = 0; i < fields.Count(); ++i)
                out << QString::fromStdString(fields[i].Name);
            return out.join(' ');
        };
        QCOMPARE(names(SettingsFields(ConfigRole(role))), settings);
        QCOMPARE(names(ConfigurationFields(ConfigRole(role))), configuration);
        QCOMPARE(names(TranslationFields(ConfigRole(role))),
                 QString(role == int(ConfigRole::MainWindow) ? "" : "Ascii Html"));
    }

    void dialogEditsPasswordsInClear() {
        {
            ConfigTables wizard(ConfigRole::Wizard);
            OpenConfigurationForWizard(wizard, path());
            FinishNewServer(wizard, input("One", "secret"), path());
        }
        ConfigTables dialog(ConfigRole::Dialog);
        OpenConfigurationForDialog(dialog, path());
        QCOMPARE(dialog.ConfigSource.GetString(0, "LoginPassword"), std::string("secret"));
        // The dialog's definitions fill what the wizard did not write.
        QCOMPARE(dialog.ConfigSource.GetString(0, "FTPDefaultFolder"), std::string("/"));
        QCOMPARE(dialog.SettingsSource.GetString(0, "VisibleMenuFTP"), std::string("TRUE"));
        dialog.ConfigSource.SetString(0, "LoginPassword", "changed");
        SaveConfigurationFromDialog(dialog, path());

        ConfigTables main(ConfigRole::MainWindow);
        main.LoadIfExists(path());
        QCOMPARE(main.ConfigSource.GetString(0, "LoginPassword"), ScramblePassword("changed"));
        QVERIFY(ReadVisibility(main.SettingsSource).menuFTP);
    }

    void dialogWithoutFile() {
        ConfigTables dialog(ConfigRole::Dialog);
        OpenConfigurationForDialog(dialog, path());
        QCOMPARE(dialog.SettingsSource.RecordCount(), 1);
        QCOMPARE(dialog.ConfigSource.RecordCount(), 0);
        QCOMPARE(dialog.TranslationSource.RecordCount(), 7);
        QVERIFY(!QFile::exists(QString::fromStdString(path())));
    }

    void passwordScrambling_data() {
        QTest::addColumn<QByteArray>("plain");
        QTest::addColumn<QByteArray>("stored");
        QTest::newRow("abc") << QByteArray("abc") << QByteArray("\x9E\x9D\x9C");
        QTest::newRow("empty") << QByteArray() << QByteArray();
        // Byte 255 scrambles to NUL, where a stored text ends.
        QTest::newRow("with 255") << QByteArray("ab\xFF"
                                                "cd")
                                  << QByteArray("\x9E\x9D");
        QTest::newRow("umlaut") << QByteArray("\xE4") << QByteArray("\x1B");
        // Scrambled forms that read as whole numbers stay the exact text.
        QTest::newRow("scrambles to \" 1\"") << QByteArray("\xDF\xCE") << QByteArray(" 1");
        QTest::newRow("scrambles to \"-12\"") << QByteArray("\xD2\xCE\xCD") << QByteArray("-12");
        QTest::newRow("scrambles to \"7\"") << QByteArray("\xC8") << QByteArray("7");
    }
    void passwordScrambling() {
        QFETCH(QByteArray, plain);
        QFETCH(QByteArray, stored);
        ConfigTables wizard(ConfigRole::Wizard);
        OpenConfigurationForWizard(wizard, path());
        FinishNewServer(wizard, input("P", plain.toStdString()), path());
        ConfigTables main(ConfigRole::MainWindow);
        main.LoadIfExists(path());
        const std::string held = main.ConfigSource.GetString(0, "LoginPassword");
        QCOMPARE(QByteArray::fromStdString(held), stored);
        {
            // The dialog shows the password in clear and stores it back unchanged.
            ConfigTables dialog(ConfigRole::Dialog);
            OpenConfigurationForDialog(dialog, path());
            QCOMPARE(dialog.ConfigSource.GetString(0, "LoginPassword"),
                     plain.left(plain.contains('\xFF') ? plain.indexOf('\xFF') : plain.size())
                         .toStdString());
            SaveConfigurationFromDialog(dialog, path());
        }
        ConfigTables again(ConfigRole::MainWindow);
        again.LoadIfExists(path());
        QCOMPARE(QByteArray::fromStdString(again.ConfigSource.GetString(0, "LoginPassword")),
                 stored);
        QCOMPARE(ScramblePassword(ScramblePassword(plain.toStdString())), plain.toStdString());
    }

    void reloadKeepsChoices_data() {
        QTest::addColumn<bool>("keep");
        QTest::addColumn<int>("news");
        QTest::addColumn<int>("ftp");
        QTest::newRow("start-up takes the file's") << false << 0 << 0;
        QTest::newRow("after a dialog the window's win") << true << 2 << 1;
    }
    void reloadKeepsChoices() {
        QFETCH(bool, keep);
        QFETCH(int, news);
        QFETCH(int, ftp);
        for (const char* name : {"One", "Two", "Three"}) { // each new one keeps the others
            ConfigTables wizard(ConfigRole::Wizard);
            OpenConfigurationForWizard(wizard, path());
            FinishNewServer(wizard, input(name, std::string("pw-") + name), path());
        }
        ConfigTables main(ConfigRole::MainWindow);
        main.LoadIfExists(path());
        QCOMPARE(main.ConfigSource.RecordCount(), 3);
        QCOMPARE(main.ConfigSource.GetString(0, "LoginPassword"), ScramblePassword("pw-One"));
        QCOMPARE(main.ConfigSource.GetString(2, "Name"), std::string("Three"));
        QCOMPARE(main.SettingsSource.RecordCount(), 1);
        main.SettingsSource.SetInteger("NewsConfiguration", 2);
        main.SettingsSource.SetInteger("FTPConfiguration", 1);
        std::string order;
        const ReloadSteps steps{[&] { order += "news,"; }, [&] { order += "visibility,"; },
                                [&] { order += "ftp,"; }, [&] { order += "commands"; }};
        QVERIFY(ReloadConfiguration(main, path(), keep, steps));
        QCOMPARE(order, std::string("news,visibility,ftp,commands"));
        QCOMPARE(main.SettingsSource.GetInteger("NewsConfiguration"), news);
        QCOMPARE(main.SettingsSource.GetInteger("FTPConfiguration"), ftp);

        // Without a file only the command refresh runs.
        QFile::remove(QString::fromStdString(path()));
        order.clear();
        QVERIFY(!ReloadConfiguration(main, path(), keep, steps));
        QCOMPARE(order, std::string("commands"));
    }

    // A file written before the connection settings loads in every window unchanged and
    // reads as before: plain FTP to the port in "Host". The dialog and the wizard add the
    // settings with their defaults after the older fields, so the file keeps its layout.
    void fileWithoutConnectionSettings_data() {
        QTest::addColumn<int>("role");
        QTest::newRow("main window") << int(ConfigRole::MainWindow);
        QTest::newRow("dialog") << int(ConfigRole::Dialog);
        QTest::newRow("wizard") << int(ConfigRole::Wizard);
    }
    void fileWithoutConnectionSettings() {
        QFETCH(int, role);
        writeOlderFile(path());
        ConfigTables tables(static_cast<ConfigRole>(role));
        if (role == int(ConfigRole::Dialog))
            OpenConfigurationForDialog(tables, path());
        else
            QVERIFY(tables.LoadIfExists(path()));
        const TnkDBSource& c = tables.ConfigSource;
        QCOMPARE(c.RecordCount(), 1);
        QCOMPARE(c.GetString(0, "Host"), std::string("ftp.example.org:2121"));

        const ServerEndpoint e = ReadServerEndpoint(c, 0);
        QCOMPARE(int(e.protocol), int(FtpProtocol::Ftp));
        QCOMPARE(e.host, std::string("ftp.example.org"));
        QCOMPARE(e.port, 2121u);
        QVERIFY(e.passive);
        QVERIFY(e.uploadViaTemporary);
        QCOMPARE(e.trustedFingerprint, std::string());
        QCOMPARE(e.keyFile, std::string());

        QStringList expected;
        for (const char* field : kOlderFields)
            expected << field;
        if (role != int(ConfigRole::MainWindow)) {
            for (const char* field : kConnectionFields)
                expected << field;
            QCOMPARE(c.GetString(0, "PassiveMode"), std::string("TRUE"));
            QCOMPARE(c.GetString(0, "UploadViaTemporary"), std::string("TRUE"));
            QCOMPARE(c.GetString(0, "Protocol"), std::string()); // 0 is held empty
        }
        QCOMPARE(fieldNames(tables.ConfigData), expected);
    }

    // A new configuration gets the connection settings' defaults from either window and
    // keeps what the wizard's pages chose.
    void newConfigurationConnectionSettings() {
        ConfigTables wizard(ConfigRole::Wizard);
        OpenConfigurationForWizard(wizard, path());
        NewServerInput sftp = input("Key", "");
        sftp.Protocol = int(FtpProtocol::Sftp);
        sftp.Port = "2222";
        sftp.PassiveMode = false;
        sftp.UploadViaTemporary = false;
        sftp.KeyFile = "/home/x/.ssh/id_ed25519";
        FinishNewServer(wizard, input("Plain", "x"), path());
        FinishNewServer(wizard, sftp, path());
        ConfigTables dialog(ConfigRole::Dialog);
        OpenConfigurationForDialog(dialog, path());
        dialog.ConfigSource.Append();

        ConfigTables main(ConfigRole::MainWindow);
        SaveConfigurationFromDialog(dialog, path());
        main.LoadIfExists(path());
        const ServerEndpoint plain = ReadServerEndpoint(main.ConfigSource, 0);
        const ServerEndpoint key = ReadServerEndpoint(main.ConfigSource, 1);
        const ServerEndpoint added = ReadServerEndpoint(main.ConfigSource, 2);
        for (const ServerEndpoint& e : {plain, added}) {
            QCOMPARE(int(e.protocol), int(FtpProtocol::Ftp));
            QCOMPARE(e.port, 21u);
            QVERIFY(e.passive && e.uploadViaTemporary);
        }
        QCOMPARE(int(key.protocol), int(FtpProtocol::Sftp));
        QCOMPARE(key.port, 2222u);
        QVERIFY(!key.passive && !key.uploadViaTemporary);
        QCOMPARE(key.keyFile, std::string("/home/x/.ssh/id_ed25519"));
    }

    void visibilityFollowsEachSetting_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("element");
        // clang-format off
        const char* fields[] = {"PagesNews", "PagesFTP", "PagesTransfers", "VisibleSpeedbar",
            "VisibleMinimizeToTray", "VisibleMenuNews", "VisibleMenuFTP", "VisibleMenuTransfer"};
        // clang-format on
        for (int i = 0; i < 8; ++i)
            QTest::newRow(fields[i]) << QString(fields[i]) << i;
    }
    void visibilityFollowsEachSetting() {
        QFETCH(QString, field);
        QFETCH(int, element);
        ConfigTables dialog(ConfigRole::Dialog);
        OpenConfigurationForDialog(dialog, path());
        const auto flags = [](const VisibilitySettings& v) {
            return std::vector<bool>{v.pageNews,       v.pageFTP,  v.pageTransfers, v.speedbar,
                                     v.minimizeToTray, v.menuNews, v.menuFTP,       v.menuTransfer};
        };
        QCOMPARE(flags(ReadVisibility(dialog.SettingsSource)), std::vector<bool>(8, true));
        for (const char* off : {"", "true", "TRUE "}) {
            dialog.SettingsSource.SetString(field.toStdString(), off);
            std::vector<bool> expected(8, true);
            expected[size_t(element)] = false;
            QCOMPARE(flags(ReadVisibility(dialog.SettingsSource)), expected);
        }
        // "PagesLinks" and "VisibleMenuLinks" are never applied.
        dialog.SettingsSource.SetString(field.toStdString(), "TRUE");
        dialog.SettingsSource.SetString("PagesLinks", "");
        dialog.SettingsSource.SetString("VisibleMenuLinks", "");
        QCOMPARE(flags(ReadVisibility(dialog.SettingsSource)), std::vector<bool>(8, true));
    }

    // A save that fails half-way (here: the file size limit, as on a full disk) leaves the
    // old file intact, reports "Cannot create file", and leaves no temporary file behind.
    void failedSaveKeepsOldFile() {
        ConfigTables wizard(ConfigRole::Wizard);
        OpenConfigurationForWizard(wizard, path());
        FinishNewServer(wizard, input("One", "x"), path());
        const std::string before = ReadWholeFile(path());

        ConfigTables dialog(ConfigRole::Dialog);
        OpenConfigurationForDialog(dialog, path());
        dialog.ConfigSource.SetString(0, "NewsBetweenNews", std::string(100000, 'x'));
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        rlimit small = old;
        small.rlim_cur = 4096;
        setrlimit(RLIMIT_FSIZE, &small);
        bool failed = false;
        try {
            SaveConfigurationFromDialog(dialog, path());
        } catch (const EFileError& e) {
            failed = true;
            QCOMPARE(std::string(e.what()), "Cannot create file " + path());
            QVERIFY(!e.detail().empty());
        }
        setrlimit(RLIMIT_FSIZE, &old);
        QVERIFY(failed);
        QCOMPARE(ReadWholeFile(path()), before);
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
        // The dialog still holds the password in clear after the failure.
        QCOMPARE(dialog.ConfigSource.GetString(0, "LoginPassword"), std::string("x"));
    }

    void damagedFileIsReported() {
        ConfigTables wizard(ConfigRole::Wizard);
        OpenConfigurationForWizard(wizard, path());
        FinishNewServer(wizard, input("One", "x"), path());
        std::string bytes = ReadWholeFile(path());
        bytes.resize(bytes.size() - 20);
        WriteFileAtomically(path(), bytes, 0600);
        ConfigTables main(ConfigRole::MainWindow);
        try {
            main.LoadIfExists(path());
            QFAIL("a damaged file loaded without error");
        } catch (const EStreamError& e) {
            QVERIFY(std::string(e.what()).find(path()) != std::string::npos);
        }
        // Settings and configurations came before the damage and stay loaded.
        QCOMPARE(main.ConfigSource.RecordCount(), 1);
        QCOMPARE(main.TranslationSource.RecordCount(), 0);
    }

    void location() {
        qputenv("PAGEWRIGHT_HOME", "/some/where/");
        QCOMPARE(ConfigFilePath(), std::string("/some/where/Pagewright2.cfg"));
        qunsetenv("PAGEWRIGHT_HOME");
        // The test's own folder is writable: a portable install keeps the file beside it.
        QCOMPARE(QString::fromStdString(ProgramFolder()), QCoreApplication::applicationDirPath());
    }
};

QTEST_GUILESS_MAIN(TestConfigFile)
#include "test_config_file.moc"
