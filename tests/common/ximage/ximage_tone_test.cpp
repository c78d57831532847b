#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "common/ximage/ximage.h"
#include "tests/common/ximage/ximage_test_support.h"

namespace lt77 {
namespace {

using namespace test;

// Two 24-bit pixels whose six bytes are the given values, so every byte goes
// through the brightness table on its own.
CxImage SixBytes(const std::vector<uint8_t>& v)
{
    CxImage image;
    EXPECT_TRUE(image.Create(2, 1, 24));
    image.SetPixelColor(0, 0, RgbQuad{v[0], v[1], v[2], 0});
    image.SetPixelColor(1, 0, RgbQuad{v[3], v[4], v[5], 0});
    return image;
}

IndexRows Uniform(int32_t width, int32_t height, uint8_t grey)
{
    return IndexRows(static_cast<size_t>(height), std::vector<uint8_t>(static_cast<size_t>(width), grey));
}

TEST(AdjustBrightness, TableRoundsTruncatesAndClamps)
{
    const struct {
        int32_t brightness, contrast;
        std::vector<uint8_t> in, out;
    } cases[] = {
        {30, 0, {0, 1, 100, 224, 225, 255}, {0, 31, 130, 254, 255, 255}},
        // 30 − 30 + 0.5 truncates to 0; 1 − 30 would be negative.
        {-30, 0, {1, 30, 31, 254, 255, 0}, {0, 0, 1, 224, 255, 0}},
        {100, 0, {0, 1, 154, 155, 200, 255}, {0, 101, 254, 255, 255, 255}},
        // (100 − 128) × 1.5 + 128.5 = 86.5; (200 − 128) × 1.5 + 128.5 = 236.5.
        {0, 50, {1, 100, 128, 200, 250, 255}, {0, 86, 128, 236, 255, 255}},
        // (1 − 128) × 0.5 + 128.5 = 65; (254 − 128) × 0.5 + 128.5 = 191.5.
        {0, -50, {0, 1, 101, 254, 255, 128}, {0, 65, 115, 191, 255, 128}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "brightness " << c.brightness << ", contrast " << c.contrast);
        CxImage image = SixBytes(c.in);
        ASSERT_TRUE(image.AdjustBrightness(c.brightness, c.contrast));
        std::vector<uint8_t> expected = c.out;
        expected.insert(expected.end(), {0, 0});  // row padding maps 0 to 0
        EXPECT_EQ(RowBytes(image, 0), expected);
    }
}

TEST(AdjustBrightness, Plus100KeepsPureBlackAndWhiteEntries)
{
    CxImage mono = MakeIndexed(1, {{0, 1}}, {BLACK, WHITE});
    ASSERT_TRUE(mono.AdjustBrightness(100, 0));
    EXPECT_EQ(mono.GetPalette()[0], BLACK);
    EXPECT_EQ(mono.GetPalette()[1], WHITE);

    CxImage colour = MakeIndexed(8, {{0, 1, 2}}, {BLACK, {10, 20, 30, 0}, WHITE});
    ASSERT_TRUE(colour.AdjustBrightness(100, 0));
    EXPECT_EQ(colour.GetPalette()[0], BLACK);
    EXPECT_EQ(colour.GetPalette()[1], (RgbQuad{110, 120, 130, 0}));
    EXPECT_EQ(colour.GetPalette()[2], WHITE);
    EXPECT_EQ(Indices(colour), (IndexRows{{0, 1, 2}}));
}

TEST(AdjustBrightness, GreyRampImageStaysInGreyForm)
{
    CxImage image = MakeGrey({{0, 50, 200, 255}});
    ASSERT_TRUE(image.AdjustBrightness(20, 0));
    EXPECT_EQ(Indices(image), (IndexRows{{0, 70, 220, 255}}));
    EXPECT_EQ(image.GetPalette()[70], (RgbQuad{70, 70, 70, 0}));
    EXPECT_EQ(image.GetPalette()[220], (RgbQuad{220, 220, 220, 0}));

    // A 4-bit ramp (entry i = i, i, i) comes back as 8-bit grey.
    CxImage dark = MakeIndexed(4, {{0, 1, 15}}, GreyRamp());
    ASSERT_TRUE(dark.AdjustBrightness(100, 0));
    EXPECT_EQ(dark.GetBpp(), 8u);
    EXPECT_EQ(Indices(dark), (IndexRows{{0, 101, 115}}));
}

TEST(ToGrayScale, WeightedSumShiftedByTen)
{
    CxImage image;
    ASSERT_TRUE(image.Create(5, 1, 24));
    const RgbQuad colours[] = {{255, 0, 0, 0}, {0, 255, 0, 0}, {0, 0, 255, 0}, WHITE, {10, 20, 30, 0}};
    for (int32_t x = 0; x < 5; ++x) {
        image.SetPixelColor(x, 0, colours[x]);
    }
    ASSERT_TRUE(image.ToGrayScale());
    EXPECT_EQ(image.GetBpp(), 8u);
    // 117 × 255 >> 10 = 29, 601 × 255 >> 10 = 149, 306 × 255 >> 10 = 76,
    // (1170 + 12020 + 9180) >> 10 = 21.
    EXPECT_EQ(Indices(image), (IndexRows{{29, 149, 76, 255, 21}}));
    EXPECT_EQ(image.GetPalette()[149], (RgbQuad{149, 149, 149, 0}));

    CxImage mono = MakeIndexed(1, {{0, 1}}, {{0, 0, 200, 0}, {200, 200, 200, 0}});
    ASSERT_TRUE(mono.ToGrayScale());
    EXPECT_EQ(Indices(mono), (IndexRows{{59, 200}}));  // 306 × 200 >> 10 = 59
}

TEST(Dither, OneBitImageIsLeftAlone)
{
    CxImage image = MakeIndexed(1, {{1, 0, 1}}, {{9, 9, 9, 0}, {7, 7, 7, 0}});
    ASSERT_TRUE(image.Dither(0));
    EXPECT_EQ(RowBytes(image, 0), (std::vector<uint8_t>{0xA0, 0, 0, 0}));
    EXPECT_EQ(image.GetPalette()[0], (RgbQuad{9, 9, 9, 0}));
}

TEST(Dither, UnknownMethodFailsAndKeepsImage)
{
    CxImage image = MakeGrey({{10, 200}});
    EXPECT_FALSE(image.Dither(2));
    EXPECT_EQ(image.GetLastError(), "CxImage::Dither : method must be 0, 1, 7 or 8");
    EXPECT_EQ(Indices(image), (IndexRows{{10, 200}}));
}

TEST(Dither, ThresholdMethodsOnKnownGreys)
{
    const IndexRows columns(4, std::vector<uint8_t>{50, 100, 150, 200});
    const struct {
        const char* name;
        int32_t method;
        IndexRows grey, expected;
    } cases[] = {
        // n = 3, 6, 9, 12 against M rows {0,8,2,10} {12,4,14,6} {3,11,1,9} {15,7,13,5}.
        {"ordered columns", 1, columns, {{1, 0, 1, 1}, {0, 1, 0, 1}, {0, 0, 1, 1}, {0, 0, 0, 1}}},
        // 254 gives n = 15, which only the 15 of M does not undercut.
        {"ordered 254", 1, Uniform(4, 4, 254), {{1, 1, 1, 1}, {1, 1, 1, 1}, {1, 1, 1, 1}, {0, 1, 1, 1}}},
        {"ordered 255", 1, Uniform(4, 4, 255), Uniform(4, 4, 1)},
        {"4x4 columns", 7, columns, {{1, 0, 1, 0}, {0, 1, 0, 1}, {1, 0, 1, 0}, {0, 1, 1, 1}}},
        // B = 128 is not below 128.
        {"4x4 128", 7, Uniform(4, 4, 128), {{1, 0, 1, 0}, {0, 1, 0, 1}, {1, 0, 1, 0}, {0, 1, 0, 1}}},
        // 100 >> 2 = 25 against P[x][y]: the column index comes first.
        {"8x8 100", 8, Uniform(8, 8, 100),
         {{1, 0, 1, 0, 1, 0, 1, 0},
          {0, 1, 0, 0, 0, 1, 0, 0},
          {1, 0, 1, 0, 1, 0, 1, 0},
          {0, 1, 0, 1, 0, 0, 0, 1},
          {1, 0, 1, 0, 1, 0, 1, 0},
          {0, 1, 0, 0, 0, 1, 0, 0},
          {1, 0, 1, 0, 1, 0, 1, 0},
          {0, 0, 0, 1, 0, 1, 0, 1}}},
        // 4 >> 2 = 1 reaches only P = 0 at (0, 0) and P = 1 at (4, 4).
        {"8x8 4", 8, Uniform(5, 5, 4),
         {{1, 0, 0, 0, 0}, {0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}, {0, 0, 0, 0, 1}}},
        {"8x8 3", 8, Uniform(5, 5, 3), Uniform(5, 5, 0)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CxImage image = MakeGrey(c.grey);
        ASSERT_TRUE(image.Dither(c.method));
        EXPECT_EQ(image.GetBpp(), 1u);
        EXPECT_EQ(image.GetPalette()[0], BLACK);
        EXPECT_EQ(image.GetPalette()[1], WHITE);
        EXPECT_EQ(Indices(image), c.expected);
    }
}

TEST(Dither, ErrorDiffusionByHand)
{
    const struct {
        const char* name;
        IndexRows grey, expected;
    } cases[] = {
        {"128 is black", {{128}}, {{0}}},
        {"129 is white", {{129}}, {{1}}},
        // 128 + 128 × 7 / 16 = 184 is clamped to 255, which then passes no error on.
        {"clamped after each step", {{128, 250, 120}}, {{0, 1, 0}}},
        // 157 − 455 / 16 truncates toward zero to 157 − 28 = 129.
        {"negative error truncates toward zero", {{190, 157}}, {{1, 1}}},
        // (0,1) takes −7 (clamped to 0) before +5; unclamped it would end at
        // −2 and pass no error, leaving (1,1) at 128 instead of 130.
        {"row below clamps after the 5/16 share", {{230, 40}, {0, 120}}, {{1, 0}, {0, 1}}},
        // (1,1) takes −7 first and is clamped to 0; then +22 +17 +5 = 44, whose
        // 19 lifts (2,1) from 112 to 131.
        {"row below clamps after the 1/16 share", {{129, 128, 60}, {10, 0, 80}}, {{1, 0, 0}, {0, 0, 1}}},
        {"last column of the row below", {{0}, {160}}, {{0}, {1}}},
        // (1,0): 216 + 52 → 255. (0,1): 92 + 37 = 129. (1,1): 169 + 7 + 8 = 184.
        // (2,1): 170 + 13 = 183. Row 1: 129 white, e = −126: (1,1) 184 − 55 =
        // 129 white, e = −126: (2,1) 183 − 55 = 128 black.
        {"three by two", {{121, 216, 43}, {92, 169, 170}}, {{0, 1, 0}, {1, 1, 0}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CxImage image = MakeGrey(c.grey);
        ASSERT_TRUE(image.Dither(0));
        EXPECT_EQ(Indices(image), c.expected);
    }
}

// The row-by-row error diffusion this library had before it took two rows at
// once, kept word for word (less its comments) as the reference the faster form
// must match bit for bit.
namespace reference {

template <typename IsWhite>
void PackRow(uint8_t* dst, int32_t widthPx, IsWhite isWhite)
{
    uint32_t bits = 0;
    for (int32_t x = 0; x < widthPx; ++x) {
        bits = (bits << 1) | (isWhite(x) ? 1u : 0u);
        if ((x & 7) == 7) {
            dst[x >> 3] = static_cast<uint8_t>(bits);
            bits = 0;
        }
    }
    if (widthPx & 7) {
        dst[widthPx >> 3] = static_cast<uint8_t>(bits << (8 - (widthPx & 7)));
    }
}

int32_t Clamp255(int32_t v)
{
    return std::clamp(v, 0, 255);
}

constexpr int32_t SHARE_BIAS = 64;
constexpr size_t SHARE_ENTRIES = 384;

struct ErrorShares {
    std::array<int32_t, SHARE_ENTRIES> right{};
    std::array<int32_t, SHARE_ENTRIES> belowLeft{};
    std::array<int32_t, SHARE_ENTRIES> below{};
    std::array<int32_t, SHARE_ENTRIES> belowRight{};
};

constexpr bool IsWhiteAfterDiffusion(int32_t g)
{
    return g >= 129;
}

constexpr ErrorShares MakeErrorShares()
{
    ErrorShares shares;
    for (size_t i = 0; i < SHARE_ENTRIES; ++i) {
        const int32_t g = std::min(std::max(static_cast<int32_t>(i) - SHARE_BIAS, 0), 255);
        const int32_t error = IsWhiteAfterDiffusion(g) ? g - 255 : g;
        shares.right[i] = error * 7 / 16;
        shares.belowLeft[i] = error * 3 / 16;
        shares.below[i] = error * 5 / 16;
        shares.belowRight[i] = error * 1 / 16;
    }
    return shares;
}

constexpr ErrorShares ERROR_SHARES = MakeErrorShares();

void DiffuseRow(const int32_t* current, int32_t* next, int32_t widthPx, uint8_t* dst)
{
    int32_t pixel = current[0];  // not yet clamped; see ErrorShares
    int32_t belowLeft = 0;
    int32_t below = next[0];
    PackRow(dst, widthPx, [&](int32_t x) {
        const auto i = static_cast<size_t>(pixel + SHARE_BIAS);
        const bool white = IsWhiteAfterDiffusion(pixel);  // same answer as for the clamped value
        pixel = current[x + 1] + ERROR_SHARES.right[i];
        next[x - 1] = Clamp255(belowLeft + ERROR_SHARES.belowLeft[i]);
        belowLeft = Clamp255(below + ERROR_SHARES.below[i]);
        below = Clamp255(next[x + 1] + ERROR_SHARES.belowRight[i]);
        return white;
    });
    next[widthPx - 1] = belowLeft;
}

// The loop of Dither(0) over a page of grey values, row after row.
std::vector<uint8_t> Diffuse(const IndexRows& grey, uint32_t stride)
{
    const auto width = static_cast<int32_t>(grey.at(0).size());
    const auto height = static_cast<int32_t>(grey.size());
    std::vector<uint8_t> out(static_cast<size_t>(stride) * static_cast<size_t>(height), 0);
    std::vector<int32_t> lineA(static_cast<size_t>(width) + 2);
    std::vector<int32_t> lineB(static_cast<size_t>(width) + 2);
    int32_t* current = lineA.data() + 1;
    int32_t* next = lineB.data() + 1;
    auto load = [&](int32_t y, int32_t* line) {
        std::fill(line - 1, line + width + 1, 0);
        if (y < height) {
            std::copy(grey[static_cast<size_t>(y)].begin(), grey[static_cast<size_t>(y)].end(), line);
        }
    };
    load(0, current);
    load(1, next);
    for (int32_t y = 0; y < height; ++y) {
        DiffuseRow(current, next, width, out.data() + static_cast<size_t>(y) * stride);
        std::swap(current, next);
        load(y + 2, next);
    }
    return out;
}

}  // namespace reference

// Widths on both sides of the 32-pixel pieces and of whole bytes, heights
// that leave a last group of every size from one row to four, and greys near
// the clamps and the threshold, where a share added out of order would show.
TEST(Dither, ErrorDiffusionMatchesRowByRowReference)
{
    uint32_t seed = 12345;
    auto random = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return seed >> 16;
    };
    for (const int32_t width : {1, 2, 3, 7, 8, 9, 31, 32, 33, 63, 64, 65, 97, 576}) {
        for (const int32_t height : {1, 2, 3, 4, 5, 7, 9}) {
            for (int kind = 0; kind < 3; ++kind) {
                IndexRows grey(static_cast<size_t>(height), std::vector<uint8_t>(static_cast<size_t>(width)));
                for (auto& row : grey) {
                    for (auto& g : row) {
                        const uint32_t r = random();
                        g = static_cast<uint8_t>(kind == 0 ? r & 0xFF : kind == 1 ? (r & 1 ? 250 + r % 6 : r % 6)
                                                                                : 126 + r % 5);
                    }
                }
                SCOPED_TRACE(testing::Message() << width << " x " << height << ", kind " << kind);
                CxImage image = MakeGrey(grey);
                ASSERT_TRUE(image.Dither(0));
                const auto bits = image.GetBits();
                EXPECT_EQ(std::vector<uint8_t>(bits.begin(), bits.end()), reference::Diffuse(grey, image.GetStride()));
            }
        }
    }
}

TEST(DecreaseBpp, TargetAboveSourceFails)
{
    CxImage image = MakeIndexed(1, {{1}}, {BLACK, WHITE});
    EXPECT_FALSE(image.DecreaseBpp(8, false, {}, 2));
    EXPECT_EQ(image.GetLastError(), "DecreaseBpp: target BPP greater than source BPP");
    EXPECT_EQ(image.GetBpp(), 1u);
    EXPECT_FALSE(image.DecreaseBpp(1, true, {}, 2));
}

TEST(DecreaseBpp, PipelineCallMakesWhiteFrom128Up)
{
    CxImage grey = MakeGrey({{0, 127, 128, 255}});
    ASSERT_TRUE(grey.DecreaseBpp(1, false, {}, 2));
    EXPECT_EQ(grey.GetBpp(), 1u);
    EXPECT_EQ(Indices(grey), (IndexRows{{0, 0, 1, 1}}));
    EXPECT_EQ(grey.GetPalette()[0], BLACK);
    EXPECT_EQ(grey.GetPalette()[1], WHITE);
    EXPECT_EQ(grey.GetClrImportant(), 2u);

    // Squared distances to black and white: 40000 / 133075, 90000 / 30075,
    // 48897 / 48642, 48642 / 48897.
    CxImage colour;
    ASSERT_TRUE(colour.Create(4, 1, 24));
    const RgbQuad colours[] = {{0, 0, 200, 0}, {200, 200, 100, 0}, {128, 128, 127, 0}, {127, 127, 128, 0}};
    for (int32_t x = 0; x < 4; ++x) {
        colour.SetPixelColor(x, 0, colours[x]);
    }
    ASSERT_TRUE(colour.DecreaseBpp(1, false, {}, 2));
    EXPECT_EQ(Indices(colour), (IndexRows{{0, 1, 1, 0}}));
}

TEST(DecreaseBpp, SameBitCountRemapsOnlyWhenAsked)
{
    const struct {
        const char* name;
        uint32_t ownImportant, important;
        IndexRows expected;
    } cases[] = {
        {"important 0 does nothing", 0, 0, {{0, 1}}},
        {"own 1 below 2 does nothing", 1, 2, {{0, 1}}},
        {"own 0 remaps to black and white", 0, 2, {{1, 0}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CxImage image = MakeIndexed(1, {{0, 1}}, {WHITE, BLACK});
        image.SetClrImportant(c.ownImportant);
        ASSERT_TRUE(image.DecreaseBpp(1, false, {}, c.important));
        EXPECT_EQ(Indices(image), c.expected);
    }
}

TEST(DecreaseBpp, SuppliedPaletteAndColoursImportant)
{
    const std::vector<RgbQuad> palette = {{0, 0, 255, 0}, {100, 100, 100, 0}, WHITE};
    const struct {
        uint32_t important, stored;
        IndexRows expected;
    } cases[] = {
        // Entry 3 onwards is zero, an exact match for black.
        {16, 16, {{3, 1, 2}}},
        // Only the first three entries count: black is nearest to entry 1.
        {3, 3, {{1, 1, 2}}},
        {300, 0, {{3, 1, 2}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.important);
        CxImage image = MakeGrey({{0, 100, 255}});
        ASSERT_TRUE(image.DecreaseBpp(4, false, palette, c.important));
        EXPECT_EQ(image.GetBpp(), 4u);
        EXPECT_EQ(image.GetClrImportant(), c.stored);
        EXPECT_EQ(Indices(image), c.expected);
    }
}

}  // namespace
}  // namespace lt77
