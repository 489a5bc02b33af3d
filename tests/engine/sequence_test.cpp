#include "engine/sequence.h"

#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "engine/decode.h"
#include "photo_fixtures.h"

namespace {

// What a row of the table gives the sequence.
struct Photo {
    const char* name;
    std::string bytes;
};

struct SequenceCase {
    const char* name;
    std::string (*photo)();
    void (*adjust)(CheckSettings&);
    std::optional<TipImage> tip;  // nullopt: accepted
    CheckVerdict expected;        // starting from a verdict with every flag set, see below
    cv::Size acceptedSize;
};

std::string FixtureBytes(const char* name) { return ReadWholeFile(Fixture(name)); }
std::string IdWhite() { return FixtureBytes("id_white.jpg"); }
std::string IdBlue() { return FixtureBytes("id_blue.jpg"); }
std::string TwoFaces() { return FixtureBytes("two_faces.jpg"); }
std::string NoFace() { return FixtureBytes("no_face.jpg"); }
std::string FaceLow() { return FixtureBytes("face_low.jpg"); }
std::string FaceLarge() { return FixtureBytes("face_large.jpg"); }
std::string Png() { return Encode(WhitePicture(300, 400), ".png"); }
std::string Square() { return Encode(WhitePicture(300, 300), ".jpg"); }
std::string TwiceAsHigh() { return Encode(WhitePicture(200, 400), ".jpg"); }
std::string HundredWide() { return Encode(WhitePicture(100, 150), ".jpg"); }
std::string HundredOneWide() { return Encode(WhitePicture(101, 150), ".jpg"); }
std::string Small() { return Encode(WhitePicture(100, 100), ".jpg"); }
std::string StampedIdWhite() { return WithStamp(IdWhite()); }
std::string StampedSquare() { return WithStamp(Square()); }
std::string StampedPng() { return WithStamp(Png()); }
std::string StartOfImageOnly() { return "\xFF\xD8"; }
std::string TruncatedIdWhite()
{
    const std::string whole = IdWhite();
    return whole.substr(0, whole.size() / 2);
}
std::string StampedTruncated() { return WithStamp(TruncatedIdWhite()); }
std::string CornerNotPlain()
{
    cv::Mat photo = cv::imread(Fixture("id_white.jpg").string(), cv::IMREAD_COLOR);
    cv::rectangle(photo, cv::Rect(photo.cols - 6, 40, 6, 6), cv::Scalar(0, 0, 0), cv::FILLED);
    return Encode(photo, ".jpg", {cv::IMWRITE_JPEG_QUALITY, 95});
}

void Installed(CheckSettings&) {}
void CastOne(CheckSettings& s) { s.cast = 1; }
void CastTwo(CheckSettings& s)
{
    s.cast = 2;
    s.pic_min_size = 0;
}
void RejectEverything(CheckSettings& s)
{
    s.cast = 1;
    s.min_width = 100000;
    s.pic_max_size = 0;
}
void ZeroSizeWindow(CheckSettings& s)
{
    s.pic_min_size = 0;
    s.pic_max_size = 0;
}
void NoSizeLimits(CheckSettings& s)
{
    s.pic_min_size = 0;
    s.pic_max_size = -1;
}
void RedOrBlue(CheckSettings& s) { s.bgc = 1; }
void NoStrips(CheckSettings& s) { s.jc_a = 0; }

// Flags that a stage leaves alone keep the previous check's values; rows start from all true
// except where noted, so a flag that reads true below was not written.
constexpr CheckVerdict kAllTrue{true, true, true, true, true, true, true};
constexpr CheckVerdict Flags(bool jpeg, bool stamped, bool size, bool dims, bool bg, bool face, bool pos)
{
    return {jpeg, stamped, size, dims, bg, face, pos};
}

const cv::Size kNormalised(295, 413);
const cv::Size kNone(0, 0);

const SequenceCase kCases[] = {
    {"PngRenamedIsTipOne", Png, Installed, TipImage::NotJpeg, Flags(false, 1, 1, 1, 1, 1, 1), kNone},
    {"StartOfImageOnlyIsUndecodable", StartOfImageOnly, NoSizeLimits, TipImage::BadDimensions,
     Flags(1, false, 1, false, 1, 1, 1), kNone},
    {"StampedIsAcceptedAsStored", StampedIdWhite, Installed, std::nullopt, kAllTrue, cv::Size(354, 472)},
    {"StampedSkipsEveryCheckEvenInNormaliseMode", StampedSquare, RejectEverything, std::nullopt, kAllTrue,
     cv::Size(300, 300)},
    {"StampedPngIsStillTipOne", StampedPng, Installed, TipImage::NotJpeg, Flags(false, 1, 1, 1, 1, 1, 1), kNone},
    {"StampedButTruncatedIsTipFour", StampedTruncated, Installed, TipImage::BadDimensions, kAllTrue, kNone},
    {"NormaliseOnlyStretchesSmallPhoto", Small, CastOne, std::nullopt, Flags(1, false, 1, 1, 1, 1, 1), kNormalised},
    {"NormaliseOnlyIgnoresSizeWindow", Small, [](CheckSettings& s) { s.cast = 1; s.pic_max_size = 0; },
     std::nullopt, Flags(1, false, 1, 1, 1, 1, 1), kNormalised},
    {"NormaliseOnlyStillRejectsPng", Png, CastOne, TipImage::NotJpeg, Flags(false, 1, 1, 1, 1, 1, 1), kNone},
    {"NormaliseOnlyUndecodableIsTipFour", TruncatedIdWhite, CastOne, TipImage::BadDimensions,
     Flags(1, false, 1, 1, 1, 1, 1), kNone},
    {"CastTwoRunsFullChecks", Small, CastTwo, TipImage::BadDimensions, Flags(1, false, 1, false, 1, 1, 1), kNone},
    {"SizeWindowRejectsWithTipThree", IdWhite, ZeroSizeWindow, TipImage::FileSizeOutsideWindow,
     Flags(1, false, false, 1, 1, 1, 1), kNone},
    {"HundredPixelsWideIsTooNarrow", HundredWide, NoSizeLimits, TipImage::BadDimensions,
     Flags(1, false, 1, false, 1, 1, 1), kNone},
    {"HundredOnePixelsWidePassesDimensions", HundredOneWide, NoSizeLimits, TipImage::NoSingleFace,
     Flags(1, false, 1, 1, 1, false, 1), kNone},
    {"SquareIsRejected", Square, NoSizeLimits, TipImage::BadDimensions, Flags(1, false, 1, false, 1, 1, 1), kNone},
    {"TwiceAsHighIsRejected", TwiceAsHigh, NoSizeLimits, TipImage::BadDimensions,
     Flags(1, false, 1, false, 1, 1, 1), kNone},
    {"TruncatedIsTipFour", TruncatedIdWhite, NoSizeLimits, TipImage::BadDimensions,
     Flags(1, false, 1, false, 1, 1, 1), kNone},
    {"DarkCornerIsTipSix", CornerNotPlain, NoSizeLimits, TipImage::BackgroundNotPlain,
     Flags(1, false, 1, 1, false, 1, 1), kNone},
    {"BlueBackgroundFailsWhiteRule", IdBlue, Installed, TipImage::BackgroundNotPlain,
     Flags(1, false, 1, 1, false, 1, 1), kNone},
    {"BlueBackgroundPassesRedOrBlueRule", IdBlue, RedOrBlue, std::nullopt, Flags(1, false, 1, 1, 1, 1, 1),
     kNormalised},
    {"NoStripsMeansNoBackgroundVerdict", IdWhite, NoStrips, std::nullopt, Flags(1, false, 1, 1, 1, 1, 1),
     kNormalised},
    {"NoFaceIsTipSeven", NoFace, Installed, TipImage::NoSingleFace, Flags(1, false, 1, 1, 1, false, 1), kNone},
    {"TwoFacesIsTipSeven", TwoFaces, Installed, TipImage::NoSingleFace, Flags(1, false, 1, 1, 1, false, 1), kNone},
    {"FaceTooLowIsTipEight", FaceLow, Installed, TipImage::FaceBadlyPlaced, Flags(1, false, 1, 1, 1, 1, false),
     kNone},
    {"FaceTooLargeIsTipEight", FaceLarge, Installed, TipImage::FaceBadlyPlaced,
     Flags(1, false, 1, 1, 1, 1, false), kNone},
    {"TypicalPhotoIsAccepted", IdWhite, Installed, std::nullopt, Flags(1, false, 1, 1, 1, 1, 1), kNormalised},
};

class Sequence : public testing::TestWithParam<SequenceCase> {
protected:
    void SetUp() override
    {
        g_exeDir = ProgramDir();
        g_resultImage.release();
    }
    void TearDown() override { g_resultImage.release(); }
    TempDir dir;
};

TEST_P(Sequence, GivesVerdictTipAndPicture)
{
    const SequenceCase& row = GetParam();
    const auto photo = dir.path() / "photo.jpg";
    WriteFile(photo, row.photo());
    CheckSettings settings = InstalledSettings();
    row.adjust(settings);

    CheckVerdict verdict = kAllTrue;
    const CheckOutcome outcome = RunPhotoCheck(photo, settings, verdict);

    EXPECT_EQ(outcome.accepted, !row.tip.has_value());
    EXPECT_EQ(outcome.tip, row.tip);
    EXPECT_EQ(verdict, row.expected);
    if (outcome.accepted) {
        EXPECT_EQ(outcome.display.size(), row.acceptedSize);
        EXPECT_EQ(outcome.display.type(), CV_8UC3);
        EXPECT_EQ(g_resultImage.data, outcome.display.data) << "the result image shares the accepted photo";
    } else {
        EXPECT_TRUE(g_resultImage.empty());
        const Image tip = DecodeJpegFile(ProgramDir() / TipPicturePath(*row.tip));
        ASSERT_FALSE(tip.empty());
        EXPECT_EQ(cv::norm(outcome.display, tip, cv::NORM_INF), 0.0) << "the tip picture is shown";
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, Sequence, testing::ValuesIn(kCases),
                         [](const auto& test) { return std::string(test.param.name); });

TEST(SequenceFlags, StartFromFreshVerdict)
{
    // The flags of stages not reached stay false in a fresh verdict.
    g_exeDir = ProgramDir();
    TempDir dir;
    WriteFile(dir.path() / "p.jpg", Square());
    CheckVerdict verdict;
    CheckSettings settings = InstalledSettings();
    settings.pic_min_size = 0;
    RunPhotoCheck(dir.path() / "p.jpg", settings, verdict);
    EXPECT_EQ(verdict, Flags(true, false, true, false, false, false, false));
}

TEST(SequenceDiagnostics, TellFirstFailingPixelAndFace)
{
    g_exeDir = ProgramDir();
    TempDir dir;
    CheckSettings settings = InstalledSettings();
    settings.pic_min_size = 0;

    WriteFile(dir.path() / "corner.jpg", CornerNotPlain());
    CheckVerdict verdict;
    CheckDiagnostics diagnostics;
    RunPhotoCheck(dir.path() / "corner.jpg", settings, verdict, &diagnostics);
    ASSERT_TRUE(diagnostics.backgroundFailure.has_value());
    EXPECT_GE(diagnostics.backgroundFailure->column, settings.dst_width - settings.jc_b);
    EXPECT_FALSE(diagnostics.face.has_value()) << "the face stage was not reached";

    diagnostics = {};
    RunPhotoCheck(Fixture("id_white.jpg"), settings, verdict, &diagnostics);
    ASSERT_TRUE(diagnostics.face.has_value());
    EXPECT_EQ(diagnostics.face->faces.size(), 1u);
    ASSERT_TRUE(diagnostics.face->placement.has_value());
    EXPECT_GT(diagnostics.face->placement->ratioY, settings.ratio_y_min);
    g_resultImage.release();
}

TEST(SequenceFiles, MissingTipPictureShowsNothing)
{
    TempDir dir;
    g_exeDir = dir.path() / "";  // a program directory without tips/
    WriteFile(dir.path() / "p.jpg", Png());
    CheckVerdict verdict;
    const CheckOutcome outcome = RunPhotoCheck(dir.path() / "p.jpg", CheckSettings{}, verdict);
    EXPECT_EQ(outcome.tip, TipImage::NotJpeg);
    EXPECT_TRUE(outcome.display.empty());
}

TEST(SequenceFiles, UnusualPathsAreOrderlyVerdicts)
{
    g_exeDir = ProgramDir();
    TempDir dir;
    CheckVerdict verdict;
    EXPECT_EQ(RunPhotoCheck(dir.path() / "removed.jpg", InstalledSettings(), verdict).tip, TipImage::NotJpeg);
    EXPECT_EQ(RunPhotoCheck(dir.path(), InstalledSettings(), verdict).tip, TipImage::NotJpeg);

    const auto named = dir.path() / "-报名 照片.jpg";
    std::filesystem::copy_file(Fixture("id_white.jpg"), named);
    EXPECT_TRUE(RunPhotoCheck(named, InstalledSettings(), verdict).accepted);
    g_resultImage.release();
}

}  // namespace
