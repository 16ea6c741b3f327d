#pragma once
// Putting a finished file in the place of the one it replaces.
#include <string>

namespace pw {

// Moves the file `source` to the name `target`, replacing a file or symbolic link of that
// name, as rename() does: the name always holds either the old file or the new one, and a
// symbolic link is replaced itself, not the file it points to. Returns 0, or the errno of the
// failure; on failure `source` is still there and the target is as it was. A folder is never
// replaced (EISDIR).
//
// rename() over an existing file on ext4 makes the kernel allocate and start writing the new
// file's blocks at once (its guard for programs that replace files without fsync), which
// costs a large download a good part of its speed. An exchange of the two names
// (renameat2 with RENAME_EXCHANGE) does not, so an existing target is exchanged with the
// source and then removed under the source's name. File systems without the exchange, and
// targets that do not exist, get a plain rename().
int ReplaceFile(const std::string& source, const std::string& target);

} // namespace pw
