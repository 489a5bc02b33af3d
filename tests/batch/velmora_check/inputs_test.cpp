#include "velmora_check/inputs.h"

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "test_files.h"

namespace velmora_check {
namespace {

namespace fs = std::filesystem;

TEST(HasPhotoExtension, JpegNamesInAnyLetterCase)
{
    for (const char* name : {"a.jpg", "A.JPG", "x.JPeG", "y.jpe", "z.JFIF", "dir.d/b.jfif", "two.dots.jpg"})
        EXPECT_TRUE(HasPhotoExtension(name)) << name;
    for (const char* name : {"a.png", "a.jpg.txt", "a.jpgx", "jpg", "a.jp", ".jpg", "dir.jpg/b"})
        EXPECT_FALSE(HasPhotoExtension(name)) << name;
}

class Walk : public testing::Test {
protected:
    // Windows' C++ library (MinGW's) makes no symbolic links; the walk's link cases need them.
    bool CanMakeLinks() const
    {
        std::error_code made;
        fs::create_symlink("target", dir.path() / "probe-link", made);
        std::error_code ignored;
        fs::remove(dir.path() / "probe-link", ignored);
        return !made;
    }
    fs::path Touch(const fs::path& relative)
    {
        const fs::path file = dir.path() / relative;
        fs::create_directories(file.parent_path());
        WriteFile(file, "x");
        return file;
    }
    std::vector<std::string> Relative(const std::vector<fs::path>& photos) const
    {
        std::vector<std::string> names;
        for (const fs::path& photo : photos)
            names.push_back(photo.lexically_relative(dir.path()).generic_string());
        return names;
    }
    TempDir dir;
};

TEST_F(Walk, FindsJpegsFolderByFolderInByteOrder)
{
    for (const char* name : {"b.jpg", "a.JPG", "c.txt", "B.jpeg", "sub/x.jpe", "sub/deeper/y.JFIF", "a b.jfif",
                             "sub.jpg/inside.jpg", "z.png"})
        Touch(name);
    Inputs inputs;
    WalkFolder(dir.path(), inputs);
    // Byte order puts capitals first; a folder's photos come where its name sorts.
    EXPECT_EQ(Relative(inputs.photos),
              (std::vector<std::string>{"B.jpeg", "a b.jfif", "a.JPG", "b.jpg", "sub/deeper/y.JFIF", "sub/x.jpe",
                                        "sub.jpg/inside.jpg"}));
    EXPECT_TRUE(inputs.notes.empty());

    Inputs again;
    WalkFolder(dir.path(), again);
    EXPECT_EQ(again.photos, inputs.photos);
}

TEST_F(Walk, FollowsLinksButNotBackIntoAFolderOnTheWay)
{
    if (!CanMakeLinks())
        GTEST_SKIP() << "symbolic links cannot be made here";
    Touch("a/one.jpg");
    Touch("b/two.jpg");
    fs::create_directory_symlink("..", dir.path() / "a" / "up");           // loops to the start
    fs::create_directory_symlink(dir.path() / "a", dir.path() / "a" / "self");
    fs::create_directory_symlink(dir.path() / "b", dir.path() / "a" / "to_b");  // not a loop: followed
    Inputs inputs;
    WalkFolder(dir.path(), inputs);
    EXPECT_EQ(Relative(inputs.photos), (std::vector<std::string>{"a/one.jpg", "a/to_b/two.jpg", "b/two.jpg"}));
    ASSERT_EQ(inputs.notes.size(), 2u);
    for (const InputNote& note : inputs.notes) {
        EXPECT_FALSE(note.photosMissed) << note.path;
        EXPECT_NE(note.message.find("not followed"), std::string::npos);
    }
}

TEST_F(Walk, ReportsUnreadableEntriesAndGoesOn)
{
    if (!CanMakeLinks())
        GTEST_SKIP() << "symbolic links cannot be made here";
    Touch("a.jpg");
    Touch("z.jpg");
    fs::create_symlink(dir.path() / "missing.jpg", dir.path() / "dangling.jpg");
    fs::create_symlink("self", dir.path() / "self");  // a link to itself cannot be resolved
    Inputs inputs;
    WalkFolder(dir.path(), inputs);
    EXPECT_EQ(Relative(inputs.photos), (std::vector<std::string>{"a.jpg", "z.jpg"}));
    ASSERT_EQ(inputs.notes.size(), 2u);
    EXPECT_EQ(inputs.notes[0].path.filename(), "dangling.jpg");
    EXPECT_EQ(inputs.notes[1].path.filename(), "self");
    for (const InputNote& note : inputs.notes) {
        EXPECT_TRUE(note.photosMissed);
        EXPECT_EQ(note.message.rfind("cannot read: ", 0), 0u) << note.message;
    }
}

TEST_F(Walk, ReportsAFolderItCannotOpen)
{
    Touch("closed/hidden.jpg");
    Touch("open.jpg");
    fs::permissions(dir.path() / "closed", fs::perms::none);
    if (std::error_code opened; fs::directory_iterator(dir.path() / "closed", opened), !opened) {
        fs::permissions(dir.path() / "closed", fs::perms::owner_all);
        GTEST_SKIP() << "permissions do not stop this user (the superuser, or anyone on Windows)";
    }
    Inputs inputs;
    WalkFolder(dir.path(), inputs);
    fs::permissions(dir.path() / "closed", fs::perms::owner_all);
    EXPECT_EQ(Relative(inputs.photos), (std::vector<std::string>{"open.jpg"}));
    ASSERT_EQ(inputs.notes.size(), 1u);
    EXPECT_EQ(inputs.notes[0].path.filename(), "closed");
    EXPECT_TRUE(inputs.notes[0].photosMissed);
}

TEST_F(Walk, AddInputWalksFoldersAndTakesAnythingElseAsAPhoto)
{
    Touch("folder/in.jpg");
    Inputs inputs;
    AddInput(dir.path() / "folder", inputs);
    AddInput(dir.path() / "named.png", inputs);   // named on purpose: the check will say what it is
    AddInput(dir.path() / "missing.jpg", inputs);  // the check reports it
    EXPECT_EQ(Relative(inputs.photos), (std::vector<std::string>{"folder/in.jpg", "named.png", "missing.jpg"}));
}

TEST(ReadList, SplitsOnTheSeparatorAndSkipsEmptyEntries)
{
    struct Case {
        std::string text;
        char separator;
        std::vector<std::string> entries;
    };
    using namespace std::string_literals;
    const std::vector<Case> cases = {
        {"a.jpg\nb.jpg\n", '\n', {"a.jpg", "b.jpg"}},
        {"a.jpg\n\n\nb.jpg", '\n', {"a.jpg", "b.jpg"}},
        {"with space.jpg\n", '\n', {"with space.jpg"}},
        {"new\nline.jpg\0tab\t.jpg\0\0"s, '\0', {"new\nline.jpg", "tab\t.jpg"}},
        {"", '\n', {}},
    };
    for (const Case& c : cases) {
        std::istringstream in(c.text);
        EXPECT_EQ(ReadList(in, c.separator), c.entries) << c.text;
    }
}

}  // namespace
}  // namespace velmora_check
