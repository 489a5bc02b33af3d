// The pictures compiled into the program: window background, sample portrait, button faces
// and icon, each drawn at the size it is shown and at twice that size.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

inline constexpr const char* kBackgroundPicture = ":/res/background.png";
inline constexpr const char* kSamplePortraitPicture = ":/res/sample.png";
inline constexpr const char* kOpenButtonFace = ":/res/open.png";
inline constexpr const char* kSaveButtonFace = ":/res/save.png";
inline constexpr const char* kExitButtonFace = ":/res/exit.png";

// A picture and its twin of twice the pixels, for screens of higher density.
template <class Picture>
struct SharpPicture {
    Picture normal;
    Picture doubled;  // null when the program has none

    // What to draw at the given ratio of device pixels to logical ones: the doubled picture
    // once the screen has more pixels than the normal one, so nothing is stretched up.
    const Picture& ForRatio(qreal devicePixelRatio) const
    {
        return devicePixelRatio > 1.0 && !doubled.isNull() ? doubled : normal;
    }
    bool isNull() const { return normal.isNull(); }
};
using SharpPixmap = SharpPicture<QPixmap>;

// Loads "name.png" and, if present, "name@2x.png" beside it.
SharpPixmap LoadSharpPixmap(const QString& path);

// The application icon in its 16, 32 and 48 pixel drawings (and their doubles).
QIcon LoadApplicationIcon();
