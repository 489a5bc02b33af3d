#include <algorithm>
#include <cstdlib>

#include <opencv2/imgproc.hpp>

#include "engine/advisories.h"

namespace velmora {

namespace {

// A pixel is busy when its smoothed gradient (|dx| + |dy| of 3 x 3 Sobel) reaches this: the
// calibration backdrops' noise, gradients and vignetting stay under it (undamaged photos whose
// hair stays close to the face box measure under 3 %).
constexpr int kEdgeStrength = 100;

}  // namespace

std::optional<double> MeasureBusyBackground(const cv::Mat& grey, const cv::Rect& face, std::optional<int> crownRow)
{
    // Above the mouth; below it the shoulders begin.
    const int bottom = std::min(grey.rows, face.y + face.height * 4 / 5);
    if (bottom < 10)
        return std::nullopt;
    const cv::Mat band = grey.rowRange(0, bottom);
    cv::Mat smooth, dx, dy;
    cv::GaussianBlur(band, smooth, cv::Size(3, 3), 0);
    cv::Sobel(smooth, dx, CV_16S, 1, 0);
    cv::Sobel(smooth, dy, CV_16S, 0, 1);

    // The head: from the crown down, as wide as the face box and a twentieth of it more each
    // side; a standard photo leaves only 10-60 pixels beside the box, so hair reaching past it
    // counts (curly hair takes a side up to 22 %).
    const int top = crownRow ? *crownRow : std::max(0, face.y - face.height / 3);
    const int left = std::max(0, face.x - face.width / 20);
    const int right = std::min(band.cols, face.x + face.width + face.width / 20);
    // Each part alone: in the whole band, clutter beside one ear or a lamp above the head was
    // diluted by the calm of the other parts. A part of a few rows is too small to judge.
    const auto share = [&](const cv::Rect& part) -> std::optional<double> {
        if (part.area() < band.cols * 4)
            return std::nullopt;
        int busy = 0;
        for (int y = part.y; y < part.y + part.height; ++y) {
            const auto* gx = dx.ptr<short>(y);
            const auto* gy = dy.ptr<short>(y);
            for (int x = part.x; x < part.x + part.width; ++x)
                busy += std::abs(gx[x]) + std::abs(gy[x]) >= kEdgeStrength;
        }
        return static_cast<double>(busy) / part.area();
    };
    std::optional<double> busiest;
    for (const cv::Rect& part : {cv::Rect(0, 0, left, bottom), cv::Rect(right, 0, band.cols - right, bottom),
                                 cv::Rect(left, 0, right - left, std::min(top, bottom))})
        if (const auto value = share(part); value && (!busiest || *value > *busiest))
            busiest = value;
    return busiest;
}

}  // namespace velmora
