#include "render/trace.h"

#include <cstdio>

#include "render/module_state.h"

namespace lt77 {
namespace {

constexpr std::size_t kMaxLine = 519;
constexpr uint64_t kTraceFolderLimitBytes = 314572800;  // 300 MB

bool g_traceOn = true;
std::string g_traceBuffer;

// The trace folder holds other files too; only the driver's own kinds go.
bool IsTraceFileName(std::string_view name)
{
    return name.find(".BIN") != std::string_view::npos || name.find(".BMP") != std::string_view::npos ||
           name.find(".LOG") != std::string_view::npos;
}

int DaysApart(int a, int b) { return a > b ? a - b : b - a; }

void DeleteTraceFiles(Platform& platform, bool onlyOld)
{
    const std::string folder = TraceFolder(platform);
    const LocalTime today = platform.clock.Now();
    for (const auto& e : platform.files.ListFolder(folder)) {
        if (e.isFolder || !IsTraceFileName(e.name)) continue;
        if (onlyOld && e.lastWrite.year == today.year && e.lastWrite.month == today.month &&
            DaysApart(e.lastWrite.day, today.day) <= 3)
            continue;
        platform.files.RemoveFile(JoinPath(folder, e.name));
    }
}

std::string DriveOf(Platform& platform) { return platform.files.WindowsFolder().substr(0, 2); }

}  // namespace

bool TraceActive() { return g_traceOn && g_dwJobId != 0; }

void TraceLog(const char* format, ...)
{
    if (!TraceActive()) return;
    char message[kMaxLine + 1];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof(message), format, args);
    va_end(args);
    const LocalTime t = ModulePlatform().clock.Now();
    char line[kMaxLine + 1];
    const int n = std::snprintf(line, sizeof(line), "%02u:%02u:%02u:%03u: %s \r\n", t.hour, t.minute,
                                t.second, t.milliseconds, message);
    if (n <= 0) return;
    g_traceBuffer.append(line, std::min<std::size_t>(static_cast<std::size_t>(n), kMaxLine));
}

std::string TraceFolder(Platform& platform) { return DriveOf(platform) + "\\temp\\LT-77"; }

void PrepareTraceFolder(Platform& platform)
{
    platform.files.MakeFolder(DriveOf(platform) + "\\temp");
    const std::string folder = TraceFolder(platform);
    platform.files.MakeFolder(folder);
    uint64_t total = 0;
    for (const auto& e : platform.files.ListFolder(folder))
        if (!e.isFolder) total += e.size;
    if (total > kTraceFolderLimitBytes) DeleteTraceFiles(platform, false);
    DeleteTraceFiles(platform, true);
    g_traceBuffer = std::string();
}

void FlushTrace(Platform& platform)
{
    if (g_traceOn) {
        platform.files.MakeFolder(DriveOf(platform) + "\\temp");
        const std::string folder = TraceFolder(platform);
        platform.files.MakeFolder(folder);
        const LocalTime t = platform.clock.Now();
        char name[64];
        if (g_dwJobId != 0)
            std::snprintf(name, sizeof(name), "LT-77_%02u%02u_%05u_OEMUNI.LOG", t.month, t.day, g_dwJobId);
        else
            std::snprintf(name, sizeof(name), "LT-77_%02u%02u__OEMUNI.LOG", t.month, t.day);
        DWORD error = 0;
        if (auto file = platform.files.OpenForAppend(JoinPath(folder, name), error)) {
            file->Write(std::span(reinterpret_cast<const uint8_t*>(g_traceBuffer.data()),
                                  g_traceBuffer.size()));
        }
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
