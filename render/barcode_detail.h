// Helpers shared by the barcode builders; not for callers outside them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/oem/abi_types.h"

namespace lt77::barcode_detail {

// Slot 2 of a captured-text record has a 16-bit length: a rewritten text
// longer than this could not be recorded whole.
inline constexpr std::size_t kMaxSlotBytes = 0xFFFF;

// trunc(rate x value + 0.5) in single precision when rate < 1; the value
// itself otherwise.
LONG ReduceByRate(LONG value, float rate);

// Appends 1B 24 xL xH. The command holds 16 bits; positions outside them
// are clamped rather than wrapped, so a stray value lands at an edge of the
// line instead of at an arbitrary place.
void AppendPositionCmd(std::vector<uint8_t>& out, LONG xDots);

// The decimal number after the first seven characters of a user slot's
// family name ("Barcode3", "2D-Code8"), read like the C library's atoi but
// without overflow; 0 when there is none.
int SlotNumberOf(std::string_view familyName);

}  // namespace lt77::barcode_detail
