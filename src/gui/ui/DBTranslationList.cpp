#include "gui/ui/DBTranslationList.h"

#include "core/storage/TnkDBData.h"
#include "core/storage/TnkDBSource.h"
#include "gui/ui/Cp1252Text.h"

#include <QKeyEvent>
#include <QStyledItemDelegate>

#include <algorithm>

using namespace pw;

namespace {
// Rows tall enough for the dots and rings above capital letters (Ä, Ö, Ü, Å), which reach
// above the font's ascent in many fonts and were cut off at the default height.
class TallRowDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        const QFontMetrics& fm = option.fontMetrics;
        const int above = std::max(
            fm.ascent(), -fm.tightBoundingRect(QStringLiteral("\u00C4\u00D6\u00DC\u00C5")).top());
        size.setHeight(std::max(size.height(), above + fm.descent() + 4));
        return size;
    }
};
} // namespace

DBTranslationList::DBTranslationList(QWidget* parent) : QListWidget(parent) {
    setItemDelegate(new TallRowDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::currentRowChanged, this, [this](int row) {
        TnkDBSource* source = DataSource();
        if (Refreshing() || !source || row < 0) return;
        if (row != source->CurrentIndex()) source->SetRecNo(row);
    });
}

QString DBTranslationList::RowText(const TnkDBSource& source, int record) {
    return FromCp1252(source.GetString(record, "Ascii")) + QStringLiteral(" <-> ") +
           FromCp1252(source.GetString(record, "Html"));
}

void DBTranslationList::ReadField() {
    TnkDBSource* source = DataSource();
    const int rows = source ? source->RecordCount() : 0;
    while (count() > rows)
        delete takeItem(count() - 1);
    while (count() < rows)
        addItem(QString());
    for (int r = 0; r < rows; ++r) {
        const QString text = RowText(*source, r);
        if (item(r)->text() != text) item(r)->setText(text);
    }
    const int current = HasRecord() ? std::min(source->CurrentIndex(), rows - 1) : -1;
    if (currentRow() != current) setCurrentRow(current);
}

void DBTranslationList::moveRecord(int step) {
    if (TnkDBSource* source = DataSource(); source && HasRecord()) source->MoveCurrent(step);
}

void DBTranslationList::keyPressEvent(QKeyEvent* event) {
    TnkDBSource* source = DataSource();
    const Qt::KeyboardModifiers mods =
        event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (source) {
        const int key = event->key();
        if (mods == Qt::ShiftModifier && (key == Qt::Key_Down || key == Qt::Key_Up)) {
            moveRecord(key == Qt::Key_Down ? 1 : -1);
            return;
        }
        if (key == Qt::Key_PageUp || key == Qt::Key_PageDown) {
            const bool up = key == Qt::Key_PageUp;
            if (mods == Qt::ControlModifier) {
                up ? source->First() : source->Last();
                return;
            }
            if (mods == Qt::NoModifier) {
                up ? source->Prior() : source->Next();
                return;
            }
        }
    }
    QListWidget::keyPressEvent(event);
}
