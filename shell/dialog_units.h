// Dialog-unit layout: the window is designed in dialog units and converted to pixels the way
// Windows converts a dialog template, so the controls land on the frames of the background picture.
#pragma once

#include <QRect>

// Windows' MulDiv: number * numerator / denominator in 64 bits, rounded to nearest with halves
// away from zero; -1 when the denominator is 0 or the result does not fit an int.
int MulDivRound(int number, int numerator, int denominator);

struct DialogBaseUnits {
    int x = 7;   // average character width of the dialog font, in pixels
    int y = 14;  // character height of the dialog font, in pixels

    friend bool operator==(const DialogBaseUnits&, const DialogBaseUnits&) = default;
};

// The base units of the 9-point dialog font: 7 x 14 at 96 dots per inch, scaled to the given
// logical DPI. Fixed rather than measured, because the fonts that stand in for the Windows dialog
// font on other systems have other metrics and would distort the button faces.
DialogBaseUnits DialogBaseUnitsForDpi(double logicalDpiX, double logicalDpiY);

// x and width scale by baseX / 4, y and height by baseY / 8, each rounded on its own.
QRect DialogUnitsToPixels(const QRect& dialogUnits, DialogBaseUnits base);
