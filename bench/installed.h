// What the benchmarks share: the build tree's program directory and its settings.
#pragma once

#include <cstdlib>
#include <filesystem>

#include "velmora/settings.h"

inline const std::filesystem::path kProgramDir = VELMORA_PROGRAM_DIR;

// The settings installed with the program; a benchmark without them would measure nothing real.
inline velmora::CheckSettings InstalledSettings()
{
    velmora::CheckSettings settings;
    if (!velmora::ReadCheckSettingsFile(kProgramDir / "setting.ini", settings))
        std::abort();
    return settings;
}
