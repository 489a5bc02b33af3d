// Prints the advisory measures of every standard calibration photo, undamaged and with each
// defect at a few strengths, one tab-separated line each, for choosing the thresholds:
//   measure_advisories CALIBRATION_FOLDER PROGRAM_DIR
//   measure_advisories CALIBRATION_FOLDER PROGRAM_DIR BENCH_TSV BENCH_PHOTOS
// The second form measures the calibration bench's standard photos instead (the table and the
// folder that scripts/calibration_bench.sh writes with VELMORA_BENCH_PHOTOS set); the committed
// folder still gives the scene pasted as clutter.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <opencv2/imgcodecs.hpp>

#include "calibration_manifest.h"
#include "engine/advisories.h"
#include "engine/face.h"
#include "photo_defects.h"
#include "velmora/photo_checker.h"
#include "velmora/settings.h"

using namespace velmora;

namespace {

std::string Figure(const std::optional<double>& value)
{
    return value ? std::to_string(*value) : "-";
}

void Print(const std::string& file, const std::string& defect, double strength, const cv::Mat& photo,
           FaceDetector& faces, const CheckSettings& settings)
{
    // Through the codec as a saved photo would be, then checked as the program checks it.
    std::vector<uchar> bytes;
    cv::imencode(".jpg", photo, bytes, {cv::IMWRITE_JPEG_QUALITY, 90});
    const cv::Mat decoded = cv::imdecode(bytes, cv::IMREAD_COLOR);
    CheckVerdict verdict;
    const FaceReport report = InspectFace(faces, decoded, settings, verdict);
    std::printf("%s\t%s\t%.2f\t%zu\t%d", file.c_str(), defect.c_str(), strength, report.faces.size(),
                report.result == FaceResult::FaceAccepted);
    if (report.faces.size() == 1) {
        const AdvisoryMeasures m = MeasureAdvisories(decoded, report.faces.front());
        const auto exposure = [&](double FaceExposure::*field) {
            return m.exposure ? std::optional((*m.exposure).*field) : std::nullopt;
        };
        std::printf("\t%s\t%s\t%s\t%s\t%s\t%s\t%.4f\t%s\t", Figure(m.fineDetail).c_str(),
                    Figure(exposure(&FaceExposure::highlights)).c_str(), Figure(exposure(&FaceExposure::clipped)).c_str(),
                    Figure(exposure(&FaceExposure::photoBrightest)).c_str(), Figure(m.roll).c_str(),
                    Figure(m.crownMargin).c_str(), m.sideMargin, Figure(m.busy).c_str());
        for (const Advisory& a : JudgeAdvisories(m))
            std::printf("%d ", static_cast<int>(a.kind));
    }
    std::printf("\n");
}

// Each standard photo undamaged, then with every defect at a few strengths around its bound.
void MeasureDefects(const std::string& file, cv::Mat photo, double crown, double tilt, const cv::Mat& scene,
                    FaceDetector& faces, const CheckSettings& settings)
{
    cv::resize(photo, photo, cv::Size(settings.dst_width, settings.dst_height), 0, 0, cv::INTER_AREA);
    CheckVerdict verdict;
    const FaceReport report = InspectFace(faces, photo, settings, verdict);
    if (report.faces.size() != 1)
        return;
    const cv::Rect face = report.faces.front();
    const auto print = [&](const char* defect, double strength, const cv::Mat& damaged) {
        Print(file, defect, strength, damaged, faces, settings);
    };
    print("none", tilt, photo);
    for (double sigma : {1.0, 1.5, 2.0, 3.0})
        print("blur", sigma, defects::Blur(photo, sigma));
    for (double stops : {-1.0, -0.5, 0.5, 1.0})
        print("exposure", stops, defects::Exposure(photo, stops));
    const cv::Point2f centre = (cv::Point2f(face.tl()) + cv::Point2f(face.br())) * 0.5f;
    for (double degrees : {-15.0, -8.0, 8.0, 15.0})
        print("roll", degrees + tilt, defects::Roll(photo, degrees, centre));
    for (double cut : {0.0, 0.03, 0.08})
        print("crown", -cut, defects::Shift(photo, 0, -static_cast<int>((crown + cut) * photo.rows)));
    for (double over : {0.0, 0.1, 0.25}) {
        const int left = face.x + static_cast<int>(over * face.width);
        print("side", -over, defects::Shift(photo, -left, 0));
    }
    const int width = face.x - face.width / 20 - 12;
    print("clutter", 1, defects::Paste(photo, scene, cv::Rect(12, face.y - face.height / 4, width, face.height * 3 / 4)));
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3 && argc != 5) {
        std::fprintf(stderr, "usage: measure_advisories CALIBRATION_FOLDER PROGRAM_DIR [BENCH_TSV BENCH_PHOTOS]\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1], programDir = argv[2];
    CheckSettings settings;
    if (!ReadCheckSettingsFile(programDir / "setting.ini", settings))
        return 2;
    auto faces = FaceDetector::Load(programDir / kFaceCascadeFileName);
    if (!faces)
        return 2;
    const cv::Mat scene = cv::imread((folder / "sources/scenes/camera.jpg").string());
    std::printf("file\tdefect\tstrength\tfaces\tplaced\tfine_detail\thighlights\tclipped\tphoto_brightest\troll\tcrown\tside\tbusy\tadvisories\n");
    if (argc == 3) {
        for (const CalibrationEntry& e : ReadCalibrationManifest(folder))
            if (e.kind == "standard")
                MeasureDefects(e.file, cv::imread((folder / e.file).string()), e.crown, e.tilt, scene, *faces, settings);
        return 0;
    }
    // The bench's table lists its photos in the order they were written, 19 to a source picture,
    // and names them person_source_n_kind.jpg.
    std::ifstream table(argv[3]);
    std::string line;
    std::getline(table, line);
    for (int row = 0; std::getline(table, line); ++row) {
        std::istringstream fields(line);
        std::vector<std::string> f;
        for (std::string field; std::getline(fields, field, '\t');)
            f.push_back(field);
        if (f.size() < 6 || f[1] != "standard")
            continue;
        const std::string file =
            f[0] + "_" + std::to_string(row / 19 + 1) + "_" + std::to_string(row % 19 + 1) + "_standard.jpg";
        const cv::Mat photo = cv::imread((std::filesystem::path(argv[4]) / file).string());
        if (!photo.empty())
            MeasureDefects(file, photo, std::stod(f[5]), 0, scene, *faces, settings);
    }
}
