// cfg dump / roundtrip / new: the configuration file.
#include "cli/CliCommands.h"
#include "cli/CliSupport.h"
#include "core/config/ConfigLocation.h"
#include "core/config/ConfigSteps.h"
#include "core/config/ConfigTables.h"
#include "core/storage/IntConvert.h"

#include <filesystem>

using namespace pw;

namespace {
void requireFile(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        throw CliError("Cannot open file " + path + " (no such file)");
}

int newConfiguration(const Options& opts) {
    opts.expectPositional(1, "cfg new FILE --name N --host H --login L --password P [--poster X] "
                             "[--local-dir D] [--temp-dir D]");
    const auto required = [&](const char* name) {
        auto v = opts.value(name);
        if (!v) throw CliError(std::string("cfg new needs ") + name);
        return FromUtf8(*v);
    };
    const auto optional = [&](const char* name, const std::string& fallback) {
        auto v = opts.value(name);
        return v ? FromUtf8(*v) : fallback;
    };
    NewServerInput input;
    input.Name = required("--name");
    input.Host = required("--host");
    input.LoginName = required("--login");
    input.Password = required("--password");
    input.Poster = optional("--poster", "");
    input.LocalFTPDirectory =
        optional("--local-dir", (std::filesystem::path(ProgramFolder()) / "Ftp").string());
    input.TemporaryDirectory =
        optional("--temp-dir", std::filesystem::temp_directory_path().string());

    const std::string& file = opts.positional()[0];
    ConfigTables tables(ConfigRole::Wizard);
    OpenConfigurationForWizard(tables, file);
    FinishNewServer(tables, input, file);
    return 0;
}
// Writes one value by the text-writing rules, adding the field when the table lacks it.
int setValue(const Options& opts) {
    opts.expectPositional(4, "cfg set FILE TABLE FIELD VALUE [--record N]");
    const auto& p = opts.positional();
    requireFile(p[0]);
    ConfigTables tables(ConfigRole::MainWindow);
    tables.ConfigFile.LoadFromFile(p[0]);
    TnkDBSource* source = nullptr;
    for (auto& entry : tables.ConfigFile.DBSources)
        if (entry.Name == p[1]) source = entry.DBSource;
    if (!source) throw CliError("no table \"" + p[1] + "\" (Settings, Configuration, Translation)");
    const std::string recordText = opts.value("--record").value_or("0");
    const auto record = TryStrToInt(recordText);
    if (!record || *record < 0 || *record >= source->RecordCount())
        throw CliError("table \"" + p[1] + "\" has no record " + recordText);
    source->DBData()->AddField(FromUtf8(p[2]));
    source->SetString(*record, FromUtf8(p[2]), FromUtf8(p[3]));
    tables.Save(p[0]);
    return 0;
}
} // namespace

int RunCfgCommand(const Args& args) {
    if (args.empty()) throw CliError("usage: pagewright-cli cfg dump|roundtrip|new ...");
    const Args rest(args.begin() + 1, args.end());
    if (args[0] == "new")
        return newConfiguration(Options(
            rest,
            {"--name", "--host", "--login", "--password", "--poster", "--local-dir", "--temp-dir"},
            {}));
    if (args[0] == "set") return setValue(Options(rest, {"--record"}, {}));
    const Options opts(rest, {}, {});
    ConfigTables tables(ConfigRole::MainWindow);
    if (args[0] == "dump") {
        opts.expectPositional(1, "cfg dump FILE");
        requireFile(opts.positional()[0]);
        tables.ConfigFile.LoadFromFile(opts.positional()[0]);
        nlohmann::ordered_json out = {{"Settings", TableToJson(tables.SettingsSource)},
                                      {"Configuration", TableToJson(tables.ConfigSource)},
                                      {"Translation", TableToJson(tables.TranslationSource)}};
        PrintJson(out);
        return 0;
    }
    if (args[0] == "roundtrip") {
        opts.expectPositional(2, "cfg roundtrip IN OUT");
        requireFile(opts.positional()[0]);
        tables.ConfigFile.LoadFromFile(opts.positional()[0]);
        tables.Save(opts.positional()[1]);
        return 0;
    }
    throw CliError("unknown cfg command \"" + args[0] + "\" (dump, roundtrip, new, set)");
}
