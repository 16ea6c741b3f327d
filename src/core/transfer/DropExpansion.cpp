#include "core/transfer/DropExpansion.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace pw {

namespace {
struct FolderId {
    dev_t Device;
    ino_t Inode;
    bool operator==(const FolderId&) const = default;
};

std::string JoinRemote(const std::string& folder, const std::string& name) {
    if (!folder.empty() && folder.back() == '/') return folder + name;
    return folder + "/" + name;
}

class DropWalker {
public:
    DropWalker(DropExpansion& result, const TnkFTPRecord& server)
        : m_result(result), m_server(server) {}

    // One entry: `path` is local, `remoteFolder` the server folder it goes into, `inFolder`
    // whether it came from a dropped folder.
    void Entry(const std::string& path, const std::string& name, const std::string& remoteFolder,
               bool inFolder) {
        if (name.find_first_of("\r\n") != std::string::npos)
            return Problem(path, DropProblemKind::BadName, "name holds a line break");
        struct stat info {};
        if (::stat(path.c_str(), &info) != 0) return Problem(path, errno);
        if (S_ISDIR(info.st_mode)) return Folder(path, JoinRemote(remoteFolder, name), info);
        if (!S_ISREG(info.st_mode))
            return Problem(path, DropProblemKind::NotFileOrFolder, "neither a file nor a folder");
        // Opened for reading only: it must be readable, and the size is that of the file
        // actually opened.
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
        if (fd < 0) return Problem(path, errno);
        const bool ok = ::fstat(fd, &info) == 0;
        const int error = errno;
        ::close(fd);
        if (!ok) return Problem(path, error);
        TransferJob job = Job(path, remoteFolder, inFolder);
        job.Record.RemoteFile = name;
        job.SizeText = std::to_string(int64_t(info.st_size));
        m_result.Jobs.push_back(std::move(job));
    }

private:
    void Folder(const std::string& path, const std::string& remoteFolder, const struct stat& info) {
        const FolderId id{info.st_dev, info.st_ino};
        if (std::find(m_walking.begin(), m_walking.end(), id) != m_walking.end())
            return Problem(path, DropProblemKind::LinkLoop, "a link to a folder that contains it");
        DIR* dir = ::opendir(path.c_str());
        if (!dir) return Problem(path, errno);
        std::vector<std::pair<std::string, bool>> entries; // name, is a folder
        errno = 0;
        while (const dirent* e = ::readdir(dir)) {
            const std::string name = e->d_name;
            if (name == "." || name == "..") continue;
            struct stat entry {};
            const bool folder =
                ::stat((path + "/" + name).c_str(), &entry) == 0 && S_ISDIR(entry.st_mode);
            entries.emplace_back(name, folder);
            errno = 0;
        }
        const int error = errno;
        ::closedir(dir);
        if (error != 0) return Problem(path, error);
        // Files before folders keeps the jobs of one server folder together.
        std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
            return a.second != b.second ? !a.second : a.first < b.first;
        });
        m_walking.push_back(id);
        const size_t jobsBefore = m_result.Jobs.size();
        for (const auto& [name, folder] : entries)
            Entry(path + "/" + name, name, remoteFolder, true);
        m_walking.pop_back();
        if (m_result.Jobs.size() == jobsBefore) {
            // Nothing below it to upload: a job that only makes the folder.
            TransferJob job = Job(path, remoteFolder, true);
            m_result.Jobs.push_back(std::move(job));
        }
    }

    TransferJob Job(const std::string& path, const std::string& remoteFolder, bool inFolder) {
        TransferJob job;
        job.Record.Upload = true;
        job.Record.LocalFile = path;
        job.Record.RemoteFolder = remoteFolder;
        job.Record.ServerHost = m_server.ServerHost;
        job.Record.ServerUser = m_server.ServerUser;
        job.Record.ServerPassword = m_server.ServerPassword;
        job.MakeRemoteFolder = inFolder;
        return job;
    }

    void Problem(const std::string& path, DropProblemKind kind, std::string reason) {
        m_result.Problems.push_back({path, kind, std::move(reason)});
    }
    void Problem(const std::string& path, int error) {
        Problem(path, DropProblemKind::Unreadable, std::strerror(error));
    }

    DropExpansion& m_result;
    const TnkFTPRecord& m_server;
    std::vector<FolderId> m_walking; // the folders from the dropped one down to the current
};
} // namespace

std::string DropProblemText(const DropProblem& problem) {
    return problem.Path + ": " + problem.Reason;
}

DropExpansion ExpandDrop(const std::vector<std::string>& localPaths,
                         const std::string& remoteFolder, const TnkFTPRecord& server) {
    DropExpansion result;
    DropWalker walker(result, server);
    for (std::string path : localPaths) {
        while (path.size() > 1 && path.back() == '/')
            path.pop_back();
        const size_t slash = path.rfind('/');
        const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
        walker.Entry(path, name, remoteFolder, false);
    }
    return result;
}

} // namespace pw
