#include "velmora/program_dir.h"
#include "velmora/settings.h"

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "test_files.h"

using namespace velmora;

namespace {

std::string Section(const std::string& body) { return "[zpshcs]\n" + body; }

// The text as Windows Notepad saves "Unicode": a byte-order mark, then two bytes a character.
std::string Utf16(std::string_view ascii, bool bigEndian)
{
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char c : ascii) {
        bytes.push_back(bigEndian ? '\0' : c);
        bytes.push_back(bigEndian ? c : '\0');
    }
    return bytes;
}

// ---- Whole files: section and key matching -------------------------------------------

struct IniCase {
    const char* name;
    std::string text;
    CheckSettings expected;
};

CheckSettings With(auto change)
{
    CheckSettings s;
    change(s);
    return s;
}

std::vector<IniCase> IniCases()
{
    return {
        {"EmptyFile", "", CheckSettings{}},
        {"EmptySection", Section(""), CheckSettings{}},
        {"OtherSectionOnly", "[other]\nmin_width=5\n", CheckSettings{}},
        {"SimpleKeys", Section("min_width=320\ns_min=0.1\n"),
         With([](CheckSettings& s) { s.min_width = 320; s.s_min = 0.1f; })},
        {"KeyAndSectionCaseIgnored", "[ZPSHCS]\nMIN_Width=7\nI_MAX=0.8\n",
         With([](CheckSettings& s) { s.min_width = 7; s.i_max = 0.8f; })},
        {"SpacesAroundNamesAndValues", "  [ zpshcs ]  \n  dst_width  =  300  \n\tratio_x_min\t=\t0.5\t\n",
         With([](CheckSettings& s) { s.dst_width = 300; s.ratio_x_min = 0.5f; })},
        {"CrLfLines", "[zpshcs]\r\njc_a=100\r\nratio_y_max=0.5\r\n",
         With([](CheckSettings& s) { s.jc_a = 100; s.ratio_y_max = 0.5f; })},
        {"Utf8ByteOrderMark", "\xEF\xBB\xBF[zpshcs]\njc_b=9\n", With([](CheckSettings& s) { s.jc_b = 9; })},
        {"CommentLinesIgnored", Section("; min_width=1\nmin_height=150\n;cast=1\n"),
         With([](CheckSettings& s) { s.min_height = 150; })},
        {"OtherSectionsIgnored", "[a]\ncast=1\n[zpshcs]\nbgc=1\n[b]\ncast=1\n",
         With([](CheckSettings& s) { s.bgc = 1; })},
        {"FirstKeyWins", Section("cast=1\ncast=0\n"), With([](CheckSettings& s) { s.cast = 1; })},
        {"FirstSectionWins", "[zpshcs]\ncast=1\n[zpshcs]\nbgc=1\n", With([](CheckSettings& s) { s.cast = 1; })},
        {"LineWithoutEqualsIgnored", Section("min_width\nmin_height=120\n"),
         With([](CheckSettings& s) { s.min_height = 120; })},
        {"EmptyIntegerTakesDefault", Section("min_width=\njc_a=\n"), CheckSettings{}},
        {"EmptyRealIsZero", Section("s_min=\n"), CheckSettings{}},
        {"JunkIntegerIsZero", Section("min_width=abc\n"), With([](CheckSettings& s) { s.min_width = 0; })},
        {"CastTwoIsKept", Section("cast=2\nbgc=2\n"), With([](CheckSettings& s) { s.cast = 2; s.bgc = 2; })},
        {"NoFinalNewline", Section("pic_max_size=20"), With([](CheckSettings& s) { s.pic_max_size = 20; })},
        {"Utf16LittleEndian", Utf16("[zpshcs]\r\ncast=1\r\n", false), With([](CheckSettings& s) { s.cast = 1; })},
        {"Utf16BigEndian", Utf16("[zpshcs]\nbgc=1\n", true), With([](CheckSettings& s) { s.bgc = 1; })},
        {"NulBytesDoNotMatch", std::string("[zpshcs]\nca\0st=1\nbgc=1\n", 23),
         With([](CheckSettings& s) { s.bgc = 1; })},
    };
}

class IniFile : public testing::TestWithParam<IniCase> {};

TEST_P(IniFile, GivesExpectedSettings)
{
    EXPECT_EQ(ParseCheckSettings(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, IniFile, testing::ValuesIn(IniCases()),
                         [](const auto& test) { return std::string(test.param.name); });

TEST(IniFile, DefaultsAreTheDocumentedOnes)
{
    const CheckSettings s = ParseCheckSettings(Section(""));
    EXPECT_EQ(s.min_width, 100);
    EXPECT_EQ(s.min_height, 100);
    EXPECT_EQ(s.pic_min_size, 0);
    EXPECT_EQ(s.pic_max_size, -1);
    EXPECT_EQ(s.dst_width, 295);
    EXPECT_EQ(s.dst_height, 413);
    EXPECT_EQ(s.jc_a, 138);
    EXPECT_EQ(s.jc_b, 15);
    EXPECT_EQ(s.jc_precision, 5);
    EXPECT_EQ(s.cast, 0);
    EXPECT_EQ(s.bgc, 0);
    for (float real : {s.ratio_y_min, s.ratio_y_max, s.ratio_x_min, s.ratio_x_max, s.s_min, s.i_min, s.i_max,
                       s.red_h_min, s.red_h_max, s.blue_h_min, s.blue_h_max})
        EXPECT_EQ(real, 0.0f);
}

TEST(IniFile, HugeLineDoesNotDisturbOtherKeys)
{
    const std::string text = Section("junk=" + std::string(10'000'000, '7') + "\nmin_width=123\n");
    EXPECT_EQ(ParseCheckSettings(text).min_width, 123);
}

TEST(IniFile, BinaryGarbageGivesDefaults)
{
    std::string garbage;
    for (int i = 0; i < 4096; ++i)
        garbage.push_back(static_cast<char>((i * 7919) % 256));
    EXPECT_EQ(ParseCheckSettings(garbage), CheckSettings{});
}

// ---- Integer values -------------------------------------------------------------------

struct IntCase {
    const char* value;
    int expected;
};

class IntegerValue : public testing::TestWithParam<IntCase> {};

TEST_P(IntegerValue, ReadsLeadingDecimalNumber)
{
    EXPECT_EQ(ParseProfileInt(GetParam().value, 42), GetParam().expected) << "value \"" << GetParam().value << '"';
}

INSTANTIATE_TEST_SUITE_P(Cases, IntegerValue,
                         testing::Values(IntCase{"17", 17}, IntCase{"-1", -1}, IntCase{"0", 0},
                                         IntCase{"12abc", 12}, IntCase{"3.9", 3}, IntCase{"abc", 0},
                                         IntCase{"-", 0}, IntCase{"+5", 0}, IntCase{"", 42},
                                         IntCase{"2147483647", 2147483647},
                                         IntCase{"99999999999", 2147483647},
                                         IntCase{"-99999999999", -2147483647 - 1},
                                         IntCase{"00000000000000000000012", 12}));

// ---- Real values ----------------------------------------------------------------------

struct RealCase {
    const char* value;
    float expected;
};

class RealValue : public testing::TestWithParam<RealCase> {};

TEST_P(RealValue, ReadsLongestDecimalPrefixAsFloat)
{
    const float got = ParseProfileReal(GetParam().value);
    if (std::isinf(GetParam().expected))
        EXPECT_EQ(got, GetParam().expected);
    else
        EXPECT_FLOAT_EQ(got, GetParam().expected) << "value \"" << GetParam().value << '"';
    EXPECT_EQ(std::signbit(got), std::signbit(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RealValue,
    testing::Values(RealCase{"0.8", 0.8f}, RealCase{"4.2", 4.2f}, RealCase{"-0.25", -0.25f},
                    RealCase{"+1.5", 1.5f}, RealCase{".5", 0.5f}, RealCase{"5.", 5.0f}, RealCase{"3", 3.0f},
                    RealCase{"1e-1", 0.1f}, RealCase{"2E2", 200.0f}, RealCase{"1e", 1.0f},
                    RealCase{"1e+", 1.0f}, RealCase{"0.3abc", 0.3f}, RealCase{"0,8", 0.0f},
                    RealCase{"abc", 0.0f}, RealCase{"", 0.0f}, RealCase{".", 0.0f}, RealCase{"-", 0.0f},
                    RealCase{"inf", 0.0f}, RealCase{"nan", 0.0f}, RealCase{"0x10", 0.0f},
                    // Only the first 19 characters reach the conversion.
                    RealCase{"0.12345678901234567", 0.12345678901234567f},
                    RealCase{"1234567890123456789", 1234567890123456789.0f},
                    RealCase{"12345678901234567891", 1234567890123456789.0f},
                    RealCase{"0.000000000000000001", 0.0f},
                    RealCase{"                  5", 5.0f}, RealCase{"                   5", 0.0f},
                    RealCase{"1e400", std::numeric_limits<float>::infinity()},
                    RealCase{"-1e400", -std::numeric_limits<float>::infinity()},
                    RealCase{"1e-400", 0.0f}, RealCase{"1e39", std::numeric_limits<float>::infinity()}));

TEST(RealValue, RoundsToSinglePrecision)
{
    // 4.2 as a float times 60 must be 251.99998..., not 252: the value is kept as a float.
    EXPECT_EQ(ParseProfileReal("4.2"), 4.2f);
    EXPECT_LT(static_cast<double>(ParseProfileReal("4.2")) * 60.0, 252.0);
}

TEST(RealValue, IgnoresProcessLocale)
{
#ifndef __linux__
    GTEST_SKIP() << "builds its locale with glibc's localedef";
#else
    // The desktop program takes the C library's locale from the environment; under a
    // decimal-comma locale strtod would read "0.8" as 0. Build such a locale for the test.
    TempDir locales;
    const std::string make = "localedef -i de_DE -f UTF-8 '" + (locales.path() / "de_DE.UTF-8").string() +
                             "' >/dev/null 2>&1";
    if (std::system(make.c_str()) != 0)
        GTEST_SKIP() << "localedef or the de_DE locale source (package locales) is missing";
    const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
    setenv("LOCPATH", locales.path().c_str(), 1);
    ASSERT_NE(std::setlocale(LC_NUMERIC, "de_DE.UTF-8"), nullptr);
    ASSERT_EQ(std::strtod("0.8", nullptr), 0.0) << "the locale reads a decimal comma";

    EXPECT_EQ(ParseProfileReal("0.8"), 0.8f);
    EXPECT_EQ(ParseCheckSettings("[zpshcs]\ni_max=0.8\n").i_max, 0.8f);

    std::setlocale(LC_NUMERIC, saved.c_str());
    unsetenv("LOCPATH");
#endif
}

// ---- Range of the values --------------------------------------------------------------

struct RangeCase {
    const char* body;
    std::optional<std::string> key;
};

class SettingsRange : public testing::TestWithParam<RangeCase> {};

TEST_P(SettingsRange, NamesFirstOutOfRangeKey)
{
    EXPECT_EQ(FindOutOfRangeKey(ParseCheckSettings(Section(GetParam().body))), GetParam().key)
        << GetParam().body;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SettingsRange,
    testing::Values(RangeCase{"", std::nullopt}, RangeCase{"dst_width=0", "dst_width"},
                    RangeCase{"dst_width=-3", "dst_width"}, RangeCase{"dst_height=0", "dst_height"},
                    RangeCase{"dst_width=10001", "dst_width"}, RangeCase{"dst_height=99999999999", "dst_height"},
                    RangeCase{"dst_width=1\ndst_height=1\njc_a=1\njc_b=1", std::nullopt},
                    RangeCase{"jc_a=414", "jc_a"}, RangeCase{"jc_a=413\njc_b=295", std::nullopt},
                    RangeCase{"jc_b=296", "jc_b"}, RangeCase{"dst_width=20\njc_b=15", std::nullopt},
                    RangeCase{"dst_width=14", "jc_b"},
                    // Empty strips would judge no background at all.
                    RangeCase{"jc_a=0\njc_b=-5", "jc_a"}, RangeCase{"jc_b=0", "jc_b"},
                    RangeCase{"jc_a=-1\ncast=2", "jc_a"},
                    // Normalising alone never reads the strips, so their size is not judged then.
                    RangeCase{"cast=1\ndst_width=150\ndst_height=120", std::nullopt},
                    RangeCase{"cast=1\ndst_width=1\ndst_height=1\njc_a=0", std::nullopt},
                    RangeCase{"cast=1\ndst_width=0", "dst_width"}));

// ---- Files ----------------------------------------------------------------------------

class SettingsFile : public testing::Test {
protected:
    TempDir dir;
};

TEST_F(SettingsFile, MissingFileIsReportedAndNothingLoaded)
{
    CheckSettings s;
    s.cast = 7;
    const SettingsLoad load = ReadCheckSettingsFile(dir.path() / "setting.ini", s);
    EXPECT_FALSE(load);
    EXPECT_EQ(load.status, SettingsStatus::Missing);
    EXPECT_EQ(s.cast, 7);
}

TEST_F(SettingsFile, LoadReadsSettingIniInProgramDirectory)
{
    WriteFile(dir.path() / "setting.ini", Section("min_width=222\ni_max=0.75\n"));
    CheckSettings s;
    ASSERT_TRUE(LoadCheckSettings(dir.path(), s));
    EXPECT_EQ(s.min_width, 222);
    EXPECT_EQ(s.i_max, 0.75f);
}

TEST_F(SettingsFile, SomethingUnreadableInItsPlaceIsReportedAndNothingLoaded)
{
    std::filesystem::create_directory(dir.path() / "folder");
    WriteFile(dir.path() / "locked", Section("min_width=222"));
    std::filesystem::permissions(dir.path() / "locked", std::filesystem::perms::none);
    // The superuser reads it anyway, and so does everyone on Windows, where no permission bits exist.
    const bool readsAnyway = std::ifstream(dir.path() / "locked").is_open();
    for (const char* name : {"folder", "locked"}) {
        if (name == std::string("locked") && readsAnyway)
            continue;
        CheckSettings s;
        s.cast = 7;
        const SettingsLoad load = ReadCheckSettingsFile(dir.path() / name, s);
        EXPECT_EQ(load.status, SettingsStatus::Unreadable) << name;
        EXPECT_EQ(s.cast, 7) << name;
    }
}

TEST_F(SettingsFile, OutOfRangeIsReportedWithKeyAndNothingLoaded)
{
    WriteFile(dir.path() / "setting.ini", Section("dst_width=10\njc_b=15\n"));
    CheckSettings s;
    const SettingsLoad load = ReadCheckSettingsFile(dir.path() / "setting.ini", s);
    EXPECT_EQ(load.status, SettingsStatus::OutOfRange);
    EXPECT_EQ(load.key, "jc_b");
    EXPECT_EQ(s, CheckSettings{});
}

TEST_F(SettingsFile, InstalledSettingsAreInRange)
{
    CheckSettings s;
    ASSERT_TRUE(ReadCheckSettingsFile(std::filesystem::path(VELMORA_PROGRAM_DIR) / "setting.ini", s));
    EXPECT_LT(s.ratio_y_min, s.ratio_y_max);
    EXPECT_LT(s.ratio_x_min, s.ratio_x_max);
}

TEST(ProgramDirectory, IsTheDirectoryOfTheRunningExecutable)
{
    const std::filesystem::path dir = LocateProgramDirectory();
    EXPECT_TRUE(std::filesystem::exists(dir / "settings_test") || std::filesystem::exists(dir / "settings_test.exe"));
    EXPECT_TRUE(dir.filename().empty()) << "keeps its trailing separator";
}

}  // namespace
