// The shipped setting.ini against the calibration photos: real faces framed at standard and at
// clearly wrong geometry, on plain and on cluttered backdrops (tests/fixtures/calibration).
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "calibration_manifest.h"
#include "engine/background.h"
#include "engine/face.h"
#include "engine/file_tests.h"
#include "photo_fixtures.h"
#include "velmora/export.h"
#include "velmora/photo_checker.h"

namespace {

using namespace velmora;

const std::filesystem::path kCalibration = Fixture("calibration");

struct Share {
    int hits = 0;
    int total = 0;
    double Rate() const { return total == 0 ? 0.0 : double(hits) / total; }
};

class Calibration : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_GE(Entries().size(), 100u) << "manifest.tsv missing or cut short";
        ASSERT_TRUE(detector.has_value());
    }

    static const std::vector<CalibrationEntry>& Entries()
    {
        static const std::vector<CalibrationEntry> entries = ReadCalibrationManifest(kCalibration);
        return entries;
    }
    const CheckSettings settings = InstalledSettings();
    std::optional<FaceDetector> detector = FaceDetector::Load(ProgramDir() / kFaceCascadeFileName);
};

TEST_F(Calibration, FaceStageAcceptsStandardAndRefusesClearlyWrongGeometry)
{
    const struct {
        const char* kind;
        bool accepted;  // what the face stage should say of the class
    } classes[] = {
        {"standard", true}, {"small", false}, {"large", false}, {"cropped", false}, {"low", false},
    };
    std::map<std::string, Share> shares;
    for (const CalibrationEntry& e : Entries()) {
        CheckVerdict verdict;
        const bool accepted =
            InspectFace(*detector, NormalisedCalibrationPhoto(e.file, settings), settings, verdict).result == FaceResult::FaceAccepted;
        for (const auto& c : classes)
            if (e.kind == c.kind) {
                ++shares[e.kind].total;
                shares[e.kind].hits += accepted == c.accepted;
            }
    }
    for (const auto& c : classes) {
        SCOPED_TRACE(c.kind);
        const Share& s = shares[c.kind];
        EXPECT_GE(s.total, 10);
        EXPECT_GE(s.Rate(), 0.90) << s.hits << " of " << s.total << " judged as their class";
    }
}

TEST_F(Calibration, BackgroundStagePassesPlainStudioColoursAndRefusesScenes)
{
    const struct {
        const char* backdrop;  // standard framings on this colour, or every cluttered photo
        bool passes;
        double atLeast;
    } classes[] = {
        {"white", true, 0.95}, {"blue", true, 0.95}, {"red", true, 0.95}, {"cluttered", false, 0.80},
    };
    std::map<std::string, Share> shares;
    for (const CalibrationEntry& e : Entries()) {
        const std::string key = e.kind == "standard" ? e.backdrop : e.kind;
        const bool passed = !WalkBackground(NormalisedCalibrationPhoto(e.file, settings), settings).firstFailure;
        for (const auto& c : classes)
            if (key == c.backdrop) {
                ++shares[key].total;
                shares[key].hits += passed == c.passes;
            }
    }
    for (const auto& c : classes) {
        SCOPED_TRACE(c.backdrop);
        const Share& s = shares[c.backdrop];
        EXPECT_GE(s.total, 10);
        EXPECT_GE(s.Rate(), c.atLeast) << s.hits << " of " << s.total << " judged as their class";
    }
}

// A photo this program saved, with its stamp cut off (as an upload form may do), must pass the
// whole check again: the saved size, quality and pixels have to fit the shipped settings too.
TEST_F(Calibration, SavedStandardPhotoPassesAgainWithoutItsStamp)
{
    TempDir dir;
    PhotoChecker checker(settings, ProgramDir());
    Share accepted;
    for (const CalibrationEntry& e : Entries()) {
        if (e.kind != "standard")
            continue;
        SCOPED_TRACE(e.file);
        ++accepted.total;
        const CheckOutcome first = checker.Check(kCalibration / e.file);
        if (!first.accepted)
            continue;
        ++accepted.hits;

        const auto saved = dir.path() / e.file;
        ASSERT_TRUE(ExportAcceptedPhoto(first.display, first.verdict.stamped, saved));
        ASSERT_TRUE(HasCheckStamp(saved));
        std::filesystem::resize_file(saved, std::filesystem::file_size(saved) - kCheckStamp.size());
        ASSERT_FALSE(HasCheckStamp(saved));

        const CheckOutcome outcome = checker.Check(saved);
        EXPECT_TRUE(outcome.accepted) << "tip " << (outcome.tip ? static_cast<int>(*outcome.tip) : 0) << ", "
                                      << std::filesystem::file_size(saved) << " bytes";
    }
    EXPECT_GE(accepted.Rate(), 0.90) << accepted.hits << " of " << accepted.total << " standard photos accepted";
}

}  // namespace
