// The file operations whose system calls differ between Windows and POSIX, so that the rest of
// the engine has none: the last system error, flushing a file to disk, and moving a finished file
// into place in one step.
#pragma once

#include <filesystem>
#include <system_error>

namespace velmora {

// The calling thread's last system error (errno, or GetLastError on Windows).
std::error_code LastSystemError();

// Flushes the file's data to the disk; false when it cannot be opened or flushed.
bool SyncToDisk(const std::filesystem::path& file);

// Moves FROM to TO in one step, so that TO is either the old file or the new one. Without
// replaceExisting an existing TO is never replaced, even in a race: the error is then one that
// IsExistsError recognises.
std::error_code MoveIntoPlace(const std::filesystem::path& from, const std::filesystem::path& to,
                              bool replaceExisting);

bool IsExistsError(const std::error_code& error);

}  // namespace velmora
