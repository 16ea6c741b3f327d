#include "core/storage/FileIO.h"

#include "core/storage/nkErrors.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace pw {

namespace {
[[noreturn]] void fail(const std::string& prefix, const std::string& path, int error) {
    throw EFileError(prefix + path, error ? std::strerror(error) : "");
}
} // namespace

bool FileExists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::exists(path, ec);
}

std::string ReadWholeFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) fail("Cannot open file ", path, errno);
    std::string data;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        fail("Cannot open file ", path, EISDIR);
    }
    if (st.st_size > 0) data.reserve(static_cast<size_t>(st.st_size));
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            const int error = errno;
            ::close(fd);
            fail("Cannot open file ", path, error);
        }
        if (n == 0) break;
        data.append(buf, static_cast<size_t>(n));
    }
    ::close(fd);
    return data;
}

void WriteFileAtomically(const std::string& path, std::string_view bytes, mode_t mode) {
    const std::filesystem::path target(path);
    // A hidden temporary name in the target's own folder, so the rename stays on one file
    // system and is atomic.
    std::string temp = target.has_parent_path() ? target.parent_path().string() : ".";
    temp.append("/.").append(target.filename().string()).append(".XXXXXX");
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) fail("Cannot create file ", path, errno);

    int error = 0;
    if (::fchmod(fd, mode) != 0) error = errno;
    for (size_t done = 0; !error && done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno != EINTR) error = errno;
            continue;
        }
        done += static_cast<size_t>(n);
    }
    if (!error && ::fsync(fd) != 0) error = errno;
    if (::close(fd) != 0 && !error) error = errno;
    if (!error && ::rename(temp.c_str(), path.c_str()) != 0) error = errno;
    if (error) {
        ::unlink(temp.c_str());
        fail("Cannot create file ", path, error);
    }
}

} // namespace pw
