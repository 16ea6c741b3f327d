#pragma once
// The main window's bounds as the settings record keeps them, and the split of the FTP page.
#include <optional>

namespace pw {

class TnkDBSource;

struct StoredBounds {
    std::optional<int> Left, Top, Width, Height;
};

// The bounds to restore at start-up: nothing unless "SaveWindowPos" reads "TRUE"; then each
// of "Left", "Top", "Width", "Height" that is 0 or more. A negative value (the default -1)
// leaves the window's own value.
StoredBounds ReadStoredBounds(const TnkDBSource& settings);

// Writes the four bounds into the current settings record, whatever "SaveWindowPos" says.
// A settings table without a record or without the fields gets them first, so that the
// bounds are never dropped silently.
void WriteBounds(TnkDBSource& settings, int left, int top, int width, int height);

// Width of the remote pane on an FTP page of the given width; the local pane takes the rest
// beside the splitter.
inline int RemotePaneWidth(int pageWidth) {
    return (pageWidth - 3) / 2;
}

} // namespace pw
