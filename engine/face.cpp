#include "engine/face.h"

#include <string>

#include <opencv2/core/persistence.hpp>
#include <opencv2/imgproc.hpp>

#include "engine/file_bytes.h"

namespace velmora {

namespace {

// The library's cascade is about half a megabyte; anything far larger is not a cascade.
constexpr std::size_t kMaxCascadeBytes = 64 * 1024 * 1024;

}  // namespace

bool ReadCascade(const std::filesystem::path& cascadeFile, cv::CascadeClassifier& classifier)
{
    const auto bytes = ReadFileBytes(cascadeFile, kMaxCascadeBytes);
    if (!bytes || bytes->empty())
        return false;
    try {
        const std::string text(bytes->begin(), bytes->end());
        cv::FileStorage storage(text, cv::FileStorage::READ | cv::FileStorage::MEMORY);
        return storage.isOpened() && classifier.read(storage.getFirstTopLevelNode()) && !classifier.empty();
    } catch (const cv::Exception&) {
        return false;
    }
}

std::optional<FaceDetector> FaceDetector::Load(const std::filesystem::path& cascadeFile)
{
    FaceDetector detector;
    if (!ReadCascade(cascadeFile, detector.m_classifier))
        return std::nullopt;
    return detector;
}

std::vector<cv::Rect> FaceDetector::Detect(const Image& photo, int minNeighbours)
{
    std::vector<cv::Rect> faces;
    try {
        cv::Mat grey;
        cv::cvtColor(photo, grey, cv::COLOR_BGR2GRAY);
        cv::equalizeHist(grey, grey);
        m_classifier.detectMultiScale(grey, faces, 1.1, minNeighbours, cv::CASCADE_SCALE_IMAGE,
                                      cv::Size(10, 100), cv::Size());
    } catch (const cv::Exception&) {
        // A photo the library cannot read shows no face.
        faces.clear();
    }
    return faces;
}

std::vector<cv::Rect> FaceDetector::DetectInScene(const Image& photo, int minNeighbours)
{
    std::vector<cv::Rect> faces;
    try {
        cv::Mat grey;
        cv::cvtColor(photo, grey, cv::COLOR_BGR2GRAY);
        cv::createCLAHE(2.0, cv::Size(8, 8))->apply(grey, grey);
        m_classifier.detectMultiScale(grey, faces, 1.1, minNeighbours, cv::CASCADE_SCALE_IMAGE,
                                      cv::Size(10, 100), cv::Size());
    } catch (const cv::Exception&) {
        faces.clear();
    }
    return faces;
}

FacePlacement PlaceFace(const cv::Rect& face, const CheckSettings& settings)
{
    // Each step rounds exactly where the stored thresholds were tuned against.
    const int cy = static_cast<int>(face.y + kFaceCentreShare * face.height);
    const float chin = static_cast<float>(cy + kChinBelowCentreShare * face.height);
    const float height = static_cast<float>(settings.dst_height);
    FacePlacement placement;
    placement.ratioY = static_cast<float>((static_cast<double>(height) - chin) / height);
    placement.ratioX =
        static_cast<float>(1.0 - static_cast<double>(face.width) / settings.dst_width);
    placement.wellPlaced = settings.ratio_y_min < placement.ratioY &&
                           placement.ratioY < settings.ratio_y_max &&
                           settings.ratio_x_min < placement.ratioX &&
                           placement.ratioX < settings.ratio_x_max;
    return placement;
}

FaceReport InspectFace(FaceDetector& detector, const Image& photo, const CheckSettings& settings,
                       CheckVerdict& verdict)
{
    FaceReport report;
    report.faces = detector.Detect(photo, settings.jc_precision);
    if (report.faces.size() != 1) {
        verdict.faceOk = false;
        report.result = FaceResult::NoSingleFace;
        return report;
    }
    verdict.faceOk = true;
    report.placement = PlaceFace(report.faces.front(), settings);
    verdict.positionOk = report.placement->wellPlaced;
    report.result = verdict.positionOk ? FaceResult::FaceAccepted : FaceResult::BadlyPlacedFace;
    return report;
}

FaceResult CheckFace(FaceDetector& detector, const Image& photo, const CheckSettings& settings,
                     CheckVerdict& verdict)
{
    return InspectFace(detector, photo, settings, verdict).result;
}

}  // namespace velmora
