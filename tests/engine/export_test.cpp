#ifdef __linux__
#include <sys/mount.h>
#endif

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/file_tests.h"
#include "velmora/export.h"
#include "velmora/photo_checker.h"
#include "photo_fixtures.h"

using namespace velmora;

namespace {

const std::string kStamp(kCheckStamp.begin(), kCheckStamp.end());

class Export : public testing::Test {
protected:
    // Opens a photo as the desktop program does, keeping the verdict and the accepted photo.
    CheckOutcome Open(const std::filesystem::path& photo)
    {
        const CheckOutcome outcome = checker.Check(photo);
        outcome.MergeInto(verdict);
        result = outcome.accepted ? outcome.display : Image();
        return outcome;
    }

    ExportResult Save(const std::filesystem::path& target, ExportMode mode = ExportMode::ReplaceExisting)
    {
        return ExportAcceptedPhoto(result, verdict.stamped, target, mode);
    }

    std::vector<std::filesystem::path> FolderContents() const
    {
        std::vector<std::filesystem::path> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
            names.push_back(entry.path().filename());
        std::ranges::sort(names);
        return names;
    }

    TempDir dir;
    PhotoChecker checker{InstalledSettings(), ProgramDir()};
    CheckVerdict verdict;
    Image result;
};

TEST_F(Export, WritesQualityThirtyJpegWithStamp)
{
    ASSERT_TRUE(Open(Fixture("id_white.jpg")).accepted);
    const auto target = dir.path() / "报名照片.jpg";
    const ExportResult saved = Save(target);
    ASSERT_TRUE(saved) << static_cast<int>(saved.error);
    EXPECT_EQ(saved.extension, ".jpg");

    const std::string expected = Encode(result, ".jpg", {cv::IMWRITE_JPEG_QUALITY, 30}) + kStamp;
    EXPECT_EQ(ReadWholeFile(target), expected);
}

TEST_F(Export, RoundTripTakesStampedPathAndReexportCarriesNoStamp)
{
    ASSERT_TRUE(Open(Fixture("id_white.jpg")).accepted);
    const auto saved = dir.path() / "saved.jpg";
    ASSERT_TRUE(Save(saved));

    // Reopened, the saved photo is recognised and shown as stored.
    const CheckOutcome reopened = Open(saved);
    EXPECT_TRUE(reopened.accepted);
    EXPECT_TRUE(verdict.stamped);
    EXPECT_EQ(reopened.display.size(), cv::Size(295, 413));

    // Saved again after a stamped open: a fresh encoding without the stamp, which runs all checks.
    const auto again = dir.path() / "again.jpg";
    ASSERT_TRUE(Save(again));
    const std::string bytes = ReadWholeFile(again);
    EXPECT_NE(bytes.substr(bytes.size() - kStamp.size()), kStamp);
    EXPECT_FALSE(HasCheckStamp(again));
    Open(again);
    EXPECT_FALSE(verdict.stamped);
}

TEST_F(Export, SavingTwiceReplacesTheFileWithOneStamp)
{
    ASSERT_TRUE(Open(Fixture("id_white.jpg")).accepted);
    const auto target = dir.path() / "photo.jpg";
    WriteFile(target, "an older file");
    ASSERT_TRUE(Save(target));
    ASSERT_TRUE(Save(target));
    const std::string bytes = ReadWholeFile(target);
    EXPECT_EQ(bytes.substr(bytes.size() - kStamp.size()), kStamp);
    EXPECT_NE(bytes.substr(bytes.size() - 2 * kStamp.size(), kStamp.size()), kStamp);
    EXPECT_EQ(FolderContents(), std::vector<std::filesystem::path>{"photo.jpg"}) << "no temporary file is left";
}

struct FormatCase {
    const char* name;
    const char* file;
    const char* encoderExt;
};

class ExportFormat : public Export, public testing::WithParamInterface<FormatCase> {};

TEST_P(ExportFormat, EncoderFollowsExtensionAndStampIsAppended)
{
    ASSERT_TRUE(Open(Fixture("id_white.jpg")).accepted);
    const auto target = dir.path() / GetParam().file;
    ASSERT_TRUE(Save(target));
    const std::string expected =
        Encode(result, GetParam().encoderExt, {cv::IMWRITE_JPEG_QUALITY, 30}) + kStamp;
    EXPECT_EQ(ReadWholeFile(target), expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, ExportFormat,
                         testing::Values(FormatCase{"Jpeg", "a.jpeg", ".jpg"}, FormatCase{"Jpe", "a.jpe", ".jpg"},
                                         FormatCase{"UpperCase", "a.JPG", ".jpg"},
                                         FormatCase{"Jfif", "a.jfif", ".jpg"}, FormatCase{"Png", "a.png", ".png"},
                                         FormatCase{"Bmp", "a.bmp", ".bmp"}, FormatCase{"Dib", "a.dib", ".bmp"}),
                         [](const auto& test) { return std::string(test.param.name); });

struct FailureCase {
    const char* name;
    const char* target;  // relative to the test folder
    ExportError error;
    ExportMode mode = ExportMode::ReplaceExisting;
};

class ExportFailure : public Export, public testing::WithParamInterface<FailureCase> {};

TEST_P(ExportFailure, IsReportedAndLeavesEverythingAsItWas)
{
    ASSERT_TRUE(Open(Fixture("id_white.jpg")).accepted);
    WriteFile(dir.path() / "keep.xyz", "precious");
    WriteFile(dir.path() / "keep", "precious");
    WriteFile(dir.path() / "keep.jpg", "precious");
    std::filesystem::create_directory(dir.path() / "folder.jpg");
    const auto before = FolderContents();

    const ExportResult saved = Save(dir.path() / GetParam().target, GetParam().mode);
    EXPECT_EQ(saved.error, GetParam().error);
    EXPECT_EQ(FolderContents(), before);
    EXPECT_EQ(ReadWholeFile(dir.path() / "keep.xyz"), "precious");
    EXPECT_EQ(ReadWholeFile(dir.path() / "keep"), "precious");
    EXPECT_EQ(ReadWholeFile(dir.path() / "keep.jpg"), "precious");
    EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "folder.jpg"));
}

INSTANTIATE_TEST_SUITE_P(Cases, ExportFailure,
                         testing::Values(FailureCase{"ExtensionWithoutEncoder", "keep.xyz", ExportError::UnsupportedExtension},
                                         // Formats the image library writes but this program does not.
                                         FailureCase{"Tiff", "photo.tif", ExportError::UnsupportedExtension},
                                         FailureCase{"WebP", "photo.webp", ExportError::UnsupportedExtension},
                                         FailureCase{"NoExtension", "keep", ExportError::UnsupportedExtension},
                                         FailureCase{"MissingFolder", "missing/photo.jpg", ExportError::CannotWrite},
                                         FailureCase{"TargetIsDirectory", "folder.jpg", ExportError::CannotReplace},
                                         FailureCase{"KeepExistingFile", "keep.jpg", ExportError::TargetExists,
                                                     ExportMode::KeepExisting},
                                         FailureCase{"KeepExistingDirectory", "folder.jpg",
                                                     ExportError::TargetExists, ExportMode::KeepExisting}),
                         [](const auto& test) { return std::string(test.param.name); });

#ifdef __linux__
// A full disk: a small tmpfs with room for the old photo but not for the new one.
TEST_F(Export, FullDiskLeavesTheOldFileIntact)
{
    ASSERT_TRUE(Open(Fixture("id_white.jpg")).accepted);
    const auto small = dir.path() / "small";
    std::filesystem::create_directory(small);
    if (::mount("tmpfs", small.c_str(), "tmpfs", 0, "size=8k") != 0)
        GTEST_SKIP() << "cannot mount a small tmpfs here (needs root)";
    const std::string old(4096, 'o');
    WriteFile(small / "photo.jpg", old);

    const ExportResult saved = Save(small / "photo.jpg");
    EXPECT_EQ(saved.error, ExportError::CannotWrite);
    EXPECT_TRUE(saved.system) << "the system's reason is kept";
    EXPECT_EQ(ReadWholeFile(small / "photo.jpg"), old);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(small), std::filesystem::directory_iterator()), 1)
        << "no temporary file is left";
    ::umount2(small.c_str(), MNT_DETACH);
}
#endif

TEST_F(Export, NothingToSaveIsAFailure)
{
    EXPECT_EQ(Save(dir.path() / "a.jpg").error, ExportError::NothingToSave);
    EXPECT_TRUE(FolderContents().empty());
}

TEST_F(Export, ResultImageIsUnchangedBySaving)
{
    ASSERT_TRUE(Open(Fixture("id_white.jpg")).accepted);
    const cv::Mat before = result.clone();
    ASSERT_TRUE(Save(dir.path() / "a.jpg"));
    EXPECT_EQ(cv::norm(before, result, cv::NORM_INF), 0.0);
}

TEST_F(Export, KeepExistingWritesANewFileAndNeverReplaces)
{
    ASSERT_TRUE(Open(Fixture("id_white.jpg")).accepted);
    ASSERT_TRUE(Save(dir.path() / "a.jpg", ExportMode::KeepExisting));
    const std::string first = ReadWholeFile(dir.path() / "a.jpg");
    EXPECT_EQ(first.substr(first.size() - kStamp.size()), kStamp);

    EXPECT_EQ(Save(dir.path() / "a.jpg", ExportMode::KeepExisting).error, ExportError::TargetExists);
    EXPECT_EQ(ReadWholeFile(dir.path() / "a.jpg"), first);
    EXPECT_EQ(FolderContents(), std::vector<std::filesystem::path>{"a.jpg"}) << "no temporary file is left";
}

}  // namespace
