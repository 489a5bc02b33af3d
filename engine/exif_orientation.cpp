#include "engine/exif_orientation.h"

#include <cstring>

namespace velmora {

namespace {

constexpr std::uint8_t kApp1 = 0xE1;
constexpr std::uint8_t kSos = 0xDA;
constexpr std::uint8_t kEoi = 0xD9;
constexpr std::uint16_t kOrientationTag = 0x0112;
constexpr std::uint16_t kShortType = 3;
constexpr char kExifHeader[] = {'E', 'x', 'i', 'f', 0, 0};

// TIFF data may be in either byte order; its header says which.
struct TiffReader {
    std::span<const std::uint8_t> data;
    bool bigEndian = false;

    std::optional<std::uint32_t> Read(std::size_t offset, std::size_t width) const
    {
        if (offset > data.size() || width > data.size() - offset)
            return std::nullopt;
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < width; ++i) {
            const std::uint8_t byte = data[offset + (bigEndian ? i : width - 1 - i)];
            value = (value << 8) | byte;
        }
        return value;
    }
};

std::optional<int> OrientationInTiff(std::span<const std::uint8_t> tiff)
{
    if (tiff.size() < 8)
        return std::nullopt;
    TiffReader reader{tiff};
    if (tiff[0] == 'M' && tiff[1] == 'M')
        reader.bigEndian = true;
    else if (!(tiff[0] == 'I' && tiff[1] == 'I'))
        return std::nullopt;
    if (reader.Read(2, 2) != 42u)
        return std::nullopt;
    const auto ifd = reader.Read(4, 4);
    if (!ifd)
        return std::nullopt;
    const auto count = reader.Read(*ifd, 2);
    if (!count)
        return std::nullopt;
    for (std::uint32_t i = 0; i < *count; ++i) {
        const std::size_t entry = *ifd + 2 + 12 * static_cast<std::size_t>(i);
        const auto tag = reader.Read(entry, 2);
        if (!tag)
            return std::nullopt;
        if (*tag != kOrientationTag)
            continue;
        const auto type = reader.Read(entry + 2, 2);
        const auto value = reader.Read(entry + 8, 2);  // a single SHORT sits at the value's start
        if (type != kShortType || !value || *value < 1 || *value > 8)
            return std::nullopt;
        return static_cast<int>(*value);
    }
    return std::nullopt;
}

}  // namespace

std::optional<int> ReadExifOrientation(std::span<const std::uint8_t> jpeg)
{
    std::size_t pos = 2;  // after the start-of-image marker
    while (pos + 4 <= jpeg.size()) {
        if (jpeg[pos] != 0xFF)
            return std::nullopt;
        const std::uint8_t marker = jpeg[pos + 1];
        if (marker == 0xFF) {
            ++pos;  // fill byte
            continue;
        }
        if (marker == kSos || marker == kEoi)
            return std::nullopt;  // the tag lives in the header segments only
        const std::size_t length = (static_cast<std::size_t>(jpeg[pos + 2]) << 8) | jpeg[pos + 3];
        if (length < 2 || pos + 2 + length > jpeg.size())
            return std::nullopt;
        const auto payload = jpeg.subspan(pos + 4, length - 2);
        if (marker == kApp1 && payload.size() >= sizeof kExifHeader &&
            std::memcmp(payload.data(), kExifHeader, sizeof kExifHeader) == 0)
            return OrientationInTiff(payload.subspan(sizeof kExifHeader));
        pos += 2 + length;
    }
    return std::nullopt;
}

}  // namespace velmora
