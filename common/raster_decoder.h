// Reads the raster commands of a printer stream back into dots: one command
// where it starts (the printer's stream renderer, printer/, draws them on its
// paper), or every raster division of a stream stacked top to bottom (tests
// that check what the pipeline sent).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <variant>
#include <vector>

namespace lt77 {

// A grey picture, row after row, 0 black and 255 white.
struct RasterPicture {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint8_t> pixels;

    uint8_t At(uint32_t x, uint32_t y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// One raster command, read where it starts:
//   Plane        08 43 52 P 00 00 00 00 dotsL dotsH rowsL rowsH, run-length coded bits
//                (P 0: the monochrome plane; 4 ... 7: bits 3 ... 0 of the grey level)
//   DivisionEnd  08 43 52 FF 00 00, which prints the planes stored before it
//   BitImage     1D 76 30 m xL xH yL yH, then x * y bytes (m: 1 double width, 2 double height, 3 both)
struct RasterCommand {
    enum class Kind { Plane, DivisionEnd, BitImage };
    Kind kind = Kind::Plane;
    std::size_t size = 0;  // bytes of the stream the command takes
    uint8_t plane = 0;     // Plane: P; BitImage: m
    uint32_t bytesPerRow = 0;
    uint32_t rows = 0;
    std::vector<uint8_t> bits;  // rows * bytesPerRow, bit 7 the leftmost dot, 1 prints
};

// No printer holds more raster than this in one command; a larger one is
// refused rather than expanded from a few run-length bytes.
inline constexpr std::size_t kMaxRasterCommandBytes = 16u << 20;

struct RasterError {
    std::string text;
    // The command's sizes run past the end of the stream: a printer would
    // take every byte that is left as its data.
    bool runsPastEnd = false;
};

// Nothing when no raster command starts at `pos`; an error when one starts
// there but is cut short or malformed.
using RasterRead = std::variant<std::monostate, RasterCommand, RasterError>;
RasterRead ReadRasterCommand(std::span<const uint8_t> stream, std::size_t pos);

// The grey level 0 (white) ... 15 (black) of dot x in row y of a division's
// planes, one plane (monochrome: 0 or 15) or four.
uint8_t RasterLevel(const std::vector<std::vector<uint8_t>>& planes, uint32_t bytesPerRow, uint32_t x, uint32_t y);

struct DecodedStream {
    RasterPicture picture;
    // Set when a raster command was cut short or malformed; what came before
    // it is still in the picture.
    std::string error;
};

// Stacks every raster division and bit image of the stream top to bottom,
// skipping all other bytes. Greyscale divisions become grey levels; the
// widest division sets the picture's width and narrower ones are padded
// with white.
DecodedStream DecodeRasterStream(std::span<const uint8_t> stream);

}  // namespace lt77
