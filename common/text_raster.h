// Text rasterising as the page image needs it: a font described the way a
// Windows logical font is, and a monochrome mask of a string with the top of
// its character cell in row 0. The platform layer implements it (FreeType
// with fontconfig on Linux, GDI on Windows).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lt77 {

struct FontDescription {
    int32_t height = 0;  // negative: character (em) height in pixels; positive: cell height
    int32_t width = 0;
    int32_t escapement = 0;
    int32_t orientation = 0;
    int32_t weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    uint8_t charSet = 0;
    uint8_t outPrecision = 0;
    uint8_t clipPrecision = 0;
    uint8_t quality = 0;
    uint8_t pitchAndFamily = 0;
    std::u16string faceName;
};

struct TextMask {
    uint32_t width = 0;   // the string's advance width (with an italic font: plus the height)
    uint32_t height = 0;  // the font's cell height: ascent plus descent
    std::vector<uint8_t> set;  // width * height, 1 where the text is drawn

    bool At(uint32_t x, uint32_t y) const { return set[static_cast<std::size_t>(y) * width + x] != 0; }
};

class TextRasterizer {
public:
    virtual ~TextRasterizer() = default;
    // Null when no font could be made or the text not measured; `error`
    // then says why.
    virtual std::optional<TextMask> Render(const FontDescription& font, std::u16string_view text,
                                           std::string& error) = 0;
};

}  // namespace lt77
