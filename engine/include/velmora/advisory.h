// What the verdict rules do not look at but a registrar would: measurements of the normalised
// photo and its one face, each beside the bound it crossed. They never change a verdict or a tip.
#pragma once

#include "velmora/reason.h"

namespace velmora {

enum class AdvisoryKind {
    Blurred,            // measured = the face's finest detail, share of its coarser contrast; below
    FaceTooDark,        // measured = the face's highlights (98th percentile luma, 0..255); below
    FaceTooBright,      // measured = the face's highlights; at or above threshold
    HighlightsClipped,  // measured = share of the face at luma 250 or more; above threshold
    HeadTilted,         // measured = roll of the eye line in degrees, signed (+: clockwise); |.| above
    CrownAtTop,         // measured = free rows above the head, share of the height; below threshold
    FaceNearSide,       // measured = free columns beside the face box, share of the width; below
    BusyBackground,     // measured = share of the band around the head that is busy; above threshold
};

struct Advisory {
    AdvisoryKind kind = AdvisoryKind::Blurred;
    double measured = 0;
    double threshold = 0;
    Direction direction = Direction::None;  // which way the measured value has to move

    friend bool operator==(const Advisory&, const Advisory&) = default;
};

}  // namespace velmora
