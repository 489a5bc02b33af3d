#include "record_json.h"

#include <cmath>
#include <limits>

namespace velmora_check {

void AddReportFields(JsonObject& json, const PhotoRecord& record)
{
    json.Add("outcome", record.outcome.Label());
    json.Add("reason", record.reason);
    if (const auto& size = record.normalisedSize)
        json.AddRaw("normalised", JsonObject().Add("width", size->width).Add("height", size->height).Close());
    else
        json.AddNull("normalised");
    std::string boxes = "[";
    for (const Box& box : record.faces) {
        if (boxes.size() > 1)
            boxes += ", ";
        boxes += JsonObject().Add("x", box.x).Add("y", box.y).Add("width", box.width).Add("height", box.height).Close();
    }
    json.AddRaw("faceBoxes", boxes + "]");
    std::string advisories = "[";
    for (const AdvisoryNote& note : record.advisories) {
        if (advisories.size() > 1)
            advisories += ", ";
        advisories += JsonObject()
                          .Add("kind", note.kind)
                          .AddRaw("measured", JsonNumber(note.measured))
                          .AddRaw("threshold", JsonNumber(note.threshold))
                          .Add("text", note.text)
                          .Close();
    }
    json.AddRaw("advisories", advisories + "]");
}

namespace {

// A whole number in int's range; anything else is not a pixel figure of ours.
std::optional<int> Integer(const JsonValue* value)
{
    const auto number = value ? value->Number() : std::nullopt;
    if (!number || *number != std::floor(*number) || *number < std::numeric_limits<int>::min() ||
        *number > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(*number);
}

std::optional<Box> BoxOf(const JsonValue& value)
{
    const auto x = Integer(value.Member("x"));
    const auto y = Integer(value.Member("y"));
    const auto width = Integer(value.Member("width"));
    const auto height = Integer(value.Member("height"));
    if (!x || !y || !width || !height)
        return std::nullopt;
    return Box{*x, *y, *width, *height};
}

std::optional<Outcome> OutcomeOf(const JsonValue& line)
{
    if (const JsonValue* error = line.Member("error"); error && error->String())
        return Outcome::Error(*error->String());
    const auto accepted = line.Member("accepted") ? line.Member("accepted")->Bool() : std::nullopt;
    if (!accepted)
        return std::nullopt;
    if (*accepted)
        return Outcome::Accepted();
    const auto tip = Integer(line.Member("tip"));
    if (!tip)
        return std::nullopt;
    return Outcome::Tip(*tip);
}

}  // namespace

std::optional<PhotoRecord> RecordFromJsonLine(std::string_view line)
{
    const std::optional<JsonValue> json = ParseJson(line);
    if (!json)
        return std::nullopt;
    const JsonValue* file = json->Member("file");
    const std::optional<Outcome> outcome = OutcomeOf(*json);
    if (!file || !file->String() || !outcome)
        return std::nullopt;

    PhotoRecord record;
    record.file = *file->String();
    record.outcome = *outcome;
    if (const JsonValue* reason = json->Member("reason"); reason && reason->String())
        record.reason = *reason->String();

    if (const JsonValue* size = json->Member("normalised"); size && !size->IsNull()) {
        const auto width = Integer(size->Member("width"));
        const auto height = Integer(size->Member("height"));
        if (width && height)
            record.normalisedSize = PictureSize{*width, *height};
    } else if (!size && outcome->kind == Outcome::Kind::Accepted) {
        // Lines written before the normalised size was recorded give the accepted photo's size.
        const auto width = Integer(json->Member("width"));
        const auto height = Integer(json->Member("height"));
        if (width && height)
            record.normalisedSize = PictureSize{*width, *height};
    }

    if (const JsonValue* boxes = json->Member("faceBoxes"); boxes && boxes->Array()) {
        for (const JsonValue& item : *boxes->Array())
            if (const auto box = BoxOf(item))
                record.faces.push_back(*box);
    } else if (const JsonValue* face = json->Member("face")) {
        if (const auto box = BoxOf(*face))
            record.faces.push_back(*box);
    }

    if (const JsonValue* advisories = json->Member("advisories"); advisories && advisories->Array())
        for (const JsonValue& item : *advisories->Array()) {
            const JsonValue* kind = item.Member("kind");
            const JsonValue* text = item.Member("text");
            const auto measured = item.Member("measured") ? item.Member("measured")->Number() : std::nullopt;
            const auto threshold = item.Member("threshold") ? item.Member("threshold")->Number() : std::nullopt;
            if (kind && kind->String() && text && text->String() && measured && threshold)
                record.advisories.push_back({*kind->String(), *measured, *threshold, *text->String()});
        }

    if (const JsonValue* further = json->Member("further"); further && further->Array())
        for (const JsonValue& item : *further->Array())
            if (const JsonValue* text = item.Member("text"); text && text->String())
                record.further.push_back(*text->String());

    if (const JsonValue* pixel = json->Member("backgroundFailure")) {
        const auto row = Integer(pixel->Member("row"));
        const auto column = Integer(pixel->Member("column"));
        if (row && column)
            record.backgroundFailure = PixelMark{*row, *column};
    }
    return record;
}

}  // namespace velmora_check
