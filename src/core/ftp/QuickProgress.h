#pragma once
// The small controls an FTP component can drive itself when QuickProgress is on. The GUI
// implements them over its widgets (and hands each call to its own thread).
#include <string>

namespace pw {

class TQuickProgressBar {
public:
    virtual ~TQuickProgressBar() = default;
    virtual void SetMax(int max) = 0;
    virtual void SetPosition(int position) = 0;
};

class TQuickLabel {
public:
    virtual ~TQuickLabel() = default;
    virtual void SetCaption(const std::string& caption) = 0;
};

class TQuickStatusBar {
public:
    virtual ~TQuickStatusBar() = default;
    virtual bool SimplePanel() const = 0;
    virtual void SetSimpleText(const std::string& text) = 0;
    virtual void SetPanelText(int panel, const std::string& text) = 0;
};

} // namespace pw
