#pragma once
// The ways the three windows open, change and save the configuration file.
#include <functional>
#include <string>

namespace pw {

class ConfigTables;

// Configuration dialog, opening: load the file when it exists and unscramble every password
// so that the dialog edits them in clear; otherwise start with one settings record.
void OpenConfigurationForDialog(ConfigTables& tables, const std::string& path);
// Configuration dialog, OK: scramble every password and save the whole file. When the save
// fails the passwords are turned back to clear text and the error propagates.
void SaveConfigurationFromDialog(ConfigTables& tables, const std::string& path);

// New-server wizard, opening: load the file when it exists, else one settings record.
void OpenConfigurationForWizard(ConfigTables& tables, const std::string& path);

struct NewServerInput {
    std::string Name, Poster, Host, LoginName, Password, LocalFTPDirectory, TemporaryDirectory;
    // The connection settings, starting at the defaults of the "Configuration" table.
    int Protocol = 0;      // an FtpProtocol
    std::string Port = {}; // empty: the protocol's default
    bool PassiveMode = true;
    bool UploadViaTemporary = true;
    std::string KeyFile = {};
};
// New-server wizard, Finish: append a configuration with the wizard's defaults, fill it
// from the pages (the password scrambled) and save the whole file.
void FinishNewServer(ConfigTables& tables, const NewServerInput& input, const std::string& path);

// Main window, a server's certificate or host key accepted for good: its fingerprint becomes
// the "TrustedFingerprint" of configuration `record`, in `tables` and in the file at `path`.
// The file is read afresh and only that field of that record changes; a file whose record no
// longer has the same "Name" and "Host" is left alone. Throws EFileError when it cannot be
// written.
void StoreTrustedFingerprint(ConfigTables& tables, int record, const std::string& fingerprint,
                             const std::string& path);

// The main window's reload, given whether to keep its current configuration choices.
struct ReloadSteps {
    std::function<void()> selectNewsConfiguration;
    std::function<void()> applyVisibility;
    std::function<void()> selectFTPConfiguration;
    std::function<void()> updateCommandStates;
};
// Returns whether the file existed and was loaded.
bool ReloadConfiguration(ConfigTables& tables, const std::string& path, bool keepChoices,
                         const ReloadSteps& steps);

} // namespace pw
