#include "core/app/DropTarget.h"

#include "core/config/Password.h"
#include "core/storage/TnkDBSource.h"

namespace pw {

std::string DropHost;
std::string DropLoginName;
std::string DropLoginPassword;
std::string DropRemoteFolder;

void SetDropTargetFromConfiguration(const TnkDBSource& configurations, int index) {
    if (index < 0) return;
    std::string folder = configurations.GetString(index, "FTPDefaultFolder");
    DropRemoteFolder = folder.empty() ? "/" : folder;
    DropLoginName = configurations.GetString(index, "LoginName");
    DropLoginPassword = ScramblePassword(configurations.GetString(index, "LoginPassword"));
    DropHost = configurations.GetString(index, "Host");
}

} // namespace pw
