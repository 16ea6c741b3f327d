#pragma once
// The controller of the remote file pane: connecting to the server of an FTP configuration
// or of a quick connect, one server folder listed in the pane's fixed order, going into
// folders and up, making, renaming and deleting entries there. Every server call runs on a
// worker of the session (thFTPConnect, thFTPRefresh); what it changes in the pane is handed
// to the GUI thread in order, so the window never waits for the server.
#include "core/ftp/ServerEndpoint.h"
#include "core/ftp/TrustedConnect.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <string>

namespace pw {
class TSimpleFTP;
struct TnkFTPRecord;
} // namespace pw
class CommandTable;
class FilePane;
class FtpSession;
class GaugeStatusBar;
class QTreeWidgetItem;
class QWidget;
class WorkerThread;
struct PaneServices;

class RemotePane : public QObject {
    Q_OBJECT
public:
    RemotePane(CommandTable& commands, FtpSession& session, PaneServices& services,
               GaugeStatusBar& status, QWidget* parent);

    FilePane* Pane() const { return m_pane; }
    bool HasSelection() const;
    bool IsActive() const;
    // Characters of the path shown: a path of one character is the server's root.
    int PathLength() const;
    void SetRefreshing(bool on);
    // Where files go that are copied or dropped onto the pane: the folder shown (as the
    // server names it) and the server, login and password of the connection in use.
    pw::TnkFTPRecord Target() const;
    // A name typed by the user or taken from this computer as the server takes it: UTF-8
    // or Windows-1252.
    std::string WireName(const QString& typed) const;

    // Connects with configuration `record`: its host, login, password (asked for when it
    // holds none) and default folder.
    void Connect(int record);
    // Connects to the server typed into the quick-connect dialog, starting in the folder of
    // its address.
    void QuickConnect();
    // The protocol, host and port of the last quick connect.
    const pw::ServerEndpoint& QuickEndpoint() const { return m_quickEndpoint; }
    // Ends the connection without waiting for the server, and empties the pane.
    void Disconnect();
    void Refresh();
    void GoRoot();
    void GoUp();
    void OpenRow();
    void MakeFolder();
    void DeleteSelected();

signals:
    void SelectionChanged();
    void OtherPaneRequested();
    // A quick connect hides the configuration chooser; Disconnect shows it again.
    void ChooserVisibilityChanged(bool visible);

private:
    void connectCommands(CommandTable& commands);
    void startConnect();
    // The question about an unknown certificate or host key for a connect on `worker`;
    // "Accept always" stores it with the configuration connected to.
    pw::TrustQuestion trustQuestion(WorkerThread& worker);
    // Runs `work` on the refresh worker with the pane marked as refreshing, then lists the
    // server's current folder into the pane.
    void runThenList(std::function<void(pw::TSimpleFTP&)> work);
    // On the worker: lists the current folder and hands the rows to the GUI thread.
    void listOnWorker(WorkerThread& worker);
    void renamed(QTreeWidgetItem* row, const QString& text);
    void showStatus(WorkerThread& worker, int gauge, const QString& text, bool success,
                    bool failure);

    FtpSession& m_session;
    PaneServices& m_services;
    GaugeStatusBar& m_status;
    WorkerThread& thFTPConnect;
    WorkerThread& thFTPRefresh;
    FilePane* m_pane;
    std::string m_wirePath = "/";                // the folder shown, as the server names it
    std::function<void(pw::TSimpleFTP&)> m_work; // the refresh worker's task before listing
    bool m_busyState = false; // the refresh worker runs the Refresh command (FTPState Busy)
    pw::ServerEndpoint m_quickEndpoint;
    int m_record = -1; // the configuration connected to; -1 after a quick connect
    // The connection's uploads go to a temporary name first (read by the workers).
    std::atomic<bool> m_uploadViaTemporary{true};
};
