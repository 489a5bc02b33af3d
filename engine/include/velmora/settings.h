// Reading setting.ini: our own INI reader with the number rules of the Windows profile
// functions, so that a file written for the Windows program means the same here.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "velmora/check_types.h"

namespace velmora {

// The settings file's name in the program directory.
inline constexpr std::string_view kSettingsFileName = "setting.ini";

// Larger normalised photos than this are refused at load: they would only exhaust memory.
inline constexpr int kMaxNormalisedSide = 10000;

// setting.ini is small; a larger file is read only this far.
inline constexpr std::size_t kMaxSettingsBytes = 16 * 1024 * 1024;

enum class SettingsStatus {
    Loaded,
    Missing,     // no file of that name
    Unreadable,  // something of that name that cannot be read as a file (a folder, no permission)
    OutOfRange,  // read, but a value leaves the checks no sound behaviour
};

struct SettingsLoad {
    SettingsStatus status = SettingsStatus::Missing;
    std::string key;  // the offending key when status is OutOfRange

    explicit operator bool() const noexcept { return status == SettingsStatus::Loaded; }
};

// Reads the settings file into `out`; nothing is stored unless it loads.
SettingsLoad ReadCheckSettingsFile(const std::filesystem::path& file, CheckSettings& out);

// Reads setting.ini from the program directory into `out`; the same rules.
SettingsLoad LoadCheckSettings(const std::filesystem::path& programDir, CheckSettings& out);

// The settings that the text of a setting.ini gives, keys missing from it taking their defaults.
CheckSettings ParseCheckSettings(std::string_view iniText);

// The first key whose value leaves the checks no sound behaviour, if any.
std::optional<std::string> FindOutOfRangeKey(const CheckSettings& settings);

// How one value becomes a number: integers as the Windows profile reader reads them,
// reals as a 20-character buffer handed to _wtof. Locale-independent.
int ParseProfileInt(std::string_view value, int fallback);
float ParseProfileReal(std::string_view value);

}  // namespace velmora
