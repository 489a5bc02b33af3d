// The colour behind the sample portrait: one that the loaded settings allow as background, so
// the example never shows a photo the check would refuse.
#pragma once

#include <QColor>

#include "velmora/check_types.h"

// Blue when the settings accept it (the usual colour of such photos), else red, else white.
QColor SampleBackdrop(const velmora::CheckSettings& settings);
