// Guards: the configuration file as each window writes and reads it; passwords, pins, damage.
#include "core/config/ConfigLocation.h"
#include "core/config/ConfigSchema.h"
#include "core/config/ConfigSteps.h"
#include "core/config/ConfigTables.h"
#include "core/config/Password.h"
#include "core/config/Visibility.h"
#include "core/ftp/ServerEndpoint.h"
#include "core/storage/FileIO.h"

#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <utility>

using namespace pw;
using enum ConfigRole;

namespace {
// The fields of the "Configuration" table: the older ones, then the connection settings.
// clang-format off
const QString kHead = "Name Host LoginName LoginPassword FTPTimeout Poster LocalFTPDirectory "
                      "TemporaryDirectory TimeFormat DateFormat SyntaxHighlight NewsFile "
                      "NewsLocalFile NewsSection NewsHeaderDefaults NewsFooterDefaults ";
const QString kTail = " NewsNewsFileEnabled NewsNewsFile NewsHeader NewsStayConnected LinksFile "
                      "LinksSaveLocal LinksStayConnected FTPDefaultFolder FTPAutomaticLocalRefresh";
const QString kOlder = kHead + "NewsBeforeNews NewsBetweenNews NewsAfterNews" + kTail;
const QString kConnection =
    " Protocol Port PassiveMode TrustedFingerprint UploadViaTemporary KeyFile";
const QString kSettings = "SaveWindowPos Left Top Width Height AutoSave NewsConfiguration "
                          "LinksConfiguration FTPConfiguration Language PagesNews PagesLinks "
                          "PagesFTP PagesTransfers VisibleSpeedbar VisibleMinimizeToTray "
                          "VisibleMenuNews VisibleMenuLinks VisibleMenuFTP VisibleMenuTransfer";
using V = VisibilitySettings;
const std::pair<const char*, bool V::*> kShownBy[] = {
    {"PagesNews", &V::pageNews}, {"PagesFTP", &V::pageFTP}, {"PagesTransfers", &V::pageTransfers},
    {"VisibleSpeedbar", &V::speedbar}, {"VisibleMinimizeToTray", &V::minimizeToTray},
    {"VisibleMenuNews", &V::menuNews}, {"VisibleMenuFTP", &V::menuFTP},
    {"VisibleMenuTransfer", &V::menuTransfer}};
// A password in clear and as stored.
const std::pair<QByteArray, QByteArray> kPasswords[] = {{"abc", "\x9E\x9D\x9C"}, {"", ""},
    {QByteArray("ab\xFF", 3) + "cd", "\x9E\x9D"}, // 255 turns NUL, where a text ends
    {"\xDF\xCE", " 1"}}; // a stored form that reads as a number stays the exact text
// The record a fingerprint is pinned for; whether another window renamed record 0 on disk (or
// dropped record 1); whether the file then holds it.
const struct { int record; bool renamedOnDisk, inFile; } kPins[] = {{0, false, true},
    {0, true, false}, {1, false, false}, {-1, false, false}, {2, false, false}};
// A file cut before a table's name (its length too, "": the end) and `extra` bytes more names
// the damaged table; the configurations before it stay loaded.
const struct { const char* cutBefore; size_t extra; const char* table; int configurations;
    } kCuts[] = {
    {"Settings", 4, "", 0}, {"Configuration", 20, "\"Settings\"", 0},
    {"Translation", 20, "\"Configuration\"", 0},
    {"", 20, "\"Translation\"", 1}, {"", 1, "\"Translation\"", 1}};
const std::pair<const char*, const char*> kHomes[] = {
    {"/", "/Pagewright2.cfg"}, {"/some/where//", "/some/where/Pagewright2.cfg"}, {"", nullptr}};
// clang-format on

void writeOlderFile(const std::string& path, const char* name = "Old", int records = 1) {
    ConfigTables older(MainWindow);
    for (const QString& field : kOlder.split(' '))
        older.ConfigData.Table().AddField(field.toStdString());
    for (int r = 0; r < records; ++r) {
        older.ConfigSource.SetString(older.ConfigSource.Append(), "Name", name);
        older.ConfigSource.SetString(r, "Host", "ftp.example.org:2121");
    }
    older.Save(path);
}

template <class Name> QString joined(int count, Name name) {
    QStringList out;
    for (int i = 0; i < count; ++i)
        out << QString::fromStdString(name(i));
    return out.join(' ');
}
QString declared(ConfigRole r) {
    QStringList out;
    for (const TnkDBFieldCollection& f :
         {SettingsFields(r), ConfigurationFields(r), TranslationFields(r)})
        out << joined(f.Count(), [&](int i) { return f[i].Name; });
    return out.join('|');
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
    void addServer(const std::string& password) {
        ConfigTables wizard(Wizard);
        OpenConfigurationForWizard(wizard, path());
        FinishNewServer(wizard, {"S", "P", "h", "me", password, "/x", "/t"}, path());
    }

private slots:
    void init() { QFile::remove(QString::fromStdString(path())); }

    // The fields each writer declares, in order: a field lost would vanish from its files. The
    // main window declares none; it takes the file's layout.
    void declaredFields() {
        QCOMPARE(declared(Dialog),
                 kSettings + "|" + kHead + "NewsBetweenNews" + kTail + kConnection + "|Ascii Html");
        QCOMPARE(declared(Wizard), kSettings + "|" + kOlder + kConnection + "|Ascii Html");
        QCOMPARE(declared(MainWindow), "||");
    }

    // The wizard adds servers to a file only its owner may read, passwords scrambled; the dialog
    // edits every password in clear and stores it back. The pages' chosen records survive a
    // reload after the dialog; at start-up the file's win. Without a file only commands refresh.
    void wizardDialogAndReload() {
        for (const auto& [plain, stored] : kPasswords)
            addServer(plain.toStdString());
        QCOMPARE(QFile::permissions(QString::fromStdString(path())),
                 QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
        ConfigTables main(MainWindow);
        for (int pass = 0; pass < 2; ++pass) {
            ConfigTables dialog(Dialog);
            main.LoadIfExists(path());
            OpenConfigurationForDialog(dialog, path());
            for (int r = 0; const auto& [plain, stored] : kPasswords) {
                QCOMPARE(main.ConfigSource.GetString(r, "LoginPassword"), stored.toStdString());
                QCOMPARE(dialog.ConfigSource.GetString(r++, "LoginPassword"),
                         plain.split('\xFF').first().toStdString());
            }
            SaveConfigurationFromDialog(dialog, path());
        }
        QCOMPARE(main.TranslationSource.RecordCount(), 7);
        std::string order;
        const ReloadSteps steps{[&] { order += "news,"; }, [&] { order += "visibility,"; },
                                [&] { order += "ftp,"; }, [&] { order += "commands"; }};
        TnkDBSource& s = main.SettingsSource;
        s.SetInteger("NewsConfiguration", 2);
        s.SetInteger("FTPConfiguration", 1);
        for (const bool keep : {true, false}) {
            QVERIFY(ReloadConfiguration(main, path(), keep, steps));
            QCOMPARE(std::exchange(order, ""), "news,visibility,ftp,commands");
            QCOMPARE(s.GetInteger("NewsConfiguration") * 10 + s.GetInteger("FTPConfiguration"),
                     keep ? 21 : 0);
        }
        init();
        QVERIFY(!ReloadConfiguration(main, path(), true, steps));
        QCOMPARE(order, "commands");
    }

    // A file older than the connection settings reads as plain FTP to the port in "Host"; the
    // dialog and the wizard add the settings after the older fields, keeping its layout.
    void fileWithoutConnectionSettings() {
        for (const ConfigRole role : {MainWindow, Dialog, Wizard}) {
            writeOlderFile(path());
            ConfigTables tables(role);
            role == Dialog ? OpenConfigurationForDialog(tables, path())
                           : void(tables.LoadIfExists(path()));
            const ServerEndpoint e = ReadServerEndpoint(tables.ConfigSource, 0);
            QVERIFY(e.protocol == FtpProtocol::Ftp && e.port == 2121 && e.passive);
            QVERIFY(e.uploadViaTemporary && e.trustedFingerprint.empty());
            const TnkTable& t = tables.ConfigData.Table();
            QCOMPARE(joined(t.FieldCount(), [&](int i) { return t.FieldName(i); }),
                     kOlder + (role == MainWindow ? "" : kConnection));
        }
    }

    // A pinned fingerprint reaches only the record it was shown for, also in a file older than
    // the field; the window keeps it for the session in any case.
    void storeTrustedFingerprint() {
        for (const auto& row : kPins) {
            writeOlderFile(path(), "Old", 2);
            ConfigTables main(MainWindow);
            main.LoadIfExists(path());
            writeOlderFile(path(), row.renamedOnDisk ? "Renamed" : "Old");
            StoreTrustedFingerprint(main, row.record, "AB", path());
            ConfigTables after(MainWindow);
            after.LoadIfExists(path());
            QCOMPARE(after.ConfigSource.GetString(0, "TrustedFingerprint"), row.inFile ? "AB" : "");
            if (row.record == 0 || row.record == 1)
                QCOMPARE(main.ConfigSource.GetString(row.record, "TrustedFingerprint"), "AB");
        }
    }

    // Each element shows exactly when its own setting reads "TRUE".
    void visibilityFollowsEachSetting() {
        ConfigTables dialog(Dialog);
        OpenConfigurationForDialog(dialog, path());
        for (const auto& [field, flag] : kShownBy)
            for (const char* value : {"", "true", "TRUE ", "TRUE"}) {
                dialog.SettingsSource.SetString(field, value);
                V expected{true, true, true, true, true, true, true, true};
                expected.*flag = value == std::string_view("TRUE");
                QVERIFY2(ReadVisibility(dialog.SettingsSource) == expected, field);
            }
    }

    // A save that fails half-way (the file size limit, as on a full disk) keeps the old file,
    // reports "Cannot create file", leaves no temporary file behind and the dialog's password
    // in clear. A damaged file names itself and the damaged table.
    void failedSaveAndDamagedFile() {
        addServer("x");
        const std::string good = ReadWholeFile(path());
        ConfigTables dialog(Dialog);
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
        QCOMPARE(ReadWholeFile(path()), good);
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
        QCOMPARE(dialog.ConfigSource.GetString(0, "LoginPassword"), "x");

        for (const auto& row : kCuts) {
            const size_t at = *row.cutBefore ? good.find(row.cutBefore) - 4 : good.size();
            WriteFileAtomically(path(), good.substr(0, at - row.extra), 0600);
            ConfigTables main(MainWindow);
            const std::string what = thrown([&] { main.LoadIfExists(path()); });
            QVERIFY2(what.starts_with("The file " + path() + " is damaged: "), what.c_str());
            QVERIFY2(what.find(row.table) != std::string::npos, what.c_str());
            QCOMPARE(main.ConfigSource.RecordCount(), row.configurations);
        }
    }

    // PAGEWRIGHT_HOME without trailing slashes; unset, the program folder (writable here).
    void location() {
        for (const auto& [home, file] : kHomes) {
            qputenv("PAGEWRIGHT_HOME", home);
            const QString got = QString::fromStdString(ConfigFilePath());
            qunsetenv("PAGEWRIGHT_HOME");
            QCOMPARE(got, file ? QString(file) : qApp->applicationDirPath() + "/Pagewright2.cfg");
        }
    }
};

QTEST_GUILESS_MAIN(TestConfigFile)
#include "test_config_file.moc"
