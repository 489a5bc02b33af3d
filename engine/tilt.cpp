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

namespace {

// Where the mirror image of `eye` lies across the face, and how well it matches; searched within
// a roll of about 20 degrees. Mirroring turns a rolled eye the other way: with the roll known
// roughly, the mirror image is turned back by twice that before it is sought.
struct Partner {
    cv::Rect where;
    double match = 0;
};

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
    return partner;
}

cv::Point2d Centre(const cv::Rect& r) { return {r.x + r.width / 2.0, r.y + r.height / 2.0}; }

}  // namespace

std::optional<double> MeasureRoll(EyeDetector& detector, const cv::Mat& grey, const cv::Rect& face)
{
    // The eye the cascade is surest of (the largest box); when it finds none (thick frames of
    // glasses often hide them), the left eye where a face box usually has it.
    const std::vector<cv::Rect> eyes = detector.Detect(grey, face);
    const cv::Rect eye =
        eyes.empty() ? cv::Rect(face.x + face.width * 17 / 100, face.y + face.height * 27 / 100, face.width * 22 / 100,
                                face.width * 22 / 100)
                     : *std::max_element(eyes.begin(), eyes.end(),
                                         [](const cv::Rect& a, const cv::Rect& b) { return a.area() < b.area(); });
    if ((eye & cv::Rect(0, 0, grey.cols, grey.rows)) != eye)
        return std::nullopt;
    // The line from a point to its mirrored partner is square to the face's axis of symmetry,
    // so its angle is the roll, wherever inside the eye the box happens to lie. The partner's
    // own mirror image has to lead back to where it came from, or the match was chance (a brow,
    // a glint, hair over one eye).
    const bool leftSide = Centre(eye).x < face.x + face.width / 2.0;
    const auto rollTo = [&](const cv::Rect& partner) {
        const cv::Point2d line = leftSide ? Centre(partner) - Centre(eye) : Centre(eye) - Centre(partner);
        return std::atan2(line.y, line.x) * 180.0 / std::numbers::pi;
    };
    const auto rough = FindMirroredPartner(grey, face, eye, 0.0);
    if (!rough)
        return std::nullopt;
    const double roll = rollTo(rough->where);
    const auto there = FindMirroredPartner(grey, face, eye, roll);
    if (!there || there->match < kMinMirrorMatch)
        return std::nullopt;
    const auto back = FindMirroredPartner(grey, face, there->where, roll);
    if (!back || cv::norm(Centre(back->where) - Centre(eye)) > face.width * kMaxReturnMiss)
        return std::nullopt;
    // Eyes closer than a quarter of the face's width apart are not a pair.
    if (std::abs(Centre(there->where).x - Centre(eye).x) < face.width / 4.0)
        return std::nullopt;
    return rollTo(there->where);
}

}  // namespace velmora
