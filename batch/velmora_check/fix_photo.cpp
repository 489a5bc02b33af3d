#include "fix_photo.h"

#include "check_photo.h"
#include "english.h"
#include "json.h"
#include "utf8.h"
#include "velmora/export.h"

namespace velmora_check {

using velmora::FixRefusal;
using velmora::PhotoFix;

namespace {

std::string Size(int width, int height) { return std::to_string(width) + " x " + std::to_string(height); }

// The rectangle's fields, for the crop step and the crop itself.
JsonObject RectFields(JsonObject object, const cv::Rect& r)
{
    return object.Add("x", r.x).Add("y", r.y).Add("width", r.width).Add("height", r.height);
}

std::string StepsJson(const PhotoFix& fix)
{
    std::string json = "[";
    const auto add = [&](const JsonObject& step) { json += (json.size() > 1 ? ", " : "") + step.Close(); };
    if (fix.turnedBy)
        add(JsonObject().Add("step", "turn").Add("orientation", *fix.turnedBy));
    if (fix.crop)
        add(RectFields(JsonObject().Add("step", "crop"), *fix.crop));
    if (fix.scaledTo)
        add(JsonObject().Add("step", "scale").Add("width", fix.scaledTo->width).Add("height", fix.scaledTo->height));
    add(JsonObject().Add("step", "encode").Add("quality", fix.quality));
    return json + "]";
}

}  // namespace

std::optional<PhotoFix> FixOf(velmora::PhotoChecker& checker, const std::filesystem::path& photo,
                              const velmora::CheckOutcome& outcome)
{
    if (outcome.accepted)
        return std::nullopt;
    return velmora::FixPhotoFile(checker, photo, outcome);
}

std::string_view FixRefusalName(FixRefusal refusal)
{
    switch (refusal) {
    case FixRefusal::None: return "none";
    case FixRefusal::NotOffered: return "notOffered";
    case FixRefusal::Undecodable: return "undecodable";
    case FixRefusal::DetectorUnavailable: return "detectorUnavailable";
    case FixRefusal::NoFace: return "noFace";
    case FixRefusal::SeveralFaces: return "severalFaces";
    case FixRefusal::HeadAtEdge: return "headAtEdge";
    case FixRefusal::TooSmall: return "tooSmall";
    case FixRefusal::FileWindow: return "fileWindow";
    }
    return "unknown";
}

std::string FixRefusalText(const PhotoFix& fix)
{
    switch (fix.refusal) {
    case FixRefusal::None: return "";
    case FixRefusal::NotOffered: return "not offered for this rejection";
    case FixRefusal::Undecodable: return "the picture cannot be decoded";
    case FixRefusal::DetectorUnavailable: return "no face detector";
    case FixRefusal::NoFace: return "no face in the whole photo";
    case FixRefusal::SeveralFaces: return std::to_string(fix.faces) + " faces in the whole photo";
    case FixRefusal::HeadAtEdge: return "the head is too close to an edge to frame";
    case FixRefusal::TooSmall: return "too small to crop without enlarging";
    case FixRefusal::FileWindow: return "no JPEG quality fits the file size window";
    }
    return "no fix";
}

std::string FixStepsText(const PhotoFix& fix)
{
    std::string text;
    const auto add = [&](const std::string& step) { text += (text.empty() ? "" : ", ") + step; };
    if (fix.turnedBy)
        add("turned by orientation " + std::to_string(*fix.turnedBy));
    if (fix.crop)
        add("cropped to " + Size(fix.crop->width, fix.crop->height) + " at (" + std::to_string(fix.crop->x) + ", " +
            std::to_string(fix.crop->y) + ")");
    if (fix.scaledTo)
        add("scaled to " + Size(fix.scaledTo->width, fix.scaledTo->height));
    add("JPEG quality " + std::to_string(fix.quality));
    return text;
}

FixReport WriteFix(const PhotoFix& fix, const std::filesystem::path& photo, const std::filesystem::path& dir,
                   const velmora::CheckSettings& settings)
{
    FixReport report;
    JsonObject json;
    json.Add("made", fix.Made());
    if (!fix.Made()) {
        json.Add("reason", FixRefusalName(fix.refusal)).Add("text", FixRefusalText(fix));
        if (fix.refusal == FixRefusal::SeveralFaces || fix.refusal == FixRefusal::NoFace)
            json.Add("faces", fix.faces);
        report.json = json.Close();
        report.note = "; no fix: " + FixRefusalText(fix);
        return report;
    }
    const std::filesystem::path target = dir / photo.filename();
    const velmora::ExportResult written = velmora::WriteFileBytes(fix.bytes, target, velmora::ExportMode::KeepExisting);
    report.written = static_cast<bool>(written);
    report.copyAccepted = fix.outcome && fix.outcome->accepted;

    json.AddRaw("steps", StepsJson(fix));
    if (fix.crop)
        json.AddRaw("crop", RectFields(JsonObject(), *fix.crop).Close());
    json.Add("quality", fix.quality).Add("file", PathText(target)).Add("written", report.written);
    if (!written)
        json.Add("writeError", ExportErrorText(written, target));
    std::string copyLine;
    if (fix.outcome) {
        const PhotoRecord record = RecordOf(target, *fix.outcome, settings);
        json.AddRaw("outcome", JsonFields(record, *fix.outcome).Close());
        copyLine = TextLine(record, written ? "" : ", not written: " + ExportErrorText(written, target));
    }
    report.json = json.Close();
    report.note = "; fixed (" + FixStepsText(fix) + "): " + copyLine;
    return report;
}

}  // namespace velmora_check
