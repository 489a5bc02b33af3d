#include "velmora_check/json.h"

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace velmora_check {
namespace {

TEST(JsonString, EscapesAndRepairsText)
{
    struct Case {
        std::string text;
        std::string json;
    };
    const std::vector<Case> cases = {
        {"plain/a b.jpg", R"("plain/a b.jpg")"},
        {"q\"uote\\slash", R"("q\"uote\\slash")"},
        {"tab\tnew\nline\x01", R"("tab\u0009new\u000aline\u0001")"},
        {"caf\xC3\xA9 \xF0\x9F\x98\x80", "\"caf\xC3\xA9 \xF0\x9F\x98\x80\""},  // valid UTF-8 stays
        {"bad\xFF byte", "\"bad\xEF\xBF\xBD byte\""},
        {"cut \xE4\xB8", "\"cut \xEF\xBF\xBD\xEF\xBF\xBD\""},                 // sequence cut short
        {"overlong \xC0\xAF", "\"overlong \xEF\xBF\xBD\xEF\xBF\xBD\""},
        {"surrogate \xED\xA0\x80", "\"surrogate \xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(JsonString(c.text), c.json) << c.text;
}

TEST(JsonNumber, ShortestTextThatReadsBack)
{
    EXPECT_EQ(JsonNumber(0.1), "0.1");
    EXPECT_EQ(JsonNumber(123456789.0), "123456789");
    EXPECT_EQ(JsonNumber(0.41646487f), "0.41646487");  // a float, not its double widening
    EXPECT_EQ(JsonNumber(std::numeric_limits<double>::quiet_NaN()), "null");
    EXPECT_EQ(JsonNumber(std::numeric_limits<double>::infinity()), "null");
}

TEST(ParseJson, ReadsWhatJsonObjectWrites)
{
    const std::string line = JsonObject()
                                 .Add("file", "dir/q\"uote\n.jpg")
                                 .Add("accepted", false)
                                 .Add("tip", 7)
                                 .Add("ratio", 0.625f)
                                 .Add("bytes", 123456789LL)
                                 .AddNull("width")
                                 .AddRaw("boxes", "[{\"x\": 1}, {\"x\": -2.5e1}]")
                                 .Close();
    const auto json = ParseJson(line);
    ASSERT_TRUE(json) << line;
    EXPECT_EQ(*json->Member("file")->String(), "dir/q\"uote\n.jpg");
    EXPECT_EQ(json->Member("accepted")->Bool(), false);
    EXPECT_EQ(json->Member("tip")->Number(), 7.0);
    EXPECT_EQ(json->Member("ratio")->Number(), 0.625);
    EXPECT_EQ(json->Member("bytes")->Number(), 123456789.0);
    EXPECT_TRUE(json->Member("width")->IsNull());
    ASSERT_EQ(json->Member("boxes")->Array()->size(), 2u);
    EXPECT_EQ(json->Member("boxes")->Array()->at(1).Member("x")->Number(), -25.0);
    EXPECT_EQ(json->Member("absent"), nullptr);
    EXPECT_EQ(json->Member("tip")->String(), nullptr);  // asked for the wrong kind: nothing
}

TEST(ParseJson, DecodesEscapes)
{
    struct Case {
        std::string json;
        std::string text;
    };
    const std::vector<Case> cases = {
        {R"("a\/b\\c\"d")", "a/b\\c\"d"},
        {R"("\b\f\n\r\t")", "\b\f\n\r\t"},
        {R"("\u00e9\u4e2d")", "\xC3\xA9\xE4\xB8\xAD"},
        {R"("\ud83d\ude00")", "\xF0\x9F\x98\x80"},  // a surrogate pair is one code point
        {R"("\ud800x")", "\xEF\xBF\xBDx"},          // a lone surrogate has no UTF-8 form
    };
    for (const Case& c : cases) {
        const auto json = ParseJson(c.json);
        ASSERT_TRUE(json && json->String()) << c.json;
        EXPECT_EQ(*json->String(), c.text) << c.json;
    }
}

TEST(ParseJson, RefusesWhatIsNotJson)
{
    const std::vector<std::string> cases = {
        "", "   ", "{", "}", "{\"a\": }", "{\"a\" 1}", "{a: 1}", "[1, ]", "[1 2]", "+1", ".5", "-",
        "0x10", "nul", "truex", "\"open", "\"bad \\x escape\"", "\"\\u12\"", "\"raw\ncontrol\"",
        "{} trailing", "inf", "-inf", "nan",
    };
    for (const std::string& text : cases)
        EXPECT_FALSE(ParseJson(text)) << text;
}

TEST(ParseJson, SurvivesDeepNestingWithoutExhaustingTheStack)
{
    EXPECT_FALSE(ParseJson(std::string(100000, '[') + std::string(100000, ']')));
    EXPECT_TRUE(ParseJson(std::string(20, '[') + std::string(20, ']')));
}

}  // namespace
}  // namespace velmora_check
