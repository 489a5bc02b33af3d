// Whole-file reads through the native path, so that any name the user can pick opens.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

namespace velmora {

using Bytes = std::vector<std::uint8_t>;

// The contents of a regular file, or nothing when it cannot be read or is larger than maxBytes.
std::optional<Bytes> ReadFileBytes(const std::filesystem::path& file, std::size_t maxBytes);

// At most the first maxBytes bytes of a regular file, or nothing when it cannot be read.
std::optional<Bytes> ReadFileHead(const std::filesystem::path& file, std::size_t maxBytes);

// What a check needs of a photo file, read through one opening of it, so that every test
// judges the same version of a file that may change meanwhile.
struct PhotoFileData {
    std::uintmax_t length = 0;  // the file's length in bytes
    bool whole = false;         // `contents` is the whole file
    Bytes contents;             // the whole file, when it is no longer than the read limit
    Bytes head;                 // its first bytes, enough for the signature
    Bytes tail;                 // its last bytes, enough for the check stamp
};

// How many bytes of each end PhotoFileData keeps.
inline constexpr std::size_t kPhotoEndBytes = 16;

// Reads a regular file whole when it has at most maxBytes, otherwise only its ends.
// Nothing when it is no regular file or cannot be read.
std::optional<PhotoFileData> ReadPhotoFile(const std::filesystem::path& file, std::size_t maxBytes);

// True for a regular file (following links); devices, pipes and directories are not photos.
bool IsRegularFile(const std::filesystem::path& file);

}  // namespace velmora
