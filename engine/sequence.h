// The photo check sequence with the details a tuning tool wants to see.
#pragma once

#include <optional>

#include "engine/background.h"
#include "engine/face.h"
#include "engine/photo_check.h"

// What the stages measured, for people who tune setting.ini.
struct CheckDiagnostics {
    std::optional<BackgroundPixel> backgroundFailure;
    std::optional<FaceReport> face;
};

// The relative path of a tip picture in the program directory.
std::filesystem::path TipPicturePath(TipImage tip);

CheckOutcome RunPhotoCheck(const std::filesystem::path& photo, const CheckSettings& settings,
                           CheckVerdict& verdict, CheckDiagnostics* diagnostics);
