// Lays out a batch of photos for the batch checker's measured runs: the committed fixtures,
// repeated, either as they are or scaled up to the pixel size of a camera photo.
//   batch_photos OUTDIR COUNT [WIDTH]
// With WIDTH each fixture is scaled to that width (keeping its aspect) with a little sensor
// noise, so that decoding costs what a real photo costs. Repeats are hard links of the first
// copy: the run reads every file, the disk holds each picture once.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

namespace fs = std::filesystem;

int main(int argc, char** argv)
{
    if (argc < 3 || argc > 4) {
        std::fprintf(stderr, "usage: batch_photos OUTDIR COUNT [WIDTH]\n");
        return 2;
    }
    const fs::path out = argv[1];
    const long count = std::atol(argv[2]);
    const int width = argc == 4 ? std::atoi(argv[3]) : 0;
    const std::vector<std::string> fixtures = {"id_white.jpg", "two_faces.jpg", "id_blue.jpg", "face_low.jpg",
                                               "no_face.jpg",  "face_large.jpg", "id_white_cmyk.jpg"};
    fs::create_directories(out);

    std::vector<fs::path> originals;
    cv::RNG noise(12345);
    for (const std::string& name : fixtures) {
        const fs::path source = fs::path(VELMORA_FIXTURES_DIR) / name;
        fs::path target = out / ("original_" + name);
        if (width > 0) {
            const cv::Mat photo = cv::imread(source.string(), cv::IMREAD_COLOR);
            if (photo.empty()) {
                std::fprintf(stderr, "%s: cannot read\n", source.c_str());
                return 1;
            }
            cv::Mat large;
            const double scale = static_cast<double>(width) / photo.cols;
            cv::resize(photo, large, cv::Size(), scale, scale, cv::INTER_CUBIC);
            cv::Mat grain(large.size(), CV_16SC3);
            noise.fill(grain, cv::RNG::NORMAL, 0, 3);
            cv::Mat noisy;
            large.convertTo(noisy, CV_16SC3);
            noisy += grain;
            noisy.convertTo(large, CV_8UC3);
            cv::imwrite(target.string(), large, {cv::IMWRITE_JPEG_QUALITY, 85});
        } else {
            fs::copy_file(source, target, fs::copy_options::overwrite_existing);
        }
        originals.push_back(target);
    }
    for (long i = 0; i < count; ++i) {
        const fs::path& original = originals[static_cast<std::size_t>(i) % originals.size()];
        char name[64];
        std::snprintf(name, sizeof name, "%06ld_", i);
        const fs::path link = out / (name + original.filename().string().substr(9));
        std::error_code error;
        fs::create_hard_link(original, link, error);
        if (error) {
            std::fprintf(stderr, "%s: %s\n", link.c_str(), error.message().c_str());
            return 1;
        }
    }
    for (const fs::path& original : originals)
        fs::remove(original);
    std::printf("%ld photos in %s\n", count, out.c_str());
    return 0;
}
