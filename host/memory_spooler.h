// A spooler held in memory for unit tests and fuzzing: printer data by key
// and value, job records by id, and a switch per call that makes it fail with
// a chosen system error, for the faults a real spooler gives only when it
// is in trouble.
#pragma once

#include <map>
#include <string>
#include <utility>

#include "platform/spooler.h"

namespace lt77::host {

class MemorySpooler final : public Spooler {
public:
    // A non-zero error makes every call of that kind fail with it.
    struct Faults {
        DWORD open = 0;
        DWORD getData = 0;
        DWORD setData = 0;
        DWORD readJob = 0;
        DWORD writeJob = 0;
    };

    // The queue every handle of OpenQueue names; empty: every name opens.
    std::u16string queueName;
    std::map<std::pair<std::string, std::string>, PrinterDataValue> data;  // (key, value name)
    std::map<DWORD, JobRecord> jobs;
    PrinterInfo printer;
    Faults faults;

    std::unique_ptr<QueueHandle> OpenQueue(std::u16string_view name, DWORD access, DWORD& error) override;
    DWORD GetData(HANDLE printer, std::string_view key, std::string_view value, DWORD maxBytes,
                  PrinterDataValue& out) override;
    DWORD SetData(HANDLE printer, std::string_view key, std::string_view value, DWORD type,
                  std::span<const uint8_t> bytes) override;
    DWORD ReadJob(HANDLE printer, DWORD jobId, JobRecord& out) override;
    DWORD WriteJob(HANDLE printer, const JobRecord& job) override;
    DWORD ReadPrinterInfo(HANDLE printer, PrinterInfo& out) override;
};

}  // namespace lt77::host
