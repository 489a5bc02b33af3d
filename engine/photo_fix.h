// The parts of the photo fix: turning by the orientation tag, placing the crop around a face,
// and making the copy. PhotoChecker::FixPhoto runs them with its own detector and then checks
// the copy.
#pragma once

#include <cstdint>
#include <span>
#include <variant>

#include <opencv2/core/types.hpp>

#include "engine/face.h"
#include "velmora/check_types.h"
#include "velmora/photo_fix.h"

namespace velmora {

// Photos are searched for faces at most this large on their longer side: a face a tenth of a
// phone photo's height is still above the detector's smallest size there, and the search takes
// a fraction of what the full photo would. When that finds no face, the search is repeated at
// twice the size, where faces down to the smallest a copy can use without enlarging (about 170
// pixels) are found in a phone photo.
inline constexpr int kFixWorkingSide = 1280;

// The stored pixels as a viewer shows them under the EXIF orientation tag (1..8); any other
// value leaves them as stored.
Image TurnUpright(const Image& stored, int tag);

// The smallest size of the output's aspect that the dimension rule accepts: normally the
// normalised size itself.
cv::Size FixOutputSize(const CheckSettings& settings);

// Where to cut a photo of this size so that, once scaled to FixOutputSize, the face box lies
// centred across and its ratios in the middle of the settings' intervals; or why it cannot be
// cut so. The face box is in the photo's pixels.
std::variant<cv::Rect, FixRefusal> PlaceCrop(cv::Size photo, const cv::Rect& face, const CheckSettings& settings);

// The copy without its check: decoded, turned, framed, scaled and encoded.
PhotoFix MakeFixedCopy(std::span<const std::uint8_t> bytes, FaceDetector& detector, const CheckSettings& settings);

}  // namespace velmora
