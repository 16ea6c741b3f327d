#pragma once
// The places where the news page, the file panes, the transfer queue and the drop window
// plug into the main window. Each is empty until the part that owns the work fills it; an
// empty hook does nothing.
#include <functional>

class QDialog;
class QString;

struct TfmMainHooks {
    // Selection-change steps of the two configuration choosers (also run by every reload).
    std::function<void()> SelectNewsConfiguration;
    std::function<void()> SelectFTPConfiguration;
    // Close path.
    std::function<void()> StopFolderMonitor;
    std::function<void()> DisconnectNews;
    std::function<void()> DisconnectRemote;
    std::function<void()> StopTransferWorker; // default: stops thTransfer
    // Commands whose windows belong to other parts.
    std::function<void()> ToggleDropperWindow;
    std::function<void()> NewNewsfileWizard;

    // Runs a modal dialog (default: exec). Tests replace it to answer dialogs.
    std::function<void(QDialog&)> RunDialog;
    // Shows an error message box (default: a modal warning).
    std::function<void(const QString& message)> ShowError;
    // Asks a Yes/No question; true for Yes (default: a modal question box).
    std::function<bool(const QString& caption, const QString& text)> AskYesNo;
};
