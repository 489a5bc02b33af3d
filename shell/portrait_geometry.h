// Where the head sits in the program's own drawn portraits: the sample beside the display area
// and the examples inside the tip pictures. Shares of the picture's height: crown (top of the
// hair) to chin, and the free band above the crown. The shipped face intervals accept heads of
// 62-72 % of the height with the crown 3-12 % below the top edge, so the pictures show the
// middle of that range, and the wrong example a head that is clearly too large and cut off.
#pragma once

struct PortraitGeometry {
    double headShare;
    double crownShare;  // negative: the crown is above the picture
};

inline constexpr PortraitGeometry kStandardPortrait{0.67, 0.075};
inline constexpr PortraitGeometry kTooLargePortrait{0.90, -0.08};

// The drawn head: the hair reaches 0.6 and the chin 0.5 of the face oval's height above and
// below the oval's centre, and the oval is 1.28 times as high as wide.
inline constexpr double kDrawnHeadPerOval = 1.1;
inline constexpr double kDrawnOvalAspect = 1.28;
