// cfg dump / roundtrip / new: the configuration file.
#include "cli/CliCommands.h"
#include "cli/CliSupport.h"
#include "core/config/ConfigLocation.h"
#include "core/config/ConfigSteps.h"
#include "core/config/ConfigTables.h"

#include <filesystem>

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
} // namespace

int RunCfgCommand(const Args& args) {
    if (args.empty()) throw CliError("usage: pagewright-cli cfg dump|roundtrip|new ...");
    const Args rest(args.begin() + 1, args.end());
    if (args[0] == "new")
        return newConfiguration(Options(
            rest,
            {"--name", "--host", "--login", "--password", "--poster", "--local-dir", "--temp-dir"},
            {}));
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
    throw CliError("unknown cfg command \"" + args[0] + "\" (dump, roundtrip, new)");
}
