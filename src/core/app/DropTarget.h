#pragma once
// The upload target of the drop window: the server, login and folder that files dropped
// onto it are queued for. The main window and the remote pane set it; the drop window reads
// it. All on the GUI thread. The password is held in clear.
#include <string>

namespace pw {

extern std::string DropHost;
extern std::string DropLoginName;
extern std::string DropLoginPassword;
extern std::string DropRemoteFolder;

class TnkDBSource;

// Takes the target from configuration record `index` (an index beyond the end addresses the
// last record): its default folder ("/" when empty), login name, unscrambled password, host.
void SetDropTargetFromConfiguration(const TnkDBSource& configurations, int index);

} // namespace pw
