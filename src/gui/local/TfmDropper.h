#pragma once
// The drop window: a small tool window showing an arrow into a box. Files dragged from the
// desktop onto it are handed on while the predicate accepts them (a drop target is known);
// otherwise the drag is refused. Closing it with its close box destroys it.
#include <QStringList>
#include <QWidget>

#include <functional>

class TfmDropper : public QWidget {
    Q_OBJECT
public:
    explicit TfmDropper(std::function<bool()> accepts);

    // Places the window, frame and all, in the bottom-right corner of its screen. Called once
    // it shows, when the frame is known.
    void PlaceInCorner();

    // The 30 x 30 picture of an arrow pointing down into an open box, on a clear background.
    static QPixmap DropPicture();

signals:
    void FilesDropped(const QStringList& paths);
};
