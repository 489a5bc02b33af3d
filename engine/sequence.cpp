#include "engine/sequence.h"

#include <string>

#include <opencv2/imgproc.hpp>

#include "engine/decode.h"
#include "engine/file_tests.h"

namespace {

CheckOutcome Reject(TipImage tip)
{
    // An unreadable tip picture leaves the preview empty; the verdict stands all the same.
    return {false, tip, DecodeJpegFile(g_exeDir / TipPicturePath(tip))};
}

CheckOutcome Accept(const Image& photo)
{
    g_resultImage = photo;
    return {true, std::nullopt, photo};
}

Image Normalise(const Image& photo, const CheckSettings& settings)
{
    Image normalised;
    cv::resize(photo, normalised, cv::Size(settings.dst_width, settings.dst_height), 0, 0, cv::INTER_LINEAR);
    return normalised;
}

bool HasAcceptableDimensions(const Image& photo, const CheckSettings& settings)
{
    if (photo.empty())
        return false;  // undecodable: no size to judge
    const float aspect = static_cast<float>(static_cast<double>(photo.rows) / photo.cols);
    return photo.cols > settings.min_width && photo.rows > settings.min_height && aspect > 1.0f && aspect < 2.0f;
}

}  // namespace

std::filesystem::path TipPicturePath(TipImage tip)
{
    return std::filesystem::path("tips") / ("state" + std::to_string(static_cast<int>(tip)) + ".jpg");
}

CheckOutcome RunPhotoCheck(const std::filesystem::path& photo, const CheckSettings& settings,
                           CheckVerdict& verdict, CheckDiagnostics* diagnostics)
{
    verdict.jpeg = IsJpegFile(photo);
    if (!verdict.jpeg)
        return Reject(TipImage::NotJpeg);

    // A photo this program saved has passed already: show it as stored.
    verdict.stamped = HasCheckStamp(photo);
    if (verdict.stamped) {
        const Image stored = DecodeJpegFile(photo);
        return stored.empty() ? Reject(TipImage::BadDimensions) : Accept(stored);
    }

    if (settings.cast == 1) {
        const Image decoded = DecodeJpegFile(photo);
        return decoded.empty() ? Reject(TipImage::BadDimensions) : Accept(Normalise(decoded, settings));
    }

    verdict.sizeOk = IsFileSizeAccepted(photo, settings);
    if (!verdict.sizeOk)
        return Reject(TipImage::FileSizeOutsideWindow);

    Image normalised;
    {
        const Image decoded = DecodeJpegFile(photo);
        verdict.dimsOk = HasAcceptableDimensions(decoded, settings);
        if (!verdict.dimsOk)
            return Reject(TipImage::BadDimensions);
        normalised = Normalise(decoded, settings);
    }  // the decoded source is released here

    const BackgroundWalk background = WalkBackground(normalised, settings);
    if (!RecordBackgroundVerdict(background, verdict)) {
        if (diagnostics)
            diagnostics->backgroundFailure = background.firstFailure;
        return Reject(TipImage::BackgroundNotPlain);
    }

    FaceReport face = InspectFace(normalised, settings, g_exeDir, verdict);
    const FaceResult result = face.result;
    if (diagnostics)
        diagnostics->face = std::move(face);
    switch (result) {
    case FaceResult::NoSingleFace:
        return Reject(TipImage::NoSingleFace);
    case FaceResult::BadlyPlacedFace:
        return Reject(TipImage::FaceBadlyPlaced);
    case FaceResult::FaceAccepted:
        break;
    }
    return Accept(normalised);
}

CheckOutcome RunPhotoCheck(const std::filesystem::path& photo, const CheckSettings& settings,
                           CheckVerdict& verdict)
{
    return RunPhotoCheck(photo, settings, verdict, nullptr);
}
