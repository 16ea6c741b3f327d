#pragma once
// Which elements of the main window the settings record shows: each exactly when its
// setting reads "TRUE". A setting the file lacks reads empty, so its element is hidden.
namespace pw {

class TnkDBSource;

struct VisibilitySettings {
    bool pageNews = false;
    bool pageFTP = false;
    bool pageTransfers = false;
    bool speedbar = false;       // sbMain
    bool minimizeToTray = false; // wiMinimizeToTray
    bool menuNews = false;       // miNews
    bool menuFTP = false;        // miFTP
    bool menuTransfer = false;   // miTransfer

    bool operator==(const VisibilitySettings&) const = default;
};

// Reads the current record of the settings source.
VisibilitySettings ReadVisibility(const TnkDBSource& settings);

} // namespace pw
