#include "inputs.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string_view>
#include <system_error>

namespace velmora_check {

namespace fs = std::filesystem;

bool HasPhotoExtension(const fs::path& file)
{
    const std::u8string extension = file.extension().u8string();
    std::string lower;
    for (const char8_t c : extension)
        lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    constexpr std::array<std::string_view, 4> kExtensions = {".jpg", ".jpeg", ".jpe", ".jfif"};
    return std::ranges::find(kExtensions, lower) != kExtensions.end();
}

namespace {

// `ancestors` holds the folders from the walk's start down to `folder`: a link that leads to one
// of them would walk for ever.
void Walk(const fs::path& folder, std::vector<fs::path>& ancestors, Inputs& inputs)
{
    std::error_code error;
    fs::directory_iterator it(folder, error);
    if (error) {
        inputs.notes.push_back({folder, "cannot read the folder: " + error.message()});
        return;
    }
    std::vector<fs::path> entries;
    for (; it != fs::directory_iterator(); it.increment(error)) {
        if (error)
            break;
        entries.push_back(it->path());
    }
    if (error)
        inputs.notes.push_back({folder, "cannot read the whole folder: " + error.message()});
    std::ranges::sort(entries, {}, [](const fs::path& entry) { return entry.filename().native(); });

    for (const fs::path& entry : entries) {
        const fs::file_status status = fs::status(entry, error);
        if (error) {
            // A dangling link or one that points at itself: whatever it meant is out of reach.
            inputs.notes.push_back({entry, "cannot read: " + error.message()});
            continue;
        }
        if (fs::is_directory(status)) {
            const bool loops = std::ranges::any_of(ancestors, [&](const fs::path& ancestor) {
                std::error_code ignored;
                return fs::equivalent(entry, ancestor, ignored);
            });
            if (loops) {
                inputs.notes.push_back({entry, "leads back to a folder being walked; not followed", false});
                continue;
            }
            ancestors.push_back(entry);
            Walk(entry, ancestors, inputs);
            ancestors.pop_back();
        } else if (HasPhotoExtension(entry)) {
            inputs.photos.push_back(entry);
        }
    }
}

}  // namespace

void WalkFolder(const fs::path& folder, Inputs& inputs)
{
    std::vector<fs::path> ancestors{folder};
    Walk(folder, ancestors, inputs);
}

void AddInput(const fs::path& input, Inputs& inputs)
{
    std::error_code error;
    if (fs::is_directory(input, error))
        WalkFolder(input, inputs);
    else
        inputs.photos.push_back(input);
}

std::vector<std::string> ReadList(std::istream& in, char separator)
{
    std::vector<std::string> entries;
    std::string entry;
    while (std::getline(in, entry, separator))
        if (!entry.empty())
            entries.push_back(std::move(entry));
    return entries;
}

}  // namespace velmora_check
