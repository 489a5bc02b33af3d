// The report's part of a JSON result line, and reading result lines back for --report-from.
#pragma once

#include <optional>
#include <string_view>

#include "json.h"
#include "photo_record.h"

namespace velmora_check {

// Adds the fields a report is made from: outcome, reason, normalised size and face boxes.
// The file name, the error kind, the background pixel and the figures come with the check's
// own fields.
void AddReportFields(JsonObject& json, const PhotoRecord& record);

// The record of one line written by --json, by this version or an earlier one (which lacked
// the outcome and reason fields); nothing when the line is not such an object. No thumbnail.
std::optional<PhotoRecord> RecordFromJsonLine(std::string_view line);

}  // namespace velmora_check
