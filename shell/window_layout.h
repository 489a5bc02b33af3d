// Where things stand in the main window. The artwork generator draws the background around the
// same rectangles, so a control and the frame painted for it can never drift apart.
#pragma once

#include <QRect>
#include <QSize>

// The main dialog's template, in dialog units.
inline constexpr QRect kMainDialogUnits{0, 0, 401, 277};
inline constexpr QRect kOpenButtonUnits{269, 95, 113, 37};
inline constexpr QRect kExitButtonUnits{271, 210, 113, 36};
inline constexpr QRect kSaveButtonUnits{271, 154, 112, 35};
inline constexpr QRect kPictureUnits{148, 99, 99, 129};
inline constexpr QRect kVersionTextUnits{340, 263, 55, 11};
// The reason line: under the preview, as wide as the sample and the preview together.
inline constexpr QRect kReasonLineUnits{23, 232, 225, 24};

// The window at 96 dots per inch (7 x 14 base units), the size the artwork is drawn for.
inline constexpr QSize kArtworkSize{702, 485};

// Parts of the artwork that the window paints itself from the loaded settings, in artwork
// pixels: the body of the "照片要求" card, and the sample portrait whose backdrop is a colour
// the settings accept.
inline constexpr QRect kRequirementLinesPixels{32, 87, 189, 56};
inline constexpr QRect kSamplePortraitPixels{44, 173, 173, 226};
