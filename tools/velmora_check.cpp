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

#include "engine/face.h"
#include "engine/photo_check.h"
#include "engine/sequence.h"

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

std::string JsonLine(const std::filesystem::path& photo, const CheckOutcome& outcome, const CheckVerdict& v,
                     const CheckDiagnostics& diagnostics, const std::optional<ExportResult>& saved)
{
    std::ostringstream json;
    json << "{\"file\": " << JsonString(PathText(photo)) << ", \"accepted\": " << Bool(outcome.accepted)
         << ", \"tip\": ";
    if (outcome.tip)
        json << static_cast<int>(*outcome.tip);
    else
        json << "null";
    json << ", \"verdict\": {\"jpeg\": " << Bool(v.jpeg) << ", \"stamped\": " << Bool(v.stamped)
         << ", \"sizeOk\": " << Bool(v.sizeOk) << ", \"dimsOk\": " << Bool(v.dimsOk)
         << ", \"backgroundOk\": " << Bool(v.backgroundOk) << ", \"faceOk\": " << Bool(v.faceOk)
         << ", \"positionOk\": " << Bool(v.positionOk) << "}";
    if (outcome.accepted)
        json << ", \"width\": " << outcome.display.cols << ", \"height\": " << outcome.display.rows;
    else
        json << ", \"width\": null, \"height\": null";
    if (const auto& p = diagnostics.backgroundFailure)
        json << ", \"backgroundFailure\": {\"row\": " << p->row << ", \"column\": " << p->column
             << ", \"h\": " << p->h << ", \"s\": " << p->s << ", \"v\": " << p->v << "}";
    if (const auto& face = diagnostics.face) {
        json << ", \"faces\": " << face->faces.size();
        if (face->placement && face->faces.size() == 1) {
            const cv::Rect& r = face->faces.front();
            json << ", \"face\": {\"x\": " << r.x << ", \"y\": " << r.y << ", \"width\": " << r.width
                 << ", \"height\": " << r.height << ", \"ratioY\": " << face->placement->ratioY
                 << ", \"ratioX\": " << face->placement->ratioX << "}";
        }
    }
    if (saved) {
        json << ", \"saved\": " << Bool(saved->ok);
        if (!saved->ok)
            json << ", \"saveError\": " << JsonString(saved->reason);
    }
    json << "}";
    return json.str();
}

std::string TextLine(const std::filesystem::path& photo, const CheckOutcome& outcome,
                     const std::optional<ExportResult>& saved)
{
    std::ostringstream line;
    line << PathText(photo) << ": ";
    if (outcome.accepted)
        line << "accepted (" << outcome.display.cols << " x " << outcome.display.rows << ")";
    else
        line << "rejected, tip " << static_cast<int>(*outcome.tip) << ": " << TipReason(*outcome.tip);
    if (saved)
        line << (saved->ok ? ", saved" : ", not saved: " + saved->reason);
    return line.str();
}

// Saves the accepted photo under its own name in the folder, unless that is the photo itself.
ExportResult SaveAccepted(const std::filesystem::path& photo, const std::filesystem::path& dir,
                          const CheckVerdict& verdict)
{
    const std::filesystem::path target = dir / photo.filename();
    std::error_code error;
    if (std::filesystem::equivalent(photo, target, error))
        return {false, "the target is the photo itself"};
    return ExportAcceptedPhoto(target, verdict);
}

}  // namespace

int main(int argc, char** argv)
{
    const std::optional<Options> options = ParseArguments(argc, argv);
    if (!options) {
        std::cerr << kUsage;
        return kBadUsage;
    }

    LocateProgramDirectory();
    CheckSettings settings;
    const std::filesystem::path settingsFile = options->settingsFile.value_or(g_exeDir / "setting.ini");
    const SettingsLoad load = ReadCheckSettingsFile(settingsFile, settings);
    if (!load) {
        std::cerr << "velmora-check: " << PathText(settingsFile)
                  << (load.status == SettingsStatus::Missing ? ": no such settings file"
                                                             : ": value out of range: " + load.key)
                  << '\n';
        return kBadUsage;
    }
    if (!LoadFaceCascade(g_exeDir)) {
        std::cerr << "velmora-check: " << PathText(g_exeDir / kFaceCascadeFile) << ": face cascade missing or unreadable\n";
        return kBadUsage;
    }
    if (options->saveDir && !std::filesystem::is_directory(*options->saveDir)) {
        std::cerr << "velmora-check: " << PathText(*options->saveDir) << ": not a folder\n";
        return kBadUsage;
    }

    int status = kAllAccepted;
    for (const std::filesystem::path& photo : options->photos) {
        CheckVerdict verdict;
        CheckDiagnostics diagnostics;
        g_resultImage.release();
        const CheckOutcome outcome = RunPhotoCheck(photo, settings, verdict, &diagnostics);
        std::optional<ExportResult> saved;
        if (outcome.accepted && options->saveDir)
            saved = SaveAccepted(photo, *options->saveDir, verdict);
        if (!outcome.accepted || (saved && !saved->ok))
            status = kSomeRejected;
        std::cout << (options->json ? JsonLine(photo, outcome, verdict, diagnostics, saved)
                                    : TextLine(photo, outcome, saved))
                  << '\n';
    }
    return status;
}
