#include "gui/ui/PageParts.h"

#include "gui/ui/MainPictures.h"

#include <QHeaderView>
#include <QLabel>
#include <QStringList>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

QToolBar* MakePageToolbar(QWidget* parent, const char* name) {
    auto* bar = new QToolBar(parent);
    bar->setObjectName(QString::fromLatin1(name));
    bar->setIconSize(QSize(16, 16));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setStyleSheet("QToolButton { min-width: 20px; min-height: 19px; padding: 1px; }");
    return bar;
}

void AddToolbarSpacer(QToolBar* toolbar) {
    auto* spacer = new QWidget(toolbar);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    toolbar->addWidget(spacer);
}

QVBoxLayout* MakeColumn(QWidget* widget) {
    auto* layout = new QVBoxLayout(widget);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    return layout;
}

QTreeWidget* MakeListView(QWidget* parent, const char* name,
                          std::initializer_list<std::tuple<const char*, int, bool>> columns) {
    auto* list = new QTreeWidget(parent);
    list->setObjectName(QString::fromLatin1(name));
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    QStringList captions;
    for (const auto& c : columns)
        captions << std::get<0>(c);
    list->setHeaderLabels(captions);
    int i = 0;
    for (const auto& [caption, width, right] : columns) {
        if (width > 0) list->setColumnWidth(i, width);
        if (right) list->headerItem()->setTextAlignment(i, Qt::AlignRight | Qt::AlignVCenter);
        ++i;
    }
    list->header()->setSectionsClickable(false);
    return list;
}

QLabel* MakeBusyPicture(QWidget* parent, const char* name) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setPixmap(MainPicture(MainGlyph::Busy).pixmap(16, 16));
    label->setFixedSize(16, 16);
    label->hide();
    return label;
}
