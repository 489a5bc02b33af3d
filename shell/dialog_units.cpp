#include "shell/dialog_units.h"

#include <cmath>
#include <cstdint>
#include <limits>

int MulDivRound(int number, int numerator, int denominator)
{
    if (denominator == 0)
        return -1;
    const std::int64_t product = std::int64_t{number} * numerator;
    const bool negative = (product < 0) != (denominator < 0);
    const std::int64_t magnitude = product < 0 ? -product : product;
    const std::int64_t divisor = denominator < 0 ? -std::int64_t{denominator} : std::int64_t{denominator};
    const std::int64_t quotient = (magnitude + divisor / 2) / divisor;
    const std::int64_t result = negative ? -quotient : quotient;
    if (result > std::numeric_limits<int>::max() || result < std::numeric_limits<int>::min())
        return -1;
    return static_cast<int>(result);
}

DialogBaseUnits DialogBaseUnitsForDpi(double logicalDpiX, double logicalDpiY)
{
    constexpr DialogBaseUnits at96;
    const auto scale = [](int units, double dpi) {
        // A screen that reports no sensible DPI gets the 96-DPI layout rather than a broken one.
        if (!(dpi >= 48.0 && dpi <= 960.0))
            return units;
        return static_cast<int>(std::lround(units * dpi / 96.0));
    };
    return {scale(at96.x, logicalDpiX), scale(at96.y, logicalDpiY)};
}

QRect DialogUnitsToPixels(const QRect& dialogUnits, DialogBaseUnits base)
{
    return {MulDivRound(dialogUnits.x(), base.x, 4), MulDivRound(dialogUnits.y(), base.y, 8),
            MulDivRound(dialogUnits.width(), base.x, 4), MulDivRound(dialogUnits.height(), base.y, 8)};
}
