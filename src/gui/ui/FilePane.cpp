#include "gui/ui/FilePane.h"

#include "gui/ui/PageParts.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QSet>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
constexpr int kImageRole = Qt::UserRole;
constexpr int kNameRole = Qt::UserRole + 1;

// Edits a caption in place for the pane: the pane decides whether an edit may start and what
// the typed text does.
class RenameDelegate : public QStyledItemDelegate {
public:
    RenameDelegate(FilePane* pane, QTreeWidget* list) : QStyledItemDelegate(list), m_pane(pane) {
        connect(this, &QAbstractItemDelegate::closeEditor, pane, &FilePane::EditingEnded);
    }
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        QTreeWidgetItem* row = m_pane->List()->topLevelItem(index.row());
        if (index.column() != 0 || !row || (m_pane->CanRename && !m_pane->CanRename(row)))
            return nullptr;
        return QStyledItemDelegate::createEditor(parent, option, index);
    }
    void setModelData(QWidget* editor, QAbstractItemModel*,
                      const QModelIndex& index) const override {
        QTreeWidgetItem* row = m_pane->List()->topLevelItem(index.row());
        const QString text = editor->property("text").toString();
        if (row && m_pane->Renamed) m_pane->Renamed(row, text);
    }

private:
    FilePane* m_pane;
};
} // namespace

FilePane::FilePane(const Names& names, QWidget* parent) : QWidget(parent) {
    setObjectName(QString::fromLatin1(names.pane));
    setMinimumWidth(0);
    QVBoxLayout* column = MakeColumn(this);
    m_row = new QHBoxLayout;
    m_row->setContentsMargins(3, 2, 3, 2);
    m_path = new QLabel("/", this);
    m_path->setObjectName(QString::fromLatin1(names.path));
    m_path->setTextFormat(Qt::PlainText);
    m_row->addWidget(m_path, 1);
    m_busy = MakeBusyPicture(this, names.busy);
    m_row->addWidget(m_busy);
    column->addLayout(m_row);
    m_list = MakeListView(this, names.list,
                          {{"Filename", 120, false},
                           {"Size", 70, true},
                           {"Type", 0, false},
                           {"Last Modified", 90, false}});
    column->addWidget(m_list, 1);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setItemDelegate(new RenameDelegate(this, m_list));
    m_list->installEventFilter(this);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, &FilePane::OpenRequested);
    connect(m_list, &QTreeWidget::itemSelectionChanged, this, &FilePane::SelectionChanged);
}

QString FilePane::Path() const {
    return m_path->text();
}

void FilePane::SetPath(const QString& path) {
    m_path->setText(path);
}

void FilePane::SetBusy(bool busy) {
    m_busy->setVisible(busy);
}

bool FilePane::HasSelection() const {
    return !m_list->selectedItems().isEmpty();
}

bool FilePane::IsActive() const {
    return QApplication::focusWidget() == m_list;
}

void FilePane::AddToPathRow(QWidget* widget) {
    m_row->addWidget(widget);
}

void FilePane::SetPathRowHeight(int height) {
    m_path->setMinimumHeight(height);
}

void FilePane::SetPopupMenu(QMenu* menu) {
    connect(m_list, &QWidget::customContextMenuRequested, menu,
            [this, menu](const QPoint& at) { menu->popup(m_list->viewport()->mapToGlobal(at)); });
}

namespace {
QIcon rowPicture(int image) {
    QStyle* style = QApplication::style();
    switch (image) {
    case 0:
        return style->standardIcon(QStyle::SP_DirIcon);
    case 2:
        return style->standardIcon(QStyle::SP_FileDialogToParent);
    default:
        return style->standardIcon(QStyle::SP_FileIcon);
    }
}
} // namespace

void FilePane::SetRows(const std::vector<PaneRow>& rows) {
    const QIcon pictures[] = {rowPicture(0), rowPicture(1), rowPicture(2)};
    // A listing of the same folder again keeps what the user had selected.
    QSet<QByteArray> selected;
    for (QTreeWidgetItem* row : m_list->selectedItems())
        selected.insert(RowName(row));
    const QByteArray current =
        m_list->currentItem() ? RowName(m_list->currentItem()) : QByteArray();
    m_list->setUpdatesEnabled(false);
    m_list->blockSignals(true);
    m_list->clear();
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(rows.size()));
    for (const PaneRow& r : rows) {
        auto* item = new QTreeWidgetItem({r.Caption, r.Size, r.Type, r.Modified});
        item->setIcon(0, pictures[r.Image >= 0 && r.Image <= 2 ? r.Image : 1]);
        item->setData(0, kImageRole, r.Image);
        item->setData(0, kNameRole, r.Name);
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        item->setFlags(item->flags() | Qt::ItemIsEditable);
        items << item;
    }
    m_list->addTopLevelItems(items);
    for (QTreeWidgetItem* item : items) {
        if (!current.isEmpty() && RowName(item) == current)
            m_list->setCurrentItem(item, 0, QItemSelectionModel::NoUpdate);
        if (selected.contains(RowName(item))) item->setSelected(true);
    }
    m_list->blockSignals(false);
    m_list->setUpdatesEnabled(true);
    emit SelectionChanged();
}

FilePane::~FilePane() {
    // The list and its delegate outlive this part of the pane: nothing may reach it now.
    m_list->removeEventFilter(this);
    m_list->itemDelegate()->disconnect(this);
}

void FilePane::StartRename() {
    if (QTreeWidgetItem* row = m_list->currentItem()) m_list->editItem(row, 0);
}

void FilePane::Clear() {
    m_list->clear();
}

int FilePane::RowImage(const QTreeWidgetItem* row) {
    return row->data(0, kImageRole).toInt();
}

QByteArray FilePane::RowName(const QTreeWidgetItem* row) {
    return row->data(0, kNameRole).toByteArray();
}

void FilePane::SetRowName(QTreeWidgetItem* row, const QByteArray& name) {
    row->setData(0, kNameRole, name);
}

QList<QTreeWidgetItem*> FilePane::SelectedRows() const {
    QList<QTreeWidgetItem*> rows;
    for (int i = 0; i < m_list->topLevelItemCount(); ++i)
        if (m_list->topLevelItem(i)->isSelected()) rows << m_list->topLevelItem(i);
    return rows;
}

bool FilePane::StartsWithParent() const {
    return m_list->topLevelItemCount() > 0 && m_list->topLevelItem(0)->text(0) == "..";
}

bool FilePane::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (watched != m_list || (type != QEvent::KeyPress && type != QEvent::KeyRelease))
        return QWidget::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (type == QEvent::KeyPress && key->key() == Qt::Key_Escape) emit EditingEnded();
    if (IsEditing && IsEditing()) return false;
    const bool plain =
        (key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)) == 0;
    const bool arrow = key->key() == Qt::Key_Left || key->key() == Qt::Key_Right;
    if (type == QEvent::KeyPress) {
        if (key->key() == Qt::Key_Backspace) {
            emit UpRequested();
            return true;
        }
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            emit OpenRequested();
            return true;
        }
        // The arrows act when released; their presses must not move in the list.
        return plain && arrow;
    }
    if (plain && arrow) {
        emit OtherPaneRequested();
        return true;
    }
    return false;
}
