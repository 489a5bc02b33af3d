#include <gtest/gtest.h>

#include <array>
#include <set>
#include <string>

#include <opencv2/core.hpp>

#include "engine/hsi.h"

using namespace velmora;

namespace {

struct HsiCase {
    std::string name;
    std::array<uchar, 3> bgr;
    std::array<uchar, 3> hsi;  // hue byte, saturation byte, intensity byte
};

void PrintTo(const HsiCase& c, std::ostream* os) { *os << c.name; }

cv::Vec3b ConvertOne(const std::array<uchar, 3>& bgr) {
    const Image pixel(1, 1, CV_8UC3, cv::Scalar(bgr[0], bgr[1], bgr[2]));
    HsiImage hsi(1, 1, CV_8UC3, cv::Scalar::all(77));
    ConvertToHsi(pixel, hsi);
    return hsi.at<cv::Vec3b>(0, 0);
}

class HsiPixelTest : public testing::TestWithParam<HsiCase> {};

TEST_P(HsiPixelTest, ConvertsToExactBytes) {
    const HsiCase& c = GetParam();
    const cv::Vec3b got = ConvertOne(c.bgr);
    EXPECT_EQ(got[0], c.hsi[0]) << "hue";
    EXPECT_EQ(got[1], c.hsi[1]) << "saturation";
    EXPECT_EQ(got[2], c.hsi[2]) << "intensity";
}

INSTANTIATE_TEST_SUITE_P(
    KnownColours, HsiPixelTest,
    testing::Values(
        HsiCase{"Grey200", {200, 200, 200}, {0, 0, 200}},
        HsiCase{"Grey128", {128, 128, 128}, {0, 0, 128}},
        // The float-rounded sum, divided by 3 and truncated, lands just below 173.
        HsiCase{"Grey173", {173, 173, 173}, {0, 0, 172}},
        HsiCase{"White", {255, 255, 255}, {0, 0, 255}},
        HsiCase{"Black", {0, 0, 0}, {0, 0, 0}},
        HsiCase{"PureRed", {0, 0, 255}, {0, 255, 85}},
        // 360 - 119.9997: the 3.1416 constant shows in both blue and green.
        HsiCase{"PureBlue", {255, 0, 0}, {240, 255, 85}},
        HsiCase{"PureGreen", {0, 255, 0}, {119, 255, 85}},
        // 346.996 degrees keeps only its low 8 bits: 346 - 256.
        HsiCase{"MagentaRedWraps", {60, 0, 255}, {90, 255, 105}},
        HsiCase{"BrightYellowGreen", {0, 255, 120}, {91, 255, 125}},
        // q rounds to -1.0000001: acos is not a number and the hue byte is 0.
        HsiCase{"CyanishNanHue", {70, 70, 20}, {0, 159, 53}},
        HsiCase{"CyanishNanHueOther", {139, 139, 37}, {0, 165, 105}},
        // Same direction, but q stays inside [-1, 1]; saturation 0.4 rounds below 102/255.
        HsiCase{"CyanishRealHue", {200, 200, 100}, {179, 101, 166}},
        // Catches a sum rounded to float after (g + r) as well as after adding b.
        HsiCase{"SumRoundedOnce", {245, 36, 124}, {8, 186, 134}}),
    [](const testing::TestParamInfo<HsiCase>& param) { return param.param.name; });

TEST(HsiGreyLevels, OnlyElevenLevelsLoseOneIntensityStep) {
    const std::set<int> lowered = {173, 181, 189, 197, 205, 213, 221, 229, 237, 245, 253};
    Image greys(1, 256, CV_8UC3);
    for (int level = 0; level < 256; ++level) {
        greys.at<cv::Vec3b>(0, level) = cv::Vec3b::all(static_cast<uchar>(level));
    }
    HsiImage hsi(greys.size(), CV_8UC3);
    ConvertToHsi(greys, hsi);

    std::set<int> seenLowered;
    for (int level = 0; level < 256; ++level) {
        SCOPED_TRACE("grey level " + std::to_string(level));
        const cv::Vec3b px = hsi.at<cv::Vec3b>(0, level);
        EXPECT_EQ(px[0], 0);
        EXPECT_EQ(px[1], 0);
        if (px[2] != level) {
            EXPECT_EQ(px[2], level - 1);
            seenLowered.insert(level);
        }
    }
    EXPECT_EQ(seenLowered, lowered);
}

TEST(HsiImageLayout, RegionOfInterestMatchesContiguousCopyAndWholeImage) {
    cv::RNG rng(20240611);
    Image photo(37, 53, CV_8UC3);
    rng.fill(photo, cv::RNG::UNIFORM, 0, 256);
    HsiImage whole(photo.size(), CV_8UC3);
    ConvertToHsi(photo, whole);

    const cv::Rect roi(7, 3, 19, 23);
    const Image region = photo(roi);
    ASSERT_FALSE(region.isContinuous());
    HsiImage fromRegion(region.size(), CV_8UC3);
    ConvertToHsi(region, fromRegion);
    const Image copy = region.clone();
    HsiImage fromCopy(copy.size(), CV_8UC3);
    ConvertToHsi(copy, fromCopy);

    EXPECT_EQ(cv::norm(fromRegion, fromCopy, cv::NORM_INF), 0.0);
    EXPECT_EQ(cv::norm(fromRegion, whole(roi), cv::NORM_INF), 0.0);
}

TEST(HsiImageLayout, WritesIntoAnOutputRegionWithoutTouchingItsSurroundings) {
    const Image pixels(2, 3, CV_8UC3, cv::Scalar(255, 0, 0));
    Image canvas(6, 7, CV_8UC3, cv::Scalar::all(9));
    HsiImage target = canvas(cv::Rect(2, 1, 3, 2));
    ConvertToHsi(pixels, target);

    for (int y = 0; y < canvas.rows; ++y) {
        for (int x = 0; x < canvas.cols; ++x) {
            const bool inside = y >= 1 && y < 3 && x >= 2 && x < 5;
            const cv::Vec3b expected = inside ? cv::Vec3b(240, 255, 85) : cv::Vec3b::all(9);
            EXPECT_EQ(canvas.at<cv::Vec3b>(y, x), expected) << "at row " << y << ", column " << x;
        }
    }
}

TEST(HsiImageLayout, MissizedOutputIsReallocatedRatherThanOverrun) {
    const Image pixels(4, 5, CV_8UC3, cv::Scalar(0, 0, 255));
    HsiImage hsi(1, 1, CV_8UC3);
    ConvertToHsi(pixels, hsi);
    ASSERT_EQ(hsi.size(), pixels.size());
    ASSERT_EQ(hsi.type(), CV_8UC3);
    EXPECT_EQ(hsi.at<cv::Vec3b>(3, 4), cv::Vec3b(0, 255, 85));
}

}  // namespace
