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

// A calibration photo as the checks see it: decoded and normalised (empty if it cannot be read).
inline cv::Mat NormalisedCalibrationPhoto(const std::string& file, const velmora::CheckSettings& settings)
{
    const cv::Mat decoded = cv::imread((Fixture("calibration") / file).string(), cv::IMREAD_COLOR);
    cv::Mat normal;
    if (!decoded.empty())
        cv::resize(decoded, normal, cv::Size(settings.dst_width, settings.dst_height), 0, 0, cv::INTER_LINEAR);
    return normal;
}

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
