#include "thumbnail.h"

#include <algorithm>
#include <vector>

#include <opencv2/imgproc.hpp>

#include "velmora/export.h"

namespace velmora_check {

namespace {

constexpr int kThumbnailQuality = 60;

cv::Size ThumbnailSize(PictureSize shownAs)
{
    const double scale = std::min(1.0, static_cast<double>(kThumbnailHeight) / shownAs.height);
    return {std::max(1, static_cast<int>(shownAs.width * scale + 0.5)),
            std::max(1, static_cast<int>(shownAs.height * scale + 0.5))};
}

}  // namespace

std::string ThumbnailJpeg(const cv::Mat& picture, PictureSize shownAs)
{
    if (picture.empty() || picture.type() != CV_8UC3 || shownAs.width <= 0 || shownAs.height <= 0)
        return {};
    // A thumbnail is a courtesy: a picture the library will not scale or encode goes without.
    try {
        cv::Mat small;
        cv::resize(picture, small, ThumbnailSize(shownAs), 0, 0, cv::INTER_AREA);
        const std::vector<std::uint8_t> bytes = velmora::EncodeJpeg(small, kThumbnailQuality);
        return {bytes.begin(), bytes.end()};
    } catch (const cv::Exception&) {
        return {};
    }
}

std::string ThumbnailMaker::OfFile(const std::filesystem::path& photo, PictureSize shownAs)
{
    if (shownAs.width <= 0 || shownAs.height <= 0)
        return {};
    // Normalised to four times the thumbnail, not to the recorded size: that keeps the scaling
    // down smooth, and a hostile results line cannot ask for a huge picture.
    const cv::Size thumbnail = ThumbnailSize(shownAs);
    const std::pair<int, int> size{4 * thumbnail.width, 4 * thumbnail.height};
    auto normaliser = normalisers_.find(size);
    if (normaliser == normalisers_.end()) {
        velmora::CheckSettings settings;
        settings.cast = 1;  // decode and normalise, nothing else
        settings.dst_width = size.first;
        settings.dst_height = size.second;
        normaliser = normalisers_.try_emplace(size, settings, programDir_).first;
    }
    const velmora::CheckOutcome outcome = normaliser->second.Check(photo);
    if (!outcome.accepted)
        return {};
    return ThumbnailJpeg(outcome.display, shownAs);
}

}  // namespace velmora_check
