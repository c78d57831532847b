// The trace logs that operators and support read: one line format and one
// set of file rules for every binary that writes a trace. The rendering
// plug-in keeps its lines in memory and appends them at the end of the
// document; the port monitor writes each line at once. Both sinks take
// their lines from FormatTraceLine and their files from TraceFileName.
#pragma once

#include <string>
#include <string_view>

#include "platform/clock.h"
#include "platform/files.h"

namespace lt77 {

// The rendering plug-in's lines end in " \r\n" and may run to 519
// characters; the monitor's messages carry their own line end and each
// line is cut to 259 characters.
inline constexpr std::size_t kPluginTraceLineMaxChars = 519;
inline constexpr std::size_t kMonitorTraceLineMaxChars = 259;
inline constexpr std::string_view kPluginTraceSuffix = "_OEMUNI.LOG";
inline constexpr std::string_view kMonitorTraceSuffix = "_LM.LOG";

// "hh:mm:ss:mmm: " + message + lineEnd, cut to maxChars characters.
std::string FormatTraceLine(const LocalTime& time, std::string_view message, std::string_view lineEnd,
                            std::size_t maxChars);

// "LT-77_MMDD_" + the job number as five digits (nothing when 0) + suffix:
// job 12 on 7 December gives "LT-77_1207_00012_OEMUNI.LOG".
std::string TraceFileName(const LocalTime& date, uint32_t jobId, std::string_view suffix);

// Which of the driver's own files a trace folder clean-up may delete. The
// folder holds other files too; only these go (case-sensitive test).
enum class TraceKinds { LogsBinsAndPictures, LogsAndBins };
bool IsTraceFileName(std::string_view name, TraceKinds kinds);

// Deletes the trace files of the folder (subfolders skipped); with `today`
// only those written in another year or month, or more than 3 days from
// today's day of the month.
void DeleteTraceFiles(FileSystem& files, std::string_view folder, TraceKinds kinds, const LocalTime* today);

// Total size of the folder's files (subfolders not counted).
uint64_t FolderFileBytes(FileSystem& files, std::string_view folder);

// Appends text to the trace file, creating it when missing. False when it
// cannot be opened or written; a trace that cannot be written is lost.
bool AppendToTraceFile(FileSystem& files, std::string_view path, std::string_view text);

}  // namespace lt77
