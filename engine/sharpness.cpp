#include <cmath>

#include <opencv2/imgproc.hpp>

#include "engine/advisories.h"

namespace velmora {

namespace {

// The middle of the face is resampled to this width, about its width in a standard photo of
// 295 x 413, so that detail is measured on the same scale whatever the face's size.
constexpr int kSampleWidth = 100;
// Left out of the measure: there the blurs repeat the edge pixels.
constexpr int kBorder = 6;
// Below this contrast (grey levels) between the two coarser scales the face is a flat patch
// with nothing to be sharp or soft.
constexpr double kMinCoarseContrast = 1.0;

double RootMeanSquare(const cv::Mat& difference)
{
    return std::sqrt(cv::mean(difference.mul(difference))[0]);
}

}  // namespace

std::optional<double> MeasureFineDetail(const cv::Mat& grey, const cv::Rect& face)
{
    // Eyes, nose and mouth, without the hairline or the cheeks' edges against the backdrop.
    const cv::Rect middle = cv::Rect(face.x + face.width / 5, face.y + face.height / 5, face.width * 3 / 5,
                                     face.height * 3 / 5) &
                            cv::Rect(0, 0, grey.cols, grey.rows);
    if (middle.width < 20)
        return std::nullopt;
    const int height = middle.height * kSampleWidth / middle.width;
    // A face cut by the photo's edge to a sliver leaves too little to judge.
    if (height < 2 * kBorder + 10)
        return std::nullopt;
    cv::Mat sample;
    cv::resize(grey(middle), sample, cv::Size(kSampleWidth, height), 0, 0, cv::INTER_LINEAR);
    sample.convertTo(sample, CV_32F);

    // Detail finer than a pixel or two (lashes, pores, the rims of eyes and lips) against the
    // contrast between 1 and 4 pixels. A blur of sigma s damps a detail of frequency f by
    // exp(-2 pi^2 s^2 f^2): the finest band loses far more than the coarser one, whatever the
    // face's own contrast or lighting. An edge width would take a face with soft outlines for a
    // blurred one.
    cv::Mat soft1, soft4;
    cv::GaussianBlur(sample, soft1, cv::Size(), 1.0);
    cv::GaussianBlur(sample, soft4, cv::Size(), 4.0);
    const cv::Rect inner = cv::Rect(kBorder, kBorder, sample.cols - 2 * kBorder, sample.rows - 2 * kBorder);
    const double coarseContrast = RootMeanSquare(soft1(inner) - soft4(inner));
    if (coarseContrast < kMinCoarseContrast)
        return std::nullopt;
    return RootMeanSquare(sample(inner) - soft1(inner)) / coarseContrast;
}

}  // namespace velmora
