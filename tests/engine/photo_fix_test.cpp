#include "engine/photo_fix.h"

#include <functional>
#include <string>
#include <variant>
#include <vector>

#include <gtest/gtest.h>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include "engine/decode.h"
#include "engine/exif_orientation.h"
#include "engine/face.h"
#include "photo_fixtures.h"
#include "portrait_scenes.h"
#include "velmora/export.h"
#include "velmora/photo_fix.h"

using namespace velmora;
namespace ps = portrait_scenes;

namespace {

using ByteVector = std::vector<std::uint8_t>;

const cv::Size kPhone(3024, 4032);

ByteVector PhonePhoto() { return ps::EncodeJpeg(ps::Scene(kPhone, {ps::Placement{}})); }

ByteVector FileBytes(const std::string& name)
{
    const std::string bytes = ReadWholeFile(Fixture(name));
    return {bytes.begin(), bytes.end()};
}

PhotoChecker& Checker()
{
    static PhotoChecker checker(InstalledSettings(), ProgramDir());
    return checker;
}

struct FixedCase {
    std::string name;
    std::function<ByteVector()> photo;
    TipImage tip;                    // how the photo itself is rejected
    std::optional<int> turnedBy;     // the tag the fix applies
};

std::vector<FixedCase> FixedCases()
{
    std::vector<FixedCase> cases = {
        {"PhoneFraming", PhonePhoto, TipImage::NoSingleFace, std::nullopt},
        // The head a tenth of the height: too small for the first search, found by the second.
        {"DistantPhone", [] { return ps::EncodeJpeg(ps::Scene(kPhone, {ps::Placement{0.1, 0.4, 0.5}})); },
         TipImage::NoSingleFace, std::nullopt},
        {"Landscape", [] { return ps::EncodeJpeg(ps::Scene({4032, 3024}, {ps::Placement{0.33, 0.2, 0.55}})); },
         TipImage::BadDimensions, std::nullopt},
        {"FileOverWindow", [] { return ps::PaddedTo(PhonePhoto(), 11u * 1024u * 1024u); },
         TipImage::FileSizeOutsideWindow, std::nullopt},
        // 3:4 with the head framed too small: the copy keeps the face's proportions.
        {"ThreeByFour", [] { return ps::EncodeJpeg(ps::Scene({1200, 1600}, {ps::Placement{0.42, 0.12, 0.5}})); },
         TipImage::FaceBadlyPlaced, std::nullopt},
    };
    for (int tag = 2; tag <= 8; ++tag) {
        // Turned a quarter the photo is landscape; upside down its clothes fill the top corners.
        const TipImage tip = OrientationSwapsSides(tag) ? TipImage::BadDimensions
                             : tag == 2                 ? TipImage::NoSingleFace
                                                        : TipImage::BackgroundNotPlain;
        cases.push_back({"Orientation" + std::to_string(tag),
                         [tag] {
                             const cv::Mat upright = ps::Scene(kPhone, {ps::Placement{}});
                             return ps::WithOrientation(ps::EncodeJpeg(ps::StoredFor(upright, tag)), tag);
                         },
                         tip, tag});
    }
    return cases;
}

class FixedCopy : public testing::TestWithParam<FixedCase> {};

TEST_P(FixedCopy, IsAcceptedUnderShippedSettings)
{
    const FixedCase& c = GetParam();
    const ByteVector photo = c.photo();
    const CheckOutcome checked = Checker().CheckBytes(photo);
    ASSERT_FALSE(checked.accepted);
    EXPECT_EQ(checked.tip, c.tip);
    ASSERT_TRUE(IsFixOffered(checked));

    const PhotoFix fix = Checker().FixPhoto(photo, checked);
    ASSERT_EQ(fix.refusal, FixRefusal::None);
    EXPECT_EQ(fix.faces, 1);
    EXPECT_EQ(fix.turnedBy, c.turnedBy);
    ASSERT_TRUE(fix.outcome);
    EXPECT_TRUE(fix.outcome->accepted) << "copy rejected with tip " << static_cast<int>(*fix.outcome->tip);
    ASSERT_TRUE(fix.outcome->placement);
    // Framed in the middle of the intervals, not at their edge.
    const CheckSettings& s = Checker().Settings();
    EXPECT_NEAR(fix.outcome->placement->ratioX, (s.ratio_x_min + s.ratio_x_max) / 2, 0.08);
    EXPECT_NEAR(fix.outcome->placement->ratioY, (s.ratio_y_min + s.ratio_y_max) / 2, 0.07);
    for (const Reason& r : fix.outcome->reasons)
        EXPECT_NE(r.finding, Finding::StretchedOnSave);

    // The copy is exactly the output size, carries no tag and no stamp, and fits the window.
    EXPECT_EQ(fix.outcome->storedSize, cv::Size(s.dst_width, s.dst_height));
    EXPECT_EQ(ReadExifOrientation(fix.bytes), std::nullopt);
    EXPECT_FALSE(fix.outcome->verdict.stamped);
    EXPECT_TRUE(fix.outcome->verdict.sizeOk);
    EXPECT_EQ(fix.quality, 100);

    // The crop has the output's aspect and lies inside the upright photo.
    ASSERT_TRUE(fix.crop);
    EXPECT_EQ(static_cast<long long>(fix.crop->width) * s.dst_height,
              static_cast<long long>(fix.crop->height) * s.dst_width);
    EXPECT_EQ(*fix.crop & cv::Rect(cv::Point(), fix.uprightSize), *fix.crop);
}

INSTANTIATE_TEST_SUITE_P(Photos, FixedCopy, testing::ValuesIn(FixedCases()),
                         [](const auto& test) { return test.param.name; });

// A portrait before a brick wall, stored sideways: its face is found, turned and framed, but
// no framing makes the wall plain. The copy's own verdict says so; it is not hidden.
TEST(FixedCopy, ThatStillFailsSaysWhy)
{
    const cv::Mat upright = cv::imread(Fixture("calibration/cluttered_bradney_brick.jpg").string(), cv::IMREAD_COLOR);
    const ByteVector photo = ps::WithOrientation(ps::EncodeJpeg(ps::StoredFor(upright, 8), 95), 8);
    const CheckOutcome checked = Checker().CheckBytes(photo);
    ASSERT_EQ(checked.tip, TipImage::BadDimensions);
    const PhotoFix fix = Checker().FixPhoto(photo, checked);
    ASSERT_TRUE(fix.Made());
    EXPECT_EQ(fix.turnedBy, 8);
    EXPECT_EQ(fix.uprightSize, upright.size());
    ASSERT_TRUE(fix.crop && fix.outcome);
    EXPECT_FALSE(fix.outcome->accepted);
    EXPECT_EQ(fix.outcome->tip, TipImage::BackgroundNotPlain);
    ASSERT_FALSE(fix.outcome->reasons.empty());
    EXPECT_EQ(fix.outcome->reasons.front().finding, Finding::BackgroundNotPlain);
}

// The copy's pixels are the photo's, only cut and scaled down: nothing retouched or moved.
TEST(FixedCopyPixels, AreTheCroppedPhotoScaledDown)
{
    const cv::Mat upright = ps::Scene(kPhone, {ps::Placement{}});
    const ByteVector photo = ps::WithOrientation(ps::EncodeJpeg(ps::StoredFor(upright, 6), 95), 6);
    const PhotoFix fix = Checker().FixPhoto(photo, Checker().CheckBytes(photo));
    ASSERT_TRUE(fix.Made());
    ASSERT_TRUE(fix.crop && fix.scaledTo);
    cv::Mat expected;
    cv::resize(upright(*fix.crop), expected, *fix.scaledTo, 0, 0, cv::INTER_AREA);
    const cv::Mat copy = DecodeJpeg(fix.bytes);
    ASSERT_EQ(copy.size(), expected.size());
    EXPECT_GT(cv::PSNR(copy, expected), 33.0);
}

// A tight size window: the copy takes the highest quality that fits, and one step more would
// not; a window no quality reaches gives no copy.
TEST(FixedCopyQuality, IsTheHighestThatFitsTheWindow)
{
    CheckSettings tight = InstalledSettings();
    tight.pic_max_size = 20;
    PhotoChecker checker(tight, ProgramDir());
    const cv::Mat upright = ps::Scene(kPhone, {ps::Placement{}});
    const ByteVector photo = ps::EncodeJpeg(upright);
    const CheckOutcome checked = checker.CheckBytes(photo);
    ASSERT_EQ(checked.tip, TipImage::FileSizeOutsideWindow);
    const PhotoFix fix = checker.FixPhoto(photo, checked);
    ASSERT_TRUE(fix.Made());
    EXPECT_LT(fix.quality, 100);
    EXPECT_LE(fix.bytes.size(), 20u * 1024u);
    ASSERT_TRUE(fix.crop && fix.scaledTo && fix.outcome);
    EXPECT_TRUE(fix.outcome->verdict.sizeOk);
    cv::Mat framed;
    cv::resize(upright(*fix.crop), framed, *fix.scaledTo, 0, 0, cv::INTER_AREA);
    EXPECT_GT(EncodeJpeg(framed, fix.quality + 1).size(), 20u * 1024u);

    CheckSettings unreachable = InstalledSettings();
    unreachable.pic_min_size = 2048;  // no 295 x 413 JPEG is 2 MiB long
    unreachable.pic_max_size = -1;
    PhotoChecker strict(unreachable, ProgramDir());
    const CheckOutcome small = strict.CheckBytes(photo);
    ASSERT_EQ(small.tip, TipImage::FileSizeOutsideWindow);
    EXPECT_EQ(strict.FixPhoto(photo, small).refusal, FixRefusal::FileWindow);
}

// Turning follows the tag as viewers do: the image library's reader applies it the same way.
TEST(TurnUpright, MatchesTheImageLibraryForEveryTag)
{
    cv::Mat upright(48, 32, CV_8UC3);
    cv::randu(upright, 0, 255);
    cv::GaussianBlur(upright, upright, {5, 5}, 0);
    for (int tag = 1; tag <= 8; ++tag) {
        const ByteVector stored = ps::EncodeJpeg(ps::StoredFor(upright, tag), 100);
        const ByteVector tagged = ps::WithOrientation(stored, tag);
        const cv::Mat turned = TurnUpright(DecodeJpeg(tagged), tag);
        const cv::Mat library = cv::imdecode(tagged, cv::IMREAD_COLOR);
        ASSERT_EQ(turned.size(), library.size()) << "tag " << tag;
        EXPECT_EQ(cv::norm(turned, library, cv::NORM_INF), 0) << "tag " << tag;
        EXPECT_EQ(turned.size(), upright.size()) << "tag " << tag;
    }
}

struct RefusedCase {
    std::string name;
    std::function<ByteVector()> photo;
    FixRefusal refusal;
    int faces;
};

std::vector<RefusedCase> RefusedCases()
{
    return {
        {"TwoPeople",
         [] {
             return ps::EncodeJpeg(ps::Scene({4032, 3024}, {ps::Placement{0.3, 0.25, 0.3},
                                                            ps::Placement{0.4, 0.2, 0.72, ps::kCollins}}));
         },
         FixRefusal::SeveralFaces, 2},
        {"NoPerson", [] { return ps::EncodeJpeg(ps::EmptyWall(kPhone)); }, FixRefusal::NoFace, 0},
        // The crown above the top edge: no crop leaves room over the head.
        {"HeadAtTopEdge", [] { return ps::EncodeJpeg(ps::Scene(kPhone, {ps::Placement{0.25, -0.03, 0.5}})); },
         FixRefusal::HeadAtEdge, 1},
        {"HeadAtSideEdge", [] { return ps::EncodeJpeg(ps::Scene(kPhone, {ps::Placement{0.25, 0.35, 0.13}})); },
         FixRefusal::HeadAtEdge, 1},
        // Framing the small head of a small photo would need enlarging.
        {"TooSmallToCrop", [] { return FileBytes("calibration/small_bradney_red_2.jpg"); }, FixRefusal::TooSmall, 1},
    };
}

class NoFix : public testing::TestWithParam<RefusedCase> {};

TEST_P(NoFix, SaysWhy)
{
    const RefusedCase& c = GetParam();
    const ByteVector photo = c.photo();
    const CheckOutcome checked = Checker().CheckBytes(photo);
    ASSERT_TRUE(IsFixOffered(checked));
    const PhotoFix fix = Checker().FixPhoto(photo, checked);
    EXPECT_EQ(fix.refusal, c.refusal);
    EXPECT_EQ(fix.faces, c.faces);
    EXPECT_TRUE(fix.bytes.empty());
    EXPECT_FALSE(fix.outcome);
}

INSTANTIATE_TEST_SUITE_P(Photos, NoFix, testing::ValuesIn(RefusedCases()),
                         [](const auto& test) { return test.param.name; });

struct NotOfferedCase {
    std::string name;
    std::function<ByteVector()> photo;
};

TEST(NoFixOffered, ForPhotosNotRejectedAtAFixableStage)
{
    const std::vector<NotOfferedCase> cases = {
        {"Accepted", [] { return FileBytes("calibration/standard_hopper_white_1.jpg"); }},
        {"Stamped", [] { const std::string s = WithStamp(ReadWholeFile(Fixture("calibration/small_bradney_red_2.jpg")));
                         return ByteVector(s.begin(), s.end()); }},
        {"NotJpeg", [] { const std::string s = Encode(WhitePicture(300, 420), ".png"); return ByteVector(s.begin(), s.end()); }},
        {"Undecodable", [] { ByteVector b = PhonePhoto(); b.resize(b.size() / 2); return b; }},
    };
    for (const NotOfferedCase& c : cases) {
        const ByteVector photo = c.photo();
        const CheckOutcome checked = Checker().CheckBytes(photo);
        EXPECT_FALSE(IsFixOffered(checked)) << c.name;
        const PhotoFix fix = Checker().FixPhoto(photo, checked);
        EXPECT_EQ(fix.refusal, FixRefusal::NotOffered) << c.name;
        EXPECT_FALSE(fix.outcome) << c.name;
    }
}

// The crop placement on its own, with face boxes as the detector reports them.
struct CropCase {
    std::string name;
    cv::Size photo;
    cv::Rect face;
    std::optional<FixRefusal> refusal;
};

TEST(PlaceCrop, FramesInsideThePhotoOrSaysWhyNot)
{
    const CheckSettings s = InstalledSettings();
    const std::vector<CropCase> cases = {
        {"Centred", {3024, 4032}, {1212, 1400, 600, 600}, std::nullopt},
        {"OffCentreButRoomy", {3024, 4032}, {600, 1400, 600, 600}, std::nullopt},
        {"JustTheOutputSize", {295, 413}, {53, 100, 189, 189}, std::nullopt},
        {"AtTheLeftEdge", {3024, 4032}, {0, 1400, 600, 600}, FixRefusal::HeadAtEdge},
        {"AtTheTop", {3024, 4032}, {1212, 0, 600, 600}, FixRefusal::HeadAtEdge},
        {"ChinAtTheBottom", {3024, 4032}, {1212, 3300, 600, 600}, FixRefusal::HeadAtEdge},
        {"FaceTooSmall", {3024, 4032}, {1212, 1400, 90, 90}, FixRefusal::TooSmall},
        {"PhotoSmallerThanOutput", {200, 300}, {50, 50, 100, 100}, FixRefusal::TooSmall},
    };
    for (const CropCase& c : cases) {
        const auto placed = PlaceCrop(c.photo, c.face, s);
        if (c.refusal) {
            ASSERT_TRUE(std::holds_alternative<FixRefusal>(placed)) << c.name;
            EXPECT_EQ(std::get<FixRefusal>(placed), *c.refusal) << c.name;
            continue;
        }
        ASSERT_TRUE(std::holds_alternative<cv::Rect>(placed)) << c.name;
        const cv::Rect crop = std::get<cv::Rect>(placed);
        EXPECT_EQ(crop & cv::Rect(cv::Point(), c.photo), crop) << c.name;
        EXPECT_EQ(static_cast<long long>(crop.width) * s.dst_height, static_cast<long long>(crop.height) * s.dst_width)
            << c.name;
        EXPECT_GE(crop.width, s.dst_width) << c.name;
        // The face box as the copy shows it, measured by the position rule.
        const double scale = static_cast<double>(s.dst_width) / crop.width;
        const cv::Rect seen(static_cast<int>((c.face.x - crop.x) * scale), static_cast<int>((c.face.y - crop.y) * scale),
                            static_cast<int>(c.face.width * scale), static_cast<int>(c.face.height * scale));
        const FacePlacement placement = PlaceFace(seen, s);
        EXPECT_TRUE(placement.wellPlaced) << c.name;
        EXPECT_NEAR(seen.x + seen.width / 2.0, s.dst_width / 2.0, 1.5) << c.name;
    }
}

}  // namespace
