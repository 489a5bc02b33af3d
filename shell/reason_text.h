// What the reason line says about a finished check, in Chinese: the measured value, the allowed
// range and which way to go. It explains the verdict; it decides nothing.
#pragma once

#include <QString>

#include "shell/reason_line.h"
#include "velmora/photo_checker.h"

struct ReasonText {
    ReasonTone tone = ReasonTone::Hint;
    QString text;  // one or two lines, separated by a newline

    friend bool operator==(const ReasonText&, const ReasonText&) = default;
};

// One finding in words, with the figures of the outcome it belongs to.
QString WordReason(const velmora::Reason& reason, const velmora::CheckOutcome& outcome,
                   const velmora::CheckSettings& settings);

// The whole outcome: the verdict's reason first, then one note or a second reason if any.
ReasonText DescribeOutcome(const velmora::CheckOutcome& outcome, const velmora::CheckSettings& settings);
