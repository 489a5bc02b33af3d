#include "shell/sample_backdrop.h"

#include <array>

#include "velmora/background_rule.h"

QColor SampleBackdrop(const velmora::CheckSettings& settings)
{
    // The blues of registration photos (a bright one, then ID blue), a studio red, white. The
    // first the settings accept is shown; white when none is, as the plainest of all.
    static const std::array<QColor, 4> kCandidates = {QColor(0x3C, 0x6E, 0xDC), QColor(67, 142, 219),
                                                      QColor(0xC8, 0x1E, 0x1E), QColor(Qt::white)};
    for (const QColor& colour : kCandidates) {
        const auto byte = [](int value) { return static_cast<std::uint8_t>(value); };
        if (velmora::IsAcceptedBackgroundColour(byte(colour.blue()), byte(colour.green()), byte(colour.red()), settings))
            return colour;
    }
    return Qt::white;
}
