#include "gui/transfer/PaneTransfers.h"

#include "gui/app/CommandTable.h"
#include "gui/ftp/FtpPage.h"
#include "gui/ftp/RemotePane.h"
#include "gui/local/LocalPane.h"
#include "gui/transfer/DropJobs.h"
#include "gui/transfer/PaneJobs.h"
#include "gui/transfer/TransferController.h"
#include "gui/ui/FileDropTarget.h"
#include "gui/ui/FilePane.h"
#include "gui/ui/PaneDragDrop.h"
#include "gui/ui/UserPrompts.h"

#include <QAction>
#include <QTreeWidget>

using namespace pw;

PaneTransfers::PaneTransfers(CommandTable& commands, FtpPage& page, TransferController& transfers,
                             UserPrompts& prompts, std::function<ActivityState()> ftpState,
                             QObject* parent)
    : QObject(parent), m_page(page), m_transfers(transfers), m_prompts(prompts),
      m_ftpState(std::move(ftpState)) {
    setObjectName("PaneTransfers");
    commands.On("LocalCopy",
                [this] { m_transfers.EnqueueTransfer(UploadJobs(m_page.Local(), m_page.Remote())); });
    commands.On("RemoteCopy", [this] {
        m_transfers.EnqueueTransfer(DownloadJobs(m_page.Remote(), m_page.Local()));
    });

    QTreeWidget* remoteList = m_page.Remote().Pane()->List();
    QTreeWidget* localList = m_page.Local().Pane()->List();
    const QString remoteName = remoteList->objectName();
    const QString localName = localList->objectName();
    // Rows dropped onto the other pane run the copy command through its menu item, so that
    // nothing happens while the command is disabled.
    auto* toRemote = new PaneDragDrop(remoteList, [this, localName](const QString& source) {
        return source == localName && m_ftpState() == ActivityState::Connected;
    });
    connect(toRemote, &PaneDragDrop::RowsDropped, this,
            [&commands] { commands.Item("miFTPCopyLocalToFTP")->trigger(); });
    auto* toLocal = new PaneDragDrop(
        localList, [remoteName](const QString& source) { return source == remoteName; });
    connect(toLocal, &PaneDragDrop::RowsDropped, this,
            [&commands] { commands.Item("miFTPCopyFTPToLocal")->trigger(); });

    auto* desktop = new FileDropTarget(
        remoteList->viewport(), [this] { return m_ftpState() == ActivityState::Connected; });
    desktop->setObjectName("dftFTPRemoteFiles");
    connect(desktop, &FileDropTarget::FilesDropped, this, [this](const QStringList& paths) {
        QueueDroppedFiles(paths, m_page.Remote().Target(), m_transfers, m_prompts,
                          m_page.window());
    });
}

void PaneTransfers::QueueDroppedFiles(const QStringList& paths, const TnkFTPRecord& target,
                                      TransferController& transfers, UserPrompts& prompts,
                                      QWidget* window) {
    QStringList problems;
    transfers.EnqueueTransfer(DroppedJobs(paths, target, problems));
    if (!problems.isEmpty())
        prompts.ShowError(window, "These were not queued:\n" + problems.join("\n"));
}
