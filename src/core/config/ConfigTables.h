#pragma once
// One window's copy of the configuration file's three tables, bound to a container with the
// entries "Settings", "Configuration" and "Translation" in that order.
#include "core/config/ConfigSchema.h"
#include "core/storage/TnkDBData.h"
#include "core/storage/TnkDBFile.h"
#include "core/storage/TnkDBSource.h"

#include <string>

namespace pw {

class ConfigTables {
public:
    // The dialog and the wizard get their field definitions and the default translation
    // table as initial content; the main window's sources start empty and undefined.
    explicit ConfigTables(ConfigRole role);
    ConfigTables(const ConfigTables&) = delete;
    ConfigTables& operator=(const ConfigTables&) = delete;

    TnkDBData SettingsData, ConfigData, TranslationData;
    TnkDBSource SettingsSource, ConfigSource, TranslationSource;
    TnkDBFile ConfigFile;

    // Loads the file when it exists; returns whether it did. Errors propagate.
    bool LoadIfExists(const std::string& path);
    // Atomic save, readable by the owner only.
    void Save(const std::string& path);
};

} // namespace pw
