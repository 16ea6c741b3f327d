#include "core/config/Visibility.h"

#include "core/storage/TnkDBSource.h"

namespace pw {

VisibilitySettings ReadVisibility(const TnkDBSource& settings) {
    if (settings.RecordCount() == 0) return {};
    const int record = settings.CurrentIndex() < 0 ? 0 : settings.CurrentIndex();
    const auto on = [&](const char* field) { return settings.GetString(record, field) == "TRUE"; };
    return {on("PagesNews"),
            on("PagesFTP"),
            on("PagesTransfers"),
            on("VisibleSpeedbar"),
            on("VisibleMinimizeToTray"),
            on("VisibleMenuNews"),
            on("VisibleMenuFTP"),
            on("VisibleMenuTransfer")};
}

} // namespace pw
