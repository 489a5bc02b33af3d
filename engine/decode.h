// Decoding photos and tip pictures from bytes, strictly and within fixed bounds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>

#include "engine/file_bytes.h"
#include "velmora/check_types.h"
#include "velmora/reason.h"

namespace velmora {

// Photos that declare more pixels than this are refused without decoding: the decoded picture
// alone takes three bytes a pixel.
inline constexpr std::int64_t kMaxPhotoPixels = 100'000'000;

// Larger files are refused without reading them whole.
inline constexpr std::size_t kMaxPhotoBytes = 256u * 1024u * 1024u;

// Common encoders write one scan (baseline), 6 to 10 (progressive grey or colour) or 18 (progressive
// CMYK); past this many scans a file is refused, leaving three times the room of the longest
// ordinary script. It bounds the work of scans over few blocks.
inline constexpr int kMaxJpegScans = 64;

// Each scan revisits the blocks of the components it carries, so a legal file of tens of scans
// over a large picture costs seconds (64 scans over 99 megapixels: 3 s on the build machine).
// Counted in passes over the whole picture, ordinary progressive scripts make 5 to 6 (one per
// scan over all components, a quarter to two thirds for a scan over one of them); past this many
// the file is refused, which keeps such a file below what an honest photo of its size costs.
inline constexpr int kMaxScanPasses = 12;

// Memory the decoder itself may take (libjpeg's max_memory_to_use), besides the decoded picture.
// A baseline file needs a few rows; a progressive or multi-scan one keeps every coefficient, two
// bytes for each pixel of each component: 3 bytes a pixel in 4:2:0 colour, 6 in 4:4:4, 8 in CMYK.
// 256 MiB admits progressive photos up to about 85 megapixels in 4:2:0 (44 in 4:4:4), while a
// small file declaring a huge progressive frame fails as its buffers are requested, before any is
// filled.
inline constexpr std::size_t kMaxDecoderMemory = 256u * 1024u * 1024u;

struct DecodedJpeg {
    Image image;  // 8-bit BGR as stored (orientation tag ignored); empty unless failure is None
    DecodeFailure failure = DecodeFailure::None;
};

// The picture in the bytes, decoded as the image library's JPEG reader would decode it, pixel for
// pixel, but refused when any of it is lost or damaged or the bounds above are exceeded. Bytes
// after the end-of-image marker (the check stamp) are ignored.
DecodedJpeg DecodeJpegStrict(std::span<const std::uint8_t> bytes);

// The picture, or an empty image whenever DecodeJpegStrict fails.
Image DecodeJpeg(std::span<const std::uint8_t> bytes);

// Reads and decodes the file; an empty image when it cannot.
Image DecodeJpegFile(const std::filesystem::path& file);

}  // namespace velmora
