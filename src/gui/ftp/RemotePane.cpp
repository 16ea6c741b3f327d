#include "gui/ftp/RemotePane.h"

#include "gui/app/CommandTable.h"
#include "gui/ftp/FtpSession.h"
#include "gui/ui/FilePane.h"

#include <QTreeWidget>

RemotePane::RemotePane(CommandTable& commands, FtpSession& session, QWidget* parent)
    : QObject(parent), m_session(session) {
    setObjectName("RemotePane");
    m_pane =
        new FilePane({"pnRemote", "labRemotePath", "imFTPRemoteRefresh", "lvRemoteFiles"}, parent);
    m_pane->SetPopupMenu(commands.MakePopup(m_pane->List(), "pmlvRemoteFiles"));
    commands.MakeGroup("RemoteSort", this);
    connect(m_pane, &FilePane::SelectionChanged, this, &RemotePane::SelectionChanged);
}

bool RemotePane::HasSelection() const {
    return m_pane->HasSelection();
}

bool RemotePane::IsActive() const {
    return m_pane->IsActive();
}

int RemotePane::PathLength() const {
    return m_pane->Path().size();
}

void RemotePane::SetRefreshing(bool on) {
    m_pane->SetBusy(on);
}

void RemotePane::Disconnect() {
    m_session.RequestAbort();
}
