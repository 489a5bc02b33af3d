// The batch checker's words: the engine hands over kinds and figures, this says them in English.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "photo_record.h"
#include "velmora/export.h"
#include "velmora/photo_checker.h"

namespace velmora_check {

// What a tip picture tells, in general.
const char* TipReason(velmora::TipImage tip);

// The finding's name in JSON lines, e.g. "faceTooLow".
std::string_view FindingName(velmora::Finding finding);

// One reason with its figures: what was measured against what the settings allow, e.g.
// "face too low: ratio_y 0.62, allowed 0.65 < ratio_y < 0.8 (ratio_y_min)". The background
// failure, when the reason is about it, comes from the outcome.
std::string ReasonText(const velmora::Reason& reason, const velmora::CheckOutcome& outcome);

// Every reason of the outcome, joined with "; ".
std::string ReasonsText(const velmora::CheckOutcome& outcome);

// Each further finding of the outcome (found after the verdict was fixed), in its order.
std::vector<std::string> FurtherTexts(const velmora::CheckOutcome& outcome);

// Why the background fails in the terms of the rule in force, e.g. "top-left corner too dark for
// white: value 0.62, white needs value > 0.7 (i_max), 1000 of 1000 strip pixels fail".
std::string BackgroundFaultText(const velmora::BackgroundFault& fault);
// The failed test's name in JSON lines, e.g. "tooDark".
std::string_view BackgroundTestName(velmora::BackgroundTest test);

// An advisory's name in JSON lines, e.g. "headTilted", and its clause with the figures and one
// sentence of advice, e.g. "head tilted: eye line at 9.1 degrees, allowed up to 7 (level the eyes)".
std::string_view AdvisoryName(velmora::AdvisoryKind kind);
std::string AdvisoryText(const velmora::Advisory& advisory);

std::string_view DecodeFailureText(velmora::DecodeFailure failure);
std::string_view CheckErrorText(velmora::CheckError error);
std::string ExportErrorText(const velmora::ExportResult& result, const std::filesystem::path& target);

// "PHOTO: accepted (295 x 413)", "PHOTO: rejected, tip 7: REASON" or "PHOTO: error: KIND",
// the reason line added after an acceptance that has notes, the further findings ("; further:
// ..."), the advisories ("; advisory: ...")
// when there are any, then the save note (", saved" or ", not saved: WHY") when there is one.
std::string TextLine(const PhotoRecord& record, const std::string& saveNote);

}  // namespace velmora_check
