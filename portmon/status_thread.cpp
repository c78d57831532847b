#include "portmon/status_thread.h"

#include <algorithm>
#include <cstring>
#include <system_error>

#include "platform/system_error.h"
#include "portmon/channels.h"
#include "portmon/job_path.h"
#include "portmon/monitor_trace.h"
#include "portmon/shared_record.h"

namespace lt77::portmon {
namespace {

constexpr DWORD kPollPauseMs = 100;
constexpr DWORD kFailedAsbPauseMs = 50;
constexpr DWORD kAnswerPauseMs = 100;
constexpr DWORD kNetworkAnswerPauseMs = 200;

struct StatusRow {
    int byteIndex;
    uint8_t values[3];
    int valueCount;
    const char* event;
    bool setsStatus;
    DWORD status;
    bool setsSeverity;
    DWORD severity;
};

// Later rows replace what earlier rows set; whole byte values are compared.
constexpr StatusRow kStatusRows[] = {
    {0, {0x1C}, 1, "COVER-CLOSED.", false, 0, true, mon::PORT_STATUS_TYPE_INFO},
    {0, {0x20, 0x38, 0x3C}, 3, "COVER-OPENED.", true, mon::PORT_STATUS_DOOR_OPEN, true, mon::PORT_STATUS_TYPE_ERROR},
    {1, {0x04}, 1, "MECHANICAL ERROR", true, mon::PORT_STATUS_USER_INTERVENTION, true, mon::PORT_STATUS_TYPE_ERROR},
    {1, {0x08}, 1, "AUTO-CUTTER ERROR", true, mon::PORT_STATUS_USER_INTERVENTION, true, mon::PORT_STATUS_TYPE_ERROR},
    {1, {0x20}, 1, "UNRECOVERABLE ERROR", true, mon::PORT_STATUS_USER_INTERVENTION, true, mon::PORT_STATUS_TYPE_ERROR},
    {2, {0x03}, 1, "PAPER NEAR-END", false, 0, false, 0},
    {2, {0x0C, 0x0F}, 2, "PAPER EMPTY", true, mon::PORT_STATUS_PAPER_OUT, true, mon::PORT_STATUS_TYPE_ERROR},
};

bool Matches(const StatusRow& row, uint8_t value)
{
    return std::find(row.values, row.values + row.valueCount, value) != row.values + row.valueCount;
}

bool IsClearBlock(const uint8_t block[4])
{
    return (block[0] == 0x10 || block[0] == 0x14) && block[1] == 0x00 && block[2] == 0x00 && block[3] == 0x0F;
}

}  // namespace

DWORD SetSpoolerPortStatus(Monitor& monitor, IniPort& port, DWORD status, DWORD severity)
{
    // The spooler's own identity makes the call, whoever the thread is serving.
    monitor.sys.ports.RevertToSelf();
    return monitor.sys.ports.SetPortStatus(port.portName, PortStatus{status, severity});
}

BOOL CreateUStatusThread(Monitor& monitor, IniPort& port)
{
    if (port.dwPortType == PORT_TYPE_FILE || port.dwPortType == PORT_TYPE_NONE) return kBoolTrue;
    std::lock_guard lock(port.threadLock);
    if (port.hUStatusThread.joinable()) {
        Trace(monitor, "CreateUStatusThread : [%s] Thread is already running, it should be terminated. \r\n",
              Narrow(port.portName).c_str());
        port.Clear(PP_THREAD_CREATED);
        port.hUStatusThread.join();
    }
    port.Set(PP_THREAD_CREATED);
    try {
        port.hUStatusThread = std::thread([&monitor, &port] { UStatusThreadProc(monitor, port); });
    } catch (const std::system_error& e) {
        port.Clear(PP_THREAD_CREATED);
        Trace(monitor, "CreateUStatusThread : Failed to create UStatus thread. Status=0x%x \r\n",
              static_cast<unsigned>(e.code().value()));
        return kBoolFalse;
    }
    return kBoolTrue;
}

void StopUStatusThread(Monitor&, IniPort& port)
{
    port.Clear(PP_THREAD_CREATED);
    std::lock_guard lock(port.threadLock);
    if (port.hUStatusThread.joinable()) port.hUStatusThread.join();
}

void UStatusThreadProc(Monitor& monitor, IniPort& port)
{
    const std::string name = Narrow(port.portName);
    port.Clear(PP_PORT_OFFLINE);
    port.dwPrinterStatus.store(0);
    for (;;) {
        if (!port.Has(PP_THREAD_CREATED)) {
            if (!port.Has(PP_INSTARTDOC)) {
                ClearPortStatus(monitor, port);
                break;
            }
            // A document in progress keeps its thread.
            port.Set(PP_THREAD_CREATED);
        }
        {
            PortTypeLock typeLock(monitor, port);
            if (IsEnableBidiCommunication(monitor, port) == 0) {
                Trace(monitor, "UStatusThreadProc : [%s] CLEAR OFFLINE for the port.\r\n", name.c_str());
                break;
            }
            ReadCommand(monitor, port);
        }
        if (port.Has(PP_INSTARTDOC) && port.Has(PP_THREAD_CREATED)) {
            Trace(monitor, "UStatusThreadProc : [%s] IN STARTDOC - Waiting \r\n", name.c_str());
            while (port.Has(PP_THREAD_CREATED) && port.Has(PP_INSTARTDOC)) monitor.sys.waits.Pause(kPollPauseMs);
        } else {
            monitor.sys.waits.Pause(kPollPauseMs);
        }
    }
    port.Clear(PP_THREAD_CREATED);
}

void ClearPortStatus(Monitor& monitor, IniPort& port)
{
    if (port.dwPrinterStatus.load() != 0 || port.Has(PP_PORT_OFFLINE)) {
        port.dwPrinterStatus.store(0);
        port.Clear(PP_PORT_OFFLINE);
        SetSpoolerPortStatus(monitor, port, 0, 0);
    }
    FreeJobs(monitor, port, kAllJobs);
}

int IsEnableBidiCommunication(Monitor& monitor, IniPort& port)
{
    const std::u16string printerName = port.PrinterName();
    DWORD error = 0;
    auto printer = monitor.sys.spooler.OpenQueue(printerName, PRINTER_ALL_ACCESS_RIGHTS, error);
    if (!printer) printer = monitor.sys.spooler.OpenQueue(printerName, PRINTER_READ_USE_RIGHTS, error);
    if (!printer) return 0;
    DWORD attributes = 0;
    if (monitor.sys.ports.GetPrinterAttributes(printer->Native(), attributes) != 0) return 0;
    if ((attributes & mon::PRINTER_ATTRIBUTE_WORK_OFFLINE) != 0) {
        // The queue was set to use the printer offline; status back brings it online.
        attributes &= ~mon::PRINTER_ATTRIBUTE_WORK_OFFLINE;
        if (const DWORD setError = monitor.sys.ports.SetPrinterAttributes(printer->Native(), attributes);
            setError != 0)
            Trace(monitor, "IsEnableBidiCommunication : [%s] SetPrinter failed with (%d) \r\n",
                  Narrow(port.portName).c_str(), static_cast<int>(setError));
    }
    return (attributes & mon::PRINTER_ATTRIBUTE_ENABLE_BIDI) != 0 ? 1 : -1;
}

BOOL WriteASBEnableCommand(Monitor& monitor, IniPort& port)
{
    const std::string name = Narrow(port.portName);
    if (port.Has(PP_INSTARTDOC)) {
        Trace(monitor, "WriteASBEnableCommand : [%s] PP_INSTARTDOC, BREAK LOOP \r\n", name.c_str());
        return kBoolFalse;
    }
    if (!port.Has(PP_THREAD_CREATED)) return kBoolFalse;

    const auto lowerWrite = [&] {
        if (!port.lower.pfnWritePort) return false;
        uint8_t command[4];
        std::memcpy(command, kAsbEnableCommand, sizeof(command));
        DWORD written = 0;
        return port.lower.pfnWritePort(port.hPort, command, sizeof(command), &written) && written == sizeof(command);
    };
    bool written = false;
    switch (port.dwPortType) {
    case PORT_TYPE_SERIAL:
        written = SerWritePort(monitor, port);
        break;
    case PORT_TYPE_PARALLEL:
        written = IsPrinterAvailable(monitor, port) && port.Has(PP_THREAD_CREATED) && lowerWrite();
        break;
    case PORT_TYPE_NETWORK:
        written = IsPrinterAvailable(monitor, port) && port.Has(PP_THREAD_CREATED) && KelNetWritePort(monitor, port);
        break;
    default:
        written = lowerWrite();
        break;
    }
    if (!written) {
        Trace(monitor, "WriteASBEnableCommand : [%s] failed ASB ENABLE CMD \r\n", name.c_str());
        monitor.sys.waits.Pause(kFailedAsbPauseMs);
        return kBoolFalse;
    }
    monitor.sys.waits.Pause(port.dwPortType == PORT_TYPE_NETWORK ? kNetworkAnswerPauseMs : kAnswerPauseMs);
    return kBoolTrue;
}

BOOL ReadCommand(Monitor& monitor, IniPort& port)
{
    const std::string name = Narrow(port.portName);
    uint8_t buffer[CBSTRING] = {};
    DWORD count = 0;
    if (WriteASBEnableCommand(monitor, port) &&
        !VaveriReadPort(monitor, &port, buffer, sizeof(buffer), &count))
        Trace(monitor, "ReadCommand : [%s] VaveriReadPort failed. (%d) \r\n", name.c_str(),
              static_cast<int>(port.lastReadError.load()));

    if (count != 0) {
        count = std::min<DWORD>(count, CBSTRING - 1);
        buffer[count] = 0;
        if (count >= 4) return ParseCommands(monitor, port, std::span<const uint8_t>(buffer, count));
        return kBoolFalse;
    }
    Trace(monitor, "ReadCommand : [%s] NO DATA READ \r\n", name.c_str());
    if (IsPrinterAvailable(monitor, port)) return kBoolFalse;
    UpdatePortStatusToUI(monitor, port);
    return kBoolFalse;
}

void UpdatePortStatusToUI(Monitor& monitor, IniPort& port)
{
    DWORD status = mon::PORT_STATUS_OFFLINE;
    // A serial printer that went silent after reporting an error still has
    // that error; the silence says nothing new about it.
    if (port.dwPortType == PORT_TYPE_SERIAL && port.dwPrinterStatus.load() != 0) status = port.dwPrinterStatus.load();
    port.dwPrinterStatus.store(status);
    if (status == mon::PORT_STATUS_OFFLINE) port.Set(PP_PORT_OFFLINE);
    SetASBDataAndPortStatusByMMF(monitor, port, nullptr, status);
    if (const DWORD error = SetSpoolerPortStatus(monitor, port, status, mon::PORT_STATUS_TYPE_ERROR); error != 0)
        Trace(monitor, "UpdatePortStatusToUI : SetPort failed with (%d) \r\n", static_cast<int>(error));
}

BOOL ParseCommands(Monitor& monitor, IniPort& port, std::span<const uint8_t> bytes)
{
    const std::string name = Narrow(port.portName);
    for (size_t i = 0; i < bytes.size(); ++i)
        Trace(monitor, "ParseCommands : [%s] byte[%d] = 0x%02X \r\n", name.c_str(), static_cast<int>(i), bytes[i]);
    if (bytes.size() < 4) return kBoolFalse;
    // Several blocks queued up since the last read: the newest one counts.
    const size_t offset = (bytes.size() > 4 && bytes.size() % 4 == 0) ? bytes.size() - 4 : 0;
    return InterpretCommands(monitor, port, bytes.data() + offset);
}

BOOL InterpretCommands(Monitor& monitor, IniPort& port, const uint8_t block[4])
{
    const std::string name = Narrow(port.portName);
    const DWORD oldStatus = port.dwPrinterStatus.load();
    DWORD status = 0;
    DWORD severity = 0;
    port.Clear(PP_PORT_OFFLINE);
    if (IsClearBlock(block)) {
        severity = mon::PORT_STATUS_TYPE_INFO;
    } else {
        for (const StatusRow& row : kStatusRows) {
            if (!Matches(row, block[row.byteIndex])) continue;
            Trace(monitor, "InterpretCommands : [%s] %s \r\n", name.c_str(), row.event);
            if (row.setsStatus) status = row.status;
            if (row.setsSeverity) severity = row.severity;
        }
    }
    port.dwPrinterStatus.store(status);
    SetASBDataAndPortStatusByMMF(monitor, port, block, status);
    if (const DWORD error = SetSpoolerPortStatus(monitor, port, status, severity); error != 0) {
        Trace(monitor, "InterpretCommands : [%s] SetPort failed with (%d) \r\n", name.c_str(),
              static_cast<int>(error));
        port.dwPrinterStatus.store(oldStatus);
        return kBoolFalse;
    }
    return kBoolTrue;
}

}  // namespace lt77::portmon
