// The check of one photo: the stages in their fixed order, each stopping the check when it
// fails, and everything the check learnt returned in one value.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include <opencv2/core/types.hpp>

#include "velmora/advisory.h"
#include "velmora/check_types.h"
#include "velmora/reason.h"

namespace velmora {

struct PhotoFix;  // velmora/photo_fix.h

// The cascade file the face detector loads from the program directory.
inline constexpr std::string_view kFaceCascadeFileName = "haarcascade_frontalface_alt2.xml";

// Why a photo could not be assessed at all, as opposed to a photo that was judged and rejected.
enum class CheckError {
    None,
    FileUnreadable,       // missing, a folder or device, no permission, or gone while read
    DetectorUnavailable,  // the face cascade could not be loaded
};

// The stages of a check in their order; a check stops at the first that fails.
enum class CheckStage { Signature, Stamp, NormaliseOnly, FileSize, Dimensions, Background, Face };

struct CheckOutcome {
    // Set when the photo could not be assessed. The verdict and tip still give what the
    // desktop program shows then (an unreadable file is answered like a file that is not a JPEG).
    CheckError error = CheckError::None;
    bool accepted = false;
    std::optional<TipImage> tip;  // set exactly when not accepted
    CheckStage stage = CheckStage::Signature;  // the last stage reached
    CheckVerdict verdict;         // the flags this check wrote; the others false
    CheckVerdict written;         // which flags this check wrote
    Image display;                // the tip picture, or the accepted photo; empty if a tip is unreadable
    std::vector<Reason> reasons;  // the verdict's reasons first, then notes; empty on an error
    // What the later stages found after the first failing one had decided: advice only, never
    // part of the verdict. Dimensions, background and face, as far as the photo could be decoded.
    std::vector<Reason> further;

    // What the check measured on the way, as far as it got.
    std::uintmax_t fileBytes = 0;
    std::optional<cv::Size> storedSize;  // decoded width x height as stored in the file
    std::optional<int> orientation;      // the EXIF orientation tag, when the file carries one
    DecodeFailure decodeFailure = DecodeFailure::None;
    std::optional<BackgroundPixel> backgroundFailure;  // when the background decided the verdict
    // Why the background failed, whether it decided the verdict or is a further finding.
    std::optional<BackgroundFault> backgroundFault;
    std::vector<cv::Rect> faces;             // in the normalised photo
    std::optional<FacePlacement> placement;  // when exactly one face was found
    // What the rules do not judge, measured on the normalised photo and its one face (accepted
    // or badly placed); never part of the verdict.
    std::vector<Advisory> advisories;

    // Copies the flags this check wrote into `kept`; the others keep what an earlier check left.
    void MergeInto(CheckVerdict& kept) const;
};

// Checks photos with one set of settings. Holds its own face detector, which is not safe to
// share: use one checker per thread.
class PhotoChecker {
public:
    // Reads the face cascade and finds the tip pictures in the program directory.
    PhotoChecker(const CheckSettings& settings, std::filesystem::path programDir);
    ~PhotoChecker();
    PhotoChecker(PhotoChecker&&) noexcept;
    PhotoChecker& operator=(PhotoChecker&&) noexcept;

    // False when the cascade could not be loaded; every photo reaching the face stage then
    // ends with CheckError::DetectorUnavailable.
    bool HasFaceDetector() const noexcept;
    const CheckSettings& Settings() const noexcept;

    // Whether a photo carrying the check stamp is accepted as stored (the default, as the desktop
    // program does) or checked in full: anyone can append the stamp's 16 bytes, so whoever vets
    // handed-in photos must be able to distrust it. An ignored stamp is noted among the reasons.
    void TrustStamp(bool trust) noexcept;

    // Reads the file once, refusing to read more than any photo needs, and checks its bytes.
    CheckOutcome Check(const std::filesystem::path& photo);
    CheckOutcome CheckBytes(std::span<const std::uint8_t> bytes);

    // A fixed copy of a photo this checker rejected (`checked` is its outcome), and the check
    // of that copy; or why none was made (velmora/photo_fix.h).
    PhotoFix FixPhoto(std::span<const std::uint8_t> bytes, const CheckOutcome& checked);

private:
    struct State;
    std::unique_ptr<State> m_state;
};

// The relative path of a tip picture in the program directory.
std::filesystem::path TipPicturePath(TipImage tip);

}  // namespace velmora
