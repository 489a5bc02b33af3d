#include "engine/file_bytes.h"

#include <algorithm>
#include <fstream>
#include <system_error>

namespace velmora {

bool IsRegularFile(const std::filesystem::path& file)
{
    std::error_code error;
    return std::filesystem::is_regular_file(file, error);
}

std::optional<Bytes> ReadFileHead(const std::filesystem::path& file, std::size_t maxBytes)
{
    if (!IsRegularFile(file))
        return std::nullopt;
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return std::nullopt;
    Bytes bytes;
    // Read in chunks rather than trusting the reported size: the file may change underneath.
    constexpr std::size_t kChunk = 1 << 16;
    while (in) {
        const std::size_t old = bytes.size();
        if (old >= maxBytes)
            break;
        const std::size_t want = std::min(kChunk, maxBytes - old);
        bytes.resize(old + want);
        in.read(reinterpret_cast<char*>(bytes.data() + old), static_cast<std::streamsize>(want));
        bytes.resize(old + static_cast<std::size_t>(in.gcount()));
    }
    if (in.bad())
        return std::nullopt;
    return bytes;
}

std::optional<Bytes> ReadFileBytes(const std::filesystem::path& file, std::size_t maxBytes)
{
    // Refuse an oversized file by its length before reading any of it.
    std::error_code error;
    if (const std::uintmax_t length = std::filesystem::file_size(file, error); !error && length > maxBytes)
        return std::nullopt;
    auto bytes = ReadFileHead(file, maxBytes + 1);
    if (bytes && bytes->size() > maxBytes)
        return std::nullopt;
    return bytes;
}

std::optional<PhotoFileData> ReadPhotoFile(const std::filesystem::path& file, std::size_t maxBytes)
{
    if (!IsRegularFile(file))
        return std::nullopt;
    std::ifstream in(file, std::ios::binary | std::ios::ate);
    if (!in)
        return std::nullopt;
    const std::streamoff end = in.tellg();
    if (end < 0)
        return std::nullopt;

    PhotoFileData data;
    data.length = static_cast<std::uintmax_t>(end);
    const auto readAt = [&in](std::streamoff offset, std::size_t count, Bytes& into) {
        into.resize(count);
        in.seekg(offset);
        in.read(reinterpret_cast<char*>(into.data()), static_cast<std::streamsize>(count));
        into.resize(static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0)));
        in.clear();
    };
    if (data.length <= maxBytes) {
        readAt(0, static_cast<std::size_t>(data.length), data.contents);
        if (in.bad())
            return std::nullopt;
        // A file cut short meanwhile is judged as read, all tests on the same bytes.
        data.length = data.contents.size();
        data.whole = true;
        const std::size_t ends = std::min(kPhotoEndBytes, data.contents.size());
        data.head.assign(data.contents.begin(), data.contents.begin() + static_cast<std::ptrdiff_t>(ends));
        data.tail.assign(data.contents.end() - static_cast<std::ptrdiff_t>(ends), data.contents.end());
        return data;
    }
    const auto ends = static_cast<std::size_t>(std::min<std::uintmax_t>(kPhotoEndBytes, data.length));
    readAt(0, ends, data.head);
    readAt(end - static_cast<std::streamoff>(ends), ends, data.tail);
    if (in.bad())
        return std::nullopt;
    return data;
}

}  // namespace velmora
