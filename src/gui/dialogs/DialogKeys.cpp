#include "gui/dialogs/DialogKeys.h"

#include <QKeyEvent>

namespace DialogKeys {

bool SwallowEnterAndEscape(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept();
        return true;
    default:
        return false;
    }
}

} // namespace DialogKeys
