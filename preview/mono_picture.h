// A decoded receipt as the two viewers hold it: a 1-bit picture as wide as
// the printer's print width, rows top first, bit 7 of a byte the leftmost
// dot and 1 a printed (black) dot, each row `strideBytes` long (the print
// width rounded up to whole 32-bit words, as a device-independent bitmap
// keeps its rows).
#pragma once

#include <cstdint>
#include <vector>

#include "common/raster_decoder.h"

namespace lt77::viewer {

struct MonoPicture {
    uint32_t widthDots = 0;
    uint32_t height = 0;
    uint32_t strideBytes = 0;
    std::vector<uint8_t> bits;  // strideBytes * height

    bool Black(uint32_t x, uint32_t y) const
    {
        return (bits[static_cast<std::size_t>(y) * strideBytes + x / 8] >> (7 - x % 8) & 1) != 0;
    }
};

// ((width + 31) / 32) * 4: the bitmap row of a picture `widthDots` wide.
constexpr uint32_t StrideBytesFor(uint32_t widthDots) { return (widthDots + 31) / 32 * 4; }

// The picture as grey levels (0 black, 255 white), for picture files.
RasterPicture ToGreyPicture(const MonoPicture& picture);

}  // namespace lt77::viewer
