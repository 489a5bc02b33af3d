// The measurements behind the advisories, one per file, and the judgement of them against the
// thresholds in advisory_thresholds.h. Each measure returns nothing when it cannot be taken:
// a photo is never warned about on a guess.
#pragma once

#include <optional>
#include <vector>

#include <opencv2/core/types.hpp>
#include <opencv2/core/mat.hpp>

#include "velmora/advisory.h"
#include "velmora/check_types.h"

namespace velmora {

// Sharpness of the face: the contrast of its finest detail (below about 1 pixel of a face middle
// resampled to a fixed width) as a share of its contrast between 1 and 4 pixels. Smaller is
// blurrier.
std::optional<double> MeasureFineDetail(const cv::Mat& grey, const cv::Rect& face);

struct FaceExposure {
    double highlights = 0;  // 98th percentile of the face's luma, 0..255
    double clipped = 0;     // share of the face's pixels with a luma of 250 or more
    double photoBrightest = 0;  // 99th percentile of the whole photo's brightest channel
};
std::optional<FaceExposure> MeasureExposure(const Image& photo, const cv::Rect& face);

// Roll of the head, degrees, positive when the right-hand side of the face in the picture sits
// lower: the turn at which the face best matches its own mirror image, to half a degree.
// Nothing when no turn makes it symmetric.
std::optional<double> MeasureRoll(const cv::Mat& grey, const cv::Rect& face);

// First row above the face whose middle differs from the backdrop beside it, or nothing when
// no such row lies above the face box.
std::optional<int> FindCrownRow(const Image& photo, const cv::Rect& face);

// Free width between the face box and the nearer side edge, share of the photo width.
double SideMargin(cv::Size photo, const cv::Rect& face);

// Share of the band above the mouth, outside the head (from the crown down, a little wider than
// the face box), that carries strong edges.
std::optional<double> MeasureBusyBackground(const cv::Mat& grey, const cv::Rect& face, std::optional<int> crownRow);

struct AdvisoryMeasures {
    std::optional<double> fineDetail;
    std::optional<FaceExposure> exposure;
    std::optional<double> roll;
    std::optional<double> crownMargin;  // share of the height
    double sideMargin = 0;
    std::optional<double> busy;
};

// Every measure of one face in the normalised photo.
AdvisoryMeasures MeasureAdvisories(const Image& photo, const cv::Rect& face);

// The advisories the measures call for, in the order of AdvisoryKind.
std::vector<Advisory> JudgeAdvisories(const AdvisoryMeasures& measures);

}  // namespace velmora
