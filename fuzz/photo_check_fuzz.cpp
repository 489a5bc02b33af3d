// Any bytes as the chosen photo, through the whole check with the installed settings.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "engine/face.h"
#include "engine/photo_check.h"

namespace {

const std::filesystem::path& PhotoFile()
{
    static const std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("velmora-fuzz-" + std::to_string(::getpid()) + ".jpg");
    return file;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    g_exeDir = VELMORA_PROGRAM_DIR;
    if (!LoadCheckSettings(g_exeDir) || !LoadFaceCascade(g_exeDir))
        std::abort();
    std::atexit([] { std::filesystem::remove(PhotoFile()); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    {
        std::ofstream out(PhotoFile(), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    g_resultImage.release();
    const CheckOutcome outcome = RunPhotoCheck(PhotoFile(), g_settings, g_verdict);
    // The verdict and the picture must agree whatever the bytes were.
    if (outcome.accepted != !outcome.tip.has_value() || (outcome.accepted && g_resultImage.empty()))
        std::abort();
    return 0;
}
