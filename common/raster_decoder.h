// Reads the raster commands of a printer stream back into a picture: what
// the printer would print of the page images. The preview program and the
// journal viewer show journal files with it; the test host writes it as PNG.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace lt77 {

// A grey picture, row after row, 0 black and 255 white.
struct RasterPicture {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint8_t> pixels;

    uint8_t At(uint32_t x, uint32_t y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// Something in the stream besides raster rows.
struct StreamMark {
    enum class Kind { PageMark, Cut, Feed, DeviceText, Barcode, Symbol2D };
    Kind kind;
    uint32_t row;        // picture row where it happens
    uint32_t page = 0;   // the page number of a page mark
    // A line in a resident font (or a barcode or two-dimensional symbol the
    // printer draws itself): where it starts, its magnification (width and
    // height factors) and its bytes in the font's code page (the barcode's
    // data). The picture holds white rows for it: as many as the line feeds,
    // the bar height, or the symbol's size.
    uint32_t x = 0;
    uint32_t rows = 0;
    uint8_t widthFactor = 1;
    uint8_t heightFactor = 1;
    bool doubleByte = false;
    std::vector<uint8_t> text;
};

struct DecodedStream {
    RasterPicture picture;
    std::vector<StreamMark> marks;
    // Set when a raster command was cut short or malformed; what came before
    // it is still in the picture.
    std::string error;
};

// Stacks every raster division of the stream top to bottom. Greyscale
// divisions (planes 4-7) become grey levels; the widest division sets the
// picture's width and narrower ones are padded with white.
DecodedStream DecodeRasterStream(std::span<const uint8_t> stream);

}  // namespace lt77
