#include "engine/advisories.h"

#include <cmath>

#include <opencv2/imgproc.hpp>

#include "engine/advisory_thresholds.h"

namespace velmora {

AdvisoryMeasures MeasureAdvisories(const Image& photo, const cv::Rect& face)
{
    cv::Mat grey;
    cv::cvtColor(photo, grey, cv::COLOR_BGR2GRAY);
    AdvisoryMeasures m;
    m.fineDetail = MeasureFineDetail(grey, face);
    m.exposure = MeasureExposure(photo, face);
    m.roll = MeasureRoll(grey, face);
    const std::optional<int> crown = FindCrownRow(photo, face);
    if (crown)
        m.crownMargin = static_cast<double>(*crown) / photo.rows;
    m.sideMargin = SideMargin(photo.size(), face);
    m.busy = MeasureBusyBackground(grey, face, crown);
    return m;
}

std::vector<Advisory> JudgeAdvisories(const AdvisoryMeasures& m)
{
    using namespace advisory;
    std::vector<Advisory> found;
    const auto below = [&](AdvisoryKind kind, std::optional<double> value, double bound) {
        if (value && *value < bound)
            found.push_back({kind, *value, bound, Direction::Raise});
    };
    const auto above = [&](AdvisoryKind kind, std::optional<double> value, double bound) {
        if (value && *value > bound)
            found.push_back({kind, *value, bound, Direction::Lower});
    };
    below(AdvisoryKind::Blurred, m.fineDetail, kMinFineDetail);
    if (m.exposure) {
        // A dark-skinned or shaded face in a well-exposed photo is not under-exposed: only when
        // nothing in the photo comes near white either.
        if (m.exposure->photoBrightest < kMinPhotoBrightest)
            below(AdvisoryKind::FaceTooDark, m.exposure->highlights, kMinFaceHighlights);
        if (!(m.exposure->highlights < kMaxFaceHighlights))
            found.push_back({AdvisoryKind::FaceTooBright, m.exposure->highlights, kMaxFaceHighlights, Direction::Lower});
        above(AdvisoryKind::HighlightsClipped, m.exposure->clipped, kMaxClippedShare);
    }
    if (m.roll && std::abs(*m.roll) > kMaxRollDegrees)
        found.push_back({AdvisoryKind::HeadTilted, *m.roll, kMaxRollDegrees, Direction::Lower});
    below(AdvisoryKind::CrownAtTop, m.crownMargin, kMinCrownMargin);
    below(AdvisoryKind::FaceNearSide, m.sideMargin, kMinSideMargin);
    above(AdvisoryKind::BusyBackground, m.busy, kMaxBusyShare);
    return found;
}

}  // namespace velmora
