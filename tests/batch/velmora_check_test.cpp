#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/file_tests.h"
#include "photo_fixtures.h"
#include "portrait_scenes.h"
#include "run_check.h"

using namespace velmora;

namespace {

namespace fs = std::filesystem;

class VelmoraCheck : public testing::Test {
protected:
    RunResult Check(const std::vector<std::string>& args, const std::string& input = "</dev/null")
    {
        return RunCommand(CheckCommand(args), dir.path(), input);
    }

    std::string Photo(const std::string& name, const std::string& bytes)
    {
        const auto file = dir.path() / name;
        fs::create_directories(file.parent_path());
        WriteFile(file, bytes);
        return file.string();
    }

    std::string Copy(const std::string& fixture, const std::string& name)
    {
        return Photo(name, ReadWholeFile(Fixture(fixture)));
    }

    // The installed settings with the given lines put first, so that they win.
    std::string Settings(const std::string& lines)
    {
        std::string text = ReadWholeFile(ProgramDir() / "setting.ini");
        const std::size_t section = text.find("[zpshcs]");
        text.insert(text.find('\n', section) + 1, lines + "\n");
        return Photo("setting.ini", text);
    }

    TempDir dir;
};

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

TEST_F(VelmoraCheck, BadUsageExitsTwoWithUsage)
{
    const std::string photo = Fixture("id_white.jpg").string();
    for (const std::vector<std::string>& args : {std::vector<std::string>{},
                                                 {"--bogus", "a.jpg"},
                                                 {"--settings"},
                                                 {"--json"},
                                                 {"-0", photo},                              // -0 without a list
                                                 {"--report-from", "r.jsonl"},               // nowhere to write
                                                 {"--report-from", "r.jsonl", "--report", "x.html", photo}}) {
        const RunResult run = Check(args);
        EXPECT_EQ(run.status, 2);
        EXPECT_NE(run.err.find("usage:"), std::string::npos);
        EXPECT_TRUE(run.out.empty());
    }
}

TEST_F(VelmoraCheck, HelpIsAnAnswerNotAnError)
{
    for (const std::vector<std::string>& args : {std::vector<std::string>{"--help"},
                                                 {"-h"},
                                                 {"--json", "--help", "--bogus"}}) {
        const RunResult run = Check(args);
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.out.rfind("usage:", 0), 0u) << run.out;
        EXPECT_TRUE(run.err.empty()) << run.err;
    }
    const RunResult file = Check({"--", "--help"});  // after "--" it names a photo
    EXPECT_EQ(file.status, 1);
    EXPECT_TRUE(file.out.find("usage:") == std::string::npos);
}

TEST_F(VelmoraCheck, NothingToCheckIsSaidAndIsNoSuccess)
{
    std::filesystem::create_directories(dir.path() / "empty");
    Photo("notes/readme.txt", "not a photo");
    const auto emptyList = Photo("list.txt", "");
    for (const std::vector<std::string>& args : {std::vector<std::string>{(dir.path() / "empty").string()},
                                                 {(dir.path() / "notes").string()},
                                                 {"--files-from", emptyList},
                                                 {"--json", (dir.path() / "empty").string()}}) {
        const RunResult run = Check(args);
        EXPECT_EQ(run.status, 1) << args.back();
        EXPECT_TRUE(run.out.empty()) << run.out;
        EXPECT_NE(run.err.find("no photo to check"), std::string::npos) << run.err;
    }
}

TEST_F(VelmoraCheck, UnreadableSettingsExitTwoWithReason)
{
    const std::string photo = Fixture("id_white.jpg").string();
    const RunResult missing = Check({"--settings", (dir.path() / "none.ini").string(), photo});
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find("no such settings file"), std::string::npos);

    WriteFile(dir.path() / "bad.ini", "[zpshcs]\ndst_width=0\n");
    const RunResult bad = Check({"--settings", (dir.path() / "bad.ini").string(), photo});
    EXPECT_EQ(bad.status, 2);
    EXPECT_NE(bad.err.find("dst_width"), std::string::npos);

    // A folder is no settings file: checking with every default would judge for nothing.
    const RunResult folder = Check({"--settings", dir.path().string(), photo});
    EXPECT_EQ(folder.status, 2);
    EXPECT_NE(folder.err.find("cannot read the settings file"), std::string::npos) << folder.err;
    EXPECT_TRUE(folder.out.empty());
}

TEST_F(VelmoraCheck, OneLinePerPhotoAndStatusOfTheWorst)
{
    // Notes on an accepted photo follow its size: here normalising only, and a visible stretch.
    const std::string upright = Photo("upright.jpg", Encode(WhitePicture(295, 413), ".jpg"));
    const std::string squat = Photo("squat.jpg", Encode(WhitePicture(300, 380), ".jpg"));
    const RunResult accepted = Check({"--settings", Settings("cast=1"), upright, squat});
    EXPECT_EQ(accepted.status, 0);
    EXPECT_EQ(accepted.out, upright + ": accepted (295 x 413), normalised only, not checked (cast=1)\n" + squat +
                                ": accepted (295 x 413), normalised only, not checked (cast=1); stretched 10.5 % "
                                "taller when normalised\n");

    const std::string png = Photo("p.jpg", Encode(WhitePicture(300, 400), ".png"));
    const std::string missing = (dir.path() / "missing.jpg").string();
    const RunResult mixed =
        Check({Fixture("id_white.jpg").string(), png, Fixture("no_face.jpg").string(), missing});
    EXPECT_EQ(mixed.status, 1);
    EXPECT_EQ(mixed.out, Fixture("id_white.jpg").string() +
                             ": accepted (295 x 413)\n" + png +
                             ": rejected, tip 1: not a JPEG file\n" + Fixture("no_face.jpg").string() +
                             ": rejected, tip 7: no face found\n" + missing + ": error: cannot read the file\n");
}

// Each rejection says what was measured against what the settings allow, in figures. The
// bounds are pinned here; the measured figures are the photo's own.
TEST_F(VelmoraCheck, RejectionsGiveTheirFiguresInEnglish)
{
    struct Case {
        std::string photo;
        std::string settings;
        std::string text;    // pattern of the text line after "PHOTO: "
        std::string reason;  // pattern of the first element of the JSON line's reasons
    };
    const std::string bytes = std::to_string(fs::file_size(Fixture("id_white.jpg")));
    const std::vector<Case> cases = {
        {Fixture("face_low.jpg").string(), "ratio_y_min=0.3\nratio_y_max=0.5\nratio_x_min=0.1\nratio_x_max=0.9",
         R"(rejected, tip 8: face too low: ratio_y 0\.\d+, allowed 0\.3 < ratio_y < 0\.5 \(ratio_y_min\))",
         R"(\{"finding": "faceTooLow", "measured": 0\.\d+, "low": 0\.3, "lowInclusive": false, "high": 0\.5, )"
         R"("highInclusive": false, "direction": "raise", "key": "ratio_y_min", "text": "face too low: [^"]+"\})"},
        {Fixture("face_large.jpg").string(), "ratio_y_min=0.01\nratio_y_max=0.99\nratio_x_min=0.5\nratio_x_max=0.7",
         R"(rejected, tip 8: face too large: ratio_x 0\.\d+, allowed 0\.5 < ratio_x < 0\.7 \(ratio_x_min\))"
         R"(; advisory: head cut off at the top: 0 % free above the head, allowed from 1 % \([^)]+\))",
         R"(\{"finding": "faceTooLarge", "measured": 0\.\d+, "low": 0\.5, .*"direction": "raise", "key": "ratio_x_min")"},
        {Fixture("two_faces.jpg").string(), "", "rejected, tip 7: 2 faces found, 1 allowed",
         R"(\{"finding": "severalFaces", "measured": 2, "text": "2 faces found, 1 allowed"\})"},
        {Fixture("id_blue.jpg").string(), "bgc=0",
         R"(rejected, tip 6: background not plain at row \d+, column \d+ \((left|right) strip\): hue \d+, )"
         R"(saturation [0-9.]+, value [0-9.]+ - top-left corner tinted, not white: saturation 0\.\d+, )"
         R"(white needs saturation < [0-9.]+ \(s_min\), \d+ of \d+ strip pixels fail)",
         R"(\{"finding": "backgroundNotPlain", "measured": 0, "text": "background not plain at row )"},
        {Fixture("id_white.jpg").string(), "pic_min_size=0\npic_max_size=10",
         "rejected, tip 3: file too large: bytes " + bytes + R"(, allowed 0 <= bytes <= 10240 \(pic_max_size\))",
         R"(\{"finding": "fileTooLarge", "measured": )" + bytes +
             R"(, "low": 0, "lowInclusive": true, "high": 10240, "highInclusive": true, "direction": "lower", )"
             R"("key": "pic_max_size")"},
        {Fixture("id_white_exif6.jpg").string(), "min_width=100\nmin_height=100",
         R"(rejected, tip 4: not upright: height/width 0\.75, allowed 1 < height/width < 2; further: .*no face found)",
         R"(\{"finding": "notUpright", "measured": 0\.75, "low": 1, "lowInclusive": false, "high": 2, )"},
        {Fixture("id_white.jpg").string(), "min_width=400",
         R"(rejected, tip 4: too narrow: width \d+ px, allowed width > 400 \(min_width\))",
         R"(\{"finding": "tooNarrow", "measured": \d+, "low": 400, "lowInclusive": false, "direction": "raise", )"
         R"("key": "min_width")"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {c.photo};
        if (!c.settings.empty())
            args.insert(args.begin(), {"--settings", Settings(c.settings)});
        const RunResult text = Check(args);
        EXPECT_TRUE(std::regex_match(text.out, std::regex(std::regex_replace(c.photo, std::regex(R"([.^$|()\[\]{}*+?\\])"),
                                                                             R"(\$&)") +
                                                         ": " + c.text + "\n")))
            << text.out;
        args.insert(args.begin(), "--json");
        const RunResult json = Check(args);
        EXPECT_TRUE(std::regex_search(json.out, std::regex("\"reasons\": \\[" + c.reason))) << json.out;
    }
}

TEST_F(VelmoraCheck, JsonLinesStartEachPhotoFromFreshVerdict)
{
    const std::string png = Photo("q\"uote.jpg", Encode(WhitePicture(300, 400), ".png"));
    const RunResult run = Check({"--json", Fixture("id_white.jpg").string(), png});
    EXPECT_EQ(run.status, 1);
    const std::vector<std::string> lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].rfind("{\"file\": \"" + Fixture("id_white.jpg").string() +
                                 "\", \"accepted\": true, \"tip\": null, \"verdict\": {\"jpeg\": true, \"stamped\": "
                                 "false, \"sizeOk\": true, \"dimsOk\": true, \"backgroundOk\": true, \"faceOk\": "
                                 "true, \"positionOk\": true}, \"width\": 295, \"height\": 413, \"faces\": 1, "
                                 "\"face\": {",
                             0),
              0u)
        << lines[0];
    EXPECT_NE(lines[0].find("\"ratioY\": "), std::string::npos);
    EXPECT_NE(lines[0].find("\"outcome\": \"accepted\", \"reason\": \"\", "
                            "\"normalised\": {\"width\": 295, "
                            "\"height\": 413}, \"faceBoxes\": [{\"x\": "),
              std::string::npos)
        << lines[0];
    EXPECT_EQ(lines[1], "{\"file\": \"" + (dir.path() / "q\\\"uote.jpg").string() +
                            "\", \"accepted\": false, \"tip\": 1, \"verdict\": {\"jpeg\": false, \"stamped\": false, "
                            "\"sizeOk\": false, \"dimsOk\": false, \"backgroundOk\": false, \"faceOk\": false, "
                            "\"positionOk\": false}, \"width\": null, \"height\": null, \"reasons\": [{\"finding\": "
                            "\"notJpeg\", \"measured\": 0, \"text\": \"not a JPEG file\"}], \"outcome\": \"tip 1\", "
                            "\"reason\": \"not a JPEG file\", \"normalised\": null, \"faceBoxes\": [], "
                            "\"advisories\": []}");
}

// A photo blown up from a 63-pixel portrait passes every rule but is soft: accepted, with the
// advisory in the text line and in the JSON line's array.
TEST_F(VelmoraCheck, AcceptedPhotoCarriesItsAdvisories)
{
    const std::string photo = Fixture("calibration/standard_franz_blue_2.jpg").string();
    const RunResult text = Check({photo});
    EXPECT_EQ(text.status, 0);
    EXPECT_TRUE(std::regex_match(text.out, std::regex(".*: accepted \\(295 x 413\\); advisory: face blurred: fine detail "
                                                      "[0-9.]+ % of its contrast, allowed from 18\\.5 % \\([^)]+\\)\n")))
        << text.out;
    const RunResult json = Check({"--json", photo});
    EXPECT_TRUE(std::regex_search(json.out, std::regex(R"("accepted": true, .*"advisories": \[\{"kind": "blurred", )"
                                                       R"("measured": 0\.1[0-9]+, "threshold": 0\.185, "text": "face blurred: )")))
        << json.out;
}

TEST_F(VelmoraCheck, JsonTellsFirstFailingBackgroundPixel)
{
    cv::Mat photo = cv::imread(Fixture("id_white.jpg").string(), cv::IMREAD_COLOR);
    photo(cv::Rect(0, 0, 40, 40)).setTo(cv::Scalar(0, 0, 0));
    const RunResult run = Check({"--json", Photo("dark.jpg", Encode(photo, ".jpg"))});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("\"tip\": 6"), std::string::npos);
    EXPECT_NE(run.out.find("\"backgroundFailure\": {\"row\": 0, \"column\": 0, \"h\": "), std::string::npos)
        << run.out;
}

// A landscape group before a dim white wall: rejected for its shape as before, and told the
// wall and the two faces as further findings, on the text line and in the JSON line.
TEST_F(VelmoraCheck, FurtherFindingsFollowTheDecidingReason)
{
    cv::Mat photo = cv::imread(Fixture("two_faces.jpg").string(), cv::IMREAD_COLOR);
    photo.convertTo(photo, -1, 0.62, 0);
    cv::resize(photo, photo, cv::Size(496, 472), 0, 0, cv::INTER_AREA);
    const std::string file = Photo("group.jpg", Encode(photo, ".jpg", {cv::IMWRITE_JPEG_QUALITY, 92}));
    // The background keys as shipped today, so that a recalibration does not move these figures.
    const std::string strips = "i_max=0.7\ns_min=0.1\njc_a=100\njc_b=10\n";
    const std::string settings = Settings(strips + "bgc=0");

    const RunResult text = Check({"--settings", settings, file});
    EXPECT_EQ(text.status, 1);
    EXPECT_TRUE(std::regex_match(
        text.out, std::regex(R"(.*group\.jpg: rejected, tip 4: not upright: height/width [0-9.]+, allowed 1 < height/width < 2)"
                             R"(; further: background not plain: top-left corner too dark for white: value 0\.6\d, )"
                             R"(white needs value > 0\.7 \(i_max\), 1000 of 1000 strip pixels fail; 2 faces found, 1 allowed)"
                             "\n")))
        << text.out;

    const RunResult json = Check({"--json", "--settings", settings, file});
    EXPECT_TRUE(std::regex_search(json.out, std::regex(R"("reasons": \[\{"finding": "notUpright", [^\]]*\], )"
                                                       R"("further": \[\{"finding": "backgroundNotPlain", "measured": 0, )"
                                                       R"("text": "background not plain: top-left [^"]*"\}, )"
                                                       R"(\{"finding": "severalFaces", "measured": 2, "text": "2 faces found, 1 allowed"\}\])")))
        << json.out;
    EXPECT_TRUE(std::regex_search(json.out, std::regex(R"("backgroundFault": \{"rule": "white", "test": "tooDark", )"
                                                       R"("measured": 0\.6\d+, "limit": 0\.7, "key": "i_max", "corner": "left", )"
                                                       R"("failingPixels": 1000, "stripPixels": 1000\})")))
        << json.out;
    EXPECT_EQ(json.out.find("backgroundFailure"), std::string::npos) << "the verdict never reached the background";
    // On the red-or-blue rule a grey wall is told against white too, with the bands in degrees.
    const RunResult colour =
        Check({"--json", "--settings", Settings(strips + "bgc=1\nred_h_min=0.3\nblue_h_min=3.1\nblue_h_max=4.3"), file});
    EXPECT_TRUE(std::regex_search(colour.out, std::regex(R"("backgroundFault": \{"rule": "redOrBlue", "test": "tooDark", )"
                                                         R"("measured": 0\.6\d+, "limit": 0\.7, "key": "i_max", "redUpTo": 18, )"
                                                         R"("blueFrom": 186, "blueTo": 258, "corner": "left", )")))
        << colour.out;
    EXPECT_NE(json.out.find("\"verdict\": {\"jpeg\": true, \"stamped\": false, \"sizeOk\": true, \"dimsOk\": false, "
                            "\"backgroundOk\": false, \"faceOk\": false, \"positionOk\": false}"),
              std::string::npos)
        << json.out;
}

TEST_F(VelmoraCheck, SaveDirExportsAcceptedPhotosUnderTheirNames)
{
    const auto out = dir.path() / "out";
    fs::create_directory(out);
    const RunResult run =
        Check({"--save-dir", out.string(), Fixture("id_white.jpg").string(), Fixture("no_face.jpg").string()});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(HasCheckStamp(out / "id_white.jpg"));
    EXPECT_FALSE(fs::exists(out / "no_face.jpg"));
    EXPECT_NE(run.out.find("accepted (295 x 413), saved"), std::string::npos)
        << run.out;
}

TEST_F(VelmoraCheck, RecheckStampedDistrustsTheStampAndSaysSo)
{
    const std::string twoPeople = Photo("two.jpg", WithStamp(ReadWholeFile(Fixture("two_faces.jpg"))));
    const std::string typical = Photo("typical.jpg", WithStamp(ReadWholeFile(Fixture("id_white.jpg"))));

    const RunResult trusted = Check({twoPeople});
    EXPECT_EQ(trusted.status, 0) << trusted.out;

    const auto out = dir.path() / "out";
    fs::create_directory(out);
    const RunResult text = Check({"--recheck-stamped", "--save-dir", out.string(), twoPeople, typical});
    EXPECT_EQ(text.status, 1);
    const std::vector<std::string> lines = Lines(text.out);
    ASSERT_EQ(lines.size(), 2u) << text.out;
    EXPECT_NE(lines[0].find("rejected, tip 7: 2 faces found"), std::string::npos) << lines[0];
    for (const std::string& line : lines)
        EXPECT_NE(line.find("carries the check stamp: ignored, checked in full"), std::string::npos) << line;
    // Checked in full, the typical photo is saved normalised, with one stamp, not two.
    const std::string saved = ReadWholeFile(out / "typical.jpg");
    const std::string stamp(kCheckStamp.begin(), kCheckStamp.end());
    ASSERT_GT(saved.size(), 2 * stamp.size());
    EXPECT_TRUE(saved.ends_with(stamp));
    EXPECT_NE(saved.substr(saved.size() - 2 * stamp.size(), stamp.size()), stamp);

    const RunResult json = Check({"--recheck-stamped", "--json", twoPeople});
    EXPECT_NE(json.out.find("\"stampIgnored\""), std::string::npos) << json.out;
    EXPECT_NE(json.out.find("\"accepted\": false"), std::string::npos) << json.out;
}

TEST_F(VelmoraCheck, SaveDirNeverReplacesThePhotoItself)
{
    const std::string original = ReadWholeFile(Fixture("id_white.jpg"));
    const std::string photo = Photo("-own.jpg", original);
    const RunResult run = Check({"--save-dir", dir.path().string(), "--", photo});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("not saved: " + photo + " exists"), std::string::npos) << run.out;
    EXPECT_EQ(ReadWholeFile(photo), original);
}

TEST_F(VelmoraCheck, SaveDirKeepsWhatIsThereAndTellsWhichWasNotSaved)
{
    const auto out = dir.path() / "out";
    fs::create_directories(out);
    fs::create_directories(dir.path() / "a");
    fs::create_directories(dir.path() / "b");
    fs::copy_file(Fixture("id_white.jpg"), dir.path() / "a" / "photo.jpg");
    fs::copy_file(Fixture("id_blue.jpg"), dir.path() / "b" / "photo.jpg");
    WriteFile(out / "older.jpg", "an earlier file");
    fs::copy_file(Fixture("id_white.jpg"), dir.path() / "older.jpg");

    // With several jobs too: the first of two same-named photos in input order is the one saved.
    for (const char* jobs : {"1", "2"}) {
        fs::remove(out / "photo.jpg");
        const RunResult run = Check({"--jobs", jobs, "--settings", Settings("bgc=1"), "--save-dir", out.string(),
                                     (dir.path() / "a" / "photo.jpg").string(),
                                     (dir.path() / "b" / "photo.jpg").string(), (dir.path() / "older.jpg").string()});
        EXPECT_EQ(run.status, 1) << run.out;
        const std::string saved = ReadWholeFile(out / "photo.jpg");
        ASSERT_GE(saved.size(), kCheckStamp.size());
        EXPECT_EQ(saved.substr(saved.size() - kCheckStamp.size()),
                  std::string(kCheckStamp.begin(), kCheckStamp.end()));
        EXPECT_EQ(ReadWholeFile(out / "older.jpg"), "an earlier file");
        EXPECT_NE(run.out.find("b/photo.jpg: accepted (295 x 413), not "
                               "saved: " + (out / "photo.jpg").string() + " exists"),
                  std::string::npos)
            << run.out;
        EXPECT_NE(run.out.find("a/photo.jpg: accepted (295 x 413), saved"),
                  std::string::npos)
            << run.out;
        // The saved one is the white photo from a/, as in input order.
        EXPECT_EQ(cv::imdecode(std::vector<uchar>(saved.begin(), saved.end()), cv::IMREAD_COLOR).at<cv::Vec3b>(2, 2)[0] > 200,
                  true);
    }
}

TEST_F(VelmoraCheck, SeveralJobsPrintExactlyWhatOneJobPrints)
{
    // A mix of every outcome, repeated so that the workers overtake each other.
    std::vector<std::string> photos;
    const std::string png = Photo("png.jpg", Encode(WhitePicture(300, 400), ".png"));
    for (int round = 0; round < 6; ++round) {
        for (const char* name : {"id_white.jpg", "two_faces.jpg", "id_blue.jpg", "face_low.jpg", "no_face.jpg",
                                 "face_large.jpg", "id_white_exif6.jpg"})
            photos.push_back(Fixture(name).string());
        photos.push_back(png);
        photos.push_back((dir.path() / "missing.jpg").string());
    }
    for (const char* format : {"--quiet", "--json"}) {
        std::vector<std::string> one = {format, "--jobs", "1"};
        one.insert(one.end(), photos.begin(), photos.end());
        const RunResult single = Check(one);
        EXPECT_EQ(Lines(single.out).size(), photos.size());
        for (const char* jobs : {"2", "3", "8"}) {
            std::vector<std::string> many = {format, "--jobs", jobs};
            many.insert(many.end(), photos.begin(), photos.end());
            const RunResult parallel = Check(many);
            EXPECT_EQ(parallel.status, single.status);
            EXPECT_EQ(parallel.out, single.out) << format << " --jobs " << jobs;
        }
    }
    for (const char* bad : {"0", "-1", "two", "2x", "100000"}) {
        const RunResult run = Check({"--jobs", bad, photos.front()});
        EXPECT_EQ(run.status, 2) << bad;
    }
}

TEST_F(VelmoraCheck, AFaceCascadeThatCannotBeLoadedStopsTheRun)
{
    // The program beside its settings and tips, but no cascade.
    const fs::path program = dir.path() / "program";
    fs::create_directories(program);
    fs::copy_file(VELMORA_CHECK, program / "velmora-check");
    fs::copy_file(ProgramDir() / "setting.ini", program / "setting.ini");
    fs::copy(ProgramDir() / "tips", program / "tips", fs::copy_options::recursive);
    WriteFile(program / "haarcascade_frontalface_alt2.xml", "<opencv_storage>not a cascade");
    std::string command = ShellQuote((program / "velmora-check").string());
    command += ' ';
    command += ShellQuote(Fixture("no_face.jpg").string());
    const RunResult run = RunCommand(command, dir.path());
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.out.empty()) << run.out;
    EXPECT_NE(run.err.find("face cascade missing or unreadable"), std::string::npos) << run.err;
}

TEST_F(VelmoraCheck, FolderArgumentsAreWalkedAndWhatCannotBeReadIsReported)
{
    Copy("id_white.jpg", "batch/b/ID.JPG");
    Copy("no_face.jpg", "batch/a.jpeg");
    Photo("batch/notes.txt", "not a photo");
    fs::create_directory_symlink("..", dir.path() / "batch" / "b" / "up");  // a loop that must not hang
    fs::create_symlink(dir.path() / "gone.jpg", dir.path() / "batch" / "dangling.jpg");
    const RunResult run = Check({(dir.path() / "batch").string()});
    EXPECT_EQ(run.status, 1);
    const std::vector<std::string> lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 2u) << run.out;
    EXPECT_EQ(lines[0], (dir.path() / "batch" / "a.jpeg").string() + ": rejected, tip 7: no face found");
    EXPECT_EQ(lines[1], (dir.path() / "batch" / "b" / "ID.JPG").string() +
                            ": accepted (295 x 413)");
    EXPECT_NE(run.err.find("dangling.jpg: cannot read: "), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("up: leads back to a folder being walked; not followed"), std::string::npos) << run.err;
}

TEST_F(VelmoraCheck, FilesFromStandardInputSeparatedByNul)
{
    // Names with a new line or a blank in them survive only NUL separation, as find -print0 gives.
    const std::string odd = Copy("id_white.jpg", "in/new\nline.jpg");
    const std::string blank = Copy("no_face.jpg", "in/with blank.jfif");
    Photo("in/skip.txt", "x");
    const std::string find = "cd " + ShellQuote(dir.path().string()) +
                             " && find in -type f -name '*.j*' -print0 | LC_ALL=C sort -z |";
    const RunResult run = RunCommand(find + CheckCommand({"--files-from", "-", "-0"}), dir.path(), "");
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(run.out, "in/new\nline.jpg: accepted (295 x 413)\n"
                       "in/with blank.jfif: rejected, tip 7: no face found\n");

    // One a line from a file; folders listed there are walked like folder arguments.
    WriteFile(dir.path() / "list.txt", blank + "\n\n" + (dir.path() / "in").string() + "\n");
    const RunResult listed = Check({"--files-from", (dir.path() / "list.txt").string()});
    EXPECT_EQ(listed.out, blank + ": rejected, tip 7: no face found\n" + odd +
                              ": accepted (295 x 413)\n" + blank +
                              ": rejected, tip 7: no face found\n");

    const RunResult missing = Check({"--files-from", (dir.path() / "none.txt").string()});
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find("cannot read the list of photos"), std::string::npos);
}

TEST_F(VelmoraCheck, SummaryOnStandardErrorAndProgressOnlyOnATerminal)
{
    const std::string white = Fixture("id_white.jpg").string();
    const std::string noFace = Fixture("no_face.jpg").string();
    const RunResult run = Check({white, noFace, white});
    EXPECT_TRUE(std::regex_search(run.err, std::regex("^3 photos in [0-9.]+s \\([0-9.]+ photos/s\\)\n"
                                                      "       2  accepted\n"
                                                      "       1  tip 7\n"
                                                      "       0  errors\n$")))
        << run.err;
    EXPECT_EQ(run.err.find('\r'), std::string::npos);  // not a terminal: no progress line

    const RunResult quiet = Check({"--quiet", white, noFace});
    EXPECT_EQ(quiet.err, "");

    // On a terminal (a pseudo-terminal from script(1)) the progress line shows and is cleared.
    const RunResult terminal = RunCommand(
        "script -qec " + ShellQuote(CheckCommand({white, noFace}) + " >/dev/null") + " /dev/null", dir.path());
    if (terminal.status == 127)
        GTEST_SKIP() << "script(1) is not available";
    EXPECT_NE(terminal.out.find("\r2/2 photos"), std::string::npos) << terminal.out;
    EXPECT_NE(terminal.out.find("\r\x1b[K2 photos in "), std::string::npos) << terminal.out;
}

// The cards of a report, as (outcome, file) in page order.
std::vector<std::string> CardsOf(const fs::path& page)
{
    const std::string html = ReadWholeFile(page);
    std::vector<std::string> cards;
    const std::regex card(R"re(data-outcome="([a-z0-9-]+)">[\s\S]*?<span class="name" title="([^"]*)")re");
    for (std::sregex_iterator it(html.begin(), html.end(), card), end; it != end; ++it)
        cards.push_back((*it)[1].str() + " " + (*it)[2].str());
    return cards;
}

TEST_F(VelmoraCheck, ReportFromMergesShards)
{
    const std::vector<std::string> first = {Fixture("id_white.jpg").string(), Fixture("two_faces.jpg").string()};
    const std::vector<std::string> second = {Fixture("id_blue.jpg").string(), Fixture("face_low.jpg").string(),
                                             Fixture("no_face.jpg").string()};
    const auto shard = [&](const std::vector<std::string>& photos, const std::string& name) {
        std::vector<std::string> args = {"--json", "--quiet"};
        args.insert(args.end(), photos.begin(), photos.end());
        const RunResult run = Check(args);
        WriteFile(dir.path() / name, run.out);
        return (dir.path() / name).string();
    };
    const std::string a = shard(first, "a.jsonl");
    const std::string b = shard(second, "b.jsonl");

    std::vector<std::string> all = {"--quiet", "--report", (dir.path() / "direct.html").string()};
    all.insert(all.end(), first.begin(), first.end());
    all.insert(all.end(), second.begin(), second.end());
    EXPECT_EQ(Check(all).status, 1);

    const RunResult merged = Check({"--report-from", a, "--report-from", b, "--report", (dir.path() / "merged.html").string()});
    EXPECT_EQ(merged.status, 1) << merged.err;
    EXPECT_TRUE(merged.out.empty());
    EXPECT_NE(merged.err.find("5 photos"), std::string::npos) << merged.err;
    const std::vector<std::string> cards = CardsOf(dir.path() / "merged.html");
    EXPECT_EQ(cards, CardsOf(dir.path() / "direct.html"));
    ASSERT_EQ(cards.size(), 5u);
    EXPECT_EQ(cards.front(), "accepted " + first.front());
    // Thumbnails are made again from the listed files wherever the check reached the normalised photo.
    const std::string page = ReadWholeFile(dir.path() / "merged.html");
    std::size_t thumbnails = 0;
    for (std::size_t at = page.find("base64,/9j/"); at != std::string::npos; at = page.find("base64,/9j/", at + 1))
        ++thumbnails;
    EXPECT_EQ(thumbnails, 5u);

    // The same from one concatenated file on standard input, with a line cut short by a killed shard.
    WriteFile(dir.path() / "all.jsonl", ReadWholeFile(a) + ReadWholeFile(b) + "{\"file\": \"cut");
    const RunResult piped = Check({"--report-from", "-", "--report", (dir.path() / "piped.html").string()},
                                  InputFrom(dir.path() / "all.jsonl"));
    EXPECT_EQ(piped.status, 1);
    EXPECT_NE(piped.err.find("-: line 6 is not a result line; left out"), std::string::npos) << piped.err;
    EXPECT_EQ(CardsOf(dir.path() / "piped.html"), cards);
}

TEST_F(VelmoraCheck, ResultsThatCannotBeWrittenFailTheRun)
{
    // Standard output on a full disk: the results are lost, and the run must not pass for done.
    const RunResult run = RunCommand("{ " + CheckCommand({Fixture("id_white.jpg").string()}) + " >/dev/full; }", dir.path());
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("cannot write the results to standard output"), std::string::npos) << run.err;
}

TEST_F(VelmoraCheck, AReportThatCannotBeWrittenStopsTheRunBeforeAnyCheck)
{
    const RunResult run =
        Check({"--report", (dir.path() / "no folder" / "r.html").string(), Fixture("id_white.jpg").string()});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.out.empty());
    EXPECT_NE(run.err.find("cannot write the report"), std::string::npos);
}

// A path as JSON writes it; the temporary folders' names need no escapes.
std::string JsonQuoted(const std::string& path) { return "\"" + path + "\""; }

// A phone photo (tip 7 as it is), a photo without a face and an accepted one: the first gets a
// fixed, unstamped copy in the folder, the second says why there is none, the third no fix.
TEST_F(VelmoraCheck, FixDirWritesCheckedCopiesAndNeverOverAFile)
{
    const auto out = dir.path() / "fixed";
    fs::create_directory(out);
    const std::vector<std::uint8_t> phoneBytes =
        portrait_scenes::EncodeJpeg(portrait_scenes::Scene({3024, 4032}, {portrait_scenes::Placement{}}));
    const std::string phone = Photo("phone.jpg", std::string(phoneBytes.begin(), phoneBytes.end()));
    const std::string empty = Copy("no_face.jpg", "empty.jpg");
    const std::string fine = Copy("id_white.jpg", "fine.jpg");

    const RunResult json = Check({"--json", "--fix-dir", out.string(), phone, empty, fine});
    EXPECT_EQ(json.status, 1) << json.err;
    const std::vector<std::string> lines = Lines(json.out);
    ASSERT_EQ(lines.size(), 3u) << json.out;
    EXPECT_NE(lines[0].find("\"tip\": 7"), std::string::npos) << lines[0];
    EXPECT_NE(lines[0].find("\"fix\": {\"made\": true, \"steps\": [{\"step\": \"crop\", \"x\": "), std::string::npos)
        << lines[0];
    EXPECT_NE(lines[0].find("{\"step\": \"scale\", \"width\": 295, \"height\": 413}, {\"step\": \"encode\", "
                            "\"quality\": 100}], \"crop\": {\"x\": "),
              std::string::npos)
        << lines[0];
    const std::string copy = (out / "phone.jpg").string();
    EXPECT_NE(lines[0].find("\"file\": " + JsonQuoted(copy) + ", \"written\": true, \"outcome\": {\"file\": " +
                            JsonQuoted(copy) + ", \"accepted\": true, \"tip\": null"),
              std::string::npos)
        << lines[0];
    EXPECT_NE(lines[1].find("\"fix\": {\"made\": false, \"reason\": \"noFace\""), std::string::npos) << lines[1];
    EXPECT_EQ(lines[2].find("\"fix\""), std::string::npos) << lines[2];
    EXPECT_FALSE(HasCheckStamp(out / "phone.jpg"));
    EXPECT_FALSE(fs::exists(out / "empty.jpg"));
    EXPECT_FALSE(fs::exists(out / "fine.jpg"));
    EXPECT_EQ(ReadWholeFile(phone), std::string(phoneBytes.begin(), phoneBytes.end()));

    // A second run finds the copy there: it is kept, and the line says the new one was not written.
    const std::string before = ReadWholeFile(out / "phone.jpg");
    WriteFile(out / "phone.jpg", "an earlier file");
    const RunResult text = Check({"--fix-dir", out.string(), phone});
    EXPECT_EQ(text.status, 1);
    EXPECT_EQ(ReadWholeFile(out / "phone.jpg"), "an earlier file");
    EXPECT_NE(text.out.find("phone.jpg: rejected, tip 7: "), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("; fixed (cropped to "), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("scaled to 295 x 413, JPEG quality 100): " + copy +
                            ": accepted (295 x 413), not written: " + copy + " exists"),
              std::string::npos)
        << text.out;
    EXPECT_FALSE(before.empty());

    // Without the option nothing of the fix appears.
    const RunResult plain = Check({"--json", phone});
    EXPECT_EQ(plain.out.find("\"fix\""), std::string::npos) << plain.out;
}

}  // namespace
