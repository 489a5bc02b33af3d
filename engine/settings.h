// Reading setting.ini: our own INI reader with the number rules of the Windows profile
// functions, so that a file written for the Windows program means the same here.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "engine/photo_check.h"

// Larger normalised photos than this are refused at load: they would only exhaust memory.
inline constexpr int kMaxNormalisedSide = 10000;

// setting.ini is small; a larger file is read only this far.
inline constexpr std::size_t kMaxSettingsBytes = 16 * 1024 * 1024;

// The settings that the text of a setting.ini gives, keys missing from it taking their defaults.
CheckSettings ParseCheckSettings(std::string_view iniText);

// The first key whose value leaves the checks no sound behaviour, if any.
std::optional<std::string> FindOutOfRangeKey(const CheckSettings& settings);

// How one value becomes a number: integers as the Windows profile reader reads them,
// reals as a 20-character buffer handed to _wtof. Locale-independent.
int ParseProfileInt(std::string_view value, int fallback);
float ParseProfileReal(std::string_view value);
