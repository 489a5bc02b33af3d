#include "velmora_check/html_report.h"

#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "test_files.h"

namespace velmora_check {
namespace {

TEST(HtmlEscape, NeutralisesMarkupAndRepairsText)
{
    EXPECT_EQ(HtmlEscape("<script>alert('x')</script> & \"q\""),
              "&lt;script&gt;alert(&#39;x&#39;)&lt;/script&gt; &amp; &quot;q&quot;");
    EXPECT_EQ(HtmlEscape("bad\xFF"), "bad\xEF\xBF\xBD");
}

TEST(Base64, StandardAlphabetAndPadding)
{
    using namespace std::string_literals;
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", ""},         {"f", "Zg=="},         {"fo", "Zm8="},           {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"}, {"\xFF\xFE\x00"s, "//4A"},
    };
    for (const auto& [bytes, text] : cases)
        EXPECT_EQ(Base64(bytes), text);
}

TEST(CardHtml, PlacesFaceBoxesAndTheBackgroundMarkInShares)
{
    PhotoRecord record{"folder/<b>.jpg", Outcome::Tip(7), "2 faces", {{0, 0, 59, 413}, {236, 0, 59, 413}},
                       PixelMark{0, 294}, PictureSize{295, 413}, "JPEG"};
    const std::string card = CardHtml(record);
    EXPECT_NE(card.find(R"(class="card tip-7" data-outcome="tip-7")"), std::string::npos) << card;
    EXPECT_NE(card.find(R"(src="data:image/jpeg;base64,SlBFRw==")"), std::string::npos);
    EXPECT_NE(card.find(R"(style="left:0.00%;top:0.00%;width:20.00%;height:100.00%")"), std::string::npos);
    EXPECT_NE(card.find(R"(style="left:80.00%;top:0.00%;width:20.00%;height:100.00%")"), std::string::npos);
    EXPECT_NE(card.find(R"(class="mark" style="left:99.83%;top:0.12%")"), std::string::npos) << card;
    EXPECT_NE(card.find(R"(<span class="name" title="folder/&lt;b&gt;.jpg">&lt;b&gt;.jpg</span>)"), std::string::npos);
    EXPECT_NE(card.find(R"(<span class="folder">folder/</span>)"), std::string::npos);
    EXPECT_EQ(card.find("<b>"), std::string::npos);

    // Further findings follow the reason, one a line, escaped like it.
    record.further = {"background <grey>", "no face found"};
    EXPECT_NE(CardHtml(record).find(R"(<span class="reason">2 faces</span><span class="further">further: background )"
                                    R"(&lt;grey&gt;</span><span class="further">further: no face found</span>)"),
              std::string::npos);

    // Without the picture's size the marks would land anywhere: none are drawn.
    record.normalisedSize.reset();
    record.thumbnail.clear();
    const std::string bare = CardHtml(record);
    EXPECT_EQ(bare.find("class=\"face\""), std::string::npos);
    EXPECT_EQ(bare.find("class=\"mark\""), std::string::npos);
    EXPECT_NE(bare.find("no picture"), std::string::npos);
}

TEST(HtmlReport, CountsInTheBarAndCardsInInputOrder)
{
    TempDir dir;
    const auto page = dir.path() / "report.html";
    HtmlReport report(page);
    ASSERT_TRUE(report) << report.Error();
    report.Add({"3.jpg", Outcome::Tip(7), "none", {}, std::nullopt, std::nullopt, {}});
    report.Add({"1.jpg", Outcome::Accepted(), "", {}, std::nullopt, std::nullopt, {}});
    report.Add({"2.jpg", Outcome::Tip(7), "none", {}, std::nullopt, std::nullopt, {}});
    report.Add({"4.jpg", Outcome::Accepted(), "", {}, std::nullopt, std::nullopt, {},
                {{"blurred", 2.8, 2.6, "face <blurred>"}, {"headTilted", 9, 7, "head tilted"}}});
    report.Add({"5.jpg", Outcome::Tip(8), "low", {}, std::nullopt, std::nullopt, {}, {{"crownAtTop", 0, 0.01, "cut"}}});
    ASSERT_TRUE(report.Finish()) << report.Error();

    const std::string html = ReadWholeFile(page);
    std::vector<std::string> legend;
    const std::regex button(R"re(data-filter="([a-z0-9-]+)"[^>]*>.*?<b class="count">(\d+)</b>)re");
    for (std::sregex_iterator it(html.begin(), html.end(), button), end; it != end; ++it)
        legend.push_back((*it)[1].str() + "=" + (*it)[2].str());
    // Accepted photos with advisories get a filter of their own; a rejected one with an advisory
    // is not among them.
    EXPECT_EQ(legend, (std::vector<std::string>{"accepted=2", "tip-7=2", "tip-8=1", "second-look=1", "all=5"}));
    EXPECT_NE(html.find(R"(data-outcome="accepted" data-advisories="2">)"), std::string::npos);
    EXPECT_NE(html.find(R"(<span class="badge" title="face &lt;blurred&gt;)" "\n" R"(head tilted">2 advisories</span>)"),
              std::string::npos);
    EXPECT_NE(html.find(R"(<span class="advice">face &lt;blurred&gt;</span><span class="advice">head tilted</span>)"),
              std::string::npos);
    EXPECT_NE(html.find(R"(1 advisory</span>)"), std::string::npos);

    std::vector<std::string> names;
    const std::regex name(R"(<span class="name"[^>]*>([^<]*)</span>)");
    for (std::sregex_iterator it(html.begin(), html.end(), name), end; it != end; ++it)
        names.push_back((*it)[1].str());
    EXPECT_EQ(names, (std::vector<std::string>{"3.jpg", "1.jpg", "2.jpg", "4.jpg", "5.jpg"}));

    // Self-contained: nothing refers outside the page, and the page forbids itself to load anything.
    for (const char* reference : {"http:", "https:", "href=", "url(", "src="})  // these records had no thumbnails
        EXPECT_EQ(html.find(reference), std::string::npos) << reference;
    EXPECT_NE(html.find("default-src 'none'; img-src data:"), std::string::npos);
}

TEST(HtmlReport, FailsAtOnceWhenTheTargetCannotBeWritten)
{
    TempDir dir;
    HtmlReport report(dir.path() / "no such folder" / "report.html");
    EXPECT_FALSE(report);
    EXPECT_FALSE(report.Finish());
    EXPECT_FALSE(report.Error().empty());
}

}  // namespace
}  // namespace velmora_check
