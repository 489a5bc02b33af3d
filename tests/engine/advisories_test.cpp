// The advisories: each defect made at test time from a committed calibration face is told, the
// undamaged face is not, the verdict never moves, and the rates over the calibration set.
#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "calibration_manifest.h"
#include "engine/advisories.h"
#include "engine/advisory_thresholds.h"
#include "photo_defects.h"
#include "photo_fixtures.h"
#include "velmora/photo_checker.h"

namespace {

using namespace velmora;

const std::filesystem::path kCalibration = Fixture("calibration");

// The photo as an applicant would hand it in: a JPEG file of its pixels.
CheckOutcome CheckPicture(PhotoChecker& checker, const Image& photo)
{
    const std::string bytes = Encode(photo, ".jpg", {cv::IMWRITE_JPEG_QUALITY, 92});
    return checker.CheckBytes({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
}

bool Has(const CheckOutcome& outcome, AdvisoryKind kind)
{
    return std::ranges::any_of(outcome.advisories, [&](const Advisory& a) { return a.kind == kind; });
}

std::string Kinds(const CheckOutcome& outcome)
{
    std::string kinds;
    for (const Advisory& a : outcome.advisories)
        kinds += std::to_string(static_cast<int>(a.kind)) + "(" + std::to_string(a.measured) + ") ";
    return kinds;
}

cv::Rect FaceOf(PhotoChecker& checker, const Image& photo)
{
    const CheckOutcome outcome = CheckPicture(checker, photo);
    EXPECT_EQ(outcome.faces.size(), 1u);
    return outcome.faces.empty() ? cv::Rect() : outcome.faces.front();
}

// Each defect at a strength clearly past its bound, made from two committed faces.
struct DefectCase {
    const char* name;
    Image (*damage)(const Image& photo, const cv::Rect& face, const CalibrationEntry& entry);
    std::vector<AdvisoryKind> told;  // any of these
};

cv::Point2f Centre(const cv::Rect& face) { return (cv::Point2f(face.tl()) + cv::Point2f(face.br())) * 0.5f; }

const DefectCase kDefects[] = {
    {"blur_sigma_2", [](const Image& p, const cv::Rect&, const CalibrationEntry&) { return defects::Blur(p, 2.0); },
     {AdvisoryKind::Blurred}},
    {"one_and_a_half_stops_under",
     [](const Image& p, const cv::Rect&, const CalibrationEntry&) { return defects::Exposure(p, -1.5); },
     {AdvisoryKind::FaceTooDark}},
    {"one_and_a_half_stops_over",
     [](const Image& p, const cv::Rect&, const CalibrationEntry&) { return defects::Exposure(p, 1.5); },
     {AdvisoryKind::FaceTooBright, AdvisoryKind::HighlightsClipped}},
    {"rolled_12_degrees_clockwise",
     [](const Image& p, const cv::Rect& f, const CalibrationEntry&) { return defects::Roll(p, 12.0, Centre(f)); },
     {AdvisoryKind::HeadTilted}},
    {"rolled_12_degrees_anticlockwise",
     [](const Image& p, const cv::Rect& f, const CalibrationEntry&) { return defects::Roll(p, -12.0, Centre(f)); },
     {AdvisoryKind::HeadTilted}},
    {"crown_cut_by_4_percent",
     [](const Image& p, const cv::Rect&, const CalibrationEntry& e) {
         return defects::Shift(p, 0, -static_cast<int>((e.crown + 0.04) * p.rows));
     },
     {AdvisoryKind::CrownAtTop}},
    // Moved down as well, so that the hair stays out of the corner strips and the check gets to
    // the face (which it then finds placed too low: the advisory comes with a rejection).
    {"face_box_at_the_left_edge",
     [](const Image& p, const cv::Rect& f, const CalibrationEntry&) { return defects::Shift(p, -f.x, p.rows / 4); },
     {AdvisoryKind::FaceNearSide}},
    {"face_box_at_the_right_edge",
     [](const Image& p, const cv::Rect& f, const CalibrationEntry&) {
         return defects::Shift(p, p.cols - f.x - f.width, p.rows / 4);
     },
     {AdvisoryKind::FaceNearSide}},
    {"scene_beside_the_head",
     [](const Image& p, const cv::Rect& f, const CalibrationEntry&) {
         const Image scene = cv::imread((kCalibration / "sources/scenes/camera.jpg").string());
         return defects::Paste(p, scene, cv::Rect(12, f.y - f.height / 4, f.x - f.width / 20 - 12, f.height * 3 / 4));
     },
     {AdvisoryKind::BusyBackground}},
};

class DefectTold : public testing::TestWithParam<std::tuple<const char*, DefectCase>> {
protected:
    const CheckSettings settings = InstalledSettings();
};

TEST_P(DefectTold, AboveItsBoundAndNotWithoutIt)
{
    const auto& [file, defect] = GetParam();
    PhotoChecker checker(settings, ProgramDir());
    const auto entries = ReadCalibrationManifest(kCalibration);
    const auto entry = std::ranges::find(entries, std::string(file), &CalibrationEntry::file);
    ASSERT_NE(entry, entries.end());

    const Image photo = NormalisedCalibrationPhoto(file, settings);
    const CheckOutcome undamaged = CheckPicture(checker, photo);
    ASSERT_TRUE(undamaged.accepted);
    EXPECT_TRUE(undamaged.advisories.empty()) << Kinds(undamaged);

    const CheckOutcome damaged = CheckPicture(checker, defect.damage(photo, FaceOf(checker, photo), *entry));
    ASSERT_EQ(damaged.faces.size(), 1u) << "the defect hid the face: nothing to advise on";
    EXPECT_TRUE(std::ranges::any_of(defect.told, [&](AdvisoryKind kind) { return Has(damaged, kind); }))
        << Kinds(damaged);
}

INSTANTIATE_TEST_SUITE_P(CalibrationFaces, DefectTold,
                         testing::Combine(testing::Values("standard_hopper_red_2.jpg", "standard_bradney_blue_1.jpg"),
                                          testing::ValuesIn(kDefects)),
                         [](const auto& param) {
                             std::string name = std::string(std::get<0>(param.param)).substr(9);
                             name = name.substr(0, name.find('.')) + "_" + std::get<1>(param.param).name;
                             return name;
                         });

// The sharpness measure falls with every step of blur, and says nothing where there is no face
// middle to judge: a flat patch, or a face box the photo's edge cuts to a sliver or misses.
TEST(MeasureFineDetail, FallsWithBlurAndStaysSilentWithoutAFace)
{
    const CheckSettings settings = InstalledSettings();
    PhotoChecker checker(settings, ProgramDir());
    const Image photo = NormalisedCalibrationPhoto("standard_bradney_blue_1.jpg", settings);
    const cv::Rect face = FaceOf(checker, photo);
    double previous = 1e9;
    for (double sigma : {0.0, 1.0, 2.0, 3.0}) {
        SCOPED_TRACE(sigma);
        cv::Mat grey;
        cv::cvtColor(sigma > 0 ? defects::Blur(photo, sigma) : photo, grey, cv::COLOR_BGR2GRAY);
        const std::optional<double> detail = MeasureFineDetail(grey, face);
        ASSERT_TRUE(detail);
        EXPECT_LT(*detail, previous);
        previous = *detail;
    }

    const cv::Mat flat(413, 295, CV_8U, cv::Scalar(128));
    cv::Mat grey;
    cv::cvtColor(photo, grey, cv::COLOR_BGR2GRAY);
    const cv::Rect wide(0, 0, 290, 290);
    const struct {
        const char* name;
        const cv::Mat& grey;
        cv::Rect face;
    } silent[] = {
        {"flat patch", flat, cv::Rect(70, 100, 150, 150)},
        {"middle cut to a sliver by the bottom edge", grey, wide + cv::Point(0, grey.rows - wide.height / 5 - 20)},
        {"box below the photo", grey, cv::Rect(70, grey.rows + 10, 150, 150)},
        {"empty box", grey, cv::Rect()},
    };
    for (const auto& c : silent) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(MeasureFineDetail(c.grey, c.face));
    }
}

// The rates over every standard calibration photo: how many undamaged photos get any advisory,
// and how many of each clear defect are told, among those where the check still gets to one
// face (the others the verdict refuses by itself: hair pushed into a corner strip, a backdrop
// darkened below the white rule, a face too rolled to be found). The bounds sit a little under
// the rates measured when the thresholds were chosen; the README gives those rates.
TEST(AdvisoryRates, OnStandardCalibrationPhotos)
{
    const CheckSettings settings = InstalledSettings();
    PhotoChecker checker(settings, ProgramDir());
    const Image scene = cv::imread((kCalibration / "sources/scenes/camera.jpg").string());
    struct Rate {
        int told = 0, total = 0, refused = 0;
        double Share() const { return total == 0 ? 0.0 : double(told) / total; }
        double ToldOrRefused() const { return double(told + refused) / (total + refused); }
    };
    std::map<std::string, Rate> rates;
    std::map<std::string, int> falseAlarms;  // per advisory kind
    const auto count = [&](const std::string& name, const Image& damaged, std::vector<AdvisoryKind> told) {
        const CheckOutcome outcome = CheckPicture(checker, damaged);
        Rate& rate = rates[name];
        if (outcome.faces.size() != 1) {
            EXPECT_FALSE(outcome.accepted);
            ++rate.refused;
            return;
        }
        ++rate.total;
        rate.told += std::ranges::any_of(told, [&](AdvisoryKind kind) { return Has(outcome, kind); });
    };
    for (const CalibrationEntry& e : ReadCalibrationManifest(kCalibration)) {
        if (e.kind != "standard")
            continue;
        const Image photo = NormalisedCalibrationPhoto(e.file, settings);
        const CheckOutcome undamaged = CheckPicture(checker, photo);
        Rate& none = rates["undamaged: any advisory"];
        ++none.total;
        none.told += !undamaged.advisories.empty();
        const std::string source = e.file.substr(9, e.file.find('_', 9) - 9);
        ++rates["undamaged " + source + ": any advisory"].total;
        rates["undamaged " + source + ": any advisory"].told += !undamaged.advisories.empty();
        for (const Advisory& a : undamaged.advisories)
            ++falseAlarms[std::to_string(static_cast<int>(a.kind))];
        if (undamaged.faces.size() != 1)
            continue;
        const cv::Rect face = undamaged.faces.front();
        for (double sigma : {2.0, 3.0})
            count("blur sigma " + std::to_string(sigma).substr(0, 3), defects::Blur(photo, sigma), {AdvisoryKind::Blurred});
        count("one stop under", defects::Exposure(photo, -1.0), {AdvisoryKind::FaceTooDark});
        count("one stop over", defects::Exposure(photo, 1.0),
              {AdvisoryKind::FaceTooBright, AdvisoryKind::HighlightsClipped});
        for (double degrees : {-12.0, 12.0})
            count("roll 12 degrees (8-16 in all)", defects::Roll(photo, degrees, Centre(face)), {AdvisoryKind::HeadTilted});
        for (double cut : {0.0, 0.03})
            count("crown at the top or cut", defects::Shift(photo, 0, -static_cast<int>((e.crown + cut) * photo.rows)),
                  {AdvisoryKind::CrownAtTop});
        count("face box at a side edge", defects::Shift(photo, -face.x, 0), {AdvisoryKind::FaceNearSide});
        count("face box over a side edge", defects::Shift(photo, -face.x - face.width / 10, 0),
              {AdvisoryKind::FaceNearSide});
        count("scene beside the head",
              defects::Paste(photo, scene, cv::Rect(12, face.y - face.height / 4, face.x - face.width / 20 - 12,
                                                    face.height * 3 / 4)),
              {AdvisoryKind::BusyBackground});
    }
    for (const auto& [name, rate] : rates)
        std::printf("  %-40s %3d of %3d (%5.1f %%), refused before one face %d\n", name.c_str(), rate.told,
                    rate.total, 100 * rate.Share(), rate.refused);
    for (const auto& [kind, n] : falseAlarms)
        std::printf("  undamaged photos told advisory kind %s: %d\n", kind.c_str(), n);

    const std::map<std::string, double> atLeast = {
        {"blur sigma 2.0", 0.95},
        {"blur sigma 3.0", 0.95},
        {"one stop under", 0.95},
        {"one stop over", 0.65},  // darker-skinned faces stay below the highlights bound
        {"roll 12 degrees (8-16 in all)", 0.90},
        {"crown at the top or cut", 0.95},
        {"scene beside the head", 0.95},
    };
    for (const auto& [name, bound] : atLeast) {
        SCOPED_TRACE(name);
        EXPECT_GE(rates[name].total, 40);
        EXPECT_GE(rates[name].Share(), bound);
    }
    // A face pushed to a side edge drags its hair into a corner strip: mostly refused outright.
    for (const char* name : {"face box at a side edge", "face box over a side edge"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(rates[name].told, rates[name].total);
        EXPECT_GE(rates[name].ToldOrRefused(), 0.95);
    }
    // False alarms on the faces taken from sources of 200 pixels or more; the fourth face, blown
    // up from 63 pixels, is soft and told so.
    for (const char* source : {"bradney", "collins", "hopper"}) {
        SCOPED_TRACE(source);
        EXPECT_LE(rates[std::string("undamaged ") + source + ": any advisory"].Share(), 0.07);
    }
    EXPECT_GE(rates["undamaged franz: any advisory"].Share(), 0.9);
    EXPECT_LE(falseAlarms.size(), 2u);
}

// The judgement alone: each bound in both directions, and no word where nothing was measured.
TEST(JudgeAdvisories, BoundsAndMissingMeasures)
{
    using namespace advisory;
    AdvisoryMeasures good;
    good.fineDetail = kMinFineDetail + 0.1;
    good.exposure = FaceExposure{200, 0.0, 250};
    good.roll = 2.0;
    good.crownMargin = 0.05;
    good.sideMargin = 0.15;
    good.busy = 0.0;
    ASSERT_TRUE(JudgeAdvisories(good).empty());

    const struct {
        const char* name;
        void (*change)(AdvisoryMeasures&);
        std::vector<AdvisoryKind> expected;
    } cases[] = {
        {"blurred", [](AdvisoryMeasures& m) { m.fineDetail = kMinFineDetail - 0.01; }, {AdvisoryKind::Blurred}},
        {"blur not measured", [](AdvisoryMeasures& m) { m.fineDetail.reset(); }, {}},
        {"dark face in a dim photo",
         [](AdvisoryMeasures& m) { m.exposure = FaceExposure{kMinFaceHighlights - 1, 0, kMinPhotoBrightest - 1}; },
         {AdvisoryKind::FaceTooDark}},
        {"dark face in a well-lit photo",
         [](AdvisoryMeasures& m) { m.exposure = FaceExposure{kMinFaceHighlights - 40, 0, 255}; },
         {}},
        {"bright and clipped",
         [](AdvisoryMeasures& m) { m.exposure = FaceExposure{kMaxFaceHighlights, kMaxClippedShare + 0.01, 255}; },
         {AdvisoryKind::FaceTooBright, AdvisoryKind::HighlightsClipped}},
        {"exposure not measured", [](AdvisoryMeasures& m) { m.exposure.reset(); }, {}},
        {"tilted either way",
         [](AdvisoryMeasures& m) { m.roll = -(kMaxRollDegrees + 1); },
         {AdvisoryKind::HeadTilted}},
        {"tilt at the bound", [](AdvisoryMeasures& m) { m.roll = kMaxRollDegrees; }, {}},
        {"roll not measured", [](AdvisoryMeasures& m) { m.roll.reset(); }, {}},
        {"crown cut", [](AdvisoryMeasures& m) { m.crownMargin = 0.0; }, {AdvisoryKind::CrownAtTop}},
        {"crown not found", [](AdvisoryMeasures& m) { m.crownMargin.reset(); }, {}},
        {"side edge", [](AdvisoryMeasures& m) { m.sideMargin = 0.0; }, {AdvisoryKind::FaceNearSide}},
        {"busy", [](AdvisoryMeasures& m) { m.busy = kMaxBusyShare * 2; }, {AdvisoryKind::BusyBackground}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        AdvisoryMeasures m = good;
        c.change(m);
        std::vector<AdvisoryKind> kinds;
        for (const Advisory& a : JudgeAdvisories(m))
            kinds.push_back(a.kind);
        EXPECT_EQ(kinds, c.expected);
    }
}

// Where the check stopped before it had one face, nothing is said.
TEST(Advisories, OnlyWithOneFace)
{
    PhotoChecker checker(InstalledSettings(), ProgramDir());
    for (const char* file : {"no_face.jpg", "two_faces.jpg", "id_white_exif6.jpg"}) {
        SCOPED_TRACE(file);
        const CheckOutcome outcome = checker.Check(Fixture(file));
        EXPECT_FALSE(outcome.accepted);
        EXPECT_TRUE(outcome.advisories.empty()) << Kinds(outcome);
    }
}

}  // namespace
