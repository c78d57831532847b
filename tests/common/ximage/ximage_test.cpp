#include "common/ximage/ximage.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/common/ximage/ximage_test_support.h"

namespace lt77 {
namespace {

using namespace test;

const std::string kCreateSizeError = "CxImage::Create : width and height must be greater than zero";

TEST(Create, ZeroOrNegativeSizeFailsWithMessageAndKeepsImage)
{
    const struct {
        const char* name;
        int32_t width;
        int32_t height;
    } cases[] = {{"zero width", 0, 5}, {"zero height", 5, 0}, {"negative width", -1, 3}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CxImage empty;
        EXPECT_FALSE(empty.Create(c.width, c.height, 8));
        EXPECT_EQ(empty.GetLastError(), kCreateSizeError);
        EXPECT_FALSE(empty.IsValid());
        CxImage image = MakeGrey({{7, 8}});
        EXPECT_FALSE(image.Create(c.width, c.height, 1));
        EXPECT_EQ(Indices(image), (IndexRows{{7, 8}}));
    }
}

TEST(Create, OversizedRasterFailsWithMemoryMessage)
{
    CxImage image;
    EXPECT_FALSE(image.Create(65536, 65536, 24));
    EXPECT_EQ(image.GetLastError(), "CxImage::Create can't allocate memory");
    EXPECT_FALSE(image.IsValid());
}

TEST(Create, BitCountRoundsUpAndSetsStrideAndPalette)
{
    // A 10-pixel row: 10 bits, 40 bits, 80 bits, 240 bits, padded to 32 bits.
    const struct {
        uint32_t requested, bpp, stride, paletteEntries;
    } cases[] = {{0, 1, 4, 2},   {1, 1, 4, 2},    {2, 4, 8, 16},   {4, 4, 8, 16},   {5, 8, 12, 256},
                 {8, 8, 12, 256}, {9, 24, 32, 0}, {16, 24, 32, 0}, {32, 24, 32, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.requested);
        CxImage image;
        ASSERT_TRUE(image.Create(10, 3, c.requested));
        EXPECT_EQ(image.GetBpp(), c.bpp);
        EXPECT_EQ(image.GetStride(), c.stride);
        EXPECT_EQ(image.GetBits().size(), c.stride * 3);
        EXPECT_EQ(image.GetPalette().size(), c.paletteEntries);
        for (const RgbQuad& entry : image.GetPalette()) {
            EXPECT_EQ(entry, (RgbQuad{0, 0, 0, 0}));
        }
        EXPECT_EQ(image.GetHeader().biSizeImage, c.stride * 3);
        EXPECT_EQ(image.GetHeader().biClrUsed, c.paletteEntries);
        EXPECT_EQ(image.GetHeader().biXPelsPerMeter, 3780);
    }
}

BitmapInfoHeader HeaderOf(int32_t width, int32_t height, uint16_t bpp)
{
    BitmapInfoHeader h{};
    h.biSize = 40;
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = bpp;
    return h;
}

TEST(Decode, OneBitRowsAndColourTable)
{
    // 10 pixels: 1011 0000 01 / 0000 0000 11, each row padded to 4 bytes.
    const std::vector<uint8_t> bits = {0xB0, 0x40, 0, 0, 0x00, 0xC0, 0, 0};
    const std::vector<uint8_t> table = {1, 2, 3, 0xAA, 250, 251, 252, 0x55};
    CxImage image;
    ASSERT_TRUE(image.Decode(HeaderOf(10, 2, 1), bits, table));
    EXPECT_EQ(Indices(image), (IndexRows{{1, 0, 1, 1, 0, 0, 0, 0, 0, 1}, {0, 0, 0, 0, 0, 0, 0, 0, 1, 1}}));
    EXPECT_EQ(image.GetPixelColor(0, 0), (RgbQuad{250, 251, 252, 0}));
    EXPECT_EQ(image.GetPixelColor(1, 0), (RgbQuad{1, 2, 3, 0}));
}

TEST(Decode, EightBitWithShortColourTableLeavesRestZero)
{
    const std::vector<uint8_t> bits = {0, 1, 2, 0xEE, 2, 2, 0, 0xEE};
    const std::vector<uint8_t> table = {10, 20, 30, 0, 40, 50, 60, 0, 70, 80, 90, 0};
    CxImage image;
    ASSERT_TRUE(image.Decode(HeaderOf(3, 2, 8), bits, table));
    EXPECT_EQ(Indices(image), (IndexRows{{0, 1, 2}, {2, 2, 0}}));
    EXPECT_EQ(image.GetPixelColor(2, 0), (RgbQuad{70, 80, 90, 0}));
    EXPECT_EQ(image.GetPalette()[3], (RgbQuad{0, 0, 0, 0}));
    EXPECT_EQ(image.GetPalette().size(), 256u);
}

TEST(Decode, CoreHeaderSpreadsThreeByteEntries)
{
    BitmapInfoHeader header = HeaderOf(2, 1, 1);
    header.biSize = 12;
    const std::vector<uint8_t> bits = {0x40, 0, 0, 0};
    const std::vector<uint8_t> table = {1, 2, 3, 4, 5, 6};
    CxImage image;
    ASSERT_TRUE(image.Decode(header, bits, table));
    EXPECT_EQ(image.GetPalette()[0], (RgbQuad{1, 2, 3, 0}));
    EXPECT_EQ(image.GetPalette()[1], (RgbQuad{4, 5, 6, 0}));
    EXPECT_EQ(image.GetPixelColor(1, 0), (RgbQuad{4, 5, 6, 0}));
}

TEST(Decode, ShortPixelDataFailsAndKeepsImage)
{
    CxImage image = MakeGrey({{9}});
    const std::vector<uint8_t> bits(7, 0);  // 3 × 2 at 8 bits needs 8 bytes
    EXPECT_FALSE(image.Decode(HeaderOf(3, 2, 8), bits, {}));
    EXPECT_EQ(image.GetLastError(), "CxImage::Decode : pixel data is shorter than the image size");
    EXPECT_EQ(Indices(image), (IndexRows{{9}}));

    BitmapInfoHeader header = HeaderOf(3, 2, 8);
    header.biSizeImage = 12;  // claims more than the 8 bytes that are there
    EXPECT_FALSE(image.Decode(header, std::vector<uint8_t>(8, 0), {}));
    header.biSizeImage = 4;  // claims less than the two rows need
    EXPECT_FALSE(image.Decode(header, std::vector<uint8_t>(8, 0), {}));
    EXPECT_EQ(image.GetLastError(), "CxImage::Decode : image size is smaller than the rows need");
    EXPECT_EQ(Indices(image), (IndexRows{{9}}));
}

TEST(Decode, NegativeHeightKeepsRowOrder)
{
    const std::vector<uint8_t> bits = {5, 0, 0, 0, 6, 0, 0, 0};
    CxImage image;
    ASSERT_TRUE(image.Decode(HeaderOf(1, -2, 8), bits, {}));
    EXPECT_EQ(image.GetHeight(), 2);
    EXPECT_EQ(Indices(image), (IndexRows{{5}, {6}}));
}

TEST(Decode, RefusesWhatThePipelineNeverSends)
{
    BitmapInfoHeader compressed = HeaderOf(4, 1, 8);
    compressed.biCompression = 1;
    CxImage image;
    EXPECT_FALSE(image.Decode(compressed, std::vector<uint8_t>(4, 0), {}));
    EXPECT_FALSE(image.Decode(HeaderOf(4, 1, 16), std::vector<uint8_t>(8, 0), {}));
    EXPECT_FALSE(image.Decode(HeaderOf(0, 1, 8), std::vector<uint8_t>(4, 0), {}));
    EXPECT_EQ(image.GetLastError(), kCreateSizeError);
    EXPECT_FALSE(image.IsValid());
}

TEST(Resolution, DecodeTurnsPelsPerMetreIntoDpi)
{
    const struct {
        int32_t pelsPerMeter, dpi, storedPelsPerMeter;
    } cases[] = {{3780, 96, 3780}, {7992, 203, 7992}, {11811, 300, 11811},
                 {0, 96, 3780},    {-100, 96, 3780},  {19, 96, 3780}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pelsPerMeter);
        BitmapInfoHeader header = HeaderOf(1, 1, 8);
        header.biXPelsPerMeter = c.pelsPerMeter;
        header.biYPelsPerMeter = 7992;
        CxImage image;
        ASSERT_TRUE(image.Decode(header, std::vector<uint8_t>(4, 0), {}));
        EXPECT_EQ(image.GetXDPI(), c.dpi);
        EXPECT_EQ(image.GetYDPI(), 203);
        EXPECT_EQ(image.GetHeader().biXPelsPerMeter, c.storedPelsPerMeter);
    }
}

TEST(Resolution, SetDpiStoresPelsPerMetre)
{
    // 180 dpi: 1800000 / 254 = 7086.61, + 0.5 → 7087.
    const struct {
        int32_t dpi, expectedDpi, pelsPerMeter;
    } cases[] = {{96, 96, 3780}, {180, 180, 7087}, {203, 203, 7992}, {0, 96, 3780}, {-5, 96, 3780}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dpi);
        CxImage image = MakeGrey({{0}});
        image.SetXDPI(c.dpi);
        image.SetYDPI(c.dpi);
        EXPECT_EQ(image.GetXDPI(), c.expectedDpi);
        EXPECT_EQ(image.GetHeader().biXPelsPerMeter, c.pelsPerMeter);
        EXPECT_EQ(image.GetHeader().biYPelsPerMeter, c.pelsPerMeter);
    }
}

TEST(PixelColor, OutsideReadsPixelZeroUntilBackgroundIsSet)
{
    CxImage image = MakeIndexed(8, {{1, 2}}, {{10, 20, 30, 0}, {40, 50, 60, 0}, {70, 80, 90, 0}});
    EXPECT_EQ(image.GetPixelColor(2, 0), (RgbQuad{40, 50, 60, 0}));
    EXPECT_EQ(image.GetPixelColor(-1, 0), (RgbQuad{40, 50, 60, 0}));
    EXPECT_EQ(image.GetPixelIndex(0, 1), 1);
    image.SetBackgroundIndex(0);
    image.SetBackgroundColor(RgbQuad{1, 2, 3, 0});
    EXPECT_EQ(image.GetPixelColor(0, 1), (RgbQuad{1, 2, 3, 0}));
    EXPECT_EQ(image.GetPixelIndex(5, 5), 0);
}

TEST(PixelColor, WritesOutsideAreIgnoredAndTwentyFourBitStoresColour)
{
    CxImage image;
    ASSERT_TRUE(image.Create(2, 1, 24));
    image.SetPixelColor(1, 0, RgbQuad{1, 2, 3, 99});
    image.SetPixelColor(2, 0, RgbQuad{9, 9, 9, 0});
    image.SetPixelColor(0, -1, RgbQuad{9, 9, 9, 0});
    EXPECT_EQ(RowBytes(image, 0), (std::vector<uint8_t>{0, 0, 0, 1, 2, 3, 0, 0}));
    EXPECT_EQ(image.GetPixelColor(1, 0), (RgbQuad{1, 2, 3, 0}));
}

TEST(EmptyImage, EveryOperationFails)
{
    CxImage image;
    EXPECT_FALSE(image.Crop(0, 1, 1, 0));
    EXPECT_FALSE(image.Resample(2, 2, 1));
    EXPECT_FALSE(image.RotateLeft());
    EXPECT_FALSE(image.RotateRight());
    EXPECT_FALSE(image.Rotate180());
    EXPECT_FALSE(image.AdjustBrightness(10, 0));
    EXPECT_FALSE(image.ToGrayScale());
    EXPECT_FALSE(image.Dither(0));
    EXPECT_FALSE(image.DecreaseBpp(1, false, {}, 2));
    EXPECT_FALSE(image.SaveBmp("unused.bmp"));
    EXPECT_TRUE(image.EncodeBmp().empty());
    EXPECT_EQ(image.GetPixelColor(0, 0), (RgbQuad{0, 0, 0, 0}));
    EXPECT_FALSE(image.IsValid());
}

TEST(NearestIndex, ExactMatchThenFirstOfTheNearest)
{
    CxImage image = MakeIndexed(
        8, {{0}}, {{0, 0, 0, 0}, {10, 10, 10, 0}, {20, 20, 20, 0}, {10, 10, 10, 0}, {16, 16, 16, 0}});
    // The rest of the palette is black, which ties with entry 0.
    EXPECT_EQ(image.GetNearestIndex(RgbQuad{10, 10, 10, 0}), 1);
    EXPECT_EQ(image.GetNearestIndex(RgbQuad{15, 15, 15, 0}), 4);
    EXPECT_EQ(image.GetNearestIndex(RgbQuad{18, 18, 18, 0}), 2);
    EXPECT_EQ(image.GetNearestIndex(RgbQuad{5, 5, 5, 0}), 0);  // 0 and 1 both at 75
    image.SetClrImportant(2);
    EXPECT_EQ(image.GetNearestIndex(RgbQuad{20, 20, 20, 0}), 1);
}

TEST(NearestIndex, CacheAnswersRepeatsAndForgetsOnPaletteChange)
{
    CxImage image = MakeIndexed(1, {{0, 0, 0}}, {BLACK, WHITE});
    const uint64_t before = image.GetPaletteScanCountForTesting();
    image.SetPixelColor(0, 0, RgbQuad{200, 200, 200, 0});
    image.SetPixelColor(1, 0, RgbQuad{200, 200, 200, 0});
    EXPECT_EQ(image.GetPaletteScanCountForTesting(), before + 1);
    EXPECT_EQ(Indices(image), (IndexRows{{1, 1, 0}}));

    image.SetPaletteColor(0, RgbQuad{190, 190, 190, 0});
    image.SetPixelColor(2, 0, RgbQuad{200, 200, 200, 0});
    EXPECT_EQ(image.GetPaletteScanCountForTesting(), before + 2);
    EXPECT_EQ(Indices(image), (IndexRows{{1, 1, 0}}));  // (190,190,190) is nearer now
    image.SetPixelColor(2, 0, RgbQuad{250, 250, 250, 0});
    EXPECT_EQ(Indices(image), (IndexRows{{1, 1, 1}}));
}

TEST(ValueSemantics, CopiesAreIndependentAndMovesEmptyTheSource)
{
    CxImage original = MakeGrey({{1, 2}});
    CxImage copy = original;
    copy.SetPixelIndex(0, 0, 9);
    EXPECT_EQ(Indices(original), (IndexRows{{1, 2}}));

    CxImage moved = std::move(original);
    EXPECT_EQ(Indices(moved), (IndexRows{{1, 2}}));
    EXPECT_FALSE(original.IsValid());  // NOLINT(bugprone-use-after-move): the contract under test
    EXPECT_EQ(original.GetWidth(), 0);
    EXPECT_EQ(original.GetPixelColor(0, 0), (RgbQuad{0, 0, 0, 0}));
}

}  // namespace
}  // namespace lt77
