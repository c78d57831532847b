#include <algorithm>

#include "common/ascii_case.h"

#include "platform/system_error.h"
#include "portmon/channels.h"
#include "portmon/monitor_trace.h"

namespace lt77::portmon {
namespace {

constexpr char16_t kSpoolerPipePrefix[] = u"\\Device\\NamedPipe\\Spooler\\";
constexpr char16_t kAliasPrefix[] = u"NONSPOOLED_";
constexpr char16_t kDefaultMode[] = u"115200,n,8,1,p";
constexpr const char* kPortsKey = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Ports";
constexpr DWORD kModeMaxBytes = 64;
constexpr size_t kDeviceNameMaxChars = 259;
constexpr int kQueueLooks = 10;
constexpr DWORD kQueueLookPauseMs = 100;

std::u16string DeviceName(std::u16string_view portName)
{
    std::u16string device(portName);
    if (!device.empty() && device.back() == u':') device.pop_back();
    if (device.size() > kDeviceNameMaxChars) device.resize(kDeviceNameMaxChars);
    return device;
}

std::u16string AliasOf(std::u16string_view device) { return kAliasPrefix + std::u16string(device); }

bool IsSerialName(std::u16string_view name)
{
    return name.size() >= 4 && StartsWithNoCase(name, u"COM") && name.back() == u':';
}

// The caller's identity comes back on every path that dropped it.
class SpoolerIdentity {
public:
    explicit SpoolerIdentity(PortSpooler& ports) : ports_(ports), token_(ports.RevertToPrinterSelf()) {}
    ~SpoolerIdentity()
    {
        if (token_ != nullptr) ports_.ImpersonatePrinterClient(token_);
    }
    bool Taken() const { return token_ != nullptr; }
    SpoolerIdentity(const SpoolerIdentity&) = delete;
    SpoolerIdentity& operator=(const SpoolerIdentity&) = delete;

private:
    PortSpooler& ports_;
    HANDLE token_;
};

}  // namespace

bool ValidateDosDevicePort(Monitor& monitor, IniPort& port)
{
    if (port.dwPortType == PORT_TYPE_SERIAL && port.hFile) return true;
    SpoolerIdentity identity(monitor.sys.ports);
    if (!identity.Taken()) return false;

    const std::u16string device = DeviceName(port.portName);
    const auto targets = monitor.sys.serial.QueryTargets(device);
    if (!targets) return true;
    const std::u16string redirection = kSpoolerPipePrefix + device;
    const auto target = std::find_if(targets->begin(), targets->end(),
                                     [&](const std::u16string& t) { return !EqualsNoCase(t, redirection); });
    if (target == targets->end()) {
        SetLastSystemError(syserr::kFileNotFound);
        return false;
    }

    const std::u16string alias = AliasOf(device);
    monitor.sys.serial.RemoveAlias(alias);
    monitor.sys.serial.DefineRawAlias(alias, *target);
    DWORD error = 0;
    auto file = monitor.sys.serial.Open(u"\\\\.\\" + alias, error);
    if (!file) {
        Trace(monitor, "ValidateDosDevicePort : [ERROR] failed to CreateFile, GetLastError = %d \r\n",
              static_cast<int>(error));
        monitor.sys.serial.RemoveAlias(alias);
        SetLastSystemError(error);
        return false;
    }
    port.hFile = std::move(file);
    port.Set(PP_DOSDEV_DEFINED);
    port.hFile->Truncate();
    SetSerialCommInfo(monitor, port);
    return true;
}

bool SetSerialDCB(Monitor& monitor, IniPort& port, SerialLine& line)
{
    std::u16string mode;
    const RegistryRead read = monitor.sys.registry.ReadMachineString(kPortsKey, port.portName, kModeMaxBytes, mode);
    if (!read.keyOpened) {
        Trace(monitor, "RegOpenKeyEx failed to get key. (%d)\r\n", static_cast<int>(read.error));
        mode = kDefaultMode;
    } else if (read.error != 0) {
        Trace(monitor, "RegQueryValueEx failed to get value. (%d) \r\n", static_cast<int>(read.error));
        mode = kDefaultMode;
    }
    if (monitor.sys.serial.BuildLine(mode, line)) return true;
    // A stored mode string the system cannot read leaves the line as
    // unknown as a missing one.
    Trace(monitor, "SetSerialDCB : [%s] BuildCommDCB failed with (%d) \r\n", Narrow(port.portName).c_str(),
          static_cast<int>(LastSystemError()));
    return monitor.sys.serial.BuildLine(kDefaultMode, line);
}

bool SetSerialCommInfo(Monitor& monitor, IniPort& port)
{
    if (!IsSerialName(port.portName) || !port.hFile) return true;
    SerialLine line;
    if (!port.hFile->GetLine(line)) {
        Trace(monitor, "SetSerialCommInfo : GetCommState failed with (%d) \r\n", static_cast<int>(LastSystemError()));
        return false;
    }
    SerialTimeouts timeouts;
    port.hFile->GetTimeouts(timeouts);
    SetSerialDCB(monitor, port, line);
    const bool lineSet = port.hFile->SetLine(line);
    if (!lineSet)
        Trace(monitor, "SetSerialCommInfo : SetCommState failed with (%d) \r\n", static_cast<int>(LastSystemError()));
    timeouts.readIntervalMs = 200;
    timeouts.readTotalConstantMs = 5000;
    timeouts.writeTotalMultiplierMs = 0;
    timeouts.writeTotalConstantMs = 200;
    port.hFile->SetTimeouts(timeouts);
    return lineSet;
}

bool GetCOMPort(Monitor& monitor, IniPort& port)
{
    if (port.cRef != 0 && port.hFile) {
        SetSerialCommInfo(monitor, port);
        return true;
    }
    if (ValidateDosDevicePort(monitor, port) && port.hFile) {
        ++port.cRef;
        return true;
    }
    if (!port.hFile) {
        SetLastSystemError(syserr::kPrinterNotFound);
        return false;
    }
    return true;
}

bool ReleaseCOMPort(Monitor& monitor, IniPort& port, DWORD pauseMs)
{
    if (!port.hFile) return true;
    --port.cRef;
    if (!port.hFile->Close())
        Trace(monitor, "ReleaseCOMPort : [%s] CloseHandle failed with (%d) \r\n", Narrow(port.portName).c_str(),
              static_cast<int>(LastSystemError()));
    port.hFile.reset();
    if (port.Has(PP_DOSDEV_DEFINED)) monitor.sys.serial.RemoveAlias(AliasOf(DeviceName(port.portName)));
    port.Clear(PP_DOSDEV_DEFINED);
    monitor.sys.waits.Pause(pauseMs);
    return true;
}

bool SerWritePort(Monitor& monitor, IniPort& port)
{
    if (!GetCOMPort(monitor, port)) return false;
    // A printer already in status back sends on its own: nothing to enable.
    for (int look = 0; look < kQueueLooks; ++look) {
        if (port.hFile->QueuedInput().value_or(0) > 0) return true;
        monitor.sys.waits.Pause(kQueueLookPauseMs);
    }
    DWORD written = 0;
    return port.hFile->Write(kAsbEnableCommand, written) && written == sizeof(kAsbEnableCommand);
}

bool SerReadPort(Monitor& monitor, IniPort& port, std::span<uint8_t> buffer, DWORD& read)
{
    read = 0;
    if (!port.hFile && !GetCOMPort(monitor, port)) return false;
    if (!port.hFile || port.hFile->QueuedInput().value_or(0) == 0) return false;
    DWORD done = 0;
    const bool ok = port.hFile->Read(buffer, done);
    read = std::min<DWORD>(done, static_cast<DWORD>(buffer.size()));
    return ok && read > 0;
}

}  // namespace lt77::portmon
