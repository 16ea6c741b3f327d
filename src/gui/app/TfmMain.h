#pragma once
// The main window: main menu, main toolbar with the activity animation, the four pages with
// their toolbars, lists and status bars, the tray icon, the activity states and the command
// refresh, the configuration reload, window placement, first activation and the close path.
// Components are public members named as in the rest of the program (and as objectNames), so
// that the parts that fill the pages reach them directly.
#include "core/app/ActivityState.h"
#include "core/app/CommandStates.h"
#include "core/config/ConfigTables.h"
#include "core/storage/TnkDBData.h"
#include "core/storage/TnkDBSource.h"
#include "gui/app/TfmMainHooks.h"

#include <QHash>
#include <QMainWindow>
#include <QStringList>

#include <atomic>
#include <mutex>

class AnimatedImage;
class DBComboBox;
class DBEdit;
class DBMemo;
class GaugeStatusBar;
class QAction;
class QActionGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QSplitter;
class QSystemTrayIcon;
class QTabWidget;
class QToolBar;
class QToolButton;
class QTreeWidget;
class FtpSession;
class WorkerThread;

class TfmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TfmMain(QWidget* parent = nullptr);
    ~TfmMain() override;

    TfmMainHooks Hooks;

    // Activity states and refreshing flags. The setters may be called from any thread: the
    // change and the command refresh run on the GUI thread, in the order issued.
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
    bool FirstActivationDone = false;
    bool PreviewLoaded = false; // the preview library is available

    // The command refresh: computes and applies the enabled state of every command item.
    void UpdateCommandStates();
    pw::CommandInputs CurrentCommandInputs();
    // The enabled state that the refresh last applied, by item name.
    QObject* CommandItem(const QString& name) const { return m_items.value(name); }
    // False for a command shown in this version whose work is not built yet: never enabled.
    static bool HasFunction(const QString& item);

    // Reloads the configuration file; returns whether it was loaded. Load errors are shown.
    bool ReloadConfigFile(bool keepChoices);
    void ApplyVisibility();
    void ApplyWindowPlacement();
    void ApplyPaneSplit();

    // Commands of the window itself.
    void NewServerCommand();
    void ConfigurationCommand();
    void AboutCommand();
    void MinimizeToTray();
    void RestoreFromTray();
    void CustomizeToolbar(QToolBar* toolbar);
    void GotoPage(QWidget* page);

    // Record tables.
    pw::ConfigTables Config{pw::ConfigRole::MainWindow};
    pw::TnkDBSource& SettingsSource = Config.SettingsSource;
    pw::TnkDBSource& ConfigSource = Config.ConfigSource;
    pw::TnkDBSource& TranslationSource = Config.TranslationSource;
    pw::TnkDBData NewsData;
    pw::TnkDBSource NewsSource;

    // The downloaded news page, its working files and the transfer-list lock.
    QStringList PageLines;
    QString DataFile, DirFile;
    std::mutex ftpMutex;

    // Worker-thread components, owned by the FTP sessions they use.
    WorkerThread *thNews, *thNewsPosting, *thFTPConnect, *thFTPRefresh, *thTransfer;

    // Main menu.
    QMenu *miFile, *miNews, *miLinks, *miFTP, *miFTPRemote, *miFTPLocal, *miTransfer, *miHelp;
    QAction *miNewServer, *miNewNewsfile, *miDropperWindow, *miMinimizeToTray, *miConfiguration,
        *miExit;
    QAction *miNewsGoto, *miNewsStart, *miNewsStop, *miNewsPost, *miNewsPreview, *miNewsNew,
        *miNewsDelete, *miNewsFirst, *miNewsPrev, *miNewsNext, *miNewsLast, *miNewsEditHeader,
        *miNewsEditFooter;
    QAction *miLinksGoto, *miLinksStart, *miLinksStop, *miLinksPost;
    QAction *miFTPGoto, *miFTPConnect, *miFTPQuickConnect, *miFTPDisconnect;
    QAction *miFTPRefreshFTP, *miFTPRemoteDirRoot, *miFTPRemoteDirUp, *miFTPMakeDirectoryFTP,
        *miFTPCopyFTPToLocal, *miFTPRenameRemoteFile, *miFTPDeleteOnFTP;
    QAction *miFTPRemoteSortUnsorted, *miFTPRemoteSortName, *miFTPRemoteSortExtension,
        *miFTPRemoteSortTimeDate, *miFTPRemoteSortSize;
    QAction *miFTPRefreshLocal, *miFTPLocalDirRoot, *miFTPLocalDirUp, *miFTPMakeDirectoryLocal,
        *miFTPCopyLocalToFTP, *miFTPRenameLocalFile, *miFTPDeleteOnLocal;
    QAction *miFTPLocalSortUnsorted, *miFTPLocalSortName, *miFTPLocalSortExtension,
        *miFTPLocalSortTimeDate, *miFTPLocalSortSize;
    QActionGroup* agFTPLocalSort;
    QAction *miFTPRenameFile, *miFTPRefreshFolder, *miFTPEditOnlineHtml, *miFTPCopyFile,
        *miFTPMoveFile, *miFTPMakeFolder, *miFTPDeleteFile;
    QAction *miTransferGoto, *miTransferStop, *miTransferRestart, *miTransferPause,
        *miTransferDelete, *miTransferLoad, *miTransferSave;
    QAction* miHelpAbout;
    QToolButton* wiMinimizeToTray;

    // Main toolbar.
    QToolBar* sbMain;
    QMenu* pmsbMain;
    QAction *siMinimizeToTray, *siConfiguration, *siExit, *siNewsStart, *siNewsStop, *siNewsPost,
        *siLinksStart, *siFTPConnect, *siFTPDisconnect, *siHelpAbout;
    AnimatedImage* BoltAnimation;

    // Pages.
    QTabWidget* PageControl;
    QWidget *tsNews, *tsLinks, *tsFTP, *tsTransfers;

    // News page.
    QToolBar* sbNews;
    DBComboBox* cbNewsConfig;
    QLabel* lbNewsPosition;
    QAction *siNewsNew, *siNewsDelete, *siNewsPreview, *siNewsFirst, *siNewsPrev, *siNewsNext,
        *siNewsLast, *siNewsEditHeader, *siNewsEditFooter;
    DBEdit *edNewsDate, *edNewsTime, *edNewsName, *edNewsHeader, *edNewsFooter;
    DBMemo* edNewsText;
    QPlainTextEdit* edNewsHTMLEditor; // stand-in until the HTML editor takes its place
    QCheckBox* cbNewsBetweenTag;
    GaugeStatusBar* sbaNews;

    // FTP page.
    QToolBar* sbFTP;
    QMenu* pmsbFTP;
    DBComboBox* cbFTPConfig;
    QAction *siFTPQuickConnect, *siFTPEditOnlineHtml, *siFTPRefreshFTP, *siFTPRemoteDirRoot,
        *siFTPRemoteDirUp, *siFTPMakeDirectoryFTP, *siFTPCopyFTPToLocal, *siFTPRenameRemoteFile,
        *siFTPDeleteOnFTP, *siFTPRefreshLocal, *siFTPLocalDirRoot, *siFTPLocalDirUp,
        *siFTPMakeDirectoryLocal, *siFTPCopyLocalToFTP, *siFTPRenameLocalFile, *siFTPDeleteOnLocal;
    QSplitter* spFTP;
    QWidget *pnRemote, *pnLocal;
    QLabel *labRemotePath, *labLocalPath, *imFTPRemoteRefresh, *imFTPLocalRefresh;
    QComboBox* cbLocalDrives;
    QTreeWidget *lvRemoteFiles, *lvLocalFiles;
    QMenu *pmlvRemoteFiles, *pmlvLocalFiles;
    QAction *milvRemoteRefresh, *milvRemoteRoot, *milvRemoteUp, *milvRemoteCreateFolder,
        *milvRemoteCopy, *milvRemoteRename, *milvRemoteDelete;
    QAction *milvLocalRefresh, *milvLocalRoot, *milvLocalUp, *milvLocalCreateFolder, *milvLocalCopy,
        *milvLocalRename, *milvLocalDelete;
    GaugeStatusBar* sbaFTP;

    // Transfers page.
    QToolBar* sbTransfers;
    QAction *siTransferStop, *siTransferPause, *siTransferRestart, *siTransferDelete,
        *siTransferLoad, *siTransferSave;
    QActionGroup* agTransferRun;
    QLabel *labTransfer, *labTransferPercent;
    QProgressBar* pbTransfer;
    QTreeWidget* lvTransfer;
    GaugeStatusBar* sbaTransfers;

    // Tray.
    QSystemTrayIcon* TrayIcon;
    QMenu* pmTray;
    QAction *mistRestorePagewright, *mistDropperWindow, *mistExit;

signals:
    // The close path has run and the window closes.
    void Closed();

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    QMenu* createPopupMenu() override { return nullptr; }

private:
    QAction* item(QAction*& member, const char* name, const QString& text, int glyph = -1);
    void buildMenus();
    void buildMainToolbar();
    void buildNewsPage();
    void buildFTPPage();
    void buildTransfersPage();
    void buildTray();
    void connectCommands();
    void registerItems();
    void fillChooser(DBComboBox* chooser, const char* settingsField);
    void updateFunctionKeyItems();
    bool runCloseSteps(); // false when the window must stay open
    void setState(std::atomic<pw::ActivityState>& state, pw::ActivityState value);

    std::atomic<pw::ActivityState> m_newsState{pw::ActivityState::Idle};
    std::atomic<pw::ActivityState> m_linksState{pw::ActivityState::Idle};
    std::atomic<pw::ActivityState> m_ftpState{pw::ActivityState::Idle};
    std::atomic<pw::ActivityState> m_transferState{pw::ActivityState::Idle};
    std::atomic<bool> m_localRefreshing{false};
    std::atomic<bool> m_remoteRefreshing{false};
    bool m_loadFailed = false; // the file could not be read: closing must not overwrite it
    bool m_refreshing = false;
    // The window was resized while the FTP page was not shown: its split is applied when the
    // page comes up, where its width is known. A split the user dragged is kept otherwise.
    bool m_splitPending = false;
    QHash<QString, QObject*> m_items;
    FtpSession *m_newsSession, *m_remoteSession, *m_transferSession;
};
