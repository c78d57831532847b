// The text form of command byte strings used by the installation file and
// the settings pages: characters stand for their own byte, and hexadecimal
// pairs sit between "<" and ">" ("AB<1b 4a 00>" is 41 42 1B 4A 00).
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace lt77 {

inline constexpr std::size_t kCommandNotationMaxBytes = 256;

// Decodes text already in the system code page. A digit left without its
// partner when the hexadecimal mode ends (or the text ends) is dropped;
// decoding stops at 256 bytes.
std::vector<uint8_t> DecodeCommandNotation(std::string_view text);

}  // namespace lt77
