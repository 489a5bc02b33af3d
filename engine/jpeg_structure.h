// A walk over the markers of a JPEG file, to learn what the decoder would not tell:
// whether the data reaches its end-of-image marker, and the declared pixel size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace velmora {

struct JpegLayout {
    int width = 0;   // from the first frame header
    int height = 0;
    bool complete = false;       // an end-of-image marker ends the data
    std::size_t endOfImage = 0;  // offset just past that marker, when complete
    // For each scan walked, the offset of the marker (its last FF) that ends its entropy-coded
    // data; restart markers inside a scan do not end it. Ascending.
    std::vector<std::size_t> scanDataEnds;
};

// The layout of the bytes, or nothing when they do not start with a JPEG start-of-image marker
// or carry no frame header before the data ends.
std::optional<JpegLayout> InspectJpeg(std::span<const std::uint8_t> bytes);

}  // namespace velmora
