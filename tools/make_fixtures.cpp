// Writes the photo fixtures of the engine tests from one portrait, and checks that the face
// detector sees in each what its name promises.
//
//   make_fixtures <portrait.png> <output folder> [<folder holding the face cascade>]
//
// The portrait is the 512 x 512 astronaut picture shipped by python3-imageio. Every step is
// fixed geometry, so the same portrait and library give the same files.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include "engine/face.h"
#include "velmora/photo_checker.h"
#include "velmora/settings.h"

namespace fs = std::filesystem;
using namespace velmora;

namespace {

const cv::Size kPhotoSize(354, 472);  // a common ID-photo scan, aspect 1.333
const cv::Size kNormalSize(295, 413);
constexpr int kJpegQuality = 90;
const cv::Scalar kWhite(255, 255, 255);
// Well inside the blue hue band of the background rule (about 223 degrees), and bright.
const cv::Scalar kBlue(220, 100, 50);

// The detector's box on the source portrait (x 169, y 62, 109 x 109); the layouts below
// place its centre and scale it.
const cv::Point2d kSourceFaceCentre(169 + 54.5, 62 + 54.5);
constexpr double kSourceFaceSide = 109;


// The portrait with the wall, flag and shuttle above the shoulders replaced by a plain colour;
// the ellipse keeps the head and hair.
cv::Mat WithBackdrop(const cv::Mat& portrait, const cv::Scalar& colour)
{
    cv::Mat mask(portrait.size(), CV_8UC1, cv::Scalar(0));
    mask.rowRange(0, 160).setTo(255);
    cv::ellipse(mask, cv::Point(225, 95), cv::Size(82, 92), 0, 0, 360, cv::Scalar(0), cv::FILLED);
    // Inside the ellipse, the pale grey wall around the hair goes too; the face itself is kept.
    cv::Mat hsv;
    cv::cvtColor(portrait, hsv, cv::COLOR_BGR2HSV);
    cv::Mat wall;
    cv::inRange(hsv, cv::Scalar(0, 0, 150), cv::Scalar(180, 40, 255), wall);
    cv::ellipse(wall, cv::Point(224, 116), cv::Size(62, 75), 0, 0, 360, cv::Scalar(0), cv::FILLED);
    wall.rowRange(160, wall.rows).setTo(0);
    mask |= wall;
    cv::Mat out = portrait.clone();
    out.setTo(colour, mask);
    return out;
}

// A photo of kPhotoSize showing the portrait scaled by `scale`, its face centred at `centre`
// (output pixels); whatever lies beyond the portrait takes the backdrop colour.
cv::Mat Frame(const cv::Mat& portrait, double scale, cv::Point2d centre, const cv::Scalar& fill)
{
    const cv::Matx23d map(scale, 0, centre.x - scale * kSourceFaceCentre.x,  //
                          0, scale, centre.y - scale * kSourceFaceCentre.y);
    cv::Mat out;
    cv::warpAffine(portrait, out, map, kPhotoSize, cv::INTER_LINEAR, cv::BORDER_CONSTANT, fill);
    return out;
}

// Scale and face-centre height that put the detector's box at the wanted ratios once the
// photo is normalised (the box is square in the photo, a little taller once normalised).
struct Layout {
    double scale;
    cv::Point2d centre;
};

Layout LayoutFor(double ratioX, double ratioY)
{
    const double sx = double(kPhotoSize.width) / kNormalSize.width;
    const double sy = double(kPhotoSize.height) / kNormalSize.height;
    const double sideNormal = (1 - ratioX) * kNormalSize.width;
    const double side = sideNormal * sx;
    const double chinNormal = (1 - ratioY) * kNormalSize.height;
    const double topNormal = chinNormal - 1.25 * side / sy;
    return {side / kSourceFaceSide, {kPhotoSize.width / 2.0, topNormal * sy + side / 2}};
}

// Paints the top corners, with a margin around what the background strips cover once the
// photo is normalised, so that hair reaching a corner cannot fail the background check.
void PaintCorners(cv::Mat& photo, const cv::Scalar& colour)
{
    constexpr int kWidth = 32;
    constexpr int kHeight = 192;
    photo(cv::Rect(0, 0, kWidth, kHeight)).setTo(colour);
    photo(cv::Rect(photo.cols - kWidth, 0, kWidth, kHeight)).setTo(colour);
}

cv::Mat OneFace(const cv::Mat& backdrop, const cv::Scalar& fill, double ratioX, double ratioY)
{
    const Layout layout = LayoutFor(ratioX, ratioY);
    cv::Mat out = Frame(backdrop, layout.scale, layout.centre, fill);
    PaintCorners(out, fill);
    return out;
}

// The same face twice, side by side, each still large enough to be found.
cv::Mat TwoFaces(const cv::Mat& backdrop)
{
    const Layout layout = LayoutFor(0.61, 0.40);
    const double quarter = kPhotoSize.width / 4.0;
    const cv::Mat left = Frame(backdrop, layout.scale, {quarter, layout.centre.y}, kWhite);
    const cv::Mat right = Frame(backdrop, layout.scale, {3 * quarter, layout.centre.y}, kWhite);
    cv::Mat out = left.clone();
    const int half = kPhotoSize.width / 2;
    right.colRange(half, kPhotoSize.width).copyTo(out.colRange(half, kPhotoSize.width));
    PaintCorners(out, kWhite);
    return out;
}

// A picture with nothing face-like: a gradient, a few shapes and fixed noise, so that it
// compresses to a realistic size.
cv::Mat NoFace()
{
    cv::Mat out(kPhotoSize, CV_8UC3);
    for (int y = 0; y < out.rows; ++y)
        for (int x = 0; x < out.cols; ++x)
            out.at<cv::Vec3b>(y, x) = cv::Vec3b(static_cast<uchar>(120 + y / 8),
                                                static_cast<uchar>(150 + x / 6),
                                                static_cast<uchar>(200 - y / 4));
    cv::rectangle(out, {40, 250, 110, 160}, cv::Scalar(40, 60, 180), cv::FILLED);
    cv::circle(out, {250, 330}, 60, cv::Scalar(30, 160, 60), cv::FILLED);
    cv::line(out, {0, 230}, {353, 290}, cv::Scalar(20, 20, 20), 6);
    cv::Mat noise(out.size(), CV_16SC3);
    cv::RNG rng(20240101);
    rng.fill(noise, cv::RNG::NORMAL, cv::Scalar::all(0), cv::Scalar::all(10));
    cv::Mat noisy;
    cv::add(out, noise, noisy, cv::noArray(), CV_8UC3);
    // The top corners stay plain so the picture reaches the face stage.
    PaintCorners(noisy, kWhite);
    return noisy;
}

struct Fixture {
    std::string name;
    cv::Mat photo;
    std::size_t faces;  // what the detector must find after normalising
    FaceResult result;
    bool blueBackdrop = false;
};

// Every pixel of both top strips must pass the white rule, or, on the blue backdrop, be bright,
// saturated and close to the backdrop colour.
bool CornersPlain(const cv::Mat& normal, const CheckSettings& s, bool blue)
{
    cv::Mat hsv;
    cv::cvtColor(normal, hsv, cv::COLOR_RGB2HSV);
    for (const int x0 : {0, normal.cols - s.jc_b})
        for (int y = 0; y < s.jc_a; ++y)
            for (int x = x0; x < x0 + s.jc_b; ++x) {
                const cv::Vec3b p = hsv.at<cv::Vec3b>(y, x);
                const float sat = float(p[1]) / 255.0f;
                const float val = float(p[2]) / 255.0f;
                const bool ok = blue ? val > s.i_min && sat > s.s_min
                                     : sat < s.s_min && val > s.i_max;
                if (!ok)
                    return false;
                if (blue) {
                    const cv::Vec3b bgr = normal.at<cv::Vec3b>(y, x);
                    for (int c = 0; c < 3; ++c)
                        if (std::abs(int(bgr[c]) - int(kBlue[c])) > 12)
                            return false;
                }
            }
    return true;
}

const char* ResultName(FaceResult r)
{
    switch (r) {
    case FaceResult::NoSingleFace: return "NoSingleFace";
    case FaceResult::BadlyPlacedFace: return "BadlyPlacedFace";
    case FaceResult::FaceAccepted: return "FaceAccepted";
    }
    return "?";
}

// Ratios must keep clear of the bounds so that small library differences do not flip a verdict.
bool ClearOfBounds(const FacePlacement& p, const CheckSettings& s)
{
    constexpr float kMargin = 0.03f;
    for (const float bound : {s.ratio_y_min, s.ratio_y_max})
        if (std::fabs(p.ratioY - bound) < kMargin)
            return false;
    for (const float bound : {s.ratio_x_min, s.ratio_x_max})
        if (std::fabs(p.ratioX - bound) < kMargin)
            return false;
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 4 || argc > 5) {
        std::fprintf(stderr, "usage: %s <portrait.png> <output folder> <setting.ini> [<cascade folder>]\n",
                     argv[0]);
        return 2;
    }
    // The fixtures are tuned against the thresholds the program ships with.
    CheckSettings settings;
    if (!ReadCheckSettingsFile(argv[3], settings)) {
        std::fprintf(stderr, "%s: not a usable settings file\n", argv[3]);
        return 1;
    }
    const fs::path cascadeDir = argc == 5 ? fs::path(argv[4])
                                          : fs::path("/usr/share/opencv4/haarcascades");
    const cv::Mat portrait = cv::imread(argv[1], cv::IMREAD_COLOR);
    if (portrait.size() != cv::Size(512, 512)) {
        std::fprintf(stderr, "%s: not the 512 x 512 portrait\n", argv[1]);
        return 1;
    }
    std::optional<FaceDetector> detector = FaceDetector::Load(cascadeDir / kFaceCascadeFileName);
    if (!detector) {
        std::fprintf(stderr, "%s: no readable %s\n", cascadeDir.c_str(), kFaceCascadeFileName.data());
        return 1;
    }

    const cv::Mat white = WithBackdrop(portrait, kWhite);
    const cv::Mat blue = WithBackdrop(portrait, kBlue);
    const std::vector<Fixture> fixtures = {
        {"id_white.jpg", OneFace(white, kWhite, 0.39, 0.17), 1, FaceResult::FaceAccepted},
        {"id_blue.jpg", OneFace(blue, kBlue, 0.39, 0.17), 1, FaceResult::FaceAccepted, true},
        {"two_faces.jpg", TwoFaces(white), 2, FaceResult::NoSingleFace},
        {"face_low.jpg", OneFace(white, kWhite, 0.39, -0.06), 1, FaceResult::BadlyPlacedFace},
        {"face_large.jpg", OneFace(white, kWhite, 0.0, 0.0), 1, FaceResult::BadlyPlacedFace},
        {"no_face.jpg", NoFace(), 0, FaceResult::NoSingleFace},
    };

    const fs::path outDir = argv[2];
    std::error_code ignored;
    fs::create_directories(outDir, ignored);
    bool allGood = true;
    for (const Fixture& f : fixtures) {
        const fs::path file = outDir / f.name;
        if (!cv::imwrite(file.string(), f.photo, {cv::IMWRITE_JPEG_QUALITY, kJpegQuality})) {
            std::fprintf(stderr, "%s: cannot write\n", file.c_str());
            return 1;
        }
        // Judge the file as the program will see it: decoded, then normalised.
        const cv::Mat decoded = cv::imread(file.string(), cv::IMREAD_COLOR);
        cv::Mat normal;
        cv::resize(decoded, normal, kNormalSize, 0, 0, cv::INTER_LINEAR);
        CheckVerdict verdict;
        const FaceReport report = InspectFace(*detector, normal, settings, verdict);

        const auto bytes = fs::file_size(file);
        const double kib = double(bytes) / 1024;
        bool good = report.faces.size() == f.faces && report.result == f.result &&
                    kib >= 10 && kib <= 100 && CornersPlain(normal, settings, f.blueBackdrop);
        std::printf("%-15s %6.1f KiB  faces %zu (want %zu)  %s", f.name.c_str(), kib,
                    report.faces.size(), f.faces, ResultName(report.result));
        for (const cv::Rect& r : report.faces)
            std::printf("  [%d,%d %dx%d]", r.x, r.y, r.width, r.height);
        if (report.placement) {
            std::printf("  ratio_y %.5f ratio_x %.5f", double(report.placement->ratioY),
                        double(report.placement->ratioX));
            good = good && ClearOfBounds(*report.placement, settings);
        }
        std::printf("  %s\n", good ? "ok" : "NOT AS INTENDED");
        allGood = allGood && good;
    }
    return allGood ? 0 : 1;
}
