#pragma once

#include <ostream>

namespace lt77::host {

// The sample receipt: a fresh queue, then the same receipt at full size and
// reduced to 75 %, each leaving its spool stream, journal, trace and picture.
int RunMainJob(std::ostream& out, std::ostream& err);

}  // namespace lt77::host
