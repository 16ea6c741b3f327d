#pragma once
// The upload target of the drop window: the server, login, connection settings and folder that
// files dropped onto it are queued for. The main window and the remote pane set it; the drop
// window reads it. All on the GUI thread. The password is held in clear.
#include "core/transfer/TransferJob.h"

namespace pw {

class TnkDBSource;

// Upload is set and the file names are empty; an empty ServerHost: no target yet.
extern TnkFTPRecord DropTarget;

// Takes the target from configuration record `index` (an index beyond the end addresses the
// last record): its default folder ("/" when empty), login name, unscrambled password, host
// and connection settings. A record whose port or protocol cannot be used gives no target.
void SetDropTargetFromConfiguration(const TnkDBSource& configurations, int index);

} // namespace pw
