#pragma once
// The preview plug-in beside the program: loaded once at start, its export "PreviewHtmlFile"
// called to show a page over the main window, released at the end.
#include <QLibrary>
#include <QString>

class QRect;

class PreviewLibrary {
public:
    // Loads the library from the program's own folder, or from `folder` when one is given.
    explicit PreviewLibrary(const QString& folder = QString());
    ~PreviewLibrary();
    PreviewLibrary(const PreviewLibrary&) = delete;
    PreviewLibrary& operator=(const PreviewLibrary&) = delete;

    // True when the library was found and exports "PreviewHtmlFile".
    bool Loaded() const { return m_preview != nullptr; }
    // Shows htmlFile in a modal window over mainWindowFrame titled title; returns when that
    // window is closed. False (and nothing shown) when the library is not loaded.
    bool Show(const QRect& mainWindowFrame, const QString& title, const QString& htmlFile) const;

private:
    using PreviewFunction = void (*)(int left, int top, int width, int height, const char* title,
                                     const char* fileName);
    QLibrary m_library;
    PreviewFunction m_preview = nullptr;
};
