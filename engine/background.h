// The plain-background check on the two top-corner strips of the normalised photo.
#pragma once

#include <optional>

#include "velmora/check_types.h"
#include "velmora/reason.h"

namespace velmora {

struct BackgroundWalk {
    bool examined = false;                        // at least one pixel was looked at
    std::optional<BackgroundPixel> firstFailure;  // the pixel that ended the walk, if any
};

// The background rule chosen by `bgc`, for one pixel.
bool IsBackgroundPixel(int h, float s, float v, const CheckSettings& settings);

// Walks the left strip, then the right one, row by row, stopping at the first failing pixel.
BackgroundWalk WalkBackground(const Image& photo, const CheckSettings& settings);

// Why the strip of that corner fails, walked whole: for advice, never for the verdict. Nothing
// when no pixel of it fails.
std::optional<BackgroundFault> DescribeBackgroundFault(const Image& photo, const CheckSettings& settings, Strip side);

// Writes the walk's verdict into backgroundOk (left unwritten when no pixel was examined)
// and returns the flag's value afterwards.
bool RecordBackgroundVerdict(const BackgroundWalk& walk, CheckVerdict& verdict);

// Judges the strips and writes verdict.backgroundOk (left unwritten when no pixel is
// examined); returns the flag's value afterwards.
bool CheckBackground(const Image& photo, const CheckSettings& settings, CheckVerdict& verdict);

}  // namespace velmora
