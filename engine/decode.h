// Decoding photos and tip pictures from bytes, with the guards the image library lacks.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>

#include "engine/file_bytes.h"
#include "velmora/check_types.h"
#include "velmora/reason.h"

namespace velmora {

// Photos that declare more pixels than this are refused without decoding.
inline constexpr std::int64_t kMaxPhotoPixels = 100'000'000;

// Larger files are refused without reading them whole.
inline constexpr std::size_t kMaxPhotoBytes = 256u * 1024u * 1024u;

struct DecodedJpeg {
    Image image;  // three-channel BGR pixels as stored (orientation tag ignored); empty on failure
    DecodeFailure failure = DecodeFailure::None;
};

// Decodes the bytes, or says why it would not.
DecodedJpeg DecodeJpegStrict(std::span<const std::uint8_t> bytes);

// The decoded pixels, or an empty image when the bytes cannot be decoded.
Image DecodeJpeg(std::span<const std::uint8_t> bytes);

// Reads and decodes the file; an empty image when it cannot.
Image DecodeJpegFile(const std::filesystem::path& file);

}  // namespace velmora
