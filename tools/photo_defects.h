// Defects made at a known strength on a normalised photo, for calibrating the advisories and
// for their tests: blur, exposure, roll, a cut crown, a face pushed against a side, clutter.
#pragma once

#include <algorithm>
#include <cmath>

#include <opencv2/imgproc.hpp>

namespace defects {

inline cv::Mat Blur(const cv::Mat& photo, double sigma)
{
    cv::Mat out;
    cv::GaussianBlur(photo, out, cv::Size(), sigma);
    return out;
}

// Light scaled by 2^stops in linear sRGB, clipped at white, as a camera over- or under-exposing.
inline cv::Mat Exposure(const cv::Mat& photo, double stops)
{
    cv::Mat table(1, 256, CV_8U);
    for (int v = 0; v < 256; ++v) {
        const double c = v / 255.0;
        double linear = c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
        linear = std::min(1.0, linear * std::pow(2.0, stops));
        const double s = linear <= 0.0031308 ? 12.92 * linear : 1.055 * std::pow(linear, 1 / 2.4) - 0.055;
        table.at<uchar>(v) = cv::saturate_cast<uchar>(s * 255.0);
    }
    cv::Mat out;
    cv::LUT(photo, table, out);
    return out;
}

// Turned by `degrees` (positive: clockwise as seen) about `centre`; the edges repeat outwards.
inline cv::Mat Roll(const cv::Mat& photo, double degrees, cv::Point2f centre)
{
    cv::Mat out;
    cv::warpAffine(photo, out, cv::getRotationMatrix2D(centre, -degrees, 1.0), photo.size(), cv::INTER_LINEAR,
                   cv::BORDER_REPLICATE);
    return out;
}

// Moved by (dx, dy) pixels; what comes in from an edge repeats that edge.
inline cv::Mat Shift(const cv::Mat& photo, int dx, int dy)
{
    const cv::Mat move = (cv::Mat_<double>(2, 3) << 1, 0, dx, 0, 1, dy);
    cv::Mat out;
    cv::warpAffine(photo, out, move, photo.size(), cv::INTER_NEAREST, cv::BORDER_REPLICATE);
    return out;
}

// A piece of a real scene (its middle, scaled to fill `where`) pasted over the photo.
inline cv::Mat Paste(const cv::Mat& photo, const cv::Mat& scene, cv::Rect where)
{
    cv::Mat out = photo.clone();
    where &= cv::Rect(0, 0, photo.cols, photo.rows);
    if (where.empty())
        return out;
    const cv::Rect middle(scene.cols / 3, scene.rows / 3, scene.cols / 3, scene.rows / 3);
    cv::resize(scene(middle), out(where), where.size(), 0, 0, cv::INTER_AREA);
    return out;
}

}  // namespace defects
