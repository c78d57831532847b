// The rendering plug-in's trace log. Lines are kept in memory while a job is
// active and appended to a per-day, per-job file at the end of the document.
// Operators and support read these files: the texts are part of the driver.
#pragma once

#include <cstdarg>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace lt77 {

// printf-style; dropped when the trace is off or no job is active.
void TraceLog(const char* format, ...) __attribute__((format(printf, 1, 2)));

// "C:\temp\LT-77" for a Windows folder on C:.
std::string TraceFolder(Platform& platform);

// Creates the trace folder, applies the size and age rules to old trace
// files, and empties the buffer.
void PrepareTraceFolder(Platform& platform);

// Appends the buffer to today's file of the active job (trace on only) and
// empties it in every case.
void FlushTrace(Platform& platform);

// Switches the trace off for the rest of the library's life and deletes the
// trace files.
void SwitchTraceOffForGood(Platform& platform);

bool IsTraceOn();
// True when a line written now would be kept: the trace is on and a job is active.
bool TraceActive();

// Bytes collected and not yet flushed.
std::size_t TraceBufferSizeForTesting();

}  // namespace lt77
