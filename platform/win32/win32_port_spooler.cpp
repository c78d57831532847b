#include <vector>

#include "platform/port_spooler.h"
#include "platform/win32/win32_utf.h"

#include <windows.h>
#include <winspool.h>
#include <winsplp.h>

namespace lt77::win32 {
namespace {

DWORD LastError(DWORD fallback)
{
    const DWORD error = static_cast<DWORD>(::GetLastError());
    return error != 0 ? error : fallback;
}

// The spooler's level-1 job record and the strings it points into, in the
// one buffer the spooler filled.
struct NativeJob1 {
    std::vector<BYTE> buffer;
    JOB_INFO_1W* Info() { return reinterpret_cast<JOB_INFO_1W*>(buffer.data()); }
};

std::shared_ptr<NativeJob1> GetNativeJob1(HANDLE printer, DWORD jobId, DWORD& error)
{
    ::DWORD needed = 0;
    // The first call only asks for the size.
    if (::GetJobW(printer, jobId, 1, nullptr, 0, &needed) || needed == 0) {
        error = LastError(syserr::kInvalidParameter);
        return nullptr;
    }
    auto job = std::make_shared<NativeJob1>();
    job->buffer.resize(needed);
    if (!::GetJobW(printer, jobId, 1, job->buffer.data(), needed, &needed)) {
        error = LastError(syserr::kInvalidParameter);
        return nullptr;
    }
    error = 0;
    return job;
}

std::vector<BYTE> GetPrinter2(HANDLE printer, DWORD& error)
{
    ::DWORD needed = 0;
    if (::GetPrinterW(printer, 2, nullptr, 0, &needed) || needed == 0) {
        error = LastError(syserr::kInvalidHandle);
        return {};
    }
    std::vector<BYTE> buffer(needed);
    if (!::GetPrinterW(printer, 2, buffer.data(), needed, &needed)) {
        error = LastError(syserr::kInvalidHandle);
        return {};
    }
    error = 0;
    return buffer;
}

using SetPortFunction = BOOL(WINAPI*)(LPWSTR, LPWSTR, ::DWORD, LPBYTE);

// Wine's winspool.drv has no SetPortW, and a program that imports it does not
// load there: it is looked up when first needed.
SetPortFunction SetPortEntry()
{
    static const SetPortFunction entry = [] {
        HMODULE winspool = ::GetModuleHandleW(L"winspool.drv");
        if (winspool == nullptr) winspool = ::LoadLibraryW(L"winspool.drv");
        return winspool == nullptr
                   ? nullptr
                   : reinterpret_cast<SetPortFunction>(
                         reinterpret_cast<void (*)()>(::GetProcAddress(winspool, "SetPortW")));
    }();
    return entry;
}

using RevertToPrinterSelfFunction = HANDLE(WINAPI*)();
using ImpersonatePrinterClientFunction = BOOL(WINAPI*)(HANDLE);

// The two identity calls live in spoolss.dll. Linking its import library
// would also bind OpenPrinterW and the other spooler calls of every program
// on the monitor's platform parts to spoolss, whose copies are unimplemented
// under Wine: they are looked up when first needed instead.
template <class Function>
Function SpoolssEntry(const char* name)
{
    HMODULE spoolss = ::GetModuleHandleW(L"spoolss.dll");
    if (spoolss == nullptr) spoolss = ::LoadLibraryW(L"spoolss.dll");
    return spoolss == nullptr
               ? nullptr
               : reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(spoolss, name)));
}

class Win32PortSpooler final : public PortSpooler {
public:
    DWORD GetJob1(HANDLE printer, DWORD jobId, JobLevel1& out) override
    {
        DWORD error = 0;
        auto native = GetNativeJob1(printer, jobId, error);
        if (!native) return error;
        out = JobLevel1{static_cast<DWORD>(native->Info()->JobId), static_cast<DWORD>(native->Info()->Status),
                        native};
        return 0;
    }

    DWORD SetJobCommand(HANDLE printer, DWORD jobId, const JobLevel1* job, DWORD command) override
    {
        if (job == nullptr) {
            if (!::SetJobW(printer, jobId, 0, nullptr, command)) return LastError(syserr::kInvalidParameter);
            return 0;
        }
        auto native = std::static_pointer_cast<NativeJob1>(job->native);
        if (!native) {
            DWORD error = 0;
            native = GetNativeJob1(printer, jobId, error);
            if (!native) return error;
        }
        // The spooler's own record goes back with the new status, so that the
        // fields the monitor does not touch stay as they were.
        JOB_INFO_1W info = *native->Info();
        info.Status = job->status;
        if (!::SetJobW(printer, jobId, 1, reinterpret_cast<BYTE*>(&info), command))
            return LastError(syserr::kInvalidParameter);
        return 0;
    }

    DWORD SetPortStatus(std::u16string_view portName, const PortStatus& status) override
    {
        const SetPortFunction setPort = SetPortEntry();
        if (setPort == nullptr) return syserr::kCallNotImplemented;
        std::wstring port = WideFromU16(portName);
        PORT_INFO_3W info{status.status, nullptr, status.severity};
        if (!setPort(nullptr, port.data(), 3, reinterpret_cast<LPBYTE>(&info)))
            return LastError(syserr::kInvalidParameter);
        return 0;
    }

    DWORD GetPrinterAttributes(HANDLE printer, DWORD& attributes) override
    {
        DWORD error = 0;
        const auto buffer = GetPrinter2(printer, error);
        if (error != 0) return error;
        attributes = static_cast<DWORD>(reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data())->Attributes);
        return 0;
    }

    DWORD SetPrinterAttributes(HANDLE printer, DWORD attributes) override
    {
        DWORD error = 0;
        auto buffer = GetPrinter2(printer, error);
        if (error != 0) return error;
        auto* info = reinterpret_cast<PRINTER_INFO_2W*>(buffer.data());
        info->Attributes = attributes;
        // A null descriptor leaves the printer's security as it is; passed
        // back, it would ask for the right to change that security too.
        info->pSecurityDescriptor = nullptr;
        if (!::SetPrinterW(printer, 2, buffer.data(), 0)) return LastError(syserr::kInvalidParameter);
        return 0;
    }

    bool RevertToSelf() override { return ::RevertToSelf() != FALSE; }

    HANDLE RevertToPrinterSelf() override
    {
        static const auto entry = SpoolssEntry<RevertToPrinterSelfFunction>("RevertToPrinterSelf");
        if (entry == nullptr) {
            ::SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
            return nullptr;
        }
        return entry();
    }

    bool ImpersonatePrinterClient(HANDLE token) override
    {
        static const auto entry = SpoolssEntry<ImpersonatePrinterClientFunction>("ImpersonatePrinterClient");
        if (entry == nullptr) {
            ::SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
            return false;
        }
        return entry(token) != FALSE;
    }
};

}  // namespace
}  // namespace lt77::win32

namespace lt77 {

PortSpooler& SystemPortSpooler()
{
    static win32::Win32PortSpooler spooler;
    return spooler;
}

}  // namespace lt77
