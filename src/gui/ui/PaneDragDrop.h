#pragma once
// Dragging rows from one file pane's list onto the other's. A press on a row and a move
// start a drag that carries the source list's name; a list accepts a drag only from the
// lists its predicate names, and where the rows are let go in it does not matter. Drags of
// other kinds (files from the desktop) pass on untouched.
#include <QObject>
#include <QPoint>
#include <QString>

#include <functional>

class QMimeData;
class QTreeWidget;

class PaneDragDrop : public QObject {
    Q_OBJECT
public:
    // `accepts` is asked with the name of the list a drag comes from.
    PaneDragDrop(QTreeWidget* list, std::function<bool(const QString& source)> accepts);

    // What a drag of rows from the list named `source` carries.
    static QMimeData* MimeFor(const QString& source);
    // The list a drag comes from; empty when it is no drag of rows.
    static QString SourceOf(const QMimeData* mime);

signals:
    void RowsDropped(const QString& source);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void startDrag();

    QTreeWidget* m_list;
    std::function<bool(const QString&)> m_accepts;
    QPoint m_pressAt;
    bool m_pressedOnRow = false;
};
