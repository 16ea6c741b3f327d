#pragma once
// The FTP page: the configuration chooser and the pane commands on its toolbar, the remote
// and the local pane side by side, the function keys between them and the status bar.
#include <QWidget>

class CommandTable;
class QAction;
class DBComboBox;
class FtpSession;
class LocalPane;
class PaneKeys;
class QSplitter;
class QToolBar;
class RemotePane;
struct PaneServices;
namespace pw {
class TnkDBSource;
}

class FtpPage : public QWidget {
    Q_OBJECT
public:
    FtpPage(CommandTable& commands, FtpSession& session, PaneServices& services,
            QWidget* parent = nullptr);
    ~FtpPage() override;

    RemotePane& Remote() const { return *m_remote; }
    LocalPane& Local() const { return *m_local; }
    QToolBar* Toolbar() const { return m_toolbar; }

    void FillChooser(pw::TnkDBSource& configurations, pw::TnkDBSource& settings);
    int ChosenConfiguration() const;
    // The FTP configuration handler: the drop window's target and the local pane follow the
    // chosen configuration.
    void ConfigurationSelected();
    // Splits the page's width between the panes as stored for a page `pageWidth` wide.
    void ApplySplit(int pageWidth);
    void UpdateFunctionKeys();

signals:
    // The user picked a configuration in the chooser.
    void ConfigurationChosen();

private:
    PaneServices& m_services;
    QToolBar* m_toolbar;
    DBComboBox* cbFTPConfig;
    QAction* m_chooserItem; // the chooser's place on the toolbar
    QSplitter* spFTP;
    RemotePane* m_remote;
    LocalPane* m_local;
    PaneKeys* m_keys;
};
