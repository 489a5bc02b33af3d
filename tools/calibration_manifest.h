// The list of calibration photos that make_calibration_fixtures writes beside them, read by
// its measurement and by the calibration test.
#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

inline constexpr const char* kCalibrationManifest = "manifest.tsv";

struct CalibrationEntry {
    std::string file;
    std::string kind;      // standard, small, large, cropped, low, cluttered, original
    std::string backdrop;  // white, blue, red, original, or the scene's name
    double crown = 0;      // the crown's distance from the top edge, share of the height
    double tilt = 0;       // the head's roll as framed, degrees
};

// The columns up to the tilt of each line after the header; the details that follow are for people.
inline std::vector<CalibrationEntry> ReadCalibrationManifest(const std::filesystem::path& folder)
{
    std::vector<CalibrationEntry> entries;
    std::ifstream in(folder / kCalibrationManifest);
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        CalibrationEntry e;
        std::getline(fields, e.file, '\t');
        std::getline(fields, e.kind, '\t');
        std::getline(fields, e.backdrop, '\t');
        std::string field;
        for (int column = 3; column <= 8 && std::getline(fields, field, '\t'); ++column) {
            if (column == 6)
                e.crown = std::stod(field);
            else if (column == 8)
                e.tilt = std::stod(field);
        }
        entries.push_back(e);
    }
    return entries;
}
