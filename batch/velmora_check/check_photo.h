// One photo through the engine, turned into what the batch checker prints, saves and reports.
#pragma once

#include <filesystem>
#include <optional>

#include "json.h"
#include "photo_record.h"
#include "thumbnail.h"
#include "velmora/photo_checker.h"
#include "velmora/photo_fix.h"

namespace velmora_check {

// What one thread of a run owns: the checker and, for the report, the thumbnail maker.
struct CheckWorker {
    velmora::PhotoChecker checker;
    std::optional<ThumbnailMaker> thumbnails;  // only when a report is made
    bool fix = false;                          // --fix-dir: rejected photos are fixed too
};

struct CheckedPhoto {
    PhotoRecord record;
    JsonObject json;            // the line --json prints, but for the save result, known only later
    velmora::Image accepted;    // what --save-dir writes; empty unless accepted
    bool stamped = false;       // the photo carried the check stamp already
    std::optional<velmora::PhotoFix> fix;  // --fix-dir, for a rejected photo
};

// The JSON fields of a checked photo: the engine's figures, then what the report is made from.
JsonObject JsonFields(const PhotoRecord& record, const velmora::CheckOutcome& outcome);

// The record of a checked photo, without its thumbnail; `settings` are the checker's.
PhotoRecord RecordOf(const std::filesystem::path& photo, const velmora::CheckOutcome& outcome,
                     const velmora::CheckSettings& settings);

CheckedPhoto CheckPhoto(CheckWorker& worker, const std::filesystem::path& photo);

}  // namespace velmora_check
