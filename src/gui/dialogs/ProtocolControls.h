#pragma once
// The connection controls of the configuration dialog and the new-server wizard that follow
// the chosen protocol: the scheme shown before the host, the protocol's default port shown in
// an empty port edit, passive mode only where there are data connections (not SFTP), and the
// key file only for SFTP.
#include <QString>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

struct ProtocolControls {
    QComboBox* Protocol = nullptr; // items in FtpProtocol order
    QLabel* HostScheme = nullptr;  // "ftp://" before the host; optional
    QLineEdit* Port = nullptr;
    QCheckBox* Passive = nullptr;
    QLineEdit* KeyFile = nullptr;
    QPushButton* KeyFileButton = nullptr;

    // Fills the protocol list, takes only digits into the port edit, and from now on keeps
    // the other controls in step with the protocol chosen (by the user or by the record).
    void Follow() const;
};

// An existing private key file, or an empty text when the user cancels.
QString ChooseKeyFile(QWidget* parent);
