#include "core/config/ConfigSteps.h"

#include "core/config/ConfigTables.h"
#include "core/config/Password.h"
#include "core/storage/FileIO.h"

namespace pw {

namespace {
void openOrStart(ConfigTables& tables, const std::string& path) {
    if (!tables.LoadIfExists(path)) tables.SettingsSource.Append();
}
} // namespace

void OpenConfigurationForDialog(ConfigTables& tables, const std::string& path) {
    if (FileExists(path)) {
        tables.ConfigFile.LoadFromFile(path);
        ScrambleAllPasswords(tables.ConfigSource);
    } else {
        tables.SettingsSource.Append();
    }
}

void SaveConfigurationFromDialog(ConfigTables& tables, const std::string& path) {
    ScrambleAllPasswords(tables.ConfigSource);
    try {
        tables.Save(path);
    } catch (...) {
        ScrambleAllPasswords(tables.ConfigSource);
        throw;
    }
}

void OpenConfigurationForWizard(ConfigTables& tables, const std::string& path) {
    openOrStart(tables, path);
}

void FinishNewServer(ConfigTables& tables, const NewServerInput& input, const std::string& path) {
    TnkDBSource& config = tables.ConfigSource;
    const int record = config.Append();
    config.SetString(record, "Name", input.Name);
    config.SetString(record, "Poster", input.Poster);
    config.SetString(record, "Host", input.Host);
    config.SetString(record, "LoginName", input.LoginName);
    config.SetText(record, "LoginPassword", ScramblePassword(input.Password));
    config.SetString(record, "LocalFTPDirectory", input.LocalFTPDirectory);
    config.SetString(record, "TemporaryDirectory", input.TemporaryDirectory);
    config.SetInteger(record, "Protocol", input.Protocol);
    config.SetString(record, "Port", input.Port);
    config.SetString(record, "PassiveMode", input.PassiveMode ? "TRUE" : "");
    config.SetString(record, "UploadViaTemporary", input.UploadViaTemporary ? "TRUE" : "");
    config.SetString(record, "KeyFile", input.KeyFile);
    tables.Save(path);
}

void StoreTrustedFingerprint(ConfigTables& tables, int record, const std::string& fingerprint,
                             const std::string& path) {
    TnkDBSource& config = tables.ConfigSource;
    if (record < 0 || record >= config.RecordCount()) return;
    // A file written before the field was known gets it now.
    tables.ConfigData.AddField("TrustedFingerprint");
    config.SetString(record, "TrustedFingerprint", fingerprint);
    ConfigTables disk(ConfigRole::MainWindow);
    if (!disk.LoadIfExists(path)) return;
    TnkDBSource& stored = disk.ConfigSource;
    if (record >= stored.RecordCount()) return;
    for (const char* name : {"Name", "Host"})
        if (stored.GetString(record, name) != config.GetString(record, name)) return;
    disk.ConfigData.AddField("TrustedFingerprint");
    stored.SetString(record, "TrustedFingerprint", fingerprint);
    disk.Save(path);
}

bool ReloadConfiguration(ConfigTables& tables, const std::string& path, bool keepChoices,
                         const ReloadSteps& steps) {
    const bool exists = FileExists(path);
    if (exists) {
        TnkDBSource& settings = tables.SettingsSource;
        int news = 0, ftp = 0;
        if (keepChoices) {
            news = settings.GetInteger("NewsConfiguration");
            ftp = settings.GetInteger("FTPConfiguration");
        }
        tables.ConfigFile.LoadFromFile(path);
        if (keepChoices) {
            settings.SetInteger("NewsConfiguration", news);
            settings.SetInteger("FTPConfiguration", ftp);
        }
        if (steps.selectNewsConfiguration) steps.selectNewsConfiguration();
        if (steps.applyVisibility) steps.applyVisibility();
        if (steps.selectFTPConfiguration) steps.selectFTPConfiguration();
    }
    if (steps.updateCommandStates) steps.updateCommandStates();
    return exists;
}

} // namespace pw
