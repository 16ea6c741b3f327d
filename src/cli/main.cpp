// pagewright-cli: the scriptable front end over the program's engine.
#include "cli/CliCommands.h"
#include "cli/CliSupport.h"
#include "core/storage/nkErrors.h"

#include <cstdio>
#include <exception>

using namespace pw;

namespace {
constexpr const char* kUsage =
    "usage: pagewright-cli GROUP COMMAND ...\n"
    "  table dump FILE | table roundtrip IN OUT\n"
    "  cfg dump FILE | cfg roundtrip IN OUT\n"
    "  cfg new FILE --name N --host H --login L --password P [--poster X]\n"
    "          [--local-dir D] [--temp-dir D]\n"
    "  cfg set FILE TABLE FIELD VALUE [--record N]\n"
    "  news parse PAGE | news build JSON | news roundtrip PAGE\n"
    "       [--section NAME] [--own-header] [--between TEXT] [--table FILE]\n"
    "  news fetch CFG | news add CFG --text TEXT [--header H] [--footer F]\n"
    "       | news post CFG ITEMS.json   [--config N] [--passive] [--verbose]\n"
    "       (a configuration without password: PAGEWRIGHT_PASSWORD, else asked)\n"
    "  ftp ls|get|put|mkdir|rmdir|rm|pwd|rename ... [--passive|--active] [--timeout S]\n"
    "       (ftp ls URL --rows: the remote pane's rows)\n"
    "  ftp put-many URLDIR FILE... | ftp get-many URLDIR NAME... --to DIR\n"
    "       [--journal PATH [--resume]]   (one connection, in order; a line per job)\n"
    "  local ls DIR [--sort unsorted|name|extension|time|size]\n";

void fail(const std::string& message) {
    std::fprintf(stderr, "%s\n", message.c_str());
}
} // namespace

int main(int argc, char** argv) {
    Args args(argv + 1, argv + argc);
    if (args.empty() || args[0] == "--help" || args[0] == "-h") {
        std::fputs(kUsage, args.empty() ? stderr : stdout);
        return args.empty() ? 1 : 0;
    }
    const std::string group = args[0];
    args.erase(args.begin());
    try {
        if (group == "table") return RunTableCommand(args);
        if (group == "cfg") return RunCfgCommand(args);
        if (group == "news") return RunNewsCommand(args);
        if (group == "ftp")
            return IsTransferCommand(args) ? RunTransferCommand(args) : RunFtpCommand(args);
        if (group == "local") return RunLocalCommand(args);
        fail("unknown command group \"" + group + "\" (table, cfg, news, ftp, local)");
    } catch (const EFileError& e) {
        fail(e.detail().empty() ? e.what() : std::string(e.what()) + " (" + e.detail() + ")");
    } catch (const std::exception& e) {
        fail(e.what());
    }
    return 1;
}
