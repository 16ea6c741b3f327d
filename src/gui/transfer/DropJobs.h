#pragma once
// The upload jobs for files and folders dropped from the desktop: each dropped file, and
// every file below a dropped folder (whose folders are made on the server as needed), in
// the order given, for the server, login and folder of `target`. What cannot be sent is
// added to `problems`, one line a name with the reason.
#include "core/transfer/TransferJob.h"

#include <QStringList>

#include <vector>

std::vector<pw::TransferJob> DroppedJobs(const QStringList& paths, const pw::TnkFTPRecord& target,
                                         QStringList& problems);
