// The test host's print queues on disk, below one root folder:
//
//   <root>/queues/<queue>/printer.ini    queue settings and printer data
//   <root>/queues/<queue>/jobs/<id>.ini  job records
//   <root>/queues/<queue>/spool/<id>.prn the bytes the driver wrote for a job
//   <root>/drive_c/...                   the simulated Windows drive
//   <root>/host/shell-starts.log         programs started through the shell
//
// printer.ini holds a [Queue] section (InputBin, Orientation, Access, Port,
// Driver, Attributes) and one [PrinterData\<key>] section per printer data key, with
// values written "binary: 1B 40", "sz: text" or "dword: 7".
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/posix/store_file.h"
#include "platform/spooler.h"

namespace lt77::posix {

// The root folder: $LT77_HOST_ROOT, else the build's default.
std::filesystem::path HostRoot();
// Maps a Windows path ("C:\Windows\LT-77\a.jnl") below <root>/drive_c.
std::filesystem::path MapWindowsPath(std::string_view windowsPath);

std::filesystem::path QueueFolder(std::string_view queue);
std::filesystem::path PrinterFile(std::string_view queue);
std::filesystem::path JobFile(std::string_view queue, DWORD jobId);
std::filesystem::path SpoolFile(std::string_view queue, DWORD jobId);

// Queue names become folder names, so some characters are refused.
bool IsValidQueueName(std::string_view queue);

std::string DataSection(std::string_view key);

// Loads a queue's printer.ini and checks every printer data value in it, so
// a malformed file is reported before anything uses it.
std::variant<StoreFile, StoreError> LoadQueue(std::string_view queue);

// The queue's printer attributes, `Attributes` of its [Queue] section; none
// when the line is malformed. A queue with no such line is a bidirectional
// queue (PRINTER_ATTRIBUTE_ENABLE_BIDI), as one set up for this driver and
// its monitor is.
std::optional<DWORD> QueueAttributes(const StoreFile& queueFile);

// The handle the host's driver core gives the plug-in for its queue: a plain
// record both sides understand, checked by its tag before use.
struct CoreQueueHandle {
    static constexpr uint32_t kTag = 0x5137374Cu;  // "L77Q"
    uint32_t tag = kTag;
    uint32_t access = PRINTER_ALL_ACCESS_RIGHTS;
    char queue[256] = {};
};

// The queue named by a handle of this implementation (core or opened), or null.
std::optional<std::string> QueueOfHandle(HANDLE handle);

}  // namespace lt77::posix
