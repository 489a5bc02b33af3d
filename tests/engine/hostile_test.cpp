// Files a user might pick by mistake or that arrive damaged: each gets an orderly verdict.
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "velmora/photo_checker.h"
#include "jpeg_damage.h"
#include "photo_fixtures.h"

using namespace velmora;

namespace {

struct HostileCase {
    const char* name;
    std::string (*bytes)();     // null: the path is made by `place` instead
    std::optional<TipImage> tip;  // nullopt: accepted
};

std::string IdWhite() { return ReadWholeFile(Fixture("id_white.jpg")); }
std::string Half(std::string bytes) { return bytes.substr(0, bytes.size() / 2); }

// A copy of a small JPEG whose frame header declares another size.
std::string DeclaringSize(int width, int height)
{
    std::string jpeg = Encode(WhitePicture(40, 60), ".jpg");
    const std::size_t sof = jpeg.find("\xFF\xC0");
    jpeg[sof + 5] = static_cast<char>(height >> 8);
    jpeg[sof + 6] = static_cast<char>(height & 0xFF);
    jpeg[sof + 7] = static_cast<char>(width >> 8);
    jpeg[sof + 8] = static_cast<char>(width & 0xFF);
    return jpeg;
}

cv::Mat IdWhitePixels() { return cv::imread(Fixture("id_white.jpg").string(), cv::IMREAD_COLOR); }

const HostileCase kPhotos[] = {
    {"EmptyFile", [] { return std::string(); }, TipImage::NotJpeg},
    {"OneByte", [] { return std::string("\xFF"); }, TipImage::NotJpeg},
    {"StartOfImageOnly", [] { return std::string("\xFF\xD8"); }, TipImage::BadDimensions},
    {"StartOfImageThenGarbage", [] { return std::string("\xFF\xD8") + std::string(5000, 'x'); },
     TipImage::BadDimensions},
    {"PngRenamed", [] { return Encode(IdWhitePixels(), ".png"); }, TipImage::NotJpeg},
    {"BmpRenamed", [] { return Encode(IdWhitePixels(), ".bmp"); }, TipImage::NotJpeg},
    {"GifRenamed", [] { return std::string("GIF89a\x01\x00\x01\x00\x00\x00\x00;", 13); }, TipImage::NotJpeg},
    {"TruncatedHalf", [] { return Half(IdWhite()); }, TipImage::BadDimensions},
    {"GarbageAfterEndOfImage", [] { return IdWhite() + "trailing bytes of another program"; }, std::nullopt},
    {"StampOnNonJpeg", [] { return WithStamp(Encode(IdWhitePixels(), ".png")); }, TipImage::NotJpeg},
    {"StampOnTruncatedJpeg", [] { return WithStamp(Half(IdWhite())); }, TipImage::BadDimensions},
    {"Greyscale", [] {
         cv::Mat grey;
         cv::cvtColor(IdWhitePixels(), grey, cv::COLOR_BGR2GRAY);
         return Encode(grey, ".jpg", {cv::IMWRITE_JPEG_QUALITY, 90});
     },
     std::nullopt},
    {"Cmyk", [] { return ReadWholeFile(Fixture("id_white_cmyk.jpg")); }, std::nullopt},
    {"Progressive", [] { return Encode(IdWhitePixels(), ".jpg", {cv::IMWRITE_JPEG_PROGRESSIVE, 1}); },
     std::nullopt},
    // Stored 472 x 354 with a "rotate to view" tag: the stored layout is what is judged.
    {"ExifOrientationSix", [] { return ReadWholeFile(Fixture("id_white_exif6.jpg")); }, TipImage::BadDimensions},
    {"Declares30000Square", [] { return DeclaringSize(30000, 30000); }, TipImage::BadDimensions},
    {"Declares65535Square", [] { return DeclaringSize(65535, 65535); }, TipImage::BadDimensions},
};

// Checks photos with the installed settings, the size window opened so that every file reaches the decoder.
class PhotoCheck : public testing::Test {
protected:
    void SetUp() override
    {
        settings = InstalledSettings();
        settings.pic_min_size = 0;
        settings.pic_max_size = -1;
    }
    CheckOutcome Check(const std::filesystem::path& photo) { return PhotoChecker(settings, ProgramDir()).Check(photo); }

    TempDir dir;
    CheckSettings settings;
};

class HostilePhoto : public PhotoCheck, public testing::WithParamInterface<HostileCase> {};

TEST_P(HostilePhoto, GetsAnOrderlyVerdict)
{
    const auto photo = dir.path() / "photo.jpg";
    WriteFile(photo, GetParam().bytes());
    const CheckOutcome outcome = Check(photo);
    EXPECT_EQ(outcome.tip, GetParam().tip);
    EXPECT_EQ(outcome.error, CheckError::None);
    EXPECT_FALSE(outcome.display.empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, HostilePhoto, testing::ValuesIn(kPhotos),
                         [](const auto& test) { return std::string(test.param.name); });

TEST_F(PhotoCheck, PathsThatAreNotPhotos)
{
    for (const std::filesystem::path& path : {dir.path(), dir.path() / "removed.jpg", std::filesystem::path("/dev/zero")}) {
        const CheckOutcome outcome = Check(path);
        EXPECT_EQ(outcome.error, CheckError::FileUnreadable) << path;
        EXPECT_EQ(outcome.tip, TipImage::NotJpeg) << path;
    }
}

TEST_F(PhotoCheck, UnusualNamesOpen)
{
    std::vector<std::u8string> names = {u8"with spaces.jpg", u8"报名照片.jpg", u8"-leading-dash.jpg", u8"'quote.jpeg"};
#ifndef _WIN32
    names.push_back(u8"\"double quote\".jpeg");  // a character Windows allows in no file name
#endif
    for (const std::u8string& name : names) {
        const auto photo = dir.path() / name;
        std::filesystem::copy_file(Fixture("id_white.jpg"), photo);
        EXPECT_TRUE(Check(photo).accepted) << reinterpret_cast<const char*>(name.c_str());
    }
}

TEST_F(PhotoCheck, SparseFourGiBFileIsRefusedWithoutReadingIt)
{
    const auto photo = dir.path() / "huge.jpg";
    WriteFile(photo, IdWhite());
    std::error_code error;
    std::filesystem::resize_file(photo, (std::uintmax_t{4} << 30) + 10 * 1024, error);
    if (error)
        GTEST_SKIP() << "cannot make a sparse file here: " << error.message();
    EXPECT_EQ(Check(photo).tip, TipImage::BadDimensions);

    settings.pic_min_size = 10;
    settings.pic_max_size = 20;
    EXPECT_EQ(Check(photo).tip, TipImage::FileSizeOutsideWindow) << "the length must not wrap into the window";
}

// ---- Damaged picture data, on every path that decodes -------------------------------------

JpegBytes IdWhiteBytes()
{
    const std::string text = IdWhite();
    return {text.begin(), text.end()};
}

std::size_t MidScan(const JpegBytes& jpeg)
{
    const auto [begin, end] = FirstScanData(jpeg);
    return begin + (end - begin) / 2;
}

JpegBytes WithRestarts()
{
    std::vector<std::uint8_t> jpeg;
    cv::imencode(".jpg", IdWhitePixels(), jpeg, {cv::IMWRITE_JPEG_RST_INTERVAL, 8});
    return jpeg;
}

struct DamageCase {
    const char* name;
    JpegBytes (*bytes)();
};

// Each one passed every check before, saved with a grey or garbled part.
const DamageCase kDamaged[] = {
    {"CutInHalfAndReterminated", [] { return CutAndReterminate(IdWhiteBytes(), IdWhiteBytes().size() / 2); }},
    {"BytesFlippedInScan", [] { return FlipBytes(IdWhiteBytes(), MidScan(IdWhiteBytes()), 256); }},
    {"ZeroedHole4KiB", [] { return ZeroBytes(IdWhiteBytes(), MidScan(IdWhiteBytes()) - 2048, 4096); }},
    {"ThousandBytesDropped", [] { return DropBytes(IdWhiteBytes(), MidScan(IdWhiteBytes()), 1000); }},
    {"RestartMarkerDropped", [] {
         const JpegBytes jpeg = WithRestarts();
         return DropBytes(jpeg, RestartMarkers(jpeg).at(3), 2);
     }},
};

enum class DecodePath { Checked, Stamped, NormaliseOnly };

class DamagedPhoto : public PhotoCheck,
                     public testing::WithParamInterface<std::tuple<DamageCase, DecodePath>> {};

TEST_P(DamagedPhoto, CannotBeAssessed)
{
    const auto& [damage, path] = GetParam();
    const JpegBytes bytes = damage.bytes();
    std::string file(bytes.begin(), bytes.end());
    if (path == DecodePath::Stamped)
        file = WithStamp(file);
    settings.cast = path == DecodePath::NormaliseOnly ? 1 : 0;
    const auto photo = dir.path() / "photo.jpg";
    WriteFile(photo, file);

    const CheckOutcome outcome = Check(photo);
    EXPECT_FALSE(outcome.accepted);
    EXPECT_EQ(outcome.tip, TipImage::BadDimensions);
    EXPECT_EQ(outcome.decodeFailure, DecodeFailure::Damaged);
}

TEST_F(PhotoCheck, UndamagedSourcesOfTheDamagedPhotosAreAccepted)
{
    // So that the rows above fail for the damage, not for the photo.
    for (const JpegBytes& jpeg : {IdWhiteBytes(), WithRestarts()}) {
        const auto photo = dir.path() / "photo.jpg";
        WriteFile(photo, std::string(jpeg.begin(), jpeg.end()));
        EXPECT_TRUE(Check(photo).accepted);
    }
}

std::string DamagedPhotoName(const testing::TestParamInfo<DamagedPhoto::ParamType>& test)
{
    static const char* const kPaths[] = {"Checked", "Stamped", "NormaliseOnly"};
    return std::string(std::get<0>(test.param).name) + "_" + kPaths[static_cast<int>(std::get<1>(test.param))];
}

INSTANTIATE_TEST_SUITE_P(Cases, DamagedPhoto,
                         testing::Combine(testing::ValuesIn(kDamaged), testing::Values(DecodePath::Checked,
                                                                                       DecodePath::Stamped,
                                                                                       DecodePath::NormaliseOnly)),
                         DamagedPhotoName);

}  // namespace
