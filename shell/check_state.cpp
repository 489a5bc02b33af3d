#include "shell/check_state.h"

#include "velmora/program_dir.h"

std::filesystem::path g_exeDir;
std::string g_exeDirA;
velmora::CheckSettings g_settings;
velmora::CheckVerdict g_verdict;
velmora::Image g_resultImage;

void LocateProgramDirectory()
{
    g_exeDir = velmora::LocateProgramDirectory();
    const std::u8string text = g_exeDir.u8string();
    g_exeDirA.assign(text.begin(), text.end());
}

velmora::SettingsLoad LoadCheckSettings() { return velmora::LoadCheckSettings(g_exeDir, g_settings); }

void RecordOutcome(const velmora::CheckOutcome& outcome)
{
    outcome.MergeInto(g_verdict);
    if (outcome.accepted)
        g_resultImage = outcome.display;
}
