// The geometric HSI colour model (hue, saturation, intensity), which the image library lacks.
#pragma once

#include "velmora/check_types.h"

namespace velmora {

// 8 bits, three channels: hue in whole degrees (low 8 bits, so 256..359 wrap to 0..103),
// saturation x 255 and intensity x 255, each truncated toward zero.
using HsiImage = cv::Mat;

// Fills `hsi`, which must already have the size and type of `bgr` (CV_8UC3), pixel by pixel.
void ConvertToHsi(const Image& bgr, HsiImage& hsi);

}  // namespace velmora
