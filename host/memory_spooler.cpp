#include "host/memory_spooler.h"

namespace lt77::host {
namespace {

class MemoryQueue final : public QueueHandle {
public:
    explicit MemoryQueue(MemorySpooler& spooler) : spooler_(spooler) {}
    HANDLE Native() const override { return &spooler_; }

private:
    MemorySpooler& spooler_;
};

}  // namespace

std::unique_ptr<QueueHandle> MemorySpooler::OpenQueue(std::u16string_view name, DWORD, DWORD& error)
{
    error = faults.open;
    if (error == 0 && !queueName.empty() && name != queueName) error = syserr::kInvalidPrinterName;
    if (error != 0) return nullptr;
    return std::make_unique<MemoryQueue>(*this);
}

DWORD MemorySpooler::GetData(HANDLE, std::string_view key, std::string_view value, DWORD maxBytes,
                             PrinterDataValue& out)
{
    if (faults.getData != 0) return faults.getData;
    const auto it = data.find({std::string(key), std::string(value)});
    if (it == data.end()) return syserr::kFileNotFound;
    if (it->second.bytes.size() > maxBytes) return syserr::kMoreData;
    out = it->second;
    return 0;
}

DWORD MemorySpooler::SetData(HANDLE, std::string_view key, std::string_view value, DWORD type,
                             std::span<const uint8_t> bytes)
{
    if (faults.setData != 0) return faults.setData;
    data[{std::string(key), std::string(value)}] = PrinterDataValue{type, {bytes.begin(), bytes.end()}};
    return 0;
}

DWORD MemorySpooler::ReadJob(HANDLE, DWORD jobId, JobRecord& out)
{
    if (faults.readJob != 0) return faults.readJob;
    const auto it = jobs.find(jobId);
    if (it == jobs.end()) return syserr::kInvalidParameter;
    out = it->second;
    return 0;
}

DWORD MemorySpooler::WriteJob(HANDLE, const JobRecord& job)
{
    if (faults.writeJob != 0) return faults.writeJob;
    if (jobs.find(job.jobId) == jobs.end()) return syserr::kInvalidParameter;
    jobs[job.jobId] = job;
    return 0;
}

DWORD MemorySpooler::ReadPrinterInfo(HANDLE, PrinterInfo& out)
{
    out = printer;
    return 0;
}

}  // namespace lt77::host
