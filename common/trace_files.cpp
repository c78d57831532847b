#include "common/trace_files.h"

#include <cstdio>
#include <span>

#include "common/driver_paths.h"

namespace lt77 {

std::string FormatTraceLine(const LocalTime& time, std::string_view message, std::string_view lineEnd,
                            std::size_t maxChars)
{
    char stamp[32];
    const int n = std::snprintf(stamp, sizeof(stamp), "%02u:%02u:%02u:%03u: ", time.hour, time.minute, time.second,
                                time.milliseconds);
    std::string line(stamp, n > 0 ? static_cast<std::size_t>(n) : 0);
    line.reserve(line.size() + message.size() + lineEnd.size());
    line += message;
    line += lineEnd;
    if (line.size() > maxChars) line.resize(maxChars);
    return line;
}

std::string TraceFileName(const LocalTime& date, uint32_t jobId, std::string_view suffix)
{
    char middle[32];
    if (jobId != 0)
        std::snprintf(middle, sizeof(middle), "_%02u%02u_%05u", date.month, date.day, jobId);
    else
        std::snprintf(middle, sizeof(middle), "_%02u%02u_", date.month, date.day);
    std::string name(kDriverFolderName);
    name += middle;
    name += suffix;
    return name;
}

bool IsTraceFileName(std::string_view name, TraceKinds kinds)
{
    const auto has = [name](std::string_view part) { return name.find(part) != std::string_view::npos; };
    if (has(".BIN") || has(".LOG")) return true;
    return kinds == TraceKinds::LogsBinsAndPictures && has(".BMP");
}

namespace {

int DaysApart(int a, int b) { return a > b ? a - b : b - a; }

bool IsRecent(const LocalTime& written, const LocalTime& today)
{
    return written.year == today.year && written.month == today.month && DaysApart(written.day, today.day) <= 3;
}

}  // namespace

void DeleteTraceFiles(FileSystem& files, std::string_view folder, TraceKinds kinds, const LocalTime* today)
{
    for (const auto& e : files.ListFolder(folder)) {
        if (e.isFolder || !IsTraceFileName(e.name, kinds)) continue;
        if (today != nullptr && IsRecent(e.lastWrite, *today)) continue;
        files.RemoveFile(JoinPath(folder, e.name));
    }
}

uint64_t FolderFileBytes(FileSystem& files, std::string_view folder)
{
    uint64_t total = 0;
    for (const auto& e : files.ListFolder(folder))
        if (!e.isFolder) total += e.size;
    return total;
}

bool AppendToTraceFile(FileSystem& files, std::string_view path, std::string_view text)
{
    DWORD error = 0;
    auto file = files.OpenForAppend(path, error);
    if (!file) return false;
    const std::span bytes(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    return file->Write(bytes) == bytes.size();
}

}  // namespace lt77
