// Files a user might pick by mistake or that arrive damaged: each gets an orderly verdict.
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "velmora/photo_checker.h"
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

class HostilePhoto : public testing::TestWithParam<HostileCase> {
protected:
    void SetUp() override
    {
        settings = InstalledSettings();
        // Open the size window so that every file reaches the decoder.
        settings.pic_min_size = 0;
        settings.pic_max_size = -1;
    }
    CheckOutcome Check(const std::filesystem::path& photo) { return PhotoChecker(settings, ProgramDir()).Check(photo); }

    TempDir dir;
    CheckSettings settings;
};

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

TEST_F(HostilePhoto, PathsThatAreNotPhotos)
{
    for (const std::filesystem::path& path : {dir.path(), dir.path() / "removed.jpg", std::filesystem::path("/dev/zero")}) {
        const CheckOutcome outcome = Check(path);
        EXPECT_EQ(outcome.error, CheckError::FileUnreadable) << path;
        EXPECT_EQ(outcome.tip, TipImage::NotJpeg) << path;
    }
}

TEST_F(HostilePhoto, UnusualNamesOpen)
{
    for (const char* name : {"with spaces.jpg", "报名照片.jpg", "-leading-dash.jpg", "'quote\".jpeg"}) {
        const auto photo = dir.path() / name;
        std::filesystem::copy_file(Fixture("id_white.jpg"), photo);
        EXPECT_TRUE(Check(photo).accepted) << name;
    }
}

TEST_F(HostilePhoto, SparseFourGiBFileIsRefusedWithoutReadingIt)
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

}  // namespace
