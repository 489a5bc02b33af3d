#include "velmora_check/english.h"

#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace velmora_check {
namespace {

using velmora::CheckError;
using velmora::CheckOutcome;
using velmora::DecodeFailure;
using velmora::Direction;
using velmora::ExportError;
using velmora::ExportResult;
using velmora::Finding;
using velmora::Reason;

Reason Bounded(Finding finding, double measured, std::optional<double> low, std::optional<double> high,
               bool inclusive = false, std::string_view key = {})
{
    Reason reason;
    reason.finding = finding;
    reason.measured = measured;
    reason.low = low;
    reason.high = high;
    reason.lowInclusive = reason.highInclusive = inclusive;
    reason.direction = Direction::Raise;
    reason.key = key;
    return reason;
}

TEST(English, EveryFindingInWordsWithItsFigures)
{
    CheckOutcome outcome;
    outcome.decodeFailure = DecodeFailure::Truncated;
    outcome.backgroundFailure = velmora::BackgroundPixel{12, 290, velmora::Strip::Right, 170, 0.5f, 0.25f};
    struct Case {
        Reason reason;
        std::string text;
    };
    const std::vector<Case> cases = {
        {Bounded(Finding::Accepted, 0, {}, {}), "accepted"},
        {Bounded(Finding::AcceptedStamped, 0, {}, {}), "carries the check stamp: shown as stored, not checked again"},
        {Bounded(Finding::AcceptedNormalised, 0, {}, {}), "normalised only, not checked (cast=1)"},
        {Bounded(Finding::StretchedOnSave, 1.12, 0.95, 1.05, true), "stretched 12.0 % taller when normalised"},
        {Bounded(Finding::StretchedOnSave, 0.9, 0.95, 1.05, true), "stretched 10.0 % wider when normalised"},
        {Bounded(Finding::StampIgnored, 0, {}, {}), "carries the check stamp: ignored, checked in full"},
        {Bounded(Finding::NotJpeg, 0, {}, {}), "not a JPEG file"},
        {Bounded(Finding::FileTooSmall, 1000, 20480, 51200, true, "pic_min_size"),
         "file too small: bytes 1000, allowed 20480 <= bytes <= 51200 (pic_min_size)"},
        {Bounded(Finding::FileTooLarge, 123456789, 0, {}, true, "pic_max_size"),
         "file too large: bytes 123456789, allowed bytes >= 0 (pic_max_size)"},
        {Bounded(Finding::Undecodable, 0, {}, {}), "cannot be decoded: the picture data ends before its end marker"},
        {Bounded(Finding::TooNarrow, 80, 100, {}, false, "min_width"),
         "too narrow: width 80 px, allowed width > 100 (min_width)"},
        {Bounded(Finding::TooShort, 99, 100, {}, false, "min_height"),
         "too short: height 99 px, allowed height > 100 (min_height)"},
        {Bounded(Finding::NotUpright, 0.75, 1, 2), "not upright: height/width 0.75, allowed 1 < height/width < 2"},
        {Bounded(Finding::TooElongated, 2.5, 1, 2), "too elongated: height/width 2.5, allowed 1 < height/width < 2"},
        {Bounded(Finding::BackgroundNotPlain, 0, {}, {}),
         "background not plain at row 12, column 290 (right strip): hue 170, saturation 0.500, value 0.250"},
        {Bounded(Finding::NoFace, 0, {}, {}), "no face found"},
        {Bounded(Finding::SeveralFaces, 3, {}, {}), "3 faces found, 1 allowed"},
        {Bounded(Finding::FaceTooLow, 0.2457627, 0.3, 0.5, false, "ratio_y_min"),
         "face too low: ratio_y 0.2458, allowed 0.3 < ratio_y < 0.5 (ratio_y_min)"},
        {Bounded(Finding::FaceTooHigh, 0.5, 0.3, 0.5, false, "ratio_y_max"),
         "face too high: ratio_y 0.5, allowed 0.3 < ratio_y < 0.5 (ratio_y_max)"},
        {Bounded(Finding::FaceTooLarge, 0.41, 0.5, 0.7, false, "ratio_x_min"),
         "face too large: ratio_x 0.41, allowed 0.5 < ratio_x < 0.7 (ratio_x_min)"},
        {Bounded(Finding::FaceTooSmall, 0.75, 0.5, 0.7, false, "ratio_x_max"),
         "face too small: ratio_x 0.75, allowed 0.5 < ratio_x < 0.7 (ratio_x_max)"},
    };
    std::set<Finding> covered;
    for (const Case& c : cases) {
        EXPECT_EQ(ReasonText(c.reason, outcome), c.text);
        EXPECT_NE(FindingName(c.reason.finding), "unknown");
        covered.insert(c.reason.finding);
    }
    EXPECT_EQ(covered.size(), static_cast<std::size_t>(Finding::FaceTooSmall) + 1);  // every finding has words
}

TEST(English, ReasonsJoinedWithoutThePlainAcceptance)
{
    CheckOutcome outcome;
    outcome.reasons = {Bounded(Finding::FaceTooLow, 0.25, 0.3, 0.5, false, "ratio_y_min"),
                       Bounded(Finding::FaceTooSmall, 0.75, 0.5, 0.7, false, "ratio_x_max")};
    EXPECT_EQ(ReasonsText(outcome), "face too low: ratio_y 0.25, allowed 0.3 < ratio_y < 0.5 (ratio_y_min); "
                                    "face too small: ratio_x 0.75, allowed 0.5 < ratio_x < 0.7 (ratio_x_max)");
    outcome.reasons = {Bounded(Finding::Accepted, 0, {}, {})};
    EXPECT_EQ(ReasonsText(outcome), "");
}

TEST(English, EveryDecodeFailureAndErrorInWords)
{
    for (const DecodeFailure failure :
         {DecodeFailure::TooManyBytes, DecodeFailure::Truncated, DecodeFailure::TooManyPixels,
          DecodeFailure::TooManyScans, DecodeFailure::TooMuchMemory, DecodeFailure::Damaged, DecodeFailure::Unsupported})
        EXPECT_FALSE(DecodeFailureText(failure).empty());
    EXPECT_EQ(CheckErrorText(CheckError::FileUnreadable), "cannot read the file");
    EXPECT_EQ(CheckErrorText(CheckError::DetectorUnavailable), "face detector unavailable");

    struct Case {
        ExportError error;
        const char* extension;
        std::errc system;  // std::errc{} for none
        const char* text;
    };
    const Case cases[] = {
        {ExportError::NothingToSave, "", std::errc{}, "nothing to save"},
        {ExportError::UnsupportedExtension, ".gif", std::errc{}, "no encoder for the extension \".gif\""},
        {ExportError::CannotWrite, ".jpg", std::errc::no_space_on_device,
         "cannot write in the folder: No space left on device"},
        {ExportError::TargetExists, ".jpg", std::errc{}, "out/a.jpg exists"},
        {ExportError::CannotReplace, ".jpg", std::errc::permission_denied,
         "cannot move the file into place: Permission denied"},
    };
    for (const Case& c : cases) {
        ExportResult result;
        result.error = c.error;
        result.extension = c.extension;
        if (c.system != std::errc{})
            result.system = std::make_error_code(c.system);
        EXPECT_EQ(ExportErrorText(result, "out/a.jpg"), c.text);
    }
}

TEST(English, TextLinePerOutcome)
{
    PhotoRecord accepted{"a.jpg", Outcome::Accepted(), "", {}, std::nullopt, PictureSize{295, 413}, {}};
    EXPECT_EQ(TextLine(accepted, ""), "a.jpg: accepted (295 x 413)");
    accepted.reason = "stretched 12.0 % taller when normalised";
    EXPECT_EQ(TextLine(accepted, ", saved"), "a.jpg: accepted (295 x 413), stretched 12.0 % taller when normalised, saved");
    const PhotoRecord rejected{"b.jpg", Outcome::Tip(7), "no face found", {}, std::nullopt, std::nullopt, {}};
    EXPECT_EQ(TextLine(rejected, ""), "b.jpg: rejected, tip 7: no face found");
    const PhotoRecord error{"c.jpg", Outcome::Error("cannot read the file"), "", {}, std::nullopt, std::nullopt, {}};
    EXPECT_EQ(TextLine(error, ""), "c.jpg: error: cannot read the file");

    // Advisories follow the verdict, on an accepted photo and on a rejected one alike.
    accepted.advisories = {{"blurred", 2.8, 2.6, "face blurred"}, {"headTilted", 9, 7, "head tilted"}};
    EXPECT_EQ(TextLine(accepted, ", saved"), "a.jpg: accepted (295 x 413), stretched 12.0 % taller when normalised; "
                                             "advisory: face blurred; head tilted, saved");
    PhotoRecord placed = rejected;
    placed.advisories = {{"crownAtTop", 0, 0.01, "head cut off at the top"}};
    EXPECT_EQ(TextLine(placed, ""), "b.jpg: rejected, tip 7: no face found; advisory: head cut off at the top");
}

// A background failure in the terms of the rule in force: the corner, the test missed, the
// figure against its setting and how many of the corner's pixels fail.
TEST(English, BackgroundFaultInTheTermsOfTheRule)
{
    using velmora::BackgroundFault;
    using velmora::BackgroundRule;
    using velmora::BackgroundTest;
    using velmora::Strip;
    const struct {
        BackgroundFault fault;
        std::string_view name;
        std::string text;
    } cases[] = {
        {{BackgroundRule::White, BackgroundTest::TooDark, 0.62, 0.7f, "i_max", {}, Strip::Left, 400, 1000}, "tooDark",
         "top-left corner too dark for white: value 0.62, white needs value > 0.7 (i_max), 400 of 1000 strip pixels fail"},
        {{BackgroundRule::White, BackgroundTest::Tinted, 0.102, 0.1f, "s_min", {}, Strip::Right, 1000, 1000}, "tinted",
         "top-right corner tinted, not white: saturation 0.102, white needs saturation < 0.1 (s_min), "
         "1000 of 1000 strip pixels fail"},
        {{BackgroundRule::RedOrBlue, BackgroundTest::ColourTooDark, 0.25, 0.3f, "i_min", {18, 186, 258}, Strip::Left, 10,
          1000},
         "colourTooDark",
         "top-left corner too dark for blue or red: value 0.25, needs value > 0.3 (i_min), 10 of 1000 strip pixels fail"},
        {{BackgroundRule::RedOrBlue, BackgroundTest::HueOutsideBands, 35, 0, "", {18.0000007, 186, 258}, Strip::Left, 3,
          1000},
         "hueOutsideBands",
         "top-left corner neither blue nor red: hue 35 degrees, blue needs 186-258 (blue_h_min, blue_h_max), red up to 18 "
         "(red_h_min), 3 of 1000 strip pixels fail"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(BackgroundFaultText(c.fault), c.text);
        EXPECT_EQ(BackgroundTestName(c.fault.test), c.name);
    }

    // The reason keeps the first failing pixel's figures where the verdict has them, and words the
    // fault alone where the background is a further finding.
    CheckOutcome outcome;
    outcome.backgroundFault = cases[0].fault;
    const Reason background = Bounded(Finding::BackgroundNotPlain, 0, {}, {});
    EXPECT_EQ(ReasonText(background, outcome), "background not plain: " + cases[0].text);
    outcome.backgroundFailure = velmora::BackgroundPixel{0, 0, Strip::Left, 0, 0.0f, 0.62f};
    EXPECT_EQ(ReasonText(background, outcome),
              "background not plain at row 0, column 0 (left strip): hue 0, saturation 0.000, value 0.620 - " +
                  cases[0].text);
}

TEST(English, FurtherFindingsFollowTheVerdictOnTheTextLine)
{
    CheckOutcome outcome;
    outcome.reasons = {Bounded(Finding::NotUpright, 0.75, 1, 2)};
    outcome.further = {Bounded(Finding::SeveralFaces, 2, {}, {}), Bounded(Finding::NoFace, 0, {}, {})};
    EXPECT_EQ(FurtherTexts(outcome), (std::vector<std::string>{"2 faces found, 1 allowed", "no face found"}));
    EXPECT_EQ(ReasonsText(outcome), "not upright: height/width 0.75, allowed 1 < height/width < 2");

    PhotoRecord record{"w.jpg", Outcome::Tip(4), ReasonsText(outcome), {}, std::nullopt, std::nullopt, {}};
    record.further = FurtherTexts(outcome);
    EXPECT_EQ(TextLine(record, ""), "w.jpg: rejected, tip 4: not upright: height/width 0.75, allowed 1 < height/width < 2"
                                    "; further: 2 faces found, 1 allowed; no face found");
}

// Each kind has its own name and a clause with the measured figure, the bound and advice.
TEST(English, EveryAdvisoryInWordsWithItsFigures)
{
    using velmora::AdvisoryKind;
    const struct {
        velmora::Advisory advisory;
        std::string_view name;
        std::string text;
    } cases[] = {
        {{AdvisoryKind::Blurred, 0.1534, 0.185, velmora::Direction::Raise}, "blurred",
         "face blurred: fine detail 15.3 % of its contrast, allowed from 18.5 % (focus on the eyes, hold the camera "
         "still)"},
        {{AdvisoryKind::FaceTooDark, 150, 185, velmora::Direction::Raise}, "faceTooDark",
         "face too dark: highlights 150, allowed from 185 (add light or exposure)"},
        {{AdvisoryKind::FaceTooBright, 253, 250, velmora::Direction::Lower}, "faceTooBright",
         "face too bright: highlights 253, allowed below 250 (less light or exposure)"},
        {{AdvisoryKind::HighlightsClipped, 0.1234, 0.02, velmora::Direction::Lower}, "highlightsClipped",
         "highlights clipped: 12.3 % of the face at white, allowed up to 2 % (avoid direct flash and glare)"},
        {{AdvisoryKind::HeadTilted, -9.26, 7, velmora::Direction::Lower}, "headTilted",
         "head tilted: eye line at -9.3 degrees, allowed up to 7 (level the eyes)"},
        {{AdvisoryKind::CrownAtTop, 0, 0.01, velmora::Direction::Raise}, "crownAtTop",
         "head cut off at the top: 0 % free above the head, allowed from 1 % (leave room above the hair)"},
        {{AdvisoryKind::FaceNearSide, 0.0305, 0.07, velmora::Direction::Raise}, "faceNearSide",
         "face at a side edge: 3.1 % free beside the face, allowed from 7 % (centre the head)"},
        {{AdvisoryKind::BusyBackground, 0.081, 0.065, velmora::Direction::Lower}, "busyBackground",
         "busy background around the head: 8.1 % of it with edges, allowed up to 6.5 % (stand before a plain wall)"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AdvisoryName(c.advisory.kind), c.name);
        EXPECT_EQ(AdvisoryText(c.advisory), c.text);
    }
}

}  // namespace
}  // namespace velmora_check
