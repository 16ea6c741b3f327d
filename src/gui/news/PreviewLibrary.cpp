#include "gui/news/PreviewLibrary.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRect>

PreviewLibrary::PreviewLibrary(const QString& folder) {
    const QString dir = folder.isEmpty() ? QCoreApplication::applicationDirPath() : folder;
    // QLibrary adds the platform's prefix and suffix (libPagewright2Preview.so).
    m_library.setFileName(QDir(dir).filePath(QStringLiteral("Pagewright2Preview")));
    // The web engine inside keeps threads and exit handlers running until the application
    // ends; unmapping its code earlier would crash the program at exit.
    m_library.setLoadHints(QLibrary::PreventUnloadHint);
    if (!m_library.load()) return; // no plug-in: the preview stays unavailable, silently
    m_preview = reinterpret_cast<PreviewFunction>(m_library.resolve("PreviewHtmlFile"));
    if (!m_preview) m_library.unload();
}

PreviewLibrary::~PreviewLibrary() {
    if (m_library.isLoaded()) m_library.unload();
}

bool PreviewLibrary::Show(const QRect& mainWindowFrame, const QString& title,
                          const QString& htmlFile) const {
    if (!m_preview) return false;
    const QByteArray titleBytes = title.toUtf8();
    const QByteArray fileBytes = QFile::encodeName(htmlFile);
    m_preview(mainWindowFrame.left(), mainWindowFrame.top(), mainWindowFrame.width(),
              mainWindowFrame.height(), titleBytes.constData(), fileBytes.constData());
    return true;
}
