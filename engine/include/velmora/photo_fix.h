// Turning a rejected photo into a copy that can pass: turned upright by its orientation tag,
// cropped around the one face to the output's aspect, scaled down and encoded to fit the file
// window. No pixel is retouched; the copy is then checked like any photo.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

#include <opencv2/core/types.hpp>

#include "velmora/photo_checker.h"

namespace velmora {

// Why no fixed copy was made.
enum class FixRefusal {
    None,                 // a copy was made
    NotOffered,           // the photo was not rejected at the file size, dimensions, background or
                          // face stage: not a JPEG, stamped, accepted, or could not be assessed
    Undecodable,          // the picture data cannot be decoded
    DetectorUnavailable,  // the face cascade could not be loaded
    NoFace,               // no face in the whole (turned) photo
    SeveralFaces,         // more than one face in the whole photo (`faces` tells how many)
    HeadAtEdge,           // the head lies too close to an edge for a crop that frames it
    TooSmall,             // the crop framing the head is smaller than the output: only
                          // enlarging would make it, and enlarging is refused
    FileWindow,           // no JPEG quality gives a file length inside the accepted window
};

// What the fix did, as far as it got.
struct PhotoFix {
    FixRefusal refusal = FixRefusal::None;
    int faces = 0;  // faces found in the whole turned photo

    // The steps, in the order they were taken. `turnedBy` is the orientation tag applied (2..8);
    // no tag, or tag 1, leaves the pixels as stored.
    std::optional<int> turnedBy;
    cv::Size uprightSize;       // the photo's size once turned, as viewers show it
    std::optional<cv::Rect> crop;    // in the upright photo's full-size pixels
    std::optional<cv::Size> scaledTo;  // set when the crop was scaled down
    int quality = 0;            // JPEG quality of the copy
    std::vector<std::uint8_t> bytes;  // the copy: a JPEG without orientation tag or stamp

    // The unchanged check of the copy's bytes; what the applicant is shown.
    std::optional<CheckOutcome> outcome;

    bool Made() const noexcept { return refusal == FixRefusal::None; }
};

// Whether a photo with this outcome is one the fix is for: rejected, after it was assessed, at
// the file size, dimensions, background or face stage.
bool IsFixOffered(const CheckOutcome& checked);

// PhotoChecker::FixPhoto on the photo's file, read again (never written); a file that is gone
// or can no longer be read is answered as undecodable.
PhotoFix FixPhotoFile(PhotoChecker& checker, const std::filesystem::path& photo, const CheckOutcome& checked);

}  // namespace velmora
