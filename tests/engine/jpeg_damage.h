// Ways a JPEG file gets damaged in copying, storage or transfer, applied to real files at test
// time, and the offsets they need. A file without the part asked for throws.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <utility>
#include <vector>

#include "engine/jpeg_structure.h"

using JpegBytes = std::vector<std::uint8_t>;

// Offset of the first marker segment with the given code before the first scan, or 0.
inline std::size_t SegmentOffset(const JpegBytes& jpeg, bool (*wanted)(std::uint8_t marker))
{
    std::size_t pos = 2;
    while (pos + 4 <= jpeg.size() && jpeg[pos] == 0xFF) {
        const std::uint8_t marker = jpeg[pos + 1];
        if (wanted(marker))
            return pos;
        if (marker == 0xDA)
            break;
        pos += 2 + ((std::size_t{jpeg[pos + 2]} << 8) | jpeg[pos + 3]);
    }
    throw std::logic_error("no such segment before the first scan");
}

inline std::size_t FrameHeaderOffset(const JpegBytes& jpeg)
{
    return SegmentOffset(jpeg, [](std::uint8_t m) { return m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC; });
}

// The first byte of the first scan's entropy-coded data, and the offset of the marker ending it.
inline std::pair<std::size_t, std::size_t> FirstScanData(const JpegBytes& jpeg)
{
    const std::size_t sos = SegmentOffset(jpeg, [](std::uint8_t m) { return m == 0xDA; });
    const auto layout = velmora::InspectJpeg(jpeg);
    if (!layout || layout->scanDataEnds.empty())
        throw std::logic_error("the first scan has no end");
    return {sos + 2 + ((std::size_t{jpeg[sos + 2]} << 8) | jpeg[sos + 3]), layout->scanDataEnds.front()};
}

inline JpegBytes WithFrameSize(JpegBytes jpeg, int width, int height)
{
    const std::size_t sof = FrameHeaderOffset(jpeg);
    jpeg[sof + 5] = static_cast<std::uint8_t>(height >> 8);
    jpeg[sof + 6] = static_cast<std::uint8_t>(height & 0xFF);
    jpeg[sof + 7] = static_cast<std::uint8_t>(width >> 8);
    jpeg[sof + 8] = static_cast<std::uint8_t>(width & 0xFF);
    return jpeg;
}

// The first `keep` bytes with an end-of-image marker put back, as a tool that "repairs" a cut file does.
inline JpegBytes CutAndReterminate(const JpegBytes& jpeg, std::size_t keep)
{
    JpegBytes out(jpeg.begin(), jpeg.begin() + static_cast<std::ptrdiff_t>(keep));
    out.insert(out.end(), {0xFF, 0xD9});
    return out;
}

// Every bit of `count` bytes inverted, starting at `at`.
inline JpegBytes FlipBytes(JpegBytes jpeg, std::size_t at, std::size_t count)
{
    for (std::size_t i = at; i < at + count; ++i)
        jpeg[i] = static_cast<std::uint8_t>(~jpeg[i]);
    return jpeg;
}

inline JpegBytes ZeroBytes(JpegBytes jpeg, std::size_t at, std::size_t count)
{
    std::fill_n(jpeg.begin() + static_cast<std::ptrdiff_t>(at), count, std::uint8_t{0});
    return jpeg;
}

inline JpegBytes DropBytes(JpegBytes jpeg, std::size_t at, std::size_t count)
{
    jpeg.erase(jpeg.begin() + static_cast<std::ptrdiff_t>(at), jpeg.begin() + static_cast<std::ptrdiff_t>(at + count));
    return jpeg;
}

inline JpegBytes InsertBytes(JpegBytes jpeg, std::size_t at, const JpegBytes& bytes)
{
    jpeg.insert(jpeg.begin() + static_cast<std::ptrdiff_t>(at), bytes.begin(), bytes.end());
    return jpeg;
}

// Offsets of the restart markers (their FF) in the first scan.
inline std::vector<std::size_t> RestartMarkers(const JpegBytes& jpeg)
{
    const auto [begin, end] = FirstScanData(jpeg);
    std::vector<std::size_t> found;
    for (std::size_t i = begin; i + 1 < end; ++i)
        if (jpeg[i] == 0xFF && jpeg[i + 1] >= 0xD0 && jpeg[i + 1] <= 0xD7)
            found.push_back(i);
    return found;
}
