// Where the program's own files (setting.ini, the face cascade, tips/) are found.
#pragma once

#include <filesystem>

namespace velmora {

// The running executable's folder, with a trailing separator; the working directory when the
// executable's path cannot be found.
std::filesystem::path LocateProgramDirectory();

}  // namespace velmora
