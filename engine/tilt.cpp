#include <algorithm>
#include <cmath>

#include <opencv2/imgproc.hpp>

#include "engine/advisories.h"

namespace velmora {

namespace {

// The face is judged at this width: enough for the eyes, brows and mouth, and each trial turn
// costs a few microseconds.
constexpr int kSampleWidth = 64;
// Rolls tried, degrees: a frontal face detector finds heads turned up to about 20 degrees.
constexpr int kMaxTriedRoll = 24;
constexpr int kCoarseStep = 2;
constexpr double kFineStep = 0.5;
// How far the axis of symmetry may lie from the box's middle, pixels at kSampleWidth: the
// detector centres its box on the face to within a few per cent of its width.
constexpr int kAxisReach = 4;
// Below this correlation of a face with its mirror image the face is no symmetric pattern
// (hair or a hand over half of it, a profile): no figure rather than a guess.
constexpr double kMinSymmetry = 0.2;

// How well the face matches its mirror image when turned back by `degrees`, at the best axis.
double Symmetry(const cv::Mat& detail, cv::Point2d centre, double degrees)
{
    cv::Mat turn = cv::getRotationMatrix2D(centre, degrees, 1.0);
    turn.at<double>(0, 2) += kSampleWidth / 2.0 - centre.x;
    turn.at<double>(1, 2) += kSampleWidth / 2.0 - centre.y;
    cv::Mat upright;
    cv::warpAffine(detail, upright, turn, cv::Size(kSampleWidth, kSampleWidth), cv::INTER_LINEAR, cv::BORDER_REPLICATE);
    // Brows, eyes, nose and mouth: the box's top edge and the chin below stay out.
    const int half = kSampleWidth / 2 - kAxisReach - 2, top = kSampleWidth / 8, rows = kSampleWidth * 5 / 8;
    double best = -1;
    for (int axis = kSampleWidth / 2 - kAxisReach; axis <= kSampleWidth / 2 + kAxisReach; ++axis) {
        // Normalised correlation of the left half with the mirrored right half, written out:
        // a library template match per axis and turn cost ten times as much.
        double sumL = 0, sumR = 0, sumLL = 0, sumRR = 0, sumLR = 0;
        for (int y = top; y < top + rows; ++y) {
            const float* row = upright.ptr<float>(y);
            for (int i = 1; i <= half; ++i) {
                const double l = row[axis - i], r = row[axis + i - 1];
                sumL += l, sumR += r, sumLL += l * l, sumRR += r * r, sumLR += l * r;
            }
        }
        const double n = static_cast<double>(half) * rows;
        const double varL = sumLL - sumL * sumL / n, varR = sumRR - sumR * sumR / n;
        if (varL > 0 && varR > 0)
            best = std::max(best, (sumLR - sumL * sumR / n) / std::sqrt(varL * varR));
    }
    return best;
}

}  // namespace

std::optional<double> MeasureRoll(const cv::Mat& grey, const cv::Rect& face)
{
    if (face.width < 20)
        return std::nullopt;
    // The face and a margin around it at the sample width; turned pictures take their corners
    // from the margin.
    const cv::Rect around = cv::Rect(face.x - face.width / 2, face.y - face.height / 2, face.width * 2, face.height * 2) &
                            cv::Rect(0, 0, grey.cols, grey.rows);
    const double scale = static_cast<double>(kSampleWidth) / face.width;
    cv::Mat detail, shading;
    cv::resize(grey(around), detail, cv::Size(), scale, scale, scale < 1 ? cv::INTER_AREA : cv::INTER_LINEAR);
    detail.convertTo(detail, CV_32F);
    // Features, not light: light from one side would otherwise pull the axis towards it.
    cv::GaussianBlur(detail, shading, cv::Size(), kSampleWidth / 10.0);
    detail -= shading;
    const cv::Point2d centre((face.x - around.x + face.width / 2.0) * scale, (face.y - around.y + face.height / 2.0) * scale);

    double bestScore = -1, bestRoll = 0;
    const auto tryRoll = [&](double degrees) {
        if (const double s = Symmetry(detail, centre, degrees); s > bestScore)
            bestScore = s, bestRoll = degrees;
    };
    for (int degrees = -kMaxTriedRoll; degrees <= kMaxTriedRoll; degrees += kCoarseStep)
        tryRoll(degrees);
    const double coarse = bestRoll;
    for (double degrees = coarse - kCoarseStep + kFineStep; degrees < coarse + kCoarseStep; degrees += kFineStep)
        tryRoll(degrees);
    if (bestScore < kMinSymmetry)
        return std::nullopt;
    return bestRoll;
}

}  // namespace velmora
