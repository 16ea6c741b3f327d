#pragma once
// The controller of the remote file pane: the folder of the FTP session on the server, its
// pop-up menu and the (fixed) sort order of its list.
#include <QObject>

class CommandTable;
class FilePane;
class FtpSession;
class QWidget;

class RemotePane : public QObject {
    Q_OBJECT
public:
    RemotePane(CommandTable& commands, FtpSession& session, QWidget* parent);

    FilePane* Pane() const { return m_pane; }
    bool HasSelection() const;
    bool IsActive() const;
    // Characters of the path shown: a path of one character is the server's root.
    int PathLength() const;
    void SetRefreshing(bool on);
    // Ends the connection without waiting for the server.
    void Disconnect();

signals:
    void SelectionChanged();

private:
    FtpSession& m_session;
    FilePane* m_pane;
};
