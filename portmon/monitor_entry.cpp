// The monitor's one export, its operation table and the monitor instance of
// the loaded library.
#include <cstdarg>
#include <cstdio>
#include <memory>

#include "common/trace_files.h"
#include "platform/oem/export_guard.h"
#include "platform/system_error.h"
#include "portmon/job_path.h"
#include "portmon/monitor_trace.h"
#include "portmon/port_record.h"

namespace lt77::portmon {
namespace {

// Made when the library is loaded. At unload it goes only when every port
// is closed: a status thread still running could not be stopped safely
// from inside the system's unload, and would run freed code.
class LoadedMonitor {
public:
    LoadedMonitor() : monitor_(new Monitor(SystemMonitorSystem()))
    {
        monitor_->traceFolder = PrepareTraceFolder(monitor_->sys.files);
    }
    ~LoadedMonitor()
    {
        DeleteMonitorTraceFiles(*monitor_);
        bool idle = false;
        {
            SpoolerSectionLock lock(monitor_->spoolerSection);
            idle = !monitor_->ports;
        }
        if (!idle) static_cast<void>(monitor_.release());
    }
    Monitor& Get() { return *monitor_; }

private:
    std::unique_ptr<Monitor> monitor_;
};

LoadedMonitor g_loaded;

Monitor& TheMonitor() { return g_loaded.Get(); }

void GuardTrace(const char* format, ...)
{
    char text[kMonitorTraceLineMaxChars + 1];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof(text), format, args);
    va_end(args);
    Trace(TheMonitor(), "%s \r\n", text);
}

BOOL OpenPortEx(HANDLE, HANDLE hMonitorPort, mon::LPWSTR pPortName, mon::LPWSTR pPrinterName, HANDLE* pHandle,
                mon::MONITOR2* pMonitor2)
{
    return GuardedBool(&GuardTrace, "VaveriOpenPortEx", [&] {
        return VaveriOpenPortEx(TheMonitor(), hMonitorPort, pPortName, pPrinterName, pHandle, pMonitor2);
    });
}

BOOL StartDocPort(HANDLE hPort, mon::LPWSTR pPrinterName, DWORD JobId, DWORD Level, mon::LPBYTE pDocInfo)
{
    return GuardedBool(&GuardTrace, "VaveriStartDocPort", [&] {
        return VaveriStartDocPort(TheMonitor(), hPort, pPrinterName, JobId, Level, pDocInfo);
    });
}

BOOL WritePort(HANDLE hPort, mon::LPBYTE pBuffer, DWORD cbBuf, DWORD* pcbWritten)
{
    return GuardedBool(&GuardTrace, "VaveriWritePort",
                       [&] { return VaveriWritePort(TheMonitor(), hPort, pBuffer, cbBuf, pcbWritten); });
}

BOOL ReadPort(HANDLE hPort, mon::LPBYTE pBuffer, DWORD cbBuffer, DWORD* pcbRead)
{
    return GuardedBool(&GuardTrace, "VaveriReadPort",
                       [&] { return VaveriReadPort(TheMonitor(), hPort, pBuffer, cbBuffer, pcbRead); });
}

BOOL EndDocPort(HANDLE hPort)
{
    return GuardedBool(&GuardTrace, "VaveriEndDocPort", [&] { return VaveriEndDocPort(TheMonitor(), hPort); });
}

BOOL ClosePort(HANDLE hPort)
{
    return GuardedBool(&GuardTrace, "VaveriClosePort", [&] { return VaveriClosePort(TheMonitor(), hPort); });
}

BOOL GetPrinterDataFromPort(HANDLE hPort, DWORD ControlID, mon::LPWSTR pValueName, mon::LPWSTR lpInBuffer,
                            DWORD cbInBuffer, mon::LPWSTR lpOutBuffer, DWORD cbOutBuffer, DWORD* lpcbReturned)
{
    return GuardedBool(&GuardTrace, "GetPrinterDataFromPort", [&] {
        return VaveriGetPrinterDataFromPort(TheMonitor(), hPort, ControlID, pValueName, lpInBuffer, cbInBuffer,
                                            lpOutBuffer, cbOutBuffer, lpcbReturned);
    });
}

BOOL SetPortTimeOuts(HANDLE hPort, mon::COMMTIMEOUTS* lpCTO, DWORD reserved)
{
    return GuardedBool(&GuardTrace, "VaveriSetPortTimeOuts",
                       [&] { return VaveriSetPortTimeOuts(TheMonitor(), hPort, lpCTO, reserved); });
}

void Shutdown(HANDLE) {}

DWORD SendRecvBidiData(HANDLE hPort, DWORD dwAccessBit, mon::LPCWSTR pAction, mon::BIDI_REQUEST_CONTAINER* pReqData,
                       mon::BIDI_RESPONSE_CONTAINER** ppResData)
{
    return Guarded(&GuardTrace, "VaveriBidiSendRecv", syserr::kNotEnoughMemory, [&] {
        return VaveriBidiSendRecv(TheMonitor(), hPort, dwAccessBit, pAction, pReqData, ppResData);
    });
}

mon::MONITOR2 MakeTable()
{
    mon::MONITOR2 table{};
    table.cbSize = sizeof(mon::MONITOR2);
    table.pfnOpenPortEx = &OpenPortEx;
    table.pfnStartDocPort = &StartDocPort;
    table.pfnWritePort = &WritePort;
    table.pfnReadPort = &ReadPort;
    table.pfnEndDocPort = &EndDocPort;
    table.pfnClosePort = &ClosePort;
    table.pfnGetPrinterDataFromPort = &GetPrinterDataFromPort;
    table.pfnSetPortTimeOuts = &SetPortTimeOuts;
    table.pfnShutdown = &Shutdown;
    table.pfnSendRecvBidiDataFromPort = &SendRecvBidiData;
    return table;
}

mon::MONITOR2 g_table = MakeTable();

}  // namespace
}  // namespace lt77::portmon

extern "C" LT77_EXPORT lt77::mon::MONITOR2* InitializePrintMonitor2(lt77::mon::MONITORINIT* pMonitorInit,
                                                                    lt77::HANDLE* phMonitor)
{
    using namespace lt77;
    using namespace lt77::portmon;
    return Guarded(&GuardTrace, "InitializePrintMonitor2", static_cast<mon::MONITOR2*>(nullptr), [&] {
        Monitor& monitor = TheMonitor();
        if (pMonitorInit == nullptr || pMonitorInit->hckRegistryRoot == nullptr) {
            SetLastSystemError(syserr::kInvalidParameter);
            Trace(monitor, "InitializePrintMonitor2 : pMonitorInit is invalid \r\n");
            return static_cast<mon::MONITOR2*>(nullptr);
        }
        monitor.init = *pMonitorInit;
        if (!UpdateTimeoutsFromRegistry(monitor)) return static_cast<mon::MONITOR2*>(nullptr);
        if (phMonitor != nullptr) *phMonitor = nullptr;
        return &g_table;
    });
}
