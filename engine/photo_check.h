// Velmora photo check engine: settings, shared check state, the check sequence
// and the export of an accepted photo. No user-interface code lives here.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include <opencv2/core/mat.hpp>

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

    friend bool operator==(const CheckSettings&, const CheckSettings&) = default;
};

// The verdict of each stage of the last check. A stage writes only its own flags;
// the flags of stages not reached keep what an earlier check left.
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

struct CheckOutcome {
    bool accepted = false;
    std::optional<TipImage> tip;  // set exactly when not accepted
    Image display;                // the tip picture, or the accepted photo; empty if a tip is unreadable
};

// Process-wide state, written at start-up (directory, settings) or by each check.
extern std::filesystem::path g_exeDir;  // program directory, with its trailing separator
extern std::string g_exeDirA;           // the same directory as UTF-8 text
extern CheckSettings g_settings;
extern CheckVerdict g_verdict;
extern Image g_resultImage;  // the accepted photo waiting to be saved; empty otherwise

// Fills g_exeDir and g_exeDirA from the running executable's path.
void LocateProgramDirectory();

enum class SettingsStatus { Loaded, Missing, OutOfRange };

struct SettingsLoad {
    SettingsStatus status = SettingsStatus::Missing;
    std::string key;  // the offending key when status is OutOfRange

    explicit operator bool() const noexcept { return status == SettingsStatus::Loaded; }
};

// Reads setting.ini from the program directory into g_settings. Nothing is stored unless it loads.
SettingsLoad LoadCheckSettings(const std::filesystem::path& exeDir);

// Reads the given settings file into `out`; the same rules as LoadCheckSettings.
SettingsLoad ReadCheckSettingsFile(const std::filesystem::path& file, CheckSettings& out);

// Runs the checks on the photo in their fixed order, writing the verdict flags of every
// stage it reaches. On acceptance g_resultImage shares the accepted photo.
CheckOutcome RunPhotoCheck(const std::filesystem::path& photo, const CheckSettings& settings,
                           CheckVerdict& verdict);

struct ExportResult {
    bool ok = false;
    std::string reason;  // why the save failed; empty on success

    explicit operator bool() const noexcept { return ok; }
};

// Writes g_resultImage at `target` (JPEG quality 30 for a JPEG extension) and appends the
// check stamp unless the opened photo carried one. The target is replaced only on success.
ExportResult ExportAcceptedPhoto(const std::filesystem::path& target, const CheckVerdict& verdict);
