#include "shell/sample_backdrop.h"

QColor SampleBackdrop(const velmora::CheckSettings& settings)
{
    // A blue in the middle of the blue hue band (222 degrees, bright), well clear of its edges.
    return settings.RedOrBlueAllowed() ? QColor(0x3C, 0x6E, 0xDC) : QColor(Qt::white);
}
