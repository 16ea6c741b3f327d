#include "core/config/ConfigTables.h"

#include <filesystem>

namespace pw {

ConfigTables::ConfigTables(ConfigRole role)
    : SettingsSource(&SettingsData, SettingsFields(role)),
      ConfigSource(&ConfigData, ConfigurationFields(role)),
      TranslationSource(&TranslationData, TranslationFields(role)) {
    if (role != ConfigRole::MainWindow) TranslationData.SetBinData(DefaultTranslationBinData());
    SettingsSource.Loaded();
    ConfigSource.Loaded();
    TranslationSource.Loaded();
    ConfigFile.DBSources = {{kSettingsTable, &SettingsSource},
                            {kConfigurationTable, &ConfigSource},
                            {kTranslationTable, &TranslationSource}};
}

bool ConfigTables::LoadIfExists(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) return false;
    ConfigFile.LoadFromFile(path);
    return true;
}

void ConfigTables::Save(const std::string& path) {
    ConfigFile.SaveToFile(path, 0600);
}

} // namespace pw
