// --fix-dir: a fixed copy of each rejected photo, written under the photo's name, checked, and
// reported beside the photo's own result.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "velmora/photo_checker.h"
#include "velmora/photo_fix.h"

namespace velmora_check {

// The fix of a rejected photo, read again from its file; nothing for an accepted one.
std::optional<velmora::PhotoFix> FixOf(velmora::PhotoChecker& checker, const std::filesystem::path& photo,
                                       const velmora::CheckOutcome& outcome);

// Why no copy was made, as the JSON names it ("headAtEdge") and in words.
std::string_view FixRefusalName(velmora::FixRefusal refusal);
std::string FixRefusalText(const velmora::PhotoFix& fix);

// The steps in words: "turned by orientation 6, cropped to 1200 x 1680 at (900, 700), scaled to
// 295 x 413, JPEG quality 100".
std::string FixStepsText(const velmora::PhotoFix& fix);

struct FixReport {
    std::string json;  // the "fix" object
    std::string note;  // appended to the photo's text line
    bool copyAccepted = false;
    bool written = false;
};

// Writes the copy into the folder under the photo's own name, never over a file, and reports
// the fix with the copy's complete outcome.
FixReport WriteFix(const velmora::PhotoFix& fix, const std::filesystem::path& photo, const std::filesystem::path& dir,
                   const velmora::CheckSettings& settings);

}  // namespace velmora_check
