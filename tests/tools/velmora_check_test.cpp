#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/file_tests.h"
#include "photo_fixtures.h"

using namespace velmora;

namespace {

struct Result {
    int status = -1;
    std::string out;
    std::string err;
};

std::string Quote(const std::string& arg)
{
    std::string quoted = "'";
    for (const char c : arg)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

class VelmoraCheck : public testing::Test {
protected:
    Result Check(const std::vector<std::string>& args)
    {
        std::string command = Quote(VELMORA_CHECK);
        for (const auto& arg : args) {
            command += ' ';
            command += Quote(arg);
        }
        const auto out = dir.path() / "stdout";
        const auto err = dir.path() / "stderr";
        command += " >" + Quote(out.string()) + " 2>" + Quote(err.string()) + " </dev/null";
        const int raw = std::system(command.c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadWholeFile(out), ReadWholeFile(err)};
    }

    std::string Photo(const std::string& name, const std::string& bytes)
    {
        const auto file = dir.path() / name;
        WriteFile(file, bytes);
        return file.string();
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

TEST_F(VelmoraCheck, BadUsageExitsTwoWithUsage)
{
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{}, {"--bogus", "a.jpg"}, {"--settings"}, {"--json"}}) {
        const Result run = Check(args);
        EXPECT_EQ(run.status, 2);
        EXPECT_NE(run.err.find("usage:"), std::string::npos);
        EXPECT_TRUE(run.out.empty());
    }
}

TEST_F(VelmoraCheck, UnreadableSettingsExitTwoWithReason)
{
    const Result missing = Check({"--settings", (dir.path() / "none.ini").string(), Fixture("id_white.jpg").string()});
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find("no such settings file"), std::string::npos);

    WriteFile(dir.path() / "bad.ini", "[zpshcs]\ndst_width=0\n");
    const Result bad = Check({"--settings", (dir.path() / "bad.ini").string(), Fixture("id_white.jpg").string()});
    EXPECT_EQ(bad.status, 2);
    EXPECT_NE(bad.err.find("dst_width"), std::string::npos);

    const Result folder = Check({"--settings", dir.path().string(), Fixture("id_white.jpg").string()});
    EXPECT_EQ(folder.status, 2);
    EXPECT_NE(folder.err.find("cannot read the settings file"), std::string::npos) << folder.err;
    EXPECT_TRUE(folder.out.empty());
}

TEST_F(VelmoraCheck, OneLinePerPhotoAndStatusOfTheWorst)
{
    const Result accepted = Check({Fixture("id_white.jpg").string()});
    EXPECT_EQ(accepted.status, 0);
    EXPECT_EQ(accepted.out, Fixture("id_white.jpg").string() + ": accepted (295 x 413)\n");

    const std::string png = Photo("p.jpg", Encode(WhitePicture(300, 400), ".png"));
    const Result mixed = Check({Fixture("id_white.jpg").string(), png, Fixture("no_face.jpg").string()});
    EXPECT_EQ(mixed.status, 1);
    EXPECT_EQ(mixed.out, Fixture("id_white.jpg").string() + ": accepted (295 x 413)\n" + png +
                             ": rejected, tip 1: not a JPEG file\n" + Fixture("no_face.jpg").string() +
                             ": rejected, tip 7: not exactly one frontal face\n");
}

TEST_F(VelmoraCheck, JsonLinesStartEachPhotoFromFreshVerdict)
{
    const std::string png = Photo("q\"uote.jpg", Encode(WhitePicture(300, 400), ".png"));
    const Result run = Check({"--json", Fixture("id_white.jpg").string(), png});
    EXPECT_EQ(run.status, 1);
    const std::string first = run.out.substr(0, run.out.find('\n') + 1);
    const std::string second = run.out.substr(first.size());
    EXPECT_EQ(first.rfind("{\"file\": \"" + Fixture("id_white.jpg").string() +
                              "\", \"accepted\": true, \"tip\": null, \"verdict\": {\"jpeg\": true, \"stamped\": "
                              "false, \"sizeOk\": true, \"dimsOk\": true, \"backgroundOk\": true, \"faceOk\": "
                              "true, \"positionOk\": true}, \"width\": 295, \"height\": 413, \"faces\": 1, "
                              "\"face\": {",
                          0),
              0u)
        << first;
    EXPECT_NE(first.find("\"ratioY\": "), std::string::npos);
    EXPECT_EQ(second, "{\"file\": \"" + (dir.path() / "q\\\"uote.jpg").string() +
                          "\", \"accepted\": false, \"tip\": 1, \"verdict\": {\"jpeg\": false, \"stamped\": false, "
                          "\"sizeOk\": false, \"dimsOk\": false, \"backgroundOk\": false, \"faceOk\": false, "
                          "\"positionOk\": false}, \"width\": null, \"height\": null}\n");
}

TEST_F(VelmoraCheck, JsonTellsFirstFailingBackgroundPixel)
{
    cv::Mat photo = cv::imread(Fixture("id_white.jpg").string(), cv::IMREAD_COLOR);
    photo(cv::Rect(0, 0, 40, 40)).setTo(cv::Scalar(0, 0, 0));
    const Result run = Check({"--json", Photo("dark.jpg", Encode(photo, ".jpg"))});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("\"tip\": 6"), std::string::npos);
    EXPECT_NE(run.out.find("\"backgroundFailure\": {\"row\": 0, \"column\": 0, \"h\": "), std::string::npos)
        << run.out;
}

TEST_F(VelmoraCheck, SaveDirExportsAcceptedPhotosUnderTheirNames)
{
    const auto out = dir.path() / "out";
    std::filesystem::create_directory(out);
    const Result run = Check({"--save-dir", out.string(), Fixture("id_white.jpg").string(), Fixture("no_face.jpg").string()});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(HasCheckStamp(out / "id_white.jpg"));
    EXPECT_FALSE(std::filesystem::exists(out / "no_face.jpg"));
    EXPECT_NE(run.out.find("accepted (295 x 413), saved"), std::string::npos);
}

TEST_F(VelmoraCheck, SaveDirNeverReplacesThePhotoItself)
{
    const std::string original = ReadWholeFile(Fixture("id_white.jpg"));
    const std::string photo = Photo("-own.jpg", original);
    const Result run = Check({"--save-dir", dir.path().string(), "--", photo});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("not saved: " + photo + " exists"), std::string::npos) << run.out;
    EXPECT_EQ(ReadWholeFile(photo), original);
}

TEST_F(VelmoraCheck, SaveDirKeepsWhatIsThereAndTellsWhichWasNotSaved)
{
    const auto out = dir.path() / "out";
    std::filesystem::create_directories(out);
    std::filesystem::create_directories(dir.path() / "a");
    std::filesystem::create_directories(dir.path() / "b");
    std::filesystem::copy_file(Fixture("id_white.jpg"), dir.path() / "a" / "photo.jpg");
    std::filesystem::copy_file(Fixture("id_blue.jpg"), dir.path() / "b" / "photo.jpg");
    WriteFile(out / "older.jpg", "an earlier file");
    std::filesystem::copy_file(Fixture("id_white.jpg"), dir.path() / "older.jpg");

    const Result run = Check({"--settings", Settings("bgc=1"), "--save-dir", out.string(),
                              (dir.path() / "a" / "photo.jpg").string(), (dir.path() / "b" / "photo.jpg").string(),
                              (dir.path() / "older.jpg").string()});
    EXPECT_EQ(run.status, 1) << run.out;
    const std::string saved = ReadWholeFile(out / "photo.jpg");
    EXPECT_EQ(saved.substr(saved.size() - kCheckStamp.size()), std::string(kCheckStamp.begin(), kCheckStamp.end()));
    EXPECT_EQ(ReadWholeFile(out / "older.jpg"), "an earlier file");
    EXPECT_NE(run.out.find("b/photo.jpg: accepted (295 x 413), not saved: " + (out / "photo.jpg").string() + " exists"),
              std::string::npos) << run.out;
    EXPECT_NE(run.out.find("a/photo.jpg: accepted (295 x 413), saved"), std::string::npos) << run.out;
}

}  // namespace
