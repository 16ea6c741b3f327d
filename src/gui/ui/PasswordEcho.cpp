#include "gui/ui/PasswordEcho.h"

#include <QLineEdit>

void ShowPasswordAsStars(QLineEdit* edit) {
    edit->setEchoMode(QLineEdit::Password);
    edit->setStyleSheet(QStringLiteral("lineedit-password-character: 42;")); // '*'
}
