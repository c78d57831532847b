#include "host/status_watcher.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <mutex>

#include "platform/library.h"
#include "statusback/posstatus.h"
#include "statusback/status_code.h"

#ifndef LT77_POSSTATUS_DEFAULT_PATH
#define LT77_POSSTATUS_DEFAULT_PATH "posstatus.so"
#endif

namespace lt77::host {
namespace {

using OpenFn = decltype(&BidiOpenMonPrinter);
using SetFn = decltype(&BidiSetCallBackFunction);
using CancelFn = decltype(&BidiCancelCallBackFunction);
using CloseFn = decltype(&BidiCloseMonPrinter);

// The callbacks carry no context: what they report waits here for the
// watcher's own thread, which prints it.
struct Reports {
    std::mutex mutex;
    std::condition_variable arrived;
    std::deque<std::string> lines;

    void Add(std::string line)
    {
        {
            std::lock_guard hold(mutex);
            lines.push_back(std::move(line));
        }
        arrived.notify_one();
    }
};

Reports& TheReports()
{
    static Reports reports;
    return reports;
}

void POSSTATUS_CALL OnStatus(uint32_t status) { TheReports().Add(DescribeStatusChange(status)); }

void POSSTATUS_CALL OnTrack(uint8_t* data, uint32_t length, uint32_t track)
{
    TheReports().Add(DescribeTrack(data, length, track));
}

}  // namespace

std::string DefaultStatusLibraryPath()
{
    if (const char* env = std::getenv("LT77_POSSTATUS"); env != nullptr && *env != '\0') return env;
    return LT77_POSSTATUS_DEFAULT_PATH;
}

std::string DescribeStatusChange(uint32_t code)
{
    char head[32];
    std::snprintf(head, sizeof(head), "status 0x%04X", static_cast<unsigned>(code));
    std::string line = head;
    if (code == PRN_STATUS_NORMAL) return line + ": PRN_STATUS_NORMAL";
    if (code == PRN_STATUS_OFFLINE) return line + ": PRN_STATUS_OFFLINE";
    const char* separator = ": ";
    for (const auto event : statusback::StatusEvents(code)) {
        line.append(separator).append(event);
        separator = ", ";
    }
    return line;
}

std::string DescribeTrack(const uint8_t* data, uint32_t length, uint32_t track)
{
    std::string line = "track " + std::to_string(track) + ", " + std::to_string(length) + " bytes: ";
    for (uint32_t i = 0; i < length; ++i) {
        if (data[i] >= 0x20 && data[i] < 0x7F && data[i] != '\\') {
            line.push_back(static_cast<char>(data[i]));
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof(escaped), "\\x%02X", data[i]);
            line += escaped;
        }
    }
    return line;
}

int WatchStatus(const StatusWatchOptions& options, const std::atomic<bool>& stop, std::ostream& out,
                std::ostream& err)
{
    std::string error;
    auto library = LoadSharedLibrary(options.libraryPath, error);
    if (!library) {
        err << "lt77host: " << error << '\n';
        return 1;
    }
    const auto open = reinterpret_cast<OpenFn>(library->Symbol("BidiOpenMonPrinter"));
    const auto set = reinterpret_cast<SetFn>(library->Symbol("BidiSetCallBackFunction"));
    const auto cancel = reinterpret_cast<CancelFn>(library->Symbol("BidiCancelCallBackFunction"));
    const auto close = reinterpret_cast<CloseFn>(library->Symbol("BidiCloseMonPrinter"));
    if (open == nullptr || set == nullptr || cancel == nullptr || close == nullptr) {
        err << "lt77host: " << options.libraryPath << " lacks the posstatus exports\n";
        return 1;
    }
    if (open(options.queue.c_str()) != 1) {
        err << "lt77host: posstatus did not open " << options.queue << " (no such local printer)\n";
        return 1;
    }
    out << "watching " << options.queue << " through posstatus" << std::endl;
    set(&OnStatus, &OnTrack);

    Reports& reports = TheReports();
    unsigned printed = 0;
    while (!stop.load() && (options.count == 0 || printed < options.count)) {
        std::deque<std::string> lines;
        {
            std::unique_lock hold(reports.mutex);
            // Woken by each report; the deadline is only for noticing `stop`.
            reports.arrived.wait_for(hold, std::chrono::milliseconds(200), [&] { return !reports.lines.empty(); });
            lines.swap(reports.lines);
        }
        for (const auto& line : lines) {
            if (options.count != 0 && printed == options.count) break;
            out << line << std::endl;
            ++printed;
        }
    }
    cancel();
    close();
    return 0;
}

}  // namespace lt77::host
