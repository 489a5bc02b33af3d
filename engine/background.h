// The plain-background check on the two top-corner strips of the normalised photo.
#pragma once

#include <optional>

#include "engine/photo_check.h"

// One examined strip pixel with the values the rules judged.
struct BackgroundPixel {
    int row = 0;
    int column = 0;
    int h = 0;     // HSI hue byte
    float s = 0;   // HSV saturation, 0..1
    float v = 0;   // HSV value, 0..1
};

struct BackgroundWalk {
    bool examined = false;                       // at least one pixel was looked at
    std::optional<BackgroundPixel> firstFailure; // the pixel that ended the walk, if any
};

// The background rule chosen by `bgc`, for one pixel.
bool IsBackgroundPixel(int h, float s, float v, const CheckSettings& settings);

// Walks the left strip, then the right one, row by row, stopping at the first failing pixel.
BackgroundWalk WalkBackground(const Image& photo, const CheckSettings& settings);

// Writes the walk's verdict into backgroundOk (left unwritten when no pixel was examined)
// and returns the flag's value afterwards.
bool RecordBackgroundVerdict(const BackgroundWalk& walk, CheckVerdict& verdict);

// Judges the strips and writes verdict.backgroundOk (left unwritten when no pixel is
// examined); returns the flag's value afterwards.
bool CheckBackground(const Image& photo, const CheckSettings& settings, CheckVerdict& verdict);
