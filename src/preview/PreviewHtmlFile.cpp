// The plug-in's one export: shows an HTML file in a modal window over the caller's main
// window, inside the caller's application, and returns when that window is closed.
#include "PreviewWindow.h"

#include <QApplication>
#include <QFile>
#include <QRect>
#include <QThread>

#include <algorithm>
#include <unistd.h>

namespace {

// The web engine reads its start-up settings from the environment when it is first used.
// Without a GPU it must render in software, and Chromium refuses to start as root unless
// its sandbox is switched off. Flags the user set are left as they are.
void prepareWebEngine() {
    static bool prepared = false;
    if (prepared) return;
    prepared = true;
    const bool root = geteuid() == 0;
    if (root && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    if (!qEnvironmentVariableIsSet("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS",
                root ? "--disable-gpu --no-sandbox" : "--disable-gpu");
}

} // namespace

extern "C" __attribute__((visibility("default"))) void
PreviewHtmlFile(int left, int top, int width, int height, const char* title, const char* fileName) {
    // Widgets need the caller's QApplication, and only on its thread.
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!app || QThread::currentThread() != app->thread()) return;
    // The web engine shares the application's OpenGL contexts; an application made without
    // asking for that would crash it, so nothing is shown then.
    if (!QCoreApplication::testAttribute(Qt::AA_ShareOpenGLContexts)) {
        qWarning("PreviewHtmlFile: the application was created without "
                 "Qt::AA_ShareOpenGLContexts; the preview cannot be shown");
        return;
    }
    prepareWebEngine();
    // Far beyond any screen, but small enough that the rectangle's corners cannot overflow.
    constexpr int limit = 1 << 20;
    const QRect over(std::clamp(left, -limit, limit), std::clamp(top, -limit, limit),
                     std::clamp(width, 0, limit), std::clamp(height, 0, limit));
    PreviewWindow window(over, QString::fromUtf8(title ? title : ""),
                         QFile::decodeName(fileName ? fileName : ""));
    window.exec();
}
