// Presence, size and height of the one frontal face in the normalised photo.
#pragma once

#include <filesystem>
#include <optional>
#include <vector>

#include <opencv2/core/types.hpp>

#include "engine/photo_check.h"

enum class FaceResult { NoSingleFace, BadlyPlacedFace, FaceAccepted };

// The cascade file the detector loads from the program directory.
inline constexpr const char* kFaceCascadeFile = "haarcascade_frontalface_alt2.xml";

struct FacePlacement {
    float ratioY = 0;  // share of the photo height below the estimated chin line
    float ratioX = 0;  // share of the photo width not covered by the face box
    bool wellPlaced = false;
};

struct FaceReport {
    FaceResult result = FaceResult::NoSingleFace;
    std::vector<cv::Rect> faces;             // what the detector found
    std::optional<FacePlacement> placement;  // when exactly one face was found
};

// Loads (or keeps, while the file is unchanged) the cascade from the program directory.
// False when it is missing or unreadable.
bool LoadFaceCascade(const std::filesystem::path& exeDir);

// The ratios of a face box in a photo of the settings' normalised size.
FacePlacement PlaceFace(const cv::Rect& face, const CheckSettings& settings);

// Finds the faces and judges the single one; writes faceOk, and positionOk when one face
// was found. A missing cascade finds no face.
FaceReport InspectFace(const Image& photo, const CheckSettings& settings,
                       const std::filesystem::path& exeDir, CheckVerdict& verdict);

FaceResult CheckFace(const Image& photo, const CheckSettings& settings,
                     const std::filesystem::path& exeDir, CheckVerdict& verdict);
