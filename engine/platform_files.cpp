#include "engine/platform_files.h"

#include <cerrno>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace velmora {

#ifdef _WIN32

std::error_code LastSystemError() { return {static_cast<int>(GetLastError()), std::system_category()}; }

bool SyncToDisk(const std::filesystem::path& file)
{
    const HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    const bool flushed = FlushFileBuffers(handle) != 0;
    CloseHandle(handle);
    return flushed;
}

std::error_code MoveIntoPlace(const std::filesystem::path& from, const std::filesystem::path& to, bool replaceExisting)
{
    // Write-through: the move is on disk when the call returns, like the data before it.
    DWORD flags = MOVEFILE_WRITE_THROUGH;
    if (replaceExisting)
        flags |= MOVEFILE_REPLACE_EXISTING;
    if (!MoveFileExW(from.c_str(), to.c_str(), flags))
        return LastSystemError();
    return {};
}

bool IsExistsError(const std::error_code& error)
{
    return error == std::errc::file_exists || error.value() == ERROR_ALREADY_EXISTS ||
           error.value() == ERROR_FILE_EXISTS;
}

#else

std::error_code LastSystemError() { return {errno, std::generic_category()}; }

bool SyncToDisk(const std::filesystem::path& file)
{
    const int fd = ::open(file.c_str(), O_RDONLY);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

std::error_code MoveIntoPlace(const std::filesystem::path& from, const std::filesystem::path& to, bool replaceExisting)
{
    if (replaceExisting) {
        std::error_code error;
        std::filesystem::rename(from, to, error);
        return error;
    }
    // A hard link fails when the target exists, where a rename would replace it.
    if (::link(from.c_str(), to.c_str()) != 0)
        return LastSystemError();
    std::error_code ignored;
    std::filesystem::remove(from, ignored);
    return {};
}

bool IsExistsError(const std::error_code& error) { return error == std::errc::file_exists; }

#endif

}  // namespace velmora
