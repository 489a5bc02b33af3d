#include "engine/face.h"

#include <cstdint>
#include <mutex>
#include <string>
#include <system_error>
#include <utility>

#include <opencv2/core/persistence.hpp>
#include <opencv2/imgproc.hpp>
#include <opencv2/objdetect.hpp>

#include "engine/file_bytes.h"

namespace {

// The library's cascade is about half a megabyte; anything far larger is not a cascade.
constexpr std::size_t kMaxCascadeBytes = 64 * 1024 * 1024;

// Identifies the file a classifier was read from, so an unchanged file is not parsed again.
struct CascadeStamp {
    std::filesystem::path file;
    std::uintmax_t size = 0;
    std::filesystem::file_time_type written{};

    friend bool operator==(const CascadeStamp&, const CascadeStamp&) = default;
};

// The one classifier of the process; parsing the file costs far more than a detection.
struct CascadeCache {
    std::mutex mutex;
    cv::CascadeClassifier classifier;
    std::optional<CascadeStamp> loadedFrom;
};

CascadeCache& Cache()
{
    static CascadeCache cache;
    return cache;
}

std::optional<CascadeStamp> StampOf(const std::filesystem::path& file)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error))
        return std::nullopt;
    CascadeStamp stamp{file, std::filesystem::file_size(file, error), {}};
    if (error)
        return std::nullopt;
    stamp.written = std::filesystem::last_write_time(file, error);
    if (error)
        return std::nullopt;
    return stamp;
}

// Reads the cascade through the native path (any name opens) and parses it from memory.
bool ReadCascade(const std::filesystem::path& file, cv::CascadeClassifier& classifier)
{
    const auto bytes = ReadFileBytes(file, kMaxCascadeBytes);
    if (!bytes || bytes->empty())
        return false;
    try {
        const std::string text(bytes->begin(), bytes->end());
        cv::FileStorage storage(text, cv::FileStorage::READ | cv::FileStorage::MEMORY);
        if (!storage.isOpened())
            return false;
        return classifier.read(storage.getFirstTopLevelNode()) && !classifier.empty();
    } catch (const cv::Exception&) {
        return false;
    }
}

// Brings the cached classifier up to date with the file; the caller holds the mutex.
bool RefreshCascade(CascadeCache& cache, const std::filesystem::path& exeDir)
{
    const auto stamp = StampOf(exeDir / kFaceCascadeFile);
    if (!stamp) {
        // A removed file must not keep answering with what it used to hold.
        cache.loadedFrom.reset();
        cache.classifier = cv::CascadeClassifier();
        return false;
    }
    if (cache.loadedFrom == stamp)
        return true;
    cv::CascadeClassifier fresh;
    const bool loaded = ReadCascade(stamp->file, fresh);
    cache.classifier = loaded ? std::move(fresh) : cv::CascadeClassifier();
    if (loaded)
        cache.loadedFrom = stamp;
    else
        cache.loadedFrom.reset();
    return loaded;
}

}  // namespace

bool LoadFaceCascade(const std::filesystem::path& exeDir)
{
    CascadeCache& cache = Cache();
    const std::lock_guard lock(cache.mutex);
    return RefreshCascade(cache, exeDir);
}

FacePlacement PlaceFace(const cv::Rect& face, const CheckSettings& settings)
{
    // Each step rounds exactly where the stored thresholds were tuned against.
    const int cy = static_cast<int>(face.y + 0.5 * face.height);
    const float chin = static_cast<float>(cy + 0.75 * face.height);
    const float height = static_cast<float>(settings.dst_height);
    FacePlacement placement;
    placement.ratioY = static_cast<float>((static_cast<double>(height) - chin) / height);
    placement.ratioX =
        static_cast<float>(1.0 - static_cast<double>(face.width) / settings.dst_width);
    placement.wellPlaced = settings.ratio_y_min < placement.ratioY &&
                           placement.ratioY < settings.ratio_y_max &&
                           settings.ratio_x_min < placement.ratioX &&
                           placement.ratioX < settings.ratio_x_max;
    return placement;
}

FaceReport InspectFace(const Image& photo, const CheckSettings& settings,
                       const std::filesystem::path& exeDir, CheckVerdict& verdict)
{
    FaceReport report;
    {
        CascadeCache& cache = Cache();
        const std::lock_guard lock(cache.mutex);
        if (RefreshCascade(cache, exeDir)) {
            try {
                cv::Mat grey;
                cv::cvtColor(photo, grey, cv::COLOR_BGR2GRAY);
                cv::equalizeHist(grey, grey);
                cache.classifier.detectMultiScale(grey, report.faces, 1.1, settings.jc_precision,
                                                  cv::CASCADE_SCALE_IMAGE, cv::Size(10, 100),
                                                  cv::Size());
            } catch (const cv::Exception&) {
                // A photo the library cannot read shows no face.
                report.faces.clear();
            }
        }
    }

    if (report.faces.size() != 1) {
        verdict.faceOk = false;
        report.result = FaceResult::NoSingleFace;
        return report;
    }
    verdict.faceOk = true;
    report.placement = PlaceFace(report.faces.front(), settings);
    verdict.positionOk = report.placement->wellPlaced;
    report.result =
        verdict.positionOk ? FaceResult::FaceAccepted : FaceResult::BadlyPlacedFace;
    return report;
}

FaceResult CheckFace(const Image& photo, const CheckSettings& settings,
                     const std::filesystem::path& exeDir, CheckVerdict& verdict)
{
    return InspectFace(photo, settings, exeDir, verdict).result;
}
