// The page people look at after a run: a bar of counts per outcome, then one card per photo
// with its thumbnail, face boxes and background mark, filtered per outcome in the page.
// Self-contained: thumbnails are inline and the page forbids itself any other load.
#pragma once

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>

#include "photo_record.h"
#include "summary.h"

namespace velmora_check {

// Text for HTML content and quoted attribute values.
std::string HtmlEscape(std::string_view text);

std::string Base64(std::string_view bytes);

// One card, as it stands in the page.
std::string CardHtml(const PhotoRecord& record);

// Cards are kept in a temporary file until the counts for the bar are known, so that memory
// stays flat however many photos a run has.
class HtmlReport {
public:
    // Opens (and empties) the target at once, so that a bad path fails before any check runs.
    explicit HtmlReport(std::filesystem::path target);
    HtmlReport(const HtmlReport&) = delete;
    HtmlReport& operator=(const HtmlReport&) = delete;

    // False with Error() set when the target or the temporary file cannot be written.
    explicit operator bool() const { return error_.empty(); }
    const std::string& Error() const { return error_; }

    void Add(const PhotoRecord& record);
    // Writes the page; false with Error() set when it could not be written whole.
    bool Finish();

private:
    struct FileCloser {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    using File = std::unique_ptr<std::FILE, FileCloser>;

    void Fail(const std::string& what);

    std::filesystem::path target_;
    std::ofstream out_;
    File cards_;
    OutcomeCounts counts_;
    int secondLook_ = 0;  // accepted photos with advisories
    std::string error_;
};

}  // namespace velmora_check
