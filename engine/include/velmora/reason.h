// Why a check ended as it did, in figures: what was measured, what the settings allow and which
// way the photo has to change. Front ends word these; the engine holds no user-interface text.
#pragma once

#include <optional>
#include <string_view>

namespace velmora {

enum class Finding {
    Accepted,            // every check passed
    AcceptedStamped,     // the photo carries the check stamp: shown as stored, not checked again
    AcceptedNormalised,  // normalise-only settings: resized, not checked
    StretchedOnSave,     // note on an accepted photo: measured = how much taller the output is than
                         // the photo's own aspect (output aspect / photo aspect, 1 = unchanged)
    StampIgnored,        // note: the photo carries the check stamp, but was checked in full
    NotJpeg,             // the file does not start with the JPEG start-of-image marker
    FileTooSmall,        // measured = file length in bytes; low = the smallest allowed length
    FileTooLarge,        // measured = file length in bytes; high = the largest allowed length
    Undecodable,         // the picture data cannot be decoded; see the outcome's decode failure
    TooNarrow,           // measured = width in pixels as stored; low = min_width (exclusive)
    TooShort,            // measured = height in pixels as stored; low = min_height (exclusive)
    NotUpright,          // measured = height / width as stored, at most 1; allowed (1, 2)
    TooElongated,        // measured = height / width as stored, at least 2; allowed (1, 2)
    BackgroundNotPlain,  // see the outcome's background failure
    NoFace,              // measured = 0
    SeveralFaces,        // measured = the number of faces found
    FaceTooLow,          // measured = ratio_y, share of the height below the chin line
    FaceTooHigh,         // measured = ratio_y
    FaceTooLarge,        // measured = ratio_x, share of the width the face box leaves free
    FaceTooSmall,        // measured = ratio_x
};

// Which way the measured value has to move to pass.
enum class Direction { None, Raise, Lower };

struct Reason {
    Finding finding = Finding::Accepted;
    double measured = 0;
    std::optional<double> low;  // the allowed range, as far as it is bounded
    std::optional<double> high;
    bool lowInclusive = false;
    bool highInclusive = false;
    Direction direction = Direction::None;
    std::string_view key;  // the setting.ini key of the bound that failed, if one did

    friend bool operator==(const Reason&, const Reason&) = default;
};

// Why picture data could not be decoded.
enum class DecodeFailure {
    None,
    TooManyBytes,   // the file is larger than any photo is read
    Truncated,      // the data ends before its end-of-image marker
    TooManyPixels,  // the frame declares more pixels than a photo is allowed
    TooManyScans,   // more progressive scans than any real photo has
    TooMuchMemory,  // the decoder would need more memory than a photo is allowed
    Damaged,        // picture data lost or corrupt on the way
    Unsupported,    // not a picture the decoder can read
};

// The strip of the background walk a pixel lies in.
enum class Strip { Left, Right };

// One examined strip pixel with the values the background rules judged.
struct BackgroundPixel {
    int row = 0;  // in the normalised photo
    int column = 0;
    Strip strip = Strip::Left;
    int h = 0;    // HSI hue byte
    float s = 0;  // HSV saturation, 0..1
    float v = 0;  // HSV value, 0..1

    friend bool operator==(const BackgroundPixel&, const BackgroundPixel&) = default;
};

// Which background rule was in force (`bgc`): white only, or red or blue (white passing too).
enum class BackgroundRule { White, RedOrBlue };

// The part of the rule a failing background pixel misses, on the rule's nearest alternative.
enum class BackgroundTest {
    TooDark,          // a low-saturation pixel: value must exceed i_max to count as white
    Tinted,           // white rule: saturation must stay below s_min
    ColourTooDark,    // red-or-blue rule, hue in a band: value must exceed i_min
    HueOutsideBands,  // red-or-blue rule, a saturated pixel whose hue is in neither band
};

// The hue bands of the red-or-blue rule in degrees, from the settings' units of 60 degrees.
struct HueBands {
    double redUpTo = 0;  // red_h_min
    double blueFrom = 0;  // blue_h_min
    double blueTo = 0;    // blue_h_max

    friend bool operator==(const HueBands&, const HueBands&) = default;
};

// Why the background failed, for advice: the corner of the first failing pixel and, over that
// corner's whole strip, the test its failing pixels miss most often, their median figure and
// how many of the strip's pixels fail. The verdict comes from the first failing pixel alone.
struct BackgroundFault {
    BackgroundRule rule = BackgroundRule::White;
    BackgroundTest test = BackgroundTest::TooDark;
    double measured = 0;    // value or saturation 0..1; for the hue, whole degrees 0..359
    double limit = 0;       // the setting the measure has to pass, 0..1; unused for the hue
    std::string_view key;   // that setting's key; empty for the hue
    HueBands bands;         // set for the red-or-blue rule
    Strip side = Strip::Left;
    int failingPixels = 0;  // in that corner's strip
    int stripPixels = 0;

    friend bool operator==(const BackgroundFault&, const BackgroundFault&) = default;
};

// Where the one face found lies in the normalised photo, as the position rule measures it.
struct FacePlacement {
    float ratioY = 0;  // share of the photo height below the estimated chin line
    float ratioX = 0;  // share of the photo width not covered by the face box
    bool wellPlaced = false;
};

}  // namespace velmora
