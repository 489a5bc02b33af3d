#include "engine/file_tests.h"

#include <algorithm>
#include <fstream>
#include <optional>
#include <system_error>

#include "engine/file_bytes.h"

namespace velmora {

namespace {

constexpr long long kKiB = 1024;

}  // namespace

bool StartsWithJpegMarker(std::span<const std::uint8_t> head)
{
    return head.size() >= 2 && head[0] == 0xFF && head[1] == 0xD8;
}

bool EndsWithCheckStamp(std::span<const std::uint8_t> tail)
{
    if (tail.size() < kCheckStamp.size())
        return false;  // shorter than the stamp
    return std::ranges::equal(tail.last(kCheckStamp.size()), kCheckStamp,
                              [](std::uint8_t byte, char stamp) { return byte == static_cast<std::uint8_t>(stamp); });
}

bool IsJpegFile(const std::filesystem::path& photo)
{
    const auto head = ReadFileHead(photo, 2);
    return head && StartsWithJpegMarker(*head);
}

bool HasCheckStamp(const std::filesystem::path& photo)
{
    const auto data = ReadPhotoFile(photo, 0);
    return data && EndsWithCheckStamp(data->tail);
}

long long MinimumFileLength(const CheckSettings& settings)
{
    // In 64 bits: a limit near the top of the int range must not wrap.
    return static_cast<long long>(settings.pic_min_size) * kKiB;
}

std::optional<long long> MaximumFileLength(const CheckSettings& settings)
{
    if (settings.pic_max_size < 0)
        return std::nullopt;
    return static_cast<long long>(settings.pic_max_size) * kKiB;
}

bool IsFileLengthAccepted(std::uintmax_t length, const CheckSettings& settings)
{
    // A file of 4 GiB and a few KiB must not wrap into the window either.
    const auto len = static_cast<long long>(std::min<std::uintmax_t>(length, std::uintmax_t{1} << 62));
    if (len < MinimumFileLength(settings))
        return false;
    const auto maximum = MaximumFileLength(settings);
    return !maximum || len <= *maximum;
}

bool IsFileSizeAccepted(const std::filesystem::path& photo, const CheckSettings& settings)
{
    std::error_code error;
    const std::uintmax_t length = std::filesystem::file_size(photo, error);
    return !error && IsFileLengthAccepted(length, settings);
}

bool AppendCheckStamp(const std::filesystem::path& file)
{
    std::ofstream out(file, std::ios::binary | std::ios::app);
    out.write(kCheckStamp.data(), static_cast<std::streamsize>(kCheckStamp.size()));
    out.close();
    return !out.fail();
}

}  // namespace velmora
