#pragma once
// Where the configuration file and the program's working files live: the folder named by
// PAGEWRIGHT_HOME when set; else the executable's folder when it is writable (a portable
// install); else $XDG_CONFIG_HOME/pagewright (default ~/.config/pagewright).
#include <string>

namespace pw {

inline constexpr const char* kConfigFileName = "Pagewright2.cfg";

std::string ProgramFolder();  // without a trailing separator
std::string ConfigFilePath(); // computed afresh on every call
// Creates the program folder (and its parents) when it does not exist yet.
void EnsureProgramFolder();

} // namespace pw
