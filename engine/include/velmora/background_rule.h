// The background rule for one colour, for front ends that show a background the settings accept.
#pragma once

#include <cstdint>

#include "velmora/check_types.h"

namespace velmora {

// True when a plain background of this colour passes the background check of the settings,
// judged exactly as the pixels of the corner strips are.
bool IsAcceptedBackgroundColour(std::uint8_t blue, std::uint8_t green, std::uint8_t red, const CheckSettings& settings);

}  // namespace velmora
