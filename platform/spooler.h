// The print spooler as the plug-ins see it: printer data by key and value,
// the queue's job records and its information.
#pragma once

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/oem/abi_types.h"

namespace lt77 {

inline constexpr DWORD REG_SZ_TYPE = 1;
inline constexpr DWORD REG_BINARY_TYPE = 3;
inline constexpr DWORD REG_DWORD_TYPE = 4;

inline constexpr DWORD PRINTER_ALL_ACCESS_RIGHTS = 0xF000C;
inline constexpr DWORD PRINTER_READ_USE_RIGHTS = 0x20008;

struct PrinterDataValue {
    DWORD type = 0;
    std::vector<uint8_t> bytes;
};

// The fields of a job record (level 2) that this package reads or changes.
// `native` keeps the platform's own record so that writing it back leaves the
// other fields as the spooler had them.
struct JobRecord {
    DWORD jobId = 0;
    std::u16string document;
    std::u16string parameters;
    DWORD position = 0;
    DWORD status = 0;
    DWORD totalPages = 0;
    bool hasDevMode = false;
    int16_t copies = 0;
    std::shared_ptr<void> native;
};

struct PrinterInfo {
    std::u16string serverName, printerName, shareName, portName, driverName, comment,
        location, sepFile, printProcessor, dataType, parameters;
    DWORD attributes = 0, priority = 0, defaultPriority = 0, startTime = 0, untilTime = 0,
          status = 0, jobs = 0, averagePpm = 0;
};

// A queue opened by name; closed when destroyed.
class QueueHandle {
public:
    virtual ~QueueHandle() = default;
    virtual HANDLE Native() const = 0;
};

class Spooler {
public:
    virtual ~Spooler() = default;

    // Opens the queue with the given access rights; on failure returns null and
    // sets `error` to the system error.
    virtual std::unique_ptr<QueueHandle> OpenQueue(std::u16string_view name, DWORD access,
                                                   DWORD& error) = 0;

    // Reads a printer data value through a queue handle (the core's or one of
    // OpenQueue). A value longer than `maxBytes` is not read: the result is
    // ERROR_MORE_DATA, as the system's call does. Returns the system error.
    virtual DWORD GetData(HANDLE printer, std::string_view key, std::string_view value,
                          DWORD maxBytes, PrinterDataValue& out) = 0;
    virtual DWORD SetData(HANDLE printer, std::string_view key, std::string_view value,
                          DWORD type, std::span<const uint8_t> bytes) = 0;

    virtual DWORD ReadJob(HANDLE printer, DWORD jobId, JobRecord& out) = 0;
    virtual DWORD WriteJob(HANDLE printer, const JobRecord& job) = 0;
    virtual DWORD ReadPrinterInfo(HANDLE printer, PrinterInfo& out) = 0;
};

// The target's spooler.
Spooler& SystemSpooler();

}  // namespace lt77
