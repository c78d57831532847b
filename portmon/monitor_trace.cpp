#include "portmon/monitor_trace.h"

#include <cstdarg>
#include <cstdio>
#include <new>

#include "common/driver_paths.h"
#include "common/trace_files.h"
#include "common/utf.h"

namespace lt77::portmon {

void Trace(Monitor& monitor, const char* format, ...)
{
    const DWORD jobId = monitor.currentJobId.load();
    if (!monitor.traceOn.load() || jobId == 0 || monitor.traceFolder.empty()) return;

    char message[kMonitorTraceLineMaxChars + 1];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof(message), format, args);
    va_end(args);

    // Without memory the line is lost and the job goes on; a trace called
    // from a destructor (TraceScope) must not throw at all.
    try {
        const LocalTime now = monitor.sys.clock.Now();
        const std::string line = FormatTraceLine(now, message, "", kMonitorTraceLineMaxChars);
        const std::string path = JoinPath(monitor.traceFolder, TraceFileName(now, jobId, kMonitorTraceSuffix));
        AppendToTraceFile(monitor.sys.files, path, line);
    } catch (const std::bad_alloc&) {
    }
}

std::string Narrow(std::u16string_view text) { return Utf16ToUtf8(text); }

TraceScope::TraceScope(Monitor& monitor, const char* operation, const std::string& port)
    : monitor_(monitor), operation_(operation)
{
    // Without memory for the name the lines go without it: the entry runs on.
    try {
        port_ = port;
    } catch (const std::bad_alloc&) {
    }
    Trace(monitor_, "%s : [%s] START \r\n", operation_, port_.c_str());
}

TraceScope::~TraceScope() { Trace(monitor_, "%s : [%s] END \r\n", operation_, port_.c_str()); }

void DeleteMonitorTraceFiles(Monitor& monitor)
{
    if (monitor.traceFolder.empty()) return;
    DeleteTraceFiles(monitor.sys.files, monitor.traceFolder, TraceKinds::LogsAndBins, nullptr);
}

}  // namespace lt77::portmon
