#include "summary.h"

#include <cstdio>

#include "progress.h"

namespace velmora_check {

std::size_t OutcomeCounts::Count(const Outcome& outcome) const
{
    const auto found = counts_.find(outcome);
    return found == counts_.end() ? 0 : found->second;
}

std::string SummaryText(const OutcomeCounts& counts, double seconds)
{
    std::string text = std::to_string(counts.Total()) + (counts.Total() == 1 ? " photo" : " photos");
    if (seconds > 0) {
        char rate[64];
        std::snprintf(rate, sizeof rate, " in %s (%.1f photos/s)", DurationText(seconds).c_str(),
                      static_cast<double>(counts.Total()) / seconds);
        text += rate;
    }
    text += '\n';
    const auto line = [&text](std::size_t count, const std::string& label) {
        char figure[32];
        std::snprintf(figure, sizeof figure, "%8zu  ", count);
        text += figure + label + '\n';
    };
    line(counts.Count(Outcome::Accepted()), "accepted");
    std::size_t errors = 0;
    for (const auto& [outcome, count] : counts.ByOutcome()) {
        if (outcome.kind == Outcome::Kind::Tip)
            line(count, outcome.Label());
        else if (outcome.kind == Outcome::Kind::Error)
            errors += count;
    }
    line(errors, "errors");
    for (const auto& [outcome, count] : counts.ByOutcome())
        if (outcome.kind == Outcome::Kind::Error)
            line(count, "  " + outcome.error);
    return text;
}

}  // namespace velmora_check
