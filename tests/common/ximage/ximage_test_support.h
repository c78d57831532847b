// Small builders shared by the CxImage tests: images from literal index rows
// and index rows read back, so expectations stay literal tables.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <vector>

#include "common/ximage/ximage.h"

namespace lt77 {

inline void PrintTo(const RgbQuad& c, std::ostream* os)
{
    *os << "{b " << int{c.rgbBlue} << ", g " << int{c.rgbGreen} << ", r " << int{c.rgbRed}
        << ", a " << int{c.rgbReserved} << "}";
}

}  // namespace lt77

namespace lt77::test {

using IndexRows = std::vector<std::vector<uint8_t>>;

constexpr RgbQuad BLACK{0, 0, 0, 0};
constexpr RgbQuad WHITE{255, 255, 255, 0};

inline std::vector<RgbQuad> GreyRamp()
{
    std::vector<RgbQuad> ramp(256);
    for (int i = 0; i < 256; ++i) {
        const auto v = static_cast<uint8_t>(i);
        ramp[i] = RgbQuad{v, v, v, 0};
    }
    return ramp;
}

// Pixel (x, y) gets index rows[y][x].
inline CxImage MakeIndexed(uint32_t bpp, const IndexRows& rows, const std::vector<RgbQuad>& palette)
{
    CxImage image;
    EXPECT_TRUE(image.Create(static_cast<int32_t>(rows.at(0).size()),
                             static_cast<int32_t>(rows.size()), bpp));
    EXPECT_TRUE(image.SetPalette(palette));
    for (size_t y = 0; y < rows.size(); ++y) {
        for (size_t x = 0; x < rows[y].size(); ++x) {
            image.SetPixelIndex(static_cast<int32_t>(x), static_cast<int32_t>(y), rows[y][x]);
        }
    }
    return image;
}

// An 8-bit image with the grey-ramp palette, so index and grey are the same.
inline CxImage MakeGrey(const IndexRows& rows)
{
    return MakeIndexed(8, rows, GreyRamp());
}

inline IndexRows Indices(const CxImage& image)
{
    IndexRows rows(static_cast<size_t>(image.GetHeight()),
                   std::vector<uint8_t>(static_cast<size_t>(image.GetWidth())));
    for (int32_t y = 0; y < image.GetHeight(); ++y) {
        for (int32_t x = 0; x < image.GetWidth(); ++x) {
            rows[y][x] = image.GetPixelIndex(x, y);
        }
    }
    return rows;
}

inline std::vector<uint8_t> RowBytes(const CxImage& image, int32_t y)
{
    const auto row = image.GetRow(y);
    return {row.begin(), row.end()};
}

}  // namespace lt77::test
