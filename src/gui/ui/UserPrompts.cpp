#include "gui/ui/UserPrompts.h"

#include <QDialog>
#include <QMessageBox>

void UserPrompts::RunDialog(QDialog& dialog) {
    dialog.exec();
}

void UserPrompts::ShowError(QWidget* parent, const QString& message) {
    QMessageBox::warning(parent, "Pagewright", message);
}

bool UserPrompts::AskYesNo(QWidget* parent, const QString& caption, const QString& text) {
    return QMessageBox::question(parent, caption, text, QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}
