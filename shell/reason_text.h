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

// One advisory in words: its short name, what was measured against which bound, what to do.
struct AdvisoryWords {
    QString name;
    QString figures;
    QString advice;
};
AdvisoryWords WordAdvisory(const velmora::Advisory& advisory);

// The whole outcome: the verdict's reason first, then one note or a second reason if any, then
// the further findings named on one line opened by "另外：" and then each with its figures, then
// one line per advisory; an accepted photo's first line says "审核通过，但请注意：" and names them.
ReasonText DescribeOutcome(const velmora::CheckOutcome& outcome, const velmora::CheckSettings& settings);
