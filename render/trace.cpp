#include "render/trace.h"

#include <cstdio>
#include <new>

#include "common/trace_files.h"
#include "render/module_state.h"

namespace lt77 {
namespace {

constexpr uint64_t kTraceFolderLimitBytes = 314572800;  // 300 MB

bool g_traceOn = true;
std::string g_traceBuffer;

void DeleteTraceFiles(Platform& platform, bool onlyOld)
{
    const LocalTime today = platform.clock.Now();
    lt77::DeleteTraceFiles(platform.files, TraceFolder(platform), TraceKinds::LogsBinsAndPictures,
                           onlyOld ? &today : nullptr);
}

// Creates "\temp" and the trace folder below it; returns the trace folder.
std::string MakeTraceFolder(Platform& platform)
{
    const std::string windows = platform.files.WindowsFolder();
    platform.files.MakeFolder(TempFolder(windows));
    std::string folder = lt77::TraceFolder(windows);
    platform.files.MakeFolder(folder);
    return folder;
}

}  // namespace

bool TraceActive() { return g_traceOn && g_dwJobId != 0; }

void TraceLog(const char* format, ...)
{
    if (!TraceActive()) return;
    char message[kPluginTraceLineMaxChars + 1];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(message, sizeof(message), format, args);
    va_end(args);
    if (n < 0) return;
    // Without memory the line is lost and the buffer kept; what was being
    // traced goes on.
    try {
        g_traceBuffer += FormatTraceLine(ModulePlatform().clock.Now(), message, " \r\n", kPluginTraceLineMaxChars);
    } catch (const std::bad_alloc&) {
    }
}

std::string TraceFolder(Platform& platform) { return lt77::TraceFolder(platform.files.WindowsFolder()); }

void PrepareTraceFolder(Platform& platform)
{
    const std::string folder = MakeTraceFolder(platform);
    if (FolderFileBytes(platform.files, folder) > kTraceFolderLimitBytes) DeleteTraceFiles(platform, false);
    DeleteTraceFiles(platform, true);
    g_traceBuffer = std::string();
}

void FlushTrace(Platform& platform)
{
    if (g_traceOn) {
        const std::string folder = MakeTraceFolder(platform);
        const std::string name = TraceFileName(platform.clock.Now(), g_dwJobId, kPluginTraceSuffix);
        AppendToTraceFile(platform.files, JoinPath(folder, name), g_traceBuffer);
    }
    g_traceBuffer = std::string();
}

void SwitchTraceOffForGood(Platform& platform)
{
    g_traceOn = false;
    DeleteTraceFiles(platform, false);
    g_traceBuffer = std::string();
}

bool IsTraceOn() { return g_traceOn; }

std::size_t TraceBufferSizeForTesting() { return g_traceBuffer.size(); }

}  // namespace lt77
