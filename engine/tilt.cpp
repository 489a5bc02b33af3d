#include <algorithm>
#include <cmath>
#include <numbers>

#include <opencv2/imgproc.hpp>

#include "engine/advisories.h"
#include "engine/face.h"

namespace velmora {

namespace {

// Normalised correlation of an eye with its mirrored partner; measured 0.6-0.95 on the
// calibration faces, below 0.5 on a closed or covered eye.
constexpr double kMinMirrorMatch = 0.5;

}  // namespace

std::optional<EyeDetector> EyeDetector::Load(const std::filesystem::path& cascadeFile)
{
    EyeDetector detector;
    if (!ReadCascade(cascadeFile, detector.m_classifier))
        return std::nullopt;
    return detector;
}

std::vector<cv::Rect> EyeDetector::Detect(const cv::Mat& grey, const cv::Rect& face)
{
    // The eyes lie in the upper half of the box whatever the roll a frontal detector allows.
    const cv::Rect band =
        cv::Rect(face.x, face.y + face.height / 10, face.width, face.height / 2) & cv::Rect(0, 0, grey.cols, grey.rows);
    std::vector<cv::Rect> eyes;
    if (band.width < 40 || band.height < 20)
        return eyes;
    try {
        cv::Mat region;
        cv::equalizeHist(grey(band), region);
        m_classifier.detectMultiScale(region, eyes, 1.1, 2, cv::CASCADE_SCALE_IMAGE,
                                      cv::Size(face.width / 8, face.width / 8), cv::Size(face.width / 3, face.width / 3));
    } catch (const cv::Exception&) {
        eyes.clear();
    }
    for (cv::Rect& eye : eyes)
        eye += band.tl();
    return eyes;
}

std::optional<double> MeasureRoll(EyeDetector& detector, const cv::Mat& grey, const cv::Rect& face)
{
    // The eye the cascade is surest of (the largest box), on either side.
    const std::vector<cv::Rect> eyes = detector.Detect(grey, face);
    if (eyes.empty())
        return std::nullopt;
    const cv::Rect eye = *std::max_element(eyes.begin(), eyes.end(),
                                           [](const cv::Rect& a, const cv::Rect& b) { return a.area() < b.area(); });
    // Its mirror image is sought on the other side of the face: the line from a point to its
    // mirrored partner is square to the face's axis of symmetry, so its angle is the roll,
    // wherever inside the eye the box happens to be centred.
    const cv::Point2d centre(eye.x + eye.width / 2.0, eye.y + eye.height / 2.0);
    const bool leftSide = centre.x < face.x + face.width / 2.0;
    // The partner lies across the box's middle, within a roll of about 20 degrees.
    const double across = 2.0 * (face.x + face.width / 2.0) - centre.x;
    const int reachX = face.width / 5, reachY = face.width / 6;
    const cv::Rect search = cv::Rect(static_cast<int>(across) - eye.width / 2 - reachX, eye.y - reachY,
                                     eye.width + 2 * reachX, eye.height + 2 * reachY) &
                            cv::Rect(0, 0, grey.cols, grey.rows);
    if (search.width <= eye.width || search.height <= eye.height)
        return std::nullopt;
    cv::Mat mirrored, scores;
    cv::flip(grey(eye), mirrored, 1);
    cv::matchTemplate(grey(search), mirrored, scores, cv::TM_CCOEFF_NORMED);
    double best = 0;
    cv::Point at;
    cv::minMaxLoc(scores, nullptr, &best, nullptr, &at);
    // A weak match is no partner: a closed eye, a glint on glasses, hair over one side.
    if (best < kMinMirrorMatch)
        return std::nullopt;
    const cv::Point2d partner(search.x + at.x + eye.width / 2.0, search.y + at.y + eye.height / 2.0);
    const cv::Point2d line = leftSide ? partner - centre : centre - partner;
    // Eyes closer than a quarter of the face's width apart are not a pair.
    if (line.x < face.width / 4.0)
        return std::nullopt;
    return std::atan2(line.y, line.x) * 180.0 / std::numbers::pi;
}

}  // namespace velmora
