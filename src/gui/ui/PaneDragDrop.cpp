#include "gui/ui/PaneDragDrop.h"

#include <QApplication>
#include <QDrag>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QTreeWidget>

namespace {
const QString kRowsFormat = "application/x-pagewright-pane-rows";
}

PaneDragDrop::PaneDragDrop(QTreeWidget* list, std::function<bool(const QString&)> accepts)
    : QObject(list), m_list(list), m_accepts(std::move(accepts)) {
    list->viewport()->setAcceptDrops(true);
    list->viewport()->installEventFilter(this);
}

QMimeData* PaneDragDrop::MimeFor(const QString& source) {
    auto* mime = new QMimeData;
    mime->setData(kRowsFormat, source.toUtf8());
    return mime;
}

QString PaneDragDrop::SourceOf(const QMimeData* mime) {
    if (!mime || !mime->hasFormat(kRowsFormat)) return QString();
    return QString::fromUtf8(mime->data(kRowsFormat));
}

void PaneDragDrop::startDrag() {
    auto* drag = new QDrag(m_list);
    drag->setMimeData(MimeFor(m_list->objectName()));
    const QList<QTreeWidgetItem*> rows = m_list->selectedItems();
    if (!rows.isEmpty()) drag->setPixmap(rows.first()->icon(0).pixmap(16, 16));
    drag->exec(Qt::CopyAction, Qt::CopyAction);
}

bool PaneDragDrop::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        m_pressedOnRow = mouse->button() == Qt::LeftButton &&
                         m_list->itemAt(mouse->position().toPoint()) != nullptr;
        m_pressAt = mouse->position().toPoint();
        break;
    }
    case QEvent::MouseButtonRelease:
        m_pressedOnRow = false;
        break;
    case QEvent::MouseMove: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (!m_pressedOnRow || !(mouse->buttons() & Qt::LeftButton)) break;
        if ((mouse->position().toPoint() - m_pressAt).manhattanLength() <
            QApplication::startDragDistance())
            break;
        m_pressedOnRow = false;
        startDrag();
        return true;
    }
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        const QString source = SourceOf(drop->mimeData());
        if (source.isNull()) break;
        if (!m_accepts(source)) {
            drop->ignore();
            return true;
        }
        drop->setDropAction(Qt::CopyAction);
        drop->accept();
        if (event->type() == QEvent::Drop) emit RowsDropped(source);
        return true;
    }
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
