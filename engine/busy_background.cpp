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
    // side; a standard photo leaves only 10-60 pixels beside the box, and hair reaching past it
    // counts (full hair measures up to 7.7 %).
    const int top = crownRow ? *crownRow : std::max(0, face.y - face.height / 3);
    const int left = face.x - face.width / 20, right = face.x + face.width + face.width / 20;
    int busy = 0, total = 0;
    for (int y = 0; y < bottom; ++y) {
        const auto* gx = dx.ptr<short>(y);
        const auto* gy = dy.ptr<short>(y);
        for (int x = 0; x < band.cols; ++x) {
            if (y >= top && x >= left && x < right)
                continue;
            ++total;
            busy += std::abs(gx[x]) + std::abs(gy[x]) >= kEdgeStrength;
        }
    }
    // Hardly any band left beside a head that fills the photo: nothing to judge.
    if (total < band.cols * 10)
        return std::nullopt;
    return static_cast<double>(busy) / total;
}

}  // namespace velmora
