#pragma once
// Whole-file reading and atomic replacement of files.
#include <string>
#include <string_view>
#include <sys/types.h>

namespace pw {

// Whether anything exists at `path` (an error reading it counts as no).
bool FileExists(const std::string& path);

// Reads a whole file; throws EFileError "Cannot open file %s" when it cannot be read.
std::string ReadWholeFile(const std::string& path);

// Writes bytes to a temporary file in the target's folder, flushes it to disk and renames it
// over the target, so a failed save leaves the old file intact. The new file gets `mode`.
// Throws EFileError "Cannot create file %s" (the reason in detail()).
void WriteFileAtomically(const std::string& path, std::string_view bytes, mode_t mode);

} // namespace pw
