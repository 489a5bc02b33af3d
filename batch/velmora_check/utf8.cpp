#include "utf8.h"

namespace velmora_check {

namespace {

// The length of the well-formed UTF-8 sequence at the start of `text`, or 0.
std::size_t SequenceLength(std::string_view text)
{
    const auto c = static_cast<unsigned char>(text[0]);
    if (c < 0x80)
        return 1;
    const std::size_t length = c >= 0xF5 ? 0 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 ? 2 : 0;
    if (length == 0 || length > text.size())
        return 0;
    for (std::size_t k = 1; k < length; ++k)
        if ((static_cast<unsigned char>(text[k]) & 0xC0) != 0x80)
            return 0;
    // Overlong forms, UTF-16 surrogates and code points past U+10FFFF are not UTF-8 either.
    const auto c1 = static_cast<unsigned char>(text[1]);
    if ((c == 0xE0 && c1 < 0xA0) || (c == 0xED && c1 >= 0xA0) || (c == 0xF0 && c1 < 0x90) ||
        (c == 0xF4 && c1 >= 0x90))
        return 0;
    return length;
}

}  // namespace

std::string ValidUtf8(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        const std::size_t length = SequenceLength(text);
        if (length == 0) {
            out += "\xEF\xBF\xBD";
            text.remove_prefix(1);
        } else {
            out += text.substr(0, length);
            text.remove_prefix(length);
        }
    }
    return out;
}

std::string PathText(const std::filesystem::path& path)
{
    const std::u8string text = path.u8string();
    return {text.begin(), text.end()};
}

std::filesystem::path PathFromText(std::string_view text)
{
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

}  // namespace velmora_check
