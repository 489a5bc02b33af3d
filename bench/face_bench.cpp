// Cost of the face check: parsing the cascade, one check with the cascade kept, and the
// detector alone, which is the floor a check cannot go below.
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>
#include <opencv2/objdetect.hpp>

#include "engine/face.h"
#include "velmora/photo_checker.h"
#include "installed.h"

using namespace velmora;

namespace {

Image NormalisedPortrait()
{
    const Image decoded =
        cv::imread(std::string(VELMORA_FIXTURES_DIR) + "id_white.jpg", cv::IMREAD_COLOR);
    Image normal;
    if (!decoded.empty())
        cv::resize(decoded, normal, cv::Size(295, 413), 0, 0, cv::INTER_LINEAR);
    return normal;
}

// What every check paid when the classifier was built afresh each time.
void BM_CascadeLoad(benchmark::State& state)
{
    const std::string file = (kProgramDir / kFaceCascadeFileName).string();
    for (auto _ : state) {
        cv::CascadeClassifier classifier;
        if (!classifier.load(file)) {
            state.SkipWithError("cascade missing");
            return;
        }
        benchmark::DoNotOptimize(classifier);
    }
}
BENCHMARK(BM_CascadeLoad)->Unit(benchmark::kMillisecond);

void BM_CheckFace(benchmark::State& state)
{
    const Image photo = NormalisedPortrait();
    std::optional<FaceDetector> detector = FaceDetector::Load(kProgramDir / kFaceCascadeFileName);
    if (photo.empty() || !detector) {
        state.SkipWithError("fixture or cascade missing");
        return;
    }
    const CheckSettings settings = InstalledSettings();
    CheckVerdict verdict;
    for (auto _ : state)
        benchmark::DoNotOptimize(CheckFace(*detector, photo, settings, verdict));
    if (!verdict.positionOk)
        state.SkipWithError("the portrait was not accepted");
}
BENCHMARK(BM_CheckFace)->Unit(benchmark::kMillisecond);

void BM_DetectorAlone(benchmark::State& state)
{
    const Image photo = NormalisedPortrait();
    cv::CascadeClassifier classifier;
    if (photo.empty() || !classifier.load((kProgramDir / kFaceCascadeFileName).string())) {
        state.SkipWithError("fixture or cascade missing");
        return;
    }
    std::vector<cv::Rect> faces;
    for (auto _ : state) {
        cv::Mat grey;
        cv::cvtColor(photo, grey, cv::COLOR_BGR2GRAY);
        cv::equalizeHist(grey, grey);
        classifier.detectMultiScale(grey, faces, 1.1, 5, cv::CASCADE_SCALE_IMAGE,
                                    cv::Size(10, 100), cv::Size());
        benchmark::DoNotOptimize(faces.data());
    }
    if (faces.size() != 1)
        state.SkipWithError("the portrait did not show one face");
}
BENCHMARK(BM_DetectorAlone)->Unit(benchmark::kMillisecond);

}  // namespace
