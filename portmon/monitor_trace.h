// The monitor's trace: each line written at once to the day's and the
// current job's "_LM.LOG" file, only while the switch is on and a document
// has started. Formats are printf-style; wide names are passed as UTF-8
// through "%s" (see Narrow).
#pragma once

#include <string>
#include <string_view>

#include "portmon/monitor.h"

namespace lt77::portmon {

#if defined(__GNUC__)
__attribute__((format(printf, 2, 3)))
#endif
void Trace(Monitor& monitor, const char* format, ...);

// A wide name as UTF-8 for the trace.
std::string Narrow(std::u16string_view text);

// The start and end lines of an operation on a port.
class TraceScope {
public:
    TraceScope(Monitor& monitor, const char* operation, const std::string& port);
    ~TraceScope();
    TraceScope(const TraceScope&) = delete;
    TraceScope& operator=(const TraceScope&) = delete;

private:
    Monitor& monitor_;
    const char* operation_;
    std::string port_;
};

// Deletes the ".BIN" and ".LOG" files of the trace folder.
void DeleteMonitorTraceFiles(Monitor& monitor);

}  // namespace lt77::portmon
