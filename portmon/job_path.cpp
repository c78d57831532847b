#include "portmon/job_path.h"

#include <algorithm>
#include <new>

#include "common/ascii_case.h"
#include "common/printer_data_names.h"
#include "common/settings.h"
#include "platform/system_error.h"
#include "portmon/channels.h"
#include "portmon/monitor_trace.h"
#include "portmon/port_record.h"
#include "portmon/status_thread.h"

namespace lt77::portmon {
namespace {

constexpr DWORD kNetworkChunkBytes = 1024;
constexpr DWORD kDeviceChunkBytes = 4096;
constexpr DWORD kShortWritePauseMs = 100;
constexpr DWORD kTraceSwitchIndex = 43;
constexpr DWORD ERROR_NOT_READY_CODE = 21;

IniPort* PortOf(HANDLE hPort)
{
    auto* port = static_cast<IniPort*>(hPort);
    return (port != nullptr && port->signature == PJ_SIGNATURE) ? port : nullptr;
}

// Errors after which the device is gone for this job: more writes cannot help.
bool IsDeviceGone(DWORD error)
{
    switch (error) {
    case syserr::kPipeNotConnected:
    case syserr::kOperationAborted:
    case syserr::kDeviceNotConnected:
    case syserr::kCancelled:
    case syserr::kTimeout:
    case syserr::kWsaTimedOut:
        return true;
    default:
        return false;
    }
}

DWORD ChunkBytes(const IniPort& port, DWORD cbBuf)
{
    switch (port.dwPortType) {
    case PORT_TYPE_NETWORK: return std::min(kNetworkChunkBytes, cbBuf);
    case PORT_TYPE_FILE: return cbBuf;
    default: return std::min(kDeviceChunkBytes, cbBuf);
    }
}

// The head job entry's printer handle and id, copied under the section.
struct HeadJob {
    HANDLE printer = nullptr;
    DWORD jobId = 0;
    bool present = false;
};

HeadJob HeadJobOf(Monitor& monitor, IniPort& port)
{
    SpoolerSectionLock lock(monitor.spoolerSection);
    if (!port.jobs) return {};
    return {port.jobs->printer ? port.jobs->printer->Native() : nullptr, port.jobs->jobId, true};
}

void ReadTraceSwitch(Monitor& monitor, HANDLE printer)
{
    PrinterDataValue misc;
    const DWORD error = printer ? monitor.sys.spooler.GetData(printer, kPropertiesKey, kMiscValue,
                                                              static_cast<DWORD>(kSettingsCount), misc)
                                : syserr::kInvalidHandle;
    if (error != 0) {
        monitor.traceOn.store(false);
        return;
    }
    // A shorter value leaves the rest of the 44-byte buffer zero.
    const bool on = misc.bytes.size() > kTraceSwitchIndex && misc.bytes[kTraceSwitchIndex] != 0;
    monitor.traceOn.store(on);
    if (!on) DeleteMonitorTraceFiles(monitor);
}

// The job that could not start is dropped from the queue: a receipt that
// prints minutes later, when the printer is back, is a wrong receipt.
void DeleteRefusedJob(Monitor& monitor, IniPort& port, JobEntry& entry, DWORD jobId)
{
    const std::string name = Narrow(port.portName);
    JobLevel1 job;
    const DWORD getError = entry.printer ? monitor.sys.ports.GetJob1(entry.printer->Native(), jobId, job)
                                         : syserr::kInvalidHandle;
    if (getError != 0) {
        Trace(monitor, "VaveriStartDocPort : [%s] GetJob failed with (%d) \r\n", name.c_str(),
              static_cast<int>(getError));
        return;
    }
    job.status = mon::JOB_STATUS_ERROR;
    const DWORD setError =
        monitor.sys.ports.SetJobCommand(entry.printer->Native(), jobId, &job, mon::JOB_CONTROL_DELETE);
    if (setError != 0)
        Trace(monitor, "VaveriStartDocPort : [%s] SetJob failed with (%d) \r\n", name.c_str(),
              static_cast<int>(setError));
}

// Hands the device from the status thread to the job.
void ReleaseStatusChannel(Monitor& monitor, IniPort& port, DWORD serialPauseMs, DWORD networkPauseMs)
{
    if (port.dwPortType == PORT_TYPE_SERIAL) ReleaseCOMPort(monitor, port, serialPauseMs);
    if (port.dwPortType == PORT_TYPE_NETWORK) KelNetDisconnect(monitor, port, networkPauseMs);
}

}  // namespace

BOOL VaveriOpenPortEx(Monitor& monitor, HANDLE hMonitorPort, const WCHAR* pszPortName,
                      const WCHAR* pszPrinterName, HANDLE* pHandle, const mon::MONITOR2* pMonitor2)
{
    if (pMonitor2 == nullptr || !pMonitor2->pfnOpenPort || !pMonitor2->pfnStartDocPort ||
        !pMonitor2->pfnWritePort || !pMonitor2->pfnReadPort || !pMonitor2->pfnClosePort) {
        SetLastSystemError(syserr::kInvalidPrintMonitor);
        Trace(monitor, "VaveriOpenPortEx : Invalid port monitors passed to OpenPortEx \r\n");
        return kBoolFalse;
    }
    if (pHandle == nullptr) {
        SetLastSystemError(syserr::kInvalidParameter);
        return kBoolFalse;
    }
    const std::u16string_view portName = WideArg(pszPortName);
    TraceScope scope(monitor, "VaveriOpenPortEx", Narrow(portName));
    IniPort* port = nullptr;
    {
        SpoolerSectionLock lock(monitor.spoolerSection);
        if (FindPort(monitor, portName) != nullptr) {
            SetLastSystemError(syserr::kBusy);
            Trace(monitor, "VaveriOpenPortEx : The port is already open \r\n");
            return kBoolFalse;
        }
        port = CreateIniPortEntry(monitor, WideArg(pszPrinterName), portName);
    }
    if (port == nullptr) {
        // Not named by the spooler's contract; a caller that reads the last
        // error after a FALSE learns something true.
        SetLastSystemError(syserr::kNotSupported);
        Trace(monitor, "VaveriOpenPortEx : The port is not supported \r\n");
        return kBoolFalse;
    }

    if (port->dwPortType == PORT_TYPE_NETWORK) {
        KelNetInitialize(monitor, *port);
        KelGetNetworkPortInfo(monitor, hMonitorPort, *port, portName, pMonitor2);
    }

    std::u16string lowerName(portName);
    if (!pMonitor2->pfnOpenPort(hMonitorPort, lowerName.data(), &port->hPort)) {
        const DWORD error = LastSystemError();
        Trace(monitor, "VaveriOpenPortEx : [%s] pfnOpenPort failed with (%d) \r\n", Narrow(portName).c_str(),
              static_cast<int>(error));
        {
            SpoolerSectionLock lock(monitor.spoolerSection);
            DeletePortEntry(monitor, port);
        }
        SetLastSystemError(error);
        return kBoolFalse;
    }

    *pHandle = port;
    port->lower = *pMonitor2;
    if (const DWORD error = SetSpoolerPortStatus(monitor, *port, 0, mon::PORT_STATUS_TYPE_INFO); error != 0)
        Trace(monitor, "VaveriOpenPortEx : [%s] SetPort failed with (%d) \r\n", Narrow(portName).c_str(),
              static_cast<int>(error));
    if (!port->Has(PP_THREAD_CREATED)) CreateUStatusThread(monitor, *port);
    CheckOutsideSpoolerSection(monitor);
    return kBoolTrue;
}

BOOL VaveriStartDocPort(Monitor& monitor, HANDLE hPort, const WCHAR* pPrinterName, DWORD JobId,
                        DWORD Level, const BYTE* pDocInfo)
{
    monitor.currentJobId.store(JobId);
    IniPort* port = PortOf(hPort);
    const std::u16string_view printerName = WideArg(pPrinterName);
    if (port == nullptr || pDocInfo == nullptr || printerName.empty()) {
        SetLastSystemError(syserr::kInvalidParameter);
        return kBoolFalse;
    }
    if (Level != 1) {
        SetLastSystemError(syserr::kInvalidLevel);
        return kBoolFalse;
    }
    if (port->Has(PP_INSTARTDOC)) {
        SetLastSystemError(syserr::kBusy);
        return kBoolFalse;
    }
    const std::string name = Narrow(port->portName);
    TraceScope scope(monitor, "VaveriStartDocPort", name);

    port->Set(PP_INSTARTDOC);
    // Running out of memory below leaves through the export's guard; the
    // port must not be left in a document that never started, or every
    // later StartDocPort on it is refused as busy.
    struct InStartDoc {
        IniPort& port;
        bool started = false;
        ~InStartDoc()
        {
            if (!started) port.Clear(PP_INSTARTDOC);
        }
    } inStartDoc{*port};
    PortTypeLock typeLock(monitor, *port);
    ReleaseStatusChannel(monitor, *port, 10, 500);
    if (port->HasPrinterName()) port->SetPrinterName(printerName);

    std::unique_ptr<JobEntry> entry(new (std::nothrow) JobEntry);
    if (!entry) {
        port->Clear(PP_INSTARTDOC);
        SetLastSystemError(syserr::kNotEnoughMemory);
        return kBoolFalse;
    }
    entry->printerName.assign(printerName);

    BOOL result = kBoolFalse;
    DWORD error = 0;
    DWORD openError = 0;
    entry->printer = monitor.sys.spooler.OpenQueue(entry->printerName, mon::PRINTER_ACCESS_USE_RIGHTS, openError);
    if (!entry->printer) {
        Trace(monitor, "VaveriStartDocPort : [%s] [dwJobId : %d] OpenPrinter failed for %s, last error %d \r\n",
              name.c_str(), static_cast<int>(JobId), Narrow(printerName).c_str(), static_cast<int>(openError));
        port->Clear(PP_INSTARTDOC);
        typeLock.Release();
        error = openError;
    } else {
        ReadTraceSwitch(monitor, entry->printer->Native());
        if (port->Has(PP_PORT_OFFLINE) || port->dwPrinterStatus.load() != 0) {
            Trace(monitor, "VaveriStartDocPort : [%s] [dwJobId : %d] IN ERROR STATUS \r\n", name.c_str(),
                  static_cast<int>(JobId));
            error = ERROR_NOT_READY_CODE;
        } else {
            result = port->lower.pfnStartDocPort(port->hPort, entry->printerName.data(), JobId, 1,
                                                 const_cast<BYTE*>(pDocInfo));
            if (!result) {
                error = LastSystemError();
                Trace(monitor, "VaveriStartDocPort : [%s] [dwJobId : %d] pfnStartDocPort failed with (%d) \r\n",
                      name.c_str(), static_cast<int>(JobId), static_cast<int>(error));
            }
        }
        typeLock.Release();

        if (!result) {
            port->Clear(PP_INSTARTDOC);
        } else {
            if (!port->Has(PP_THREAD_CREATED)) {
                Trace(monitor,
                      "VaveriStartDocPort : [%s] [dwJobId : %d] Call 'CreateUStatusThread' to read data from the "
                      "printer.\r\n",
                      name.c_str(), static_cast<int>(JobId));
                CreateUStatusThread(monitor, *port);
            }
            entry->flags |= kJobEntryLinked;
            entry->jobId = JobId;
            SpoolerSectionLock lock(monitor.spoolerSection);
            entry->next = std::move(port->jobs);
            port->jobs = std::move(entry);
            inStartDoc.started = true;
        }
    }

    if (!result && entry) {
        DeleteRefusedJob(monitor, *port, *entry, JobId);
        entry.reset();
    }
    if (!result) SetLastSystemError(error);
    return result;
}

BOOL VaveriWritePort(Monitor& monitor, HANDLE hPort, const BYTE* pBuffer, DWORD cbBuf, DWORD* pcbWritten)
{
    IniPort* port = PortOf(hPort);
    if (port == nullptr || pcbWritten == nullptr || (pBuffer == nullptr && cbBuf != 0)) {
        SetLastSystemError(syserr::kInvalidParameter);
        return kBoolFalse;
    }
    const std::string name = Narrow(port->portName);
    TraceScope scope(monitor, "VaveriWritePort", name);
    BYTE* bytes = const_cast<BYTE*>(pBuffer);
    DWORD chunk = ChunkBytes(*port, cbBuf);

    *pcbWritten = 0;
    DWORD written = 0;
    BOOL ok = port->lower.pfnWritePort(port->hPort, bytes, chunk, &written);
    DWORD lastError = ok ? 0 : LastSystemError();
    // A lower monitor that claims more than it was given must not move us
    // past the buffer.
    *pcbWritten = std::min(written, chunk);

    // Without a job entry nothing can delete the job that would end the
    // retries, so failing writes are given up after "EOJTimeout".
    DWORD failedPauseMs = 0;
    for (;;) {
        const HeadJob head = HeadJobOf(monitor, *port);
        JobLevel1 job;
        bool fetched = false;
        if (head.present && head.printer != nullptr) {
            fetched = monitor.sys.ports.GetJob1(head.printer, head.jobId, job) == 0;
            if (fetched && (job.status & (mon::JOB_STATUS_ERROR | mon::JOB_STATUS_DELETING |
                                          mon::JOB_STATUS_RESTART)) != 0) {
                Trace(monitor, "VaveriWritePort: [%s] [%d] JOB_CONTROL_DELETE_1 \r\n", name.c_str(),
                      static_cast<int>(head.jobId));
                monitor.sys.ports.SetJobCommand(head.printer, head.jobId, &job, mon::JOB_CONTROL_DELETE);
                break;
            }
        }
        const DWORD remaining = cbBuf - *pcbWritten;
        if (remaining < chunk) chunk = remaining;
        if (*pcbWritten == cbBuf) {
            ok = kBoolTrue;
            break;
        }
        if (!ok && IsDeviceGone(lastError)) {
            if (fetched) monitor.sys.ports.SetJobCommand(head.printer, head.jobId, &job, mon::JOB_CONTROL_DELETE);
            Trace(monitor, "VaveriWritePort: [%s] [%d] WRITE_ERROR \r\n", name.c_str(),
                  static_cast<int>(head.jobId));
            SetLastSystemError(lastError);
            return kBoolFalse;
        }
        if (!ok && !head.present && failedPauseMs >= monitor.eojTimeoutMs) {
            Trace(monitor, "VaveriWritePort: [%s] [%d] WRITE_ERROR \r\n", name.c_str(), 0);
            SetLastSystemError(lastError);
            return kBoolFalse;
        }

        written = 0;
        ok = port->lower.pfnWritePort(port->hPort, bytes + *pcbWritten, chunk, &written);
        lastError = ok ? 0 : LastSystemError();
        written = std::min(written, chunk);
        *pcbWritten += written;
        if (ok || written != 0) failedPauseMs = 0;
        if (written != chunk) {
            monitor.sys.waits.Pause(kShortWritePauseMs);
            if (!ok && written == 0) failedPauseMs += kShortWritePauseMs;
        }
    }

    if (ok) {
        *pcbWritten = cbBuf;
        return kBoolTrue;
    }
    Trace(monitor, "VaveriWritePort: [%s] [%d] WRITE_ERROR \r\n", name.c_str(), 0);
    SetLastSystemError(lastError);
    return kBoolFalse;
}

BOOL VaveriReadPort(Monitor& monitor, HANDLE hPort, BYTE* pBuffer, DWORD cbBuffer, DWORD* pcbRead)
{
    auto* candidate = static_cast<IniPort*>(hPort);
    if (candidate != nullptr) candidate->lastReadError.store(0);
    IniPort* port = PortOf(hPort);
    if (port == nullptr || pcbRead == nullptr || (pBuffer == nullptr && cbBuffer != 0)) {
        Trace(monitor, "VaveriReadPort : NOT PJ_SIGNATURE \r\n");
        SetLastSystemError(syserr::kInvalidParameter);
        return kBoolFalse;
    }
    *pcbRead = 0;
    BOOL result = kBoolFalse;
    const std::span<uint8_t> buffer(pBuffer, cbBuffer);
    if (port->dwPortType == PORT_TYPE_SERIAL) {
        result = SerReadPort(monitor, *port, buffer, *pcbRead);
    } else if (port->dwPortType == PORT_TYPE_NETWORK) {
        result = KelNetReadPort(monitor, *port, buffer, *pcbRead);
    } else {
        result = port->lower.pfnReadPort(port->hPort, pBuffer, cbBuffer, pcbRead);
        if (result) *pcbRead = std::min(*pcbRead, cbBuffer);
    }
    if (!result) port->lastReadError.store(LastSystemError());
    return result;
}

BOOL VaveriEndDocPort(Monitor& monitor, HANDLE hPort)
{
    IniPort* port = PortOf(hPort);
    if (port == nullptr) {
        SetLastSystemError(syserr::kInvalidParameter);
        return kBoolFalse;
    }
    // The document ends whatever memory is left: a port left in its
    // document refuses every later StartDocPort as busy.
    std::string name;
    try {
        name = Narrow(port->portName);
    } catch (const std::bad_alloc&) {
    }
    TraceScope scope(monitor, "VaveriEndDocPort", name);
    // Whatever fails below (the spooler's SetJob out of memory leaves
    // through the export's guard), the document is over.
    struct EndOfDocument {
        Monitor& monitor;
        IniPort& port;
        ~EndOfDocument()
        {
            port.Clear(PP_INSTARTDOC);
            monitor.currentJobId.store(0);
        }
    } endOfDocument{monitor, *port};
    const HeadJob head = HeadJobOf(monitor, *port);
    if (!head.present) Trace(monitor, "VaveriEndDocPort : there's no print job!!! \r\n");
    if (port->lower.pfnEndDocPort && !port->lower.pfnEndDocPort(port->hPort))
        Trace(monitor, "VaveriEndDocPort : [%s] pfnEndDocPort failed with (%d) \r\n", name.c_str(),
              static_cast<int>(LastSystemError()));
    if (head.present) FreeJobs(monitor, *port, head.jobId);
    if (port->dwPortType >= PORT_TYPE_SERIAL && port->dwPortType <= PORT_TYPE_NETWORK)
        monitor.sys.waits.Pause(100);
    return kBoolTrue;
}

BOOL VaveriClosePort(Monitor& monitor, HANDLE hPort)
{
    IniPort* port = PortOf(hPort);
    if (port == nullptr) {
        Trace(monitor, "VaveriClosePort : NOT PJ_SIGNATURE \r\n");
        SetLastSystemError(syserr::kInvalidParameter);
        return kBoolFalse;
    }
    TraceScope scope(monitor, "VaveriClosePort", Narrow(port->portName));
    port->Clear(PP_INSTARTDOC);
    StopUStatusThread(monitor, *port);
    ReleaseStatusChannel(monitor, *port, 500, 500);
    if (port->lower.pfnClosePort) port->lower.pfnClosePort(port->hPort);
    SpoolerSectionLock lock(monitor.spoolerSection);
    DeletePortEntry(monitor, port);
    return kBoolTrue;
}

BOOL VaveriGetPrinterDataFromPort(Monitor& monitor, HANDLE hPort, DWORD ControlID, WCHAR* pValueName,
                                  WCHAR* lpInBuffer, DWORD cbInBuffer, WCHAR* lpOutBuffer, DWORD cbOutBuffer,
                                  DWORD* lpcbReturned)
{
    (void)monitor;
    if (ControlID == 0) return kBoolTrue;
    IniPort* port = PortOf(hPort);
    if (port == nullptr || !port->lower.pfnGetPrinterDataFromPort) {
        SetLastSystemError(syserr::kInvalidParameter);
        return kBoolFalse;
    }
    return port->lower.pfnGetPrinterDataFromPort(port->hPort, ControlID, pValueName, lpInBuffer, cbInBuffer,
                                                 lpOutBuffer, cbOutBuffer, lpcbReturned);
}

BOOL VaveriSetPortTimeOuts(Monitor& monitor, HANDLE hPort, const mon::COMMTIMEOUTS*, DWORD)
{
    IniPort* port = PortOf(hPort);
    if (port == nullptr || !port->lower.pfnSetPortTimeOuts) return kBoolTrue;
    mon::COMMTIMEOUTS timeouts{200, 0, 3000, 0, 3000};
    if (!port->lower.pfnSetPortTimeOuts(port->hPort, &timeouts, 0))
        Trace(monitor, "VaveriSetPortTimeOuts : [%s] pfnSetPortTimeOuts failed with (%d) \r\n",
              Narrow(port->portName).c_str(), static_cast<int>(LastSystemError()));
    return kBoolTrue;
}

DWORD VaveriBidiSendRecv(Monitor& monitor, HANDLE, DWORD, const WCHAR* pAction, mon::BIDI_REQUEST_CONTAINER*,
                         mon::BIDI_RESPONSE_CONTAINER** ppResData)
{
    const std::string action = Narrow(WideArg(pAction));
    for (const char* known : {"EnumSchema", "Get", "GetAll"})
        if (EqualsNoCase(action, known)) Trace(monitor, "VaveriBidiSendRecv : %s \r\n", known);
    if (ppResData != nullptr) *ppResData = nullptr;
    return 0;
}

bool UpdateTimeoutsFromRegistry(Monitor& monitor)
{
    const mon::MONITORINIT& init = monitor.init;
    const mon::MONITORREG* reg = init.pMonitorReg;
    static constexpr char16_t kValue[] = u"EOJTimeout";
    DWORD type = 0;
    DWORD value = 0;
    DWORD bytes = sizeof(value);
    if (reg != nullptr && reg->fpQueryValue != nullptr &&
        reg->fpQueryValue(init.hckRegistryRoot, kValue, &type, reinterpret_cast<BYTE*>(&value), &bytes,
                          init.hSpooler) == 0 &&
        type == mon::REG_DWORD_VALUE && bytes == sizeof(value)) {
        monitor.eojTimeoutMs = value;
        return true;
    }
    value = kDefaultEojTimeoutMs;
    monitor.eojTimeoutMs = value;
    const LONG error = (reg != nullptr && reg->fpSetValue != nullptr)
                           ? reg->fpSetValue(init.hckRegistryRoot, kValue, mon::REG_DWORD_VALUE,
                                             reinterpret_cast<const BYTE*>(&value), sizeof(value), init.hSpooler)
                           : static_cast<LONG>(syserr::kCallNotImplemented);
    if (error != 0) {
        Trace(monitor, "UpdateTimeoutsFromRegistry: failed with %d /r/n", static_cast<int>(error));
        Trace(monitor, "InitializePrintMonitor2 : Failed with UpdateTimeoutsFromRegistry \r\n");
        return false;
    }
    return true;
}

}  // namespace lt77::portmon
