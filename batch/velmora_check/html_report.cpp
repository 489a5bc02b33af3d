#include "html_report.h"

#include <array>
#include <cerrno>
#include <cstring>

#include "command_line.h"
#include "utf8.h"

namespace velmora_check {

std::string HtmlEscape(std::string_view text)
{
    std::string out;
    for (const char c : ValidUtf8(text)) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string Base64(std::string_view bytes)
{
    static constexpr char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t left = bytes.size() - i;
        const auto byte = [&](std::size_t k) { return k < left ? static_cast<unsigned char>(bytes[i + k]) : 0u; };
        const unsigned group = byte(0) << 16 | byte(1) << 8 | byte(2);
        out += kDigits[group >> 18 & 63];
        out += kDigits[group >> 12 & 63];
        out += left > 1 ? kDigits[group >> 6 & 63] : '=';
        out += left > 2 ? kDigits[group & 63] : '=';
    }
    return out;
}

namespace {

// A position in the picture as a share of its side, for CSS.
std::string Percent(double part, int whole)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.2f%%", 100.0 * part / whole);
    return text;
}

constexpr std::string_view kHead = R"(<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<meta http-equiv="Content-Security-Policy" content="default-src 'none'; img-src data:; style-src 'unsafe-inline'; script-src 'unsafe-inline'">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>Photo check report</title>
<style>
body { font: 14px/1.35 system-ui, sans-serif; margin: 0; color: #1d1d1f; background: #f4f4f6; }
header { position: sticky; top: 0; z-index: 1; background: #fff; padding: 12px 16px; box-shadow: 0 1px 4px #0002; }
h1 { font-size: 18px; margin: 0 0 8px; }
.bar { display: flex; height: 14px; border-radius: 7px; overflow: hidden; background: #ddd; }
.bar span { min-width: 3px; }
.legend { display: flex; flex-wrap: wrap; gap: 6px; list-style: none; margin: 8px 0 0; padding: 0; }
.legend button { font: inherit; border: 1px solid #ccc; border-radius: 14px; background: #fff; padding: 2px 10px; cursor: pointer; }
.legend button[aria-pressed="true"] { border-color: #1d1d1f; background: #1d1d1f; color: #fff; }
.swatch { display: inline-block; width: 10px; height: 10px; border-radius: 5px; margin-right: 5px; }
#shown { color: #666; margin-left: 8px; }
main { display: grid; grid-template-columns: repeat(auto-fill, minmax(260px, 1fr)); gap: 10px; padding: 12px 16px; }
.card { display: flex; gap: 8px; margin: 0; background: #fff; border-radius: 6px; padding: 6px; border-left: 5px solid var(--c);
        content-visibility: auto; contain-intrinsic-size: auto 112px; }
[hidden] { display: none !important; }
.photo { position: relative; flex: none; height: 100px; background: #eee; }
.photo img { display: block; height: 100%; width: 100%; }
.photo .none { display: flex; height: 100%; align-items: center; justify-content: center; color: #999; font-size: 12px; text-align: center; }
.face { position: absolute; border: 2px solid #0a84ff; box-sizing: border-box; }
.mark { position: absolute; width: 12px; height: 12px; margin: -6px 0 0 -6px; border: 2px solid #ff2d55; border-radius: 50%; box-sizing: border-box; }
figcaption { min-width: 0; font-size: 12px; }
.verdict { display: block; font-weight: 600; color: var(--c); }
.name { display: block; font-size: 13px; overflow-wrap: anywhere; }
.folder { display: block; color: #888; overflow-wrap: anywhere; }
.reason { display: block; color: #555; margin-top: 2px; }
.badge { display: inline-block; font-weight: 600; font-size: 11px; color: #fff; background: #e67e00; border-radius: 8px; padding: 0 6px; }
.advice { display: block; color: #a35400; margin-top: 2px; }
.further { display: block; color: #555; font-style: italic; margin-top: 2px; }
.accepted { --c: #248a3d; }
.tip-1 { --c: #8e44ad; } .tip-3 { --c: #b8860b; } .tip-4 { --c: #d35400; }
.tip-6 { --c: #c0392b; } .tip-7 { --c: #2c6fbb; } .tip-8 { --c: #16a085; }
[class*="error"] { --c: #6e6e73; }
.swatch, .bar span { background: var(--c, #999); }
</style>
</head>
<body>
)";

constexpr std::string_view kTail = R"(</main>
<script>
(function () {
  var cards = document.querySelectorAll('.card');
  var buttons = document.querySelectorAll('[data-filter]');
  var shown = document.getElementById('shown');
  function show(filter) {
    var count = 0;
    for (var i = 0; i < cards.length; ++i) {
      var outcome = cards[i].getAttribute('data-outcome');
      var match = filter === 'all' || outcome === filter ||
                  (filter === 'second-look' && outcome === 'accepted' && cards[i].hasAttribute('data-advisories'));
      cards[i].hidden = !match;
      if (match) ++count;
    }
    for (var k = 0; k < buttons.length; ++k)
      buttons[k].setAttribute('aria-pressed', String(buttons[k].getAttribute('data-filter') === filter));
    shown.textContent = count + ' of ' + cards.length + ' shown';
  }
  // The filter lives in the address (#outcome=tip-7), so that a filtered view can be passed on.
  function fromAddress() {
    var match = /^#outcome=([a-z0-9-]+)$/.exec(location.hash);
    show(match ? match[1] : 'all');
  }
  document.addEventListener('click', function (event) {
    var button = event.target.closest('[data-filter]');
    if (!button) return;
    var filter = button.getAttribute('data-filter');
    location.hash = filter === 'all' ? '' : 'outcome=' + filter;
  });
  window.addEventListener('hashchange', fromAddress);
  fromAddress();
})();
</script>
</body>
</html>
)";

}  // namespace

std::string CardHtml(const PhotoRecord& record)
{
    const std::string token = record.outcome.Token();
    std::string html = "<figure class=\"card " + token + "\" data-outcome=\"" + token + "\"" +
                       (record.advisories.empty() ? "" : " data-advisories=\"" + std::to_string(record.advisories.size()) + "\"") +
                       ">";
    const PictureSize size = record.normalisedSize.value_or(PictureSize{3, 4});
    // The box keeps the normalised photo's aspect, so that marks in its pixels land in place.
    constexpr int kShownHeight = 100;  // as .photo in the style sheet, and the thumbnails' height
    const int width = (size.width * kShownHeight + size.height / 2) / std::max(size.height, 1);
    html += "<div class=\"photo\" style=\"width:" + std::to_string(std::max(width, 1)) + "px\">";
    if (!record.thumbnail.empty())
        html += "<img loading=\"lazy\" decoding=\"async\" alt=\"\" src=\"data:image/jpeg;base64," +
                Base64(record.thumbnail) + "\">";
    else
        html += "<span class=\"none\">no picture</span>";
    if (record.normalisedSize) {
        for (const Box& face : record.faces)
            html += "<i class=\"face\" style=\"left:" + Percent(face.x, size.width) + ";top:" +
                    Percent(face.y, size.height) + ";width:" + Percent(face.width, size.width) +
                    ";height:" + Percent(face.height, size.height) + "\"></i>";
        if (const auto& pixel = record.backgroundFailure)
            html += "<i class=\"mark\" style=\"left:" + Percent(pixel->column + 0.5, size.width) + ";top:" +
                    Percent(pixel->row + 0.5, size.height) + "\" title=\"first failing background pixel: row " +
                    std::to_string(pixel->row) + ", column " + std::to_string(pixel->column) + "\"></i>";
    }
    html += "</div><figcaption><span class=\"verdict\">" + HtmlEscape(record.outcome.Label()) + "</span>";
    // What the rules do not judge: a badge that says how much deserves a second look.
    if (!record.advisories.empty()) {
        std::string all;
        for (const AdvisoryNote& note : record.advisories)
            all += (all.empty() ? "" : "\n") + note.text;
        html += "<span class=\"badge\" title=\"" + HtmlEscape(all) + "\">" + std::to_string(record.advisories.size()) +
                (record.advisories.size() == 1 ? " advisory" : " advisories") + "</span>";
    }
    // The name stands out; the folder tells same-named photos apart.
    const std::size_t slash = record.file.find_last_of(PathSeparators());
    const std::string_view file = record.file;
    html += "<span class=\"name\" title=\"" + HtmlEscape(file) + "\">" +
            HtmlEscape(slash == std::string::npos ? file : file.substr(slash + 1)) + "</span>";
    if (slash != std::string::npos)
        html += "<span class=\"folder\">" + HtmlEscape(file.substr(0, slash + 1)) + "</span>";
    if (!record.reason.empty())
        html += "<span class=\"reason\">" + HtmlEscape(record.reason) + "</span>";
    for (const std::string& further : record.further)
        html += "<span class=\"further\">further: " + HtmlEscape(further) + "</span>";
    for (const AdvisoryNote& note : record.advisories)
        html += "<span class=\"advice\">" + HtmlEscape(note.text) + "</span>";
    html += "</figcaption></figure>\n";
    return html;
}

HtmlReport::HtmlReport(std::filesystem::path target)
    : target_(std::move(target)), out_(target_, std::ios::binary | std::ios::trunc), cards_(std::tmpfile())
{
    if (!out_)
        Fail("cannot write the report");
    else if (!cards_)
        Fail(std::string("cannot make a temporary file: ") + std::strerror(errno));
}

void HtmlReport::Fail(const std::string& what)
{
    if (error_.empty())
        error_ = what;
}

void HtmlReport::Add(const PhotoRecord& record)
{
    counts_.Add(record.outcome);
    if (record.outcome.kind == Outcome::Kind::Accepted && !record.advisories.empty())
        ++secondLook_;
    if (!cards_)
        return;
    const std::string card = CardHtml(record);
    if (std::fwrite(card.data(), 1, card.size(), cards_.get()) != card.size())
        Fail(std::string("cannot keep the report's cards in a temporary file: ") + std::strerror(errno));
}

bool HtmlReport::Finish()
{
    if (!*this)
        return false;
    out_ << kHead;
    const std::string total = std::to_string(counts_.Total());
    out_ << "<header>\n<h1>Photo check: " << total << (counts_.Total() == 1 ? " photo" : " photos") << "</h1>\n";
    out_ << "<div class=\"bar\">";
    for (const auto& [outcome, count] : counts_.ByOutcome())
        out_ << "<span class=\"" << outcome.Token() << "\" style=\"flex-grow:" << count << "\" title=\""
             << HtmlEscape(outcome.Label()) << ": " << count << "\"></span>";
    out_ << "</div>\n<ul class=\"legend\">";
    for (const auto& [outcome, count] : counts_.ByOutcome())
        out_ << "<li><button type=\"button\" class=\"" << outcome.Token() << "\" data-filter=\"" << outcome.Token()
             << "\" aria-pressed=\"false\"><i class=\"swatch\"></i>" << HtmlEscape(outcome.Label())
             << " <b class=\"count\">" << count << "</b></button></li>";
    // Accepted photos with advisories: the ones an authority may want to look at again.
    if (secondLook_ > 0)
        out_ << "<li><button type=\"button\" data-filter=\"second-look\" aria-pressed=\"false\">"
             << "accepted with advisories <b class=\"count\">" << secondLook_ << "</b></button></li>";
    out_ << "<li><button type=\"button\" data-filter=\"all\" aria-pressed=\"true\">all <b class=\"count\">" << total
         << "</b></button><span id=\"shown\"></span></li></ul>\n</header>\n<main>\n";

    std::rewind(cards_.get());
    std::array<char, 1 << 16> buffer;
    std::size_t read = 0;
    while ((read = std::fread(buffer.data(), 1, buffer.size(), cards_.get())) > 0)
        out_.write(buffer.data(), static_cast<std::streamsize>(read));
    if (std::ferror(cards_.get()))
        Fail("cannot read the report's cards back from the temporary file");
    out_ << kTail;
    out_.close();
    if (out_.fail())
        Fail("cannot write the report");
    return error_.empty();
}

}  // namespace velmora_check
