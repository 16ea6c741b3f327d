#include "gui/ftp/TfmQuickConnect.h"

#include "gui/dialogs/DialogLayout.h"
#include "gui/ui/Cp1252Text.h"
#include "gui/ui/PasswordEcho.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace pw;

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
    edServer->setPlaceholderText("host, host:port or ftp://, ftpes://, ftps://, sftp://host");
    edUsername = edit("edUsername");
    edPassword = edit("edPassword");
    ShowPasswordAsStars(edPassword);
    labServerAddress = new QLabel(this);
    labServerAddress->setObjectName("labServerAddress");
    auto* fields = new QFormLayout;
    fields->addRow("Server", edServer);
    fields->addRow(QString(), labServerAddress);
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

    connect(edServer, &QLineEdit::textChanged, this, &TfmQuickConnect::update);
    connect(edUsername, &QLineEdit::textChanged, this, &TfmQuickConnect::update);
    connect(btOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TfmQuickConnect::update() {
    m_address = ServerAddress();
    m_addressValid = false;
    QString reading;
    if (!edServer->text().isEmpty()) {
        try {
            m_address = ParseServerAddress(ToCp1252(edServer->text()));
            m_addressValid = true;
            reading = QStringLiteral("%1, port %2")
                          .arg(QString::fromLatin1(ProtocolCaption(m_address.protocol)))
                          .arg(m_address.EffectivePort());
        } catch (const EServerAddress& e) {
            reading = FromCp1252(e.what());
        }
    }
    labServerAddress->setText(reading);
    btOK->setEnabled(!edServer->text().isEmpty() && !edUsername->text().isEmpty());
}

void TfmQuickConnect::accept() {
    if (!m_addressValid) {
        edServer->setFocus();
        return;
    }
    QDialog::accept();
}

ServerEndpoint TfmQuickConnect::Endpoint() const {
    ServerEndpoint endpoint;
    endpoint.protocol = m_address.protocol;
    endpoint.host = m_address.host;
    endpoint.port = m_address.EffectivePort();
    return endpoint;
}

std::string TfmQuickConnect::UserName() const {
    return edUsername->text().isEmpty() ? m_address.user : ToCp1252(edUsername->text());
}

std::string TfmQuickConnect::Password() const {
    return edPassword->text().isEmpty() ? m_address.password : ToCp1252(edPassword->text());
}
