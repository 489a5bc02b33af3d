// The report as people see it: rendered by headless Chromium, its DOM read back card by card.
#include <cstdlib>
#include <iostream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "photo_fixtures.h"
#include "run_check.h"
#include "velmora_check/record_json.h"

namespace {

namespace fs = std::filesystem;
using velmora_check::Outcome;
using velmora_check::PhotoRecord;

fs::path FindChromium()
{
    if (const char* chosen = std::getenv("VELMORA_CHROMIUM"))
        return chosen;
    const char* path = std::getenv("PATH");
    std::istringstream folders(path ? path : "");
    for (std::string folder; std::getline(folders, folder, ':');)
        for (const char* name : {"chromium", "chromium-browser"})
            if (const fs::path candidate = fs::path(folder) / name; access(candidate.c_str(), X_OK) == 0)
                return candidate;
    return {};
}

struct Card {
    std::string tag;  // the opening tag, with the attributes the page's script set
    std::string body;
};

std::vector<Card> Cards(const std::string& dom)
{
    std::vector<Card> cards;
    const std::regex card(R"((<figure class="card[^>]*>)([\s\S]*?)</figure>)");
    for (std::sregex_iterator it(dom.begin(), dom.end(), card), end; it != end; ++it)
        cards.push_back({(*it)[1].str(), (*it)[2].str()});
    return cards;
}

// Text as the browser serialises it: only &, < and > are escaped.
std::string DomText(const std::string& text)
{
    std::string out;
    for (const char c : text)
        out += c == '&' ? "&amp;" : c == '<' ? "&lt;" : c == '>' ? "&gt;" : std::string(1, c);
    return out;
}

std::size_t Occurrences(const std::string& text, const std::string& part)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

class ReportInBrowser : public testing::Test {
protected:
    // The rendered DOM of the page, after its script ran; `fragment` picks a filter.
    std::string RenderedDom(const fs::path& page, const std::string& fragment = "")
    {
        const fs::path profile = dir.path() / ("profile" + std::to_string(++renders_));
        const std::string command =
            "timeout 120 " + ShellQuote(FindChromium().string()) +
            " --headless --no-sandbox --disable-gpu --disable-quic --no-first-run --disable-background-networking"
            " --disable-component-update --disable-sync --user-data-dir=" + ShellQuote(profile.string()) +
            " --dump-dom " + ShellQuote("file://" + page.string() + fragment);
        const RunResult run = RunCommand(command, dir.path());
        EXPECT_EQ(run.status, 0) << run.err;
        return run.out;
    }

    TempDir dir;
    int renders_ = 0;
};

TEST_F(ReportInBrowser, EveryCardShowsItsPhotoVerdictAndMarks)
{
    const fs::path photos = dir.path() / "photos";
    fs::create_directories(photos / "more");
    for (const char* name : {"face_large.jpg", "face_low.jpg", "id_blue.jpg", "id_white.jpg", "no_face.jpg",
                             "two_faces.jpg"})
        fs::copy_file(Fixture(name), photos / name);
    fs::copy_file(Fixture("id_white.jpg"), photos / "more" / "<i>&\"odd\" name.jpg");
    WriteFile(photos / "more" / "png.jpg", Encode(WhitePicture(300, 400), ".png"));
    cv::Mat dark = cv::imread(Fixture("id_white.jpg").string(), cv::IMREAD_COLOR);
    dark(cv::Rect(dark.cols - 12, 30, 10, 10)).setTo(cv::Scalar(0, 0, 0));  // in the right strip, below its top
    WriteFile(photos / "more" / "dark.jpg", Encode(dark, ".jpg", {cv::IMWRITE_JPEG_QUALITY, 95}));

    const fs::path page = dir.path() / "report.html";
    const RunResult run = RunCommand(CheckCommand({"--json", "--report", page.string(), photos.string()}), dir.path());
    ASSERT_EQ(run.status, 1) << run.err;
    std::vector<PhotoRecord> records;
    std::istringstream lines(run.out);
    for (std::string line; std::getline(lines, line);) {
        const auto record = velmora_check::RecordFromJsonLine(line);
        ASSERT_TRUE(record) << line;
        records.push_back(*record);
    }
    ASSERT_EQ(records.size(), 9u);

    const std::string dom = RenderedDom(page);
    const std::vector<Card> cards = Cards(dom);
    ASSERT_EQ(cards.size(), records.size()) << dom.substr(0, 2000);
    for (std::size_t i = 0; i < cards.size(); ++i) {
        const PhotoRecord& record = records[i];
        const Card& card = cards[i];
        SCOPED_TRACE(record.file);
        const std::string name = fs::path(record.file).filename().string();
        EXPECT_NE(card.tag.find("data-outcome=\"" + record.outcome.Token() + "\""), std::string::npos) << card.tag;
        EXPECT_EQ(card.tag.find("hidden"), std::string::npos);
        std::string shownName = DomText(name);
        shownName.insert(0, 1, '>');
        shownName.append("</span>");
        EXPECT_NE(card.body.find(shownName), std::string::npos);
        EXPECT_NE(card.body.find("<span class=\"verdict\">" + record.outcome.Label() + "</span>"), std::string::npos);
        if (!record.reason.empty()) {
            EXPECT_NE(card.body.find(DomText(record.reason)), std::string::npos);
        }
        // A JPEG thumbnail (base64 of FF D8 FF) wherever the check got as far as the normalised photo.
        EXPECT_EQ(card.body.find("src=\"data:image/jpeg;base64,/9j/") != std::string::npos,
                  record.normalisedSize.has_value());
        EXPECT_EQ(Occurrences(card.body, "class=\"face\""), record.faces.size());
        EXPECT_EQ(Occurrences(card.body, "class=\"mark\""), record.backgroundFailure ? 1u : 0u);
    }
    // What the batch holds, so that the checks above covered every kind of card.
    const auto outcomeOf = [&](const std::string& name) {
        for (const PhotoRecord& record : records)
            if (fs::path(record.file).filename() == name)
                return record.outcome.Label();
        return std::string("missing");
    };
    EXPECT_EQ(outcomeOf("two_faces.jpg"), "tip 7");
    EXPECT_EQ(outcomeOf("dark.jpg"), "tip 6");
    EXPECT_EQ(outcomeOf("png.jpg"), "tip 1");
    EXPECT_EQ(outcomeOf("<i>&\"odd\" name.jpg"), "accepted");
    EXPECT_EQ(dom.find("<i>&"), std::string::npos);  // the odd name stayed text
    EXPECT_NE(dom.find("<span id=\"shown\">9 of 9 shown</span>"), std::string::npos);

    // The filter from the address: only the photos without a single face stay visible.
    const std::vector<Card> filtered = Cards(RenderedDom(page, "#outcome=tip-7"));
    ASSERT_EQ(filtered.size(), records.size());
    for (std::size_t i = 0; i < filtered.size(); ++i)
        EXPECT_EQ(filtered[i].tag.find("hidden") == std::string::npos, records[i].outcome == Outcome::Tip(7))
            << records[i].file;
    const std::string filteredDom = RenderedDom(page, "#outcome=tip-7");
    EXPECT_NE(filteredDom.find("<span id=\"shown\">2 of 9 shown</span>"), std::string::npos);
    EXPECT_NE(filteredDom.find("data-filter=\"tip-7\" aria-pressed=\"true\""), std::string::npos);
}

}  // namespace

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    if (FindChromium().empty()) {
        std::cout << "Chromium is not installed (scripts/setup.sh test installs it): skipped\n";
        return 77;
    }
    return RUN_ALL_TESTS();
}
