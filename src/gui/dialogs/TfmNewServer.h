#pragma once
// The new-server wizard: four pages that ask for one server configuration, which Finish
// appends to the configuration file. Existing configurations are neither shown nor changed.
#include <QDialog>

#include <memory>
#include <string>

namespace pw {
class ConfigTables;
}
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QStackedWidget;

class TfmNewServer : public QDialog {
    Q_OBJECT
public:
    explicit TfmNewServer(QWidget* parent = nullptr);
    ~TfmNewServer() override;

    pw::ConfigTables& Tables() { return *m_tables; }
    const QString& LoadError() const { return m_loadError; }
    int PageIndex() const;

    // Defaults for the user's name and the temporary folder.
    static QString DefaultUserName();
    static QString DefaultTemporaryFolder();
    static QString FromLocalPath(const std::string& path);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QWidget* buildStartPage();
    QWidget* buildNamePage();
    QWidget* buildServerPage();
    QWidget* buildConnectionOptions(QWidget* page);
    QWidget* buildDiskPage();
    void goToPage(int index);
    void updateButtons();
    void browseFolder(QLineEdit* edit);
    void finish();

    std::unique_ptr<pw::ConfigTables> m_tables;
    QString m_loadError;
    bool m_loadErrorShown = false;

    QStackedWidget* pcWizard = nullptr;
    QLineEdit *edNameOfConfiguration = nullptr, *edName = nullptr, *edHost = nullptr,
              *edLoginname = nullptr, *edPassword = nullptr, *edFTPDirectory = nullptr,
              *edTempDirectory = nullptr;
    QPushButton *btPrevious = nullptr, *btNext = nullptr, *btCancel = nullptr, *btFinish = nullptr,
                *btBrowseFTP = nullptr, *btBrowseTemp = nullptr;
    // The connection settings on the server page, copied into the new record on Finish.
    QComboBox* cbProtocol = nullptr;
    QLineEdit *edPort = nullptr, *edKeyFile = nullptr;
    QCheckBox *rcPassiveMode = nullptr, *rcUploadViaTemporary = nullptr;
    QPushButton* btKeyFile = nullptr;
};
