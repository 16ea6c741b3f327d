#pragma once
// The configuration file's three tables and their fields. The configuration dialog and the
// new-server wizard declare slightly different field sets; the file holds the union of what
// either has written. The main window declares none and sees exactly what the file holds.
#include "core/storage/TnkDBFieldCollection.h"

#include <string>
#include <string_view>

namespace pw {

enum class ConfigRole { MainWindow, Dialog, Wizard };

inline constexpr const char* kSettingsTable = "Settings";
inline constexpr const char* kConfigurationTable = "Configuration";
inline constexpr const char* kTranslationTable = "Translation";
inline constexpr const char* kDefaultHost = "ftp.example.com";

TnkDBFieldCollection SettingsFields(ConfigRole role);
TnkDBFieldCollection ConfigurationFields(ConfigRole role);
TnkDBFieldCollection TranslationFields(ConfigRole role);

// The default text of a "Configuration" field (exact name), empty for a field not listed.
// Readers of a file that predates a field take this in its place.
std::string ConfigurationDefault(std::string_view field);

// The default translation table (seven German letters and their entities) as a form
// definition carries it: u32 byte count 171, then the 171-byte table stream.
const std::string& DefaultTranslationBinData();

} // namespace pw
