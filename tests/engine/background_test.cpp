#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include "engine/background.h"
#include "engine/hsi.h"
#include "velmora/background_rule.h"

using namespace velmora;

namespace {

// Fixed thresholds for the rule tests (the values setting.ini ships with), so that a
// recalibrated setting.ini does not move the boundaries these cases probe.
CheckSettings RuleSettings(int bgc) {
    CheckSettings s;
    s.s_min = 0.1f;
    s.i_min = 0.3f;
    s.i_max = 0.8f;
    s.red_h_min = 0.3f;
    s.red_h_max = 5.5f;
    s.blue_h_min = 3.5f;
    s.blue_h_max = 4.2f;
    s.bgc = bgc;
    return s;
}

// A photo small enough to reason about pixel by pixel: 6 x 10, strips of 4 rows by 3 columns,
// so the left strip is columns 0..2 and the right one columns 7..9.
CheckSettings SmallStrips(CheckSettings s) {
    s.dst_width = 10;
    s.dst_height = 6;
    s.jc_a = 4;
    s.jc_b = 3;
    return s;
}

const cv::Scalar kWhite(250, 250, 250);
const cv::Scalar kGrey(200, 200, 200);

Image Uniform(const cv::Scalar& bgr, int rows = 6, int cols = 10) {
    return Image(rows, cols, CV_8UC3, bgr);
}

std::pair<int, int> FailurePosition(const BackgroundWalk& walk) {
    if (!walk.firstFailure) {
        return {-1, -1};
    }
    return {walk.firstFailure->row, walk.firstFailure->column};
}

// ---- The per-pixel rules, fed with h, s, v directly.

struct RuleCase {
    std::string name;
    CheckSettings settings;
    int h;
    float s;
    float v;
    bool passes;
};

void PrintTo(const RuleCase& c, std::ostream* os) { *os << c.name; }

class BackgroundRuleTest : public testing::TestWithParam<RuleCase> {};

TEST_P(BackgroundRuleTest, JudgesPixel) {
    const RuleCase& c = GetParam();
    EXPECT_EQ(IsBackgroundPixel(c.h, c.s, c.v, c.settings), c.passes);
}

const CheckSettings kWhiteRule = RuleSettings(0);
const CheckSettings kColourRule = RuleSettings(1);

INSTANTIATE_TEST_SUITE_P(
    Rules, BackgroundRuleTest,
    testing::Values(
        // White rule: the hue plays no part; both thresholds are strict.
        RuleCase{"WhiteBright", kWhiteRule, 240, 0.05f, 0.9f, true},
        RuleCase{"WhiteSaturationAtThreshold", kWhiteRule, 0, 0.1f, 0.9f, false},
        RuleCase{"WhiteValueAtThreshold", kWhiteRule, 0, 0.0f, 0.8f, false},
        RuleCase{"WhiteRuleIgnoresBlueHue", kWhiteRule, 240, 1.0f, 1.0f, false},
        RuleCase{"BgcTwoIsWhiteRule", RuleSettings(2), 240, 1.0f, 1.0f, false},
        // Blue band 210 .. 251.99998: both ends from float settings times 60 in double.
        RuleCase{"BlueBandLowEnd", kColourRule, 210, 0.5f, 0.5f, true},
        RuleCase{"BelowBlueBand", kColourRule, 209, 0.5f, 0.5f, false},
        RuleCase{"BlueBandHighEnd", kColourRule, 251, 0.5f, 0.5f, true},
        RuleCase{"AboveBlueBand", kColourRule, 252, 0.5f, 0.5f, false},
        // 0.3f * 60 is 18.0000007, so 18 still lies in the low red band.
        RuleCase{"LowRedBandEnd", kColourRule, 18, 0.5f, 0.5f, true},
        RuleCase{"AboveLowRedBand", kColourRule, 19, 0.5f, 0.5f, false},
        RuleCase{"FixedBandLowEnd", kColourRule, 90, 0.5f, 0.5f, true},
        RuleCase{"FixedBandHighEnd", kColourRule, 109, 0.5f, 0.5f, true},
        RuleCase{"BelowFixedBand", kColourRule, 89, 0.5f, 0.5f, false},
        RuleCase{"AboveFixedBand", kColourRule, 110, 0.5f, 0.5f, false},
        RuleCase{"InBandButValueAtIMin", kColourRule, 240, 0.5f, 0.3f, false},
        // Rule B: a zero hue byte with enough saturation passes whatever its brightness.
        RuleCase{"ZeroHueSaturated", kColourRule, 0, 0.5f, 0.05f, true},
        RuleCase{"ZeroHueSaturationAtSMin", kColourRule, 0, 0.1f, 0.5f, false},
        // Rule C: a white pixel passes the colour rules too.
        RuleCase{"ColourRuleAcceptsWhite", kColourRule, 50, 0.05f, 0.81f, true},
        RuleCase{"ColourRuleWhiteTooDark", kColourRule, 50, 0.05f, 0.8f, false}),
    [](const testing::TestParamInfo<RuleCase>& param) { return param.param.name; });

TEST(BackgroundRule, DefaultHueLimitsPutEveryHueInTheHighRedBand) {
    CheckSettings settings;
    settings.bgc = 1;
    for (int h = 0; h < 256; ++h) {
        SCOPED_TRACE("h = " + std::to_string(h));
        EXPECT_TRUE(IsBackgroundPixel(h, 0.5f, 0.01f, settings));
        // Not brighter than i_min 0, and neither rule B (s > 0) nor C (s < 0) can rescue it.
        EXPECT_FALSE(IsBackgroundPixel(h, 0.0f, 0.0f, settings));
    }
}

// ---- Whole colours through CheckBackground: the HSI hue and the library's S and V together.

struct ColourCase {
    std::string name;
    cv::Scalar bgr;
    CheckSettings settings;
    bool passes;
};

void PrintTo(const ColourCase& c, std::ostream* os) { *os << c.name; }

CheckSettings WithSMin(CheckSettings s, float sMin) {
    s.s_min = sMin;
    return s;
}

class BackgroundColourTest : public testing::TestWithParam<ColourCase> {};

TEST_P(BackgroundColourTest, JudgesUniformPhoto) {
    const ColourCase& c = GetParam();
    const CheckSettings settings = SmallStrips(c.settings);
    CheckVerdict verdict;
    verdict.backgroundOk = !c.passes;  // the check must overwrite whatever was there
    EXPECT_EQ(CheckBackground(Uniform(c.bgr), settings, verdict), c.passes);
    EXPECT_EQ(verdict.backgroundOk, c.passes);
}

INSTANTIATE_TEST_SUITE_P(
    Colours, BackgroundColourTest,
    testing::Values(
        ColourCase{"White250", kWhite, kWhiteRule, true},
        // V 200/255 is not above i_max 0.8.
        ColourCase{"Grey200", kGrey, kWhiteRule, false},
        ColourCase{"BlueOnWhiteRule", cv::Scalar(255, 0, 0), kWhiteRule, false},
        // Hue 240 in the blue band, V 1 above i_min: rule A.
        ColourCase{"PureBlue", cv::Scalar(255, 0, 0), kColourRule, true},
        // Hue 0, S 1 above s_min: rule B.
        ColourCase{"PureRed", cv::Scalar(0, 0, 255), kColourRule, true},
        ColourCase{"PureRedNotAboveSMin", cv::Scalar(0, 0, 255), WithSMin(kColourRule, 1.0f), false},
        // Hues 90 and 91 lie in the fixed band.
        ColourCase{"MagentaRed", cv::Scalar(60, 0, 255), kColourRule, true},
        ColourCase{"BrightYellowGreen", cv::Scalar(0, 255, 120), kColourRule, true},
        // Hue 119 lies in no band.
        ColourCase{"PureGreen", cv::Scalar(0, 255, 0), kColourRule, false},
        ColourCase{"WhiteOnColourRule", kWhite, kColourRule, true}),
    [](const testing::TestParamInfo<ColourCase>& param) { return param.param.name; });

// ---- The walk over the strips.

class EmptyStripTest : public testing::TestWithParam<std::pair<int, int>> {};

TEST_P(EmptyStripTest, LeavesTheFlagUnwritten) {
    CheckSettings settings = SmallStrips(kWhiteRule);
    settings.jc_a = GetParam().first;
    settings.jc_b = GetParam().second;
    // A grey photo fails the white rule, a white one passes: neither may touch the flag.
    for (const bool before : {false, true}) {
        for (const cv::Scalar& colour : {kWhite, kGrey}) {
            CheckVerdict verdict;
            verdict.backgroundOk = before;
            EXPECT_EQ(CheckBackground(Uniform(colour), settings, verdict), before);
            EXPECT_EQ(verdict.backgroundOk, before);
        }
    }
    EXPECT_FALSE(WalkBackground(Uniform(kGrey), settings).examined);
}

INSTANTIATE_TEST_SUITE_P(ZeroOrNegative, EmptyStripTest,
                         testing::Values(std::pair{0, 3}, std::pair{4, 0}, std::pair{-1, 3},
                                         std::pair{4, -3}, std::pair{0, 0}));

TEST(BackgroundWalkOrder, PixelsOutsideTheStripsAreNotExamined) {
    Image photo = Uniform(kWhite);
    photo.row(4).setTo(kGrey);                            // first row below the strips
    photo.colRange(3, 7).setTo(kGrey);                    // the middle between them
    CheckVerdict verdict;
    EXPECT_TRUE(CheckBackground(photo, SmallStrips(kWhiteRule), verdict));
    EXPECT_TRUE(verdict.backgroundOk);
}

TEST(BackgroundWalkOrder, StripEdgesAreExamined) {
    // The last row and the outer and inner columns of each strip.
    for (const cv::Point at : {cv::Point(0, 3), cv::Point(2, 0), cv::Point(7, 0), cv::Point(9, 3)}) {
        SCOPED_TRACE("column " + std::to_string(at.x) + ", row " + std::to_string(at.y));
        Image photo = Uniform(kWhite);
        photo.at<cv::Vec3b>(at) = cv::Vec3b(200, 200, 200);
        const BackgroundWalk walk = WalkBackground(photo, SmallStrips(kWhiteRule));
        EXPECT_EQ(FailurePosition(walk), std::pair(at.y, at.x));
    }
}

TEST(BackgroundWalkOrder, LeftStripRowByRowThenRightStrip) {
    struct Case {
        std::string name;
        std::vector<cv::Point> failing;  // (column, row)
        std::pair<int, int> first;       // (row, column)
    };
    const std::vector<Case> cases = {
        {"RowBeforeColumn", {cv::Point(0, 2), cv::Point(2, 1)}, {1, 2}},
        {"ColumnWithinRow", {cv::Point(2, 1), cv::Point(1, 1)}, {1, 1}},
        // The right strip's failure sits in an earlier row, yet the left strip ends the walk.
        {"LeftStripBeforeRight", {cv::Point(8, 0), cv::Point(1, 3)}, {3, 1}},
        {"RightStripRowByRow", {cv::Point(9, 1), cv::Point(7, 2)}, {1, 9}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Image photo = Uniform(kWhite);
        for (const cv::Point& at : c.failing) {
            photo.at<cv::Vec3b>(at) = cv::Vec3b(200, 200, 200);
        }
        const BackgroundWalk walk = WalkBackground(photo, SmallStrips(kWhiteRule));
        EXPECT_TRUE(walk.examined);
        EXPECT_EQ(FailurePosition(walk), c.first);
    }
}

TEST(BackgroundWalkOrder, FailingLeftStripRejectsEvenWhenRightStripPasses) {
    Image photo = Uniform(kWhite);
    photo.colRange(0, 3).setTo(kGrey);
    CheckVerdict verdict;
    verdict.backgroundOk = true;
    const CheckSettings settings = SmallStrips(kWhiteRule);
    EXPECT_FALSE(CheckBackground(photo, settings, verdict));
    EXPECT_FALSE(verdict.backgroundOk);

    const BackgroundWalk walk = WalkBackground(photo, settings);
    ASSERT_TRUE(walk.firstFailure);
    EXPECT_EQ(FailurePosition(walk), std::pair(0, 0));
    EXPECT_EQ(walk.firstFailure->h, 0);
    EXPECT_EQ(walk.firstFailure->s, 0.0f);
    EXPECT_EQ(walk.firstFailure->v, 200.0f / 255.0f);
}

TEST(BackgroundWalkOrder, OverlappingStripsWalkTheLeftOneFirst) {
    CheckSettings settings = SmallStrips(kWhiteRule);
    settings.jc_b = 7;  // left 0..6, right 3..9
    CheckVerdict verdict;
    EXPECT_TRUE(CheckBackground(Uniform(kWhite), settings, verdict));

    Image photo = Uniform(kWhite);
    photo.at<cv::Vec3b>(2, 5) = cv::Vec3b(200, 200, 200);  // in both strips
    photo.at<cv::Vec3b>(0, 8) = cv::Vec3b(200, 200, 200);  // right strip only, earlier row
    EXPECT_EQ(FailurePosition(WalkBackground(photo, settings)), std::pair(2, 5));
}

TEST(BackgroundWalkBounds, StripsAreClippedToASmallerPhoto) {
    // Settings for the full-size photo, applied to a 5 x 4 one: the left strip covers it all,
    // the right strip (columns 280..294) lies wholly outside it.
    CheckSettings settings = kWhiteRule;
    Image photo = Uniform(kWhite, 5, 4);
    CheckVerdict verdict;
    EXPECT_TRUE(CheckBackground(photo, settings, verdict));
    EXPECT_TRUE(verdict.backgroundOk);

    photo.at<cv::Vec3b>(4, 3) = cv::Vec3b(200, 200, 200);
    EXPECT_EQ(FailurePosition(WalkBackground(photo, settings)), std::pair(4, 3));

    // A right strip reaching past the photo's right edge keeps only its inside columns.
    settings.dst_width = 6;
    settings.jc_b = 3;
    Image narrow = Uniform(kWhite, 5, 4);
    narrow.at<cv::Vec3b>(1, 3) = cv::Vec3b(200, 200, 200);
    EXPECT_EQ(FailurePosition(WalkBackground(narrow, settings)), std::pair(1, 3));
}

TEST(BackgroundWalkBounds, ExtremeSettingsStayInsideThePhoto) {
    const int extremes[] = {std::numeric_limits<int>::min(), -1, 0, 1, 9, std::numeric_limits<int>::max()};
    const Image photo = Uniform(kGrey, 5, 4);
    for (const int dstWidth : extremes) {
        for (const int jcB : extremes) {
            for (const int jcA : {1, std::numeric_limits<int>::max()}) {
                SCOPED_TRACE("dst_width " + std::to_string(dstWidth) + ", jc_b " + std::to_string(jcB) +
                             ", jc_a " + std::to_string(jcA));
                CheckSettings settings = kWhiteRule;
                settings.dst_width = dstWidth;
                settings.jc_b = jcB;
                settings.jc_a = jcA;
                const BackgroundWalk walk = WalkBackground(photo, settings);
                // Every grey pixel fails, so any examined pixel is reported; it must lie inside.
                ASSERT_EQ(walk.examined, walk.firstFailure.has_value());
                if (walk.firstFailure) {
                    EXPECT_GE(walk.firstFailure->row, 0);
                    EXPECT_LT(walk.firstFailure->row, photo.rows);
                    EXPECT_GE(walk.firstFailure->column, 0);
                    EXPECT_LT(walk.firstFailure->column, photo.cols);
                }
                EXPECT_EQ(walk.examined, jcB > 0) << "the left strip starts at column 0";
            }
        }
    }
}

TEST(BackgroundWalkBounds, EmptyPhotoExaminesNothing) {
    CheckVerdict verdict;
    verdict.backgroundOk = true;
    EXPECT_TRUE(CheckBackground(Image(), kWhiteRule, verdict));
    EXPECT_FALSE(WalkBackground(Image(), kWhiteRule).examined);
}

// ---- Converting only the strips must give what converting the whole photo gives.

Image RandomPhoto(int lowest) {
    cv::RNG rng(4242);
    Image photo(413, 295, CV_8UC3);
    rng.fill(photo, cv::RNG::UNIFORM, lowest, 256);
    return photo;
}

TEST(BackgroundStripConversion, StripBytesEqualWholePhotoBytes) {
    const Image photo = RandomPhoto(0);
    HsiImage wholeHsi(photo.size(), CV_8UC3);
    ConvertToHsi(photo, wholeHsi);
    Image wholeHsv;
    cv::cvtColor(photo, wholeHsv, cv::COLOR_RGB2HSV);

    const CheckSettings settings;  // 138 x 15 strips of a 295-wide photo
    for (const cv::Rect strip : {cv::Rect(0, 0, settings.jc_b, settings.jc_a),
                                 cv::Rect(settings.dst_width - settings.jc_b, 0, settings.jc_b,
                                          settings.jc_a)}) {
        SCOPED_TRACE("strip at column " + std::to_string(strip.x));
        HsiImage stripHsi(strip.size(), CV_8UC3);
        ConvertToHsi(photo(strip), stripHsi);
        Image stripHsv;
        cv::cvtColor(photo(strip), stripHsv, cv::COLOR_RGB2HSV);
        EXPECT_EQ(cv::norm(stripHsi, wholeHsi(strip), cv::NORM_INF), 0.0);
        EXPECT_EQ(cv::norm(stripHsv, wholeHsv(strip), cv::NORM_INF), 0.0);
    }
}

TEST(BackgroundStripConversion, ReportedFailureCarriesWholePhotoValues) {
    // Every random pixel is brighter than i_min 0.5 (V >= 128), so with the default hue
    // limits all pass; one dark green pixel deep in the right strip fails.
    Image photo = RandomPhoto(128);
    const cv::Point planted(290, 100);
    photo.at<cv::Vec3b>(planted) = cv::Vec3b(10, 60, 30);
    CheckSettings settings;
    settings.bgc = 1;
    settings.i_min = 0.5f;

    HsiImage wholeHsi(photo.size(), CV_8UC3);
    ConvertToHsi(photo, wholeHsi);
    Image wholeHsv;
    cv::cvtColor(photo, wholeHsv, cv::COLOR_RGB2HSV);

    const BackgroundWalk walk = WalkBackground(photo, settings);
    ASSERT_TRUE(walk.firstFailure);
    EXPECT_EQ(FailurePosition(walk), std::pair(planted.y, planted.x));
    EXPECT_EQ(walk.firstFailure->h, wholeHsi.at<cv::Vec3b>(planted)[0]);
    EXPECT_EQ(walk.firstFailure->s, static_cast<float>(wholeHsv.at<cv::Vec3b>(planted)[1]) / 255.0f);
    EXPECT_EQ(walk.firstFailure->v, static_cast<float>(wholeHsv.at<cv::Vec3b>(planted)[2]) / 255.0f);
    EXPECT_NE(walk.firstFailure->h, 0);  // otherwise rule B would have passed it
}

// ---- Real photos, normalised as an accepted photo is.

struct PhotoCase {
    std::string file;
    int bgc;
    bool passes;
};

void PrintTo(const PhotoCase& c, std::ostream* os) { *os << c.file << " with bgc " << c.bgc; }

class BackgroundPhotoTest : public testing::TestWithParam<PhotoCase> {};

TEST_P(BackgroundPhotoTest, JudgesNormalisedFixture) {
    const PhotoCase& c = GetParam();
    const Image decoded = cv::imread(std::string(VELMORA_FIXTURES_DIR) + c.file,
                                     cv::IMREAD_COLOR | cv::IMREAD_IGNORE_ORIENTATION);
    ASSERT_FALSE(decoded.empty()) << c.file;
    const CheckSettings settings = RuleSettings(c.bgc);
    Image photo;
    cv::resize(decoded, photo, cv::Size(settings.dst_width, settings.dst_height), 0, 0, cv::INTER_LINEAR);
    CheckVerdict verdict;
    verdict.backgroundOk = !c.passes;
    EXPECT_EQ(CheckBackground(photo, settings, verdict), c.passes);
    EXPECT_EQ(verdict.backgroundOk, c.passes);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, BackgroundPhotoTest,
                         testing::Values(PhotoCase{"id_white.jpg", 0, true},
                                         PhotoCase{"id_white.jpg", 1, true},
                                         PhotoCase{"id_blue.jpg", 1, true},
                                         PhotoCase{"id_blue.jpg", 0, false}));

// One plain colour judged as a strip of it would be, whatever the photo's strip sizes.
TEST(BackgroundColour, IsJudgedAsAStripOfItWouldBe) {
    struct Row {
        const char* what;
        cv::Vec3b bgr;
        int bgc;
        bool accepted;
    };
    const Row rows[] = {
        {"white, white rule", {250, 250, 250}, 0, true},
        {"grey too dark for white", {200, 200, 200}, 0, false},
        {"blue under the white rule", {220, 100, 50}, 0, false},
        {"blue under the red-or-blue rule", {220, 100, 50}, 1, true},
        {"ID blue RGB (67, 142, 219)", {219, 142, 67}, 1, true},
        {"pure red, hue 0", {0, 0, 255}, 1, true},
        {"green", {40, 200, 40}, 1, false},
    };
    for (const Row& row : rows) {
        CheckSettings settings = RuleSettings(row.bgc);
        settings.jc_a = 138;  // the photo's strips play no part
        EXPECT_EQ(IsAcceptedBackgroundColour(row.bgr[0], row.bgr[1], row.bgr[2], settings), row.accepted) << row.what;
        // The same answer as a whole photo of that colour gets.
        const Image photo(settings.dst_height, settings.dst_width, CV_8UC3, cv::Scalar(row.bgr[0], row.bgr[1], row.bgr[2]));
        CheckVerdict verdict;
        EXPECT_EQ(CheckBackground(photo, settings, verdict), row.accepted) << row.what;
    }
}

}  // namespace

// ---- Why a corner fails, in the terms of the rule in force ----

struct FaultCase {
    std::string name;
    int bgc;
    cv::Scalar wall;        // the whole photo
    cv::Scalar patch;       // painted over `rows` rows of the strip on `side`
    int rows;
    Strip side;
    BackgroundTest test;
    double measured;        // 0..1 figures exactly as the rule sees them; degrees within 1
    std::string_view key;
    int failing;            // of the strip's 12 pixels
};

void PrintTo(const FaultCase& c, std::ostream* os) { *os << c.name; }

class BackgroundFaultTest : public testing::TestWithParam<FaultCase> {};

// The hue of a colour in degrees by the textbook HSI formula, to compare the reported figure with.
double TextbookHue(const cv::Scalar& bgr) {
    const double b = bgr[0], g = bgr[1], r = bgr[2];
    const double theta =
        std::acos(0.5 * ((r - g) + (r - b)) / std::sqrt((r - g) * (r - g) + (r - b) * (g - b))) * 180.0 / CV_PI;
    return g < b ? 360.0 - theta : theta;
}

TEST_P(BackgroundFaultTest, GivesTestFigureCornerAndShare) {
    const FaultCase& c = GetParam();
    const CheckSettings settings = SmallStrips(RuleSettings(c.bgc));
    Image photo = Uniform(c.wall);
    const int firstColumn = c.side == Strip::Left ? 0 : settings.dst_width - settings.jc_b;
    photo(cv::Rect(firstColumn, 0, settings.jc_b, c.rows)).setTo(c.patch);

    const BackgroundWalk walk = WalkBackground(photo, settings);
    ASSERT_TRUE(walk.firstFailure.has_value());
    ASSERT_EQ(walk.firstFailure->strip, c.side) << "the corner the verdict's pixel lies in";
    const std::optional<BackgroundFault> fault = DescribeBackgroundFault(photo, settings, c.side);
    ASSERT_TRUE(fault.has_value());
    EXPECT_EQ(fault->rule, c.bgc == 1 ? BackgroundRule::RedOrBlue : BackgroundRule::White);
    EXPECT_EQ(fault->test, c.test);
    EXPECT_EQ(fault->side, c.side);
    EXPECT_EQ(fault->key, c.key);
    EXPECT_EQ(fault->failingPixels, c.failing);
    EXPECT_EQ(fault->stripPixels, 12);
    if (c.test == BackgroundTest::HueOutsideBands) {
        EXPECT_NEAR(fault->measured, c.measured, 1.0);
        EXPECT_NEAR(fault->measured, TextbookHue(c.patch), 1.0);
    } else {
        EXPECT_EQ(fault->measured, c.measured);
    }
    const double limits[] = {settings.i_max, settings.s_min, settings.i_min, 0.0};
    EXPECT_EQ(fault->limit, limits[static_cast<int>(c.test)]);
    if (c.bgc == 1) {
        EXPECT_NEAR(fault->bands.redUpTo, 18.0, 1e-4);
        EXPECT_NEAR(fault->bands.blueFrom, 210.0, 1e-4);
        EXPECT_NEAR(fault->bands.blueTo, 252.0, 1e-4);
    }
}

// The byte a figure of HSV value or saturation is stored as, over 255, as the rule compares it.
double Byte(int value) { return static_cast<float>(value) / 255.0f; }

const cv::Scalar kLightGrey(160, 160, 160);
const cv::Scalar kCream(200, 235, 250);     // saturation 50/250, bright
const cv::Scalar kDarkBlue(70, 30, 20);     // hue 229, in the blue band, value 70/255
const cv::Scalar kOrange(40, 140, 230);     // hue 32
const cv::Scalar kPurple(200, 60, 150);     // hue 279: its byte wraps to 23, outside the bands too
const cv::Scalar kBlue(220, 100, 50);       // passes the red-or-blue rule

INSTANTIATE_TEST_SUITE_P(
    Corners, BackgroundFaultTest,
    testing::Values(
        FaultCase{"GreyWallIsTooDarkForWhite", 0, kLightGrey, kLightGrey, 0, Strip::Left, BackgroundTest::TooDark,
                  Byte(160), "i_max", 12},
        FaultCase{"CreamWallIsTinted", 0, kCream, kCream, 0, Strip::Left, BackgroundTest::Tinted, Byte(51), "s_min", 12},
        FaultCase{"GreyWallOnColourRuleIsTooDarkForWhite", 1, kLightGrey, kLightGrey, 0, Strip::Left,
                  BackgroundTest::TooDark, Byte(160), "i_max", 12},
        FaultCase{"DarkBlueIsTooDarkForItsBand", 1, kDarkBlue, kDarkBlue, 0, Strip::Left, BackgroundTest::ColourTooDark,
                  Byte(70), "i_min", 12},
        FaultCase{"OrangeIsOutsideTheBands", 1, kOrange, kOrange, 0, Strip::Left, BackgroundTest::HueOutsideBands, 32, "",
                  12},
        FaultCase{"PurpleIsToldItsRealHue", 1, kPurple, kPurple, 0, Strip::Left, BackgroundTest::HueOutsideBands, 279, "",
                  12},
        FaultCase{"BlueOnWhiteRuleIsTinted", 0, kBlue, kBlue, 0, Strip::Left, BackgroundTest::Tinted, Byte(197), "s_min",
                  12},
        // Only the right corner fails, on half its rows: the corner and the share say so.
        FaultCase{"HalfTheRightCornerGrey", 0, kWhite, kLightGrey, 2, Strip::Right, BackgroundTest::TooDark, Byte(160),
                  "i_max", 6},
        // The test missed most often is told, not the first pixel's: 9 cream pixels under 3 grey ones.
        FaultCase{"MostPixelsDecide", 0, kCream, kLightGrey, 1, Strip::Left, BackgroundTest::Tinted, Byte(51), "s_min",
                  12}),
    [](const testing::TestParamInfo<FaultCase>& param) { return param.param.name; });

TEST(BackgroundFault, NothingWhenThatCornerPasses) {
    const CheckSettings settings = SmallStrips(RuleSettings(0));
    Image photo = Uniform(kWhite);
    photo(cv::Rect(7, 0, 3, 4)).setTo(kLightGrey);
    EXPECT_FALSE(DescribeBackgroundFault(photo, settings, Strip::Left).has_value());
    EXPECT_TRUE(DescribeBackgroundFault(photo, settings, Strip::Right).has_value());
    EXPECT_FALSE(DescribeBackgroundFault(Image(), settings, Strip::Left).has_value());
}
