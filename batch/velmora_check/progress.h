// One self-updating line on a terminal that tells how far a run is.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdio>
#include <string>

namespace velmora_check {

// "120/5000 photos  35.2 photos/s  2m19s left"; the rate and time left once something is done.
std::string ProgressText(std::size_t done, std::size_t total, double seconds);

// "2h05m", "3m07s" or "12s".
std::string DurationText(double seconds);

class ProgressLine {
public:
    // Shows nothing unless `shown`; the caller decides (a terminal, and not --quiet).
    ProgressLine(std::FILE* out, bool shown, std::size_t total);
    ~ProgressLine() { Clear(); }
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    // Redraws at most ten times a second, and always for the last photo or when forced.
    void Update(std::size_t done, bool force = false);
    // Removes the line, so that what follows starts on a clean line.
    void Clear();

private:
    using Clock = std::chrono::steady_clock;
    std::FILE* out_;
    bool shown_;
    bool drawn_ = false;
    std::size_t total_;
    Clock::time_point start_ = Clock::now();
    Clock::time_point lastDrawn_{};
};

}  // namespace velmora_check
