#include "engine/background.h"

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include "engine/hsi.h"
#include "velmora/background_rule.h"

namespace velmora {

namespace {

// The band limits are kept as products in double of the float settings: 4.2f * 60 is
// 251.99998..., so a hue byte of 252 lies outside a band that "ends at 4.2".
double BandLimit(float sixtieths) { return static_cast<double>(sixtieths) * 60.0; }

bool IsWhitePixel(float s, float v, const CheckSettings& settings) {
    return s < settings.s_min && v > settings.i_max;
}

bool IsHueInBand(int h, const CheckSettings& settings) {
    const bool lowRed = h > 0 && h <= BandLimit(settings.red_h_min);
    const bool highRed = h >= BandLimit(settings.red_h_max);
    // Holds both yellow-green hues and the wrapped magenta-red bytes of 346..359 degrees.
    const bool fixedBand = 90 <= h && h <= 109;
    const bool blue = BandLimit(settings.blue_h_min) <= h && h <= BandLimit(settings.blue_h_max);
    return lowRed || highRed || fixedBand || blue;
}

// The strip as it lies inside the photo; empty when the settings leave nothing to examine.
// Worked in 64 bits so that no setting, however wild, can overflow the corner arithmetic.
cv::Rect ClippedStrip(long long firstColumn, const CheckSettings& settings, const Image& photo) {
    if (settings.jc_a <= 0 || settings.jc_b <= 0) {
        return {};
    }
    const long long left = std::max(firstColumn, 0LL);
    const long long right = std::min(firstColumn + settings.jc_b, static_cast<long long>(photo.cols));
    const long long bottom = std::min(static_cast<long long>(settings.jc_a), static_cast<long long>(photo.rows));
    if (left >= right || bottom <= 0) {
        return {};
    }
    return {static_cast<int>(left), 0, static_cast<int>(right - left), static_cast<int>(bottom)};
}

using StripRects = std::array<std::pair<Strip, cv::Rect>, 2>;

// Left strip first, then the right one anchored at the normalised width. Both are clipped, so
// a photo of another size is never read outside its pixels.
StripRects Strips(const Image& photo, const CheckSettings& settings) {
    return {{
        {Strip::Left, ClippedStrip(0, settings, photo)},
        {Strip::Right, ClippedStrip(static_cast<long long>(settings.dst_width) - settings.jc_b, settings, photo)},
    }};
}

// The hue in whole degrees 0..359 of a pixel whose HSI hue byte is `h`: the byte keeps only the
// low 8 bits, and only hues past 180 degrees (green below blue) can have wrapped.
int HueDegrees(int h, const uchar* bgr) {
    const int degrees = bgr[1] < bgr[0] && h <= 104 ? h + 256 : h;
    return degrees % 360;
}

// The test a failing pixel misses, on the alternative of the rule it comes nearest to: a
// low-saturation pixel is a white that is too dark; a saturated one misses its colour band or,
// inside one, the colour's brightness.
BackgroundTest FailedTest(int h, float s, const CheckSettings& settings) {
    if (settings.bgc != 1) {
        return s < settings.s_min ? BackgroundTest::TooDark : BackgroundTest::Tinted;
    }
    if (s < settings.s_min) {
        return BackgroundTest::TooDark;
    }
    return IsHueInBand(h, settings) ? BackgroundTest::ColourTooDark : BackgroundTest::HueOutsideBands;
}

// Converts one strip and hands each pixel, row by row, to `visit` with its HSI hue byte, its
// HSV saturation and value (0..1), and its blue-green-red and HSV bytes; stops when `visit`
// returns false. Only the strips are converted: both conversions work pixel by pixel, so the
// bytes equal those of converting the whole photo, at a fraction of the cost.
template <typename Visit>
void VisitStripPixels(const Image& region, Visit visit) {
    HsiImage hsi;
    Image hsv;
    ConvertToHsi(region, hsi);
    cv::cvtColor(region, hsv, cv::COLOR_RGB2HSV);
    for (int y = 0; y < region.rows; ++y) {
        const uchar* bgrRow = region.ptr<uchar>(y);
        const uchar* hsiRow = hsi.ptr<uchar>(y);
        const uchar* hsvRow = hsv.ptr<uchar>(y);
        for (int x = 0; x < region.cols; ++x) {
            const int h = hsiRow[3 * x];
            const float s = static_cast<float>(hsvRow[3 * x + 1]) / 255.0f;
            const float v = static_cast<float>(hsvRow[3 * x + 2]) / 255.0f;
            if (!visit(y, x, h, s, v, bgrRow + 3 * x, hsvRow + 3 * x)) {
                return;
            }
        }
    }
}

}  // namespace

bool IsBackgroundPixel(int h, float s, float v, const CheckSettings& settings) {
    if (settings.bgc != 1) {
        return IsWhitePixel(s, v, settings);
    }
    if (IsHueInBand(h, settings) && v > settings.i_min) {
        return true;
    }
    if (h == 0 && s > settings.s_min) {
        return true;
    }
    return IsWhitePixel(s, v, settings);
}

BackgroundWalk WalkBackground(const Image& photo, const CheckSettings& settings) {
    BackgroundWalk walk;
    if (photo.empty()) {
        return walk;
    }
    const StripRects strips = Strips(photo, settings);

    for (const auto& [side, rect] : strips) {
        if (rect.empty()) {
            continue;
        }
        walk.examined = true;
        const Strip strip = side;
        const cv::Point origin = rect.tl();
        VisitStripPixels(photo(rect), [&](int y, int x, int h, float s, float v, const uchar*, const uchar*) {
            if (IsBackgroundPixel(h, s, v, settings)) {
                return true;
            }
            walk.firstFailure = BackgroundPixel{origin.y + y, origin.x + x, strip, h, s, v};
            return false;
        });
        if (walk.firstFailure) {
            return walk;
        }
    }
    return walk;
}

std::optional<BackgroundFault> DescribeBackgroundFault(const Image& photo, const CheckSettings& settings, Strip side) {
    if (photo.empty()) {
        return std::nullopt;
    }
    const StripRects strips = Strips(photo, settings);
    const cv::Rect strip = side == Strip::Left ? strips[0].second : strips[1].second;
    if (strip.empty()) {
        return std::nullopt;
    }
    // The figure of each failing pixel, per test missed: bytes for value and saturation, degrees for the hue.
    constexpr std::size_t kTests = 4;
    std::array<std::vector<int>, kTests> figures;
    VisitStripPixels(photo(strip), [&](int, int, int h, float s, float v, const uchar* bgr, const uchar* hsvBytes) {
        if (!IsBackgroundPixel(h, s, v, settings)) {
            const BackgroundTest test = FailedTest(h, s, settings);
            const int figure = test == BackgroundTest::Tinted            ? hsvBytes[1]
                               : test == BackgroundTest::HueOutsideBands ? HueDegrees(h, bgr)
                                                                         : hsvBytes[2];
            figures[static_cast<std::size_t>(test)].push_back(figure);
        }
        return true;
    });

    BackgroundFault fault;
    fault.rule = settings.bgc == 1 ? BackgroundRule::RedOrBlue : BackgroundRule::White;
    fault.side = side;
    fault.stripPixels = strip.area();
    std::size_t most = 0;  // the test missed most often; ties go to the earlier test
    for (std::size_t t = 0; t < kTests; ++t) {
        fault.failingPixels += static_cast<int>(figures[t].size());
        if (figures[t].size() > figures[most].size()) {
            most = t;
        }
    }
    if (fault.failingPixels == 0) {
        return std::nullopt;
    }
    // The lower median: a figure some pixel really has, the same on every platform.
    std::vector<int>& chosen = figures[most];
    const auto middle = chosen.begin() + static_cast<std::ptrdiff_t>((chosen.size() - 1) / 2);
    std::nth_element(chosen.begin(), middle, chosen.end());
    fault.test = static_cast<BackgroundTest>(most);
    // Value and saturation are told on the settings' 0..1 scale, the hue in degrees.
    fault.measured = fault.test == BackgroundTest::HueOutsideBands ? static_cast<float>(*middle)
                                                                   : static_cast<float>(*middle) / 255.0f;
    switch (fault.test) {
    case BackgroundTest::TooDark:
        fault.limit = settings.i_max;
        fault.key = "i_max";
        break;
    case BackgroundTest::Tinted:
        fault.limit = settings.s_min;
        fault.key = "s_min";
        break;
    case BackgroundTest::ColourTooDark:
        fault.limit = settings.i_min;
        fault.key = "i_min";
        break;
    case BackgroundTest::HueOutsideBands:
        break;
    }
    if (fault.rule == BackgroundRule::RedOrBlue) {
        fault.bands = {BandLimit(settings.red_h_min), BandLimit(settings.blue_h_min), BandLimit(settings.blue_h_max)};
    }
    return fault;
}

bool RecordBackgroundVerdict(const BackgroundWalk& walk, CheckVerdict& verdict) {
    // Every passing pixel would set the flag and the failing one clear it, so the net
    // write is this; with nothing examined the flag keeps what it had.
    if (walk.examined) {
        verdict.backgroundOk = !walk.firstFailure.has_value();
    }
    return verdict.backgroundOk;
}

bool IsAcceptedBackgroundColour(std::uint8_t blue, std::uint8_t green, std::uint8_t red, const CheckSettings& settings) {
    // A strip of that colour, walked as the photo's strips are: the same conversions, the same rule.
    CheckSettings oneStrip = settings;
    oneStrip.jc_a = oneStrip.jc_b = oneStrip.dst_width = 1;
    const Image patch(1, 1, CV_8UC3, cv::Scalar(blue, green, red));
    const BackgroundWalk walk = WalkBackground(patch, oneStrip);
    return walk.examined && !walk.firstFailure;
}

bool CheckBackground(const Image& photo, const CheckSettings& settings, CheckVerdict& verdict) {
    return RecordBackgroundVerdict(WalkBackground(photo, settings), verdict);
}

}  // namespace velmora
