// Setting up the host's print queues: what an installer and the spooler
// would have done before the driver runs.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/oem/abi_types.h"
#include "platform/oem/ddi.h"
#include "platform/spooler.h"

namespace lt77::host {

struct QueueSetup {
    std::string inputBin = "Option1";      // receipt roll
    std::string orientation = "PORTRAIT";  // or LANDSCAPE_CC270
    std::string port = "FILE:";
    // PRINTER_ATTRIBUTE_ENABLE_BIDI: off, as on a queue an installer just
    // made; posstatus switches it on for the applications that watch it.
    bool bidi = false;
};

// Creates the queue (replacing an older one of that name) with no driver
// settings, so the plug-in starts from its defaults. Returns an error text.
std::optional<std::string> CreateQueue(std::string_view queue, const QueueSetup& setup = {});
std::optional<std::string> SetPrinterData(std::string_view queue, std::string_view key, std::string_view value,
                                          const PrinterDataValue& data);
std::optional<std::string> SetQueueSetting(std::string_view queue, std::string_view name, std::string_view value);
// The driver-core option answers the queue's host core gives.
std::optional<std::string> QueueSetting(std::string_view queue, std::string_view name);

struct QueueError {
    std::string message;
};
// The queue's file, checked value by value; an error names the file and line.
std::variant<std::string, QueueError> DescribeQueue(std::string_view queue);

// What this host's spooler can do: the POSIX host keeps queues as plain
// files and records everything; Wine's spooler drops job records written
// back and its queues are not files.
bool HostSpoolerKeepsJobRecords();
bool HostQueuesArePlainFiles();
// Programs started through the shell are only recorded by the POSIX host.
bool HostRecordsShellStarts();

// The spooler's record of a job about to print.
std::optional<std::string> CreateJob(std::string_view queue, DWORD jobId, std::string_view document,
                                     int16_t copies);
std::optional<JobRecord> ReadJob(std::string_view queue, DWORD jobId);

// The handle the core passes in the device object for this queue. It lives
// as long as the returned object.
class CoreQueue {
public:
    virtual ~CoreQueue() = default;
    virtual HANDLE Handle() = 0;
};
std::unique_ptr<CoreQueue> OpenCoreQueue(std::string_view queue);

// The palette the core gives an 8-bit device: a grey ramp, entry i = (i, i, i).
HPALETTE HostGreyPalette();

// The queue's file, for people to read and edit.
std::string QueueFilePath(std::string_view queue);

// Where a job's spool bytes go.
std::string SpoolPath(std::string_view queue, DWORD jobId);

// The host's view of a Windows path.
std::string HostPathOf(std::string_view windowsPath);

// Lines recorded for programs started through the shell.
std::vector<std::string> ShellStarts();

}  // namespace lt77::host
