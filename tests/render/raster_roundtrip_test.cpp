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
