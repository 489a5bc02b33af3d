// Photos as applicants take them, made at test time from a committed calibration portrait: the
// person scaled to a given head height and placed on a wall that continues the portrait's own
// plain backdrop, in a frame of any size.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

namespace portrait_scenes {

// The portrait and where its head lies, from the calibration README: crown to chin is this
// share of the photo height, the crown this share below the top edge.
struct Portrait {
    const char* file;
    double head;
    double crown;
};

inline constexpr Portrait kHopper{"standard_hopper_white_1.jpg", 0.634, 0.064};
inline constexpr Portrait kCollins{"standard_collins_white_1.jpg", 0.639, 0.093};

inline cv::Mat LoadPortrait(const Portrait& portrait)
{
    return cv::imread((std::filesystem::path(VELMORA_FIXTURES_DIR) / "calibration" / portrait.file).string(),
                      cv::IMREAD_COLOR);
}

// Where one person stands in the frame: head height and crown as shares of the frame height,
// the head's centre as a share of its width.
struct Placement {
    double head = 0.25;
    double crown = 0.35;
    double centre = 0.5;
    Portrait portrait = kHopper;
};

// The portrait scaled and placed; the returned rectangle is where it lies in the frame.
inline cv::Mat ScaledPortrait(cv::Size frame, const Placement& p, cv::Point& at)
{
    const cv::Mat source = LoadPortrait(p.portrait);
    const double factor = p.head * frame.height / (p.portrait.head * source.rows);
    cv::Mat scaled;
    cv::resize(source, scaled, cv::Size(), factor, factor, factor < 1 ? cv::INTER_AREA : cv::INTER_CUBIC);
    at = cv::Point(static_cast<int>(p.centre * frame.width - scaled.cols / 2.0),
                   static_cast<int>(p.crown * frame.height - p.portrait.crown * scaled.rows));
    return scaled;
}

// One person, or several, in a frame; the first one's backdrop is carried on to the frame's
// edges (its bottom rows continue the clothes downwards), the others are pasted over it.
inline cv::Mat Scene(cv::Size frame, const std::vector<Placement>& people)
{
    cv::Point at;
    const cv::Mat first = ScaledPortrait(frame, people.front(), at);
    const int top = std::max(0, at.y), left = std::max(0, at.x);
    const int bottom = std::max(0, frame.height - (at.y + first.rows));
    const int right = std::max(0, frame.width - (at.x + first.cols));
    cv::Mat padded;
    cv::copyMakeBorder(first, padded, top, bottom, left, right, cv::BORDER_REPLICATE);
    cv::Mat scene = padded(cv::Rect(std::max(0, -at.x), std::max(0, -at.y), frame.width, frame.height)).clone();
    for (std::size_t i = 1; i < people.size(); ++i) {
        const cv::Mat other = ScaledPortrait(frame, people[i], at);
        const cv::Rect placed = cv::Rect(at, other.size()) & cv::Rect(cv::Point(), frame);
        other(cv::Rect(placed.tl() - at, placed.size())).copyTo(scene(placed));
    }
    return scene;
}

// A plain wall of the portrait's backdrop colour, nobody in front of it.
inline cv::Mat EmptyWall(cv::Size frame)
{
    const cv::Mat source = LoadPortrait(kHopper);
    const cv::Scalar wall = cv::mean(source(cv::Rect(0, 0, 20, 60)));
    return cv::Mat(frame, CV_8UC3, wall);
}

inline std::vector<std::uint8_t> EncodeJpeg(const cv::Mat& picture, int quality = 92)
{
    std::vector<std::uint8_t> bytes;
    cv::imencode(".jpg", picture, bytes, {cv::IMWRITE_JPEG_QUALITY, quality});
    return bytes;
}

// The JPEG with an EXIF segment carrying the orientation tag, right after the start marker,
// where cameras write it.
inline std::vector<std::uint8_t> WithOrientation(const std::vector<std::uint8_t>& jpeg, int tag)
{
    const std::vector<std::uint8_t> tiff = {
        'I', 'I', 42, 0, 8, 0, 0, 0,                                         // little-endian, IFD0 at 8
        1, 0,                                                                // one entry
        0x12, 0x01, 3, 0, 1, 0, 0, 0, static_cast<std::uint8_t>(tag), 0, 0, 0,  // Orientation, SHORT
        0, 0, 0, 0};                                                         // no next IFD
    std::vector<std::uint8_t> segment = {0xFF, 0xE1, 0, 0, 'E', 'x', 'i', 'f', 0, 0};
    segment.insert(segment.end(), tiff.begin(), tiff.end());
    const std::size_t length = segment.size() - 2;
    segment[2] = static_cast<std::uint8_t>(length >> 8);
    segment[3] = static_cast<std::uint8_t>(length & 0xFF);
    std::vector<std::uint8_t> out = jpeg;
    out.insert(out.begin() + 2, segment.begin(), segment.end());
    return out;
}

// The JPEG grown past `length` bytes by application segments of padding, as cameras carry
// maker notes and previews; the picture is unchanged.
inline std::vector<std::uint8_t> PaddedTo(const std::vector<std::uint8_t>& jpeg, std::size_t length)
{
    const std::size_t chunk = 65533;
    std::vector<std::uint8_t> padding;
    while (padding.size() + jpeg.size() <= length) {
        padding.insert(padding.end(), {0xFF, 0xE9, static_cast<std::uint8_t>((chunk + 2) >> 8),
                                       static_cast<std::uint8_t>((chunk + 2) & 0xFF)});
        padding.insert(padding.end(), chunk, 0x5A);
    }
    std::vector<std::uint8_t> out = jpeg;
    out.insert(out.begin() + 2, padding.begin(), padding.end());
    return out;
}

// The stored pixels a camera writes with the orientation tag, for a picture meant upright.
inline cv::Mat StoredFor(const cv::Mat& upright, int tag)
{
    cv::Mat stored;
    switch (tag) {
    case 2: cv::flip(upright, stored, 1); break;
    case 3: cv::rotate(upright, stored, cv::ROTATE_180); break;
    case 4: cv::flip(upright, stored, 0); break;
    case 5: cv::transpose(upright, stored); break;
    case 6: cv::rotate(upright, stored, cv::ROTATE_90_COUNTERCLOCKWISE); break;
    case 7: cv::flip(upright, stored, 1); cv::rotate(stored, stored, cv::ROTATE_90_CLOCKWISE); break;
    case 8: cv::rotate(upright, stored, cv::ROTATE_90_CLOCKWISE); break;
    default: stored = upright.clone();
    }
    return stored;
}

}  // namespace portrait_scenes
