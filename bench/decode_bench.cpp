// What decoding bombs cost: the strict decoder against the image library's reader on the same
// files, each decode in a child process so that its time and peak memory are its own.
//   decode_bench --benchmark_filter=Bomb
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <map>
#include <string>

#include <benchmark/benchmark.h>
#include <opencv2/imgcodecs.hpp>

#include "engine/decode.h"
#include "tests/engine/jpeg_damage.h"
#include "tests/engine/jpeg_writer.h"

using namespace velmora;

namespace {

cv::Mat Flat(int width, int height) { return cv::Mat(height, width, CV_8UC3, cv::Scalar(90, 120, 200)); }

JpegBytes SmallProgressive(JpegColour colour)
{
    return WriteJpeg(Flat(32, 32), {.colour = colour, .lumaH = colour == JpegColour::Cmyk ? 1 : 2,
                                    .lumaV = colour == JpegColour::Cmyk ? 1 : 2, .progressive = true});
}

// The bombs, made once: tiny files declaring 99 megapixels, and legal files of many scans.
const JpegBytes& BombBytes(const std::string& name)
{
    static std::map<std::string, JpegBytes> made;
    const auto found = made.find(name);
    if (found != made.end())
        return found->second;
    static const std::map<std::string, std::function<JpegBytes()>> kMakers = {
        {"progressive_declaring_7070x14000",
         [] { return WithFrameSize(SmallProgressive(JpegColour::YCbCr), 7070, 14000); }},
        {"cmyk_progressive_declaring_7070x14000",
         [] { return WithFrameSize(SmallProgressive(JpegColour::Cmyk), 7070, 14000); }},
        {"704_scans_4000x6000",
         [] { return WriteJpeg(Flat(4000, 6000), {.colour = JpegColour::Grey, .scans = FineGreyScript(704, 11)}); }},
        // Any count past the limit costs the strict decoder the same; 100 keeps the setup short.
        {"100_scans_7070x14000",
         [] { return WriteJpeg(Flat(7070, 14000), {.colour = JpegColour::Grey, .scans = FineGreyScript(100, 2)}); }},
    };
    return made.emplace(name, kMakers.at(name)()).first->second;
}

// Runs `decode` in a child and reports the child's wall time and peak resident memory.
void MeasureInChild(benchmark::State& state, const std::function<bool()>& decode)
{
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const pid_t child = ::fork();
        if (child == 0)
            ::_exit(decode() ? 0 : 1);
        int status = 0;
        rusage usage{};
        ::wait4(child, &status, 0, &usage);
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        state.counters["peak_rss_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
        state.counters["decoded"] = WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 1 : 0;
    }
}

void BM_StrictBomb(benchmark::State& state, const std::string& name)
{
    const JpegBytes& bytes = BombBytes(name);
    MeasureInChild(state, [&] { return DecodeJpegStrict(bytes).failure == DecodeFailure::None; });
}

void BM_LibraryBomb(benchmark::State& state, const std::string& name)
{
    const JpegBytes& bytes = BombBytes(name);
    MeasureInChild(state, [&] { return !cv::imdecode(bytes, cv::IMREAD_COLOR | cv::IMREAD_IGNORE_ORIENTATION).empty(); });
}

// The memory a child starts with, copied from this process: subtract it from the figures above.
void BM_ChildBaseline(benchmark::State& state)
{
    MeasureInChild(state, [] { return true; });
}

const char* const kBombs[] = {"progressive_declaring_7070x14000", "cmyk_progressive_declaring_7070x14000",
                              "704_scans_4000x6000", "100_scans_7070x14000"};

const bool kRegistered = [] {
    benchmark::RegisterBenchmark("BombBaseline", BM_ChildBaseline)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
    for (const char* bomb : kBombs) {
        benchmark::RegisterBenchmark((std::string("BombStrict/") + bomb).c_str(), BM_StrictBomb, std::string(bomb))
            ->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark((std::string("BombLibrary/") + bomb).c_str(), BM_LibraryBomb, std::string(bomb))
            ->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
    }
    return true;
}();

}  // namespace
