// The blocks a job carries only for its preview (barcode pictures drawn by
// the rendering plug-in when the preview is on): 00 00 00 1B 40, the block's
// whole length n (16-bit little-endian, these bytes included), "KELWYNT",
// then n - 14 bytes of picture. The printer must never see them.
#pragma once

#include <cstdint>
#include <vector>

namespace lt77::viewer {

inline constexpr std::size_t kPreviewBlockHeaderBytes = 14;

// Removes every block in place, testing each position again after a removal
// so that blocks that follow each other directly all go. A block is at
// least its 14-byte header (a shorter length would leave the marker to be
// found at the same place forever) and at most the rest of the data (a
// length past the end takes everything from the block on).
void RemovePreviewBlocks(std::vector<uint8_t>& job);

}  // namespace lt77::viewer
