#include "core/local/ReplaceFile.h"

#include <cerrno>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pw {

namespace {
int Rename(const std::string& source, const std::string& target) {
    return ::rename(source.c_str(), target.c_str()) == 0 ? 0 : errno;
}

bool Exchange(const std::string& a, const std::string& b) {
    return ::renameat2(AT_FDCWD, a.c_str(), AT_FDCWD, b.c_str(), RENAME_EXCHANGE) == 0;
}
} // namespace

int ReplaceFile(const std::string& source, const std::string& target) {
    struct stat info {};
    // A folder in the target's place stays: rename() refuses it, and so does the fallback.
    if (::lstat(target.c_str(), &info) != 0 || S_ISDIR(info.st_mode)) return Rename(source, target);
    if (!Exchange(source, target)) {
        // No exchange on this file system, or the target went meanwhile.
        if (errno == EINVAL || errno == ENOSYS || errno == ENOENT) return Rename(source, target);
        return errno;
    }
    // The new file is in place; the old one is under the source's name now.
    if (::unlink(source.c_str()) == 0) return 0;
    // A folder that took the target's place since the check above (EISDIR), or a failure to
    // remove the old file: the exchange is undone, and rename() puts the new file in place
    // (and removes the old one) or refuses the folder. Only if the undoing fails, the new
    // file stays in place with the old one beside it under the source's name.
    if (!Exchange(source, target)) return 0;
    return Rename(source, target);
}

} // namespace pw
