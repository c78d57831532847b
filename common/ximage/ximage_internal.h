// Helpers shared by the CxImage source files; not part of the public header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "common/ximage/bitmap_header.h"

namespace lt77::ximage_detail {

inline constexpr const char* ERR_CREATE_SIZE =
    "CxImage::Create : width and height must be greater than zero";
inline constexpr const char* ERR_CREATE_MEMORY = "CxImage::Create can't allocate memory";

// Bit counts a raster can have: anything else rounds up to the next of them.
constexpr uint32_t RoundBpp(uint32_t bpp)
{
    if (bpp < 2) {
        return 1;
    }
    if (bpp < 5) {
        return 4;
    }
    if (bpp < 9) {
        return 8;
    }
    return 24;
}

constexpr uint32_t PaletteEntries(uint32_t bpp)
{
    return bpp <= 8 ? (uint32_t{1} << bpp) : 0;
}

// Rows are padded to four bytes so that whole rows move with one block copy.
constexpr uint64_t StrideBytes(uint64_t widthPx, uint32_t bpp)
{
    return ((widthPx * bpp + 31) >> 5) * 4;
}

// The weights add up to 1024, so pure grey (v, v, v) stays v.
constexpr uint8_t GreyOf(RgbQuad c)
{
    return static_cast<uint8_t>((117u * c.rgbBlue + 601u * c.rgbGreen + 306u * c.rgbRed) >> 10);
}

// Scans the first clrImportant entries (all when 0 or more than there are).
// An exact match ends the scan; otherwise the first of the nearest entries
// wins. 200000 exceeds the largest possible distance, 3 × 255².
inline uint8_t NearestPaletteIndex(std::span<const RgbQuad> palette, uint32_t clrImportant,
                                   RgbQuad c)
{
    size_t count = palette.size();
    if (clrImportant != 0 && clrImportant < count) {
        count = clrImportant;
    }
    int32_t bestDistance = 200000;
    uint8_t bestIndex = 0;
    for (size_t i = 0; i < count; ++i) {
        const int32_t db = int32_t{palette[i].rgbBlue} - c.rgbBlue;
        const int32_t dg = int32_t{palette[i].rgbGreen} - c.rgbGreen;
        const int32_t dr = int32_t{palette[i].rgbRed} - c.rgbRed;
        const int32_t distance = db * db + dg * dg + dr * dr;
        if (distance == 0) {
            return static_cast<uint8_t>(i);
        }
        if (distance < bestDistance) {
            bestDistance = distance;
            bestIndex = static_cast<uint8_t>(i);
        }
    }
    return bestIndex;
}

// Eight pixels of a 1-bit row starting at column startPx, most significant
// bit first; columns before the row or past rowBytes read as 0.
inline uint8_t Read8Pixels(const uint8_t* row, size_t rowBytes, int64_t startPx)
{
    const int64_t byteIndex = startPx >= 0 ? startPx / 8 : -((-startPx + 7) / 8);
    const auto shift = static_cast<uint32_t>(startPx - byteIndex * 8);
    auto byteAt = [&](int64_t k) -> uint32_t {
        return (k >= 0 && static_cast<uint64_t>(k) < rowBytes) ? row[k] : 0u;
    };
    const uint32_t pair = (byteAt(byteIndex) << 8) | byteAt(byteIndex + 1);
    return static_cast<uint8_t>((pair << shift) >> 8);
}

// Mask of the bits of a 1-bit row's last byte that hold pixels.
constexpr uint8_t LastByteMask(uint32_t widthPx)
{
    return (widthPx & 7) ? static_cast<uint8_t>(0xFF << (8 - (widthPx & 7))) : uint8_t{0xFF};
}

}  // namespace lt77::ximage_detail
