// The pictures compiled into the program: window background, button faces and icon.
#pragma once

#include <QIcon>

inline constexpr const char* kBackgroundPicture = ":/res/background.png";
inline constexpr const char* kOpenButtonFace = ":/res/open.png";
inline constexpr const char* kSaveButtonFace = ":/res/save.png";
inline constexpr const char* kExitButtonFace = ":/res/exit.png";

// The application icon in its 16, 32 and 48 pixel drawings.
QIcon LoadApplicationIcon();
