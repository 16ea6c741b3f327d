#pragma once
// Uploads that never leave half a file where a web server would serve it: the file goes to a
// temporary name in the target's folder and is renamed over the target once complete.
#include <string>

namespace pw {

class TSimpleFTP;

// "/dir/.name.upload" for "/dir/name" (a name without a folder keeps none).
std::string UploadTemporaryPath(const std::string& remotePath);

// Uploads `localPath` under UploadTemporaryPath(remotePath) and renames it over `remotePath`.
// A server that refuses the rename gets the file directly, and the temporary file is removed;
// so is the temporary file of a failed upload, which leaves the target as it was. Fails and
// throws as Put does.
bool PutViaTemporary(TSimpleFTP& ftp, const std::string& localPath, const std::string& remotePath);

} // namespace pw
