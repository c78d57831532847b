#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <span>
#include <string>
#include <vector>

#include "common/ximage/ximage.h"
#include "tests/common/ximage/ximage_test_support.h"

namespace lt77 {
namespace {

using namespace test;

uint32_t U32At(const std::vector<uint8_t>& bytes, size_t offset)
{
    return bytes[offset] | (bytes[offset + 1] << 8) | (bytes[offset + 2] << 16) |
           (static_cast<uint32_t>(bytes[offset + 3]) << 24);
}

TEST(EncodeBmp, OneBitFileBytes)
{
    const CxImage image = MakeIndexed(1, {{1, 0, 1}, {0, 1, 1}}, {BLACK, WHITE});
    const std::vector<uint8_t> expected = {
        'B', 'M', 0x46, 0, 0, 0, 0, 0, 0, 0, 0x3E, 0, 0, 0,  // 70 bytes, rows at 62
        40, 0, 0, 0, 3, 0, 0, 0, 2, 0, 0, 0, 1, 0, 1, 0,     // size, width, height, planes, bits
        0, 0, 0, 0, 8, 0, 0, 0,                              // compression, image size
        0xC4, 0x0E, 0, 0, 0xC4, 0x0E, 0, 0,                  // 3780 pixels per metre
        2, 0, 0, 0, 0, 0, 0, 0,                              // colours used, important
        0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0,                     // palette
        0xA0, 0, 0, 0, 0x60, 0, 0, 0,                        // rows as stored
    };
    EXPECT_EQ(image.EncodeBmp(), expected);
}

TEST(EncodeBmp, SizeAndRowOffsetFollowThePalette)
{
    const struct {
        uint32_t bpp, fileBytes, rowsOffset;
    } cases[] = {{1, 66, 62}, {4, 122, 118}, {8, 1082, 1078}, {24, 62, 54}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bpp);
        CxImage image;
        ASSERT_TRUE(image.Create(2, 1, c.bpp));
        const std::vector<uint8_t> bytes = image.EncodeBmp();
        EXPECT_EQ(bytes.size(), c.fileBytes);
        EXPECT_EQ(U32At(bytes, 2), c.fileBytes);
        EXPECT_EQ(U32At(bytes, 10), c.rowsOffset);
    }
}

TEST(EncodeBmp, DecodesBackToTheSameImage)
{
    CxImage image = MakeIndexed(8, {{3, 1, 2}, {0, 2, 1}}, {{1, 2, 3, 0}, {4, 5, 6, 0}, {7, 8, 9, 0}, WHITE});
    image.SetXDPI(203);
    const std::vector<uint8_t> file = image.EncodeBmp();
    BitmapInfoHeader header{};
    ASSERT_GE(file.size(), 54u + 1024u);
    std::memcpy(&header, file.data() + 14, sizeof header);  // little-endian host
    const std::span<const uint8_t> bytes(file);

    CxImage decoded;
    ASSERT_TRUE(decoded.Decode(header, bytes.subspan(1078), bytes.subspan(54, 1024)));
    EXPECT_EQ(Indices(decoded), (IndexRows{{3, 1, 2}, {0, 2, 1}}));
    EXPECT_EQ(decoded.GetPixelColor(0, 0), WHITE);
    EXPECT_EQ(decoded.GetXDPI(), 203);
    EXPECT_EQ(decoded.GetYDPI(), 96);
}

TEST(SaveBmp, WritesTheEncodedBytes)
{
    const CxImage image = MakeIndexed(1, {{1, 0, 1}}, {BLACK, WHITE});
    const std::string path = testing::TempDir() + "ximage_save_test.bmp";
    ASSERT_TRUE(image.SaveBmp(path));
    std::ifstream file(path, std::ios::binary);
    const std::vector<uint8_t> written{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    EXPECT_EQ(written, image.EncodeBmp());
    EXPECT_EQ(written.size(), 66u);
}

TEST(SaveBmp, MissingFolderFails)
{
    const CxImage image = MakeIndexed(1, {{1}}, {BLACK, WHITE});
    EXPECT_FALSE(image.SaveBmp(testing::TempDir() + "no_such_folder_for_ximage/out.bmp"));
}

}  // namespace
}  // namespace lt77
