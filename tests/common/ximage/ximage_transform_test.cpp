#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <utility>
#include <vector>

#include "common/ximage/ximage.h"
#include "tests/common/ximage/ximage_test_support.h"

namespace lt77 {
namespace {

using namespace test;

// 3 columns × 5 rows; the value names the pixel: 10 × row + column.
CxImage FiveRowImage()
{
    return MakeGrey({{0, 1, 2}, {10, 11, 12}, {20, 21, 22}, {30, 31, 32}, {40, 41, 42}});
}

TEST(Crop, RowLimitsCountFromTheFarEnd)
{
    const struct {
        const char* name;
        int32_t left, top, right, bottom;
        IndexRows expected;
    } cases[] = {
        // First row 5 − 4 = 1, end row 5 − 1 = 4.
        {"rows one to three", 0, 4, 3, 1, {{10, 11, 12}, {20, 21, 22}, {30, 31, 32}}},
        // The page pipeline's bottom trim: Crop(0, H, W, b) keeps rows 0 … H − b − 1.
        {"bottom trim", 0, 5, 3, 2, {{0, 1, 2}, {10, 11, 12}, {20, 21, 22}}},
        {"reversed pairs", 3, 1, 1, 4, {{11, 12}, {21, 22}, {31, 32}}},
        {"clamped to the image", -5, 100, 50, -7,
         {{0, 1, 2}, {10, 11, 12}, {20, 21, 22}, {30, 31, 32}, {40, 41, 42}}},
        {"one pixel", 2, 1, 3, 0, {{42}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CxImage image = FiveRowImage();
        ASSERT_TRUE(image.Crop(c.left, c.top, c.right, c.bottom));
        EXPECT_EQ(Indices(image), c.expected);
    }
}

TEST(Crop, EmptyRectangleFailsAndKeepsImage)
{
    const struct {
        const char* name;
        int32_t left, top, right, bottom;
    } cases[] = {{"left equals right", 1, 4, 1, 1},
                 {"top equals bottom", 0, 2, 3, 2},
                 {"both clamp to the left edge", -9, 4, -1, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CxImage image = FiveRowImage();
        EXPECT_FALSE(image.Crop(c.left, c.top, c.right, c.bottom));
        EXPECT_EQ(Indices(image), Indices(FiveRowImage()));
    }
}

TEST(Crop, OneBitUnalignedColumnsShiftAndClearPadding)
{
    CxImage image = MakeIndexed(1,
                                {{1, 0, 1, 1, 0, 0, 1, 1, 1, 0, 0, 0, 1, 1, 1, 1, 0, 0, 0, 0},
                                 {0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1}},
                                {{9, 9, 9, 0}, {200, 100, 50, 0}});
    image.SetBackgroundIndex(1);
    ASSERT_TRUE(image.Crop(3, 2, 15, 0));  // columns 3 … 14
    EXPECT_EQ(RowBytes(image, 0), (std::vector<uint8_t>{0x9C, 0x70, 0, 0}));
    EXPECT_EQ(RowBytes(image, 1), (std::vector<uint8_t>{0xAA, 0xA0, 0, 0}));
    EXPECT_EQ(image.GetPalette()[1], (RgbQuad{200, 100, 50, 0}));
    EXPECT_EQ(image.GetBackgroundIndex(), 1);
}

// Whole-width crops keep their rows in the raster they had; the bits past
// the width must still end 0, as in a fresh raster, whatever the source had
// there.
TEST(Crop, WholeWidthCropClearsBitsPastTheWidth)
{
    const struct {
        const char* name;
        int32_t width;
        uint32_t bpp;
        std::vector<uint8_t> expectedRow;  // row 1 of the source, which becomes row 0
    } cases[] = {
        {"1-bit, 10 pixels", 10, 1, {0xA5, 0x80, 0x00, 0x00}},
        {"4-bit, 3 pixels", 3, 4, {0xA5, 0xA0, 0x00, 0x00}},
        {"8-bit, 2 pixels", 2, 8, {0xA5, 0xA5, 0x00, 0x00}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        BitmapInfoHeader header{};
        header.biSize = 40;
        header.biWidth = c.width;
        header.biHeight = 3;
        header.biPlanes = 1;
        header.biBitCount = static_cast<uint16_t>(c.bpp);
        const std::vector<uint8_t> bits(12, 0xA5);  // three rows of four bytes, padding set
        CxImage image;
        ASSERT_TRUE(image.Decode(header, bits, {}));
        ASSERT_TRUE(image.Crop(0, 2, c.width, 1));  // rows 1 … 1
        ASSERT_EQ(image.GetHeight(), 1);
        EXPECT_EQ(image.GetHeader().biSizeImage, 4u);
        EXPECT_EQ(RowBytes(image, 0), c.expectedRow);
    }
}

TEST(Crop, TwentyFourBitCopiesPixelSlices)
{
    CxImage image;
    ASSERT_TRUE(image.Create(3, 2, 24));
    image.SetPixelColor(1, 1, RgbQuad{1, 2, 3, 0});
    image.SetPixelColor(2, 1, RgbQuad{4, 5, 6, 0});
    ASSERT_TRUE(image.Crop(1, 1, 3, 0));  // row 1, columns 1 … 2
    EXPECT_EQ(RowBytes(image, 0), (std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 0, 0}));
}

// One row whose pixel x holds index x, resampled to another width.
TEST(Resample, NearestColumnUsesSinglePrecision)
{
    const struct {
        const char* name;
        int32_t from, to;
        std::vector<uint8_t> columns;
    } cases[] = {
        {"halve", 4, 2, {0, 2}},
        {"three to two", 3, 2, {0, 1}},
        {"two to three", 2, 3, {0, 0, 1}},
        {"five to twelve", 5, 12, {0, 0, 0, 1, 1, 2, 2, 2, 3, 3, 4, 4}},
        // 3 × 1.6666666f rounds to 5.0f; in double it stays below 5.
        {"ten to six", 10, 6, {0, 1, 3, 5, 6, 8}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> row(static_cast<size_t>(c.from));
        for (int32_t x = 0; x < c.from; ++x) {
            row[x] = static_cast<uint8_t>(x);
        }
        CxImage image = MakeGrey({row});
        ASSERT_TRUE(image.Resample(c.to, 1, 1));
        EXPECT_EQ(Indices(image), (IndexRows{c.columns}));
    }
}

TEST(Resample, FloatScaleCanFallShortOfTheExactColumn)
{
    // 2 / 82 as a float times 41 is just below 1, so column 41 still reads
    // source column 0 although 41 × 2 / 82 is exactly 1.
    CxImage image = MakeGrey({{5, 7}});
    ASSERT_TRUE(image.Resample(82, 1, 1));
    EXPECT_EQ(image.GetPixelIndex(41, 0), 5);
    EXPECT_EQ(image.GetPixelIndex(42, 0), 7);
}

TEST(Resample, RowsAndColumnsTogether)
{
    CxImage image = MakeGrey({{0, 1, 2, 3}, {10, 11, 12, 13}, {20, 21, 22, 23}, {30, 31, 32, 33}});
    ASSERT_TRUE(image.Resample(2, 3, 1));  // yScale 1.3333334f: rows 0, 1, 2
    EXPECT_EQ(Indices(image), (IndexRows{{0, 2}, {10, 12}, {20, 22}}));
}

TEST(Resample, PixelsGoThroughColourMatching)
{
    // Entries 1 and 2 share a colour; matching finds entry 1 first.
    CxImage image = MakeIndexed(8, {{2, 3}}, {BLACK, {50, 50, 50, 0}, {50, 50, 50, 0}, WHITE});
    ASSERT_TRUE(image.Resample(4, 1, 1));
    EXPECT_EQ(Indices(image), (IndexRows{{1, 1, 3, 3}}));
}

TEST(Resample, SameSizeChangesNothingAndZeroSizeFails)
{
    CxImage image = MakeIndexed(8, {{2, 3}}, {BLACK, {50, 50, 50, 0}, {50, 50, 50, 0}, WHITE});
    ASSERT_TRUE(image.Resample(2, 1, 1));
    EXPECT_EQ(Indices(image), (IndexRows{{2, 3}}));
    EXPECT_FALSE(image.Resample(0, 1, 1));
    EXPECT_FALSE(image.Resample(2, 0, 1));
    EXPECT_FALSE(image.Resample(4, 1, 2));
    EXPECT_EQ(image.GetWidth(), 2);
}

TEST(Resample, OneBitAndTwentyFourBit)
{
    CxImage mono = MakeIndexed(1, {{1, 0, 1, 1, 0, 0, 1, 0, 1, 1}}, {BLACK, WHITE});
    ASSERT_TRUE(mono.Resample(5, 1, 1));
    EXPECT_EQ(Indices(mono), (IndexRows{{1, 1, 0, 1, 1}}));

    CxImage colour;
    ASSERT_TRUE(colour.Create(2, 1, 24));
    colour.SetPixelColor(1, 0, RgbQuad{7, 8, 9, 0});
    ASSERT_TRUE(colour.Resample(4, 1, 1));
    EXPECT_EQ(RowBytes(colour, 0), (std::vector<uint8_t>{0, 0, 0, 0, 0, 0, 7, 8, 9, 7, 8, 9}));
}

TEST(Rotate, SmallImageLandsWhereDefined)
{
    const struct {
        const char* name;
        bool (CxImage::*rotate)();
        IndexRows expected;
    } cases[] = {
        // (x, y) → (H − 1 − y, x), (y, W − 1 − x), (W − 1 − x, H − 1 − y).
        {"left", &CxImage::RotateLeft, {{4, 1}, {5, 2}, {6, 3}}},
        {"right", &CxImage::RotateRight, {{3, 6}, {2, 5}, {1, 4}}},
        {"half", &CxImage::Rotate180, {{6, 5, 4}, {3, 2, 1}}},
    };
    for (uint32_t bpp : {4u, 8u}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(testing::Message() << c.name << " at " << bpp << " bits");
            CxImage image = MakeIndexed(bpp, {{1, 2, 3}, {4, 5, 6}}, GreyRamp());
            ASSERT_TRUE((image.*c.rotate)());
            EXPECT_EQ(Indices(image), c.expected);
        }
    }
}

TEST(Rotate, OneBitBytesAndPadding)
{
    CxImage image = MakeIndexed(1, {{1, 0, 0}, {1, 1, 0}}, {BLACK, WHITE});
    ASSERT_TRUE(image.RotateLeft());
    EXPECT_EQ(image.GetWidth(), 2);
    EXPECT_EQ(RowBytes(image, 0), (std::vector<uint8_t>{0xC0, 0, 0, 0}));
    EXPECT_EQ(RowBytes(image, 1), (std::vector<uint8_t>{0x80, 0, 0, 0}));
    EXPECT_EQ(RowBytes(image, 2), (std::vector<uint8_t>{0x00, 0, 0, 0}));
    ASSERT_TRUE(image.Rotate180());
    EXPECT_EQ(Indices(image), (IndexRows{{0, 0}, {0, 1}, {1, 1}}));
}

CxImage NoiseImage(uint32_t bpp, int32_t width, int32_t height)
{
    std::mt19937 random(bpp * 1000 + static_cast<uint32_t>(width));
    IndexRows rows(static_cast<size_t>(height), std::vector<uint8_t>(static_cast<size_t>(width)));
    for (auto& row : rows) {
        for (auto& index : row) {
            index = static_cast<uint8_t>(random() % (bpp == 1 ? 2 : bpp == 4 ? 16 : 256));
        }
    }
    return MakeIndexed(bpp, rows, GreyRamp());
}

// Sizes that cross byte, 8 × 8 block and 64 × 64 tile edges at every bit count.
TEST(Rotate, EveryPixelMovesAsDefinedAndTurnsUndoEachOther)
{
    for (uint32_t bpp : {1u, 4u, 8u}) {
        for (auto [width, height] : {std::pair{13, 11}, std::pair{70, 9}, std::pair{67, 130}}) {
            SCOPED_TRACE(testing::Message() << bpp << " bits, " << width << " × " << height);
            const CxImage source = NoiseImage(bpp, width, height);
            CxImage left = source;
            CxImage right = source;
            CxImage half = source;
            ASSERT_TRUE(left.RotateLeft() && right.RotateRight() && half.Rotate180());
            for (int32_t y = 0; y < height; ++y) {
                for (int32_t x = 0; x < width; ++x) {
                    const uint8_t index = source.GetPixelIndex(x, y);
                    ASSERT_EQ(left.GetPixelIndex(height - 1 - y, x), index);
                    ASSERT_EQ(right.GetPixelIndex(y, width - 1 - x), index);
                    ASSERT_EQ(half.GetPixelIndex(width - 1 - x, height - 1 - y), index);
                }
            }
            ASSERT_TRUE(left.RotateRight() && half.Rotate180());
            EXPECT_EQ(left.GetBits().size(), source.GetBits().size());
            EXPECT_TRUE(std::equal(left.GetBits().begin(), left.GetBits().end(), source.GetBits().begin()));
            EXPECT_TRUE(std::equal(half.GetBits().begin(), half.GetBits().end(), source.GetBits().begin()));
        }
    }
}

TEST(Rotate, TwentyFourBitKeepsByteOrder)
{
    CxImage image;
    ASSERT_TRUE(image.Create(2, 1, 24));
    image.SetPixelColor(0, 0, RgbQuad{1, 2, 3, 0});
    image.SetPixelColor(1, 0, RgbQuad{4, 5, 6, 0});
    ASSERT_TRUE(image.RotateRight());  // (0, 0) → (0, 1), (1, 0) → (0, 0)
    EXPECT_EQ(image.GetPixelColor(0, 0), (RgbQuad{4, 5, 6, 0}));
    EXPECT_EQ(image.GetPixelColor(0, 1), (RgbQuad{1, 2, 3, 0}));
    ASSERT_TRUE(image.Rotate180());
    EXPECT_EQ(image.GetPixelColor(0, 0), (RgbQuad{1, 2, 3, 0}));
}

}  // namespace
}  // namespace lt77
