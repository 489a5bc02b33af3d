// Writing the accepted photo as the file the applicant hands in.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <system_error>
#include <vector>

#include "velmora/check_types.h"

namespace velmora {

// The JPEG quality of a saved photo: small files, still good enough for a face check.
inline constexpr int kExportJpegQuality = 30;

enum class ExportMode {
    ReplaceExisting,  // a file at the target is replaced, once the new one is complete
    KeepExisting,     // a file at the target is kept, and the save fails with TargetExists
};

enum class ExportError {
    None,
    NothingToSave,         // the image is empty
    UnsupportedExtension,  // no encoder for the target's extension (see `extension`)
    CannotWrite,           // the folder is missing or not writable, or the disk is full
    TargetExists,          // KeepExisting found a file at the target
    CannotReplace,         // the new file was written but could not take the target's place
};

struct ExportResult {
    ExportError error = ExportError::None;
    std::string extension;   // the target's extension, lower case, as the encoder was chosen by it
    std::error_code system;  // the operating system's error, where one was reported

    explicit operator bool() const noexcept { return error == ExportError::None; }
};

// Encodes the photo by the target's extension (JPEG of kExportJpegQuality for .jpg, .jpeg,
// .jpe and .jfif; PNG for .png; BMP for .bmp and .dib; anything else is UnsupportedExtension)
// and appends the check stamp unless the photo was opened stamped. The file
// appears at the target only when it is complete; a failure leaves nothing behind.
ExportResult ExportAcceptedPhoto(const Image& photo, bool stamped, const std::filesystem::path& target,
                                 ExportMode mode = ExportMode::ReplaceExisting);

// Writes bytes as they are (no encoding, no stamp) the way a photo is saved: the file appears
// only when complete, and KeepExisting never replaces one. For copies that have not passed.
ExportResult WriteFileBytes(std::span<const std::uint8_t> bytes, const std::filesystem::path& target,
                            ExportMode mode = ExportMode::KeepExisting);

// An 8-bit BGR picture as JPEG bytes of the given quality (1..100), by the encoder that saves
// photos, without a stamp; empty when it cannot be encoded. For previews such as thumbnails.
std::vector<std::uint8_t> EncodeJpeg(const Image& picture, int quality);

}  // namespace velmora
