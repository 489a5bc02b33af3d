#include "engine/hsi.h"

#include <algorithm>
#include <cmath>

#include <opencv2/core.hpp>

namespace velmora {

namespace {

// The hue bytes stored files and thresholds were tuned against come from exactly this
// arithmetic: double precision throughout, rounded to float only where a float is
// assigned, and 3.1416 rather than pi. Every double conversion below is deliberate.
constexpr double kPi = 3.1416;

inline float ToFloat(double value) { return static_cast<float>(value); }

inline void PixelToHsi(const uchar* bgr, uchar* hsi) {
    const float b = ToFloat(bgr[0] / 255.0);
    const float g = ToFloat(bgr[1] / 255.0);
    const float r = ToFloat(bgr[2] / 255.0);
    const double rd = r;
    const double gd = g;
    const double bd = b;

    const float rad = ToFloat((rd - gd) * (rd - gd) + (rd - bd) * (gd - bd));
    const float den = ToFloat(std::sqrt(static_cast<double>(rad)));

    float hue = 0.0f;
    if (den != 0.0f) {
        const float num = ToFloat(0.5 * ((rd - bd) + (rd - gd)));
        const float q = ToFloat(static_cast<double>(num) / static_cast<double>(den));
        const float theta = ToFloat(std::acos(static_cast<double>(q)));
        double deg = static_cast<double>(theta) * 180.0 / kPi;
        if (g < b) {
            deg = 360.0 - deg;
        }
        hue = ToFloat(deg);
    }

    const float m = std::min({r, g, b});
    const float sum = ToFloat((gd + rd) + bd);
    const float saturation =
        sum == 0.0f ? 0.0f : ToFloat(1.0 - 3.0 * static_cast<double>(m) / static_cast<double>(sum));
    const float intensity = ToFloat(static_cast<double>(sum) / 3.0);

    // Rounding can push q a hair outside [-1, 1]; acos then gives NaN, which stores as 0.
    // Hue lies in [0, 360], so the integer conversion is defined; the byte keeps its low 8 bits.
    const int hueDegrees = std::isnan(hue) ? 0 : static_cast<int>(hue);
    hsi[0] = static_cast<uchar>(hueDegrees & 0xFF);
    hsi[1] = static_cast<uchar>(static_cast<int>(static_cast<double>(saturation) * 255.0));
    hsi[2] = static_cast<uchar>(static_cast<int>(static_cast<double>(intensity) * 255.0));
}

}  // namespace

void ConvertToHsi(const Image& bgr, HsiImage& hsi) {
    CV_Assert(bgr.empty() || bgr.type() == CV_8UC3);
    // A no-op for a caller that allocated correctly; otherwise it keeps the writes inside `hsi`.
    hsi.create(bgr.size(), CV_8UC3);

    // Row by row through the row pointers, so a region of interest (strided rows) works too.
    for (int y = 0; y < bgr.rows; ++y) {
        const uchar* in = bgr.ptr<uchar>(y);
        uchar* out = hsi.ptr<uchar>(y);
        for (int x = 0; x < bgr.cols; ++x) {
            PixelToHsi(in + 3 * x, out + 3 * x);
        }
    }
}

}  // namespace velmora
