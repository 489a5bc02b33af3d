#include "engine/photo_fix.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <optional>

#include <opencv2/imgproc.hpp>

#include "engine/decode.h"
#include "engine/exif_orientation.h"
#include "engine/file_bytes.h"
#include "engine/file_tests.h"
#include "velmora/export.h"

namespace velmora {

namespace {

// The crop keeps the face ratios this far (a quarter of each interval) inside the settings'
// bounds: the copy is searched again on its own, and the box found there differs a little.
constexpr double kRatioMarginShare = 0.25;

// Faces narrower than this share of the largest one are left out of the count: at the
// working size they are mostly the detector's false finds in hair or clothing, and someone far
// behind who ends up in the crop is still found by the copy's own check.
constexpr double kMinorFaceShare = 0.5;

// Room the crop keeps above the face box for hair or a hat, as a share of the box height: the
// crown of the calibration portraits lies up to 0.43 of it above the box. A face closer to the
// top edge than this has its head cut off there, and no crop can mend that.
constexpr double kCrownRoomShare = 0.45;

struct Interval {
    double low = 0;
    double high = 0;
};

Interval Inner(double low, double high)
{
    const double margin = (high - low) * kRatioMarginShare;
    return {low + margin, high - margin};
}

// The output's aspect in its smallest whole numbers: every crop is a multiple of this unit, so
// that scaling it to the output stretches nothing.
cv::Size AspectUnit(const CheckSettings& s)
{
    const int g = std::gcd(s.dst_width, s.dst_height);
    return {s.dst_width / g, s.dst_height / g};
}

// The chin line as the position rule estimates it from a face box, without its rounding.
double ChinLine(const cv::Rect& face)
{
    return face.y + (kFaceCentreShare + kChinBelowCentreShare) * face.height;
}

// Where the crop's top may lie for a crop of height `height`: the face's ratio_y in the inner
// interval, room for the hair above the face, and the crop inside the photo; nothing when no
// row does all.
std::optional<int> CropTop(const cv::Rect& face, int height, int photoHeight, const Interval& ratioY)
{
    // ratio_y = 1 - (chin - top) / height rises with the top.
    const double chin = ChinLine(face);
    const double lowest = chin - (1.0 - ratioY.low) * height;
    const double highest = std::min(chin - (1.0 - ratioY.high) * height, face.y - kCrownRoomShare * face.height);
    const double low = std::max(0.0, std::ceil(lowest));
    const double high = std::min(double(photoHeight - height), std::floor(highest));
    if (low > high)
        return std::nullopt;
    const double middle = chin - (1.0 - (ratioY.low + ratioY.high) / 2) * height;
    return static_cast<int>(std::clamp(std::round(middle), low, high));
}

Image Downscaled(const Image& photo, double factor)
{
    Image small;
    cv::resize(photo, small, cv::Size(), factor, factor, cv::INTER_AREA);
    return small;
}

// The faces of the whole photo, searched on a copy at most `side` pixels long and mapped back.
std::vector<cv::Rect> FindFacesAt(const Image& photo, int side, FaceDetector& detector, int minNeighbours)
{
    const int longSide = std::max(photo.cols, photo.rows);
    const double factor = longSide > side ? double(side) / longSide : 1.0;
    std::vector<cv::Rect> faces =
        detector.DetectInScene(factor < 1.0 ? Downscaled(photo, factor) : photo, minNeighbours);
    for (cv::Rect& face : faces) {
        const auto back = [&](int v) { return static_cast<int>(std::lround(v / factor)); };
        face = cv::Rect(back(face.x), back(face.y), back(face.width), back(face.height)) &
               cv::Rect(0, 0, photo.cols, photo.rows);
    }
    if (faces.size() > 1) {
        const int widest = std::ranges::max_element(faces, {}, &cv::Rect::width)->width;
        std::erase_if(faces, [&](const cv::Rect& f) { return f.width < kMinorFaceShare * widest; });
    }
    return faces;
}

std::vector<cv::Rect> FindFaces(const Image& photo, FaceDetector& detector, int minNeighbours)
{
    std::vector<cv::Rect> faces = FindFacesAt(photo, kFixWorkingSide, detector, minNeighbours);
    if (faces.empty() && std::max(photo.cols, photo.rows) > kFixWorkingSide)
        faces = FindFacesAt(photo, 2 * kFixWorkingSide, detector, minNeighbours);
    return faces;
}

// The face box as the check will measure it on the copy: searched again, the check's way, in a
// window about the size of the crop, scaled about as the copy will be. The scene search only
// locates the face; its boxes are larger than the check's. Keeps the located box when the
// check's search finds nothing there.
cv::Rect MeasureFace(const Image& photo, const cv::Rect& located, FaceDetector& detector, const CheckSettings& s)
{
    const cv::Point centre(located.x + located.width / 2, located.y + located.height / 2);
    const int half = static_cast<int>(1.5 * located.width);
    const cv::Rect window =
        cv::Rect(centre.x - half, centre.y - half, 2 * half, 2 * half) & cv::Rect(cv::Point(), photo.size());
    // The copy shows a face about 60 % of its width across.
    const double factor = std::min(1.0, 0.6 * s.dst_width / located.width);
    std::vector<cv::Rect> faces = detector.Detect(factor < 1.0 ? Downscaled(photo(window), factor) : photo(window).clone(),
                                                  s.jc_precision);
    const auto distance = [&](const cv::Rect& f) {
        const cv::Point c(window.x + static_cast<int>((f.x + f.width / 2.0) / factor),
                          window.y + static_cast<int>((f.y + f.height / 2.0) / factor));
        return cv::norm(c - centre);
    };
    if (faces.empty())
        return located;
    const cv::Rect nearest = *std::ranges::min_element(faces, {}, distance);
    if (distance(nearest) > located.width / 2.0)
        return located;
    const auto back = [&](int v) { return static_cast<int>(std::lround(v / factor)); };
    return cv::Rect(window.x + back(nearest.x), window.y + back(nearest.y), back(nearest.width), back(nearest.height)) &
           cv::Rect(cv::Point(), photo.size());
}

// The highest quality whose file length lies in the window; nothing when none does. Length
// grows with quality, so the highest that is not too long is searched by halving.
std::optional<std::pair<int, std::vector<std::uint8_t>>> EncodeToFit(const Image& picture, const CheckSettings& s)
{
    const auto fitsMaximum = [&](std::size_t length) {
        const auto maximum = MaximumFileLength(s);
        return !maximum || static_cast<long long>(length) <= *maximum;
    };
    std::vector<std::uint8_t> best = EncodeJpeg(picture, 100);
    int bestQuality = 100;
    if (best.empty())
        return std::nullopt;
    if (!fitsMaximum(best.size())) {
        best.clear();
        int low = 1, high = 99;
        while (low <= high) {
            const int quality = (low + high) / 2;
            std::vector<std::uint8_t> bytes = EncodeJpeg(picture, quality);
            if (!bytes.empty() && fitsMaximum(bytes.size())) {
                best = std::move(bytes);
                bestQuality = quality;
                low = quality + 1;
            } else {
                high = quality - 1;
            }
        }
    }
    if (best.empty() || !IsFileLengthAccepted(best.size(), s))
        return std::nullopt;
    return std::pair{bestQuality, std::move(best)};
}

}  // namespace

bool IsFixOffered(const CheckOutcome& checked)
{
    if (checked.error != CheckError::None || checked.accepted || checked.decodeFailure != DecodeFailure::None)
        return false;
    switch (checked.stage) {
    case CheckStage::FileSize:
    case CheckStage::Dimensions:
    case CheckStage::Background:
    case CheckStage::Face:
        return true;
    default:
        return false;
    }
}

PhotoFix FixPhotoFile(PhotoChecker& checker, const std::filesystem::path& photo, const CheckOutcome& checked)
{
    if (!IsFixOffered(checked))
        return checker.FixPhoto({}, checked);
    const std::optional<Bytes> bytes = ReadFileBytes(photo, kMaxPhotoBytes);
    if (!bytes) {
        PhotoFix fix;
        fix.refusal = FixRefusal::Undecodable;
        return fix;
    }
    return checker.FixPhoto(*bytes, checked);
}

Image TurnUpright(const Image& stored, int tag)
{
    Image upright;
    switch (tag) {
    case 2:
        cv::flip(stored, upright, 1);
        break;
    case 3:
        cv::rotate(stored, upright, cv::ROTATE_180);
        break;
    case 4:
        cv::flip(stored, upright, 0);
        break;
    case 5:  // mirrored and turned a quarter: the stored rows become columns
        cv::transpose(stored, upright);
        break;
    case 6:
        cv::rotate(stored, upright, cv::ROTATE_90_CLOCKWISE);
        break;
    case 7:  // the transpose across the other diagonal
        cv::rotate(stored, upright, cv::ROTATE_90_COUNTERCLOCKWISE);
        cv::flip(upright, upright, 1);
        break;
    case 8:
        cv::rotate(stored, upright, cv::ROTATE_90_COUNTERCLOCKWISE);
        break;
    default:
        return stored;
    }
    return upright;
}

cv::Size FixOutputSize(const CheckSettings& s)
{
    const cv::Size unit = AspectUnit(s);
    const int g = s.dst_width / unit.width;
    // Whole units, so that the output keeps the aspect exactly.
    const int units = std::max({g, (s.min_width + 1 + unit.width - 1) / unit.width,
                                (s.min_height + 1 + unit.height - 1) / unit.height});
    return {units * unit.width, units * unit.height};
}

std::variant<cv::Rect, FixRefusal> PlaceCrop(cv::Size photo, const cv::Rect& face, const CheckSettings& s)
{
    const cv::Size unit = AspectUnit(s);
    const cv::Size output = FixOutputSize(s);
    if (photo.width < output.width || photo.height < output.height)
        return FixRefusal::TooSmall;

    Interval ratioX = Inner(s.ratio_x_min, s.ratio_x_max);
    // A face box cannot be wider than the photo: a bound past that is no limit on the crop.
    ratioX.high = std::min(ratioX.high, 0.95);
    if (!(ratioX.low < ratioX.high))
        return FixRefusal::HeadAtEdge;
    const Interval ratioY = Inner(s.ratio_y_min, s.ratio_y_max);
    // ratio_x = 1 - face width / crop width: the crop width follows from the ratio.
    const auto unitsFor = [&](double ratio) { return face.width / ((1.0 - ratio) * unit.width); };
    const double centre = face.x + face.width / 2.0;

    // Enlarging is refused: it would only interpolate pixels the camera never recorded, passing
    // the size rule with less detail than the rule asks for.
    const int fewest = std::max(output.width / unit.width, static_cast<int>(std::ceil(unitsFor(ratioX.low))));
    const int mostForRatio = static_cast<int>(std::floor(unitsFor(ratioX.high)));
    // The face stays centred across, so the crop reaches equally far to both sides.
    const int mostInPhoto = std::min(static_cast<int>(std::floor(2 * std::min(centre, photo.width - centre) / unit.width)),
                                     photo.height / unit.height);
    if (output.width / unit.width > mostForRatio)
        return FixRefusal::TooSmall;
    const int most = std::min(mostForRatio, mostInPhoto);

    // The size nearest the middle of the ratio_x interval whose crop also fits vertically.
    const double ideal = unitsFor((ratioX.low + ratioX.high) / 2);
    std::vector<int> sizes;
    for (int units = fewest; units <= most; ++units)
        sizes.push_back(units);
    std::ranges::stable_sort(sizes, {}, [&](int units) { return std::abs(units - ideal); });
    for (const int units : sizes) {
        const cv::Size crop(units * unit.width, units * unit.height);
        if (const auto top = CropTop(face, crop.height, photo.height, ratioY)) {
            const int left = std::clamp(static_cast<int>(std::lround(centre - crop.width / 2.0)), 0,
                                        photo.width - crop.width);
            return cv::Rect(cv::Point(left, *top), crop);
        }
    }
    return FixRefusal::HeadAtEdge;
}

PhotoFix MakeFixedCopy(std::span<const std::uint8_t> bytes, FaceDetector& detector, const CheckSettings& s)
{
    PhotoFix fix;
    if (bytes.size() > kMaxPhotoBytes) {
        fix.refusal = FixRefusal::Undecodable;
        return fix;
    }
    DecodedJpeg decoded = DecodeJpegStrict(bytes);
    if (decoded.image.empty()) {
        fix.refusal = FixRefusal::Undecodable;
        return fix;
    }
    Image photo = std::move(decoded.image);
    if (const auto tag = ReadExifOrientation(bytes); tag && *tag >= 2 && *tag <= 8) {
        photo = TurnUpright(photo, *tag);
        fix.turnedBy = *tag;
    }
    fix.uprightSize = photo.size();

    const std::vector<cv::Rect> faces = FindFaces(photo, detector, s.jc_precision);
    fix.faces = static_cast<int>(faces.size());
    if (faces.size() != 1) {
        fix.refusal = faces.empty() ? FixRefusal::NoFace : FixRefusal::SeveralFaces;
        return fix;
    }
    const auto placed = PlaceCrop(photo.size(), MeasureFace(photo, faces.front(), detector, s), s);
    if (const auto* refusal = std::get_if<FixRefusal>(&placed)) {
        fix.refusal = *refusal;
        return fix;
    }
    const cv::Rect crop = std::get<cv::Rect>(placed);
    if (crop != cv::Rect(cv::Point(), photo.size()))
        fix.crop = crop;

    Image framed = photo(crop).clone();
    const cv::Size output = FixOutputSize(s);
    if (framed.size() != output) {
        Image scaled;
        cv::resize(framed, scaled, output, 0, 0, cv::INTER_AREA);
        framed = scaled;
        fix.scaledTo = output;
    }
    auto encoded = EncodeToFit(framed, s);
    if (!encoded) {
        fix.refusal = FixRefusal::FileWindow;
        return fix;
    }
    fix.quality = encoded->first;
    fix.bytes = std::move(encoded->second);
    return fix;
}

}  // namespace velmora
