// Any bytes as the chosen photo, through the whole check with the installed settings.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <span>

#include "velmora/photo_checker.h"
#include "velmora/settings.h"

namespace {

std::optional<velmora::PhotoChecker> g_checker;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    velmora::CheckSettings settings;
    if (!velmora::LoadCheckSettings(VELMORA_PROGRAM_DIR, settings))
        std::abort();
    g_checker.emplace(settings, VELMORA_PROGRAM_DIR);
    if (!g_checker->HasFaceDetector())
        std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const velmora::CheckOutcome outcome = g_checker->CheckBytes(std::span(data, size));
    // The verdict and the picture must agree whatever the bytes were.
    if (outcome.accepted == outcome.tip.has_value() || (outcome.accepted && outcome.display.empty()) ||
        outcome.error != velmora::CheckError::None || outcome.reasons.empty())
        std::abort();
    return 0;
}
