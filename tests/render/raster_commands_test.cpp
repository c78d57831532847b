#include "render/raster_commands.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/picture_rects.h"
#include "tests/render/render_test_support.h"

namespace lt77 {
namespace {

using test::Bytes;
using test::Grey;
using test::Hex;
using test::kBlack;
using test::kWhite;
using test::Repeat;
using test::WhiteImage;

constexpr const char* kEndMarker = "08 43 52 FF 00 00";

std::vector<uint8_t> Same(std::size_t n, uint8_t value) { return std::vector<uint8_t>(n, value); }

TEST(RunLength, Table)
{
    struct Row {
        const char* name;
        std::vector<uint8_t> input;
        const char* expected;
    };
    const Row rows[] = {
        {"empty", {}, ""},
        {"single 00", Bytes("00"), "00 01"},
        {"single FF", Bytes("FF"), "FF 01"},
        {"48 zeros", Same(48, 0x00), "00 30"},
        {"exactly 255", Same(255, 0x00), "00 FF"},
        {"256 splits", Same(256, 0x00), "00 FF 00 01"},
        {"300 FF", Same(300, 0xFF), "FF FF FF 2D"},
        {"510 FF", Same(510, 0xFF), "FF FF FF FF"},
        {"other bytes stay themselves", Bytes("01 7F 80 FE"), "01 7F 80 FE"},
        {"repeated other bytes are not counted", Bytes("55 55 55"), "55 55 55"},
        {"00 next to FF", Bytes("00 FF"), "00 01 FF 01"},
        {"mixed", Bytes("00 00 12 FF FF FF 34 00"), "00 02 12 FF 03 34 00 01"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<uint8_t> out;
        AppendRunLength(out, row.input);
        EXPECT_EQ(Hex(out), row.expected);
    }
}

TEST(RunLength, AppendsAfterExistingBytes)
{
    std::vector<uint8_t> out = Bytes("AA");
    AppendRunLength(out, Same(3, 0xFF));
    EXPECT_EQ(Hex(out), "AA FF 03");
}

CxImage OneBit(int32_t widthDots, int32_t rows)
{
    CxImage image;
    EXPECT_TRUE(image.Create(widthDots, rows, 1));
    const RgbQuad palette[] = {kBlack, kWhite};
    EXPECT_TRUE(image.SetPalette(palette));
    for (int32_t y = 0; y < rows; ++y)
        for (int32_t x = 0; x < widthDots; ++x) image.SetPixelIndex(x, y, 1);
    return image;
}

CxImage GreyRampImage(int32_t widthDots, int32_t rows, uint8_t grey)
{
    CxImage image;
    EXPECT_TRUE(image.Create(widthDots, rows, 8));
    std::vector<RgbQuad> ramp;
    for (int i = 0; i < 256; ++i) ramp.push_back(Grey(static_cast<uint8_t>(i)));
    EXPECT_TRUE(image.SetPalette(ramp));
    for (int32_t y = 0; y < rows; ++y)
        for (int32_t x = 0; x < widthDots; ++x) image.SetPixelIndex(x, y, grey);
    return image;
}

TEST(MakeImageCommandsWithRLE, OneWhiteRowOf384Dots)
{
    const std::string expected = "00 00 00 08 43 52 00 00 00 00 00 80 01 01 00 00 30 08 43 52 FF 00 00";
    struct Row {
        const char* name;
        CxImage image;
    };
    const Row rows[] = {
        {"24-bit", WhiteImage(384, 1)},
        {"1-bit", OneBit(384, 1)},
        {"8-bit grey", GreyRampImage(384, 1, 255)},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(Hex(MakeImageCommandsWithRLE({}, row.image, 0, 1, false)), expected);
    }
}

TEST(MakeImageCommandsWithRLE, RunsContinueAcrossRows)
{
    EXPECT_EQ(Hex(MakeImageCommandsWithRLE({}, WhiteImage(16, 3), 0, 3, false)),
              "00 00 00 08 43 52 00 00 00 00 00 10 00 03 00 00 06 08 43 52 FF 00 00");
}

TEST(MakeImageCommandsWithRLE, ThreeHundredWhiteRowsSplitInto246And54)
{
    const std::string expected = "00 00 00 08 43 52 00 00 00 00 00 80 01 F6 00 " + Repeat("00 FF", 46) + " 00 4E " +
                                 kEndMarker + " 00 00 00 08 43 52 00 00 00 00 00 80 01 36 00 " + Repeat("00 FF", 10) +
                                 " 00 2A " + kEndMarker;
    EXPECT_EQ(Hex(MakeImageCommandsWithRLE({}, WhiteImage(384, 300), 0, 300, false)), expected);
}

// Ink on the last row of the first division and the first row of the second.
CxImage DivisionEdgeImage()
{
    CxImage image = WhiteImage(16, 300);
    image.SetPixelColor(0, 245, kBlack);
    image.SetPixelColor(15, 246, kBlack);
    return image;
}

TEST(MakeImageCommandsWithRLE, InkAtDivisionEdgeLandsInTheRightDivision)
{
    const std::string expected = std::string("00 00 00 08 43 52 00 00 00 00 00 10 00 F6 00 ") +
                                 "00 FF 00 EB 80 00 01 " + kEndMarker +
                                 " 00 00 00 08 43 52 00 00 00 00 00 10 00 36 00 " + "00 01 01 00 6A " + kEndMarker;
    EXPECT_EQ(Hex(MakeImageCommandsWithRLE({}, DivisionEdgeImage(), 0, 300, false)), expected);
}

TEST(MakeImageCommandsWithRLE, StartsAtFirstRow)
{
    EXPECT_EQ(Hex(MakeImageCommandsWithRLE({}, DivisionEdgeImage(), 245, 2, false)),
              std::string("00 00 00 08 43 52 00 00 00 00 00 10 00 02 00 80 00 02 01 ") + kEndMarker);
}

TEST(MakeImageCommandsWithRLE, DivisionBoundary)
{
    struct Row {
        const char* name;
        int32_t rows;
        std::string expected;
    };
    const Row rows[] = {
        {"246 rows, one division", 246,
         std::string("00 00 00 08 43 52 00 00 00 00 00 08 00 F6 00 00 F6 ") + kEndMarker},
        {"247 rows, two divisions", 247,
         std::string("00 00 00 08 43 52 00 00 00 00 00 08 00 F6 00 00 F6 ") + kEndMarker +
             " 00 00 00 08 43 52 00 00 00 00 00 08 00 01 00 00 01 " + kEndMarker},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(Hex(MakeImageCommandsWithRLE({}, WhiteImage(8, row.rows), 0, static_cast<DWORD>(row.rows), false)),
                  row.expected);
    }
}

TEST(MakeImageCommandsWithRLE, NothingToBuildIsEmpty)
{
    EXPECT_TRUE(MakeImageCommandsWithRLE({}, WhiteImage(8, 4), 0, 0, false).empty());
    EXPECT_TRUE(MakeImageCommandsWithRLE({}, CxImage{}, 0, 4, false).empty());
    EXPECT_TRUE(MakeImageCommands({}, CxImage{}, 0, 4, false).empty());
}

// Eight pixels whose greys sit on the level bands: 0, 5, 6, 7, 8, 9, 10, 12.
CxImage LevelRow()
{
    CxImage image = WhiteImage(8, 1);
    const uint8_t greys[] = {255, 219, 182, 146, 91, 55, 36, 0};
    for (int32_t x = 0; x < 8; ++x) image.SetPixelColor(x, 0, Grey(greys[x]));
    return image;
}

TEST(MakeImageCommandsWithRLE, GreyscaleUsesPlanesFourToSeven)
{
    const std::vector<PictureRect> pictures = {MakePictureRect(RECTL{0, 0, 8, 0})};
    const std::string expected = std::string("00 00 00 08 43 52 04 00 00 00 00 08 00 01 00 0F ") +
                                 "00 00 00 08 43 52 05 00 00 00 00 08 00 01 00 71 " +
                                 "00 00 00 08 43 52 06 00 00 00 00 08 00 01 00 32 " +
                                 "00 00 00 08 43 52 07 00 00 00 00 08 00 01 00 54 " + kEndMarker;
    EXPECT_EQ(Hex(MakeImageCommandsWithRLE(pictures, LevelRow(), 0, 1, true)), expected);
}

TEST(MakeImageCommandsWithRLE, GreyscaleWithoutPicturesHasEqualPlanes)
{
    const std::string expected = std::string("00 00 00 08 43 52 04 00 00 00 00 08 00 01 00 0F ") +
                                 "00 00 00 08 43 52 05 00 00 00 00 08 00 01 00 0F " +
                                 "00 00 00 08 43 52 06 00 00 00 00 08 00 01 00 0F " +
                                 "00 00 00 08 43 52 07 00 00 00 00 08 00 01 00 0F " + kEndMarker;
    EXPECT_EQ(Hex(MakeImageCommandsWithRLE({}, LevelRow(), 0, 1, true)), expected);
}

TEST(MakeImageCommands, PlainFormHasZeroAfterPlane)
{
    CxImage image = WhiteImage(16, 2);
    image.SetPixelColor(0, 0, kBlack);
    image.SetPixelColor(9, 1, kBlack);
    EXPECT_EQ(Hex(MakeImageCommands({}, image, 0, 2, false)),
              "00 00 00 1B 4A 00 1D 76 30 00 02 00 02 00 80 00 00 40 00");
}

TEST(MakeImageCommands, PlainFormSplitsDivisions)
{
    const auto out = MakeImageCommands({}, DivisionEdgeImage(), 0, 300, false);
    ASSERT_EQ(out.size(), 14u + 492u + 1u + 14u + 108u + 1u);
    EXPECT_EQ(Hex(std::span(out).first(14)), "00 00 00 1B 4A 00 1D 76 30 00 02 00 F6 00");
    EXPECT_EQ(Hex(std::span(out).subspan(14 + 488, 5)), "00 00 80 00 00");
    EXPECT_EQ(Hex(std::span(out).subspan(507, 16)), "00 00 00 1B 4A 00 1D 76 30 00 02 00 36 00 00 01");
    EXPECT_EQ(out.back(), 0x00);
    // Only the two inked bytes carry bits.
    std::size_t inked = 0;
    for (std::size_t i = 14; i < 14 + 492; ++i) inked += out[i] != 0;
    for (std::size_t i = 521; i < 521 + 108; ++i) inked += out[i] != 0;
    EXPECT_EQ(inked, 2u);
}

TEST(MakeImageCommands, PlainGreyscaleHasFourPlanesEachClosedByZero)
{
    EXPECT_EQ(Hex(MakeImageCommands({}, LevelRow(), 0, 1, true)),
              Repeat("00 00 00 1B 4A 00 1D 76 30 00 01 00 01 00 0F 00", 4));
}

// Runs CreateImageBuffer over the whole image into fresh zeroed planes.
std::vector<std::vector<uint8_t>> Planes(const CxImage& image, const std::vector<PictureRect>& pictures,
                                         bool greyscale, DWORD* written = nullptr)
{
    const std::size_t bytesPerRow = (static_cast<std::size_t>(image.GetWidth()) + 7) / 8;
    std::vector<std::vector<uint8_t>> planes(greyscale ? 4 : 1,
                                             std::vector<uint8_t>(bytesPerRow * kRowsPerDivision));
    const DWORD n = CreateImageBuffer(pictures, planes, image, 0, static_cast<DWORD>(image.GetHeight()), greyscale);
    if (written != nullptr) *written = n;
    for (auto& p : planes) p.resize(bytesPerRow * static_cast<std::size_t>(image.GetHeight()));
    return planes;
}

RgbQuad Rgb(uint8_t r, uint8_t g, uint8_t b) { return RgbQuad{b, g, r, 0}; }

TEST(CreateImageBuffer, MonochromeThreshold)
{
    struct Row {
        const char* name;
        RgbQuad colour;
        bool prints;
    };
    const Row rows[] = {
        {"white", Rgb(255, 255, 255), false},
        {"all channels 128", Rgb(128, 128, 128), false},
        {"light colour", Rgb(200, 128, 255), false},
        {"red 127", Rgb(127, 255, 255), true},
        {"green 127", Rgb(255, 127, 255), true},
        {"blue 127", Rgb(255, 255, 127), true},
        {"black", Rgb(0, 0, 0), true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        CxImage image = WhiteImage(1, 1);
        image.SetPixelColor(0, 0, row.colour);
        EXPECT_EQ(Planes(image, {}, false)[0][0], row.prints ? 0x80 : 0x00);
    }
}

TEST(CreateImageBuffer, MonochromeThresholdOnPaletteImage)
{
    CxImage image = GreyRampImage(3, 1, 255);
    image.SetPixelIndex(0, 0, 127);
    image.SetPixelIndex(1, 0, 128);
    image.SetPixelIndex(2, 0, 0);
    EXPECT_EQ(Hex(Planes(image, {}, false)[0]), "A0");
}

uint8_t LevelOf(const std::vector<std::vector<uint8_t>>& planes, std::size_t byte, uint8_t mask)
{
    uint8_t level = 0;
    for (std::size_t p = 0; p < 4; ++p) level = static_cast<uint8_t>((level << 1) | ((planes[p][byte] & mask) ? 1 : 0));
    return level;
}

TEST(CreateImageBuffer, GreyLevelsAtBandEdges)
{
    struct Row {
        const char* name;
        RgbQuad colour;
        uint8_t inPicture;
        uint8_t outsidePictures;
    };
    const Row rows[] = {
        {"Y 255", Grey(255), 0, 0},    {"Y 254", Grey(254), 5, 0},   {"Y 219", Grey(219), 5, 0},
        {"Y 218", Grey(218), 6, 0},    {"Y 182", Grey(182), 6, 0},   {"Y 181", Grey(181), 7, 0},
        {"Y 146", Grey(146), 7, 0},    {"Y 145", Grey(145), 8, 15},  {"Y 91", Grey(91), 8, 15},
        {"Y 90", Grey(90), 9, 15},     {"Y 55", Grey(55), 9, 15},    {"Y 54", Grey(54), 10, 15},
        {"Y 36", Grey(36), 10, 15},    {"Y 35", Grey(35), 11, 15},   {"Y 18", Grey(18), 11, 15},
        {"Y 17", Grey(17), 12, 15},    {"Y 0", Grey(0), 12, 15},
        // 0.299 x 255 = 76.2, 0.587 x 255 = 149.7, 0.114 x 255 = 29.1
        {"pure red, Y 76", Rgb(255, 0, 0), 9, 15},
        {"pure green, Y 149", Rgb(0, 255, 0), 7, 0},
        {"pure blue, Y 29", Rgb(0, 0, 255), 11, 15},
    };
    const std::vector<PictureRect> picture = {MakePictureRect(RECTL{0, 0, 1, 0})};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        CxImage image = WhiteImage(1, 1);
        image.SetPixelColor(0, 0, row.colour);
        EXPECT_EQ(LevelOf(Planes(image, picture, true), 0, 0x80), row.inPicture);
        EXPECT_EQ(LevelOf(Planes(image, {}, true), 0, 0x80), row.outsidePictures);
    }
}

TEST(CreateImageBuffer, OnlyRowsInsidePicturesKeepTheirLevels)
{
    CxImage image = WhiteImage(1, 7);
    for (int32_t y = 0; y < 7; ++y) image.SetPixelColor(0, y, Grey(91));
    // Bottoms are inclusive; the second rectangle sits below a gap.
    const std::vector<PictureRect> pictures = {MakePictureRect(RECTL{0, 1, 1, 2}), MakePictureRect(RECTL{0, 5, 1, 5})};
    const auto planes = Planes(image, pictures, true);
    const uint8_t expected[] = {15, 8, 8, 15, 15, 8, 15};
    for (std::size_t y = 0; y < 7; ++y) {
        SCOPED_TRACE("row " + std::to_string(y));
        EXPECT_EQ(LevelOf(planes, y, 0x80), expected[y]);
    }
}

TEST(CreateImageBuffer, ColumnsBeyondWidthAreZero)
{
    CxImage image = WhiteImage(10, 2);
    for (int32_t x = 0; x < 10; ++x) image.SetPixelColor(x, 0, kBlack);
    image.SetPixelColor(9, 1, kBlack);
    DWORD written = 0;
    EXPECT_EQ(Hex(Planes(image, {}, false, &written)[0]), "FF C0 00 40");
    EXPECT_EQ(written, 4u);
    const auto grey = Planes(image, {}, true, &written);
    EXPECT_EQ(written, 4u);
    for (std::size_t p = 0; p < 4; ++p) {
        SCOPED_TRACE("plane " + std::to_string(p));
        EXPECT_EQ(Hex(grey[p]), "FF C0 00 40");
    }
}

// Palette images take their rows byte by byte (1-bit) or eight pixels at a
// time (8-bit); the same pixels as colours take the pixel-by-pixel way. Both
// must give the same planes, also for a last byte that is only partly inside
// the width and for an inverted 1-bit palette.
TEST(CreateImageBuffer, PaletteRowsMatchTheSameColoursPixelByPixel)
{
    const std::vector<RgbQuad> ramp = [] {
        std::vector<RgbQuad> r;
        for (int i = 0; i < 256; ++i) r.push_back(Grey(static_cast<uint8_t>(i)));
        return r;
    }();
    struct Row {
        const char* name;
        uint32_t bpp;
        std::vector<RgbQuad> palette;
    };
    const Row kinds[] = {
        {"1-bit", 1, {kBlack, kWhite}},
        {"1-bit, white first", 1, {kWhite, kBlack}},
        {"1-bit, grey and white", 1, {Grey(100), kWhite}},
        {"8-bit ramp", 8, ramp},
    };
    // Row 1 lies in a picture, rows 0 and 2 do not.
    const std::vector<PictureRect> pictures = {MakePictureRect(RECTL{0, 1, 4, 1})};
    uint32_t seed = 7;
    for (const auto& kind : kinds) {
        for (const int32_t width : {1, 7, 9, 17}) {
            CxImage indexed;
            ASSERT_TRUE(indexed.Create(width, 3, kind.bpp));
            ASSERT_TRUE(indexed.SetPalette(kind.palette));
            CxImage colour = WhiteImage(width, 3);
            for (int32_t y = 0; y < 3; ++y)
                for (int32_t x = 0; x < width; ++x) {
                    seed = seed * 1103515245u + 12345u;
                    const auto index = static_cast<uint8_t>((seed >> 16) % kind.palette.size());
                    indexed.SetPixelIndex(x, y, index);
                    colour.SetPixelColor(x, y, kind.palette[index]);
                }
            for (const bool greyscale : {false, true}) {
                SCOPED_TRACE(testing::Message() << kind.name << ", width " << width << (greyscale ? ", grey" : ""));
                EXPECT_EQ(Planes(indexed, pictures, greyscale), Planes(colour, pictures, greyscale));
            }
        }
    }
}

}  // namespace
}  // namespace lt77
