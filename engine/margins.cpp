#include <algorithm>
#include <cstdlib>

#include "engine/advisories.h"

namespace velmora {

namespace {

// A pixel differs from the backdrop when a channel lies this far from the backdrop's mean in
// its row: enough to ride over the calibration backdrops' vignetting and noise (undamaged crowns
// are found 6-43 rows down, none at the top edge).
constexpr int kBackdropDifference = 40;
// A row holds the head once this share of its middle differs from the backdrop.
constexpr int kHeadRowPercent = 30;

}  // namespace

std::optional<int> FindCrownRow(const Image& photo, const cv::Rect& face)
{
    // The backdrop of each row is read in its outer twentieths, which a centred head leaves free.
    const int edge = std::max(1, photo.cols / 20);
    const int from = std::max(0, face.x + face.width / 4);
    const int to = std::min(photo.cols, face.x + face.width * 3 / 4);
    const int lowest = std::min(face.y, photo.rows);
    if (to - from < 4 || photo.cols < 4 * edge)
        return std::nullopt;
    for (int y = 0; y < lowest; ++y) {
        const auto* row = photo.ptr<cv::Vec3b>(y);
        cv::Vec3i backdrop(0, 0, 0);
        for (int x = 0; x < edge; ++x) {
            backdrop += cv::Vec3i(row[x]);
            backdrop += cv::Vec3i(row[photo.cols - 1 - x]);
        }
        backdrop /= 2 * edge;
        int differing = 0;
        for (int x = from; x < to; ++x) {
            const cv::Vec3i p(row[x]);
            differing += std::abs(p[0] - backdrop[0]) > kBackdropDifference ||
                         std::abs(p[1] - backdrop[1]) > kBackdropDifference ||
                         std::abs(p[2] - backdrop[2]) > kBackdropDifference;
        }
        if (100 * differing >= kHeadRowPercent * (to - from))
            return y;
    }
    return std::nullopt;
}

double SideMargin(cv::Size photo, const cv::Rect& face)
{
    const int free = std::min(face.x, photo.width - face.x - face.width);
    return static_cast<double>(std::max(0, free)) / photo.width;
}

}  // namespace velmora
