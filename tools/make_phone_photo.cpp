// Writes phone photos for the README's screenshots of the automatic fix: a committed
// calibration portrait on a plain wall, 3024 x 4032 with the head a quarter of the height,
// as a phone stores it upright and sideways under orientation tag 6.
//
//   make_phone_photo <output folder>     (writes phone.jpg and phone_sideways.jpg)
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "portrait_scenes.h"

namespace ps = portrait_scenes;

namespace {

bool Write(const std::filesystem::path& file, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fputs("usage: make_phone_photo <output folder>\n", stderr);
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    const cv::Mat upright = ps::Scene({3024, 4032}, {ps::Placement{}});
    if (!Write(dir / "phone.jpg", ps::EncodeJpeg(upright)) ||
        !Write(dir / "phone_sideways.jpg", ps::WithOrientation(ps::EncodeJpeg(ps::StoredFor(upright, 6)), 6))) {
        std::fputs("make_phone_photo: cannot write the photos\n", stderr);
        return 1;
    }
    return 0;
}
