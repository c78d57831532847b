#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "possdk/bitmap_file.h"

namespace lt77::possdk {
namespace {

using Bytes = std::vector<uint8_t>;

// A 2 x 2 24-bit BMP, rows bottom first, each padded to 8 bytes: 70 bytes.
const Bytes kTwoByTwo = {
    'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,                    // file header, pixels at 54
    40, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0, 0,      // size, 2 x 2, 1 plane, 24 bits, BI_RGB
    16, 0, 0, 0, 0x13, 0x0B, 0, 0, 0x13, 0x0B, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 255, 255, 255, 0, 0,                                      // bottom row: black, white
    255, 255, 255, 0, 0, 0, 0, 0,                                      // top row: white, black
};

// A 16 x 1 1-bit BMP with a two-colour table: 14 + 40 + 8 + 4 = 66 bytes.
Bytes OneBit()
{
    Bytes b = {'B', 'M', 66, 0, 0, 0, 0, 0, 0, 0, 62, 0, 0, 0, 40, 0, 0, 0, 16, 0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 0};
    b.resize(54, 0);
    const Bytes table = {0, 0, 0, 0, 255, 255, 255, 0};
    b.insert(b.end(), table.begin(), table.end());
    const Bytes row = {0xF0, 0x0F, 0, 0};
    b.insert(b.end(), row.begin(), row.end());
    return b;
}

void Put32(Bytes& b, std::size_t at, uint32_t v) { std::memcpy(b.data() + at, &v, 4); }
void Put16(Bytes& b, std::size_t at, uint16_t v) { std::memcpy(b.data() + at, &v, 2); }

TEST(BitmapFile, ReadsTheHeadersItsPixelsAndItsColourTable)
{
    const auto read = ReadBitmapFile(kTwoByTwo);
    ASSERT_TRUE(read.view);
    EXPECT_EQ(read.view->widthPixels, 2);
    EXPECT_EQ(read.view->heightPixels, 2);
    EXPECT_EQ(read.view->info.size(), 40u);
    EXPECT_EQ(read.view->pixels.data(), kTwoByTwo.data() + 54);
    EXPECT_EQ(read.view->pixels.size(), 16u);

    const Bytes one = OneBit();
    const auto bits = ReadBitmapFile(one);
    ASSERT_TRUE(bits.view);
    EXPECT_EQ(bits.view->info.size(), 48u);  // header and two colours
    EXPECT_EQ(bits.view->pixels.size(), 4u);
}

TEST(BitmapFile, TopDownRowsGiveAPositiveHeight)
{
    Bytes b = kTwoByTwo;
    Put32(b, 22, static_cast<uint32_t>(-2));
    const auto read = ReadBitmapFile(b);
    ASSERT_TRUE(read.view);
    EXPECT_EQ(read.view->heightPixels, 2);
    EXPECT_EQ(read.view->header.biHeight, -2);
}

TEST(BitmapFile, BitFieldsOfA32BitPictureFollowThePlainHeader)
{
    Bytes b = kTwoByTwo;
    Put16(b, 28, 32);
    Put32(b, 30, BI_BITFIELDS_COMPRESSION);
    Put32(b, 10, 66);  // pixels after the three masks
    b.resize(66, 0);
    b.resize(66 + 16, 0x80);
    const auto read = ReadBitmapFile(b);
    ASSERT_TRUE(read.view);
    EXPECT_EQ(read.view->info.size(), 52u);
    EXPECT_EQ(read.view->pixels.size(), 16u);
}

TEST(BitmapFile, RefusesFilesThatDoNotHoldWhatTheirHeadersDescribe)
{
    struct Row {
        const char* name;
        Bytes bytes;
        BitmapFault fault;
    };
    std::vector<Row> rows;
    const auto edit = [&](const char* name, BitmapFault fault, auto change) {
        Bytes b = kTwoByTwo;
        change(b);
        rows.push_back({name, b, fault});
    };
    rows.push_back({"empty", {}, BitmapFault::kTooShort});
    rows.push_back({"file header only", Bytes(kTwoByTwo.begin(), kTwoByTwo.begin() + 14), BitmapFault::kTooShort});
    rows.push_back({"one byte short of both headers", Bytes(kTwoByTwo.begin(), kTwoByTwo.begin() + 53),
                    BitmapFault::kTooShort});
    rows.push_back({"last pixel byte missing", Bytes(kTwoByTwo.begin(), kTwoByTwo.end() - 1),
                    BitmapFault::kPixelsPastEnd});
    edit("no BM", BitmapFault::kNotBmp, [](Bytes& b) { b[0] = 'M'; b[1] = 'B'; });
    edit("core header", BitmapFault::kUnsupported, [](Bytes& b) { Put32(b, 14, 12); });
    edit("info header past the end", BitmapFault::kHeadersPastEnd, [](Bytes& b) { Put32(b, 14, 124); });
    edit("info header size 4 GB", BitmapFault::kHeadersPastEnd, [](Bytes& b) { Put32(b, 14, 0xFFFFFFFF); });
    edit("two planes", BitmapFault::kUnsupported, [](Bytes& b) { Put16(b, 26, 2); });
    edit("3 bits", BitmapFault::kUnsupported, [](Bytes& b) { Put16(b, 28, 3); });
    edit("run-length coded", BitmapFault::kUnsupported, [](Bytes& b) { Put32(b, 30, 1); });
    edit("JPEG inside", BitmapFault::kUnsupported, [](Bytes& b) { Put32(b, 30, 4); });
    edit("bit fields at 24 bits", BitmapFault::kUnsupported, [](Bytes& b) { Put32(b, 30, 3); });
    edit("width 0", BitmapFault::kBadSize, [](Bytes& b) { Put32(b, 18, 0); });
    edit("negative width", BitmapFault::kBadSize, [](Bytes& b) { Put32(b, 18, static_cast<uint32_t>(-2)); });
    edit("height 0", BitmapFault::kBadSize, [](Bytes& b) { Put32(b, 22, 0); });
    edit("height of the lowest int", BitmapFault::kBadSize, [](Bytes& b) { Put32(b, 22, 0x80000000u); });
    edit("width past the limit", BitmapFault::kBadSize, [](Bytes& b) { Put32(b, 18, kMaxBitmapSide + 1); });
    edit("one row more than the file holds", BitmapFault::kPixelsPastEnd, [](Bytes& b) { Put32(b, 22, 3); });
    edit("a million rows", BitmapFault::kBadSize, [](Bytes& b) { Put32(b, 22, 1000000); });
    edit("pixels start past the end", BitmapFault::kPixelsPastEnd, [](Bytes& b) { Put32(b, 10, 0xFFFFFF00u); });
    edit("pixels start inside the header", BitmapFault::kHeadersPastEnd, [](Bytes& b) { Put32(b, 10, 20); });
    edit("width that overflows a row", BitmapFault::kPixelsPastEnd, [](Bytes& b) { Put32(b, 18, kMaxBitmapSide); });
    {
        Bytes b = OneBit();
        Put32(b, 46, 3);  // three colours of a 1-bit picture
        rows.push_back({"more colours than the bits can index", b, BitmapFault::kUnsupported});
    }
    {
        Bytes b = OneBit();
        Put16(b, 28, 8);  // 256 colours claimed, two in the file
        rows.push_back({"colour table past the pixels", b, BitmapFault::kHeadersPastEnd});
    }
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const auto read = ReadBitmapFile(row.bytes);
        EXPECT_FALSE(read.view);
        EXPECT_EQ(read.fault, row.fault);
    }
}

}  // namespace
}  // namespace lt77::possdk
