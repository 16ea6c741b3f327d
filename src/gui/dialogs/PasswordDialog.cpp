#include "gui/dialogs/PasswordDialog.h"

#include "gui/dialogs/DialogLayout.h"
#include "gui/dialogs/DialogPictures.h"
#include "gui/ui/PasswordEcho.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TfmPassword::TfmPassword(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("fmPassword"));
    setWindowTitle(QStringLiteral("Enter your password for ftp"));

    auto* picture = new QLabel(this);
    picture->setPixmap(DialogPictures::Key(32));
    auto* label = new QLabel(QStringLiteral("Password"), this);
    edPassword = new QLineEdit(this);
    edPassword->setObjectName(QStringLiteral("edPassword"));
    ShowPasswordAsStars(edPassword);
    label->setBuddy(edPassword);
    btOK = new QPushButton(QStringLiteral("OK"), this);
    btOK->setObjectName(QStringLiteral("btOK"));
    btOK->setDefault(true);

    auto* entry = new QHBoxLayout;
    entry->addWidget(picture);
    entry->addWidget(label);
    entry->addWidget(edPassword, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btOK);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(entry);
    layout->addLayout(buttons);
    connect(btOK, &QPushButton::clicked, this, &QDialog::accept);

    DialogLayout::FitClientArea(this, QSize(300, 90), true);
    edPassword->setFocus();
}

std::optional<QString> TfmPassword::Ask(QWidget* parent) {
    TfmPassword dialog(parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.edPassword->text();
}
