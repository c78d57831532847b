// Graphics-engine services the rendering plug-in calls itself. On Windows
// they are resolved at run time, because not every gdi32 exports them.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "platform/oem/ddi.h"

namespace lt77 {

struct PaletteEntry {
    BYTE red, green, blue, flags;
};

// What the plug-in reads of a font object: its public fields, its metrics
// and the second row of its transform.
struct FontDetails {
    FLONG flFontType = 0;
    ULONG cxMax = 0;
    LONG resolutionY = 0;  // dots per inch
    std::u16string familyName;
    WORD weight = 0;
    WORD fsSelection = 0;
    BYTE charSet = 0;
    BYTE pitchAndFamily = 0;
    WORD unitsPerEm = 0;
    float m21 = 0.0f;
    float m22 = 0.0f;
};

// What the plug-in reads of a string object.
struct StringDetails {
    ULONG glyphs = 0;
    RECTL background{};
    bool hasText = false;
    std::u16string text;  // the glyph count's worth of UTF-16 units
};

class GraphicsEngine {
public:
    virtual ~GraphicsEngine() = default;
    // A palette in blue-green-red mode (the one a 24-bit device gets). Null on failure.
    virtual HPALETTE CreateBgrPalette() = 0;
    // The 256 entries of an indexed device palette; null when unavailable.
    virtual std::optional<std::array<PaletteEntry, 256>> ReadPalette(HPALETTE palette) = 0;
    // Null when the object cannot be read.
    virtual std::optional<FontDetails> DescribeFont(FONTOBJ* font) = 0;
    virtual std::optional<StringDetails> DescribeString(STROBJ* string) = 0;
};

GraphicsEngine& SystemGraphicsEngine();

}  // namespace lt77
