#include "engine/jpeg_structure.h"

#include <cstring>

namespace velmora {

namespace {

constexpr std::uint8_t kMarkerPrefix = 0xFF;
constexpr std::uint8_t kSoi = 0xD8;
constexpr std::uint8_t kEoi = 0xD9;
constexpr std::uint8_t kSos = 0xDA;
constexpr std::uint8_t kTem = 0x01;

bool IsRestart(std::uint8_t marker)
{
    return marker >= 0xD0 && marker <= 0xD7;
}

// C4 (DHT), C8 (reserved) and CC (DAC) share the range but are not frame headers.
bool IsFrameHeader(std::uint8_t marker)
{
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

unsigned ReadBigEndian16(const std::uint8_t* p)
{
    return (static_cast<unsigned>(p[0]) << 8) | p[1];
}

// Offset of the marker that ends the entropy-coded data starting at pos (its FF byte),
// or nothing when the data ends first.
std::optional<std::size_t> SkipEntropyCodedData(std::span<const std::uint8_t> bytes, std::size_t pos)
{
    const std::size_t size = bytes.size();
    while (pos < size) {
        const void* found = std::memchr(bytes.data() + pos, kMarkerPrefix, size - pos);
        if (found == nullptr)
            return std::nullopt;
        pos = static_cast<std::size_t>(static_cast<const std::uint8_t*>(found) - bytes.data());
        if (pos + 1 >= size)
            return std::nullopt;
        const std::uint8_t next = bytes[pos + 1];
        if (next == 0x00 || IsRestart(next))
            pos += 2;  // a stuffed FF or a restart marker belongs to the scan
        else if (next == kMarkerPrefix)
            pos += 1;  // fill byte: the marker, if any, starts at the next FF
        else
            return pos;
    }
    return std::nullopt;
}

}  // namespace

// Anything the walk cannot follow (a second start-of-image, a length below 2, a frame header
// too short for its components) ends it with complete = false, as does data that ends early:
// the decoder would guess at the rest. Stray bytes between segments are skipped as the
// decoder skips them.
// Without a frame header there is no layout to tell, so the answer is nothing.
std::optional<JpegLayout> InspectJpeg(std::span<const std::uint8_t> bytes)
{
    const std::size_t size = bytes.size();
    if (size < 2 || bytes[0] != kMarkerPrefix || bytes[1] != kSoi)
        return std::nullopt;

    JpegLayout layout;
    bool sawFrame = false;
    std::size_t pos = 2;
    while (pos < size) {
        // Cameras leave stray bytes between segments; the decoder skips them, and so do we.
        const void* prefix = std::memchr(bytes.data() + pos, kMarkerPrefix, size - pos);
        if (prefix == nullptr)
            break;
        pos = static_cast<std::size_t>(static_cast<const std::uint8_t*>(prefix) - bytes.data());
        while (pos < size && bytes[pos] == kMarkerPrefix)
            ++pos;
        if (pos >= size)
            break;
        const std::uint8_t marker = bytes[pos];
        ++pos;  // now just past the marker code
        if (marker == 0x00)
            continue;  // FF 00 outside a scan is noise to the decoder too

        if (marker == kEoi) {
            layout.complete = true;
            layout.endOfImage = pos;
            break;
        }
        if (marker == kTem || IsRestart(marker))
            continue;
        if (marker == kSoi)
            break;

        if (size - pos < 2)
            break;
        const std::size_t length = ReadBigEndian16(bytes.data() + pos);
        if (length < 2 || length > size - pos)
            break;
        const std::uint8_t* segment = bytes.data() + pos + 2;  // the payload after the length

        if (IsFrameHeader(marker) && !sawFrame) {
            // Precision, height, width, component count, then three bytes per component.
            if (length < 8 || length != 8 + 3u * segment[5])
                break;
            layout.height = static_cast<int>(ReadBigEndian16(segment + 1));
            layout.width = static_cast<int>(ReadBigEndian16(segment + 3));
            sawFrame = true;
        }
        pos += length;

        if (marker == kSos) {
            const auto scanEnd = SkipEntropyCodedData(bytes, pos);
            if (!scanEnd)
                break;
            layout.scanDataEnds.push_back(*scanEnd);
            pos = *scanEnd;
        }
    }

    if (!sawFrame)
        return std::nullopt;
    return layout;
}

}  // namespace velmora
