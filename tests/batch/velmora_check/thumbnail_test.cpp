#include "velmora_check/thumbnail.h"

#include <vector>

#include <gtest/gtest.h>
#include <opencv2/imgcodecs.hpp>

#include "photo_fixtures.h"

namespace velmora_check {
namespace {

cv::Mat Decode(const std::string& jpeg)
{
    const std::vector<uchar> bytes(jpeg.begin(), jpeg.end());
    return cv::imdecode(bytes, cv::IMREAD_COLOR);
}

TEST(Thumbnail, SmallJpegOfTheNormalisedPhotosShape)
{
    struct Case {
        cv::Size picture;
        PictureSize shownAs;
        cv::Size thumbnail;
    };
    const std::vector<Case> cases = {
        {{295, 413}, {295, 413}, {71, 100}},
        {{1200, 1600}, {295, 413}, {71, 100}},  // a source photo is scaled straight to the thumbnail
        {{60, 80}, {60, 80}, {60, 80}},         // never enlarged
        {{400, 300}, {295, 413}, {71, 100}},    // the normalised shape wins, as the check stretched it
    };
    for (const Case& c : cases) {
        const std::string jpeg = ThumbnailJpeg(WhitePicture(c.picture.width, c.picture.height), c.shownAs);
        const cv::Mat decoded = Decode(jpeg);
        ASSERT_FALSE(decoded.empty());
        EXPECT_EQ(decoded.size(), c.thumbnail) << c.picture;
        EXPECT_LT(jpeg.size(), 3000u);
    }
    EXPECT_TRUE(ThumbnailJpeg(cv::Mat(), {295, 413}).empty());
    EXPECT_TRUE(ThumbnailJpeg(cv::Mat(10, 10, CV_8UC1), {295, 413}).empty());
    EXPECT_TRUE(ThumbnailJpeg(WhitePicture(10, 10), {0, 413}).empty());
}

TEST(Thumbnail, FromTheFileAgainOnlyWhenItStillDecodes)
{
    ThumbnailMaker maker(ProgramDir());
    const cv::Mat thumbnail = Decode(maker.OfFile(Fixture("id_white.jpg"), {295, 413}));
    ASSERT_FALSE(thumbnail.empty());
    EXPECT_EQ(thumbnail.size(), cv::Size(71, 100));
    // Another normalised size (other settings in another shard) gets its own shape.
    EXPECT_EQ(Decode(maker.OfFile(Fixture("id_white.jpg"), {300, 300})).size(), cv::Size(100, 100));

    TempDir dir;
    WriteFile(dir.path() / "png.jpg", Encode(WhitePicture(30, 40), ".png"));
    WriteFile(dir.path() / "cut.jpg", ReadWholeFile(Fixture("id_white.jpg")).substr(0, 4000));
    for (const char* name : {"png.jpg", "cut.jpg", "missing.jpg"})
        EXPECT_TRUE(maker.OfFile(dir.path() / name, {295, 413}).empty()) << name;
    EXPECT_TRUE(maker.OfFile(Fixture("id_white.jpg"), {0, 413}).empty());
}

}  // namespace
}  // namespace velmora_check
