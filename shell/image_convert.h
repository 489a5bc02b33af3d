// The one place where an engine image becomes a Qt image.
#pragma once

#include <QImage>

#include "velmora/check_types.h"

// A deep copy of an 8-bit blue-green-red image; a null QImage for an empty image or any other type.
QImage ToQImage(const velmora::Image& image);
