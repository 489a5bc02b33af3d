#include "velmora/photo_checker.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/decode.h"
#include "photo_fixtures.h"

using namespace velmora;

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
    CheckVerdict expected;        // merged into a verdict with every flag set, see below
    cv::Size acceptedSize;
    Finding finding;              // the first reason
};

void PrintTo(const SequenceCase& row, std::ostream* os) { *os << row.name; }

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
// Every file reaches the decoder, and the pixel minimum is the rules' own default, so that
// the rows probe the aspect and the minimum whatever setting.ini ships.
void NoSizeLimits(CheckSettings& s)
{
    s.pic_min_size = 0;
    s.pic_max_size = -1;
    s.min_width = 100;
    s.min_height = 100;
}
void WhiteOnly(CheckSettings& s) { s.bgc = 0; }
void RedOrBlue(CheckSettings& s) { s.bgc = 1; }
void NoStrips(CheckSettings& s) { s.jc_a = 0; }

// Flags that a check did not write keep the previous check's values; every row merges its
// outcome into a verdict with all flags set, so a flag that reads true below was not written
// or written true.
constexpr CheckVerdict kAllTrue{true, true, true, true, true, true, true};
constexpr CheckVerdict Flags(bool jpeg, bool stamped, bool size, bool dims, bool bg, bool face, bool pos)
{
    return {jpeg, stamped, size, dims, bg, face, pos};
}

const cv::Size kNormalised(295, 413);
const cv::Size kNone(0, 0);

using F = Finding;
const SequenceCase kCases[] = {
    {"PngRenamedIsTipOne", Png, Installed, TipImage::NotJpeg, Flags(false, 1, 1, 1, 1, 1, 1), kNone, F::NotJpeg},
    {"StartOfImageOnlyIsUndecodable", StartOfImageOnly, NoSizeLimits, TipImage::BadDimensions,
     Flags(1, false, 1, false, 1, 1, 1), kNone, F::Undecodable},
    {"StampedIsAcceptedAsStored", StampedIdWhite, Installed, std::nullopt, kAllTrue, cv::Size(354, 472),
     F::AcceptedStamped},
    {"StampedSkipsEveryCheckEvenInNormaliseMode", StampedSquare, RejectEverything, std::nullopt, kAllTrue,
     cv::Size(300, 300), F::AcceptedStamped},
    {"StampedPngIsStillTipOne", StampedPng, Installed, TipImage::NotJpeg, Flags(false, 1, 1, 1, 1, 1, 1), kNone,
     F::NotJpeg},
    {"StampedButTruncatedIsTipFour", StampedTruncated, Installed, TipImage::BadDimensions, kAllTrue, kNone,
     F::Undecodable},
    {"NormaliseOnlyStretchesSmallPhoto", Small, CastOne, std::nullopt, Flags(1, false, 1, 1, 1, 1, 1), kNormalised,
     F::AcceptedNormalised},
    {"NormaliseOnlyIgnoresSizeWindow", Small, [](CheckSettings& s) { s.cast = 1; s.pic_max_size = 0; },
     std::nullopt, Flags(1, false, 1, 1, 1, 1, 1), kNormalised, F::AcceptedNormalised},
    {"NormaliseOnlyStillRejectsPng", Png, CastOne, TipImage::NotJpeg, Flags(false, 1, 1, 1, 1, 1, 1), kNone,
     F::NotJpeg},
    {"NormaliseOnlyUndecodableIsTipFour", TruncatedIdWhite, CastOne, TipImage::BadDimensions,
     Flags(1, false, 1, 1, 1, 1, 1), kNone, F::Undecodable},
    {"CastTwoRunsFullChecks", Small, CastTwo, TipImage::BadDimensions, Flags(1, false, 1, false, 1, 1, 1), kNone,
     F::TooNarrow},
    {"SizeWindowRejectsWithTipThree", IdWhite, ZeroSizeWindow, TipImage::FileSizeOutsideWindow,
     Flags(1, false, false, 1, 1, 1, 1), kNone, F::FileTooLarge},
    {"HundredPixelsWideIsTooNarrow", HundredWide, NoSizeLimits, TipImage::BadDimensions,
     Flags(1, false, 1, false, 1, 1, 1), kNone, F::TooNarrow},
    {"HundredOnePixelsWidePassesDimensions", HundredOneWide, NoSizeLimits, TipImage::NoSingleFace,
     Flags(1, false, 1, 1, 1, false, 1), kNone, F::NoFace},
    {"SquareIsRejected", Square, NoSizeLimits, TipImage::BadDimensions, Flags(1, false, 1, false, 1, 1, 1), kNone,
     F::NotUpright},
    {"TwiceAsHighIsRejected", TwiceAsHigh, NoSizeLimits, TipImage::BadDimensions,
     Flags(1, false, 1, false, 1, 1, 1), kNone, F::TooElongated},
    {"TruncatedIsTipFour", TruncatedIdWhite, NoSizeLimits, TipImage::BadDimensions,
     Flags(1, false, 1, false, 1, 1, 1), kNone, F::Undecodable},
    {"DarkCornerIsTipSix", CornerNotPlain, NoSizeLimits, TipImage::BackgroundNotPlain,
     Flags(1, false, 1, 1, false, 1, 1), kNone, F::BackgroundNotPlain},
    {"BlueBackgroundFailsWhiteRule", IdBlue, WhiteOnly, TipImage::BackgroundNotPlain,
     Flags(1, false, 1, 1, false, 1, 1), kNone, F::BackgroundNotPlain},
    {"BlueBackgroundPassesRedOrBlueRule", IdBlue, RedOrBlue, std::nullopt, Flags(1, false, 1, 1, 1, 1, 1),
     kNormalised, F::Accepted},
    // Settings files with empty strips are refused at load; a checker given them anyway
    // judges no background rather than passing every photo.
    {"NoStripsIsNeverAPass", IdWhite, NoStrips, TipImage::BackgroundNotPlain, Flags(1, false, 1, 1, 1, 1, 1),
     kNone, F::BackgroundNotPlain},
    {"NoFaceIsTipSeven", NoFace, Installed, TipImage::NoSingleFace, Flags(1, false, 1, 1, 1, false, 1), kNone,
     F::NoFace},
    {"TwoFacesIsTipSeven", TwoFaces, Installed, TipImage::NoSingleFace, Flags(1, false, 1, 1, 1, false, 1), kNone,
     F::SeveralFaces},
    {"FaceTooLowIsTipEight", FaceLow, Installed, TipImage::FaceBadlyPlaced, Flags(1, false, 1, 1, 1, 1, false),
     kNone, F::FaceTooLow},
    {"FaceTooLargeIsTipEight", FaceLarge, Installed, TipImage::FaceBadlyPlaced,
     Flags(1, false, 1, 1, 1, 1, false), kNone, F::FaceTooLarge},
    {"TypicalPhotoIsAccepted", IdWhite, Installed, std::nullopt, Flags(1, false, 1, 1, 1, 1, 1), kNormalised,
     F::Accepted},
};

class Sequence : public testing::TestWithParam<SequenceCase> {
protected:
    TempDir dir;
};

TEST_P(Sequence, GivesVerdictTipPictureAndReason)
{
    const SequenceCase& row = GetParam();
    const auto photo = dir.path() / "photo.jpg";
    WriteFile(photo, row.photo());
    CheckSettings settings = InstalledSettings();
    row.adjust(settings);

    PhotoChecker checker(settings, ProgramDir());
    const CheckOutcome outcome = checker.Check(photo);
    CheckVerdict kept = kAllTrue;
    outcome.MergeInto(kept);

    EXPECT_EQ(outcome.error, CheckError::None);
    EXPECT_EQ(outcome.accepted, !row.tip.has_value());
    EXPECT_EQ(outcome.tip, row.tip);
    EXPECT_EQ(kept, row.expected);
    ASSERT_FALSE(outcome.reasons.empty());
    EXPECT_EQ(outcome.reasons.front().finding, row.finding);
    if (outcome.accepted) {
        EXPECT_EQ(outcome.display.size(), row.acceptedSize);
        EXPECT_EQ(outcome.display.type(), CV_8UC3);
    } else {
        const Image tip = DecodeJpegFile(ProgramDir() / TipPicturePath(*row.tip));
        ASSERT_FALSE(tip.empty());
        EXPECT_EQ(cv::norm(outcome.display, tip, cv::NORM_INF), 0.0) << "the tip picture is shown";
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, Sequence, testing::ValuesIn(kCases),
                         [](const auto& test) { return std::string(test.param.name); });

TEST(SequenceFlags, OnlyTheStagesReachedAreWritten)
{
    TempDir dir;
    WriteFile(dir.path() / "p.jpg", Square());
    CheckSettings settings = InstalledSettings();
    NoSizeLimits(settings);
    PhotoChecker checker(settings, ProgramDir());
    const CheckOutcome outcome = checker.Check(dir.path() / "p.jpg");
    EXPECT_EQ(outcome.verdict, Flags(true, false, true, false, false, false, false));
    EXPECT_EQ(outcome.written, Flags(true, true, true, true, false, false, false));
    EXPECT_EQ(outcome.stage, CheckStage::Dimensions);
}

// ---- The reason data: measured figures, allowed ranges and the way to go ----

struct ReasonCase {
    const char* name;
    std::string (*photo)();
    void (*adjust)(CheckSettings&);
    std::vector<Reason> reasons;  // measured values compared to within 1e-4
};

Reason Expect(Finding finding, double measured, std::optional<double> low, std::optional<double> high,
              Direction direction, std::string_view key = {}, bool inclusive = false)
{
    Reason r;
    r.finding = finding;
    r.measured = measured;
    r.low = low;
    r.high = high;
    r.lowInclusive = r.highInclusive = inclusive;
    r.direction = direction;
    r.key = key;
    return r;
}

std::string Wide() { return Encode(WhitePicture(472, 354), ".jpg"); }
std::string TinyButUpright() { return Encode(WhitePicture(60, 80), ".jpg"); }

// A photo whose file length is exactly known: the fixture padded after its end marker.
std::string IdWhitePaddedTo(std::size_t length)
{
    std::string bytes = IdWhite();
    bytes.resize(std::max(length, bytes.size()), '\0');
    return bytes;
}
std::string IdWhite300KiB() { return IdWhitePaddedTo(300 * 1024); }

void Window100To200(CheckSettings& s)
{
    s.pic_min_size = 100;
    s.pic_max_size = 200;
}
void Window100ToAny(CheckSettings& s)
{
    s.pic_min_size = 100;
    s.pic_max_size = -1;
}
void Pixels300(CheckSettings& s)
{
    NoSizeLimits(s);
    s.min_width = 300;
    s.min_height = 300;
}
// Ratio bounds that the fixtures' faces fall outside in a known way.
void FaceBounds(CheckSettings& s)
{
    s.ratio_y_min = 0.07f;
    s.ratio_y_max = 0.30f;
    s.ratio_x_min = 0.20f;
    s.ratio_x_max = 0.52f;
}
void FaceBoundsAllTooTight(CheckSettings& s)
{
    s.ratio_y_min = 0.5f;
    s.ratio_y_max = 0.6f;
    s.ratio_x_min = 0.1f;
    s.ratio_x_max = 0.2f;
}

const ReasonCase kReasons[] = {
    {"FileInsideOpenEndedWindowPasses", IdWhite300KiB, Window100ToAny, {}},
    {"FileAboveWindow", IdWhite300KiB, Window100To200,
     {Expect(F::FileTooLarge, 300 * 1024, 100 * 1024, 200 * 1024, Direction::Lower, "pic_max_size", true)}},
    {"FileBelowWindowWithoutMaximum", IdWhite, Window100ToAny,
     {Expect(F::FileTooSmall, 0, 100 * 1024, std::nullopt, Direction::Raise, "pic_min_size", true)}},
    {"LandscapeIsNotUpright", Wide, NoSizeLimits,
     {Expect(F::NotUpright, 354.0 / 472.0, 1, 2, Direction::Raise)}},
    {"EveryFailingDimensionIsTold", TinyButUpright, Pixels300,
     {Expect(F::TooNarrow, 60, 300, std::nullopt, Direction::Raise, "min_width"),
      Expect(F::TooShort, 80, 300, std::nullopt, Direction::Raise, "min_height")}},
    {"FaceTooLow", FaceLow, FaceBounds,
     {Expect(F::FaceTooLow, 0.004843, 0.07, 0.30, Direction::Raise, "ratio_y_min")}},
    {"FaceTooLarge", FaceLarge, FaceBounds,
     {Expect(F::FaceTooLarge, 0.166102, 0.20, 0.52, Direction::Raise, "ratio_x_min")}},
    {"BothRatiosFailing", IdWhite, FaceBoundsAllTooTight,
     {Expect(F::FaceTooLow, -1, 0.5, 0.6, Direction::Raise, "ratio_y_min"),
      Expect(F::FaceTooSmall, -1, 0.1, 0.2, Direction::Lower, "ratio_x_max")}},
};

void PrintTo(const ReasonCase& row, std::ostream* os) { *os << row.name; }

class Reasons : public testing::TestWithParam<ReasonCase> {
protected:
    TempDir dir;
};

TEST_P(Reasons, CarryFiguresRangeAndDirection)
{
    const ReasonCase& row = GetParam();
    const auto photo = dir.path() / "photo.jpg";
    const std::string bytes = row.photo();
    WriteFile(photo, bytes);
    CheckSettings settings = InstalledSettings();
    row.adjust(settings);
    const CheckOutcome outcome = PhotoChecker(settings, ProgramDir()).Check(photo);
    EXPECT_EQ(outcome.fileBytes, bytes.size());

    if (row.reasons.empty()) {
        EXPECT_NE(outcome.tip, TipImage::FileSizeOutsideWindow);
        return;
    }
    ASSERT_EQ(outcome.reasons.size(), row.reasons.size());
    for (std::size_t i = 0; i < row.reasons.size(); ++i) {
        Reason want = row.reasons[i];
        const Reason& got = outcome.reasons[i];
        if (want.finding == F::FileTooSmall)
            want.measured = static_cast<double>(bytes.size());
        if (want.measured < 0)  // measured by the detector: only the side of the range matters
            want.measured = got.measured;
        EXPECT_NEAR(got.measured, want.measured, 1e-4) << i;
        EXPECT_EQ(got.finding, want.finding) << i;
        ASSERT_EQ(got.low.has_value(), want.low.has_value()) << i;
        if (want.low) {
            EXPECT_NEAR(*got.low, *want.low, 1e-6) << i;
        }
        ASSERT_EQ(got.high.has_value(), want.high.has_value()) << i;
        if (want.high) {
            EXPECT_NEAR(*got.high, *want.high, 1e-6) << i;
        }
        EXPECT_EQ(got.lowInclusive, want.lowInclusive) << i;
        EXPECT_EQ(got.highInclusive, want.highInclusive) << i;
        EXPECT_EQ(got.direction, want.direction) << i;
        EXPECT_EQ(got.key, want.key) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, Reasons, testing::ValuesIn(kReasons),
                         [](const auto& test) { return std::string(test.param.name); });

TEST(SequenceMeasurements, TellFirstFailingPixelFacesAndOrientation)
{
    TempDir dir;
    CheckSettings settings = InstalledSettings();
    NoSizeLimits(settings);
    PhotoChecker checker(settings, ProgramDir());

    WriteFile(dir.path() / "corner.jpg", CornerNotPlain());
    CheckOutcome outcome = checker.Check(dir.path() / "corner.jpg");
    ASSERT_TRUE(outcome.backgroundFailure.has_value());
    EXPECT_EQ(outcome.backgroundFailure->strip, Strip::Right);
    EXPECT_GE(outcome.backgroundFailure->column, settings.dst_width - settings.jc_b);
    EXPECT_TRUE(outcome.faces.empty()) << "the face stage was not reached";
    EXPECT_EQ(outcome.storedSize, cv::Size(354, 472));

    outcome = checker.Check(Fixture("id_white.jpg"));
    EXPECT_FALSE(outcome.backgroundFailure.has_value());
    EXPECT_EQ(outcome.faces.size(), 1u);
    ASSERT_TRUE(outcome.placement.has_value());
    EXPECT_TRUE(outcome.placement->wellPlaced);
    EXPECT_FALSE(outcome.orientation.has_value());

    outcome = checker.Check(Fixture("id_white_exif6.jpg"));
    EXPECT_EQ(outcome.tip, TipImage::BadDimensions);
    EXPECT_EQ(outcome.orientation, 6) << "stored sideways, shown upright by viewers";
    EXPECT_EQ(outcome.storedSize, cv::Size(472, 354));
    EXPECT_EQ(outcome.reasons.front().finding, F::NotUpright);
}

TEST(SequenceMeasurements, StretchIsNotedOnAcceptedPhotosOnly)
{
    TempDir dir;
    CheckSettings settings = InstalledSettings();
    settings.cast = 1;
    PhotoChecker checker(settings, ProgramDir());
    const struct {
        int width, height;
        std::optional<double> stretch;  // output aspect over the photo's
    } rows[] = {
        {295, 413, std::nullopt},
        {300, 413, std::nullopt},  // 1.7 % wider: not worth a word
        {354, 472, std::nullopt},  // exactly 5 %: the common 3 : 4 scan is not noted
        {354, 471, (413.0 * 354) / (295.0 * 471)},
        {100, 100, 413.0 / 295.0},
        {300, 600, (413.0 / 295.0) / 2.0},
    };
    for (const auto& row : rows) {
        WriteFile(dir.path() / "p.jpg", Encode(WhitePicture(row.width, row.height), ".jpg"));
        const CheckOutcome outcome = checker.Check(dir.path() / "p.jpg");
        ASSERT_TRUE(outcome.accepted);
        EXPECT_EQ(outcome.reasons.front().finding, F::AcceptedNormalised);
        const auto note = std::ranges::find(outcome.reasons, F::StretchedOnSave, &Reason::finding);
        ASSERT_EQ(note != outcome.reasons.end(), row.stretch.has_value()) << row.width << " x " << row.height;
        if (row.stretch) {
            EXPECT_NEAR(note->measured, *row.stretch, 1e-9);
            EXPECT_EQ(note->direction, *row.stretch > 1 ? Direction::Lower : Direction::Raise);
        }
    }
}

// Anyone can append the stamp: a checker told to distrust it judges the photo as if it were
// not there, and notes that it was ignored; a trusting one accepts even a two-person photo.
TEST(SequenceStamp, DistrustedStampIsCheckedInFull)
{
    const struct {
        const char* name;
        std::string (*photo)();
        std::optional<TipImage> tip;  // when distrusted; nullopt: accepted
        Finding first;
    } rows[] = {
        {"two faces", [] { return WithStamp(TwoFaces()); }, TipImage::NoSingleFace, F::SeveralFaces},
        {"tiny square", StampedSquare, TipImage::FileSizeOutsideWindow, F::FileTooSmall},
        {"typical", StampedIdWhite, std::nullopt, F::Accepted},
        {"unstamped", IdWhite, std::nullopt, F::Accepted},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string bytes = row.photo();
        const auto span = std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
        PhotoChecker checker(InstalledSettings(), ProgramDir());
        const bool stamped = row.photo != IdWhite;
        if (stamped) {
            EXPECT_TRUE(checker.CheckBytes(span).accepted) << "a trusted stamp accepts as stored";
        }

        checker.TrustStamp(false);
        const CheckOutcome outcome = checker.CheckBytes(span);
        EXPECT_EQ(outcome.tip, row.tip);
        EXPECT_EQ(outcome.accepted, !row.tip.has_value());
        EXPECT_TRUE(outcome.written.stamped);
        EXPECT_EQ(outcome.verdict.stamped, stamped);
        ASSERT_FALSE(outcome.reasons.empty());
        EXPECT_EQ(outcome.reasons.front().finding, row.first);
        EXPECT_EQ(outcome.reasons.back().finding == F::StampIgnored, stamped);
        if (outcome.accepted) {
            EXPECT_EQ(outcome.display.size(), kNormalised);
        }
    }
}

// ---- Could not assess, kept apart from a bad photo ----

TEST(SequenceErrors, AreKeptApartFromVerdicts)
{
    TempDir dir;
    const CheckSettings settings = InstalledSettings();
    PhotoChecker checker(settings, ProgramDir());
    std::filesystem::create_directories(dir.path() / "empty-program-dir");
    PhotoChecker blind(settings, dir.path() / "empty-program-dir" / "");
    ASSERT_FALSE(blind.HasFaceDetector());
    ASSERT_TRUE(checker.HasFaceDetector());

    WriteFile(dir.path() / "png.jpg", Png());
    WriteFile(dir.path() / "locked.jpg", IdWhite());
    std::filesystem::permissions(dir.path() / "locked.jpg", std::filesystem::perms::none);
    // As the superuser, or on Windows, where no permission bits exist, it can be read all the same.
    const bool canStillRead = std::ifstream(dir.path() / "locked.jpg").is_open();

    const struct {
        const char* what;
        PhotoChecker* checker;
        std::filesystem::path photo;
        CheckError error;
        std::optional<TipImage> tip;
    } rows[] = {
        {"missing file", &checker, dir.path() / "removed.jpg", CheckError::FileUnreadable, TipImage::NotJpeg},
        {"a folder", &checker, dir.path(), CheckError::FileUnreadable, TipImage::NotJpeg},
        {"a device", &checker, "/dev/zero", CheckError::FileUnreadable, TipImage::NotJpeg},
        {"no permission", &checker, dir.path() / "locked.jpg",
         canStillRead ? CheckError::None : CheckError::FileUnreadable,
         canStillRead ? std::nullopt : std::optional(TipImage::NotJpeg)},
        {"not a JPEG is a verdict", &checker, dir.path() / "png.jpg", CheckError::None, TipImage::NotJpeg},
        {"no detector, face stage", &blind, Fixture("id_white.jpg"), CheckError::DetectorUnavailable,
         TipImage::NoSingleFace},
        {"no detector, earlier stage", &blind, dir.path() / "png.jpg", CheckError::None, TipImage::NotJpeg},
    };
    for (const auto& row : rows) {
        const CheckOutcome outcome = row.checker->Check(row.photo);
        EXPECT_EQ(outcome.error, row.error) << row.what;
        EXPECT_EQ(outcome.tip, row.tip) << row.what;
        EXPECT_EQ(outcome.reasons.empty(), row.error != CheckError::None) << row.what;
        if (row.error == CheckError::FileUnreadable) {
            EXPECT_EQ(outcome.written, Flags(true, false, false, false, false, false, false)) << row.what;
        }
    }
    std::filesystem::permissions(dir.path() / "locked.jpg", std::filesystem::perms::owner_all);
}

// ---- One reading of the file ----

TEST(SequenceFiles, BytesAndFileGiveTheSameOutcome)
{
    const CheckSettings settings = InstalledSettings();
    PhotoChecker checker(settings, ProgramDir());
    for (const char* name : {"id_white.jpg", "face_low.jpg", "two_faces.jpg", "id_white_exif6.jpg"}) {
        const std::string bytes = FixtureBytes(name);
        const CheckOutcome fromFile = checker.Check(Fixture(name));
        const CheckOutcome fromBytes =
            checker.CheckBytes({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
        EXPECT_EQ(fromFile.tip, fromBytes.tip) << name;
        EXPECT_EQ(fromFile.verdict, fromBytes.verdict) << name;
        EXPECT_EQ(fromFile.reasons, fromBytes.reasons) << name;
        EXPECT_EQ(fromFile.faces, fromBytes.faces) << name;
        EXPECT_EQ(fromFile.fileBytes, fromBytes.fileBytes) << name;
        EXPECT_EQ(cv::norm(fromFile.display, fromBytes.display, cv::NORM_INF), 0.0) << name;
    }
}

TEST(SequenceFiles, MissingTipPictureShowsNothing)
{
    TempDir dir;
    WriteFile(dir.path() / "p.jpg", Png());
    PhotoChecker checker(CheckSettings{}, dir.path() / "");  // a program directory without tips/
    const CheckOutcome outcome = checker.Check(dir.path() / "p.jpg");
    EXPECT_EQ(outcome.tip, TipImage::NotJpeg);
    EXPECT_TRUE(outcome.display.empty());
}

TEST(SequenceFiles, ShownTipIsACopy)
{
    TempDir dir;
    WriteFile(dir.path() / "p.jpg", Png());
    PhotoChecker checker(InstalledSettings(), ProgramDir());
    CheckOutcome first = checker.Check(dir.path() / "p.jpg");
    first.display.setTo(cv::Scalar::all(0));  // whoever shows it may draw on it
    const CheckOutcome second = checker.Check(dir.path() / "p.jpg");
    EXPECT_GT(cv::norm(second.display, cv::NORM_INF), 0.0);
}

TEST(SequenceFiles, UnusualNamesOpen)
{
    TempDir dir;
    const auto named = dir.path() / "-报名 照片.jpg";
    std::filesystem::copy_file(Fixture("id_white.jpg"), named);
    EXPECT_TRUE(PhotoChecker(InstalledSettings(), ProgramDir()).Check(named).accepted);
}

}  // namespace

// ---- Further findings: the later stages, measured for advice once the verdict is fixed ----

namespace further {

cv::Mat Read(const std::string& name) { return cv::imread(Fixture(name).string(), cv::IMREAD_COLOR); }

// A white wall photographed in poor light: the whole photo darker, the wall a light grey.
std::string Dimmed(const std::string& name)
{
    cv::Mat photo = Read(name);
    photo.convertTo(photo, -1, 0.62, 0);
    return Encode(photo, ".jpg", {cv::IMWRITE_JPEG_QUALITY, 92});
}
std::string DimmedTwoFaces() { return Dimmed("two_faces.jpg"); }
std::string DimmedSmallHead() { return Dimmed("calibration/small_franz_white_3.jpg"); }
std::string DimmedGoodPhoto() { return Dimmed("id_white.jpg"); }

// Two people side by side in a landscape photo: two_faces.jpg widened to 496 x 472. Normalising
// narrows it back to the proportions of the portrait, so the detector sees the faces it finds there.
std::string LandscapeGroup()
{
    cv::Mat photo;
    cv::resize(Read("two_faces.jpg"), photo, cv::Size(496, 472), 0, 0, cv::INTER_AREA);
    return Encode(photo, ".jpg", {cv::IMWRITE_JPEG_QUALITY, 92});
}
std::string LandscapeDimmedGroup()
{
    cv::Mat photo = Read("two_faces.jpg");
    photo.convertTo(photo, -1, 0.62, 0);
    cv::resize(photo, photo, cv::Size(496, 472), 0, 0, cv::INTER_AREA);
    return Encode(photo, ".jpg", {cv::IMWRITE_JPEG_QUALITY, 92});
}
std::string LandscapeBlank() { return Encode(WhitePicture(472, 354), ".jpg"); }

// The face and background keys as shipped today, so that a recalibration does not move the rows.
void Shipped(CheckSettings& s)
{
    s.ratio_y_min = 0.07f;
    s.ratio_y_max = 0.32f;
    s.ratio_x_min = 0.20f;
    s.ratio_x_max = 0.52f;
    s.s_min = 0.1f;
    s.i_min = 0.3f;
    s.i_max = 0.7f;
    s.jc_a = 100;
    s.jc_b = 10;
}
void ShippedZeroSizeWindow(CheckSettings& s)
{
    Shipped(s);
    ZeroSizeWindow(s);
}

struct FurtherCase {
    const char* name;
    std::string (*photo)();
    void (*adjust)(CheckSettings&);
    std::optional<TipImage> tip;
    Finding decides;                 // the verdict's first reason, as without further findings
    std::vector<Finding> further;    // in their order
};

void PrintTo(const FurtherCase& row, std::ostream* os) { *os << row.name; }

const FurtherCase kFurther[] = {
    {"BackgroundFailureAlsoTellsTwoFaces", DimmedTwoFaces, Shipped, TipImage::BackgroundNotPlain,
     F::BackgroundNotPlain, {F::SeveralFaces}},
    {"BackgroundFailureAlsoTellsSmallHead", DimmedSmallHead, Shipped, TipImage::BackgroundNotPlain,
     F::BackgroundNotPlain, {F::FaceTooHigh, F::FaceTooSmall}},
    {"BackgroundFailureWithGoodFaceTellsNothingMore", DimmedGoodPhoto, Shipped, TipImage::BackgroundNotPlain,
     F::BackgroundNotPlain, {}},
    {"LandscapeGroupAlsoTellsTwoFaces", LandscapeGroup, Shipped, TipImage::BadDimensions, F::NotUpright,
     {F::SeveralFaces}},
    {"LandscapeOnGreyWallTellsBackgroundThenFaces", LandscapeDimmedGroup, Shipped, TipImage::BadDimensions,
     F::NotUpright, {F::BackgroundNotPlain, F::SeveralFaces}},
    {"LandscapeBlankTellsNoFace", LandscapeBlank, NoSizeLimits, TipImage::BadDimensions, F::NotUpright, {F::NoFace}},
    {"FileSizeFailureTellsEveryLaterStage", LandscapeDimmedGroup, ShippedZeroSizeWindow, TipImage::FileSizeOutsideWindow,
     F::FileTooLarge, {F::NotUpright, F::BackgroundNotPlain, F::SeveralFaces}},
    {"FileSizeFailureOfAGoodPhotoTellsNothingMore", IdWhite, ZeroSizeWindow, TipImage::FileSizeOutsideWindow,
     F::FileTooLarge, {}},
    {"FileSizeFailureUndecodableTellsNothingMore", TruncatedIdWhite, ZeroSizeWindow, TipImage::FileSizeOutsideWindow,
     F::FileTooLarge, {}},
    {"UndecodableTellsNothingMore", TruncatedIdWhite, NoSizeLimits, TipImage::BadDimensions, F::Undecodable, {}},
    {"NotJpegTellsNothingMore", Png, Shipped, TipImage::NotJpeg, F::NotJpeg, {}},
    {"StampedTellsNothingMore", [] { return WithStamp(LandscapeGroup()); }, Shipped, std::nullopt,
     F::AcceptedStamped, {}},
    {"NormaliseOnlyTellsNothingMore", LandscapeGroup, CastOne, std::nullopt, F::AcceptedNormalised, {}},
    {"FaceStageDecidesAlone", TwoFaces, Shipped, TipImage::NoSingleFace, F::SeveralFaces, {}},
};

class Further : public testing::TestWithParam<FurtherCase> {
protected:
    TempDir dir;
};

std::vector<Finding> Findings(const std::vector<Reason>& reasons)
{
    std::vector<Finding> findings;
    for (const Reason& r : reasons)
        findings.push_back(r.finding);
    return findings;
}

TEST_P(Further, FollowTheVerdictWithoutChangingIt)
{
    const FurtherCase& row = GetParam();
    const auto photo = dir.path() / "photo.jpg";
    WriteFile(photo, row.photo());
    CheckSettings settings = InstalledSettings();
    row.adjust(settings);
    const CheckOutcome outcome = PhotoChecker(settings, ProgramDir()).Check(photo);

    EXPECT_EQ(outcome.error, CheckError::None);
    EXPECT_EQ(outcome.tip, row.tip);
    ASSERT_FALSE(outcome.reasons.empty());
    EXPECT_EQ(outcome.reasons.front().finding, row.decides);
    EXPECT_EQ(Findings(outcome.further), row.further);
    // The verdict's own measurements stay those of the stages it reached.
    if (row.decides != F::BackgroundNotPlain) {
        EXPECT_FALSE(outcome.backgroundFailure.has_value());
    }
    if (outcome.stage != CheckStage::Face) {
        EXPECT_TRUE(outcome.faces.empty());
    }
    EXPECT_TRUE(outcome.advisories.empty());
    const bool backgroundTold = std::ranges::count(Findings(outcome.further), F::BackgroundNotPlain) +
                                    (row.decides == F::BackgroundNotPlain) > 0;
    EXPECT_EQ(outcome.backgroundFault.has_value(), backgroundTold);
}

INSTANTIATE_TEST_SUITE_P(Cases, Further, testing::ValuesIn(kFurther),
                         [](const auto& test) { return std::string(test.param.name); });

// The verdict, the flags and the reasons are those of a check that stops at the first failure:
// the same photo judged at each stage alone gives them unchanged.
TEST(FurtherFindings, LeaveVerdictFlagsAndReasonsAsTheyWere)
{
    TempDir dir;
    WriteFile(dir.path() / "p.jpg", LandscapeDimmedGroup());
    CheckSettings settings = InstalledSettings();
    Shipped(settings);
    const CheckOutcome outcome = PhotoChecker(settings, ProgramDir()).Check(dir.path() / "p.jpg");
    EXPECT_EQ(outcome.stage, CheckStage::Dimensions);
    EXPECT_EQ(outcome.verdict, Flags(true, false, true, false, false, false, false));
    EXPECT_EQ(outcome.written, Flags(true, true, true, true, false, false, false));
    ASSERT_EQ(outcome.reasons.size(), 1u);
    EXPECT_EQ(outcome.reasons.front().finding, F::NotUpright);
    const Image tip = DecodeJpegFile(ProgramDir() / TipPicturePath(TipImage::BadDimensions));
    EXPECT_EQ(cv::norm(outcome.display, tip, cv::NORM_INF), 0.0);
    ASSERT_TRUE(outcome.backgroundFault.has_value());
    EXPECT_EQ(outcome.backgroundFault->test, BackgroundTest::TooDark);
    EXPECT_EQ(outcome.backgroundFault->key, "i_max");
}

// The background failure names the test, the figure against the setting, the corner and the share.
TEST(FurtherFindings, GreyWallGivesItsFiguresInTheSettingsTerms)
{
    TempDir dir;
    WriteFile(dir.path() / "p.jpg", DimmedGoodPhoto());
    CheckSettings settings = InstalledSettings();
    Shipped(settings);
    const CheckOutcome outcome = PhotoChecker(settings, ProgramDir()).Check(dir.path() / "p.jpg");
    ASSERT_EQ(outcome.tip, TipImage::BackgroundNotPlain);
    ASSERT_TRUE(outcome.backgroundFailure.has_value());
    ASSERT_TRUE(outcome.backgroundFault.has_value());
    const BackgroundFault& fault = *outcome.backgroundFault;
    EXPECT_EQ(fault.rule, settings.bgc == 1 ? BackgroundRule::RedOrBlue : BackgroundRule::White);
    EXPECT_EQ(fault.test, BackgroundTest::TooDark);
    EXPECT_NEAR(fault.measured, 0.62, 0.03) << "a white wall at 62 % of its light";
    EXPECT_EQ(fault.limit, settings.i_max);
    EXPECT_EQ(fault.side, outcome.backgroundFailure->strip);
    EXPECT_EQ(fault.stripPixels, settings.jc_a * settings.jc_b);
    EXPECT_EQ(fault.failingPixels, fault.stripPixels);
}

// A file the checker refuses to read whole is never decoded for advice either; one just inside
// the window of what is read is.
TEST(FurtherFindings, RespectTheReadLimit)
{
    TempDir dir;
    const std::string bytes = TwoFaces();
    const struct {
        std::uintmax_t length;
        bool decoded;
    } rows[] = {{11u << 20, true}, {kMaxPhotoBytes + 1, false}};
    for (const auto& row : rows) {
        const auto photo = dir.path() / "padded.jpg";
        WriteFile(photo, bytes);
        std::filesystem::resize_file(photo, row.length);  // zeros after the end marker, sparse where it can
        CheckSettings settings = InstalledSettings();
        Shipped(settings);
        settings.pic_max_size = 10240;
        const CheckOutcome outcome = PhotoChecker(settings, ProgramDir()).Check(photo);
        EXPECT_EQ(outcome.tip, TipImage::FileSizeOutsideWindow) << row.length;
        EXPECT_EQ(Findings(outcome.further), row.decoded ? std::vector{F::SeveralFaces} : std::vector<Finding>{})
            << row.length;
        std::filesystem::remove(photo);
    }
}

}  // namespace further
