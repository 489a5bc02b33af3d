#include <algorithm>
#include <array>

#include "engine/advisories.h"

namespace velmora {

namespace {

using Histogram = std::array<int, 256>;

// The level below which `share` of the histogram's pixels lie.
double Percentile(const Histogram& histogram, int total, double share)
{
    const double wanted = share * total;
    int seen = 0;
    for (int level = 0; level < 256; ++level) {
        seen += histogram[level];
        if (seen >= wanted)
            return level;
    }
    return 255;
}

}  // namespace

std::optional<FaceExposure> MeasureExposure(const Image& photo, const cv::Rect& face)
{
    // Forehead, cheeks, nose and mouth: skin for the most part, little hair or backdrop.
    const cv::Rect skin = cv::Rect(face.x + face.width / 4, face.y + face.height / 5, face.width / 2,
                                   face.height * 13 / 20) &
                          cv::Rect(0, 0, photo.cols, photo.rows);
    if (skin.area() < 100)
        return std::nullopt;
    Histogram luma{}, brightest{};
    int clipped = 0;
    for (int y = 0; y < photo.rows; ++y) {
        const auto* row = photo.ptr<cv::Vec3b>(y);
        const bool skinRow = y >= skin.y && y < skin.y + skin.height;
        for (int x = 0; x < photo.cols; ++x) {
            const cv::Vec3b p = row[x];
            ++brightest[std::max({p[0], p[1], p[2]})];
            if (skinRow && x >= skin.x && x < skin.x + skin.width) {
                const int level = (29 * p[0] + 150 * p[1] + 77 * p[2] + 128) >> 8;
                ++luma[level];
                clipped += level >= 250;
            }
        }
    }
    return FaceExposure{Percentile(luma, skin.area(), 0.98), static_cast<double>(clipped) / skin.area(),
                        Percentile(brightest, photo.rows * photo.cols, 0.99)};
}

}  // namespace velmora
