#pragma once
// Quick connect: a server, a user name and a password typed in for one connection, without a
// configuration. The server is an address: a host, "host:port", or a URL with the scheme
// ftp://, ftpes:// (FTP over explicit TLS), ftps:// (FTP over implicit TLS) or sftp://, and
// optionally a start folder ("sftp://host:2222/site"). OK is offered while the server and
// the user name are filled in; a line below the server says what the address reads as, or
// what is wrong with it, and OK does not close the dialog on an address that is wrong.
#include "core/ftp/ServerAddress.h"

#include <QDialog>

#include <optional>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;

class TfmQuickConnect : public QDialog {
    Q_OBJECT
public:
    explicit TfmQuickConnect(QWidget* parent = nullptr);

    void accept() override;

    // What the dialog was accepted with. The address's path is the start folder ("/" when
    // none); a login written into the address is used only where its field is left empty.
    const pw::ServerAddress& Address() const { return m_address; }
    pw::ServerEndpoint Endpoint() const;
    std::string UserName() const;
    std::string Password() const;

    QLineEdit* edServer;
    QLineEdit* edUsername;
    QLineEdit* edPassword;
    QLabel* labServerAddress;
    QPushButton* btOK;
    QPushButton* btCancel;

private:
    void update();

    pw::ServerAddress m_address;
    bool m_addressValid = false;
};
