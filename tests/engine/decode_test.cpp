// The strict JPEG decoder: the image library's pixels for every kind of file it decodes cleanly,
// refusal of damaged picture data, and the bounds on pixels, scans and decoder memory.
#include "engine/decode.h"

#include <functional>
#include <string>

#include <gtest/gtest.h>
#include <opencv2/imgcodecs.hpp>

#include "jpeg_damage.h"
#include "jpeg_writer.h"
#include "photo_fixtures.h"

using namespace velmora;

namespace {

// Smooth gradients with noise on top: every block has AC detail and edges cross MCU borders.
cv::Mat Picture(int width, int height)
{
    cv::Mat picture(height, width, CV_8UC3);
    cv::RNG rng(width * 31 + height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.at<cv::Vec3b>(y, x) =
                cv::Vec3b(cv::saturate_cast<std::uint8_t>(x * 255 / width + rng.uniform(-20, 20)),
                          cv::saturate_cast<std::uint8_t>(y * 255 / height + rng.uniform(-20, 20)),
                          cv::saturate_cast<std::uint8_t>((x + y) % 97 * 2 + rng.uniform(-20, 20)));
    return picture;
}

JpegBytes Write(JpegWriteOptions options, int width = 75, int height = 53)
{
    return WriteJpeg(Picture(width, height), options);
}

JpegBytes FixtureBytes(const std::string& name)
{
    const std::string text = ReadWholeFile(Fixture(name));
    return {text.begin(), text.end()};
}

JpegBytes Segment(std::uint8_t marker, const JpegBytes& payload)
{
    const std::size_t length = payload.size() + 2;
    JpegBytes segment(2 + length);
    segment[0] = 0xFF;
    segment[1] = marker;
    segment[2] = static_cast<std::uint8_t>(length >> 8);
    segment[3] = static_cast<std::uint8_t>(length & 0xFF);
    std::ranges::copy(payload, segment.begin() + 4);
    return segment;
}

// The file without its Huffman table segments, as motion-JPEG frames are stored.
JpegBytes WithoutHuffmanTables(JpegBytes jpeg)
{
    for (;;) {
        std::size_t pos = 2;
        while (jpeg[pos + 1] != 0xC4 && jpeg[pos + 1] != 0xDA)
            pos += 2 + ((std::size_t{jpeg[pos + 2]} << 8) | jpeg[pos + 3]);
        if (jpeg[pos + 1] == 0xDA)
            return jpeg;
        jpeg = DropBytes(jpeg, pos, 2 + ((std::size_t{jpeg[pos + 2]} << 8) | jpeg[pos + 3]));
    }
}

cv::Mat LibraryDecode(const JpegBytes& jpeg)
{
    return cv::imdecode(jpeg, cv::IMREAD_COLOR | cv::IMREAD_IGNORE_ORIENTATION);
}

// ---- The same pixels as the image library ---------------------------------------------

struct VariantCase {
    const char* name;
    std::function<JpegBytes()> make;
};

class SameAsLibrary : public testing::TestWithParam<VariantCase> {};

TEST_P(SameAsLibrary, ByteForByte)
{
    const JpegBytes jpeg = GetParam().make();
    const cv::Mat expected = LibraryDecode(jpeg);
    ASSERT_FALSE(expected.empty()) << "the library must read every variant";

    const DecodedJpeg decoded = DecodeJpegStrict(jpeg);
    ASSERT_EQ(decoded.failure, DecodeFailure::None);
    ASSERT_EQ(decoded.image.type(), CV_8UC3);
    ASSERT_EQ(decoded.image.size(), expected.size());
    EXPECT_EQ(cv::norm(decoded.image, expected, cv::NORM_INF), 0.0);
}

// Scans over a sixth of the picture's blocks each (in a picture of whole MCUs), so that the scan
// count binds before the passes.
JpegWriteOptions ManyLightScans(int count)
{
    return {.scans = ChromaByCoefficientScript(count)};
}

JpegWriteOptions Sampled(int h, int v)
{
    JpegWriteOptions options;
    options.lumaH = h;
    options.lumaV = v;
    return options;
}

const VariantCase kVariants[] = {
    {"Baseline420", [] { return Write({}); }},
    {"Sampling444", [] { return Write(Sampled(1, 1)); }},
    {"Sampling422", [] { return Write(Sampled(2, 1)); }},
    {"Sampling440", [] { return Write(Sampled(1, 2)); }},
    {"Sampling411", [] { return Write(Sampled(4, 1)); }},
    {"OnePixel", [] { return Write({}, 1, 1); }},
    {"OddSizeAcrossMcus", [] { return Write(Sampled(4, 1), 37, 19); }},
    {"Progressive", [] { return Write({.progressive = true}); }},
    {"Arithmetic", [] { return Write({.arithmetic = true}); }},
    {"ArithmeticProgressive", [] { return Write({.progressive = true, .arithmetic = true}); }},
    {"RestartEveryRow", [] { return Write({.restartRows = 1}); }},
    {"RestartArithmetic", [] { return Write({.arithmetic = true, .restartRows = 2}); }},
    {"OptimisedHuffmanTables", [] { return Write({.optimise = true}); }},
    {"HuffmanTablesLeftOut", [] { return WithoutHuffmanTables(Write({})); }},
    {"Greyscale", [] { return Write({.colour = JpegColour::Grey}); }},
    {"GreyscaleProgressive", [] { return Write({.colour = JpegColour::Grey, .progressive = true}); }},
    {"AdobeRgb", [] { return Write({.colour = JpegColour::AdobeRgb, .lumaH = 1, .lumaV = 1}); }},
    {"Cmyk", [] { return Write({.colour = JpegColour::Cmyk, .lumaH = 1, .lumaV = 1}); }},
    {"CmykProgressive", [] { return Write({.colour = JpegColour::Cmyk, .lumaH = 1, .lumaV = 1, .progressive = true}); }},
    {"Ycck", [] { return Write({.colour = JpegColour::Ycck}); }},
    {"ImageLibraryQuality30", [] {
         std::vector<std::uint8_t> bytes;
         cv::imencode(".jpg", Picture(75, 53), bytes, {cv::IMWRITE_JPEG_QUALITY, 30});
         return bytes;
     }},
    // Metadata segments of every size, and padding between segments, cost no picture data.
    {"LargeMetadata", [] {
         const JpegBytes jpeg = Write({});
         return InsertBytes(InsertBytes(jpeg, 2, Segment(0xE1, JpegBytes(65000, 'x'))), 2,
                            Segment(0xFE, JpegBytes(1000, 'c')));
     }},
    {"PaddingBetweenSegments", [] {
         const JpegBytes jpeg = Write({});
         return InsertBytes(jpeg, FrameHeaderOffset(jpeg), {0x00, 0x00, 'p', 0xFF, 0x00});
     }},
    {"ExactlyTheScanLimit", [] { return Write(ManyLightScans(kMaxJpegScans), 64, 48); }},
    {"ExactlyThePassLimit", [] { return Write({.colour = JpegColour::Grey, .scans = FineGreyScript(kMaxScanPasses, 1)}); }},
    {"IdWhite", [] { return FixtureBytes("id_white.jpg"); }},
    {"IdWhiteCmyk", [] { return FixtureBytes("id_white_cmyk.jpg"); }},
    {"IdWhiteExifOrientation", [] { return FixtureBytes("id_white_exif6.jpg"); }},
    {"FaceLarge", [] { return FixtureBytes("face_large.jpg"); }},
};

INSTANTIATE_TEST_SUITE_P(Variants, SameAsLibrary, testing::ValuesIn(kVariants),
                         [](const auto& test) { return std::string(test.param.name); });

TEST(SameAsLibrary, TheLimitFixturesHaveThatManyScans)
{
    EXPECT_EQ(InspectJpeg(Write(ManyLightScans(kMaxJpegScans), 64, 48))->scanDataEnds.size(),
              static_cast<std::size_t>(kMaxJpegScans));
    EXPECT_EQ(InspectJpeg(Write({.colour = JpegColour::Grey, .scans = FineGreyScript(kMaxScanPasses, 1)}))
                  ->scanDataEnds.size(),
              static_cast<std::size_t>(kMaxScanPasses));
}

// ---- Damaged picture data ---------------------------------------------------------------

// A file and how the decoder must refuse it.
struct RefusalCase {
    const char* name;
    std::function<JpegBytes()> make;
    DecodeFailure failure;
};

class DamagedJpeg : public testing::TestWithParam<RefusalCase> {};

TEST_P(DamagedJpeg, IsRefused)
{
    const JpegBytes jpeg = GetParam().make();
    const DecodedJpeg decoded = DecodeJpegStrict(jpeg);
    EXPECT_EQ(decoded.failure, GetParam().failure);
    EXPECT_TRUE(decoded.image.empty());
}

// A stretch in the middle of the portrait's scan data.
std::size_t MidScan(const JpegBytes& jpeg)
{
    const auto [begin, end] = FirstScanData(jpeg);
    return begin + (end - begin) / 2;
}

JpegBytes IdWhite() { return FixtureBytes("id_white.jpg"); }

JpegBytes IdWhiteAs(JpegWriteOptions options)
{
    return WriteJpeg(cv::imdecode(IdWhite(), cv::IMREAD_COLOR), options);
}

const RefusalCase kDamage[] = {
    {"CutInHalfAndReterminated", [] { return CutAndReterminate(IdWhite(), IdWhite().size() / 2); },
     DecodeFailure::Damaged},
    {"CutNearTheEndAndReterminated", [] { return CutAndReterminate(IdWhite(), IdWhite().size() - 200); },
     DecodeFailure::Damaged},
    {"ProgressiveCutAndReterminated",
     [] {
         const JpegBytes jpeg = IdWhiteAs({.progressive = true});
         return CutAndReterminate(jpeg, jpeg.size() / 2);
     },
     DecodeFailure::Damaged},
    {"BytesFlippedInScan", [] { return FlipBytes(IdWhite(), MidScan(IdWhite()), 256); }, DecodeFailure::Damaged},
    {"ZeroedHole4KiB", [] { return ZeroBytes(IdWhite(), MidScan(IdWhite()) - 2048, 4096); }, DecodeFailure::Damaged},
    {"ThousandBytesDropped", [] { return DropBytes(IdWhite(), MidScan(IdWhite()), 1000); }, DecodeFailure::Damaged},
    {"ProgressiveZeroedHole",
     [] {
         const JpegBytes jpeg = IdWhiteAs({.progressive = true});
         return ZeroBytes(jpeg, jpeg.size() / 2, 1024);
     },
     DecodeFailure::Damaged},
    {"RestartMarkerDropped",
     [] {
         const JpegBytes jpeg = IdWhiteAs({.restartRows = 1});
         return DropBytes(jpeg, RestartMarkers(jpeg).at(5), 2);
     },
     DecodeFailure::Damaged},
    {"RestartMarkersSwapped",
     [] {
         JpegBytes jpeg = IdWhiteAs({.restartRows = 1});
         const auto markers = RestartMarkers(jpeg);
         std::swap(jpeg[markers.at(5) + 1], jpeg[markers.at(6) + 1]);
         return jpeg;
     },
     DecodeFailure::Damaged},
    // Coded data left over when every block is filled: the scan lost step with its blocks.
    {"DataLeftOverAfterScan",
     [] { return InsertBytes(IdWhite(), FirstScanData(IdWhite()).second, JpegBytes(64, 0x5A)); },
     DecodeFailure::Damaged},
    // libjpeg itself fails on these, but only once all rows are out; the reader must still see it.
    {"SecondFrameHeaderAfterScan",
     [] {
         const JpegBytes jpeg = IdWhite();
         const std::size_t sof = FrameHeaderOffset(jpeg);
         const JpegBytes frame(jpeg.begin() + static_cast<std::ptrdiff_t>(sof),
                               jpeg.begin() + static_cast<std::ptrdiff_t>(sof + 19));
         return InsertBytes(jpeg, jpeg.size() - 2, frame);
     },
     DecodeFailure::Damaged},
    {"UnknownMarkerAfterScan",
     [] { return InsertBytes(IdWhite(), IdWhite().size() - 2, {0xFF, 0x02, 0x00, 0x04, 0x00, 0x00}); },
     DecodeFailure::Damaged},
    {"CutWithoutEndOfImage", [] { return DropBytes(IdWhite(), IdWhite().size() / 2, IdWhite().size() / 2); },
     DecodeFailure::Truncated},
    {"NoFrameHeader", [] { return JpegBytes{0xFF, 0xD8, 0xFF, 0xD9}; }, DecodeFailure::Unsupported},
    {"TwelveBitSamples",
     [] {
         JpegBytes jpeg = IdWhite();
         jpeg[FrameHeaderOffset(jpeg) + 4] = 12;
         return jpeg;
     },
     DecodeFailure::Unsupported},
    {"Lossless",
     [] {
         JpegBytes jpeg = IdWhite();
         jpeg[FrameHeaderOffset(jpeg) + 1] = 0xC3;
         return jpeg;
     },
     DecodeFailure::Unsupported},
};

INSTANTIATE_TEST_SUITE_P(Cases, DamagedJpeg, testing::ValuesIn(kDamage),
                         [](const auto& test) { return std::string(test.param.name); });

TEST(DamagedJpeg, TheLibraryDecodesTheDamagedFilesWithoutFailing)
{
    // What the strict decoder adds: the library hands back a whole picture for these.
    for (const RefusalCase& row : kDamage) {
        if (row.failure != DecodeFailure::Damaged)
            continue;
        SCOPED_TRACE(row.name);
        EXPECT_FALSE(LibraryDecode(row.make()).empty());
    }
}

// ---- Bounds ------------------------------------------------------------------------------

class Bomb : public testing::TestWithParam<RefusalCase> {};

TEST_P(Bomb, IsAnsweredByItsBound)
{
    EXPECT_EQ(DecodeJpegStrict(GetParam().make()).failure, GetParam().failure);
}

JpegBytes SmallProgressive(JpegWriteOptions options = {})
{
    options.progressive = true;
    return Write(options, 32, 32);
}

const RefusalCase kBombs[] = {
    // A few hundred bytes declaring 99 megapixels: the coefficient buffers alone would be 300 MB.
    {"ProgressiveDeclaring7070x14000", [] { return WithFrameSize(SmallProgressive(), 7070, 14000); },
     DecodeFailure::TooMuchMemory},
    {"CmykProgressiveDeclaring7070x14000",
     [] {
         return WithFrameSize(SmallProgressive({.colour = JpegColour::Cmyk, .lumaH = 1, .lumaV = 1}), 7070, 14000);
     },
     DecodeFailure::TooMuchMemory},
    // Just inside and just outside the memory bound (4:2:0: 3 bytes of coefficients a pixel).
    {"ProgressiveWithinMemory", [] { return WithFrameSize(SmallProgressive(), 8192, 10000); }, DecodeFailure::Damaged},
    {"ProgressiveBeyondMemory", [] { return WithFrameSize(SmallProgressive(), 8192, 11200); },
     DecodeFailure::TooMuchMemory},
    // A baseline file needs no such buffers: it fails where its data runs out, at the first rows.
    {"BaselineDeclaring7070x14000", [] { return WithFrameSize(Write({}, 32, 32), 7070, 14000); },
     DecodeFailure::Damaged},
    {"Declaring10001x10000", [] { return WithFrameSize(Write({}, 32, 32), 10001, 10000); },
     DecodeFailure::TooManyPixels},
    {"OneScanPastTheLimit", [] { return Write(ManyLightScans(kMaxJpegScans + 1), 64, 48); }, DecodeFailure::TooManyScans},
    // Each scan of a grey picture carries all of it.
    {"OnePassPastTheLimit",
     [] { return Write({.colour = JpegColour::Grey, .scans = FineGreyScript(kMaxScanPasses + 1, 1)}); },
     DecodeFailure::TooManyScans},
    // Legal to the letter: every coefficient sent bit by bit, 704 scans.
    {"SevenHundredScans", [] { return Write({.colour = JpegColour::Grey, .scans = FineGreyScript(704, 11)}, 64, 64); },
     DecodeFailure::TooManyScans},
};

INSTANTIATE_TEST_SUITE_P(Cases, Bomb, testing::ValuesIn(kBombs),
                         [](const auto& test) { return std::string(test.param.name); });

TEST(Bomb, TheLibraryDecodesTheScanBomb)
{
    // Legal files: only a bound tells them from a photo.
    const JpegBytes jpeg = Write({.colour = JpegColour::Grey, .scans = FineGreyScript(704, 11)}, 64, 64);
    EXPECT_EQ(InspectJpeg(jpeg)->scanDataEnds.size(), 704u);
    EXPECT_FALSE(LibraryDecode(jpeg).empty());
}

// ---- Bytes around the image ---------------------------------------------------------------

TEST(DecodeJpegStrict, IgnoresWhatFollowsTheEndOfImage)
{
    const JpegBytes jpeg = IdWhite();
    const DecodedJpeg plain = DecodeJpegStrict(jpeg);
    ASSERT_EQ(plain.failure, DecodeFailure::None);
    for (const JpegBytes& trailer : {JpegBytes(kCheckStamp.begin(), kCheckStamp.end()), JpegBytes{0xFF, 0xD8, 0xFF, 0xC0},
                                     Write({}, 8, 8)}) {
        JpegBytes withTrailer = jpeg;
        withTrailer.insert(withTrailer.end(), trailer.begin(), trailer.end());
        const DecodedJpeg decoded = DecodeJpegStrict(withTrailer);
        ASSERT_EQ(decoded.failure, DecodeFailure::None);
        EXPECT_EQ(cv::norm(decoded.image, plain.image, cv::NORM_INF), 0.0);
    }
}

}  // namespace
