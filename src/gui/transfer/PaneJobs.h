#pragma once
// The transfer jobs the copy commands make from the selected rows of a pane: one job a
// selected file (folders and ".." are skipped), in list order, for the remote pane's
// connection and folder and the local pane's folder.
#include "core/transfer/TransferJob.h"

#include <vector>

class LocalPane;
class RemotePane;

// Copy to server: the selected files of the local pane into the remote pane's folder.
std::vector<pw::TransferJob> UploadJobs(const LocalPane& local, const RemotePane& remote);
// Copy to local: the selected files of the remote pane into the local pane's folder, each
// with the time the server lists for it.
std::vector<pw::TransferJob> DownloadJobs(const RemotePane& remote, const LocalPane& local);
