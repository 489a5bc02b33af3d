#include "engine/file_tests.h"

#include <algorithm>
#include <fstream>
#include <system_error>

#include "engine/file_bytes.h"

namespace {

constexpr std::uintmax_t kKiB = 1024;

}  // namespace

bool IsJpegFile(const std::filesystem::path& photo)
{
    const auto head = ReadFileHead(photo, 2);
    return head && head->size() == 2 && (*head)[0] == 0xFF && (*head)[1] == 0xD8;
}

bool HasCheckStamp(const std::filesystem::path& photo)
{
    if (!IsRegularFile(photo))
        return false;
    std::ifstream in(photo, std::ios::binary);
    if (!in.seekg(-static_cast<std::streamoff>(kCheckStamp.size()), std::ios::end))
        return false;  // shorter than the stamp
    std::array<char, kCheckStamp.size()> tail{};
    in.read(tail.data(), static_cast<std::streamsize>(tail.size()));
    return in.gcount() == static_cast<std::streamsize>(tail.size()) && tail == kCheckStamp;
}

bool IsFileLengthAccepted(std::uintmax_t length, const CheckSettings& settings)
{
    // In 64 bits: a file of 4 GiB and a few KiB must not wrap into the window.
    const auto bound = [](int kib) { return static_cast<long long>(kib) * static_cast<long long>(kKiB); };
    const auto len = static_cast<long long>(std::min<std::uintmax_t>(length, std::uintmax_t{1} << 62));
    if (len < bound(settings.pic_min_size))
        return false;
    return settings.pic_max_size < 0 || len <= bound(settings.pic_max_size);
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
