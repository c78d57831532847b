// The monitor's side of the shared status record: one named section per
// printer, created at its first publish and held while the monitor is loaded.
#pragma once

#include <memory>

#include "platform/shared_memory.h"
#include "portmon/port_record.h"

namespace lt77::portmon {

std::unique_ptr<SharedSection> CreateMemoryMappedFiles(Monitor& monitor, IniPort& port);
// Writes the block (when given) to offsets 0-3 and the status to 4-7.
BOOL SetASBDataAndPortStatusByMMF(Monitor& monitor, IniPort& port, const uint8_t* block,
                                  DWORD portStatus);

}  // namespace lt77::portmon
