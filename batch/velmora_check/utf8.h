// Text from file names is bytes; what we print into JSON and HTML must be UTF-8.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace velmora_check {

// The text with every byte that is not part of well-formed UTF-8 replaced by U+FFFD.
std::string ValidUtf8(std::string_view text);

// The path as UTF-8 text, the way it was given (no normalisation).
std::string PathText(const std::filesystem::path& path);

// The path named by UTF-8 text (an argument, a list entry): on POSIX the same bytes.
std::filesystem::path PathFromText(std::string_view text);

}  // namespace velmora_check
