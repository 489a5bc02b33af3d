#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include <opencv2/imgproc.hpp>

#include "engine/advisories.h"

namespace velmora {

namespace {

// The middle of the face is resampled to this width, about its width in a standard photo of
// 295 x 413, so that the edge width is measured in the same units whatever the face's size.
constexpr int kSampleWidth = 100;
// The strongest edges judged: eyes, brows, nostrils and lips, not skin texture or noise.
constexpr double kEdgeShare = 0.05;

}  // namespace

std::optional<double> MeasureEdgeWidth(const cv::Mat& grey, const cv::Rect& face)
{
    // Eyes, nose and mouth, without the hairline or the cheeks' edges against the backdrop.
    const cv::Rect middle = cv::Rect(face.x + face.width / 5, face.y + face.height / 5, face.width * 3 / 5,
                                     face.height * 3 / 5) &
                            cv::Rect(0, 0, grey.cols, grey.rows);
    if (middle.width < 20 || middle.height < 20)
        return std::nullopt;
    cv::Mat sample;
    const int height = middle.height * kSampleWidth / middle.width;
    cv::resize(grey(middle), sample, cv::Size(kSampleWidth, height), 0, 0, cv::INTER_LINEAR);
    sample.convertTo(sample, CV_32F);

    // A step of contrast C blurred by a Gaussian of width s rises at most C / (s sqrt(2 pi)) per
    // pixel; the width of each strong edge follows from its slope and the contrast around it.
    cv::Mat dx, dy, slope, high, low;
    cv::Sobel(sample, dx, CV_32F, 1, 0, 3, 1.0 / 8);
    cv::Sobel(sample, dy, CV_32F, 0, 1, 3, 1.0 / 8);
    cv::magnitude(dx, dy, slope);
    const cv::Mat window = cv::getStructuringElement(cv::MORPH_RECT, cv::Size(13, 13));
    cv::dilate(sample, high, window);
    cv::erode(sample, low, window);

    std::vector<float> slopes(slope.begin<float>(), slope.end<float>());
    const auto cut = slopes.begin() + static_cast<long>(static_cast<double>(slopes.size()) * (1.0 - kEdgeShare));
    std::nth_element(slopes.begin(), cut, slopes.end());
    const float strong = *cut;
    // A face without contrast (a flat patch) has no edge whose width could be read.
    if (strong < 2.0f)
        return std::nullopt;
    std::vector<double> widths;
    for (int y = 6; y < sample.rows - 6; ++y)
        for (int x = 6; x < sample.cols - 6; ++x) {
            const float s = slope.at<float>(y, x);
            if (s >= strong)
                widths.push_back((high.at<float>(y, x) - low.at<float>(y, x)) / (s * std::sqrt(2 * std::numbers::pi)));
        }
    if (widths.size() < 20)
        return std::nullopt;
    auto median = widths.begin() + static_cast<long>(widths.size() / 2);
    std::nth_element(widths.begin(), median, widths.end());
    return *median;
}

}  // namespace velmora
