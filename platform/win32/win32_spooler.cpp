#include <cstring>
#include <vector>

#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_utf.h"

#include <windows.h>
#include <winspool.h>

#include "platform/win32/printer_handle.h"

namespace lt77::win32 {
namespace {

class Win32Queue final : public QueueHandle {
public:
    explicit Win32Queue(PrinterHandle printer) : printer_(std::move(printer)) {}
    HANDLE Native() const override { return printer_.Get(); }

private:
    PrinterHandle printer_;
};

// The spooler's level-2 job record with the strings and device mode it
// points into, all in the one buffer the spooler filled.
struct NativeJob {
    std::vector<BYTE> buffer;
    JOB_INFO_2W* Info() { return reinterpret_cast<JOB_INFO_2W*>(buffer.data()); }
};

std::shared_ptr<NativeJob> GetNativeJob(HANDLE printer, DWORD jobId, DWORD& error)
{
    ::DWORD needed = 0;
    // The first call only asks for the size.
    if (::GetJobW(printer, jobId, 2, nullptr, 0, &needed) || needed == 0) {
        error = static_cast<DWORD>(::GetLastError());
        if (error == 0) error = syserr::kInvalidParameter;
        return nullptr;
    }
    auto job = std::make_shared<NativeJob>();
    job->buffer.resize(needed);
    if (!::GetJobW(printer, jobId, 2, job->buffer.data(), needed, &needed)) {
        error = static_cast<DWORD>(::GetLastError());
        return nullptr;
    }
    error = 0;
    return job;
}

}  // namespace

bool SpoolerCannotWriteJobRecords()
{
    static const bool underWine =
        ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    return underWine;
}

std::unique_ptr<QueueHandle> Win32Spooler::OpenQueue(std::u16string_view name, DWORD access,
                                                     DWORD& error)
{
    PrinterHandle printer = PrinterHandle::Open(WideFromU16(name).c_str(), access);
    if (!printer) {
        error = static_cast<DWORD>(::GetLastError());
        return nullptr;
    }
    error = 0;
    return std::make_unique<Win32Queue>(std::move(printer));
}

DWORD Win32Spooler::GetData(HANDLE printer, std::string_view key, std::string_view value,
                            DWORD maxBytes, PrinterDataValue& out)
{
    // Never a null buffer: some spoolers treat it as a fault rather than a
    // size query, and ERROR_MORE_DATA must come back either way.
    std::vector<BYTE> buffer(maxBytes == 0 ? 1 : maxBytes);
    ::DWORD type = 0;
    ::DWORD needed = 0;
    const ::DWORD result = ::GetPrinterDataExW(printer, WideFromUtf8(key).c_str(),
                                               WideFromUtf8(value).c_str(), &type, buffer.data(),
                                               maxBytes, &needed);
    if (result != ERROR_SUCCESS) return static_cast<DWORD>(result);
    if (needed > maxBytes) return syserr::kMoreData;
    out.type = static_cast<DWORD>(type);
    out.bytes.assign(buffer.begin(), buffer.begin() + needed);
    return 0;
}

DWORD Win32Spooler::SetData(HANDLE printer, std::string_view key, std::string_view value,
                            DWORD type, std::span<const uint8_t> bytes)
{
    BYTE empty = 0;
    BYTE* data = bytes.empty() ? &empty : const_cast<BYTE*>(bytes.data());
    return static_cast<DWORD>(::SetPrinterDataExW(printer, WideFromUtf8(key).c_str(),
                                                  WideFromUtf8(value).c_str(), type, data,
                                                  static_cast<::DWORD>(bytes.size())));
}

DWORD Win32Spooler::ReadJob(HANDLE printer, DWORD jobId, JobRecord& out)
{
    DWORD error = 0;
    auto native = GetNativeJob(printer, jobId, error);
    if (!native) return error;
    const JOB_INFO_2W& info = *native->Info();
    out = JobRecord{};
    out.jobId = static_cast<DWORD>(info.JobId);
    out.document = U16FromField(info.pDocument);
    out.parameters = U16FromField(info.pParameters);
    out.position = static_cast<DWORD>(info.Position);
    out.status = static_cast<DWORD>(info.Status);
    out.totalPages = static_cast<DWORD>(info.TotalPages);
    out.hasDevMode = info.pDevMode != nullptr;
    out.copies = info.pDevMode != nullptr ? info.pDevMode->dmCopies : 0;
    out.native = native;
    return 0;
}

DWORD Win32Spooler::WriteJob(HANDLE printer, const JobRecord& job)
{
    if (SpoolerCannotWriteJobRecords()) return ERROR_NOT_SUPPORTED;
    auto native = std::static_pointer_cast<NativeJob>(job.native);
    if (!native) {
        DWORD error = 0;
        native = GetNativeJob(printer, job.jobId, error);
        if (!native) return error;
    }
    // Start from the spooler's own record so that the fields this package
    // does not model go back as they were.
    JOB_INFO_2W info = *native->Info();
    std::wstring document = WideFromU16(job.document);
    std::wstring parameters = WideFromU16(job.parameters);
    info.pDocument = document.data();
    info.pParameters = parameters.data();
    info.Position = job.position;
    info.Status = job.status;
    std::vector<BYTE> devmode;
    if (job.hasDevMode && info.pDevMode != nullptr) {
        const std::size_t size = info.pDevMode->dmSize + info.pDevMode->dmDriverExtra;
        devmode.resize(size);
        std::memcpy(devmode.data(), info.pDevMode, size);
        info.pDevMode = reinterpret_cast<::DEVMODEW*>(devmode.data());
        info.pDevMode->dmCopies = job.copies;
    }
    if (!::SetJobW(printer, job.jobId, 2, reinterpret_cast<BYTE*>(&info), 0))
        return static_cast<DWORD>(::GetLastError());
    return 0;
}

DWORD Win32Spooler::ReadPrinterInfo(HANDLE printer, PrinterInfo& out)
{
    ::DWORD needed = 0;
    if (::GetPrinterW(printer, 2, nullptr, 0, &needed) || needed == 0) {
        const DWORD error = static_cast<DWORD>(::GetLastError());
        return error != 0 ? error : syserr::kInvalidHandle;
    }
    std::vector<BYTE> buffer(needed);
    if (!::GetPrinterW(printer, 2, buffer.data(), needed, &needed))
        return static_cast<DWORD>(::GetLastError());
    out = PrinterInfoFromLevel2(buffer.data());
    return 0;
}

PrinterInfo PrinterInfoFromLevel2(const void* level2)
{
    const auto& info = *static_cast<const PRINTER_INFO_2W*>(level2);
    PrinterInfo out;
    out.serverName = U16FromField(info.pServerName);
    out.printerName = U16FromField(info.pPrinterName);
    out.shareName = U16FromField(info.pShareName);
    out.portName = U16FromField(info.pPortName);
    out.driverName = U16FromField(info.pDriverName);
    out.comment = U16FromField(info.pComment);
    out.location = U16FromField(info.pLocation);
    out.sepFile = U16FromField(info.pSepFile);
    out.printProcessor = U16FromField(info.pPrintProcessor);
    out.dataType = U16FromField(info.pDatatype);
    out.parameters = U16FromField(info.pParameters);
    out.attributes = info.Attributes;
    out.priority = info.Priority;
    out.defaultPriority = info.DefaultPriority;
    out.startTime = info.StartTime;
    out.untilTime = info.UntilTime;
    out.status = info.Status;
    out.jobs = info.cJobs;
    out.averagePpm = info.AveragePPM;
    return out;
}

}  // namespace lt77::win32

namespace lt77 {

Spooler& SystemSpooler()
{
    static win32::Win32Spooler instance;
    return instance;
}

}  // namespace lt77
