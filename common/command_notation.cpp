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

std::optional<std::string> EncodeCommandNotation(std::span<const uint8_t> bytes, std::size_t capacityChars)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    bool inHex = false;
    for (const uint8_t b : bytes) {
        const bool plain = b >= 0x21 && b <= 0x7E && b != '<';
        if (plain && inHex) out += '>';
        if (!plain && !inHex) out += '<';
        inHex = !plain;
        if (plain) {
            out += static_cast<char>(b);
        } else {
            out += kHex[b >> 4];
            out += kHex[b & 0x0F];
        }
        if (out.size() + 1 > capacityChars) return std::nullopt;
    }
    if (inHex) out += '>';
    if (out.size() + 1 > capacityChars) return std::nullopt;
    return out;
}

}  // namespace lt77
