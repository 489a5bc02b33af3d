#include "english.h"

#include <cmath>
#include <cstdio>

#include "utf8.h"

namespace velmora_check {

using velmora::CheckError;
using velmora::DecodeFailure;
using velmora::ExportError;
using velmora::Finding;
using velmora::Reason;
using velmora::TipImage;

const char* TipReason(TipImage tip)
{
    switch (tip) {
    case TipImage::NotJpeg: return "not a JPEG file";
    case TipImage::FileSizeOutsideWindow: return "file length outside the allowed KiB window";
    case TipImage::BadDimensions: return "pixel size or aspect not acceptable, or the photo cannot be decoded";
    case TipImage::BackgroundNotPlain: return "background along the top corners is not plain";
    case TipImage::NoSingleFace: return "not exactly one frontal face";
    case TipImage::FaceBadlyPlaced: return "face too large, too small, too high or too low";
    }
    return "rejected";
}

std::string_view FindingName(Finding finding)
{
    switch (finding) {
    case Finding::Accepted: return "accepted";
    case Finding::AcceptedStamped: return "acceptedStamped";
    case Finding::AcceptedNormalised: return "acceptedNormalised";
    case Finding::StretchedOnSave: return "stretchedOnSave";
    case Finding::StampIgnored: return "stampIgnored";
    case Finding::NotJpeg: return "notJpeg";
    case Finding::FileTooSmall: return "fileTooSmall";
    case Finding::FileTooLarge: return "fileTooLarge";
    case Finding::Undecodable: return "undecodable";
    case Finding::TooNarrow: return "tooNarrow";
    case Finding::TooShort: return "tooShort";
    case Finding::NotUpright: return "notUpright";
    case Finding::TooElongated: return "tooElongated";
    case Finding::BackgroundNotPlain: return "backgroundNotPlain";
    case Finding::NoFace: return "noFace";
    case Finding::SeveralFaces: return "severalFaces";
    case Finding::FaceTooLow: return "faceTooLow";
    case Finding::FaceTooHigh: return "faceTooHigh";
    case Finding::FaceTooLarge: return "faceTooLarge";
    case Finding::FaceTooSmall: return "faceTooSmall";
    }
    return "unknown";
}

namespace {

// Whole numbers as such (file lengths, pixels); ratios to four significant digits.
std::string Figure(double value)
{
    char text[32];
    if (value == std::floor(value) && std::abs(value) < 1e15)
        std::snprintf(text, sizeof text, "%.0f", value);
    else
        std::snprintf(text, sizeof text, "%.4g", value);
    return text;
}

// "HEADLINE: QUANTITY FIGURE UNIT, allowed LOW < QUANTITY < HIGH (KEY)" from the reason's figures;
// a range bounded on one side only reads "QUANTITY > LOW" or "QUANTITY < HIGH".
std::string Measured(std::string_view headline, std::string_view quantity, std::string_view unit, const Reason& reason)
{
    std::string text(headline);
    text += ": ";
    text += quantity;
    text += ' ';
    text += Figure(reason.measured);
    text += unit;
    if (reason.low && reason.high) {
        text += ", allowed " + Figure(*reason.low) + (reason.lowInclusive ? " <= " : " < ");
        text += quantity;
        text += (reason.highInclusive ? " <= " : " < ") + Figure(*reason.high);
    } else if (reason.low) {
        text += ", allowed ";
        text += quantity;
        text += (reason.lowInclusive ? " >= " : " > ") + Figure(*reason.low);
    } else if (reason.high) {
        text += ", allowed ";
        text += quantity;
        text += (reason.highInclusive ? " <= " : " < ") + Figure(*reason.high);
    }
    if (!reason.key.empty()) {
        text += " (";
        text += reason.key;
        text += ')';
    }
    return text;
}

// A figure of 0..1 to two decimals, or three where two would read as the limit itself.
std::string Fraction(double value, double limit)
{
    char text[32];
    char bound[32];
    std::snprintf(text, sizeof text, "%.2f", value);
    std::snprintf(bound, sizeof bound, "%.2f", limit);
    if (std::string_view(text) == bound)
        std::snprintf(text, sizeof text, "%.3f", value);
    return text;
}

std::string BackgroundText(const velmora::CheckOutcome& outcome)
{
    std::string text = "background not plain";
    if (const auto& p = outcome.backgroundFailure) {
        char figures[160];
        std::snprintf(figures, sizeof figures, " at row %d, column %d (%s strip): hue %d, saturation %.3f, value %.3f",
                      p->row, p->column, p->strip == velmora::Strip::Left ? "left" : "right", p->h,
                      static_cast<double>(p->s), static_cast<double>(p->v));
        text += figures;
    }
    if (const auto& fault = outcome.backgroundFault)
        text += (outcome.backgroundFailure ? " - " : ": ") + BackgroundFaultText(*fault);
    else if (!outcome.backgroundFailure)
        text += ": no strip pixel could be examined (jc_a, jc_b)";
    return text;
}

}  // namespace

std::string BackgroundFaultText(const velmora::BackgroundFault& fault)
{
    using velmora::BackgroundTest;
    std::string text = fault.side == velmora::Strip::Left ? "top-left corner " : "top-right corner ";
    const std::string limit = Figure(static_cast<float>(fault.limit));
    switch (fault.test) {
    case BackgroundTest::TooDark:
        text += "too dark for white: value " + Fraction(fault.measured, fault.limit) + ", white needs value > " + limit + " (i_max)";
        break;
    case BackgroundTest::Tinted:
        text += "tinted, not white: saturation " + Fraction(fault.measured, fault.limit) + ", white needs saturation < " +
                limit + " (s_min)";
        break;
    case BackgroundTest::ColourTooDark:
        text += "too dark for blue or red: value " + Fraction(fault.measured, fault.limit) + ", needs value > " + limit +
                " (i_min)";
        break;
    case BackgroundTest::HueOutsideBands:
        text += "neither blue nor red: hue " + Figure(std::round(fault.measured)) + " degrees, blue needs " +
                Figure(std::round(fault.bands.blueFrom)) + "-" + Figure(std::round(fault.bands.blueTo)) +
                " (blue_h_min, blue_h_max), red up to " + Figure(std::round(fault.bands.redUpTo)) + " (red_h_min)";
        break;
    }
    if (fault.stripPixels > 0) {
        char share[64];
        std::snprintf(share, sizeof share, ", %d of %d strip pixels fail", fault.failingPixels, fault.stripPixels);
        text += share;
    }
    return text;
}

std::string_view BackgroundTestName(velmora::BackgroundTest test)
{
    using velmora::BackgroundTest;
    switch (test) {
    case BackgroundTest::TooDark: return "tooDark";
    case BackgroundTest::Tinted: return "tinted";
    case BackgroundTest::ColourTooDark: return "colourTooDark";
    case BackgroundTest::HueOutsideBands: return "hueOutsideBands";
    }
    return "unknown";
}

std::string_view DecodeFailureText(DecodeFailure failure)
{
    switch (failure) {
    case DecodeFailure::None: return "";
    case DecodeFailure::TooManyBytes: return "the file is larger than any photo is read";
    case DecodeFailure::Truncated: return "the picture data ends before its end marker";
    case DecodeFailure::TooManyPixels: return "the picture declares more pixels than a photo may have";
    case DecodeFailure::TooManyScans: return "more progressive scans than any real photo has";
    case DecodeFailure::TooMuchMemory: return "decoding would need more memory than a photo may take";
    case DecodeFailure::Damaged: return "the picture data is damaged";
    case DecodeFailure::Unsupported: return "a picture the decoder cannot read";
    }
    return "cannot be decoded";
}

std::string ReasonText(const Reason& reason, const velmora::CheckOutcome& outcome)
{
    switch (reason.finding) {
    case Finding::Accepted: return "accepted";
    case Finding::AcceptedStamped: return "carries the check stamp: shown as stored, not checked again";
    case Finding::AcceptedNormalised: return "normalised only, not checked (cast=1)";
    case Finding::StampIgnored: return "carries the check stamp: ignored, checked in full";
    case Finding::StretchedOnSave: {
        const double percent = std::abs(reason.measured - 1.0) * 100.0;
        char text[96];
        std::snprintf(text, sizeof text, "stretched %.1f %% %s when normalised", percent,
                      reason.measured > 1.0 ? "taller" : "wider");
        return text;
    }
    case Finding::NotJpeg: return "not a JPEG file";
    case Finding::FileTooSmall: return Measured("file too small", "bytes", "", reason);
    case Finding::FileTooLarge: return Measured("file too large", "bytes", "", reason);
    case Finding::Undecodable: {
        const std::string_view why = DecodeFailureText(outcome.decodeFailure);
        return why.empty() ? std::string("cannot be decoded") : "cannot be decoded: " + std::string(why);
    }
    case Finding::TooNarrow: return Measured("too narrow", "width", " px", reason);
    case Finding::TooShort: return Measured("too short", "height", " px", reason);
    case Finding::NotUpright: return Measured("not upright", "height/width", "", reason);
    case Finding::TooElongated: return Measured("too elongated", "height/width", "", reason);
    case Finding::BackgroundNotPlain: return BackgroundText(outcome);
    case Finding::NoFace: return "no face found";
    case Finding::SeveralFaces: return Figure(reason.measured) + " faces found, 1 allowed";
    case Finding::FaceTooLow: return Measured("face too low", "ratio_y", "", reason);
    case Finding::FaceTooHigh: return Measured("face too high", "ratio_y", "", reason);
    case Finding::FaceTooLarge: return Measured("face too large", "ratio_x", "", reason);
    case Finding::FaceTooSmall: return Measured("face too small", "ratio_x", "", reason);
    }
    return "unknown finding";
}

std::string_view AdvisoryName(velmora::AdvisoryKind kind)
{
    using velmora::AdvisoryKind;
    switch (kind) {
    case AdvisoryKind::Blurred: return "blurred";
    case AdvisoryKind::FaceTooDark: return "faceTooDark";
    case AdvisoryKind::FaceTooBright: return "faceTooBright";
    case AdvisoryKind::HighlightsClipped: return "highlightsClipped";
    case AdvisoryKind::HeadTilted: return "headTilted";
    case AdvisoryKind::CrownAtTop: return "crownAtTop";
    case AdvisoryKind::FaceNearSide: return "faceNearSide";
    case AdvisoryKind::BusyBackground: return "busyBackground";
    }
    return "unknown";
}

std::string AdvisoryText(const velmora::Advisory& a)
{
    using velmora::AdvisoryKind;
    const auto percent = [](double share) { return Figure(std::round(share * 1000.0) / 10.0) + " %"; };
    const std::string measured = Figure(std::round(a.measured * 100.0) / 100.0);
    const std::string bound = Figure(a.threshold);
    switch (a.kind) {
    case AdvisoryKind::Blurred:
        return "face blurred: fine detail " + percent(a.measured) + " of its contrast, allowed from " + percent(a.threshold) +
               " (focus on the eyes, hold the camera still)";
    case AdvisoryKind::FaceTooDark:
        return "face too dark: highlights " + measured + ", allowed from " + bound + " (add light or exposure)";
    case AdvisoryKind::FaceTooBright:
        return "face too bright: highlights " + measured + ", allowed below " + bound + " (less light or exposure)";
    case AdvisoryKind::HighlightsClipped:
        return "highlights clipped: " + percent(a.measured) + " of the face at white, allowed up to " + percent(a.threshold) +
               " (avoid direct flash and glare)";
    case AdvisoryKind::HeadTilted:
        return "head tilted: eye line at " + Figure(std::round(a.measured * 10.0) / 10.0) + " degrees, allowed up to " + bound +
               " (level the eyes)";
    case AdvisoryKind::CrownAtTop:
        return "head cut off at the top: " + percent(a.measured) + " free above the head, allowed from " + percent(a.threshold) +
               " (leave room above the hair)";
    case AdvisoryKind::FaceNearSide:
        return "face at a side edge: " + percent(a.measured) + " free beside the face, allowed from " + percent(a.threshold) +
               " (centre the head)";
    case AdvisoryKind::BusyBackground:
        return "busy background around the head: " + percent(a.measured) + " of it with edges, allowed up to " +
               percent(a.threshold) + " (stand before a plain wall)";
    }
    return "unknown advisory";
}

namespace {

std::string Joined(const std::vector<Reason>& reasons, const velmora::CheckOutcome& outcome)
{
    std::string text;
    for (const Reason& reason : reasons) {
        // The plain acceptance says nothing the verdict does not.
        if (reason.finding == Finding::Accepted)
            continue;
        if (!text.empty())
            text += "; ";
        text += ReasonText(reason, outcome);
    }
    return text;
}

}  // namespace

std::string ReasonsText(const velmora::CheckOutcome& outcome) { return Joined(outcome.reasons, outcome); }

std::vector<std::string> FurtherTexts(const velmora::CheckOutcome& outcome)
{
    std::vector<std::string> texts;
    for (const Reason& reason : outcome.further)
        texts.push_back(ReasonText(reason, outcome));
    return texts;
}

std::string_view CheckErrorText(CheckError error)
{
    switch (error) {
    case CheckError::None: return "";
    case CheckError::FileUnreadable: return "cannot read the file";
    case CheckError::DetectorUnavailable: return "face detector unavailable";
    }
    return "cannot check";
}

std::string ExportErrorText(const velmora::ExportResult& result, const std::filesystem::path& target)
{
    const std::string system = result.system ? ": " + result.system.message() : "";
    switch (result.error) {
    case ExportError::None: return "";
    case ExportError::NothingToSave: return "nothing to save";
    case ExportError::UnsupportedExtension: return "no encoder for the extension \"" + result.extension + "\"";
    case ExportError::CannotWrite: return "cannot write in the folder" + system;
    case ExportError::TargetExists: return PathText(target) + " exists";
    case ExportError::CannotReplace: return "cannot move the file into place" + system;
    }
    return "not saved";
}

std::string TextLine(const PhotoRecord& record, const std::string& saveNote)
{
    std::string line = record.file + ": ";
    switch (record.outcome.kind) {
    case Outcome::Kind::Accepted: {
        const PictureSize size = record.normalisedSize.value_or(PictureSize{});
        line += "accepted (" + std::to_string(size.width) + " x " + std::to_string(size.height) + ")";
        if (!record.reason.empty())
            line += ", " + record.reason;
        break;
    }
    case Outcome::Kind::Tip:
        line += "rejected, tip " + std::to_string(record.outcome.tip) + ": " + record.reason;
        break;
    case Outcome::Kind::Error:
        line += record.outcome.Label();
        if (!record.reason.empty())
            line += ": " + record.reason;
        break;
    }
    for (std::size_t i = 0; i < record.further.size(); ++i)
        line += (i == 0 ? "; further: " : "; ") + record.further[i];
    for (std::size_t i = 0; i < record.advisories.size(); ++i)
        line += (i == 0 ? "; advisory: " : "; ") + record.advisories[i].text;
    return line + saveNote;
}

}  // namespace velmora_check
