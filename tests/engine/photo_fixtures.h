// Photos for the sequence and export tests: the committed fixtures, and small pictures
// made on the spot where a property (size, format, truncation) is the point.
#pragma once

#include <string>
#include <vector>

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include "velmora/check_types.h"
#include "velmora/settings.h"
#include "test_files.h"

inline std::filesystem::path Fixture(const std::string& name)
{
    return std::filesystem::path(VELMORA_FIXTURES_DIR) / name;
}

inline std::filesystem::path ProgramDir() { return std::filesystem::path(VELMORA_PROGRAM_DIR); }

// The settings installed with the program.
inline velmora::CheckSettings InstalledSettings()
{
    velmora::CheckSettings settings;
    EXPECT_TRUE(velmora::ReadCheckSettingsFile(ProgramDir() / "setting.ini", settings));
    return settings;
}

inline std::string Encode(const cv::Mat& image, const std::string& ext, std::vector<int> params = {})
{
    std::vector<uchar> bytes;
    cv::imencode(ext, image, bytes, params);
    return {bytes.begin(), bytes.end()};
}

// A plain white picture of the given size: plain background, no face.
inline cv::Mat WhitePicture(int width, int height) { return cv::Mat(height, width, CV_8UC3, cv::Scalar::all(255)); }

inline std::string WithStamp(std::string bytes)
{
    return bytes + std::string(velmora::kCheckStamp.begin(), velmora::kCheckStamp.end());
}
