// What the automatic fix adds to a check: a 12-megapixel phone photo checked as it is, against
// the same check followed by the fix and the check of the fixed copy.
#include <vector>

#include <benchmark/benchmark.h>

#include "installed.h"
#include "portrait_scenes.h"
#include "velmora/photo_checker.h"
#include "velmora/photo_fix.h"

using namespace velmora;

namespace {

// 3024 x 4032, the head a quarter of the height on a plain wall; tag 6 stores it sideways.
const std::vector<std::uint8_t>& PhonePhoto(bool sideways)
{
    static const cv::Mat upright = portrait_scenes::Scene({3024, 4032}, {portrait_scenes::Placement{}});
    static const std::vector<std::uint8_t> plain = portrait_scenes::EncodeJpeg(upright);
    static const std::vector<std::uint8_t> turned =
        portrait_scenes::WithOrientation(portrait_scenes::EncodeJpeg(portrait_scenes::StoredFor(upright, 6)), 6);
    return sideways ? turned : plain;
}

void BM_CheckPhonePhoto(benchmark::State& state)
{
    PhotoChecker checker(InstalledSettings(), kProgramDir);
    const auto& photo = PhonePhoto(state.range(0) != 0);
    for (auto _ : state) {
        const CheckOutcome outcome = checker.CheckBytes(photo);
        benchmark::DoNotOptimize(outcome.accepted);
    }
}
BENCHMARK(BM_CheckPhonePhoto)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_CheckFixAndCheckCopy(benchmark::State& state)
{
    PhotoChecker checker(InstalledSettings(), kProgramDir);
    const auto& photo = PhonePhoto(state.range(0) != 0);
    for (auto _ : state) {
        const CheckOutcome outcome = checker.CheckBytes(photo);
        const PhotoFix fix = checker.FixPhoto(photo, outcome);
        if (!fix.outcome || !fix.outcome->accepted)
            state.SkipWithError("the phone photo's copy was not accepted");
        benchmark::DoNotOptimize(fix.bytes.data());
    }
}
BENCHMARK(BM_CheckFixAndCheckCopy)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
