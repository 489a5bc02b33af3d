#include "engine/decode.h"

#include <exception>

#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>

#include "engine/jpeg_structure.h"

Image DecodeJpeg(const Bytes& bytes)
{
    // The library makes up the rows of a file cut short and spends seconds and gigabytes on a
    // tiny file that declares a huge frame, so both are refused before it sees the data.
    const auto layout = InspectJpeg(bytes);
    if (!layout || !layout->complete || layout->width <= 0 || layout->height <= 0)
        return {};
    const std::int64_t pixels = std::int64_t{layout->width} * std::int64_t{layout->height};
    if (pixels > kMaxPhotoPixels)
        return {};

    Image decoded;
    try {
        decoded = cv::imdecode(cv::_InputArray(bytes), cv::IMREAD_COLOR | cv::IMREAD_IGNORE_ORIENTATION);
    } catch (const cv::Exception&) {
        return {};
    } catch (const std::exception&) {
        return {};
    }
    if (decoded.empty() || decoded.type() != CV_8UC3 || decoded.cols != layout->width ||
        decoded.rows != layout->height)
        return {};
    return decoded;
}

Image DecodeJpegFile(const std::filesystem::path& file)
{
    const auto bytes = ReadFileBytes(file, kMaxPhotoBytes);
    if (!bytes)
        return {};
    return DecodeJpeg(*bytes);
}
