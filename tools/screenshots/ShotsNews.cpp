#include "ShotsNews.h"

#include "core/config/ConfigTables.h"
#include "gui/dialogs/TfmEditor.h"
#include "gui/dialogs/TfmNewNewsfile.h"
#include "gui/news/PreviewLibrary.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRect>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

using namespace pw;

namespace {
void settle(int ms) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
}

bool save(QWidget* window, const QDir& dir, const QString& name, int wait = 250) {
    window->show();
    window->raise();
    settle(wait);
    const QString path = dir.filePath(name + QStringLiteral(".png"));
    if (!window->grab().save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

int headerEditor(const QDir& dir) {
    TfmEditor editor;
    editor.SetText("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\n<html>\n"
                   "<head>\n<title>Harbour Street Rowing Club</title>\n"
                   "<link rel=\"stylesheet\" href=\"style.css\" type=\"text/css\">\n</head>\n"
                   "<body>\n<h1>Harbour Street Rowing Club</h1>\n<h2>News</h2>\n");
    return save(&editor, dir, "news-header-editor") ? 0 : 1;
}

int newsfileWizard(const QDir& dir) {
    ConfigTables tables(ConfigRole::Dialog);
    for (const char* name : {"Rowing club", "Home page"})
        tables.ConfigSource.SetString(tables.ConfigSource.Append(), "Name", name);
    TfmNewNewsfile wizard(tables.ConfigSource);
    auto* next = wizard.findChild<QPushButton*>("btNext");
    int failures = save(&wizard, dir, "newsfile-wizard-1-start") ? 0 : 1;
    next->click();
    next->click();
    failures += save(&wizard, dir, "newsfile-wizard-3-filename") ? 0 : 1;
    for (int i = 0; i < 3; ++i)
        next->click();
    failures += save(&wizard, dir, "newsfile-wizard-6-post") ? 0 : 1;
    return failures;
}

// The preview is modal: the picture is taken from inside it, then the window is closed.
int preview(const QDir& dir) {
    PreviewLibrary library(QStringLiteral(PW_PREVIEW_DIR));
    if (!library.Loaded()) {
        std::fprintf(stderr, "the preview plug-in is missing in %s\n", PW_PREVIEW_DIR);
        return 1;
    }
    QTemporaryDir site;
    for (const char* name : {"index.html", "style.css"})
        QFile::copy(QStringLiteral(PW_SOURCE_DIR "/scripts/demo-site/") + name,
                    site.filePath(name));
    QFile::copy(site.filePath("index.html"), site.filePath("tempfile.tmp"));
    int failures = 1;
    QTimer::singleShot(0, [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && w->windowTitle() == "Rowing club") {
                failures = save(w, dir, "news-preview", 2500) ? 0 : 1;
                w->close();
                return;
            }
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible()) w->close();
    });
    const QRect frame(80, 60, 680, 500);
    library.Show(frame, "Rowing club", site.filePath("tempfile.tmp"));
    return failures;
}
} // namespace

int NewsDialogShots(const QDir& outputDir) {
    return headerEditor(outputDir) + newsfileWizard(outputDir) + preview(outputDir);
}
