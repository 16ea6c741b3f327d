#include "gui/ftp/TfmQuickConnect.h"

#include "gui/dialogs/DialogLayout.h"
#include "gui/ui/PasswordEcho.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TfmQuickConnect::TfmQuickConnect(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    setObjectName("fmQuickConnect");
    setWindowTitle("Quick connect for ftp-client");
    const auto edit = [this](const char* name) {
        auto* e = new QLineEdit(this);
        e->setObjectName(QString::fromLatin1(name));
        return e;
    };
    edServer = edit("edServer");
    edUsername = edit("edUsername");
    edPassword = edit("edPassword");
    ShowPasswordAsStars(edPassword);
    auto* server = new QHBoxLayout;
    server->addWidget(new QLabel("ftp://", this));
    server->addWidget(edServer, 1);
    auto* fields = new QFormLayout;
    fields->addRow("Server", server);
    fields->addRow("Username", edUsername);
    fields->addRow("Password", edPassword);

    btOK = new QPushButton("OK", this);
    btOK->setObjectName("btOK");
    btOK->setDefault(true);
    btOK->setEnabled(false);
    btCancel = new QPushButton("Cancel", this);
    btCancel->setObjectName("btCancel");
    btCancel->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btOK);
    buttons->addWidget(btCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Please enter the server where you want to connect.\n"
                                 "You also need a username and the password for your account.",
                                 this));
    layout->addWidget(DialogLayout::HorizontalRule(this));
    layout->addLayout(fields);
    layout->addWidget(DialogLayout::HorizontalRule(this));
    layout->addLayout(buttons);

    const auto update = [this] {
        btOK->setEnabled(!edServer->text().isEmpty() && !edUsername->text().isEmpty());
    };
    connect(edServer, &QLineEdit::textChanged, this, update);
    connect(edUsername, &QLineEdit::textChanged, this, update);
    connect(btOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);
}
