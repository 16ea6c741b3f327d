#include "core/ftp/TemporaryUpload.h"

#include "core/ftp/TSimpleFTP.h"

namespace pw {

std::string UploadTemporaryPath(const std::string& remotePath) {
    const size_t slash = remotePath.rfind('/');
    const size_t name = slash == std::string::npos ? 0 : slash + 1;
    return remotePath.substr(0, name) + "." + remotePath.substr(name) + ".upload";
}

bool PutViaTemporary(TSimpleFTP& ftp, const std::string& localPath, const std::string& remotePath) {
    const std::string temporary = UploadTemporaryPath(remotePath);
    // Clearing up never hides the failure that made it necessary.
    const auto removeTemporary = [&] {
        if (!ftp.IsConnected()) return;
        const bool silent = ftp.SilentExceptions;
        ftp.SilentExceptions = true;
        ftp.DeleteFile(temporary);
        ftp.SilentExceptions = silent;
    };
    try {
        if (!ftp.Put(localPath, temporary)) {
            removeTemporary();
            return false;
        }
    } catch (...) {
        removeTemporary();
        throw;
    }
    bool renamed = false;
    try {
        renamed = ftp.Rename(temporary, remotePath);
    } catch (...) {
        if (!ftp.IsConnected()) throw; // the connection went: nothing more can be done
    }
    if (renamed) return true;
    if (!ftp.IsConnected()) return false;
    removeTemporary();
    return ftp.Put(localPath, remotePath);
}

} // namespace pw
