// The characters of the printer's resident fonts, each drawn to fill one
// character cell. On Linux a monospaced face (and a CJK face for the
// double-byte fonts) found through fontconfig and drawn with FreeType; in
// builds without FreeType an outlined box stands for each character.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace lt77::printer {

// A cell of width x height dots, 1 where the character has ink.
struct GlyphMask {
    uint16_t width = 0;
    uint16_t height = 0;
    std::vector<uint8_t> dots;

    bool At(uint32_t x, uint32_t y) const { return dots[static_cast<std::size_t>(y) * width + x] != 0; }
};

class GlyphSource {
public:
    virtual ~GlyphSource() = default;
    // Character `c` fitted to a cell of the given size, from the double-byte
    // face when `doubleByte`. The mask stays valid as long as the source;
    // a character no face has is drawn as the face's missing-glyph box.
    virtual const GlyphMask& Glyph(char32_t c, uint16_t cellWidth, uint16_t cellHeight, bool doubleByte) = 0;
};

// The machine's fonts; `error` says what could not be had (the source then
// draws boxes).
std::unique_ptr<GlyphSource> MakeSystemGlyphSource(std::string& error);

}  // namespace lt77::printer
