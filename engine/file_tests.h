// Tests on the photo file itself, before any decoding, and the check stamp that marks a
// photo this program has already passed and saved.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>

#include "velmora/check_types.h"

namespace velmora {

// The bytes begin with the JPEG start-of-image marker FF D8.
bool StartsWithJpegMarker(std::span<const std::uint8_t> head);

// The bytes end with exactly the check stamp.
bool EndsWithCheckStamp(std::span<const std::uint8_t> tail);

// The same tests on a file.
bool IsJpegFile(const std::filesystem::path& photo);
bool HasCheckStamp(const std::filesystem::path& photo);

// The file's length lies in the settings' KiB window, both bounds inclusive.
bool IsFileSizeAccepted(const std::filesystem::path& photo, const CheckSettings& settings);
bool IsFileLengthAccepted(std::uintmax_t length, const CheckSettings& settings);

// The window's bounds in bytes: the smallest accepted length, and the largest when there is one.
long long MinimumFileLength(const CheckSettings& settings);
std::optional<long long> MaximumFileLength(const CheckSettings& settings);

// Appends the stamp to the file, whatever its end holds already. False when it could not.
bool AppendCheckStamp(const std::filesystem::path& file);

}  // namespace velmora
