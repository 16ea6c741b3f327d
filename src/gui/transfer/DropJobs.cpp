#include "gui/transfer/DropJobs.h"

#include "core/transfer/DropExpansion.h"

#include <QFile>

using namespace pw;

std::vector<TransferJob> DroppedJobs(const QStringList& paths, const TnkFTPRecord& target,
                                     QStringList& problems) {
    std::vector<std::string> local;
    local.reserve(size_t(paths.size()));
    for (const QString& path : paths)
        local.push_back(QFile::encodeName(path).toStdString());
    DropExpansion expanded = ExpandDrop(local, target.RemoteFolder, target);
    for (const DropProblem& problem : expanded.Problems)
        problems << QFile::decodeName(QByteArray::fromStdString(DropProblemText(problem)));
    return std::move(expanded.Jobs);
}
