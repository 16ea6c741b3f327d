#include "core/config/ConfigLocation.h"

#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <unistd.h>

namespace pw {

namespace fs = std::filesystem;

namespace {
std::string executableFolder() {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : exe.parent_path().string();
}

std::string homeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) return pw->pw_dir;
    return "/tmp";
}
} // namespace

std::string ProgramFolder() {
    if (const char* home = std::getenv("PAGEWRIGHT_HOME"); home && *home) {
        std::string folder = home;
        while (folder.size() > 1 && folder.back() == '/')
            folder.pop_back();
        return folder;
    }
    if (const std::string exe = executableFolder();
        !exe.empty() && ::access(exe.c_str(), W_OK) == 0)
        return exe;
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    const fs::path base = (xdg && *xdg) ? fs::path(xdg) : fs::path(homeFolder()) / ".config";
    return (base / "pagewright").string();
}

std::string ConfigFilePath() {
    return (fs::path(ProgramFolder()) / kConfigFileName).string();
}

void EnsureProgramFolder() {
    std::error_code ec;
    fs::create_directories(ProgramFolder(), ec);
}

} // namespace pw
