#include "gui/ui/FilePane.h"

#include "gui/ui/PageParts.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QTreeWidget>
#include <QVBoxLayout>

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
