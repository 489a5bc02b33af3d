// The EXIF orientation tag: how a viewer turns the stored pixels before showing them. The
// checks judge the stored layout, but the tag explains why a photo looks upright elsewhere.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace velmora {

// The orientation tag (1..8) of the first EXIF segment before the image data, or nothing
// when the file has none or it is malformed.
std::optional<int> ReadExifOrientation(std::span<const std::uint8_t> jpeg);

// Tags 5 to 8 turn the picture by a quarter: a viewer swaps its width and height.
inline bool OrientationSwapsSides(int tag) { return tag >= 5 && tag <= 8; }

}  // namespace velmora
