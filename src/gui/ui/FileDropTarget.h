#pragma once
// Makes a widget a drop target for files dragged from the desktop or a file manager (file
// URLs of "text/uri-list"). While a predicate says no, such drags are refused; other drags
// (text moved within an editor) pass on to the widget untouched.
#include <QObject>
#include <QStringList>

#include <functional>

class QMimeData;
class QWidget;

class FileDropTarget : public QObject {
    Q_OBJECT
public:
    // `area` receives the drag events: the widget itself, or a scroll area's viewport.
    FileDropTarget(QWidget* area, std::function<bool()> accepts);

    // The local files a drag carries, in their order; empty when it carries none.
    static QStringList LocalFiles(const QMimeData* mime);

signals:
    void FilesDropped(const QStringList& paths);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<bool()> m_accepts;
};
