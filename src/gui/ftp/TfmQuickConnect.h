#pragma once
// Quick connect: a server, a user name and a password typed in for one connection, without a
// configuration. OK is offered while the server and the user name are filled in.
#include <QDialog>

class QLineEdit;
class QPushButton;

class TfmQuickConnect : public QDialog {
    Q_OBJECT
public:
    explicit TfmQuickConnect(QWidget* parent = nullptr);

    QLineEdit* edServer;
    QLineEdit* edUsername;
    QLineEdit* edPassword;
    QPushButton* btOK;
    QPushButton* btCancel;
};
