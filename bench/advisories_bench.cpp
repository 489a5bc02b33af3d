// Cost of the advisories on top of the check: every measure and the judgement for one face in a
// normalised photo, and each measure alone, on calibration photos.
#include <array>
#include <string>

#include <benchmark/benchmark.h>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include "engine/advisories.h"
#include "engine/face.h"
#include "velmora/photo_checker.h"
#include "installed.h"

using namespace velmora;

namespace {

struct Portrait {
    Image photo;
    cv::Mat grey;
    cv::Rect face;
};

// A standard calibration photo, normalised, with the face the check finds in it.
Portrait Load(const char* file)
{
    Portrait p;
    const Image decoded = cv::imread(std::string(VELMORA_FIXTURES_DIR) + "calibration/" + file, cv::IMREAD_COLOR);
    if (decoded.empty())
        return p;
    const CheckSettings settings = InstalledSettings();
    cv::resize(decoded, p.photo, cv::Size(settings.dst_width, settings.dst_height), 0, 0, cv::INTER_LINEAR);
    cv::cvtColor(p.photo, p.grey, cv::COLOR_BGR2GRAY);
    auto detector = FaceDetector::Load(kProgramDir / kFaceCascadeFileName);
    CheckVerdict verdict;
    const FaceReport report = InspectFace(*detector, p.photo, settings, verdict);
    if (report.faces.size() == 1)
        p.face = report.faces.front();
    return p;
}

const char* const kFiles[] = {"standard_hopper_white_1.jpg", "standard_bradney_blue_1.jpg", "standard_collins_red_1.jpg"};

// False (the benchmark skipped) when the fixture or its face is missing.
bool Ready(benchmark::State& state, const Portrait& p)
{
    if (p.face.empty())
        state.SkipWithError("fixture or face missing");
    return !p.face.empty();
}

void BM_AllAdvisories(benchmark::State& state)
{
    const Portrait p = Load(kFiles[state.range(0)]);
    if (!Ready(state, p))
        return;
    for (auto _ : state)
        benchmark::DoNotOptimize(JudgeAdvisories(MeasureAdvisories(p.photo, p.face)));
}
BENCHMARK(BM_AllAdvisories)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

// Each measure alone (first argument) on the first two photos (second argument).
void BM_EachMeasure(benchmark::State& state)
{
    const Portrait p = Load(kFiles[state.range(1)]);
    if (!Ready(state, p))
        return;
    for (auto _ : state) {
        switch (state.range(0)) {
        case 0: benchmark::DoNotOptimize(MeasureFineDetail(p.grey, p.face)); break;
        case 1: benchmark::DoNotOptimize(MeasureExposure(p.photo, p.face)); break;
        case 2: benchmark::DoNotOptimize(MeasureRoll(p.grey, p.face)); break;
        case 3: benchmark::DoNotOptimize(FindCrownRow(p.photo, p.face)); break;
        default: benchmark::DoNotOptimize(MeasureBusyBackground(p.grey, p.face, std::nullopt)); break;
        }
    }
    state.SetLabel(std::array{"fine detail", "exposure", "roll", "crown", "busy background"}[state.range(0)]);
}
BENCHMARK(BM_EachMeasure)->ArgsProduct({benchmark::CreateDenseRange(0, 4, 1), {0, 1}})->Unit(benchmark::kMillisecond);

}  // namespace
