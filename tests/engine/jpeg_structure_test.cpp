#include "engine/jpeg_structure.h"

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>

#include "engine/decode.h"
#include "engine/file_tests.h"
#include "jpeg_damage.h"
#include "test_files.h"

using namespace velmora;

namespace {

// A picture with detail in both directions, so that a transposed or made-up row shows.
Image MakePicture(int width, int height)
{
    Image picture(height, width, CV_8UC3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.at<cv::Vec3b>(y, x) = cv::Vec3b(static_cast<std::uint8_t>(x * 7),
                                                    static_cast<std::uint8_t>(y * 5),
                                                    static_cast<std::uint8_t>((x * y) & 0xFF));
    return picture;
}

Bytes Encode(const Image& picture, const std::vector<int>& params = {})
{
    Bytes bytes;
    EXPECT_TRUE(cv::imencode(".jpg", picture, bytes, params));
    return bytes;
}

Bytes Baseline()
{
    return Encode(MakePicture(40, 24));
}

Bytes Concat(Bytes head, const Bytes& tail)
{
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

Bytes Text(std::string_view text)
{
    return Bytes(text.begin(), text.end());
}

Bytes Prefix(const Bytes& bytes, std::size_t length)
{
    return Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(length));
}

Bytes InsertRawAfterSoi(const Bytes& jpeg, const Bytes& raw)
{
    Bytes out(jpeg.size() + raw.size());
    const auto afterRaw = std::copy(raw.begin(), raw.end(), std::copy_n(jpeg.begin(), 2, out.begin()));
    std::copy(jpeg.begin() + 2, jpeg.end(), afterRaw);
    return out;
}

// Inserts a segment (marker plus payload, with its length field) right after the start-of-image marker.
Bytes InsertAfterSoi(const Bytes& jpeg, std::uint8_t marker, const Bytes& payload)
{
    const std::size_t length = payload.size() + 2;
    Bytes segment = {0xFF, marker, static_cast<std::uint8_t>(length >> 8), static_cast<std::uint8_t>(length & 0xFF)};
    segment.insert(segment.end(), payload.begin(), payload.end());
    return InsertRawAfterSoi(jpeg, segment);
}

// The length field of the first segment after the start-of-image (the encoder's APP0).
Bytes WithFirstSegmentLength(Bytes jpeg, unsigned length)
{
    EXPECT_EQ(jpeg[2], 0xFF);
    jpeg[4] = static_cast<std::uint8_t>(length >> 8);
    jpeg[5] = static_cast<std::uint8_t>(length & 0xFF);
    return jpeg;
}

// Fill bytes before the frame header and before the end-of-image marker.
Bytes WithFillBytes(const Bytes& jpeg)
{
    const std::size_t sof = FrameHeaderOffset(jpeg);
    Bytes out(jpeg.begin(), jpeg.begin() + static_cast<std::ptrdiff_t>(sof));
    out.insert(out.end(), {0xFF, 0xFF, 0xFF});
    out.insert(out.end(), jpeg.begin() + static_cast<std::ptrdiff_t>(sof), jpeg.end() - 2);
    out.insert(out.end(), {0xFF, 0xFF, 0xFF, 0xD9});
    return out;
}

// An APP1 block with a single orientation entry (tag 0x0112) set to 6, little-endian TIFF.
Bytes ExifOrientation6()
{
    Bytes exif = Text(std::string_view("Exif\0\0", 6));
    const Bytes tiff = {'I', 'I', 0x2A, 0x00, 0x08, 0x00, 0x00, 0x00,  // header, first IFD at 8
                        0x01, 0x00,                                    // one entry
                        0x12, 0x01, 0x03, 0x00, 0x01, 0x00, 0x00, 0x00, 0x06, 0x00, 0x00, 0x00,
                        0x00, 0x00, 0x00, 0x00};  // no next IFD
    return Concat(exif, tiff);
}

bool SamePixels(const Image& a, const Image& b)
{
    return a.size() == b.size() && a.type() == b.type() && cv::norm(a, b, cv::NORM_INF) == 0;
}

// ---- Well-formed files ---------------------------------------------------------------

struct WellFormedCase {
    const char* name;
    std::function<Bytes()> make;
    int width;
    int height;
};

class WellFormedJpeg : public testing::TestWithParam<WellFormedCase> {};

TEST_P(WellFormedJpeg, IsCompleteWithItsFrameSizeAndDecodesToThreeChannels)
{
    const Bytes jpeg = GetParam().make();
    const auto layout = InspectJpeg(jpeg);
    ASSERT_TRUE(layout);
    EXPECT_TRUE(layout->complete);
    EXPECT_EQ(layout->endOfImage, jpeg.size());
    EXPECT_EQ(layout->width, GetParam().width);
    EXPECT_EQ(layout->height, GetParam().height);

    const Image decoded = DecodeJpeg(jpeg);
    ASSERT_FALSE(decoded.empty());
    EXPECT_EQ(decoded.type(), CV_8UC3);
    EXPECT_EQ(decoded.cols, GetParam().width);
    EXPECT_EQ(decoded.rows, GetParam().height);
}

INSTANTIATE_TEST_SUITE_P(
    Encodings, WellFormedJpeg,
    testing::Values(
        WellFormedCase{"Baseline", [] { return Baseline(); }, 40, 24},
        WellFormedCase{"Progressive", [] { return Encode(MakePicture(64, 48), {cv::IMWRITE_JPEG_PROGRESSIVE, 1}); },
                       64, 48},
        WellFormedCase{"RestartIntervals",
                       [] { return Encode(MakePicture(64, 48), {cv::IMWRITE_JPEG_RST_INTERVAL, 1}); }, 64, 48},
        WellFormedCase{"Greyscale",
                       [] {
                           Image grey(30, 20, CV_8UC1);
                           cv::randu(grey, 0, 256);
                           return Encode(grey);
                       },
                       20, 30},
        WellFormedCase{"FillBytesBeforeMarkers", [] { return WithFillBytes(Baseline()); }, 40, 24},
        WellFormedCase{"StandaloneMarkersBeforeFrame", [] { return InsertRawAfterSoi(Baseline(), {0xFF, 0x01, 0xFF, 0xD0}); }, 40, 24},
        // A byte pair that reads as end-of-image inside a comment must not end the walk.
        WellFormedCase{"EndOfImageBytesInComment",
                       [] { return InsertAfterSoi(Baseline(), 0xFE, {0xFF, 0xD9, 'x', 0xFF, 0xD8}); }, 40, 24}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(WellFormedJpeg, StrayBytesBetweenSegmentsAreSkipped)
{
    // Some writers pad between segments; the walk skips such bytes as libjpeg's marker reader
    // does, and whether to decode the file is left to the decoder.
    const auto layout = InspectJpeg(InsertRawAfterSoi(Baseline(), {0x00, 0x00, 'p', 0xFF, 0x00}));
    ASSERT_TRUE(layout);
    EXPECT_TRUE(layout->complete);
    EXPECT_EQ(layout->width, 40);
    EXPECT_EQ(layout->height, 24);
}

TEST(WellFormedJpeg, EachScanEndsWhereItsMarkerBegins)
{
    const Bytes baseline = Baseline();
    EXPECT_EQ(InspectJpeg(baseline)->scanDataEnds, std::vector<std::size_t>{baseline.size() - 2});

    // Restart markers inside the scan do not end it; fill bytes before the end-of-image do not count.
    const Bytes restarts = Encode(MakePicture(64, 48), {cv::IMWRITE_JPEG_RST_INTERVAL, 1});
    EXPECT_EQ(InspectJpeg(restarts)->scanDataEnds, std::vector<std::size_t>{restarts.size() - 2});
    const Bytes filled = WithFillBytes(baseline);
    EXPECT_EQ(InspectJpeg(filled)->scanDataEnds, std::vector<std::size_t>{filled.size() - 2});

    const Bytes progressive = Encode(MakePicture(64, 48), {cv::IMWRITE_JPEG_PROGRESSIVE, 1});
    const auto layout = InspectJpeg(progressive);
    ASSERT_EQ(layout->scanDataEnds.size(), 10u);  // libjpeg's standard script for colour
    for (const std::size_t end : layout->scanDataEnds) {
        EXPECT_EQ(progressive[end], 0xFF);
        EXPECT_TRUE(progressive[end + 1] == 0xC4 || progressive[end + 1] == 0xDA || progressive[end + 1] == 0xD9);
    }
    EXPECT_EQ(layout->scanDataEnds.back(), progressive.size() - 2);
}

TEST(WellFormedJpeg, RestartFixtureCarriesRestartMarkers)
{
    const Bytes jpeg = Encode(MakePicture(64, 48), {cv::IMWRITE_JPEG_RST_INTERVAL, 1});
    int restarts = 0;
    for (std::size_t i = 0; i + 1 < jpeg.size(); ++i)
        restarts += jpeg[i] == 0xFF && jpeg[i + 1] >= 0xD0 && jpeg[i + 1] <= 0xD7;
    EXPECT_GT(restarts, 2);
}

// ---- Bytes after the end of the image ------------------------------------------------

struct TrailerCase {
    const char* name;
    Bytes trailer;
};

class TrailingBytes : public testing::TestWithParam<TrailerCase> {};

TEST_P(TrailingBytes, AreIgnoredAndThePictureIsUnchanged)
{
    const Bytes jpeg = Baseline();
    const Bytes withTrailer = Concat(jpeg, GetParam().trailer);
    const auto layout = InspectJpeg(withTrailer);
    ASSERT_TRUE(layout);
    EXPECT_TRUE(layout->complete);
    EXPECT_EQ(layout->endOfImage, jpeg.size());
    EXPECT_TRUE(SamePixels(DecodeJpeg(withTrailer), DecodeJpeg(jpeg)));
}

INSTANTIATE_TEST_SUITE_P(Trailers, TrailingBytes,
                         testing::Values(TrailerCase{"CheckStamp", Bytes(kCheckStamp.begin(), kCheckStamp.end())},
                                         TrailerCase{"Garbage", Text("trailing text \x01\x02")},
                                         TrailerCase{"MarkerLikeGarbage", {0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0xFF}},
                                         TrailerCase{"SecondImage", Encode(MakePicture(8, 8))}),
                         [](const auto& test) { return std::string(test.param.name); });

// ---- Broken or cut files ---------------------------------------------------------------

enum class Expect { Nothing, Incomplete };

struct BrokenCase {
    const char* name;
    std::function<Bytes()> make;
    Expect expect;
    int width = 0;  // the frame size still reported for an incomplete layout
    int height = 0;
};

class BrokenJpeg : public testing::TestWithParam<BrokenCase> {};

TEST_P(BrokenJpeg, IsNotCompleteAndIsNotDecoded)
{
    const Bytes bytes = GetParam().make();
    const auto layout = InspectJpeg(bytes);
    if (GetParam().expect == Expect::Nothing) {
        EXPECT_FALSE(layout);
    } else {
        ASSERT_TRUE(layout);
        EXPECT_FALSE(layout->complete);
        EXPECT_EQ(layout->width, GetParam().width);
        EXPECT_EQ(layout->height, GetParam().height);
    }
    EXPECT_TRUE(DecodeJpeg(bytes).empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BrokenJpeg,
    testing::Values(
        BrokenCase{"Empty", [] { return Bytes{}; }, Expect::Nothing},
        BrokenCase{"StartOfImageOnly", [] { return Bytes{0xFF, 0xD8}; }, Expect::Nothing},
        BrokenCase{"StartOfImageThenGarbage", [] { return Concat({0xFF, 0xD8}, Text("garbage, not markers")); },
                   Expect::Nothing},
        BrokenCase{"StartOfImageThenEndOfImage", [] { return Bytes{0xFF, 0xD8, 0xFF, 0xD9}; }, Expect::Nothing},
        BrokenCase{"MissingStartOfImage",
                   [] {
                       const Bytes jpeg = Baseline();
                       return Bytes(jpeg.begin() + 2, jpeg.end());
                   },
                   Expect::Nothing},
        BrokenCase{"PngSignature", [] { return Text("\x89PNG\r\n\x1A\n"); }, Expect::Nothing},
        BrokenCase{"CutInHalf", [] { return Prefix(Baseline(), Baseline().size() / 2); }, Expect::Incomplete, 40, 24},
        BrokenCase{"CutJustBeforeEndOfImage", [] { return Prefix(Baseline(), Baseline().size() - 2); },
                   Expect::Incomplete, 40, 24},
        BrokenCase{"CutInsideEndOfImage", [] { return Prefix(Baseline(), Baseline().size() - 1); },
                   Expect::Incomplete, 40, 24},
        BrokenCase{"ProgressiveCutBeforeLastScan",
                   [] {
                       const Bytes jpeg = Encode(MakePicture(64, 48), {cv::IMWRITE_JPEG_PROGRESSIVE, 1});
                       return Prefix(jpeg, jpeg.size() * 3 / 4);
                   },
                   Expect::Incomplete, 64, 48},
        // A cut file that carries the stamp is still cut.
        BrokenCase{"CutThenStamped",
                   [] {
                       return Concat(Prefix(Baseline(), Baseline().size() / 2),
                                     Bytes(kCheckStamp.begin(), kCheckStamp.end()));
                   },
                   Expect::Incomplete, 40, 24},
        BrokenCase{"SegmentLengthPastTheEnd", [] { return WithFirstSegmentLength(Baseline(), 0xFFFF); },
                   Expect::Nothing},
        BrokenCase{"SegmentLengthOne", [] { return WithFirstSegmentLength(Baseline(), 1); }, Expect::Nothing},
        BrokenCase{"SegmentLengthZero", [] { return WithFirstSegmentLength(Baseline(), 0); }, Expect::Nothing},
        // After the frame header the size is known, so the layout tells it though the walk stops.
        BrokenCase{"LengthBelowTwoAfterFrameHeader",
                   [] {
                       Bytes jpeg = Baseline();
                       const std::size_t next = FrameHeaderOffset(jpeg) + 2 + 0x11;
                       EXPECT_EQ(jpeg[next], 0xFF);
                       jpeg[next + 2] = 0x00;
                       jpeg[next + 3] = 0x01;
                       return jpeg;
                   },
                   Expect::Incomplete, 40, 24}),
    [](const auto& test) { return std::string(test.param.name); });

// A zero-size frame is a complete file; only the decode guard refuses it.
TEST(BrokenJpeg, ZeroSizeFramesAreCompleteButRefused)
{
    for (const auto& [width, height] : {std::pair{40, 0}, std::pair{0, 24}}) {
        SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
        const Bytes jpeg = WithFrameSize(Baseline(), width, height);
        const auto layout = InspectJpeg(jpeg);
        ASSERT_TRUE(layout);
        EXPECT_TRUE(layout->complete);
        EXPECT_TRUE(DecodeJpeg(jpeg).empty());
    }
}

TEST(BrokenJpeg, HalfAFileIsRefusedWhereTheLibraryWouldMakeUpTheRest)
{
    const Bytes half = Prefix(Baseline(), Baseline().size() / 2);
    // The library alone returns a full-size picture for it; that is what the guard is for.
    ASSERT_FALSE(cv::imdecode(half, cv::IMREAD_COLOR).empty());
    EXPECT_TRUE(DecodeJpeg(half).empty());
}

// ---- Declared sizes beyond the limit -------------------------------------------------

struct DeclaredSizeCase {
    int width;
    int height;
};

class HugeFrame : public testing::TestWithParam<DeclaredSizeCase> {};

TEST_P(HugeFrame, IsRefusedWithoutDecoding)
{
    const Bytes jpeg = WithFrameSize(Baseline(), GetParam().width, GetParam().height);
    const auto layout = InspectJpeg(jpeg);
    ASSERT_TRUE(layout);
    EXPECT_TRUE(layout->complete);
    EXPECT_EQ(layout->width, GetParam().width);
    EXPECT_EQ(layout->height, GetParam().height);

    // Unguarded, the library would make up a picture of the declared size from the small scan.
    EXPECT_TRUE(DecodeJpeg(jpeg).empty());
}

INSTANTIATE_TEST_SUITE_P(Sizes, HugeFrame,
                         testing::Values(DeclaredSizeCase{30000, 30000}, DeclaredSizeCase{65535, 65535},
                                         DeclaredSizeCase{10001, 10000}, DeclaredSizeCase{65535, 1526}),
                         [](const auto& test) {
                             return std::to_string(test.param.width) + "x" + std::to_string(test.param.height);
                         });

// ---- Orientation --------------------------------------------------------------------

TEST(Orientation, TagIsIgnoredAndRowsStayAsStored)
{
    const Bytes plain = Baseline();
    const Bytes rotated = InsertAfterSoi(plain, 0xE1, ExifOrientation6());
    // The tag is read by the library: decoding with orientation applied turns the picture.
    const Image applied = cv::imdecode(rotated, cv::IMREAD_COLOR);
    ASSERT_EQ(applied.cols, 24);
    ASSERT_EQ(applied.rows, 40);

    const Image decoded = DecodeJpeg(rotated);
    EXPECT_EQ(decoded.cols, 40);
    EXPECT_EQ(decoded.rows, 24);
    EXPECT_TRUE(SamePixels(decoded, DecodeJpeg(plain)));
}

// ---- Every truncation --------------------------------------------------------------

TEST(Truncation, OnlyTheWholeFileIsComplete)
{
    const std::vector<std::pair<const char*, Bytes>> fixtures = {
        {"baseline", Baseline()},
        {"progressive", Encode(MakePicture(24, 16), {cv::IMWRITE_JPEG_PROGRESSIVE, 1})},
        {"restarts", Encode(MakePicture(24, 16), {cv::IMWRITE_JPEG_RST_INTERVAL, 1})},
    };
    for (const auto& [name, jpeg] : fixtures) {
        SCOPED_TRACE(name);
        for (std::size_t length = 0; length <= jpeg.size(); ++length) {
            // A copy of exactly the prefix, so that a read past its end is a real overrun.
            const Bytes prefix = Prefix(jpeg, length);
            const auto layout = InspectJpeg(prefix);
            const bool complete = layout && layout->complete;
            if (complete != (length == jpeg.size()))
                ADD_FAILURE() << "prefix of " << length << " of " << jpeg.size() << " bytes";
        }
        const auto longer = InspectJpeg(Concat(jpeg, {0xFF, 0x00, 0xFF}));
        ASSERT_TRUE(longer);
        EXPECT_TRUE(longer->complete);
        EXPECT_EQ(longer->endOfImage, jpeg.size());
    }
}

// ---- From a file --------------------------------------------------------------------

TEST(DecodeJpegFile, ReadsCompletePhotosAndRefusesTheRest)
{
    TempDir dir;
    const Bytes jpeg = Baseline();
    const auto write = [&](const char* name, const Bytes& bytes) {
        const auto file = dir.path() / name;
        WriteFile(file, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
        return file;
    };
    const auto whole = write("照片.jpg", jpeg);
    const auto cut = write("cut.jpg", Prefix(jpeg, jpeg.size() / 2));

    const Image decoded = DecodeJpegFile(whole);
    EXPECT_TRUE(SamePixels(decoded, DecodeJpeg(jpeg)));
    EXPECT_EQ(decoded.cols, 40);
    EXPECT_TRUE(DecodeJpegFile(cut).empty());
    EXPECT_TRUE(DecodeJpegFile(dir.path() / "missing.jpg").empty());
    EXPECT_TRUE(DecodeJpegFile(dir.path()).empty());
}

}  // namespace
