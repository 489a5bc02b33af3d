// Counts of photos per outcome, for the closing summary and the report's bar.
#pragma once

#include <cstddef>
#include <map>
#include <string>

#include "photo_record.h"

namespace velmora_check {

struct SummaryOrderLess {
    bool operator()(const Outcome& a, const Outcome& b) const { return SummaryOrder(a, b); }
};

class OutcomeCounts {
public:
    void Add(const Outcome& outcome) { ++counts_[outcome]; ++total_; }
    std::size_t Total() const { return total_; }
    std::size_t Count(const Outcome& outcome) const;
    // Accepted, the tips by number, then the errors; only outcomes that occurred.
    const std::map<Outcome, std::size_t, SummaryOrderLess>& ByOutcome() const { return counts_; }

private:
    std::map<Outcome, std::size_t, SummaryOrderLess> counts_;
    std::size_t total_ = 0;
};

// The lines printed at the end of a run: the total, then one line per outcome; accepted and
// errors are always listed, so that a zero there is said rather than left out.
std::string SummaryText(const OutcomeCounts& counts, double seconds);

}  // namespace velmora_check
