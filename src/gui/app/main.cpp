// Program entry: "/config" as the first argument runs the configuration dialog alone;
// otherwise the main window runs until it is closed.
#include "gui/app/PagewrightApplication.h"
#include "gui/app/TfmMain.h"
#include "gui/dialogs/TfmConfiguration.h"
#include "gui/ui/UserPrompts.h"

#include <cstring>

int main(int argc, char** argv) {
    // The preview plug-in's web engine shares OpenGL contexts; this must precede the app object.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    PagewrightApplication app(argc, argv);
    if (argc > 1 && std::strcmp(argv[1], "/config") == 0) {
        TfmConfiguration dialog;
        dialog.exec();
        return 0;
    }
    QApplication::setApplicationName("Pagewright v2.0");
    QApplication::setQuitOnLastWindowClosed(false);
    UserPrompts prompts;
    TfmMain window(prompts);
    // The window may be hidden in the tray while dialogs come and go: the program ends when
    // the main window has closed, not when the last visible window has.
    QObject::connect(&window, &TfmMain::Closed, &app, &QApplication::quit, Qt::QueuedConnection);
    window.show();
    window.activateWindow(); // also where no window manager hands out the focus
    return app.exec();
}
