// Presence, size and height of the one frontal face in the normalised photo.
#pragma once

#include <filesystem>
#include <optional>
#include <vector>

#include <opencv2/core/types.hpp>
#include <opencv2/objdetect.hpp>

#include "velmora/check_types.h"
#include "velmora/reason.h"

namespace velmora {

enum class FaceResult { NoSingleFace, BadlyPlacedFace, FaceAccepted };

// Reads one of the image library's cascades through the native path (any name opens); false
// when the file is missing, unreadable or not a cascade.
bool ReadCascade(const std::filesystem::path& cascadeFile, cv::CascadeClassifier& classifier);

// The image library's frontal-face cascade, read once. Detection changes the classifier's
// working buffers, so one detector serves one thread.
class FaceDetector {
public:
    // Reads the cascade; nothing when ReadCascade cannot.
    static std::optional<FaceDetector> Load(const std::filesystem::path& cascadeFile);

    // The faces in the photo, found on its equalised grey image.
    std::vector<cv::Rect> Detect(const Image& photo, int minNeighbours);

    // The faces in a wide scene, found on its grey image with the contrast equalised locally:
    // one histogram over a whole phone photo gives the wall most of the grey levels, and a face
    // a tenth of the height is then no longer found. The boxes come out somewhat larger than
    // Detect's for the same face.
    std::vector<cv::Rect> DetectInScene(const Image& photo, int minNeighbours);

private:
    cv::CascadeClassifier m_classifier;
};

struct FaceReport {
    FaceResult result = FaceResult::NoSingleFace;
    std::vector<cv::Rect> faces;             // what the detector found
    std::optional<FacePlacement> placement;  // when exactly one face was found
};

// Where the position rule puts the chin: the box's centre, half its height below its top, and
// three quarters of its height further down.
inline constexpr double kFaceCentreShare = 0.5;
inline constexpr double kChinBelowCentreShare = 0.75;

// The ratios of a face box in a photo of the settings' normalised size.
FacePlacement PlaceFace(const cv::Rect& face, const CheckSettings& settings);

// Finds the faces and judges the single one; writes faceOk, and positionOk when one face
// was found.
FaceReport InspectFace(FaceDetector& detector, const Image& photo, const CheckSettings& settings,
                       CheckVerdict& verdict);

FaceResult CheckFace(FaceDetector& detector, const Image& photo, const CheckSettings& settings,
                     CheckVerdict& verdict);

}  // namespace velmora
