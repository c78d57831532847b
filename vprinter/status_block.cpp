#include "vprinter/status_block.h"

namespace lt77::vprinter {
namespace {

uint8_t SensorByte(const PrinterState& s)
{
    // Cover open and feed button together would need a value neither table
    // reads; an open cover stops printing, so it wins. The drawer keeps its
    // own value (0x14, 0x3C, 0x5C) in each case.
    if (s.coverOpen) return s.drawerOpen ? 0x3C : 0x38;
    if (s.feedButtonPressed) return s.drawerOpen ? 0x5C : 0x58;
    return s.drawerOpen ? 0x14 : 0x10;
}

uint8_t ErrorByte(const PrinterState& s)
{
    // One error value at a time: the one that needs the most to clear.
    if (s.unrecoverableError) return 0x20;
    if (s.mechanicalError) return 0x04;
    if (s.cutterError) return 0x08;
    return 0x00;
}

uint8_t PaperByte(const PrinterState& s)
{
    return static_cast<uint8_t>((s.paperNearEnd ? 0x03 : 0x00) | (s.paperOut ? 0x0C : 0x00));
}

}  // namespace

StatusBlock BuildStatusBlock(const PrinterState& state)
{
    return {SensorByte(state), ErrorByte(state), PaperByte(state), 0x0F};
}

std::string HexText(std::span<const uint8_t> bytes)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(bytes.size() * 3);
    for (uint8_t b : bytes) {
        if (!text.empty()) text += ' ';
        text += kDigits[b >> 4];
        text += kDigits[b & 0x0F];
    }
    return text;
}

}  // namespace lt77::vprinter
