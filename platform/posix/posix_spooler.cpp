#include <cstring>
#include <memory>

#include "platform/posix/posix_platform.h"
#include "platform/posix/queue_store.h"
#include "platform/typed_value.h"

namespace lt77::posix {
namespace {

class OpenedQueue final : public QueueHandle {
public:
    OpenedQueue(std::string_view queue, DWORD access)
    {
        std::memcpy(handle_.queue, queue.data(), queue.size());
        handle_.access = access;
    }
    HANDLE Native() const override { return const_cast<CoreQueueHandle*>(&handle_); }

private:
    CoreQueueHandle handle_;
};

std::u16string Utf16Of(std::string_view value)
{
    return Utf8ToUtf16(value);
}

std::string Utf8Of(std::u16string_view value) { return Utf16ToUtf8(value); }

DWORD ParseDword(const StoreFile& file, std::string_view key)
{
    const auto v = file.Get("Job", key);
    if (!v) return 0;
    try {
        return static_cast<DWORD>(std::stoul(*v));
    } catch (...) {
        return 0;
    }
}

}  // namespace

std::unique_ptr<QueueHandle> PosixSpooler::OpenQueue(std::u16string_view name, DWORD access,
                                                     DWORD& error)
{
    const std::string queue = Utf8Of(name);
    if (!IsValidQueueName(queue)) {
        error = syserr::kInvalidPrinterName;
        return nullptr;
    }
    auto loaded = LoadQueue(queue);
    if (std::holds_alternative<StoreError>(loaded)) {
        error = std::filesystem::exists(PrinterFile(queue)) ? syserr::kInvalidData
                                                            : syserr::kInvalidPrinterName;
        return nullptr;
    }
    // "Access" in the queue file says what the host grants: full, read-use or none.
    const auto granted = std::get<StoreFile>(loaded).Get("Queue", "Access").value_or("full");
    const bool wantsFull = (access & ~PRINTER_READ_USE_RIGHTS & 0xFFFFu) != 0;
    if (EqualsNoCase(granted, "none") || (wantsFull && EqualsNoCase(granted, "read-use"))) {
        error = syserr::kAccessDenied;
        return nullptr;
    }
    error = 0;
    return std::make_unique<OpenedQueue>(queue, access);
}

DWORD PosixSpooler::GetData(HANDLE printer, std::string_view key, std::string_view value,
                            DWORD maxBytes, PrinterDataValue& out)
{
    const auto queue = QueueOfHandle(printer);
    if (!queue) return syserr::kInvalidHandle;
    auto loaded = LoadQueue(*queue);
    if (std::holds_alternative<StoreError>(loaded)) return syserr::kInvalidData;
    const auto text = std::get<StoreFile>(loaded).Get(DataSection(key), value);
    if (!text) return syserr::kFileNotFound;
    auto decoded = DecodeTypedValue(*text);
    if (std::holds_alternative<std::string>(decoded)) return syserr::kInvalidData;
    auto& v = std::get<PrinterDataValue>(decoded);
    if (v.bytes.size() > maxBytes) return syserr::kMoreData;
    out = std::move(v);
    return 0;
}

DWORD PosixSpooler::SetData(HANDLE printer, std::string_view key, std::string_view value,
                            DWORD type, std::span<const uint8_t> bytes)
{
    const auto queue = QueueOfHandle(printer);
    if (!queue) return syserr::kInvalidHandle;
    // Writing printer data needs administer rights, as on Windows.
    if ((static_cast<const CoreQueueHandle*>(printer)->access & 0x4) == 0) return syserr::kAccessDenied;
    auto loaded = LoadQueue(*queue);
    if (std::holds_alternative<StoreError>(loaded)) return syserr::kInvalidData;
    auto& file = std::get<StoreFile>(loaded);
    file.Set(DataSection(key), value,
             EncodeTypedValue(PrinterDataValue{type, std::vector<uint8_t>(bytes.begin(), bytes.end())}));
    return file.Save(PrinterFile(*queue)) ? 0 : syserr::kWriteFault;
}

DWORD PosixSpooler::ReadJob(HANDLE printer, DWORD jobId, JobRecord& out)
{
    const auto queue = QueueOfHandle(printer);
    if (!queue) return syserr::kInvalidHandle;
    auto loaded = StoreFile::Load(JobFile(*queue, jobId));
    if (std::holds_alternative<StoreError>(loaded)) return syserr::kInvalidParameter;
    const auto& file = std::get<StoreFile>(loaded);
    out = JobRecord{};
    out.jobId = jobId;
    out.document = Utf16Of(file.Get("Job", "Document").value_or(""));
    out.parameters = Utf16Of(file.Get("Job", "Parameters").value_or(""));
    out.position = ParseDword(file, "Position");
    out.status = ParseDword(file, "Status");
    out.totalPages = ParseDword(file, "TotalPages");
    out.hasDevMode = file.Get("Job", "Copies").has_value();
    out.copies = static_cast<int16_t>(ParseDword(file, "Copies"));
    return 0;
}

DWORD PosixSpooler::WriteJob(HANDLE printer, const JobRecord& job)
{
    const auto queue = QueueOfHandle(printer);
    if (!queue) return syserr::kInvalidHandle;
    const auto path = JobFile(*queue, job.jobId);
    auto loaded = StoreFile::Load(path);
    if (std::holds_alternative<StoreError>(loaded)) return syserr::kInvalidParameter;
    auto& file = std::get<StoreFile>(loaded);
    file.Set("Job", "Document", Utf8Of(job.document));
    file.Set("Job", "Parameters", Utf8Of(job.parameters));
    file.Set("Job", "Position", std::to_string(job.position));
    file.Set("Job", "Status", std::to_string(job.status));
    if (job.hasDevMode) file.Set("Job", "Copies", std::to_string(job.copies));
    return file.Save(path) ? 0 : syserr::kWriteFault;
}

DWORD PosixSpooler::ReadPrinterInfo(HANDLE printer, PrinterInfo& out)
{
    const auto queue = QueueOfHandle(printer);
    if (!queue) return syserr::kInvalidHandle;
    auto loaded = LoadQueue(*queue);
    if (std::holds_alternative<StoreError>(loaded)) return syserr::kInvalidData;
    const auto& file = std::get<StoreFile>(loaded);
    out = PrinterInfo{};
    out.printerName = Utf16Of(*queue);
    out.portName = Utf16Of(file.Get("Queue", "Port").value_or("FILE:"));
    out.driverName = Utf16Of(file.Get("Queue", "Driver").value_or("LT-77"));
    out.printProcessor = Utf16Of("PRINT PROCESSOR LT-77");
    out.dataType = Utf16Of("RAW");
    return 0;
}

}  // namespace lt77::posix

namespace lt77 {

Spooler& SystemSpooler()
{
    static posix::PosixSpooler spooler;
    return spooler;
}

}  // namespace lt77
