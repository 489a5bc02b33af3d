// Whole-file reads through the native path, so that any name the user can pick opens.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

// The contents of a regular file, or nothing when it cannot be read or is larger than maxBytes.
std::optional<Bytes> ReadFileBytes(const std::filesystem::path& file, std::size_t maxBytes);

// At most the first maxBytes bytes of a regular file, or nothing when it cannot be read.
std::optional<Bytes> ReadFileHead(const std::filesystem::path& file, std::size_t maxBytes);

// True for a regular file (following links); devices, pipes and directories are not photos.
bool IsRegularFile(const std::filesystem::path& file);
