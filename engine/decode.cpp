#include "engine/decode.h"

#include <exception>

#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>

#include "engine/jpeg_structure.h"

namespace velmora {

DecodedJpeg DecodeJpegStrict(std::span<const std::uint8_t> bytes)
{
    // The library makes up the rows of a file cut short and spends seconds and gigabytes on a
    // tiny file that declares a huge frame, so both are refused before it sees the data.
    const auto layout = InspectJpeg(bytes);
    if (!layout || layout->width <= 0 || layout->height <= 0)
        return {{}, DecodeFailure::Unsupported};
    if (!layout->complete)
        return {{}, DecodeFailure::Truncated};
    const std::int64_t pixels = std::int64_t{layout->width} * std::int64_t{layout->height};
    if (pixels > kMaxPhotoPixels)
        return {{}, DecodeFailure::TooManyPixels};

    Image decoded;
    try {
        // The wrapper only reads the bytes, whatever its non-const signature suggests.
        const cv::Mat buffer(1, static_cast<int>(bytes.size()), CV_8UC1, const_cast<std::uint8_t*>(bytes.data()));
        decoded = cv::imdecode(buffer, cv::IMREAD_COLOR | cv::IMREAD_IGNORE_ORIENTATION);
    } catch (const cv::Exception&) {
        return {{}, DecodeFailure::Damaged};
    } catch (const std::exception&) {
        return {{}, DecodeFailure::Damaged};
    }
    if (decoded.empty() || decoded.type() != CV_8UC3 || decoded.cols != layout->width ||
        decoded.rows != layout->height)
        return {{}, DecodeFailure::Damaged};
    return {decoded, DecodeFailure::None};
}

Image DecodeJpeg(std::span<const std::uint8_t> bytes) { return DecodeJpegStrict(bytes).image; }

Image DecodeJpegFile(const std::filesystem::path& file)
{
    const auto bytes = ReadFileBytes(file, kMaxPhotoBytes);
    if (!bytes)
        return {};
    return DecodeJpeg(*bytes);
}

}  // namespace velmora
