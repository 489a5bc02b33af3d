#include "velmora_check/summary.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace velmora_check {
namespace {

TEST(Outcome, LabelForPeopleTokenForPages)
{
    struct Case {
        Outcome outcome;
        std::string label, token;
    };
    const std::vector<Case> cases = {
        {Outcome::Accepted(), "accepted", "accepted"},
        {Outcome::Tip(7), "tip 7", "tip-7"},
        {Outcome::Error("unreadable"), "error: unreadable", "error-unreadable"},
        {Outcome::Error("Detector <missing>!"), "error: Detector <missing>!", "error-detector-missing"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.outcome.Label(), c.label);
        EXPECT_EQ(c.outcome.Token(), c.token);
    }
}

TEST(OutcomeCounts, AcceptedThenTipsByNumberThenErrors)
{
    OutcomeCounts counts;
    for (const Outcome& outcome : {Outcome::Error("unreadable"), Outcome::Tip(7), Outcome::Accepted(),
                                   Outcome::Tip(1), Outcome::Tip(7), Outcome::Error("detector unavailable")})
        counts.Add(outcome);
    std::vector<std::pair<std::string, std::size_t>> seen;
    for (const auto& [outcome, count] : counts.ByOutcome())
        seen.emplace_back(outcome.Label(), count);
    EXPECT_EQ(seen, (std::vector<std::pair<std::string, std::size_t>>{{"accepted", 1},
                                                                        {"tip 1", 1},
                                                                        {"tip 7", 2},
                                                                        {"error: detector unavailable", 1},
                                                                        {"error: unreadable", 1}}));
    EXPECT_EQ(counts.Total(), 6u);
    EXPECT_EQ(counts.Count(Outcome::Tip(8)), 0u);
}

TEST(SummaryText, SaysZeroAcceptedAndZeroErrorsRatherThanLeavingThemOut)
{
    OutcomeCounts counts;
    counts.Add(Outcome::Tip(4));
    counts.Add(Outcome::Tip(4));
    EXPECT_EQ(SummaryText(counts, 4.0),
              "2 photos in 4.0s (0.5 photos/s)\n"
              "       0  accepted\n"
              "       2  tip 4\n"
              "       0  errors\n");

    counts.Add(Outcome::Accepted());
    counts.Add(Outcome::Error("unreadable"));
    EXPECT_EQ(SummaryText(counts, 0.0),
              "4 photos\n"
              "       1  accepted\n"
              "       2  tip 4\n"
              "       1  errors\n"
              "       1    unreadable\n");
}

}  // namespace
}  // namespace velmora_check
