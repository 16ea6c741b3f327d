#pragma once
// The routes from the file panes into the transfer queue: the two copy commands (and F5),
// rows dragged from one pane's list onto the other's, and files dragged from the desktop
// onto the remote list while it is connected.
#include "core/app/ActivityState.h"

#include <QObject>
#include <QStringList>

#include <functional>

class CommandTable;
class FtpPage;
class TransferController;
class UserPrompts;
namespace pw {
struct TnkFTPRecord;
}

class PaneTransfers : public QObject {
    Q_OBJECT
public:
    PaneTransfers(CommandTable& commands, FtpPage& page, TransferController& transfers,
                  UserPrompts& prompts, std::function<pw::ActivityState()> ftpState,
                  QObject* parent = nullptr);

    // Queues the files and folders dropped from the desktop as uploads to `target` (its
    // folder, server and login), in the order given; what cannot be sent is shown by name.
    static void QueueDroppedFiles(const QStringList& paths, const pw::TnkFTPRecord& target,
                                  TransferController& transfers, UserPrompts& prompts,
                                  QWidget* window);

private:
    FtpPage& m_page;
    TransferController& m_transfers;
    UserPrompts& m_prompts;
    std::function<pw::ActivityState()> m_ftpState;
};
