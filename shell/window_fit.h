// Fitting the main window to the screen it opens on: at 200 % a small screen is smaller than the
// window's designed size, and a window half off the screen cannot be used.
#pragma once

#include <QRect>
#include <QSize>

// The share of its designed size the window is shown at in the given available area: 1 where it
// fits, less where it would stand over an edge. An empty area (no screen known) leaves it whole.
double ScaleToFit(QSize window, QSize available);

// The rectangle with each coordinate scaled and rounded on its own, as dialog units are.
QRect ScaledRect(const QRect& rect, double scale);
