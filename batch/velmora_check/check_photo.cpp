#include "check_photo.h"

#include <cmath>

#include "english.h"
#include "fix_photo.h"
#include "record_json.h"
#include "utf8.h"

namespace velmora_check {

using velmora::CheckError;
using velmora::CheckOutcome;
using velmora::CheckStage;

namespace {

// The settings' bounds and the ratios are floats widened to double: written as the float they
// were (0.3, not 0.30000001192092896), so that they read like setting.ini.
std::string Figure(double value)
{
    const auto narrow = static_cast<float>(value);
    return static_cast<double>(narrow) == value ? JsonNumber(narrow) : JsonNumber(value);
}

std::string ReasonsJson(const std::vector<velmora::Reason>& reasons, const CheckOutcome& outcome)
{
    std::string json = "[";
    for (const velmora::Reason& reason : reasons) {
        if (json.size() > 1)
            json += ", ";
        JsonObject item;
        item.Add("finding", FindingName(reason.finding)).AddRaw("measured", Figure(reason.measured));
        if (reason.low)
            item.AddRaw("low", Figure(*reason.low)).Add("lowInclusive", reason.lowInclusive);
        if (reason.high)
            item.AddRaw("high", Figure(*reason.high)).Add("highInclusive", reason.highInclusive);
        if (reason.direction != velmora::Direction::None)
            item.Add("direction", reason.direction == velmora::Direction::Raise ? "raise" : "lower");
        if (!reason.key.empty())
            item.Add("key", reason.key);
        item.Add("text", ReasonText(reason, outcome));
        json += item.Close();
    }
    return json + "]";
}

}  // namespace

JsonObject JsonFields(const PhotoRecord& record, const CheckOutcome& outcome)
{
    const velmora::CheckVerdict& v = outcome.verdict;
    JsonObject json;
    json.Add("file", record.file).Add("accepted", outcome.accepted);
    if (outcome.tip)
        json.Add("tip", static_cast<int>(*outcome.tip));
    else
        json.AddNull("tip");
    if (outcome.error != CheckError::None)
        json.Add("error", CheckErrorText(outcome.error));
    json.AddRaw("verdict", JsonObject()
                               .Add("jpeg", v.jpeg)
                               .Add("stamped", v.stamped)
                               .Add("sizeOk", v.sizeOk)
                               .Add("dimsOk", v.dimsOk)
                               .Add("backgroundOk", v.backgroundOk)
                               .Add("faceOk", v.faceOk)
                               .Add("positionOk", v.positionOk)
                               .Close());
    if (outcome.accepted)
        json.Add("width", outcome.display.cols).Add("height", outcome.display.rows);
    else
        json.AddNull("width").AddNull("height");
    if (const auto& p = outcome.backgroundFailure)
        json.AddRaw("backgroundFailure", JsonObject()
                                             .Add("row", p->row)
                                             .Add("column", p->column)
                                             .Add("h", p->h)
                                             .Add("s", p->s)
                                             .Add("v", p->v)
                                             .Add("strip", p->strip == velmora::Strip::Left ? "left" : "right")
                                             .Close());
    if (const auto& f = outcome.backgroundFault) {
        JsonObject fault;
        fault.Add("rule", f->rule == velmora::BackgroundRule::White ? "white" : "redOrBlue")
            .Add("test", BackgroundTestName(f->test))
            .AddRaw("measured", Figure(f->measured));
        if (!f->key.empty())
            fault.AddRaw("limit", Figure(f->limit)).Add("key", f->key);
        // The bands are the settings' float sixtieths times 60 (18.0000007...): in whole
        // ten-thousandths of a degree they read as the degrees they mean.
        const auto degrees = [](double value) { return JsonNumber(std::round(value * 1e4) / 1e4); };
        if (f->rule == velmora::BackgroundRule::RedOrBlue)
            fault.AddRaw("redUpTo", degrees(f->bands.redUpTo))
                .AddRaw("blueFrom", degrees(f->bands.blueFrom))
                .AddRaw("blueTo", degrees(f->bands.blueTo));
        fault.Add("corner", f->side == velmora::Strip::Left ? "left" : "right")
            .Add("failingPixels", f->failingPixels)
            .Add("stripPixels", f->stripPixels);
        json.AddRaw("backgroundFault", fault.Close());
    }
    if (outcome.stage == CheckStage::Face && outcome.error == CheckError::None) {
        json.Add("faces", static_cast<int>(outcome.faces.size()));
        if (outcome.placement && outcome.faces.size() == 1) {
            const cv::Rect& r = outcome.faces.front();
            json.AddRaw("face", JsonObject()
                                    .Add("x", r.x)
                                    .Add("y", r.y)
                                    .Add("width", r.width)
                                    .Add("height", r.height)
                                    .Add("ratioY", outcome.placement->ratioY)
                                    .Add("ratioX", outcome.placement->ratioX)
                                    .Close());
        }
    }
    json.AddRaw("reasons", ReasonsJson(outcome.reasons, outcome));
    // Absent when the later stages found nothing or did not run, so that earlier lines read the same.
    if (!outcome.further.empty())
        json.AddRaw("further", ReasonsJson(outcome.further, outcome));
    AddReportFields(json, record);
    return json;
}

PhotoRecord RecordOf(const std::filesystem::path& photo, const CheckOutcome& outcome,
                     const velmora::CheckSettings& settings)
{
    PhotoRecord record;
    record.file = PathText(photo);
    if (outcome.error != CheckError::None)
        record.outcome = Outcome::Error(std::string(CheckErrorText(outcome.error)));
    else if (outcome.accepted)
        record.outcome = Outcome::Accepted();
    else
        record.outcome = Outcome::Tip(static_cast<int>(*outcome.tip));

    record.reason = ReasonsText(outcome);
    if (record.reason.empty() && outcome.tip && outcome.error == CheckError::None)
        record.reason = TipReason(*outcome.tip);

    // From the background stage on the check looked at the normalised photo; the faces and the
    // background pixel are in its pixels.
    if (outcome.accepted)
        record.normalisedSize = PictureSize{outcome.display.cols, outcome.display.rows};
    else if (outcome.stage == CheckStage::Background || outcome.stage == CheckStage::Face)
        record.normalisedSize = PictureSize{settings.dst_width, settings.dst_height};
    if (const auto& p = outcome.backgroundFailure)
        record.backgroundFailure = PixelMark{p->row, p->column};
    for (const cv::Rect& r : outcome.faces)
        record.faces.push_back({r.x, r.y, r.width, r.height});
    record.further = FurtherTexts(outcome);
    for (const velmora::Advisory& a : outcome.advisories)
        record.advisories.push_back({std::string(AdvisoryName(a.kind)), a.measured, a.threshold, AdvisoryText(a)});
    return record;
}

CheckedPhoto CheckPhoto(CheckWorker& worker, const std::filesystem::path& photo)
{
    const CheckOutcome outcome = worker.checker.Check(photo);
    CheckedPhoto checked;
    checked.record = RecordOf(photo, outcome, worker.checker.Settings());
    if (worker.thumbnails && checked.record.normalisedSize) {
        // The accepted photo is at hand; a rejected one is decoded again, as the check keeps
        // only the tip picture.
        checked.record.thumbnail = outcome.accepted
                                       ? ThumbnailJpeg(outcome.display, *checked.record.normalisedSize)
                                       : worker.thumbnails->OfFile(photo, *checked.record.normalisedSize);
    }
    checked.json = JsonFields(checked.record, outcome);
    if (outcome.accepted) {
        checked.accepted = outcome.display;
        // Only a photo accepted as stored keeps its stamp; one checked in full is stamped anew.
        checked.stamped = outcome.reasons.front().finding == velmora::Finding::AcceptedStamped;
    }
    if (worker.fix)
        checked.fix = FixOf(worker.checker, photo, outcome);
    return checked;
}

}  // namespace velmora_check
