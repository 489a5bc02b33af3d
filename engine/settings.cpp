#include "velmora/settings.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>
#include <utility>
#include <vector>

#include "engine/file_bytes.h"

namespace velmora {

namespace {

constexpr std::string_view kSection = "zpshcs";
// The Windows program reads a real value into a 20-character buffer: 19 characters and a NUL.
constexpr std::size_t kRealValueChars = 19;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b)
{
    return std::ranges::equal(a, b, [](char x, char y) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
        return lower(x) == lower(y);
    });
}

// Editors on Windows may save the file as UTF-16; keys and numbers are ASCII, so
// every other character only needs to stay a non-matching byte.
std::string Utf16ToNarrow(std::string_view bytes, bool bigEndian)
{
    std::string text;
    text.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto lo = static_cast<unsigned char>(bytes[bigEndian ? i + 1 : i]);
        const auto hi = static_cast<unsigned char>(bytes[bigEndian ? i : i + 1]);
        text.push_back(hi == 0 && lo < 0x80 ? static_cast<char>(lo) : '?');
    }
    return text;
}

// The key/value pairs of the first [zpshcs] section, in file order.
std::vector<std::pair<std::string_view, std::string_view>> SectionEntries(std::string_view text)
{
    std::vector<std::pair<std::string_view, std::string_view>> entries;
    bool inSection = false;
    bool sectionSeen = false;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = Trim(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);

        if (line.empty() || line.front() == ';')
            continue;
        if (line.front() == '[') {
            const std::size_t close = line.find(']');
            const std::string_view name = Trim(line.substr(1, close == std::string_view::npos ? line.npos : close - 1));
            if (inSection)
                break;  // the first occurrence of the section is the one read
            inSection = !sectionSeen && EqualsIgnoringCase(name, kSection);
            sectionSeen = sectionSeen || inSection;
            continue;
        }
        if (!inSection)
            continue;
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos)
            continue;
        entries.emplace_back(Trim(line.substr(0, equals)), Trim(line.substr(equals + 1)));
    }
    return entries;
}

class SectionReader {
public:
    explicit SectionReader(std::string_view text) : entries_(SectionEntries(text)) {}

    std::optional<std::string_view> Find(std::string_view key) const
    {
        for (const auto& [name, value] : entries_)
            if (EqualsIgnoringCase(name, key))
                return value;  // the first occurrence wins
        return std::nullopt;
    }

    void Read(std::string_view key, int& field) const
    {
        if (const auto value = Find(key))
            field = ParseProfileInt(*value, field);
    }

    void Read(std::string_view key, float& field) const
    {
        field = ParseProfileReal(Find(key).value_or("0.0"));
    }

private:
    std::vector<std::pair<std::string_view, std::string_view>> entries_;
};

float RoundToFloat(double value)
{
    constexpr double kMax = std::numeric_limits<float>::max();
    if (std::fabs(value) > kMax)
        return std::copysign(std::numeric_limits<float>::infinity(), static_cast<float>(value > 0 ? 1 : -1));
    return static_cast<float>(value);
}

}  // namespace

int ParseProfileInt(std::string_view value, int fallback)
{
    if (value.empty())
        return fallback;
    bool negative = false;
    if (value.front() == '-') {
        negative = true;
        value.remove_prefix(1);
    }
    // Saturate rather than wrap: a huge limit must stay huge, not turn negative.
    long long magnitude = 0;
    constexpr long long kLimit = static_cast<long long>(std::numeric_limits<int>::max()) + 1;
    for (const char c : value) {
        if (!IsDigit(c))
            break;
        magnitude = std::min(kLimit, magnitude * 10 + (c - '0'));
    }
    const long long signedValue = negative ? -magnitude : magnitude;
    return static_cast<int>(std::clamp<long long>(signedValue, std::numeric_limits<int>::min(),
                                                  std::numeric_limits<int>::max()));
}

float ParseProfileReal(std::string_view value)
{
    value = value.substr(0, kRealValueChars);
    while (!value.empty() && (IsBlank(value.front()) || value.front() == '\n'))
        value.remove_prefix(1);

    // The longest prefix of the form [sign] digits [. digits] [e [sign] digits].
    std::size_t pos = 0;
    const bool negative = pos < value.size() && value[pos] == '-';
    if (pos < value.size() && (value[pos] == '+' || value[pos] == '-'))
        ++pos;
    const std::size_t mantissaStart = pos;
    std::size_t digits = 0;
    while (pos < value.size() && IsDigit(value[pos])) {
        ++pos;
        ++digits;
    }
    if (pos < value.size() && value[pos] == '.') {
        ++pos;
        while (pos < value.size() && IsDigit(value[pos])) {
            ++pos;
            ++digits;
        }
    }
    if (digits == 0)
        return 0.0f;
    bool negativeExponent = false;
    if (pos < value.size() && (value[pos] == 'e' || value[pos] == 'E')) {
        std::size_t exp = pos + 1;
        if (exp < value.size() && (value[exp] == '+' || value[exp] == '-')) {
            negativeExponent = value[exp] == '-';
            ++exp;
        }
        if (exp < value.size() && IsDigit(value[exp])) {
            while (exp < value.size() && IsDigit(value[exp]))
                ++exp;
            pos = exp;
        } else {
            negativeExponent = false;
        }
    }

    const std::string_view number = value.substr(mantissaStart, pos - mantissaStart);
    double magnitude = 0.0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), magnitude);
    if (error == std::errc::result_out_of_range)
        magnitude = negativeExponent ? 0.0 : std::numeric_limits<double>::infinity();
    else if (error != std::errc{} || end != number.data() + number.size())
        return 0.0f;
    return RoundToFloat(negative ? -magnitude : magnitude);
}

CheckSettings ParseCheckSettings(std::string_view iniText)
{
    std::string converted;
    if (iniText.starts_with("\xFF\xFE") || iniText.starts_with("\xFE\xFF")) {
        converted = Utf16ToNarrow(iniText.substr(2), iniText.front() == '\xFE');
        iniText = converted;
    } else if (iniText.starts_with("\xEF\xBB\xBF")) {
        iniText.remove_prefix(3);
    }

    const SectionReader section(iniText);
    CheckSettings s;
    section.Read("min_width", s.min_width);
    section.Read("min_height", s.min_height);
    section.Read("pic_min_size", s.pic_min_size);
    section.Read("pic_max_size", s.pic_max_size);
    section.Read("dst_width", s.dst_width);
    section.Read("dst_height", s.dst_height);
    section.Read("ratio_y_min", s.ratio_y_min);
    section.Read("ratio_y_max", s.ratio_y_max);
    section.Read("ratio_x_min", s.ratio_x_min);
    section.Read("ratio_x_max", s.ratio_x_max);
    section.Read("s_min", s.s_min);
    section.Read("i_min", s.i_min);
    section.Read("i_max", s.i_max);
    section.Read("red_h_min", s.red_h_min);
    section.Read("red_h_max", s.red_h_max);
    section.Read("blue_h_min", s.blue_h_min);
    section.Read("blue_h_max", s.blue_h_max);
    section.Read("jc_a", s.jc_a);
    section.Read("jc_b", s.jc_b);
    section.Read("jc_precision", s.jc_precision);
    section.Read("cast", s.cast);
    section.Read("bgc", s.bgc);
    return s;
}

std::optional<std::string> FindOutOfRangeKey(const CheckSettings& s)
{
    if (s.dst_width < 1 || s.dst_width > kMaxNormalisedSide)
        return "dst_width";
    if (s.dst_height < 1 || s.dst_height > kMaxNormalisedSide)
        return "dst_height";
    // Only the checks read the background strips; normalising alone never does.
    if (s.NormaliseOnly())
        return std::nullopt;
    // The strips must lie inside the normalised photo and hold at least one pixel: an empty
    // strip would judge no background at all.
    if (s.jc_a < 1 || s.jc_a > s.dst_height)
        return "jc_a";
    if (s.jc_b < 1 || s.jc_b > s.dst_width)
        return "jc_b";
    return std::nullopt;
}

SettingsLoad ReadCheckSettingsFile(const std::filesystem::path& file, CheckSettings& out)
{
    std::error_code error;
    if (!std::filesystem::exists(file, error))
        return {SettingsStatus::Missing, {}};
    // A folder of that name, or a file we may not read, is not a settings file whose keys all
    // default: that would check every photo against thresholds nobody chose.
    const auto bytes = ReadFileHead(file, kMaxSettingsBytes);
    if (!bytes)
        return {SettingsStatus::Unreadable, {}};
    const CheckSettings parsed =
        ParseCheckSettings(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
    if (auto key = FindOutOfRangeKey(parsed))
        return {SettingsStatus::OutOfRange, std::move(*key)};
    out = parsed;
    return {SettingsStatus::Loaded, {}};
}

SettingsLoad LoadCheckSettings(const std::filesystem::path& programDir, CheckSettings& out)
{
    return ReadCheckSettingsFile(programDir / kSettingsFileName, out);
}

}  // namespace velmora
