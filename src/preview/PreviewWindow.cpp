#include "PreviewWindow.h"

#include <QFile>
#include <QFileInfo>
#include <QRect>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebEngineSettings>
#include <QWebEngineView>

PreviewWindow::PreviewWindow(const QRect& over, const QString& title, const QString& htmlFile)
    : wvPreview(new QWebEngineView(this)) {
    setObjectName(QStringLiteral("fmPreview"));
    setWindowTitle(title);
    setSizeGripEnabled(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    wvPreview->setObjectName(QStringLiteral("wvPreview"));
    layout->addWidget(wvPreview);

    if (over.isValid()) {
        move(over.topLeft());
        resize(over.size());
    } else {
        resize(800, 600);
    }

    // The program writes its pages in Windows-1252; a page that names its own charset wins.
    wvPreview->settings()->setDefaultTextEncoding(QStringLiteral("windows-1252"));
    if (!htmlFile.isEmpty()) showFile(QFileInfo(htmlFile).absoluteFilePath());
}

void PreviewWindow::showFile(const QString& path) {
    // The file keeps its own location as base, so style sheets and pictures beside it load.
    const QUrl url = QUrl::fromLocalFile(path);
    // The web engine decides by the name's extension how to show a local file, and the
    // program's page is a ".tmp" file; so the bytes are handed over as HTML. Such content
    // travels as a data URL, which has a size limit; a file beyond it is loaded by name.
    QFile file(path);
    constexpr qint64 dataUrlLimit = 2 * 1024 * 1024;
    if (file.size() < dataUrlLimit && file.open(QIODevice::ReadOnly)) {
        const QByteArray page = file.readAll();
        if (page.toPercentEncoding().size() < dataUrlLimit - 64) {
            wvPreview->setContent(page, QStringLiteral("text/html"), url);
            return;
        }
    }
    wvPreview->load(url);
}
