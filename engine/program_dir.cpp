#include "velmora/program_dir.h"

#include <system_error>

#ifdef _WIN32
#include <windows.h>
#endif

namespace velmora {

namespace {

std::filesystem::path ExecutablePath()
{
#ifdef _WIN32
    // Grow the buffer until the whole path fits; long paths exceed MAX_PATH.
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return {};
        if (length < buffer.size()) {
            buffer.resize(length);
            return std::filesystem::path(buffer);
        }
        buffer.resize(buffer.size() * 2);
    }
#else
    std::error_code error;
    return std::filesystem::read_symlink("/proc/self/exe", error);
#endif
}

}  // namespace

std::filesystem::path LocateProgramDirectory()
{
    std::error_code error;
    const std::filesystem::path exe = ExecutablePath();
    const std::filesystem::path dir = exe.empty() ? std::filesystem::current_path(error) : exe.parent_path();
    return dir / "";  // keep the trailing separator
}

}  // namespace velmora
