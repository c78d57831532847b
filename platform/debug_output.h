// Lines for a developer watching the process, where a library that keeps no
// trace file reports what went wrong. Windows: the debugger's output
// (OutputDebugString). POSIX: the test host's stand-in for it, one line per
// call appended to host/debug-output.log below the host root.
#pragma once

#include <cstdarg>
#include <cstdio>
#include <string_view>

namespace lt77 {

void WriteDebugOutput(std::string_view line);

// printf-style: the export guard's trace for libraries that keep no trace
// file. Lines longer than 511 bytes are cut.
inline void WriteDebugOutputFormatted(const char* format, ...)
{
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof(text), format, args);
    va_end(args);
    WriteDebugOutput(text);
}

}  // namespace lt77
