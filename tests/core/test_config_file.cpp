// Guards: the configuration file as each window writes and reads it; passwords, pins, damage.
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
// The fields of the "Configuration" table: the older ones, then the connection settings.
const QString kHead = "Name Host LoginName LoginPassword FTPTimeout Poster LocalFTPDirectory "
                      "TemporaryDirectory TimeFormat DateFormat SyntaxHighlight NewsFile "
                      "NewsLocalFile NewsSection NewsHeaderDefaults NewsFooterDefaults ";
const QString kTail = " NewsNewsFileEnabled NewsNewsFile NewsHeader NewsStayConnected LinksFile "
                      "LinksSaveLocal LinksStayConnected FTPDefaultFolder FTPAutomaticLocalRefresh";
const QString kOlder = kHead + "NewsBeforeNews NewsBetweenNews NewsAfterNews" + kTail;
const QString kConnection =
    " Protocol Port PassiveMode TrustedFingerprint UploadViaTemporary KeyFile";
using V = VisibilitySettings;
// clang-format off
const std::pair<const char*, bool V::*> kShownBy[] = {{"PagesNews", &V::pageNews},
    {"PagesFTP", &V::pageFTP}, {"PagesTransfers", &V::pageTransfers},
    {"VisibleSpeedbar", &V::speedbar}, {"VisibleMinimizeToTray", &V::minimizeToTray},
    {"VisibleMenuNews", &V::menuNews}, {"VisibleMenuFTP", &V::menuFTP},
    {"VisibleMenuTransfer", &V::menuTransfer}};
// clang-format on

NewServerInput input(const std::string& name, const std::string& password) {
    return {name, "Poster", "ftp.example.org", "login", password, "/home/x/site", "/tmp"};
}

void writeOlderFile(const std::string& path, const char* name = "Old", int records = 1) {
    ConfigTables older(ConfigRole::MainWindow);
    for (const QString& field : kOlder.split(' '))
        older.ConfigData.Table().AddField(field.toStdString());
    for (TnkDBSource& c = older.ConfigSource; c.RecordCount() < records;) {
        c.SetString(c.Append(), "Name", name);
        c.SetString(c.RecordCount() - 1, "Host", "ftp.example.org:2121");
    }
    older.Save(path);
}

template <class Name> QString joined(int count, Name name) {
    QStringList out;
    for (int i = 0; i < count; ++i)
        out << QString::fromStdString(name(i));
    return out.join(' ');
}
QString fieldNames(const TnkDBFieldCollection& f) {
    return joined(f.Count(), [&](int i) { return f[i].Name; });
}

std::string thrown(const std::function<void()>& step) try {
    step();
    return "nothing thrown";
} catch (const std::exception& e) {
    return e.what();
}
} // namespace

class TestConfigFile : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    std::string path() const { return (m_dir.path() + "/Pagewright2.cfg").toStdString(); }
    void addServer(const NewServerInput& in) {
        ConfigTables wizard(ConfigRole::Wizard);
        OpenConfigurationForWizard(wizard, path());
        FinishNewServer(wizard, in, path());
    }

private slots:
    void init() { QFile::remove(QString::fromStdString(path())); }

    // The fields each writer declares, in order: a field lost would vanish from its files.
    void declaredFields() {
        const QString settings = "SaveWindowPos Left Top Width Height AutoSave NewsConfiguration "
                                 "LinksConfiguration FTPConfiguration Language PagesNews "
                                 "PagesLinks PagesFTP PagesTransfers VisibleSpeedbar "
                                 "VisibleMinimizeToTray VisibleMenuNews VisibleMenuLinks "
                                 "VisibleMenuFTP VisibleMenuTransfer";
        const struct {
            ConfigRole role;
            QString settings, configuration, translation;
        } rows[] = {{ConfigRole::Dialog, settings, kHead + "NewsBetweenNews" + kTail + kConnection,
                     "Ascii Html"},
                    {ConfigRole::Wizard, settings, kOlder + kConnection, "Ascii Html"},
                    {ConfigRole::MainWindow, "", "", ""}};
        for (const auto& row : rows) {
            QCOMPARE(fieldNames(SettingsFields(row.role)), row.settings);
            QCOMPARE(fieldNames(ConfigurationFields(row.role)), row.configuration);
            QCOMPARE(fieldNames(TranslationFields(row.role)), row.translation);
        }
    }

    // Stored scrambled; the dialog edits every record's password in clear and stores it back.
    void passwordScrambling() {
        const std::pair<QByteArray, QByteArray> rows[] = {
            {"abc", "\x9E\x9D\x9C"},
            {"", ""},
            {QByteArray("ab\xFF", 3) + "cd", "\x9E\x9D"}, // 255 turns NUL, where a text ends
            {"\xE4", "\x1B"},
            {"\xDF\xCE", " 1"}}; // a stored form that reads as a number stays the exact text
        const auto passwords = [](const TnkDBSource& c) {
            return QByteArray::fromStdString(c.GetString(0, "LoginPassword") + "|" +
                                             c.GetString(1, "LoginPassword"));
        };
        for (const auto& [plain, stored] : rows) {
            init();
            addServer(input("Other", "second"));
            addServer(input("P", plain.toStdString()));
            const QByteArray both = "\x8C\x9A\x9C\x90\x91\x9B|" + stored; // "second"
            for (int pass = 0; pass < 2; ++pass) {
                ConfigTables main(ConfigRole::MainWindow);
                main.LoadIfExists(path());
                QCOMPARE(passwords(main.ConfigSource), both);
                ConfigTables dialog(ConfigRole::Dialog);
                OpenConfigurationForDialog(dialog, path());
                QCOMPARE(passwords(dialog.ConfigSource), "second|" + plain.split('\xFF').first());
                SaveConfigurationFromDialog(dialog, path());
            }
        }
    }

    // The news and FTP pages' chosen configuration records survive a reload after the dialog;
    // at start-up the file's choices win. Without a file only the command refresh runs.
    void reloadKeepsChoices() {
        for (const char* name : {"One", "Two", "Three"}) // each new one keeps the others
            addServer(input(name, std::string("pw-") + name));
        struct stat st {}; // only the owner may read a file that holds passwords
        QVERIFY(::stat(path().c_str(), &st) == 0 && (st.st_mode & 0777) == 0600);
        ConfigTables main(ConfigRole::MainWindow);
        main.LoadIfExists(path());
        QCOMPARE(main.ConfigSource.RecordCount(), 3);
        QCOMPARE(main.TranslationSource.RecordCount(), 7);
        std::string order;
        const ReloadSteps steps{[&] { order += "news,"; }, [&] { order += "visibility,"; },
                                [&] { order += "ftp,"; }, [&] { order += "commands"; }};
        for (const bool keep : {false, true}) {
            main.SettingsSource.SetInteger("NewsConfiguration", 2);
            main.SettingsSource.SetInteger("FTPConfiguration", 1);
            order.clear();
            QVERIFY(ReloadConfiguration(main, path(), keep, steps));
            QCOMPARE(order, std::string("news,visibility,ftp,commands"));
            QCOMPARE(main.SettingsSource.GetInteger("NewsConfiguration"), keep ? 2 : 0);
            QCOMPARE(main.SettingsSource.GetInteger("FTPConfiguration"), keep ? 1 : 0);
        }
        init();
        order.clear();
        QVERIFY(!ReloadConfiguration(main, path(), true, steps));
        QCOMPARE(order, std::string("commands"));
    }

    // A file older than the connection settings reads as plain FTP to the port in "Host"; the
    // dialog and the wizard add the settings after the older fields, keeping its layout.
    void fileWithoutConnectionSettings() {
        for (const ConfigRole role :
             {ConfigRole::MainWindow, ConfigRole::Dialog, ConfigRole::Wizard}) {
            writeOlderFile(path());
            ConfigTables tables(role);
            if (role == ConfigRole::Dialog)
                OpenConfigurationForDialog(tables, path());
            else
                QVERIFY(tables.LoadIfExists(path()));
            const ServerEndpoint e = ReadServerEndpoint(tables.ConfigSource, 0);
            QVERIFY(e.protocol == FtpProtocol::Ftp && e.port == 2121 && e.passive);
            QVERIFY(e.uploadViaTemporary && e.trustedFingerprint.empty());
            const QString expected = kOlder + (role == ConfigRole::MainWindow ? "" : kConnection);
            const TnkTable& t = tables.ConfigData.Table();
            QCOMPARE(joined(t.FieldCount(), [&](int i) { return t.FieldName(i); }), expected);
        }
    }

    // A pinned fingerprint reaches only the record it was shown for, also in a file older than
    // the field; the window keeps it for the session in any case.
    void storeTrustedFingerprint() {
        // clang-format off
        const struct {
            int record;
            bool renamedOnDisk, inFile; // another window renamed it, or dropped record 1
        } rows[] = {{0, false, true}, {0, true, false}, {1, false, false}, {-1, false, false},
                    {2, false, false}};
        // clang-format on
        for (const auto& row : rows) {
            writeOlderFile(path(), "Old", 2);
            ConfigTables main(ConfigRole::MainWindow);
            main.LoadIfExists(path());
            writeOlderFile(path(), row.renamedOnDisk ? "Renamed" : "Old");
            const std::string before = ReadWholeFile(path());
            StoreTrustedFingerprint(main, row.record, "AB", path());
            ConfigTables after(ConfigRole::MainWindow);
            after.LoadIfExists(path());
            QCOMPARE(after.ConfigSource.GetString(0, "TrustedFingerprint"), row.inFile ? "AB" : "");
            QCOMPARE(ReadWholeFile(path()) == before, !row.inFile); // else not even rewritten
            if (row.record == 0 || row.record == 1)
                QCOMPARE(main.ConfigSource.GetString(row.record, "TrustedFingerprint"), "AB");
        }
    }
    // Each element shows exactly when its own setting reads "TRUE".
    void visibilityFollowsEachSetting() {
        ConfigTables dialog(ConfigRole::Dialog);
        OpenConfigurationForDialog(dialog, path());
        TnkDBSource& s = dialog.SettingsSource;
        for (const auto& [field, flag] : kShownBy) {
            for (const char* off : {"", "true", "TRUE "}) {
                s.SetString(field, off);
                V expected{true, true, true, true, true, true, true, true};
                expected.*flag = false;
                QVERIFY2(ReadVisibility(s) == expected, field);
            }
            s.SetString(field, "TRUE");
        }
    }

    // A save that fails half-way (the file size limit, as on a full disk) keeps the old file,
    // reports "Cannot create file", and leaves no temporary file behind.
    void failedSaveKeepsOldFile() {
        addServer(input("One", "x"));
        const std::string before = ReadWholeFile(path());
        ConfigTables dialog(ConfigRole::Dialog);
        OpenConfigurationForDialog(dialog, path());
        dialog.ConfigSource.SetString(0, "NewsBetweenNews", std::string(100000, 'x'));
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        const rlimit small{4096, old.rlim_max};
        setrlimit(RLIMIT_FSIZE, &small);
        const std::string error = thrown([&] { SaveConfigurationFromDialog(dialog, path()); });
        setrlimit(RLIMIT_FSIZE, &old);
        QCOMPARE(error, "Cannot create file " + path());
        QCOMPARE(ReadWholeFile(path()), before);
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
        // The dialog still holds the password in clear after the failure.
        QCOMPARE(dialog.ConfigSource.GetString(0, "LoginPassword"), std::string("x"));
    }

    // A damaged file names itself and the damaged table; the tables before it stay loaded.
    void damagedFileIsReported() {
        // clang-format off
        const struct {
            const char* cutBefore; // cut before this table's name (its length too); "": the end
            size_t extra;          // bytes cut off as well
            const char* table;
            int configurations;
        } rows[] = {{"Settings", 4, "", 0}, {"Configuration", 20, "\"Settings\"", 0},
                    {"Translation", 20, "\"Configuration\"", 0}, {"", 20, "\"Translation\"", 1},
                    {"", 1, "\"Translation\"", 1}};
        // clang-format on
        addServer(input("One", "x"));
        const std::string good = ReadWholeFile(path());
        for (const auto& row : rows) {
            const size_t at = *row.cutBefore ? good.find(row.cutBefore) - 4 : good.size();
            WriteFileAtomically(path(), good.substr(0, at - row.extra), 0600);
            ConfigTables main(ConfigRole::MainWindow);
            const std::string what = thrown([&] { main.LoadIfExists(path()); });
            QVERIFY2(what.starts_with("The file " + path() + " is damaged: "), what.c_str());
            QVERIFY2(what.find(row.table) != std::string::npos, what.c_str());
            QCOMPARE(main.ConfigSource.RecordCount(), row.configurations);
        }
    }

    // PAGEWRIGHT_HOME without trailing slashes, else the (here writable) program's folder.
    void location() {
        // clang-format off
        const std::pair<const char*, QString> rows[] = {{"/", "/Pagewright2.cfg"},
            {"/some/where//", "/some/where/Pagewright2.cfg"},
            {"", QCoreApplication::applicationDirPath() + "/Pagewright2.cfg"}};
        // clang-format on
        for (const auto& [home, file] : rows) {
            qputenv("PAGEWRIGHT_HOME", home);
            const QString got = QString::fromStdString(ConfigFilePath());
            qunsetenv("PAGEWRIGHT_HOME");
            QCOMPARE(got, file);
        }
    }
};

QTEST_GUILESS_MAIN(TestConfigFile)
#include "test_config_file.moc"
