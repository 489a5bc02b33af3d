// Decoding photos and tip pictures from bytes, with the guards the image library lacks.
#pragma once

#include <cstdint>
#include <filesystem>

#include "engine/file_bytes.h"
#include "engine/photo_check.h"

// Photos that declare more pixels than this are refused without decoding.
inline constexpr std::int64_t kMaxPhotoPixels = 100'000'000;

// Larger files are refused without reading them whole.
inline constexpr std::size_t kMaxPhotoBytes = 256u * 1024u * 1024u;

// Three-channel BGR pixels as stored (orientation tag ignored), or an empty image when the
// bytes are not a complete JPEG within the limits or the library cannot decode them.
Image DecodeJpeg(const Bytes& bytes);

// Reads and decodes the file; an empty image when it cannot.
Image DecodeJpegFile(const std::filesystem::path& file);
