#include "common/command_notation.h"

#include <optional>

namespace lt77 {
namespace {

std::optional<uint8_t> HexDigit(char c)
{
    if (c >= '0' && c <= '9') return static_cast<uint8_t>(c - '0');
    if (c >= 'a' && c <= 'f') return static_cast<uint8_t>(c - 'a' + 10);
    if (c >= 'A' && c <= 'F') return static_cast<uint8_t>(c - 'A' + 10);
    return std::nullopt;
}

}  // namespace

std::vector<uint8_t> DecodeCommandNotation(std::string_view text)
{
    std::vector<uint8_t> out;
    bool inHex = false;
    std::optional<uint8_t> highNibble;
    for (char c : text) {
        if (out.size() >= kCommandNotationMaxBytes) break;
        if (!inHex) {
            if (c == '<') {
                inHex = true;
                highNibble.reset();
            } else {
                out.push_back(static_cast<uint8_t>(c));
            }
            continue;
        }
        if (c == '>') {
            inHex = false;
            highNibble.reset();  // an unpaired digit is dropped
            continue;
        }
        const auto digit = HexDigit(c);
        if (!digit) continue;  // blanks and other characters are skipped
        if (!highNibble) {
            highNibble = digit;
        } else {
            out.push_back(static_cast<uint8_t>((*highNibble << 4) | *digit));
            highNibble.reset();
        }
    }
    return out;
}

}  // namespace lt77
