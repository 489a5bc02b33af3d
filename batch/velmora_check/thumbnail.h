// Small JPEG copies of checked photos for the report.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <utility>

#include <opencv2/core/mat.hpp>

#include "photo_record.h"
#include "velmora/photo_checker.h"

namespace velmora_check {

// Thumbnails are this tall; the width follows the aspect of the picture they stand for.
inline constexpr int kThumbnailHeight = 100;

// The picture (8-bit, three channels, BGR) scaled to a thumbnail of a picture of `shownAs`
// (the normalised photo it was or would be scaled to) and encoded as JPEG; empty when there
// is nothing to encode.
std::string ThumbnailJpeg(const cv::Mat& picture, PictureSize shownAs);

// Thumbnails of photo files, decoded again and normalised by the engine itself, so that its
// guards against hostile files hold here too. One per thread, like the checker it holds.
class ThumbnailMaker {
public:
    explicit ThumbnailMaker(std::filesystem::path programDir) : programDir_(std::move(programDir)) {}

    // Empty when the file cannot be decoded now.
    std::string OfFile(const std::filesystem::path& photo, PictureSize shownAs);

private:
    std::filesystem::path programDir_;
    std::map<std::pair<int, int>, velmora::PhotoChecker> normalisers_;  // by the size they scale to
};

}  // namespace velmora_check
