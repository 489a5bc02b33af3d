#include "velmora_check/record_json.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace velmora_check {
namespace {

// A result line as the check writes it: the file and background pixel come with its own fields.
std::string Line(const PhotoRecord& record)
{
    JsonObject json;
    json.Add("file", record.file).Add("accepted", record.outcome.kind == Outcome::Kind::Accepted);
    if (record.outcome.kind == Outcome::Kind::Tip)
        json.Add("tip", record.outcome.tip);
    else
        json.AddNull("tip");
    if (record.outcome.kind == Outcome::Kind::Error)
        json.Add("error", record.outcome.error);
    if (const auto& p = record.backgroundFailure)
        json.AddRaw("backgroundFailure", JsonObject().Add("row", p->row).Add("column", p->column).Add("h", 3).Close());
    AddReportFields(json, record);
    return json.Close();
}

void ExpectSame(const PhotoRecord& read, const PhotoRecord& written)
{
    EXPECT_EQ(read.file, written.file);
    EXPECT_EQ(read.outcome, written.outcome);
    EXPECT_EQ(read.reason, written.reason);
    EXPECT_EQ(read.faces, written.faces);
    EXPECT_EQ(read.backgroundFailure, written.backgroundFailure);
    EXPECT_EQ(read.normalisedSize, written.normalisedSize);
    EXPECT_EQ(read.advisories, written.advisories);
    EXPECT_TRUE(read.thumbnail.empty());
}

TEST(RecordJson, ReadsBackWhatItWrote)
{
    const std::vector<PhotoRecord> records = {
        {"a/id.jpg", Outcome::Accepted(), "", {{89, 96, 116, 116}}, std::nullopt, PictureSize{295, 413}, {}},
        {"b/\"two\".jpg", Outcome::Tip(7), "2 faces found, 1 allowed", {{17, 98, 114, 114}, {164, 100, 113, 113}},
         std::nullopt, PictureSize{295, 413}, {}},
        {"blue.jpg", Outcome::Tip(6), "background not plain", {}, PixelMark{0, 14}, PictureSize{295, 413}, {}},
        {"x.png", Outcome::Tip(1), "not a JPEG file", {}, std::nullopt, std::nullopt, {}},
        {"gone.jpg", Outcome::Error("cannot read the file"), "", {}, std::nullopt, std::nullopt, {}},
        {"soft.jpg", Outcome::Accepted(), "", {{89, 96, 116, 116}}, std::nullopt, PictureSize{295, 413}, {},
         {{"blurred", 2.8125, 2.6, "face blurred: \"soft\""}, {"crownAtTop", 0, 0.01, "head cut off at the top"}}},
    };
    for (const PhotoRecord& record : records) {
        const std::string line = Line(record);
        const auto read = RecordFromJsonLine(line);
        ASSERT_TRUE(read) << line;
        ExpectSame(*read, record);
    }
}

// Further findings come with the check's own fields, figures and all; the record keeps their text.
TEST(RecordJson, ReadsFurtherFindings)
{
    const auto read = RecordFromJsonLine(
        R"({"file": "w.jpg", "accepted": false, "tip": 4, "reasons": [], )"
        R"("further": [{"finding": "backgroundNotPlain", "measured": 0, "text": "background not plain: top-left"}, )"
        R"({"finding": "severalFaces", "measured": 2, "text": "2 faces found, 1 allowed"}], )"
        R"("outcome": "tip 4", "reason": "not upright"})");
    ASSERT_TRUE(read);
    EXPECT_EQ(read->further, (std::vector<std::string>{"background not plain: top-left", "2 faces found, 1 allowed"}));
    const auto earlier = RecordFromJsonLine(R"({"file": "w.jpg", "accepted": false, "tip": 4})");
    ASSERT_TRUE(earlier);
    EXPECT_TRUE(earlier->further.empty());
}

TEST(RecordJson, ReadsLinesOfTheEarlierFormat)
{
    // Written before lines carried the outcome, reason, normalised size and all face boxes.
    const auto accepted = RecordFromJsonLine(
        R"({"file": "id.jpg", "accepted": true, "tip": null, "verdict": {"jpeg": true}, "width": 295, )"
        R"("height": 413, "faces": 1, "face": {"x": 89, "y": 96, "width": 116, "height": 116, "ratioY": 0.4165, )"
        R"("ratioX": 0.6068}, "saved": true})");
    ASSERT_TRUE(accepted);
    ExpectSame(*accepted, {"id.jpg", Outcome::Accepted(), "", {{89, 96, 116, 116}}, std::nullopt,
                           PictureSize{295, 413}, {}});

    const auto rejected = RecordFromJsonLine(
        R"({"file": "blue.jpg", "accepted": false, "tip": 6, "width": null, "height": null, )"
        R"("backgroundFailure": {"row": 0, "column": 0, "h": 170, "s": 0.9, "v": 0.8}})");
    ASSERT_TRUE(rejected);
    EXPECT_EQ(rejected->outcome, Outcome::Tip(6));
    EXPECT_EQ(rejected->backgroundFailure, (PixelMark{0, 0}));
    EXPECT_FALSE(rejected->normalisedSize);  // unknown: the marks cannot be placed, so none are drawn
}

TEST(RecordJson, RefusesLinesThatAreNotResults)
{
    const std::vector<std::string> lines = {
        "not json",
        "[1, 2]",
        R"({"accepted": true})",                     // no file
        R"({"file": 7, "accepted": true})",          // file not text
        R"({"file": "a.jpg"})",                      // no outcome at all
        R"({"file": "a.jpg", "accepted": false})",   // rejected without a tip
        R"({"file": "a.jpg", "accepted": false, "tip": 6.5})",
        R"({"file": "a.jpg", "accepted": false, "tip": 1e300})",
        R"({"file": "a.jpg", "accepted": true)",     // cut short, as the last line of a killed run
    };
    for (const std::string& line : lines)
        EXPECT_FALSE(RecordFromJsonLine(line)) << line;
}

TEST(RecordJson, IgnoresMalformedFiguresButKeepsTheRecord)
{
    const auto record = RecordFromJsonLine(
        R"({"file": "a.jpg", "accepted": false, "tip": 7, "normalised": {"width": "wide"}, )"
        R"("faceBoxes": [{"x": 1, "y": 2, "width": 3, "height": 4}, {"x": "left"}, 5]})");
    ASSERT_TRUE(record);
    EXPECT_FALSE(record->normalisedSize);
    EXPECT_EQ(record->faces, (std::vector<Box>{{1, 2, 3, 4}}));

    const auto advised = RecordFromJsonLine(
        R"({"file": "a.jpg", "accepted": true, "tip": null, "advisories": [{"kind": "blurred", "measured": 3, )"
        R"("threshold": 2.6, "text": "face blurred"}, {"kind": "blurred", "text": "no figures"}, 5]})");
    ASSERT_TRUE(advised);
    EXPECT_EQ(advised->advisories, (std::vector<AdvisoryNote>{{"blurred", 3, 2.6, "face blurred"}}));
}

}  // namespace
}  // namespace velmora_check
