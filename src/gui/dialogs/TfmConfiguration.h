#pragma once
// The configuration dialog: edits a copy of the configuration file's three tables (general
// settings, server configurations, translation table). Passwords are held in clear while it
// is open. OK saves the file atomically and closes; Cancel and Escape write nothing.
#include <QDialog>

#include <memory>

namespace pw {
class ConfigTables;
}
class QAction;
class QLabel;
class QPushButton;
class QTabWidget;
class DBEdit;

class TfmConfiguration : public QDialog {
    Q_OBJECT
public:
    explicit TfmConfiguration(QWidget* parent = nullptr);
    ~TfmConfiguration() override;

    pw::ConfigTables& Tables() { return *m_tables; }
    // Why the configuration file could not be read, empty when it was read (or absent).
    // After such a failure OK stays disabled so that the file is never overwritten.
    const QString& LoadError() const { return m_loadError; }

    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildToolbar();
    void buildPages();
    QWidget* buildGlobalPage();
    QWidget* buildGuiPage();
    QWidget* buildConfirmationsPage();
    QWidget* buildConfigurationPage();
    QWidget* buildServerPage();
    QWidget* buildNews1Page();
    QWidget* buildNews2Page();
    QWidget* buildLinksPage();
    QWidget* buildFtpPage();

    void updateConfigurationCommands();
    void updateTranslationCommands();
    void updateTitle();
    void moveConfiguration(int step);
    void browseFolder(DBEdit* edit);
    void chooseNewsLocalFile();
    void loadTranslationTable();
    void saveTranslationTable();

    std::unique_ptr<pw::ConfigTables> m_tables;
    QString m_loadError;
    bool m_loadErrorShown = false;

    QLabel* labCfgNo = nullptr;
    QAction *siCfgNew = nullptr, *siCfgDelete = nullptr, *siCfgFirst = nullptr,
            *siCfgPrev = nullptr, *siCfgNext = nullptr, *siCfgLast = nullptr,
            *siCfgMoveLeft = nullptr, *siCfgMoveRight = nullptr;
    QAction *siTranslationClear = nullptr, *siTranslationLoad = nullptr,
            *siTranslationSave = nullptr, *siTranslationAdd = nullptr,
            *siTranslationDelete = nullptr;
    QTabWidget* pcConfiguration = nullptr;
    DBEdit *edTransChar = nullptr, *edNameOfCfg = nullptr, *edLocalFTPDirectory = nullptr,
           *edTemporaryDirectory = nullptr, *edNewsLocalFile = nullptr;
    QPushButton *btBrowseFTP = nullptr, *btBrowseTemp = nullptr, *btNewsLocalFile = nullptr;
    QPushButton *btOK = nullptr, *btCancel = nullptr;
};
