#pragma once
// Local paths dropped for upload, expanded into the queue's upload jobs: a dropped file goes
// to the target folder; a dropped folder goes, with everything below it, to a folder of its
// name there (those jobs make missing server folders; an empty folder becomes a job that only
// makes the folder). Entries that cannot be uploaded are skipped and reported by name; the
// rest is still queued. Nothing is opened for writing: sizes come from read-only access.
#include "core/transfer/TransferJob.h"

#include <string>
#include <vector>

namespace pw {

enum class DropProblemKind {
    LinkLoop,        // a link to a folder that is already being walked (it contains the link)
    Unreadable,      // cannot be examined or read (no permission, a link leading nowhere, ...)
    NotFileOrFolder, // a device, pipe or socket
    BadName,         // a name a server cannot be sent (line break)
};

struct DropProblem {
    std::string Path; // the local path of the skipped entry
    DropProblemKind Kind = DropProblemKind::Unreadable;
    std::string Reason; // for the user, e.g. "Permission denied"
};

// "path: reason", the line a problem is reported with.
std::string DropProblemText(const DropProblem& problem);

struct DropExpansion {
    std::vector<TransferJob> Jobs; // in upload order
    std::vector<DropProblem> Problems;
};

// The jobs for `localPaths`, in the given order. Within a folder its files come first, then
// its sub-folders, each in byte order of their names. `server` gives the host, login and
// password of every job; its other fields are ignored.
DropExpansion ExpandDrop(const std::vector<std::string>& localPaths,
                         const std::string& remoteFolder, const TnkFTPRecord& server);

} // namespace pw
