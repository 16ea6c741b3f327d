#pragma once
// The prompt for the FTP password when none is held.
#include <QDialog>

#include <optional>

class QLineEdit;
class QPushButton;

class TfmPassword : public QDialog {
    Q_OBJECT
public:
    explicit TfmPassword(QWidget* parent = nullptr);

    // Shows the prompt modally over `parent`. Returns the typed text (possibly empty) when
    // the user confirms with OK, nothing when the prompt is closed otherwise.
    static std::optional<QString> Ask(QWidget* parent);

    QLineEdit* edPassword = nullptr;
    QPushButton* btOK = nullptr;
};
