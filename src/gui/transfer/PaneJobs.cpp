#include "gui/transfer/PaneJobs.h"

#include "core/local/LocalRows.h"
#include "gui/ftp/RemotePane.h"
#include "gui/local/LocalPane.h"
#include "gui/ui/FilePane.h"

#include <QFile>
#include <QTreeWidgetItem>

using namespace pw;

namespace {
std::string WithSlash(std::string folder) {
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder;
}

QList<QTreeWidgetItem*> SelectedFiles(const FilePane& pane) {
    QList<QTreeWidgetItem*> files;
    for (QTreeWidgetItem* row : pane.SelectedRows())
        if (FilePane::RowImage(row) == kFileImage) files << row;
    return files;
}
} // namespace

std::vector<TransferJob> UploadJobs(const LocalPane& local, const RemotePane& remote) {
    const TnkFTPRecord target = remote.Target();
    const std::string folder = WithSlash(local.FolderBytes());
    std::vector<TransferJob> jobs;
    for (const QTreeWidgetItem* row : SelectedFiles(*local.Pane())) {
        TransferJob job;
        job.Record = target;
        job.Record.Upload = true;
        job.Record.LocalFile = folder + FilePane::RowName(row).toStdString();
        job.Record.RemoteFile = remote.WireName(row->text(0));
        job.SizeText = row->text(1).toStdString();
        jobs.push_back(std::move(job));
    }
    return jobs;
}

std::vector<TransferJob> DownloadJobs(const RemotePane& remote, const LocalPane& local) {
    const TnkFTPRecord target = remote.Target();
    const std::string folder = WithSlash(local.FolderBytes());
    std::vector<TransferJob> jobs;
    for (const QTreeWidgetItem* row : SelectedFiles(*remote.Pane())) {
        TransferJob job;
        job.Record = target;
        job.Record.Upload = false;
        job.Record.RemoteFile = FilePane::RowName(row).toStdString();
        // The local name is the name as shown, in the encoding of this computer's names.
        job.Record.LocalFile = folder + QFile::encodeName(row->text(0)).toStdString();
        job.Record.FileDate = FileDateFromText(row->text(3).toStdString());
        job.SizeText = row->text(1).toStdString();
        jobs.push_back(std::move(job));
    }
    return jobs;
}
