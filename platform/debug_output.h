// Lines for a developer watching the process, where a library that keeps no
// trace file reports what went wrong. Windows: the debugger's output
// (OutputDebugString). POSIX: the test host's stand-in for it, one line per
// call appended to host/debug-output.log below the host root.
#pragma once

#include <string_view>

namespace lt77 {

void WriteDebugOutput(std::string_view line);

}  // namespace lt77
