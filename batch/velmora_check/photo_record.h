// What the batch checker keeps of one checked photo for its summary and its report: plain
// values, so that a record read back from a JSON line is the same as one made by a check.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace velmora_check {

struct Box {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const Box&, const Box&) = default;
};

struct PixelMark {
    int row = 0;
    int column = 0;
    friend bool operator==(const PixelMark&, const PixelMark&) = default;
};

struct PictureSize {
    int width = 0;
    int height = 0;
    friend bool operator==(const PictureSize&, const PictureSize&) = default;
};

// Accepted, rejected with a tip picture, or not assessed at all; the three never mix.
struct Outcome {
    enum class Kind { Accepted, Tip, Error };
    Kind kind = Kind::Error;
    int tip = 0;        // the tip number when rejected
    std::string error;  // a short English error kind when not assessed, e.g. "unreadable"

    static Outcome Accepted() { return {Kind::Accepted, 0, {}}; }
    static Outcome Tip(int number) { return {Kind::Tip, number, {}}; }
    static Outcome Error(std::string kind) { return {Kind::Error, 0, std::move(kind)}; }

    // "accepted", "tip 7" or "error: unreadable": what people read and what the summary counts.
    std::string Label() const;
    // The same as a token for HTML attributes and URL fragments: "accepted", "tip-7", "error-unreadable".
    std::string Token() const;

    friend bool operator==(const Outcome&, const Outcome&) = default;
};

// Orders outcomes as people read a summary: accepted, the tips by number, then the errors.
bool SummaryOrder(const Outcome& a, const Outcome& b);

// A measurement outside the verdict that deserves a second look, e.g. a blurred face.
struct AdvisoryNote {
    std::string kind;  // its JSON name, e.g. "blurred"
    double measured = 0;
    double threshold = 0;
    std::string text;  // one English clause with the figures
    friend bool operator==(const AdvisoryNote&, const AdvisoryNote&) = default;
};

struct PhotoRecord {
    std::string file;        // as given, UTF-8 text
    Outcome outcome;
    std::string reason;      // one English line; empty for a plain acceptance
    std::vector<Box> faces;  // in normalised-photo pixels
    std::optional<PixelMark> backgroundFailure;   // in normalised-photo pixels
    std::optional<PictureSize> normalisedSize;    // the picture the boxes and the mark refer to
    std::string thumbnail;   // JPEG bytes of a small copy of that picture; empty when there is none
    std::vector<AdvisoryNote> advisories = {};  // never part of the outcome
    std::vector<std::string> further = {};      // found after the verdict was fixed: English clauses
};

}  // namespace velmora_check
