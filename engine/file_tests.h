// Tests on the photo file itself, before any decoding, and the check stamp that marks a
// photo this program has already passed and saved.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>

#include "engine/photo_check.h"

// 16 bytes appended after the JPEG data of a saved photo: "ffffffffffffffe9".
inline constexpr std::array<char, 16> kCheckStamp = {'f', 'f', 'f', 'f', 'f', 'f', 'f', 'f',
                                                     'f', 'f', 'f', 'f', 'f', 'f', 'e', '9'};

// The file begins with the JPEG start-of-image marker FF D8.
bool IsJpegFile(const std::filesystem::path& photo);

// The file's last 16 bytes are exactly the check stamp.
bool HasCheckStamp(const std::filesystem::path& photo);

// The file's length lies in the settings' KiB window, both bounds inclusive.
bool IsFileSizeAccepted(const std::filesystem::path& photo, const CheckSettings& settings);
bool IsFileLengthAccepted(std::uintmax_t length, const CheckSettings& settings);

// Appends the stamp to the file, whatever its end holds already. False when it could not.
bool AppendCheckStamp(const std::filesystem::path& file);
