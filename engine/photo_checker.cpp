#include "velmora/photo_checker.h"

#include <cmath>
#include <map>
#include <string>
#include <utility>

#include <opencv2/imgproc.hpp>

#include "engine/advisories.h"
#include "engine/background.h"
#include "engine/decode.h"
#include "engine/exif_orientation.h"
#include "engine/face.h"
#include "engine/file_bytes.h"
#include "engine/file_tests.h"
#include "engine/photo_fix.h"

namespace velmora {

namespace {

// An accepted photo whose aspect differs more than this from the output's (one part in 20)
// is visibly stretched when normalised; the applicant is told so.
constexpr long long kStretchToleranceParts = 20;

// The photo's bytes as the stages need them: both ends for the signature and the stamp,
// and the whole file for decoding when it was not too large to read.
struct PhotoBytes {
    std::uintmax_t length = 0;
    std::span<const std::uint8_t> head;
    std::span<const std::uint8_t> tail;
    std::optional<std::span<const std::uint8_t>> whole;
};

Image Normalise(const Image& photo, const CheckSettings& settings)
{
    Image normalised;
    cv::resize(photo, normalised, cv::Size(settings.dst_width, settings.dst_height), 0, 0, cv::INTER_LINEAR);
    return normalised;
}

Reason Bound(Finding finding, double measured, std::optional<double> low, std::optional<double> high,
             Direction direction, std::string_view key)
{
    Reason reason;
    reason.finding = finding;
    reason.measured = measured;
    reason.low = low;
    reason.high = high;
    reason.direction = direction;
    reason.key = key;
    return reason;
}

Reason Plain(Finding finding, double measured = 0) { return Bound(finding, measured, {}, {}, Direction::None, {}); }

// Why the decoded size or aspect fails, in the order the rule tests them.
std::vector<Reason> DimensionReasons(cv::Size stored, const CheckSettings& s)
{
    std::vector<Reason> reasons;
    if (stored.width <= s.min_width)
        reasons.push_back(Bound(Finding::TooNarrow, stored.width, s.min_width, {}, Direction::Raise, "min_width"));
    if (stored.height <= s.min_height)
        reasons.push_back(Bound(Finding::TooShort, stored.height, s.min_height, {}, Direction::Raise, "min_height"));
    const float aspect = static_cast<float>(static_cast<double>(stored.height) / stored.width);
    if (aspect <= 1.0f)
        reasons.push_back(Bound(Finding::NotUpright, aspect, 1.0, 2.0, Direction::Raise, {}));
    else if (aspect >= 2.0f)
        reasons.push_back(Bound(Finding::TooElongated, aspect, 1.0, 2.0, Direction::Lower, {}));
    return reasons;
}

// Why a single face is badly placed, in the order the rule tests the ratios.
std::vector<Reason> PlacementReasons(const FacePlacement& p, const CheckSettings& s)
{
    std::vector<Reason> reasons;
    const auto add = [&](Finding finding, float value, float low, float high, bool belowLow, std::string_view key) {
        reasons.push_back(Bound(finding, value, low, high, belowLow ? Direction::Raise : Direction::Lower, key));
    };
    // A small ratio_y leaves little below the chin: the face sits too low.
    if (!(s.ratio_y_min < p.ratioY))
        add(Finding::FaceTooLow, p.ratioY, s.ratio_y_min, s.ratio_y_max, true, "ratio_y_min");
    else if (!(p.ratioY < s.ratio_y_max))
        add(Finding::FaceTooHigh, p.ratioY, s.ratio_y_min, s.ratio_y_max, false, "ratio_y_max");
    // A small ratio_x leaves little of the width free: the face is too large.
    if (!(s.ratio_x_min < p.ratioX))
        add(Finding::FaceTooLarge, p.ratioX, s.ratio_x_min, s.ratio_x_max, true, "ratio_x_min");
    else if (!(p.ratioX < s.ratio_x_max))
        add(Finding::FaceTooSmall, p.ratioX, s.ratio_x_min, s.ratio_x_max, false, "ratio_x_max");
    return reasons;
}

// Tells when normalising changes the photo's proportions noticeably.
std::optional<Reason> StretchNote(cv::Size stored, const CheckSettings& s)
{
    // stretch = (dst_height / dst_width) / (height / width), compared in whole numbers so that
    // a photo exactly at the limit (354 x 472 for 295 x 413) is not noted by a rounding error.
    const long long output = static_cast<long long>(s.dst_height) * stored.width;
    const long long photo = static_cast<long long>(s.dst_width) * stored.height;
    if (kStretchToleranceParts * std::abs(output - photo) <= photo)
        return std::nullopt;
    const double stretch = static_cast<double>(output) / static_cast<double>(photo);
    const double tolerance = 1.0 / kStretchToleranceParts;
    Reason note = Bound(Finding::StretchedOnSave, stretch, 1.0 - tolerance, 1.0 + tolerance,
                        stretch > 1.0 ? Direction::Lower : Direction::Raise, {});
    note.lowInclusive = note.highInclusive = true;
    return note;
}

}  // namespace

void CheckOutcome::MergeInto(CheckVerdict& kept) const
{
    const auto merge = [&](bool CheckVerdict::*flag) {
        if (written.*flag)
            kept.*flag = verdict.*flag;
    };
    merge(&CheckVerdict::jpeg);
    merge(&CheckVerdict::stamped);
    merge(&CheckVerdict::sizeOk);
    merge(&CheckVerdict::dimsOk);
    merge(&CheckVerdict::backgroundOk);
    merge(&CheckVerdict::faceOk);
    merge(&CheckVerdict::positionOk);
}

std::filesystem::path TipPicturePath(TipImage tip)
{
    return std::filesystem::path("tips") / ("state" + std::to_string(static_cast<int>(tip)) + ".jpg");
}

struct PhotoChecker::State {
    CheckSettings settings;
    std::filesystem::path programDir;
    std::optional<FaceDetector> detector;
    bool trustStamp = true;
    std::map<TipImage, Image> tips;  // decoded on first use

    // One check from the first stage to the verdict.
    class Run;
};

class PhotoChecker::State::Run {
public:
    Run(State& state, const PhotoBytes& photo) : m_state(state), m_photo(photo) { m_outcome.fileBytes = photo.length; }

    CheckOutcome Finish()
    {
        Stages();
        if (m_outcome.verdict.stamped && !m_state.trustStamp && m_outcome.error == CheckError::None)
            m_outcome.reasons.push_back(Plain(Finding::StampIgnored));
        return std::move(m_outcome);
    }

    CheckOutcome Unreadable()
    {
        // Nothing of the file could be read: answered like a file that is not a JPEG.
        m_outcome.error = CheckError::FileUnreadable;
        Write(&CheckVerdict::jpeg, false);
        Reject(TipImage::NotJpeg);
        return std::move(m_outcome);
    }

private:
    const CheckSettings& Settings() const { return m_state.settings; }

    void Write(bool CheckVerdict::*flag, bool value)
    {
        m_outcome.verdict.*flag = value;
        m_outcome.written.*flag = true;
    }

    void Reject(TipImage tip)
    {
        m_outcome.accepted = false;
        m_outcome.tip = tip;
        // A tip picture that cannot be read leaves the preview empty; the verdict stands.
        auto [cached, added] = m_state.tips.try_emplace(tip);
        if (added)
            cached->second = DecodeJpegFile(m_state.programDir / TipPicturePath(tip));
        // A copy, so that nobody who draws on the display changes the next rejection's tip.
        m_outcome.display = cached->second.clone();
    }

    void Accept(const Image& photo, Finding finding)
    {
        m_outcome.accepted = true;
        m_outcome.tip.reset();
        m_outcome.display = photo;
        m_outcome.reasons.insert(m_outcome.reasons.begin(), Plain(finding));
    }

    // Decodes the whole file; an empty image (and the reason) when it cannot.
    Image Decode()
    {
        if (!m_photo.whole) {
            m_outcome.decodeFailure = DecodeFailure::TooManyBytes;
            return {};
        }
        DecodedJpeg decoded = DecodeJpegStrict(*m_photo.whole);
        m_outcome.decodeFailure = decoded.failure;
        if (!decoded.image.empty())
            m_outcome.storedSize = decoded.image.size();
        return std::move(decoded.image);
    }

    void RejectUndecodable()
    {
        m_outcome.reasons.push_back(Plain(Finding::Undecodable));
        Reject(TipImage::BadDimensions);
    }

    void NoteStretch(cv::Size stored)
    {
        if (auto note = StretchNote(stored, Settings()))
            m_outcome.reasons.push_back(*note);
    }

    // ---- Further findings: after the verdict is fixed, the later stages that can still be
    // measured run for advice only. They write no flag and no measurement of the verdict's.

    void FurtherFace(const Image& normalised)
    {
        if (!m_state.detector)
            return;
        CheckVerdict unused;
        const FaceReport face = InspectFace(*m_state.detector, normalised, Settings(), unused);
        switch (face.result) {
        case FaceResult::NoSingleFace: {
            const auto count = static_cast<double>(face.faces.size());
            m_outcome.further.push_back(Plain(count == 0 ? Finding::NoFace : Finding::SeveralFaces, count));
            break;
        }
        case FaceResult::BadlyPlacedFace: {
            const auto reasons = PlacementReasons(*face.placement, Settings());
            m_outcome.further.insert(m_outcome.further.end(), reasons.begin(), reasons.end());
            break;
        }
        case FaceResult::FaceAccepted:
            break;
        }
    }

    void FurtherBackgroundAndFace(const Image& normalised)
    {
        const BackgroundWalk walk = WalkBackground(normalised, Settings());
        if (walk.firstFailure || !walk.examined) {
            m_outcome.further.push_back(Plain(Finding::BackgroundNotPlain));
            if (walk.firstFailure)
                m_outcome.backgroundFault = DescribeBackgroundFault(normalised, Settings(), walk.firstFailure->strip);
        }
        FurtherFace(normalised);
    }

    // After the file length failed: the photo is decoded only when the check would have read it
    // whole, under the same limits; one that cannot be decoded has nothing further to tell.
    void FurtherAfterFileSize()
    {
        if (!m_photo.whole)
            return;
        Image decoded = DecodeJpegStrict(*m_photo.whole).image;
        if (decoded.empty())
            return;
        m_outcome.storedSize = decoded.size();
        const auto reasons = DimensionReasons(decoded.size(), Settings());
        m_outcome.further.insert(m_outcome.further.end(), reasons.begin(), reasons.end());
        Image normalised = Normalise(decoded, Settings());
        decoded.release();
        FurtherBackgroundAndFace(normalised);
    }

    void Stages()
    {
        const CheckSettings& s = Settings();
        if (m_photo.whole)
            m_outcome.orientation = ReadExifOrientation(*m_photo.whole);

        m_outcome.stage = CheckStage::Signature;
        Write(&CheckVerdict::jpeg, StartsWithJpegMarker(m_photo.head));
        if (!m_outcome.verdict.jpeg) {
            m_outcome.reasons.push_back(Plain(Finding::NotJpeg));
            return Reject(TipImage::NotJpeg);
        }

        // A photo this program saved has passed already: show it as stored.
        m_outcome.stage = CheckStage::Stamp;
        Write(&CheckVerdict::stamped, EndsWithCheckStamp(m_photo.tail));
        if (m_outcome.verdict.stamped && m_state.trustStamp) {
            const Image stored = Decode();
            return stored.empty() ? RejectUndecodable() : Accept(stored, Finding::AcceptedStamped);
        }

        if (s.NormaliseOnly()) {
            m_outcome.stage = CheckStage::NormaliseOnly;
            const Image decoded = Decode();
            if (decoded.empty())
                return RejectUndecodable();
            NoteStretch(decoded.size());
            return Accept(Normalise(decoded, s), Finding::AcceptedNormalised);
        }

        m_outcome.stage = CheckStage::FileSize;
        Write(&CheckVerdict::sizeOk, IsFileLengthAccepted(m_photo.length, s));
        if (!m_outcome.verdict.sizeOk) {
            const auto length = static_cast<double>(m_photo.length);
            const double minimum = static_cast<double>(MinimumFileLength(s));
            const auto maximum = MaximumFileLength(s);
            Reason reason = length < minimum
                                ? Bound(Finding::FileTooSmall, length, minimum, maximum, Direction::Raise, "pic_min_size")
                                : Bound(Finding::FileTooLarge, length, minimum, maximum, Direction::Lower, "pic_max_size");
            reason.lowInclusive = reason.highInclusive = true;
            m_outcome.reasons.push_back(reason);
            Reject(TipImage::FileSizeOutsideWindow);
            return FurtherAfterFileSize();
        }

        m_outcome.stage = CheckStage::Dimensions;
        Image normalised;
        cv::Size stored;
        {
            const Image decoded = Decode();
            if (decoded.empty()) {
                Write(&CheckVerdict::dimsOk, false);
                return RejectUndecodable();
            }
            stored = decoded.size();
            auto reasons = DimensionReasons(stored, s);
            Write(&CheckVerdict::dimsOk, reasons.empty());
            if (!reasons.empty()) {
                m_outcome.reasons = std::move(reasons);
                Reject(TipImage::BadDimensions);
                // Normalised as the face stage would, so that a landscape group is told its faces.
                return FurtherBackgroundAndFace(Normalise(decoded, s));
            }
            normalised = Normalise(decoded, s);
        }  // the decoded source is released here

        m_outcome.stage = CheckStage::Background;
        const BackgroundWalk background = WalkBackground(normalised, s);
        if (background.examined)
            Write(&CheckVerdict::backgroundOk, !background.firstFailure);
        if (background.firstFailure || !background.examined) {
            m_outcome.backgroundFailure = background.firstFailure;
            if (background.firstFailure)
                m_outcome.backgroundFault = DescribeBackgroundFault(normalised, s, background.firstFailure->strip);
            m_outcome.reasons.push_back(Plain(Finding::BackgroundNotPlain));
            Reject(TipImage::BackgroundNotPlain);
            return FurtherFace(normalised);
        }

        m_outcome.stage = CheckStage::Face;
        if (!m_state.detector) {
            // Without a detector no face can be found; the photo is not judged on it.
            m_outcome.error = CheckError::DetectorUnavailable;
            Write(&CheckVerdict::faceOk, false);
            return Reject(TipImage::NoSingleFace);
        }
        CheckVerdict faceVerdict;
        FaceReport face = InspectFace(*m_state.detector, normalised, s, faceVerdict);
        m_outcome.faces = std::move(face.faces);
        m_outcome.placement = face.placement;
        if (m_outcome.faces.size() == 1)
            m_outcome.advisories = JudgeAdvisories(MeasureAdvisories(normalised, m_outcome.faces.front()));
        Write(&CheckVerdict::faceOk, faceVerdict.faceOk);
        switch (face.result) {
        case FaceResult::NoSingleFace: {
            const auto count = static_cast<double>(m_outcome.faces.size());
            m_outcome.reasons.push_back(Plain(count == 0 ? Finding::NoFace : Finding::SeveralFaces, count));
            return Reject(TipImage::NoSingleFace);
        }
        case FaceResult::BadlyPlacedFace:
            Write(&CheckVerdict::positionOk, false);
            m_outcome.reasons = PlacementReasons(*face.placement, s);
            return Reject(TipImage::FaceBadlyPlaced);
        case FaceResult::FaceAccepted:
            Write(&CheckVerdict::positionOk, true);
            break;
        }
        NoteStretch(stored);
        Accept(normalised, Finding::Accepted);
    }

    State& m_state;
    const PhotoBytes& m_photo;
    CheckOutcome m_outcome;
};

PhotoChecker::PhotoChecker(const CheckSettings& settings, std::filesystem::path programDir)
    : m_state(std::make_unique<State>())
{
    m_state->settings = settings;
    m_state->programDir = std::move(programDir);
    m_state->detector = FaceDetector::Load(m_state->programDir / kFaceCascadeFileName);
}

PhotoChecker::~PhotoChecker() = default;
PhotoChecker::PhotoChecker(PhotoChecker&&) noexcept = default;
PhotoChecker& PhotoChecker::operator=(PhotoChecker&&) noexcept = default;

bool PhotoChecker::HasFaceDetector() const noexcept { return m_state->detector.has_value(); }

const CheckSettings& PhotoChecker::Settings() const noexcept { return m_state->settings; }

void PhotoChecker::TrustStamp(bool trust) noexcept { m_state->trustStamp = trust; }

CheckOutcome PhotoChecker::Check(const std::filesystem::path& photo)
{
    const std::optional<PhotoFileData> data = ReadPhotoFile(photo, kMaxPhotoBytes);
    if (!data) {
        const PhotoBytes nothing;
        return State::Run(*m_state, nothing).Unreadable();
    }
    PhotoBytes bytes{data->length, data->head, data->tail, std::nullopt};
    if (data->whole)
        bytes.whole = std::span<const std::uint8_t>(data->contents);
    return State::Run(*m_state, bytes).Finish();
}

CheckOutcome PhotoChecker::CheckBytes(std::span<const std::uint8_t> bytes)
{
    const std::size_t ends = std::min(kPhotoEndBytes, bytes.size());
    const PhotoBytes photo{bytes.size(), bytes.first(ends), bytes.last(ends),
                           bytes.size() <= kMaxPhotoBytes ? std::optional(bytes) : std::nullopt};
    return State::Run(*m_state, photo).Finish();
}

PhotoFix PhotoChecker::FixPhoto(std::span<const std::uint8_t> bytes, const CheckOutcome& checked)
{
    PhotoFix fix;
    if (!IsFixOffered(checked))
        fix.refusal = FixRefusal::NotOffered;
    else if (!m_state->detector)
        fix.refusal = FixRefusal::DetectorUnavailable;
    else
        fix = MakeFixedCopy(bytes, *m_state->detector, m_state->settings);
    if (fix.Made())
        fix.outcome = CheckBytes(fix.bytes);
    return fix;
}

}  // namespace velmora
