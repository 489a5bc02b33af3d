#include "engine/file_bytes.h"

#include <algorithm>
#include <fstream>
#include <system_error>

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
