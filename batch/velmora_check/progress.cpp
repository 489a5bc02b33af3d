#include "progress.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace velmora_check {

std::string DurationText(double seconds)
{
    seconds = std::max(seconds, 0.0);
    const auto whole = static_cast<long long>(std::llround(seconds));
    char text[32];
    if (seconds < 9.95)
        std::snprintf(text, sizeof text, "%.1fs", seconds);
    else if (whole >= 3600)
        std::snprintf(text, sizeof text, "%lldh%02lldm", whole / 3600, whole / 60 % 60);
    else if (whole >= 60)
        std::snprintf(text, sizeof text, "%lldm%02llds", whole / 60, whole % 60);
    else
        std::snprintf(text, sizeof text, "%llds", whole);
    return text;
}

std::string ProgressText(std::size_t done, std::size_t total, double seconds)
{
    std::string text = std::to_string(done) + "/" + std::to_string(total) + " photos";
    if (done == 0 || seconds <= 0)
        return text;
    const double rate = static_cast<double>(done) / seconds;
    char figures[32];
    std::snprintf(figures, sizeof figures, "  %.1f photos/s", rate);
    text += figures;
    if (done < total)
        text += "  " + DurationText(static_cast<double>(total - done) / rate) + " left";
    return text;
}

ProgressLine::ProgressLine(std::FILE* out, bool shown, std::size_t total) : out_(out), shown_(shown), total_(total) {}

void ProgressLine::Update(std::size_t done, bool force)
{
    if (!shown_)
        return;
    const Clock::time_point now = Clock::now();
    if (!force && done < total_ && now - lastDrawn_ < std::chrono::milliseconds(100))
        return;
    lastDrawn_ = now;
    const double seconds = std::chrono::duration<double>(now - start_).count();
    // Carriage return and erase-to-end keep the line in place however its length changes.
    std::fprintf(out_, "\r%s\x1b[K", ProgressText(done, total_, seconds).c_str());
    std::fflush(out_);
    drawn_ = true;
}

void ProgressLine::Clear()
{
    if (!drawn_)
        return;
    std::fprintf(out_, "\r\x1b[K");
    std::fflush(out_);
    drawn_ = false;
}

}  // namespace velmora_check
