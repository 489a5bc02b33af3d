// Which photos a run checks: files named on the command line or in a list, and the photos
// found by walking folders.
#pragma once

#include <filesystem>
#include <istream>
#include <string>
#include <vector>

namespace velmora_check {

// Something the walk could not look into, or chose not to.
struct InputNote {
    std::filesystem::path path;
    std::string message;
    bool photosMissed = true;  // false where nothing can be lost, e.g. a link back to a folder walked already
};

struct Inputs {
    std::vector<std::filesystem::path> photos;
    std::vector<InputNote> notes;
};

// A JPEG by its name: .jpg, .jpeg, .jpe or .jfif in any letter case.
bool HasPhotoExtension(const std::filesystem::path& file);

// A folder is walked for photos; anything else is taken as a photo as it is, so that a missing
// or odd file is reported by the check rather than dropped.
void AddInput(const std::filesystem::path& input, Inputs& inputs);

// Walks the folder and the folders below it (following links, but never back into a folder on
// the way down), folder by folder with entries in byte order of their names.
void WalkFolder(const std::filesystem::path& folder, Inputs& inputs);

// The entries of a list separated by `separator` ('\n' or '\0'); empty entries are skipped.
std::vector<std::string> ReadList(std::istream& in, char separator);

}  // namespace velmora_check
