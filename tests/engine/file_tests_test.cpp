#include "engine/file_tests.h"

#include <string>

#include <gtest/gtest.h>

#include "test_files.h"

using namespace velmora;

namespace {

const std::string kStamp(kCheckStamp.begin(), kCheckStamp.end());

class FileTests : public testing::Test {
protected:
    std::filesystem::path Write(const std::string& name, std::string_view bytes)
    {
        const auto file = dir.path() / name;
        WriteFile(file, bytes);
        return file;
    }
    TempDir dir;
};

TEST(CheckStamp, ReadsAsTheFixedText)
{
    EXPECT_EQ(kStamp, "ffffffffffffffe9");
}

// ---- Start-of-image and stamp ---------------------------------------------------------

struct ContentCase {
    const char* name;
    std::string bytes;
    bool jpeg;
    bool stamped;
};

class FileContent : public FileTests, public testing::WithParamInterface<ContentCase> {};

TEST_P(FileContent, IsJudgedByItsFirstAndLastBytes)
{
    const auto file = Write("photo.jpg", GetParam().bytes);
    EXPECT_EQ(IsJpegFile(file), GetParam().jpeg);
    EXPECT_EQ(HasCheckStamp(file), GetParam().stamped);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FileContent,
    testing::Values(ContentCase{"Empty", "", false, false}, ContentCase{"OneByte", "\xFF", false, false},
                    ContentCase{"StartOfImageOnly", "\xFF\xD8", true, false},
                    ContentCase{"StartOfImageThenGarbage", "\xFF\xD8garbage that decodes to nothing", true, false},
                    ContentCase{"SwappedMarker", "\xD8\xFF\xE0", false, false},
                    ContentCase{"PngSignature", "\x89PNG\r\n\x1A\n", false, false},
                    ContentCase{"FifteenBytesOfStamp", kStamp.substr(1), false, false},
                    ContentCase{"StampAlone", kStamp, false, true},
                    ContentCase{"JpegWithStamp", "\xFF\xD8\xFF\xD9" + kStamp, true, true},
                    ContentCase{"StampOnNonJpeg", "GIF89a" + kStamp, false, true},
                    ContentCase{"LastCharacterEight", "\xFF\xD8\xFF\xD9" "ffffffffffffffe8", true, false},
                    ContentCase{"StampNotAtEnd", "\xFF\xD8" + kStamp + "\n", true, false},
                    ContentCase{"DoubleStamp", "\xFF\xD8" + kStamp + kStamp, true, true}),
    [](const auto& test) { return std::string(test.param.name); });

TEST_F(FileTests, UnreadablePathsAreNeitherJpegNorStamped)
{
    const auto missing = dir.path() / "gone.jpg";
    EXPECT_FALSE(IsJpegFile(missing));
    EXPECT_FALSE(HasCheckStamp(missing));
    EXPECT_FALSE(IsFileSizeAccepted(missing, CheckSettings{}));

    // A directory chosen as the photo: not a file at all.
    EXPECT_FALSE(IsJpegFile(dir.path()));
    EXPECT_FALSE(HasCheckStamp(dir.path()));
    EXPECT_FALSE(IsFileSizeAccepted(dir.path(), CheckSettings{}));

    // Devices are not photos, and reading them could block or never end.
    EXPECT_FALSE(IsJpegFile("/dev/zero"));
    EXPECT_FALSE(HasCheckStamp("/dev/zero"));
}

TEST_F(FileTests, NamesWithSpacesAndChineseCharactersOpen)
{
    const auto file = Write("报名 照片 -1.jpg", "\xFF\xD8\xFF\xD9" + kStamp);
    EXPECT_TRUE(IsJpegFile(file));
    EXPECT_TRUE(HasCheckStamp(file));
    EXPECT_TRUE(IsFileSizeAccepted(file, CheckSettings{}));
}

// ---- The KiB window -------------------------------------------------------------------

struct WindowCase {
    const char* name;
    int minKiB;
    int maxKiB;
    std::uintmax_t length;
    bool accepted;
};

class SizeWindow : public FileTests, public testing::WithParamInterface<WindowCase> {};

TEST_P(SizeWindow, BoundsAreInclusive)
{
    CheckSettings settings;
    settings.pic_min_size = GetParam().minKiB;
    settings.pic_max_size = GetParam().maxKiB;
    EXPECT_EQ(IsFileLengthAccepted(GetParam().length, settings), GetParam().accepted);
}

constexpr std::uintmax_t KiB = 1024;
constexpr std::uintmax_t GiB = 1024 * 1024 * KiB;

INSTANTIATE_TEST_SUITE_P(
    Cases, SizeWindow,
    testing::Values(WindowCase{"ExactlyMin", 10, 20, 10 * KiB, true},
                    WindowCase{"ExactlyMax", 10, 20, 20 * KiB, true},
                    WindowCase{"ByteBelowMin", 10, 20, 10 * KiB - 1, false},
                    WindowCase{"ByteAboveMax", 10, 20, 20 * KiB + 1, false},
                    WindowCase{"NegativeMaxHasNoUpperBound", 10, -1, 3 * GiB, true},
                    WindowCase{"NegativeMaxKeepsLowerBound", 10, -1, 10 * KiB - 1, false},
                    WindowCase{"ZeroWindowTakesOnlyEmpty", 0, 0, 0, true},
                    WindowCase{"ZeroWindowRejectsOneByte", 0, 0, 1, false},
                    WindowCase{"FourGiBDoesNotWrapIntoWindow", 10, 20, 4 * GiB + 10 * KiB, false},
                    WindowCase{"LargeLimitsDoNotOverflow", 2'000'000, 2'100'000, 2 * GiB, true},
                    WindowCase{"NegativeMinAcceptsEmpty", -5, 20, 0, true}),
    [](const auto& test) { return std::string(test.param.name); });

TEST_F(FileTests, SizeTestReadsTheFileLength)
{
    CheckSettings settings;
    settings.pic_min_size = 10;
    settings.pic_max_size = 20;
    EXPECT_TRUE(IsFileSizeAccepted(Write("a.jpg", std::string(10 * KiB, 'x')), settings));
    EXPECT_FALSE(IsFileSizeAccepted(Write("b.jpg", std::string(20 * KiB + 1, 'x')), settings));
}

TEST_F(FileTests, SparseFourGiBFileIsOutsideWindow)
{
    const auto file = dir.path() / "huge.jpg";
    WriteFile(file, "\xFF\xD8");
    std::error_code error;
    std::filesystem::resize_file(file, 4 * GiB + 10 * KiB, error);
    if (error)
        GTEST_SKIP() << "cannot make a sparse file here: " << error.message();
    CheckSettings settings;
    settings.pic_min_size = 10;
    settings.pic_max_size = 20;
    EXPECT_FALSE(IsFileSizeAccepted(file, settings));
    EXPECT_TRUE(IsJpegFile(file));
    EXPECT_FALSE(HasCheckStamp(file));
}

// ---- Appending the stamp --------------------------------------------------------------

TEST_F(FileTests, AppendAddsStampWhateverTheEndHolds)
{
    const auto file = Write("photo.jpg", "\xFF\xD8\xFF\xD9");
    ASSERT_TRUE(AppendCheckStamp(file));
    EXPECT_EQ(ReadWholeFile(file), "\xFF\xD8\xFF\xD9" + kStamp);
    EXPECT_TRUE(HasCheckStamp(file));

    ASSERT_TRUE(AppendCheckStamp(file));
    EXPECT_EQ(ReadWholeFile(file), "\xFF\xD8\xFF\xD9" + kStamp + kStamp);
}

TEST_F(FileTests, AppendIntoMissingFolderFails)
{
    EXPECT_FALSE(AppendCheckStamp(dir.path() / "no" / "such" / "photo.jpg"));
}

}  // namespace
