#pragma once
// Asks for the name of a new folder. OK is enabled exactly while the name is not empty;
// nothing else about the name is checked here.
#include <QDialog>

class QLineEdit;
class QPushButton;

class TfmCreateFolder : public QDialog {
    Q_OBJECT
public:
    explicit TfmCreateFolder(QWidget* parent = nullptr);

    QString FolderName() const; // the entered text, unchanged

    QLineEdit* edFolder = nullptr;
    QPushButton* btOK = nullptr;
    QPushButton* btCancel = nullptr;
};
