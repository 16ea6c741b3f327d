#pragma once
// The command refresh as a pure function: from the activity states and the few facts the
// window knows about its tables and lists to the enabled state of every command item.
#include "core/app/ActivityState.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace pw {

struct CommandInputs {
    ActivityStates States;
    bool LocalRefreshing = false;
    bool RemoteRefreshing = false;
    int ConfigCount = 0;     // records of the configuration table
    int NewsRecordCount = 0; // records of the news table
    int NewsRecNo = -1;      // the news cursor as read
    bool RemoteSelected = false;
    bool LocalSelected = false;
    bool TransferSelected = false;
    bool TransferFailed = false; // a job of the queue has failed
    int RemotePathLength = 0;    // characters of the remote path label
    bool LocalPathIsRoot = true; // the local path label names a root (or nothing)
    bool TransferPauseDown = false;
    bool TransferRestartDown = false;
    bool PreviewLoaded = false;
};

struct CommandStates {
    // Every item the refresh sets (menu items, toolbar buttons, pop-up items, choosers and the
    // news gauge panel "sbaNews.0"), each once, in a fixed order.
    std::vector<std::pair<std::string, bool>> Items;
    // The activity animation runs while not every state is idle.
    bool AnimationActive = false;

    // Throws std::out_of_range for a name the refresh does not set.
    bool Enabled(std::string_view item) const;
};

CommandStates ComputeCommandStates(const CommandInputs& in);

} // namespace pw
