#include "velmora/export.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "engine/encode.h"
#include "engine/file_tests.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace velmora {

namespace {

ExportResult Failure(ExportError error, std::string extension, std::error_code system = {})
{
    return {error, std::move(extension), system};
}

std::string LowerExtension(const std::filesystem::path& target)
{
    const std::u8string text = target.extension().u8string();
    std::string ext(text.begin(), text.end());
    std::ranges::transform(ext, ext.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext;
}

// A sibling of the target, so that the final rename stays on one file system.
std::filesystem::path TemporarySibling(const std::filesystem::path& target)
{
    std::random_device random;
    std::filesystem::path name = target.filename();
    name += ".velmora-" + std::to_string(random()) + ".tmp";
    return target.parent_path() / name;
}

std::error_code LastSystemError()
{
#ifdef _WIN32
    return {static_cast<int>(GetLastError()), std::system_category()};
#else
    return {errno, std::generic_category()};
#endif
}

// Data written but not on disk is lost in a power failure; the rename must not outrun it.
bool SyncToDisk(const std::filesystem::path& file)
{
#ifdef _WIN32
    const HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    const bool flushed = FlushFileBuffers(handle) != 0;
    CloseHandle(handle);
    return flushed;
#else
    const int fd = ::open(file.c_str(), O_RDONLY);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
#endif
}

bool WriteNewFile(const std::filesystem::path& file, const Bytes& bytes)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return !out.fail();
}

// Puts the finished file in the target's place in one step, so that the target is either the
// old file or the new one, never a mixture. KeepExisting never replaces, even in a race.
std::error_code MoveIntoPlace(const std::filesystem::path& from, const std::filesystem::path& to, ExportMode mode)
{
#ifdef _WIN32
    DWORD flags = MOVEFILE_WRITE_THROUGH;
    if (mode == ExportMode::ReplaceExisting)
        flags |= MOVEFILE_REPLACE_EXISTING;
    if (!MoveFileExW(from.c_str(), to.c_str(), flags))
        return LastSystemError();
    return {};
#else
    if (mode == ExportMode::ReplaceExisting) {
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
#endif
}

bool IsExistsError(const std::error_code& error)
{
    return error == std::errc::file_exists
#ifdef _WIN32
           || error.value() == ERROR_ALREADY_EXISTS || error.value() == ERROR_FILE_EXISTS
#endif
        ;
}

}  // namespace

ExportResult ExportAcceptedPhoto(const Image& photo, bool stamped, const std::filesystem::path& target,
                                 ExportMode mode)
{
    const std::string ext = LowerExtension(target);
    if (photo.empty())
        return Failure(ExportError::NothingToSave, ext);

    const EncodedImage encoded = EncodeImage(ext, photo, kExportJpegQuality);
    if (encoded.failure == EncodeFailure::UnsupportedExtension)
        return Failure(ExportError::UnsupportedExtension, ext);
    if (encoded.failure != EncodeFailure::None)  // out of memory: nothing could be written
        return Failure(ExportError::CannotWrite, ext, std::make_error_code(std::errc::not_enough_memory));

    std::error_code error;
    if (mode == ExportMode::KeepExisting && std::filesystem::exists(target, error))
        return Failure(ExportError::TargetExists, ext);

    // Write beside the target and move it into place at the end: a failed save leaves the
    // file that was there untouched, and never a half-written photo.
    const std::filesystem::path temporary = TemporarySibling(target);
    errno = 0;
    if (!WriteNewFile(temporary, encoded.bytes) || (!stamped && !AppendCheckStamp(temporary)) ||
        !SyncToDisk(temporary)) {
        const std::error_code cause = LastSystemError();
        std::filesystem::remove(temporary, error);
        return Failure(ExportError::CannotWrite, ext, cause);
    }
    if (const std::error_code moved = MoveIntoPlace(temporary, target, mode)) {
        std::filesystem::remove(temporary, error);
        return Failure(IsExistsError(moved) ? ExportError::TargetExists : ExportError::CannotReplace, ext, moved);
    }
    return {ExportError::None, ext, {}};
}

std::vector<std::uint8_t> EncodeJpeg(const Image& picture, int quality)
{
    if (picture.empty() || quality < 1 || quality > 100)
        return {};
    return EncodeImage(".jpg", picture, quality).bytes;
}

}  // namespace velmora
