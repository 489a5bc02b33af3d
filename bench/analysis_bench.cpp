#include <benchmark/benchmark.h>

#include <string>

#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include "engine/background.h"
#include "engine/hsi.h"

using namespace velmora;

namespace {

constexpr int kWidth = 295;
constexpr int kHeight = 413;

// The typical accepted photo of the fixtures, normalised; empty when it is not there.
Image FixturePhoto() {
    const Image decoded = cv::imread(std::string(VELMORA_FIXTURES_DIR) + "id_white.jpg",
                                     cv::IMREAD_COLOR | cv::IMREAD_IGNORE_ORIENTATION);
    if (decoded.empty()) {
        return {};
    }
    Image normalised;
    cv::resize(decoded, normalised, cv::Size(kWidth, kHeight), 0, 0, cv::INTER_LINEAR);
    return normalised;
}

// A near-white, slightly noisy background with a darker oval where a face would be.
Image SyntheticPhoto() {
    Image photo(kHeight, kWidth, CV_8UC3);
    cv::RNG rng(7);
    rng.fill(photo, cv::RNG::UNIFORM, 246, 256);
    cv::ellipse(photo, cv::Point(kWidth / 2, kHeight / 2), cv::Size(90, 120), 0, 0, 360,
                cv::Scalar(120, 150, 200), cv::FILLED);
    return photo;
}

const Image& BenchPhoto() {
    static const Image photo = [] {
        Image fixture = FixturePhoto();
        return fixture.empty() ? SyntheticPhoto() : fixture;
    }();
    return photo;
}

CheckSettings WhiteSettings() {
    CheckSettings settings;
    settings.s_min = 0.1f;
    settings.i_max = 0.8f;
    return settings;
}

void BM_ConvertToHsiWholePhoto(benchmark::State& state) {
    const Image& photo = BenchPhoto();
    HsiImage hsi(photo.size(), CV_8UC3);
    for (auto _ : state) {
        ConvertToHsi(photo, hsi);
        benchmark::DoNotOptimize(hsi.data);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * photo.rows * photo.cols);
}
BENCHMARK(BM_ConvertToHsiWholePhoto)->Unit(benchmark::kMicrosecond);

// The library's HSV conversion of the whole photo, for scale.
void BM_RgbToHsvWholePhoto(benchmark::State& state) {
    const Image& photo = BenchPhoto();
    Image hsv;
    for (auto _ : state) {
        cv::cvtColor(photo, hsv, cv::COLOR_RGB2HSV);
        benchmark::DoNotOptimize(hsv.data);
    }
}
BENCHMARK(BM_RgbToHsvWholePhoto)->Unit(benchmark::kMicrosecond);

// Every strip pixel examined: the full cost of an accepted background.
void BM_CheckBackground(benchmark::State& state) {
    const Image& photo = BenchPhoto();
    const CheckSettings settings = WhiteSettings();
    CheckVerdict verdict;
    for (auto _ : state) {
        benchmark::DoNotOptimize(CheckBackground(photo, settings, verdict));
    }
    state.counters["backgroundOk"] = verdict.backgroundOk ? 1 : 0;
}
BENCHMARK(BM_CheckBackground)->Unit(benchmark::kMicrosecond);

}  // namespace
