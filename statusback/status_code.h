// The status code applications get, computed from the shared status record
// (`InterpretCommands`), and the words of the events a code stands for.
#pragma once

#include <string_view>
#include <vector>

#include "common/status_record.h"
#include "platform/oem/abi_types.h"

namespace lt77::statusback {

// What BidiGetStatus gives when the record cannot be read; no record
// yields it.
inline constexpr DWORD kStatusUnreadable = 0x400;

// Port status 1 (offline) wins over the block; the block of a printer with
// nothing to report is 0; otherwise the sum of the table's values for the
// first three block bytes.
DWORD InterpretCommands(const stLangMonData& record);

// The events of a code in the table's order ("COVER OPENED", "PAPER EMPTY"),
// each once; none for normal, offline, or a part the table gives no event.
std::vector<std::string_view> StatusEvents(DWORD code);

}  // namespace lt77::statusback
