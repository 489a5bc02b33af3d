#include <algorithm>
#include <cmath>
#include <numbers>

#include <opencv2/imgproc.hpp>

#include "engine/advisories.h"
#include "engine/face.h"

namespace velmora {

namespace {

// Normalised correlation of an eye with its mirrored partner below which there is no partner.
constexpr double kMinMirrorMatch = 0.4;
// How far, as a share of the face's width, the partner's partner may land from the eye.
constexpr double kMaxReturnMiss = 0.05;
// The face's width at which the cascade looks for eyes.
constexpr int kSearchWidth = 100;

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
    // Searched at a face width of 100 pixels, where an eye is about 22 across: the cascade's
    // cost grows with the pixels and the scales it tries.
    const double scale = static_cast<double>(kSearchWidth) / band.width;
    try {
        cv::Mat region;
        cv::resize(grey(band), region, cv::Size(), scale, scale, cv::INTER_AREA);
        cv::equalizeHist(region, region);
        // Eyes measure 20-23 % of the box's width on the calibration faces.
        m_classifier.detectMultiScale(region, eyes, 1.25, 2, cv::CASCADE_SCALE_IMAGE,
                                      cv::Size(kSearchWidth * 3 / 20, kSearchWidth * 3 / 20),
                                      cv::Size(kSearchWidth * 3 / 10, kSearchWidth * 3 / 10));
    } catch (const cv::Exception&) {
        eyes.clear();
    }
    for (cv::Rect& eye : eyes)
        eye = cv::Rect(band.x + static_cast<int>(eye.x / scale), band.y + static_cast<int>(eye.y / scale),
                       static_cast<int>(eye.width / scale), static_cast<int>(eye.height / scale));
    return eyes;
}

namespace {

// Where the mirror image of `eye` lies across the face, and how well it matches; searched within
// a roll of about 20 degrees. Mirroring turns a rolled eye the other way: with the roll known
// roughly, the mirror image is turned back by twice that before it is sought.
struct Partner {
    cv::Rect where;
    cv::Point2d centre;  // to a fraction of a pixel
    double match = 0;
};

// The offset, within one pixel, of the peak of a parabola through three scores around a maximum.
double PeakOffset(float before, float at, float after)
{
    const double curve = before - 2.0 * at + after;
    return curve < 0 ? 0.5 * (before - after) / curve : 0.0;
}

std::optional<Partner> FindMirroredPartner(const cv::Mat& grey, const cv::Rect& face, const cv::Rect& eye, double roll)
{
    const int across = 2 * face.x + face.width - eye.x - eye.width;  // the box's middle as the mirror
    const int reachX = face.width / 5, reachY = face.width / 6;
    const cv::Rect search =
        cv::Rect(across - reachX, eye.y - reachY, eye.width + 2 * reachX, eye.height + 2 * reachY) &
        cv::Rect(0, 0, grey.cols, grey.rows);
    if (search.width <= eye.width || search.height <= eye.height)
        return std::nullopt;
    cv::Mat mirrored, scores;
    cv::flip(grey(eye), mirrored, 1);
    if (roll != 0) {
        const cv::Point2f middle(static_cast<float>(eye.width) / 2, static_cast<float>(eye.height) / 2);
        cv::warpAffine(mirrored, mirrored, cv::getRotationMatrix2D(middle, -2 * roll, 1.0), mirrored.size(),
                       cv::INTER_LINEAR, cv::BORDER_REPLICATE);
    }
    cv::matchTemplate(grey(search), mirrored, scores, cv::TM_CCOEFF_NORMED);
    Partner partner;
    cv::Point at;
    cv::minMaxLoc(scores, nullptr, &partner.match, nullptr, &at);
    partner.where = cv::Rect(search.tl() + at, eye.size());
    const double dx = at.x > 0 && at.x + 1 < scores.cols
                          ? PeakOffset(scores.at<float>(at.y, at.x - 1), scores.at<float>(at), scores.at<float>(at.y, at.x + 1))
                          : 0.0;
    const double dy = at.y > 0 && at.y + 1 < scores.rows
                          ? PeakOffset(scores.at<float>(at.y - 1, at.x), scores.at<float>(at), scores.at<float>(at.y + 1, at.x))
                          : 0.0;
    partner.centre = cv::Point2d(partner.where.x + dx + eye.width / 2.0, partner.where.y + dy + eye.height / 2.0);
    return partner;
}

}  // namespace

std::optional<double> MeasureRoll(EyeDetector& detector, const cv::Mat& grey, const cv::Rect& face)
{
    // The eye the cascade is surest of (the largest box); when it finds none (thick frames of
    // glasses often hide them), the left eye where a face box usually has it.
    const std::vector<cv::Rect> eyes = detector.Detect(grey, face);
    const cv::Rect found =
        eyes.empty() ? cv::Rect(face.x + face.width * 17 / 100, face.y + face.height * 27 / 100, face.width * 22 / 100,
                                face.width * 22 / 100)
                     : *std::max_element(eyes.begin(), eyes.end(),
                                         [](const cv::Rect& a, const cv::Rect& b) { return a.area() < b.area(); });
    if ((found & cv::Rect(0, 0, grey.cols, grey.rows)) != found || face.width < 20)
        return std::nullopt;

    // Matched at a face width of 100 pixels, to a fraction of a pixel: at full size the matching
    // alone cost several milliseconds.
    const double scale = static_cast<double>(kSearchWidth) / face.width;
    cv::Mat small;
    cv::resize(grey, small, cv::Size(), scale, scale, scale < 1 ? cv::INTER_AREA : cv::INTER_LINEAR);
    const auto shrink = [&](const cv::Rect& r) {
        return cv::Rect(cvRound(r.x * scale), cvRound(r.y * scale), cvRound(r.width * scale), cvRound(r.height * scale)) &
               cv::Rect(0, 0, small.cols, small.rows);
    };
    const cv::Rect box = shrink(face), eye = shrink(found);
    const cv::Point2d eyeCentre(eye.x + eye.width / 2.0, eye.y + eye.height / 2.0);

    // The line from a point to its mirrored partner is square to the face's axis of symmetry,
    // so its angle is the roll, wherever inside the eye the box happens to lie. The partner's
    // own mirror image has to lead back to where it came from, or the match was chance (a brow,
    // a glint, hair over one eye).
    const bool leftSide = eyeCentre.x < box.x + box.width / 2.0;
    const auto rollTo = [&](const Partner& partner) {
        const cv::Point2d line = leftSide ? partner.centre - eyeCentre : eyeCentre - partner.centre;
        return std::atan2(line.y, line.x) * 180.0 / std::numbers::pi;
    };
    const auto rough = FindMirroredPartner(small, box, eye, 0.0);
    if (!rough)
        return std::nullopt;
    const double roll = rollTo(*rough);
    const auto there = FindMirroredPartner(small, box, eye, roll);
    if (!there || there->match < kMinMirrorMatch)
        return std::nullopt;
    const auto back = FindMirroredPartner(small, box, there->where, roll);
    if (!back || cv::norm(back->centre - eyeCentre) > box.width * kMaxReturnMiss)
        return std::nullopt;
    // Eyes closer than a quarter of the face's width apart are not a pair.
    if (std::abs(there->centre.x - eyeCentre.x) < box.width / 4.0)
        return std::nullopt;
    return rollTo(*there);
}

}  // namespace velmora
