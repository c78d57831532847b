// The card-reader writer of the test host, outside the package's
// deliverables: it puts a track and its count into a printer's shared status
// record, in the record's layout, as the writer of a magnetic card reader
// would, and leaves the status the monitor publishes (offsets 0-7) alone.
// Integrators and tests use it to play a card swipe.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace lt77::host {

// Track 1, 2 or 3, at most 104 bytes. The record must exist (the monitor
// makes it at its first status for the printer). Returns an error text.
std::optional<std::string> SwipeCard(std::u16string_view printer, int track, std::span<const uint8_t> data);

}  // namespace lt77::host
