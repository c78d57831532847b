#pragma once

#include <ostream>
#include <string>

#include "platform/oem/abi_types.h"

namespace lt77::host {

// The sample receipt: a fresh queue, then the same receipt at full size and
// reduced to 75 %, each leaving its spool stream, journal, trace and picture.
int RunMainJob(std::ostream& out, std::ostream& err);

// The sample receipt on an existing queue, set up for it first.
int PrintSampleReceipt(const std::string& queue, DWORD jobId, std::ostream& out, std::ostream& err);

}  // namespace lt77::host
