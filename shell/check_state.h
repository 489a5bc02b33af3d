// The desktop program's process-wide state: the program directory and the settings, written
// once at start, and the verdict and the accepted photo of the last check, which Save uses.
#pragma once

#include <filesystem>
#include <string>

#include "velmora/check_types.h"
#include "velmora/photo_checker.h"
#include "velmora/settings.h"

extern std::filesystem::path g_exeDir;  // program directory, with its trailing separator
extern std::string g_exeDirA;           // the same directory as UTF-8 text
extern velmora::CheckSettings g_settings;
extern velmora::CheckVerdict g_verdict;    // each flag as the last check that reached its stage left it
extern velmora::Image g_resultImage;       // the accepted photo waiting to be saved; empty otherwise

// Fills g_exeDir and g_exeDirA from the running executable's path.
void LocateProgramDirectory();

// Reads setting.ini from g_exeDir into g_settings; nothing is stored unless it loads.
velmora::SettingsLoad LoadCheckSettings();

// Takes a finished check into the process-wide state: the verdict flags it wrote replace
// those in g_verdict, and an accepted photo becomes g_resultImage.
void RecordOutcome(const velmora::CheckOutcome& outcome);
