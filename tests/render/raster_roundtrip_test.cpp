// Raster commands read back give the image they were made from.
#include <random>

#include <gtest/gtest.h>

#include "common/raster_decoder.h"
#include "render/raster_commands.h"

namespace lt77 {
namespace {

TEST(RasterRoundTrip, BothFormsDecodeToTheSourceImage)
{
    for (const int32_t height : {1, 245, 246, 247, 600}) {
        for (const bool compressed : {true, false}) {
            SCOPED_TRACE(::testing::Message() << height << " rows, compressed " << compressed);
            CxImage image;
            ASSERT_TRUE(image.Create(203, height, 1));
            image.SetPaletteColor(0, RgbQuad{0, 0, 0, 0});
            image.SetPaletteColor(1, RgbQuad{255, 255, 255, 0});
            std::mt19937 random(static_cast<unsigned>(height));
            for (int32_t y = 0; y < height; ++y)
                for (int32_t x = 0; x < 203; ++x) {
                    // Long white and black runs with some noise, as receipts have.
                    const bool black = (y / 7 + x / 29) % 3 == 0 || random() % 50 == 0;
                    image.SetPixelIndex(x, y, black ? 0 : 1);
                }
            const std::vector<PictureRect> none;
            const auto commands = compressed ? MakeImageCommandsWithRLE(none, image, 0, static_cast<DWORD>(height), false)
                                             : MakeImageCommands(none, image, 0, static_cast<DWORD>(height), false);
            const auto decoded = DecodeRasterStream(commands);
            ASSERT_TRUE(decoded.error.empty()) << decoded.error;
            ASSERT_EQ(decoded.picture.width, 208u) << "whole bytes of dots";
            ASSERT_EQ(decoded.picture.height, static_cast<uint32_t>(height));
            for (int32_t y = 0; y < height; ++y)
                for (int32_t x = 0; x < 208; ++x) {
                    const uint8_t expected = x < 203 && image.GetPixelIndex(x, y) == 0 ? 0 : 255;
                    ASSERT_EQ(decoded.picture.At(static_cast<uint32_t>(x), static_cast<uint32_t>(y)), expected)
                        << "at " << x << ", " << y;
                }
        }
    }
}

}  // namespace
}  // namespace lt77

#include "render/page_image.h"
#include "render_test_support.h"

namespace lt77 {
namespace {

// Random receipt-like pages through the whole pipeline (bands in, commands
// out) on ticket paper, where nothing is cropped: decoding the commands must
// give back every pixel for each option set the printer takes.
TEST(RasterRoundTrip, PipelineOutputDecodesToThePage)
{
    struct Options {
        const char* name;
        bool compressed;
        bool greyscale;
        int bits;
    };
    const Options options[] = {
        {"compressed monochrome, 1-bit bands", true, false, 1},
        {"plain monochrome, 1-bit bands", false, false, 1},
        {"compressed greyscale planes, 8-bit bands", true, true, 8},
        {"plain monochrome, 8-bit bands", false, false, 8},
    };
    std::mt19937 random(77);
    for (const auto& o : options) {
        for (int round = 0; round < 6; ++round) {
            SCOPED_TRACE(::testing::Message() << o.name << ", page " << round);
            const int32_t width = 8 * static_cast<int32_t>(1 + random() % 72);
            const int32_t height = static_cast<int32_t>(1 + random() % 700);
            // Black and white levels only: what each option set must keep exactly.
            std::vector<uint8_t> page(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 255);
            for (int32_t y = 0; y < height; ++y)
                for (int32_t x = 0; x < width; ++x)
                    if ((y / 5 + x / 13 + round) % 4 == 0 || random() % 23 == 0)
                        page[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)] = 0;

            test::JobFixture fx(SystemPlatform());
            uint8_t* v = fx.pdev.m_UIInfo.byteValue;
            v[IDX_PAPER_TYPE] = 1;
            fx.core.options["InputBin"] = "Option2";
            v[IDX_COMPRESSION] = o.compressed ? 1 : 0;
            v[IDX_GREYSCALE] = o.greyscale ? 1 : 0;
            fx.pdev.hPalette = nullptr;  // the core's grey table describes 8-bit bands
            std::vector<uint8_t> greyTable(256 * 4, 0);
            for (int i = 0; i < 256; ++i)
                for (int c = 0; c < 3; ++c) greyTable[static_cast<std::size_t>(i * 4 + c)] = static_cast<uint8_t>(i);

            const uint32_t stride = ((static_cast<uint32_t>(width) * static_cast<uint32_t>(o.bits) + 31) >> 5) * 4;
            for (int32_t top = 0; top < height; top += 64) {
                const int32_t rows = std::min(64, height - top);
                std::vector<uint8_t> band(stride * static_cast<uint32_t>(rows), 0);
                for (int32_t y = 0; y < rows; ++y)
                    for (int32_t x = 0; x < width; ++x) {
                        const uint8_t level = page[static_cast<std::size_t>(top + y) * static_cast<std::size_t>(width) +
                                                   static_cast<std::size_t>(x)];
                        uint8_t* row = band.data() + static_cast<std::size_t>(y) * stride;
                        if (o.bits == 8)
                            row[x] = level;
                        else if (level != 0)
                            row[x >> 3] = static_cast<uint8_t>(row[x >> 3] | (0x80 >> (x & 7)));
                    }
                BITMAPINFOHEADER header{};
                header.biSize = 40;
                header.biWidth = width;
                header.biHeight = rows;
                header.biPlanes = 1;
                header.biBitCount = static_cast<uint16_t>(o.bits);
                IPPARAMS params{};
                BYTE* result = nullptr;
                ASSERT_EQ(ProcessBand(&fx.devobj, band.data(), &header, o.bits == 8 ? greyTable.data() : nullptr,
                                      o.bits == 8 ? 3 : 1, &params, &result),
                          hr::kOk);
            }
            ASSERT_EQ(AddImageDataPerEachPage(fx.job), hr::kOk);
            const auto decoded = DecodeRasterStream(fx.buffer.Bytes());
            ASSERT_TRUE(decoded.error.empty()) << decoded.error;
            ASSERT_EQ(decoded.picture.width, static_cast<uint32_t>(width));
            ASSERT_EQ(decoded.picture.height, static_cast<uint32_t>(height));
            for (int32_t y = 0; y < height; ++y)
                for (int32_t x = 0; x < width; ++x)
                    ASSERT_EQ(decoded.picture.At(static_cast<uint32_t>(x), static_cast<uint32_t>(y)),
                              page[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                                   static_cast<std::size_t>(x)])
                        << "at " << x << ", " << y;
        }
    }
}

}  // namespace
}  // namespace lt77
