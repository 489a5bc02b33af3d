// End-to-end speed of the photo check against its floor (decoding, resizing and face
// detection alone), and the batch checker's throughput.
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <set>
#include <string>

#include <benchmark/benchmark.h>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>
#include <opencv2/objdetect.hpp>

#include "velmora/photo_checker.h"
#include "installed.h"

using namespace velmora;

namespace {

const std::filesystem::path kPhoto = std::filesystem::path(VELMORA_FIXTURES_DIR) / "id_white.jpg";

void BM_PhotoCheck(benchmark::State& state)
{
    PhotoChecker checker(InstalledSettings(), kProgramDir);
    for (auto _ : state) {
        const CheckOutcome outcome = checker.Check(kPhoto);
        if (!outcome.accepted)
            state.SkipWithError("the typical photo was not accepted");
        benchmark::DoNotOptimize(outcome.display.data);
    }
}
BENCHMARK(BM_PhotoCheck)->Unit(benchmark::kMillisecond);

// What no implementation of the check can avoid: decode, resize, detect.
void BM_Floor(benchmark::State& state)
{
    const CheckSettings settings = InstalledSettings();
    cv::CascadeClassifier classifier((kProgramDir / kFaceCascadeFileName).string());
    for (auto _ : state) {
        const cv::Mat decoded = cv::imread(kPhoto.string(), cv::IMREAD_COLOR | cv::IMREAD_IGNORE_ORIENTATION);
        cv::Mat normalised;
        cv::resize(decoded, normalised, cv::Size(settings.dst_width, settings.dst_height), 0, 0, cv::INTER_LINEAR);
        std::vector<cv::Rect> faces;
        classifier.detectMultiScale(normalised, faces, 1.1, settings.jc_precision, cv::CASCADE_SCALE_IMAGE,
                                    cv::Size(10, 100));
        benchmark::DoNotOptimize(faces.data());
    }
}
BENCHMARK(BM_Floor)->Unit(benchmark::kMillisecond);

// The batch checker as a user runs it: one process over a folder's worth of photos.
void BM_BatchChecker(benchmark::State& state)
{
    const auto quoted = [](const std::filesystem::path& path) {
        std::string text = " '";
        text += path.string();
        text += '\'';
        return text;
    };
    std::string command = quoted(kProgramDir / "velmora-check");
    constexpr int kPhotos = 60;
    const char* fixtures[] = {"id_white.jpg", "id_blue.jpg", "two_faces.jpg",
                              "no_face.jpg",  "face_low.jpg", "face_large.jpg"};
    for (int i = 0; i < kPhotos; ++i)
        command += quoted(std::filesystem::path(VELMORA_FIXTURES_DIR) / fixtures[i % 6]);
    command += " >/dev/null";
    for (auto _ : state)
        benchmark::DoNotOptimize(std::system(command.c_str()));
    state.SetItemsProcessed(state.iterations() * kPhotos);
}
BENCHMARK(BM_BatchChecker)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// Keeps the mean times so that the check's cost can be told against its floor.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        // With repetitions the median stands for the benchmark; without, its one run does.
        for (const Run& run : runs) {
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            const std::string& name = run.run_name.function_name;
            if (!run.error_occurred && (median || (run.run_type == Run::RT_Iteration && !medians_.contains(name))))
                times_[name] = run.GetAdjustedRealTime();
            if (median)
                medians_.insert(name);
        }
        ConsoleReporter::ReportRuns(runs);
    }
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        const auto check = times_.find("BM_PhotoCheck");
        const auto floor = times_.find("BM_Floor");
        if (check != times_.end() && floor != times_.end())
            std::cout << "PhotoChecker::Check / floor = " << check->second / floor->second << " (target <= 1.25)\n";
    }

private:
    std::map<std::string, double> times_;
    std::set<std::string> medians_;
};

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
