// The body of the "照片要求" card, written from the loaded settings at run time so that it can
// never promise a photo the check then refuses.
#pragma once

#include <QRectF>
#include <QStringList>

#include "velmora/check_types.h"

class QPainter;

// The background colours the settings allow, as a list: "白、蓝或红色", or "白色".
QString BackgroundColoursText(const velmora::CheckSettings& settings);

// Background colours, format and file-size window, minimum pixel size, and the saved size.
QStringList RequirementLines(const velmora::CheckSettings& settings);

// Draws the lines one under the other in the box, with type small enough for the longest line.
void PaintRequirementLines(QPainter& painter, const QRectF& box, const QStringList& lines);
