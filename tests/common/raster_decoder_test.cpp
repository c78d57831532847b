#include "common/raster_decoder.h"

#include <gtest/gtest.h>

namespace lt77 {
namespace {

std::vector<uint8_t> Bytes(std::initializer_list<int> values)
{
    std::vector<uint8_t> out;
    for (int v : values) out.push_back(static_cast<uint8_t>(v));
    return out;
}

TEST(RasterDecoder, CompressedDivisionBecomesRows)
{
    // 16 dots wide, 2 rows: row 0 = F0 00, row 1 = FF FF.
    const auto stream = Bytes({0x1B, 0x40, 0x00, 0x00, 0x00, 0x08, 0x43, 0x52, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10,
                               0x00, 0x02, 0x00, 0xF0, 0x00, 0x01, 0xFF, 0x02, 0x08, 0x43, 0x52, 0xFF, 0x00, 0x00});
    const auto d = DecodeRasterStream(stream);
    ASSERT_TRUE(d.error.empty()) << d.error;
    ASSERT_EQ(d.picture.width, 16u);
    ASSERT_EQ(d.picture.height, 2u);
    for (uint32_t x = 0; x < 16; ++x) {
        SCOPED_TRACE(x);
        EXPECT_EQ(d.picture.At(x, 0), x < 4 ? 0 : 255);
        EXPECT_EQ(d.picture.At(x, 1), 0);
    }
}

TEST(RasterDecoder, PlainDivisionAmongOtherCommands)
{
    // The feed, page mark and cut around the division add no rows: the
    // printer's renderer draws those.
    const auto stream = Bytes({0x00, 0x00, 0x00, 0x1B, 0x4A, 0x00, 0x1D, 0x76, 0x30, 0x00, 0x01, 0x00, 0x01, 0x00,
                               0x81, 0x00,                                       // one row: 1000 0001
                               0x00, 0x1B, 0x33, 0x00, 0x00, 0x0A, 0x1B, 0x4A, 0x00, 0x1B, 0x32, 0x0C,  // feed
                               0x00, 0x08, 0x43, 0x52,                           // page 0x5243
                               0x00, 0x1B, 0x33, 0x00, 0x00, 0x0A, 0x1D, 0x56, 0x42, 0x00, 0x1B, 0x32});  // cut
    const auto d = DecodeRasterStream(stream);
    ASSERT_TRUE(d.error.empty()) << d.error;
    ASSERT_EQ(d.picture.width, 8u);
    ASSERT_EQ(d.picture.height, 1u);
    EXPECT_EQ(d.picture.At(0, 0), 0);
    EXPECT_EQ(d.picture.At(1, 0), 255);
    EXPECT_EQ(d.picture.At(7, 0), 0);
}

TEST(RasterDecoder, GreyscalePlanesGiveLevels)
{
    // 8 dots, 1 row, planes 4..7 carry bits 3..0 of the level: dot 0 = 15, dot 1 = 8, dot 2 = 1.
    auto plane = [](int p, int bits) {
        return Bytes({0x00, 0x00, 0x00, 0x08, 0x43, 0x52, p, 0x00, 0x00, 0x00, 0x00, 0x08, 0x00, 0x01, 0x00, bits});
    };
    std::vector<uint8_t> stream;
    for (const auto& part : {plane(4, 0xC0), plane(5, 0x80), plane(6, 0x80), plane(7, 0xA0),
                             Bytes({0x08, 0x43, 0x52, 0xFF, 0x00, 0x00})})
        stream.insert(stream.end(), part.begin(), part.end());
    const auto d = DecodeRasterStream(stream);
    ASSERT_TRUE(d.error.empty()) << d.error;
    EXPECT_EQ(d.picture.At(0, 0), 0);          // level 15
    EXPECT_EQ(d.picture.At(1, 0), 255 - 136);  // level 8
    EXPECT_EQ(d.picture.At(2, 0), 255 - 17);   // level 1
    EXPECT_EQ(d.picture.At(3, 0), 255);
}

TEST(RasterDecoder, NarrowerDivisionsArePaddedWithWhite)
{
    const auto stream = Bytes({0x00, 0x00, 0x00, 0x1B, 0x4A, 0x00, 0x1D, 0x76, 0x30, 0x00, 0x01, 0x00, 0x01, 0x00, 0xFF, 0x00,
                               0x00, 0x00, 0x00, 0x1B, 0x4A, 0x00, 0x1D, 0x76, 0x30, 0x00, 0x02, 0x00, 0x01, 0x00, 0x00, 0xFF, 0x00});
    const auto d = DecodeRasterStream(stream);
    ASSERT_EQ(d.picture.width, 16u);
    ASSERT_EQ(d.picture.height, 2u);
    EXPECT_EQ(d.picture.At(0, 0), 0);
    EXPECT_EQ(d.picture.At(8, 0), 255);
    EXPECT_EQ(d.picture.At(0, 1), 255);
    EXPECT_EQ(d.picture.At(15, 1), 0);
}

TEST(RasterDecoder, DamagedCommandsKeepWhatCameBefore)
{
    const auto good = Bytes({0x00, 0x00, 0x00, 0x1B, 0x4A, 0x00, 0x1D, 0x76, 0x30, 0x00, 0x01, 0x00, 0x01, 0x00, 0xFF, 0x00});
    const struct {
        const char* name;
        std::vector<uint8_t> tail;
    } cases[] = {
        {"runs end early", Bytes({0x00, 0x00, 0x00, 0x08, 0x43, 0x52, 0x00, 0x00, 0x00, 0x00, 0x00, 0x08, 0x00, 0x04, 0x00, 0xFF})},
        {"zero run length", Bytes({0x00, 0x00, 0x00, 0x08, 0x43, 0x52, 0x00, 0x00, 0x00, 0x00, 0x00, 0x08, 0x00, 0x01, 0x00, 0x00, 0x00})},
        {"no end marker", Bytes({0x00, 0x00, 0x00, 0x08, 0x43, 0x52, 0x00, 0x00, 0x00, 0x00, 0x00, 0x08, 0x00, 0x01, 0x00, 0x00, 0x01, 0x1B})},
        {"plain data cut short", Bytes({0x00, 0x00, 0x00, 0x1B, 0x4A, 0x00, 0x1D, 0x76, 0x30, 0x00, 0x10, 0x00, 0x10, 0x00, 0x01})},
        {"width not whole bytes", Bytes({0x00, 0x00, 0x00, 0x08, 0x43, 0x52, 0x00, 0x00, 0x00, 0x00, 0x00, 0x07, 0x00, 0x01, 0x00, 0x00, 0x01})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> stream = good;
        stream.insert(stream.end(), c.tail.begin(), c.tail.end());
        const auto d = DecodeRasterStream(stream);
        EXPECT_FALSE(d.error.empty());
        EXPECT_EQ(d.picture.height, 1u);
        EXPECT_EQ(d.picture.At(0, 0), 0);
    }
    EXPECT_EQ(DecodeRasterStream({}).picture.height, 0u);
}

}  // namespace
}  // namespace lt77
