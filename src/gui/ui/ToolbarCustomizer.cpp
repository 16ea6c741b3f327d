#include "gui/ui/ToolbarCustomizer.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>
#include <QToolBar>
#include <QVBoxLayout>

ToolbarCustomizer::ToolbarCustomizer(QToolBar* toolbar, QWidget* parent)
    : QDialog(parent), m_list(new QListWidget(this)) {
    setObjectName("fmToolbarCustomizer");
    setWindowTitle(tr("Customize toolbar"));
    m_list->setObjectName("lbButtons");
    for (QAction* action : toolbar->actions()) {
        if (action->isSeparator() || action->text().isEmpty()) continue;
        auto* item = new QListWidgetItem(action->icon(), action->text().remove('&'), m_list);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(action->isVisible() ? Qt::Checked : Qt::Unchecked);
        item->setData(Qt::UserRole, QVariant::fromValue(static_cast<QObject*>(action)));
    }
    connect(m_list, &QListWidget::itemChanged, this, [](QListWidgetItem* item) {
        if (auto* action = qobject_cast<QAction*>(item->data(Qt::UserRole).value<QObject*>()))
            action->setVisible(item->checkState() == Qt::Checked);
    });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addWidget(buttons);
    resize(280, 360);
}
