#pragma once
// The modal preview window: a web view filling a dialog placed over the main window.
#include <QDialog>

class QWebEngineView;

class PreviewWindow : public QDialog {
    Q_OBJECT
public:
    PreviewWindow(const QRect& over, const QString& title, const QString& htmlFile);

private:
    void showFile(const QString& path);

    QWebEngineView* wvPreview;
};
