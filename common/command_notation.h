// The text form of command byte strings used by the installation file and
// the settings pages: characters stand for their own byte, and hexadecimal
// pairs sit between "<" and ">" ("AB<1b 4a 00>" is 41 42 1B 4A 00).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace lt77 {

inline constexpr std::size_t kCommandNotationMaxBytes = 256;

// Decodes text already in the system code page. A digit left without its
// partner when the hexadecimal mode ends (or the text ends) is dropped;
// decoding stops at 256 bytes.
std::vector<uint8_t> DecodeCommandNotation(std::string_view text);

// The display form of stored bytes: 0x21 ... 0x7E other than "<" stand for
// themselves, every other byte is two upper-case hexadecimal digits, and a
// run of such bytes shares one pair of brackets (1B 70 00 19 FA gives
// "<1B>p<0019FA>"). Null when the text and its terminator would take more
// than `capacityChars` characters; the settings pages then show nothing.
inline constexpr std::size_t kCommandNotationDisplayChars = 257;
std::optional<std::string> EncodeCommandNotation(std::span<const uint8_t> bytes,
                                                 std::size_t capacityChars = kCommandNotationDisplayChars);

}  // namespace lt77
