// velmora-check: the desktop program's checks for many photos at once, for people who vet
// photos in bulk or tune setting.ini.
#include <charconv>
#include <exception>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include <opencv2/core/utility.hpp>

#include "velmora/export.h"
#include "velmora/photo_checker.h"
#include "velmora/program_dir.h"
#include "velmora/settings.h"
#include "velmora_check/check_photo.h"
#include "velmora_check/command_line.h"
#include "velmora_check/english.h"
#include "velmora_check/fix_photo.h"
#include "velmora_check/html_report.h"
#include "velmora_check/inputs.h"
#include "velmora_check/ordered_pool.h"
#include "velmora_check/progress.h"
#include "velmora_check/record_json.h"
#include "velmora_check/summary.h"
#include "velmora_check/thumbnail.h"
#include "velmora_check/utf8.h"

namespace fs = std::filesystem;
using namespace velmora_check;
using velmora::CheckSettings;
using velmora::ExportResult;
using velmora::PhotoChecker;

namespace {

constexpr int kAllAccepted = 0;
constexpr int kSomeRejected = 1;
constexpr int kBadUsage = 2;

constexpr std::string_view kUsage =
    "usage: velmora-check [OPTION]... [--] [PHOTO | FOLDER]...\n"
    "       velmora-check --report-from RESULTS.jsonl... --report FILE.html\n"
    "Checks each photo as the desktop program does; folders are searched for\n"
    ".jpg, .jpeg, .jpe and .jfif files.\n"
    "  --settings FILE     thresholds from FILE, not the setting.ini beside the program\n"
    "  --json              one JSON object per photo instead of a line of text\n"
    "  --save-dir DIR      save each accepted photo there under its own name, never over a file\n"
    "  --recheck-stamped   check photos that carry the check stamp in full, as anyone can\n"
    "                      append the stamp (the desktop program accepts them as stored)\n"
    "  --fix-dir DIR       write a fixed copy of each rejected photo there (turned, cropped and\n"
    "                      scaled, no pixel retouched) under its own name, never over a file,\n"
    "                      and check it too\n"
    "  --files-from FILE   check the photos and folders listed in FILE, one a line (- reads\n"
    "                      standard input); with -0 the list is separated by NUL characters\n"
    "  --report FILE.html  write a page with a card per photo\n"
    "  --report-from FILE  make the report from the --json lines of earlier runs (repeatable)\n"
    "  --jobs N            check N photos at a time (default: one per core); the output is\n"
    "                      the same for every N\n"
    "  --quiet             no progress line and no summary on standard error\n"
    "  --help              this text, on standard output\n"
    "Exit status: 0 all accepted; 1 some rejected, not checked or not saved, or no photo among\n"
    "the inputs; 2 bad usage, unreadable settings, list or results, no face cascade, or a report\n"
    "that cannot be written.\n";

struct Options {
    std::optional<fs::path> settingsFile;
    std::optional<fs::path> saveDir;
    std::optional<fs::path> fixDir;
    std::optional<fs::path> report;
    std::vector<fs::path> filesFrom;
    std::vector<fs::path> reportFrom;
    bool json = false;
    bool nulSeparated = false;
    bool quiet = false;
    bool recheckStamped = false;
    bool help = false;
    unsigned jobs = 0;  // 0: one per core
    std::vector<fs::path> inputs;
};

// A whole number from 1 to 1024, nothing else.
std::optional<unsigned> JobCount(std::string_view text)
{
    unsigned value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size() || value < 1 || value > 1024)
        return std::nullopt;
    return value;
}

std::optional<Options> ParseArguments(int argc, char** argv)
{
    Options options;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (optionsEnded || arg.empty() || arg.front() != '-' || arg == "-")
            options.inputs.push_back(PathFromText(argv[i]));
        else if (arg == "--")
            optionsEnded = true;
        else if (arg == "--help" || arg == "-h") {
            options.help = true;  // asked for, it is the answer whatever else was given
            return options;
        }
        else if (arg == "--json")
            options.json = true;
        else if (arg == "-0")
            options.nulSeparated = true;
        else if (arg == "--quiet")
            options.quiet = true;
        else if (arg == "--recheck-stamped")
            options.recheckStamped = true;
        else if (arg == "--settings" && hasValue)
            options.settingsFile = PathFromText(argv[++i]);
        else if (arg == "--save-dir" && hasValue)
            options.saveDir = PathFromText(argv[++i]);
        else if (arg == "--fix-dir" && hasValue)
            options.fixDir = PathFromText(argv[++i]);
        else if (arg == "--report" && hasValue)
            options.report = PathFromText(argv[++i]);
        else if (arg == "--files-from" && hasValue)
            options.filesFrom.push_back(PathFromText(argv[++i]));
        else if (arg == "--report-from" && hasValue)
            options.reportFrom.push_back(PathFromText(argv[++i]));
        else if (arg == "--jobs" && hasValue && JobCount(argv[i + 1]))
            options.jobs = *JobCount(argv[++i]);
        else
            return std::nullopt;
    }
    if (!options.reportFrom.empty()) {
        // Making a report from earlier results checks nothing.
        const bool checkOptions = options.settingsFile || options.saveDir || options.fixDir || options.json ||
                                  options.recheckStamped ||
                                  !options.filesFrom.empty() || !options.inputs.empty();
        if (!options.report || checkOptions)
            return std::nullopt;
    } else if (options.inputs.empty() && options.filesFrom.empty()) {
        return std::nullopt;
    }
    if (options.nulSeparated && options.filesFrom.empty())
        return std::nullopt;
    return options;
}

void Complain(const fs::path& path, std::string_view message)
{
    std::cerr << "velmora-check: " << PathText(path) << ": " << message << '\n';
}

// A list or results file to read, "-" being standard input; no stream for a folder or a file
// that cannot be opened.
class InputFile {
public:
    explicit InputFile(const fs::path& path) : standardInput_(path == "-")
    {
        if (!standardInput_ && !fs::is_directory(path))
            file_.open(path, std::ios::binary);
    }
    std::istream* Stream()
    {
        if (standardInput_)
            return &std::cin;
        return file_.is_open() ? &file_ : nullptr;
    }

private:
    bool standardInput_;
    std::ifstream file_;
};

// False (with a message) when a list cannot be read at all; its entries go through AddInput.
bool CollectInputs(const Options& options, Inputs& inputs)
{
    for (const fs::path& input : options.inputs)
        AddInput(input, inputs);
    for (const fs::path& list : options.filesFrom) {
        InputFile file(list);
        std::istream* in = file.Stream();
        if (!in) {
            Complain(list, "cannot read the list of photos");
            return false;
        }
        for (const std::string& entry : ReadList(*in, options.nulSeparated ? '\0' : '\n'))
            AddInput(PathFromText(entry), inputs);
        if (in->bad()) {
            Complain(list, "cannot read the whole list of photos");
            return false;
        }
    }
    return true;
}

// Saves the accepted photo under its own name in the folder; a file already there, the photo
// itself included, is never replaced. The save note for the text line, or empty when saved.
std::optional<std::string> SaveAccepted(const fs::path& photo, const fs::path& dir, const CheckedPhoto& checked)
{
    const fs::path target = dir / photo.filename();
    const ExportResult result =
        velmora::ExportAcceptedPhoto(checked.accepted, checked.stamped, target, velmora::ExportMode::KeepExisting);
    if (result)
        return std::nullopt;
    return ExportErrorText(result, target);
}

unsigned JobsOf(const Options& options)
{
    return options.jobs != 0 ? options.jobs : std::max(1u, std::thread::hardware_concurrency());
}

double SecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Ends a run: the summary on standard error and the report written out. Results that could not
// all be written (a full disk behind standard output) fail the run rather than pass for done.
int Finish(const Options& options, const OutcomeCounts& counts, std::optional<HtmlReport>& report,
           std::chrono::steady_clock::time_point start, int status)
{
    std::cout.flush();
    if (!std::cout) {
        std::cerr << "velmora-check: cannot write the results to standard output\n";
        status = kBadUsage;
    }
    if (!options.quiet)
        std::cerr << SummaryText(counts, SecondsSince(start));
    if (report && !report->Finish()) {
        Complain(*options.report, report->Error());
        return kBadUsage;
    }
    return status;
}

int MakeReportFromResults(const Options& options)
{
    const auto start = std::chrono::steady_clock::now();
    std::optional<HtmlReport> report(std::in_place, *options.report);
    if (!*report) {
        Complain(*options.report, report->Error());
        return kBadUsage;
    }
    int status = kAllAccepted;
    std::vector<PhotoRecord> records;
    for (const fs::path& results : options.reportFrom) {
        InputFile file(results);
        std::istream* in = file.Stream();
        if (!in) {
            Complain(results, "cannot read the results");
            return kBadUsage;
        }
        std::string line;
        for (std::size_t number = 1; std::getline(*in, line); ++number) {
            if (line.find_first_not_of(" \t\r") == std::string::npos)
                continue;
            if (std::optional<PhotoRecord> record = RecordFromJsonLine(line)) {
                records.push_back(std::move(*record));
            } else {
                Complain(results, "line " + std::to_string(number) + " is not a result line; left out");
                status = kSomeRejected;
            }
        }
    }

    // Decoding the photos again for their thumbnails is the slow part: spread it over the cores.
    const fs::path programDir = velmora::LocateProgramDirectory();
    std::vector<ThumbnailMaker> workers;
    for (unsigned k = 0; k < JobsOf(options); ++k)
        workers.emplace_back(programDir);
    OutcomeCounts counts;
    ProgressLine progress(stderr, !options.quiet && IsTerminal(stderr), records.size());
    RunInInputOrder(
        workers, records.size(), 4 * workers.size(),
        [&records](ThumbnailMaker& thumbnails, std::size_t i) {
            PhotoRecord record = std::move(records[i]);
            if (record.normalisedSize) {
                record.thumbnail = thumbnails.OfFile(PathFromText(record.file), *record.normalisedSize);
            }
            return record;
        },
        [&](std::size_t i, PhotoRecord&& record) {
            if (record.outcome.kind != Outcome::Kind::Accepted)
                status = kSomeRejected;
            counts.Add(record.outcome);
            report->Add(record);
            progress.Update(i + 1);
        });
    progress.Clear();
    return Finish(options, counts, report, start, status);
}

int Run(int argc, char** argv)
{
    const std::optional<Options> options = ParseArguments(argc, argv);
    if (!options) {
        std::cerr << kUsage;
        return kBadUsage;
    }
    if (options->help) {
        std::cout << kUsage;
        std::cout.flush();
        return std::cout ? kAllAccepted : kBadUsage;
    }
    // Photos are spread over threads here (--jobs); OpenCV's own threads inside one photo's
    // resize and detection would only contend with them.
    cv::setNumThreads(1);
    if (!options->reportFrom.empty())
        return MakeReportFromResults(*options);

    const auto start = std::chrono::steady_clock::now();
    const fs::path programDir = velmora::LocateProgramDirectory();
    CheckSettings settings;
    const fs::path settingsFile = options->settingsFile.value_or(programDir / velmora::kSettingsFileName);
    const velmora::SettingsLoad load = velmora::ReadCheckSettingsFile(settingsFile, settings);
    switch (load.status) {
    case velmora::SettingsStatus::Loaded: break;
    case velmora::SettingsStatus::Missing: Complain(settingsFile, "no such settings file"); return kBadUsage;
    case velmora::SettingsStatus::Unreadable: Complain(settingsFile, "cannot read the settings file"); return kBadUsage;
    case velmora::SettingsStatus::OutOfRange: Complain(settingsFile, "value out of range: " + load.key); return kBadUsage;
    }
    for (const auto& dir : {options->saveDir, options->fixDir})
        if (dir && !fs::is_directory(*dir)) {
            Complain(*dir, "not a folder");
            return kBadUsage;
        }
    std::optional<HtmlReport> report;
    if (options->report) {
        report.emplace(*options->report);
        if (!*report) {
            Complain(*options->report, report->Error());
            return kBadUsage;
        }
    }

    Inputs inputs;
    if (!CollectInputs(*options, inputs))
        return kBadUsage;
    int status = kAllAccepted;
    for (const InputNote& note : inputs.notes) {
        Complain(note.path, note.message);
        if (note.photosMissed)
            status = kSomeRejected;
    }
    // Folders or lists with nothing to check must not pass for a run in which all was accepted.
    if (inputs.photos.empty()) {
        std::cerr << "velmora-check: no photo to check: the folders and lists given hold no .jpg, .jpeg, .jpe "
                     "or .jfif file\n";
        return Finish(*options, OutcomeCounts{}, report, start, kSomeRejected);
    }

    // One checker per thread, each with its own face detector; a detector that cannot be loaded
    // would turn every photo into an error, so the run stops instead.
    std::vector<CheckWorker> workers;
    const std::size_t jobs = std::min<std::size_t>(JobsOf(*options), std::max<std::size_t>(1, inputs.photos.size()));
    for (std::size_t k = 0; k < jobs; ++k) {
        workers.push_back({PhotoChecker(settings, programDir), std::nullopt, options->fixDir.has_value()});
        workers.back().checker.TrustStamp(!options->recheckStamped);
        if (!workers.back().checker.HasFaceDetector()) {
            Complain(programDir / velmora::kFaceCascadeFileName, "face cascade missing or unreadable");
            return kBadUsage;
        }
        if (report)
            workers.back().thumbnails.emplace(programDir);
    }

    OutcomeCounts counts;
    ProgressLine progress(stderr, !options->quiet && IsTerminal(stderr), inputs.photos.size());
    // On a shared terminal each result line goes above the progress line, which is drawn anew.
    const bool sharedTerminal = IsTerminal(stdout) && IsTerminal(stderr);
    RunInInputOrder(
        workers, inputs.photos.size(), 4 * workers.size(),
        [&](CheckWorker& worker, std::size_t i) { return CheckPhoto(worker, inputs.photos[i]); },
        [&](std::size_t i, CheckedPhoto&& checked) {
            // Saves happen here, in input order, so that which of two same-named photos is
            // saved does not depend on the threads.
            std::string saveNote;
            const bool accepted = checked.record.outcome.kind == Outcome::Kind::Accepted;
            if (accepted && options->saveDir) {
                const std::optional<std::string> failure = SaveAccepted(inputs.photos[i], *options->saveDir, checked);
                checked.json.Add("saved", !failure);
                if (failure) {
                    checked.json.Add("saveError", *failure);
                    status = kSomeRejected;
                }
                saveNote = failure ? ", not saved: " + *failure : ", saved";
            }
            if (!accepted)
                status = kSomeRejected;
            if (checked.fix && options->fixDir) {
                const FixReport fixed = WriteFix(*checked.fix, inputs.photos[i], *options->fixDir, settings);
                checked.json.AddRaw("fix", fixed.json);
                saveNote += fixed.note;
            }
            if (sharedTerminal)
                progress.Clear();
            std::cout << (options->json ? checked.json.Close() : TextLine(checked.record, saveNote)) << '\n';
            if (sharedTerminal)
                std::cout.flush();
            counts.Add(checked.record.outcome);
            if (report)
                report->Add(checked.record);
            progress.Update(i + 1, sharedTerminal);
        });
    progress.Clear();
    return Finish(*options, counts, report, start, status);
}

}  // namespace

int main(int argc, char** argv)
{
    // Nothing is expected to throw; if something does (memory exhausted), say so and fail
    // rather than abort without a word.
    try {
        UseByteStreams();
        std::vector<std::string> arguments = Utf8Arguments(argc, argv);
        std::vector<char*> pointers;
        for (std::string& argument : arguments)
            pointers.push_back(argument.data());
        pointers.push_back(nullptr);
        return Run(static_cast<int>(arguments.size()), pointers.data());
    } catch (const std::exception& error) {
        std::cout.flush();
        std::cerr << "velmora-check: stopped: " << error.what() << '\n';
        return kBadUsage;
    }
}
