#include "engine/exif_orientation.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "photo_fixtures.h"

using namespace velmora;

namespace {

using ByteString = std::vector<std::uint8_t>;

void Append(ByteString& out, std::initializer_list<unsigned> bytes)
{
    for (const unsigned byte : bytes)
        out.push_back(static_cast<std::uint8_t>(byte));
}

void Put16(ByteString& out, unsigned value, bool bigEndian)
{
    const unsigned hi = (value >> 8) & 0xFF, lo = value & 0xFF;
    Append(out, bigEndian ? std::initializer_list<unsigned>{hi, lo} : std::initializer_list<unsigned>{lo, hi});
}

void Put32(ByteString& out, std::uint32_t value, bool bigEndian)
{
    Put16(out, bigEndian ? value >> 16 : value & 0xFFFF, bigEndian);
    Put16(out, bigEndian ? value & 0xFFFF : value >> 16, bigEndian);
}

struct Entry {
    unsigned tag, type;
    std::uint32_t count, value;
};

// A JPEG header with one APP1 segment holding an EXIF IFD0 of the given entries.
ByteString WithExif(const std::vector<Entry>& entries, bool bigEndian, const std::string& header = {"Exif\0\0", 6})
{
    ByteString tiff = bigEndian ? ByteString{'M', 'M'} : ByteString{'I', 'I'};
    Put16(tiff, 42, bigEndian);
    Put32(tiff, 8, bigEndian);
    Put16(tiff, static_cast<unsigned>(entries.size()), bigEndian);
    for (const Entry& e : entries) {
        Put16(tiff, e.tag, bigEndian);
        Put16(tiff, e.type, bigEndian);
        Put32(tiff, e.count, bigEndian);
        if (e.type == 3) {  // a SHORT sits at the start of the value field
            Put16(tiff, e.value, bigEndian);
            Put16(tiff, 0, bigEndian);
        } else {
            Put32(tiff, e.value, bigEndian);
        }
    }
    Put32(tiff, 0, bigEndian);  // no next IFD

    ByteString jpeg;
    Append(jpeg, {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x04, 0x00, 0x00});  // an APP0 first, as cameras write
    const auto length = static_cast<unsigned>(2 + header.size() + tiff.size());
    Append(jpeg, {0xFF, 0xE1});
    Put16(jpeg, length, true);
    for (const char c : header)
        jpeg.push_back(static_cast<std::uint8_t>(c));
    for (const std::uint8_t byte : tiff)
        jpeg.push_back(byte);
    Append(jpeg, {0xFF, 0xDA, 0x00, 0x02, 0xFF, 0xD9});
    return jpeg;
}

constexpr Entry kMake{0x010F, 2, 4, 0};

struct OrientationCase {
    const char* name;
    ByteString jpeg;
    std::optional<int> tag;
};

std::vector<OrientationCase> Cases()
{
    ByteString cut = WithExif({{0x0112, 3, 1, 6}}, false);
    cut.resize(30);
    return {
        {"LittleEndianSix", WithExif({{0x0112, 3, 1, 6}}, false), 6},
        {"BigEndianEight", WithExif({{0x0112, 3, 1, 8}}, true), 8},
        {"AfterAnotherEntry", WithExif({kMake, {0x0112, 3, 1, 3}}, false), 3},
        {"UprightIsOne", WithExif({{0x0112, 3, 1, 1}}, true), 1},
        {"NoOrientationEntry", WithExif({kMake}, false), std::nullopt},
        {"ZeroIsNoOrientation", WithExif({{0x0112, 3, 1, 0}}, false), std::nullopt},
        {"NineIsNoOrientation", WithExif({{0x0112, 3, 1, 9}}, false), std::nullopt},
        {"WrongType", WithExif({{0x0112, 4, 1, 6}}, false), std::nullopt},
        {"NotExifButXmp", WithExif({{0x0112, 3, 1, 6}}, false, {"http://ns.adobe.com/", 20}), std::nullopt},
        {"SegmentCutShort", cut, std::nullopt},
        {"NoSegments", ByteString{0xFF, 0xD8, 0xFF, 0xD9}, std::nullopt},
        {"Empty", {}, std::nullopt},
    };
}

class ExifOrientation : public testing::TestWithParam<OrientationCase> {};

TEST_P(ExifOrientation, IsReadOrLeftOut)
{
    EXPECT_EQ(ReadExifOrientation(GetParam().jpeg), GetParam().tag);
}

INSTANTIATE_TEST_SUITE_P(Cases, ExifOrientation, testing::ValuesIn(Cases()),
                         [](const auto& test) { return std::string(test.param.name); });

TEST(ExifOrientationFixtures, SidewaysPhotoCarriesSix)
{
    const std::string bytes = ReadWholeFile(Fixture("id_white_exif6.jpg"));
    EXPECT_EQ(ReadExifOrientation({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()}), 6);
    const std::string plain = ReadWholeFile(Fixture("id_white.jpg"));
    EXPECT_EQ(ReadExifOrientation({reinterpret_cast<const std::uint8_t*>(plain.data()), plain.size()}), std::nullopt);
}

}  // namespace
