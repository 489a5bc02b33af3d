// What the reason line says about a finished check, in Chinese.
#pragma once

#include <QString>

#include "velmora/photo_checker.h"
#include "shell/reason_line.h"

struct ReasonText {
    ReasonTone tone = ReasonTone::Hint;
    QString text;

    friend bool operator==(const ReasonText&, const ReasonText&) = default;
};

// The verdict in words: that the photo passed, or which check it failed and what to change.
// It explains the verdict; it decides nothing.
ReasonText DescribeOutcome(const velmora::CheckOutcome& outcome, const velmora::CheckSettings& settings);
