#pragma once
// What the two file panes use of the main window: the configuration table and the FTP
// configuration chosen on the page, the dialogs, the activity state and flags with the
// command refresh. Handed to the panes when they are made.
#include "core/app/ActivityState.h"

#include <functional>
#include <string>

namespace pw {
class TnkDBSource;
}
class QWidget;
class UserPrompts;

struct PaneServices {
    const pw::TnkDBSource& Config;
    UserPrompts& Prompts;
    QWidget* Window; // dialogs open over it
    std::function<pw::ActivityState()> FTPState;
    std::function<void(pw::ActivityState)> SetFTPState; // from any thread, in order
    std::function<void(bool)> SetRemoteRefreshing;      // from any thread, in order
    std::function<void(bool)> SetLocalRefreshing;       // GUI thread
    bool& RemoteEditing;
    bool& LocalEditing;
    std::function<void()> UpdateCommandStates; // at once
    // Keeps a certificate or host key fingerprint accepted for good with configuration
    // `record` (GUI thread); may throw EFileError.
    std::function<void(int record, const std::string& fingerprint)> StoreFingerprint;
};
