#include "gui/dialogs/DialogLayout.h"

#include <QDialog>
#include <QFrame>
#include <QLayout>

namespace DialogLayout {

QFrame* HorizontalRule(QWidget* parent) {
    auto* rule = new QFrame(parent);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    return rule;
}

void FitClientArea(QDialog* dialog, QSize designed, bool fixed) {
    if (QLayout* layout = dialog->layout()) layout->activate();
    const QSize size = designed.expandedTo(dialog->minimumSizeHint());
    if (fixed)
        dialog->setFixedSize(size);
    else
        dialog->resize(size);
}

} // namespace DialogLayout
