#include "velmora_check/progress.h"

#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace velmora_check {
namespace {

TEST(ProgressText, TellsRateAndTimeLeftOnceSomethingIsDone)
{
    struct Case {
        std::size_t done, total;
        double seconds;
        std::string text;
    };
    const std::vector<Case> cases = {
        {0, 10, 0.0, "0/10 photos"},
        {0, 10, 3.0, "0/10 photos"},
        {5, 10, 2.0, "5/10 photos  2.5 photos/s  2.0s left"},
        {120, 5000, 3.0, "120/5000 photos  40.0 photos/s  2m02s left"},
        {10, 10, 4.0, "10/10 photos  2.5 photos/s"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ProgressText(c.done, c.total, c.seconds), c.text);
}

TEST(DurationText, ShortestUnitsThatStayReadable)
{
    struct Case {
        double seconds;
        std::string text;
    };
    const std::vector<Case> cases = {
        {-1.0, "0.0s"}, {0.25, "0.2s"}, {9.94, "9.9s"}, {9.96, "10s"},        {59.4, "59s"},
        {59.6, "1m00s"}, {187.0, "3m07s"}, {3599.6, "1h00m"}, {7500.0, "2h05m"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DurationText(c.seconds), c.text) << c.seconds;
}

std::string Written(std::FILE* file)
{
    std::string text(static_cast<std::size_t>(std::ftell(file)), '\0');
    std::rewind(file);
    text.resize(std::fread(text.data(), 1, text.size(), file));
    return text;
}

TEST(ProgressLine, DrawsInPlaceAndClearsItself)
{
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    {
        ProgressLine line(file, true, 3);
        line.Update(1);  // first draw
        line.Update(2);  // within a tenth of a second: not drawn
        line.Update(3);  // the last photo is always drawn
    }  // and the line is cleared when the run ends
    const std::string text = Written(file);
    std::fclose(file);
    EXPECT_EQ(text.rfind("\r1/3 photos", 0), 0u) << text;
    EXPECT_EQ(text.find("\r2/3"), std::string::npos) << text;
    EXPECT_NE(text.find("\r3/3 photos"), std::string::npos) << text;
    EXPECT_EQ(text.substr(text.size() - 4), "\r\x1b[K");
}

TEST(ProgressLine, SilentWhenNotShown)
{
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    {
        ProgressLine line(file, false, 2);
        line.Update(1, true);
        line.Update(2);
        line.Clear();
    }
    EXPECT_EQ(std::ftell(file), 0);
    std::fclose(file);
}

}  // namespace
}  // namespace velmora_check
