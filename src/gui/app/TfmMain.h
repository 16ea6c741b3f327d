#pragma once
// The main window: composes the main menu, the main toolbar with the activity animation, the
// News, FTP and Transfers pages and the tray icon; owns the activity states, the command
// table and the command refresh, the record tables, the configuration reload, the window
// placement, the first activation and the close path. The pages own their controls; they are
// found by name below the window (findChild), as every command item is.
#include "core/app/ActivityState.h"
#include "core/app/CommandStates.h"
#include "core/config/ConfigTables.h"
#include "core/storage/TnkDBData.h"
#include "core/storage/TnkDBSource.h"

#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace pw {
class NewsClock;
}

class AnimatedImage;
class CommandTable;
class FtpPage;
class FtpSession;
class NewsController;
class NewsPage;
class PreviewLibrary;
struct PaneServices;
class QSystemTrayIcon;
class QTabWidget;
class QToolBar;
class QToolButton;
class TfmDropper;
class TransferController;
class TransfersPage;
class UserPrompts;
class WorkerThread;

class TfmMain : public QMainWindow {
    Q_OBJECT
public:
    // Every dialog and message box of the window and its pages is opened through `prompts`.
    explicit TfmMain(UserPrompts& prompts, QWidget* parent = nullptr);
    ~TfmMain() override;

    // Activity states and refreshing flags. The setters may be called from any thread: the
    // change runs on the GUI thread, in the order issued, and asks for a command refresh.
    pw::ActivityState NewsState() const { return m_newsState; }
    pw::ActivityState LinksState() const { return m_linksState; }
    pw::ActivityState FTPState() const { return m_ftpState; }
    pw::ActivityState TransferState() const { return m_transferState; }
    bool LocalRefreshing() const { return m_localRefreshing; }
    bool RemoteRefreshing() const { return m_remoteRefreshing; }
    void SetNewsState(pw::ActivityState state);
    void SetLinksState(pw::ActivityState state);
    void SetFTPState(pw::ActivityState state);
    void SetTransferState(pw::ActivityState state);
    void SetLocalRefreshing(bool on);
    void SetRemoteRefreshing(bool on);
    // Runs `step` on the GUI thread: at once when called there, else queued in order.
    void RunOnGuiThread(std::function<void()> step);

    bool LocalEditing = false;
    bool RemoteEditing = false;
    bool PreviewLoaded = false; // the preview library was found at start
    bool FirstActivationDone() const { return m_firstActivationDone; }

    // The command refresh: computes and applies the enabled state of every command item.
    // RequestCommandRefresh folds every request of one turn of the event loop into one
    // refresh at its end; UpdateCommandStates refreshes at once.
    void RequestCommandRefresh();
    void UpdateCommandStates();
    pw::CommandInputs CurrentCommandInputs();
    // False for a command shown in this version whose work is not built yet: never enabled.
    static bool HasFunction(const QString& item);

    // Reloads the configuration file; returns whether it was loaded. Load errors are shown.
    bool ReloadConfigFile(bool keepChoices);

    // Commands of the window itself.
    void NewServerCommand();
    void ConfigurationCommand();
    void AboutCommand();
    void MinimizeToTray();
    void RestoreFromTray();
    void GotoPage(const char* pageName); // "tsNews", "tsLinks", "tsFTP", "tsTransfers"
    void NewNewsfileCommand();
    // Opens the drop window, or closes it when it shows.
    void DropperWindowCommand();
    TfmDropper* DropperWindow() const;
    TransferController& Transfers() const { return *m_transferController; }
    // The clock New News takes the date and time from (the system's unless set).
    void SetNewsClock(std::shared_ptr<const pw::NewsClock> clock);

    // Record tables.
    pw::ConfigTables Config{pw::ConfigRole::MainWindow};
    pw::TnkDBSource& SettingsSource = Config.SettingsSource;
    pw::TnkDBSource& ConfigSource = Config.ConfigSource;
    pw::TnkDBSource& TranslationSource = Config.TranslationSource;
    pw::TnkDBData NewsData;
    pw::TnkDBSource NewsSource;

    // The downloaded news page, its working files and the transfer-list lock.
    std::vector<std::string> PageLines;
    QString DataFile, DirFile;
    std::mutex ftpMutex;

    // Worker-thread components, owned by the FTP sessions they use.
    WorkerThread *thNews, *thNewsPosting, *thFTPConnect, *thFTPRefresh, *thTransfer;

signals:
    // A configuration was chosen for the news page or the FTP page: by the user, by a reload
    // of the configuration file, and (news) once more on the close path.
    void NewsConfigurationSelected();
    void FTPConfigurationSelected();
    // One command refresh has been applied.
    void CommandsRefreshed();
    // The close path has run and the window closes.
    void Closed();

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    QMenu* createPopupMenu() override { return nullptr; }

private:
    void buildMenus();
    void buildMainToolbar();
    void buildPages();
    void buildTray();
    void connectCommands();
    void connectNewsCommands();
    void registerItems();
    void applyVisibility();
    void applyWindowPlacement();
    void applyPaneSplit();
    void customizeToolbar(QToolBar* toolbar);
    bool runCloseSteps(); // false when the window must stay open
    void setState(std::atomic<pw::ActivityState>& state, pw::ActivityState value);

    UserPrompts& m_prompts;
    CommandTable* m_commands;
    NewsPage* m_news;
    NewsController* m_newsController;
    std::unique_ptr<PreviewLibrary> m_preview;
    std::unique_ptr<PaneServices> m_paneServices;
    FtpPage* m_ftp;
    TransfersPage* m_transfers;
    TransferController* m_transferController;
    QPointer<TfmDropper> fmDropper; // empty while no drop window exists
    QTabWidget* PageControl;
    QToolBar* sbMain;
    AnimatedImage* BoltAnimation;
    QToolButton* wiMinimizeToTray;
    QSystemTrayIcon* TrayIcon;
    FtpSession *m_newsSession, *m_remoteSession, *m_transferSession;

    std::atomic<pw::ActivityState> m_newsState{pw::ActivityState::Idle};
    std::atomic<pw::ActivityState> m_linksState{pw::ActivityState::Idle};
    std::atomic<pw::ActivityState> m_ftpState{pw::ActivityState::Idle};
    std::atomic<pw::ActivityState> m_transferState{pw::ActivityState::Idle};
    std::atomic<bool> m_localRefreshing{false};
    std::atomic<bool> m_remoteRefreshing{false};
    bool m_firstActivationDone = false;
    bool m_loadFailed = false; // the file could not be read: closing must not overwrite it
    bool m_refreshing = false;
    bool m_refreshQueued = false;
    // The window was resized while the FTP page was not shown: its split is applied when the
    // page comes up, where its width is known. A split the user dragged is kept otherwise.
    bool m_splitPending = false;
    QHash<QString, QObject*> m_items;
};
