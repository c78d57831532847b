// What the virtual printer's sensors report and the 4-byte automatic status
// block that says it. The block's byte values are the ones the monitor's and
// the status library's tables know; those compare whole bytes, so states
// that would need two values in one byte are reported as the one that
// matters most (see vprinter/README.md).
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace lt77::vprinter {

using StatusBlock = std::array<uint8_t, 4>;

// The enable command; the printer answers it with one block at once and then
// sends a block whenever the state changes.
inline constexpr std::array<uint8_t, 4> kAsbEnableCommand = {0x1D, 0x61, 0xFF, 0x00};

struct PrinterState {
    bool coverOpen = false;
    bool drawerOpen = false;
    bool feedButtonPressed = false;
    bool paperNearEnd = false;
    bool paperOut = false;
    bool cutterError = false;
    bool mechanicalError = false;
    bool unrecoverableError = false;

    bool operator==(const PrinterState&) const = default;
};

StatusBlock BuildStatusBlock(const PrinterState& state);

// "1D 61 FF 00": upper-case pairs separated by one space; empty input gives "".
std::string HexText(std::span<const uint8_t> bytes);

}  // namespace lt77::vprinter
