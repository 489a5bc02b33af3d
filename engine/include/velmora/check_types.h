// The records every part of the check shares: the thresholds from setting.ini, the verdict
// flags of the stages, and the tip pictures that answer a rejection.
#pragma once

#include <array>

#include <opencv2/core/mat.hpp>

namespace velmora {

// 8-bit, three channels, blue-green-red unless said otherwise; assignment shares pixels.
using Image = cv::Mat;

// Thresholds of every check and the size of the normalised photo, all from setting.ini.
// Field names are the keys of the file's section [zpshcs].
struct CheckSettings {
    int min_width = 100;
    int min_height = 100;
    int pic_min_size = 0;   // KiB, inclusive
    int pic_max_size = -1;  // KiB, inclusive; negative: no upper bound
    int dst_width = 295;
    int dst_height = 413;
    float ratio_y_min = 0.0f;
    float ratio_y_max = 0.0f;
    float ratio_x_min = 0.0f;
    float ratio_x_max = 0.0f;
    float s_min = 0.0f;
    float i_min = 0.0f;
    float i_max = 0.0f;
    float red_h_min = 0.0f;  // hue keys are in units of 60 degrees
    float red_h_max = 0.0f;
    float blue_h_min = 0.0f;
    float blue_h_max = 0.0f;
    int jc_a = 138;  // rows of each top-corner background strip
    int jc_b = 15;   // columns of each top-corner background strip
    int jc_precision = 5;
    int cast = 0;  // 1: only normalise the photo
    int bgc = 0;   // 1: red-or-blue background rules; otherwise white

    bool NormaliseOnly() const noexcept { return cast == 1; }
    bool RedOrBlueAllowed() const noexcept { return bgc == 1; }

    friend bool operator==(const CheckSettings&, const CheckSettings&) = default;
};

// The verdict of each stage of a check, one flag per stage.
struct CheckVerdict {
    bool jpeg = false;
    bool stamped = false;
    bool sizeOk = false;
    bool dimsOk = false;
    bool backgroundOk = false;
    bool faceOk = false;
    bool positionOk = false;

    friend bool operator==(const CheckVerdict&, const CheckVerdict&) = default;
};

// The tip pictures that answer a rejected photo; the numbers are the file names' (tips/stateN.jpg).
enum class TipImage {
    NotJpeg = 1,
    FileSizeOutsideWindow = 3,
    BadDimensions = 4,
    BackgroundNotPlain = 6,
    NoSingleFace = 7,
    FaceBadlyPlaced = 8,
};

// 16 bytes appended after the JPEG data of a saved photo: "ffffffffffffffe9". A photo ending
// with them has passed already and is not checked again.
inline constexpr std::array<char, 16> kCheckStamp = {'f', 'f', 'f', 'f', 'f', 'f', 'f', 'f',
                                                     'f', 'f', 'f', 'f', 'f', 'f', 'e', '9'};

}  // namespace velmora
