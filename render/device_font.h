// Command bytes of the printer's resident fonts.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace lt77 {

// The font-select, size and position commands for a string in a resident
// font (family name such as "FontB2x1", "Korean1x2", "Japanese2x2"); appends
// the line's ending commands to `text`. `height` is the font height in dots
// (0 without a font). Empty on failure.
std::vector<uint8_t> GetDevFontCommand(std::string_view familyName, std::vector<uint8_t>& text, uint32_t x,
                                       int32_t height);

}  // namespace lt77
