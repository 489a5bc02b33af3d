// velmora-check: the desktop program's checks for many photos at once, for people who vet
// photos in bulk or tune setting.ini.
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "velmora/export.h"
#include "velmora/photo_checker.h"
#include "velmora/program_dir.h"
#include "velmora/settings.h"

using namespace velmora;

namespace {

constexpr int kAllAccepted = 0;
constexpr int kSomeRejected = 1;
constexpr int kBadUsage = 2;

constexpr std::string_view kUsage =
    "usage: velmora-check [--settings FILE] [--json] [--save-dir DIR] [--] PHOTO...\n"
    "Checks each photo as the desktop program does. Exit status: 0 all accepted,\n"
    "1 some rejected (or not saved), 2 bad usage or unreadable settings.\n";

struct Options {
    std::optional<std::filesystem::path> settingsFile;
    std::optional<std::filesystem::path> saveDir;
    bool json = false;
    std::vector<std::filesystem::path> photos;
};

std::optional<Options> ParseArguments(int argc, char** argv)
{
    Options options;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (optionsEnded || arg.empty() || arg.front() != '-' || arg == "-")
            options.photos.emplace_back(argv[i]);
        else if (arg == "--")
            optionsEnded = true;
        else if (arg == "--json")
            options.json = true;
        else if (arg == "--settings" && hasValue)
            options.settingsFile = argv[++i];
        else if (arg == "--save-dir" && hasValue)
            options.saveDir = argv[++i];
        else
            return std::nullopt;
    }
    if (options.photos.empty())
        return std::nullopt;
    return options;
}

const char* TipReason(TipImage tip)
{
    switch (tip) {
    case TipImage::NotJpeg: return "not a JPEG file";
    case TipImage::FileSizeOutsideWindow: return "file length outside the allowed KiB window";
    case TipImage::BadDimensions: return "pixel size or aspect not acceptable, or the photo cannot be decoded";
    case TipImage::BackgroundNotPlain: return "background along the top corners is not plain";
    case TipImage::NoSingleFace: return "not exactly one frontal face";
    case TipImage::FaceBadlyPlaced: return "face too large, too small, too high or too low";
    }
    return "rejected";
}

std::string PathText(const std::filesystem::path& path)
{
    const std::u8string text = path.u8string();
    return {text.begin(), text.end()};
}

// JSON string contents: escapes, and U+FFFD for bytes that are not UTF-8 (file names need not be).
std::string JsonString(std::string_view text)
{
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
            ++i;
        } else if (c < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
            ++i;
        } else if (c < 0x80) {
            out += static_cast<char>(c);
            ++i;
        } else {
            const std::size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 0;
            bool valid = length != 0 && c < 0xF5 && i + length <= text.size();
            for (std::size_t k = 1; valid && k < length; ++k)
                valid = (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80;
            out += valid ? std::string(text.substr(i, length)) : std::string("\xEF\xBF\xBD");
            i += valid ? length : 1;
        }
    }
    return out + "\"";
}

const char* Bool(bool value) { return value ? "true" : "false"; }

const char* ErrorText(CheckError error)
{
    switch (error) {
    case CheckError::None: return "";
    case CheckError::FileUnreadable: return "cannot read the file";
    case CheckError::DetectorUnavailable: return "face detector unavailable";
    }
    return "cannot check";
}

std::string PathText(const std::filesystem::path& path);

std::string ExportErrorText(const ExportResult& result, const std::filesystem::path& target)
{
    switch (result.error) {
    case ExportError::None: return "";
    case ExportError::NothingToSave: return "nothing to save";
    case ExportError::UnsupportedExtension: return "no encoder for the extension \"" + result.extension + "\"";
    case ExportError::CannotWrite: return "cannot write in the folder" + (result.system ? ": " + result.system.message() : "");
    case ExportError::TargetExists: return PathText(target) + " exists";
    case ExportError::CannotReplace: return "cannot move the file into place" + (result.system ? ": " + result.system.message() : "");
    }
    return "not saved";
}

struct Saved {
    std::filesystem::path target;
    ExportResult result;
};

std::string JsonLine(const std::filesystem::path& photo, const CheckOutcome& outcome, const std::optional<Saved>& saved)
{
    const CheckVerdict& v = outcome.verdict;
    std::ostringstream json;
    json << "{\"file\": " << JsonString(PathText(photo)) << ", \"accepted\": " << Bool(outcome.accepted)
         << ", \"tip\": ";
    if (outcome.tip)
        json << static_cast<int>(*outcome.tip);
    else
        json << "null";
    if (outcome.error != CheckError::None)
        json << ", \"error\": " << JsonString(ErrorText(outcome.error));
    json << ", \"verdict\": {\"jpeg\": " << Bool(v.jpeg) << ", \"stamped\": " << Bool(v.stamped)
         << ", \"sizeOk\": " << Bool(v.sizeOk) << ", \"dimsOk\": " << Bool(v.dimsOk)
         << ", \"backgroundOk\": " << Bool(v.backgroundOk) << ", \"faceOk\": " << Bool(v.faceOk)
         << ", \"positionOk\": " << Bool(v.positionOk) << "}";
    if (outcome.accepted)
        json << ", \"width\": " << outcome.display.cols << ", \"height\": " << outcome.display.rows;
    else
        json << ", \"width\": null, \"height\": null";
    if (const auto& p = outcome.backgroundFailure)
        json << ", \"backgroundFailure\": {\"row\": " << p->row << ", \"column\": " << p->column
             << ", \"h\": " << p->h << ", \"s\": " << p->s << ", \"v\": " << p->v << "}";
    if (outcome.stage == CheckStage::Face && outcome.error == CheckError::None) {
        json << ", \"faces\": " << outcome.faces.size();
        if (outcome.placement && outcome.faces.size() == 1) {
            const cv::Rect& r = outcome.faces.front();
            json << ", \"face\": {\"x\": " << r.x << ", \"y\": " << r.y << ", \"width\": " << r.width
                 << ", \"height\": " << r.height << ", \"ratioY\": " << outcome.placement->ratioY
                 << ", \"ratioX\": " << outcome.placement->ratioX << "}";
        }
    }
    if (saved) {
        json << ", \"saved\": " << Bool(static_cast<bool>(saved->result));
        if (!saved->result)
            json << ", \"saveError\": " << JsonString(ExportErrorText(saved->result, saved->target));
    }
    json << "}";
    return json.str();
}

std::string TextLine(const std::filesystem::path& photo, const CheckOutcome& outcome, const std::optional<Saved>& saved)
{
    std::ostringstream line;
    line << PathText(photo) << ": ";
    if (outcome.error != CheckError::None)
        line << "error: " << ErrorText(outcome.error);
    else if (outcome.accepted)
        line << "accepted (" << outcome.display.cols << " x " << outcome.display.rows << ")";
    else
        line << "rejected, tip " << static_cast<int>(*outcome.tip) << ": " << TipReason(*outcome.tip);
    if (saved)
        line << (saved->result ? ", saved" : ", not saved: " + ExportErrorText(saved->result, saved->target));
    return line.str();
}

// Saves the accepted photo under its own name in the folder; a file already there, the photo
// itself included, is never replaced.
Saved SaveAccepted(const std::filesystem::path& photo, const std::filesystem::path& dir, const CheckOutcome& outcome)
{
    const std::filesystem::path target = dir / photo.filename();
    return {target, ExportAcceptedPhoto(outcome.display, outcome.verdict.stamped, target, ExportMode::KeepExisting)};
}

}  // namespace

int main(int argc, char** argv)
{
    const std::optional<Options> options = ParseArguments(argc, argv);
    if (!options) {
        std::cerr << kUsage;
        return kBadUsage;
    }

    const std::filesystem::path programDir = LocateProgramDirectory();
    CheckSettings settings;
    const std::filesystem::path settingsFile = options->settingsFile.value_or(programDir / kSettingsFileName);
    const SettingsLoad load = ReadCheckSettingsFile(settingsFile, settings);
    if (!load) {
        std::cerr << "velmora-check: " << PathText(settingsFile) << ": ";
        switch (load.status) {
        case SettingsStatus::Missing: std::cerr << "no such settings file\n"; break;
        case SettingsStatus::Unreadable: std::cerr << "cannot read the settings file\n"; break;
        default: std::cerr << "value out of range: " << load.key << '\n'; break;
        }
        return kBadUsage;
    }
    PhotoChecker checker(settings, programDir);
    if (!checker.HasFaceDetector()) {
        std::cerr << "velmora-check: " << PathText(programDir / kFaceCascadeFileName)
                  << ": face cascade missing or unreadable\n";
        return kBadUsage;
    }
    if (options->saveDir && !std::filesystem::is_directory(*options->saveDir)) {
        std::cerr << "velmora-check: " << PathText(*options->saveDir) << ": not a folder\n";
        return kBadUsage;
    }

    int status = kAllAccepted;
    for (const std::filesystem::path& photo : options->photos) {
        const CheckOutcome outcome = checker.Check(photo);
        std::optional<Saved> saved;
        if (outcome.accepted && options->saveDir)
            saved = SaveAccepted(photo, *options->saveDir, outcome);
        if (!outcome.accepted || (saved && !saved->result))
            status = kSomeRejected;
        std::cout << (options->json ? JsonLine(photo, outcome, saved) : TextLine(photo, outcome, saved)) << '\n';
    }
    return status;
}
