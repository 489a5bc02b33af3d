#include "shell/window_fit.h"

#include <algorithm>
#include <cmath>

double ScaleToFit(QSize window, QSize available)
{
    if (window.isEmpty() || available.isEmpty())
        return 1.0;
    return std::min({1.0, double(available.width()) / window.width(), double(available.height()) / window.height()});
}

QRect ScaledRect(const QRect& rect, double scale)
{
    if (scale == 1.0)
        return rect;
    const auto scaled = [scale](int value) { return static_cast<int>(std::lround(value * scale)); };
    return {scaled(rect.x()), scaled(rect.y()), scaled(rect.width()), scaled(rect.height())};
}
