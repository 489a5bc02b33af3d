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
#include "engine/platform_files.h"

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

bool WriteNewFile(const std::filesystem::path& file, std::span<const std::uint8_t> bytes)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return !out.fail();
}

// Writes the file beside the target and moves it into place at the end: a failed save leaves
// the file that was there untouched, and never a half-written one.
ExportResult PlaceFile(std::span<const std::uint8_t> bytes, bool appendStamp, const std::filesystem::path& target,
                       ExportMode mode, const std::string& ext)
{
    std::error_code error;
    if (mode == ExportMode::KeepExisting && std::filesystem::exists(target, error))
        return Failure(ExportError::TargetExists, ext);

    const std::filesystem::path temporary = TemporarySibling(target);
    errno = 0;
    if (!WriteNewFile(temporary, bytes) || (appendStamp && !AppendCheckStamp(temporary)) ||
        !SyncToDisk(temporary)) {
        const std::error_code cause = LastSystemError();
        std::filesystem::remove(temporary, error);
        return Failure(ExportError::CannotWrite, ext, cause);
    }
    if (const std::error_code moved = MoveIntoPlace(temporary, target, mode == ExportMode::ReplaceExisting)) {
        std::filesystem::remove(temporary, error);
        return Failure(IsExistsError(moved) ? ExportError::TargetExists : ExportError::CannotReplace, ext, moved);
    }
    return {ExportError::None, ext, {}};
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

    return PlaceFile(encoded.bytes, !stamped, target, mode, ext);
}

ExportResult WriteFileBytes(std::span<const std::uint8_t> bytes, const std::filesystem::path& target, ExportMode mode)
{
    return PlaceFile(bytes, false, target, mode, LowerExtension(target));
}

std::vector<std::uint8_t> EncodeJpeg(const Image& picture, int quality)
{
    if (picture.empty() || quality < 1 || quality > 100)
        return {};
    return EncodeImage(".jpg", picture, quality).bytes;
}

}  // namespace velmora
