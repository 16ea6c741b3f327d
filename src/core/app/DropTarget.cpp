#include "core/app/DropTarget.h"

#include "core/storage/TnkDBSource.h"
#include "core/transfer/JobServer.h"

namespace pw {

TnkFTPRecord DropTarget;

void SetDropTargetFromConfiguration(const TnkDBSource& configurations, int index) {
    if (index < 0) return;
    if (index >= configurations.RecordCount()) index = configurations.RecordCount() - 1;
    TnkFTPRecord target;
    try {
        if (index >= 0) SetJobServerFromConfiguration(target, configurations, index);
    } catch (const EServerAddress&) {
        target = TnkFTPRecord();
    }
    DropTarget = target;
}

} // namespace pw
