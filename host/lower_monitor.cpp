#include "host/lower_monitor.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "common/driver_paths.h"
#include "common/utf.h"
#include "platform/system_error.h"

namespace lt77::host {
namespace {

enum class Kind { Network, Serial, Device, File };

char16_t Upper(char16_t c) { return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - u'a' + u'A') : c; }

bool StartsWith(std::u16string_view name, std::u16string_view prefix)
{
    if (name.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (Upper(name[i]) != prefix[i]) return false;
    return true;
}

Kind KindOf(std::u16string_view name)
{
    if (StartsWith(name, u"COM")) return Kind::Serial;
    if (StartsWith(name, u"LPT") || StartsWith(name, u"USB")) return Kind::Device;
    if (StartsWith(name, u"FILE")) return Kind::File;
    return Kind::Network;
}

std::string FileNameOf(std::u16string_view port)
{
    std::string name = Utf16ToUtf8(port);
    for (char& c : name)
        if (c == ':' || c == '\\' || c == '/') c = '_';
    return name;
}

LowerMonitor* Self(HANDLE monitor) { return static_cast<LowerMonitor*>(monitor); }

}  // namespace

struct LowerMonitor::Port {
    LowerMonitor* owner = nullptr;
    std::u16string name;
    Kind kind = Kind::Network;
    DWORD jobId = 0;
    bool inDocument = false;
    std::unique_ptr<TcpSocket> socket;
    std::unique_ptr<SerialPort> device;
    std::unique_ptr<File> file;
};

namespace {

LowerMonitor::Port* PortOf(HANDLE hPort) { return static_cast<LowerMonitor::Port*>(hPort); }

BOOL Fail(DWORD error)
{
    SetLastSystemError(error);
    return kBoolFalse;
}

// The table is called as C: an allocation that fails is the call's failure.
template <class F>
BOOL Guard(F&& body)
{
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return Fail(syserr::kNotEnoughMemory);
    }
}

BOOL CallOpenPort(HANDLE hMonitor, WCHAR* pName, HANDLE* pHandle)
{
    return Guard([&]() -> BOOL {
        DWORD error = 0;
        if (pName == nullptr || pHandle == nullptr) return Fail(syserr::kInvalidParameter);
        auto* port = Self(hMonitor)->OpenPort(pName, error);
        if (port == nullptr) return Fail(error);
        *pHandle = port;
        return kBoolTrue;
    });
}

BOOL CallStartDocPort(HANDLE hPort, WCHAR*, DWORD JobId, DWORD, BYTE*)
{
    return Guard([&]() -> BOOL {
        DWORD error = 0;
        auto* port = PortOf(hPort);
        return port->owner->StartDoc(*port, JobId, error) ? kBoolTrue : Fail(error);
    });
}

BOOL CallWritePort(HANDLE hPort, BYTE* pBuffer, DWORD cbBuf, DWORD* pcbWritten)
{
    return Guard([&]() -> BOOL {
        DWORD error = 0;
        auto* port = PortOf(hPort);
        *pcbWritten = 0;
        return port->owner->Write(*port, std::span<const uint8_t>(pBuffer, cbBuf), *pcbWritten, error) ? kBoolTrue
                                                                                                        : Fail(error);
    });
}

BOOL CallReadPort(HANDLE hPort, BYTE* pBuffer, DWORD cbBuffer, DWORD* pcbRead)
{
    return Guard([&]() -> BOOL {
        DWORD error = 0;
        auto* port = PortOf(hPort);
        *pcbRead = 0;
        return port->owner->Read(*port, std::span<uint8_t>(pBuffer, cbBuffer), *pcbRead, error) ? kBoolTrue
                                                                                                 : Fail(error);
    });
}

BOOL CallEndDocPort(HANDLE hPort)
{
    return Guard([&]() -> BOOL {
        auto* port = PortOf(hPort);
        port->owner->EndDoc(*port);
        return kBoolTrue;
    });
}

BOOL CallClosePort(HANDLE hPort)
{
    return Guard([&]() -> BOOL {
        auto* port = PortOf(hPort);
        port->owner->Close(port);
        return kBoolTrue;
    });
}

BOOL CallGetPrinterDataFromPort(HANDLE hPort, DWORD ControlID, WCHAR*, WCHAR*, DWORD, WCHAR* lpOutBuffer,
                                DWORD cbOutBuffer, DWORD* lpcbReturned)
{
    DWORD error = 0;
    auto* port = PortOf(hPort);
    DWORD returned = 0;
    const bool ok = port->owner->Query(
        *port, ControlID, std::span<uint8_t>(reinterpret_cast<uint8_t*>(lpOutBuffer), cbOutBuffer), returned, error);
    if (lpcbReturned != nullptr) *lpcbReturned = returned;
    return ok ? kBoolTrue : Fail(error);
}

BOOL CallSetPortTimeOuts(HANDLE hPort, mon::COMMTIMEOUTS* lpCTO, DWORD)
{
    auto* port = PortOf(hPort);
    if (lpCTO == nullptr) return Fail(syserr::kInvalidParameter);
    port->owner->Record("SetPortTimeOuts " + Utf16ToUtf8(port->name) + " " +
                        std::to_string(lpCTO->ReadTotalTimeoutConstant));
    return kBoolTrue;
}

struct XcvHandle {
    LowerMonitor* owner;
    std::u16string port;
};

BOOL CallXcvOpenPort(HANDLE hMonitor, const WCHAR* pszObject, DWORD, HANDLE* phXcv)
{
    if (pszObject == nullptr || phXcv == nullptr) return Fail(syserr::kInvalidParameter);
    *phXcv = new XcvHandle{Self(hMonitor), pszObject};
    return kBoolTrue;
}

DWORD CallXcvDataPort(HANDLE hXcv, const WCHAR* pszDataName, BYTE* pInputData, DWORD cbInputData,
                      BYTE* pOutputData, DWORD cbOutputData, DWORD* pcbOutputNeeded)
{
    auto* xcv = static_cast<XcvHandle*>(hXcv);
    if (pszDataName == nullptr || std::u16string_view(pszDataName) != u"GetConfigInfo") return syserr::kInvalidParameter;
    if (pcbOutputNeeded != nullptr) *pcbOutputNeeded = sizeof(mon::PORT_DATA_1);
    if (pInputData == nullptr || cbInputData < sizeof(mon::CONFIG_INFO_DATA_1)) return syserr::kInvalidParameter;
    mon::CONFIG_INFO_DATA_1 in;
    std::memcpy(&in, pInputData, sizeof(in));
    if (in.dwVersion != 1) return syserr::kInvalidLevel;
    if (pOutputData == nullptr || cbOutputData < sizeof(mon::PORT_DATA_1)) return syserr::kInsufficientBuffer;
    mon::PORT_DATA_1 out{};
    const DWORD result = xcv->owner->ConfigInfo(xcv->port, out);
    if (result == 0) std::memcpy(pOutputData, &out, sizeof(out));
    return result;
}

BOOL CallXcvClosePort(HANDLE hXcv)
{
    delete static_cast<XcvHandle*>(hXcv);
    return kBoolTrue;
}

}  // namespace

LowerMonitor::LowerMonitor(Parts parts, SettingsOf settings) : parts_(parts), settings_(std::move(settings))
{
    table_.cbSize = sizeof(table_);
    table_.pfnOpenPort = &CallOpenPort;
    table_.pfnStartDocPort = &CallStartDocPort;
    table_.pfnWritePort = &CallWritePort;
    table_.pfnReadPort = &CallReadPort;
    table_.pfnEndDocPort = &CallEndDocPort;
    table_.pfnClosePort = &CallClosePort;
    table_.pfnGetPrinterDataFromPort = &CallGetPrinterDataFromPort;
    table_.pfnSetPortTimeOuts = &CallSetPortTimeOuts;
    table_.pfnXcvOpenPort = &CallXcvOpenPort;
    table_.pfnXcvDataPort = &CallXcvDataPort;
    table_.pfnXcvClosePort = &CallXcvClosePort;
}

LowerMonitor::~LowerMonitor() = default;

void LowerMonitor::Record(std::string line)
{
    std::lock_guard lock(mutex_);
    // The record is for tests to read; without memory its line is lost, and
    // the port's call, which a C caller made, goes on.
    try {
        calls_.push_back(std::move(line));
    } catch (const std::bad_alloc&) {
    }
    if (calls_.size() > kCallsKept) calls_.pop_front();
}

std::vector<std::string> LowerMonitor::Calls()
{
    std::lock_guard lock(mutex_);
    return {calls_.begin(), calls_.end()};
}

LowerMonitor::Port* LowerMonitor::OpenPort(std::u16string_view name, DWORD& error)
{
    Record("OpenPort " + Utf16ToUtf8(name));
    auto port = std::make_unique<Port>();
    port->owner = this;
    port->name.assign(name);
    port->kind = KindOf(name);
    if (port->kind == Kind::Network && settings_(name).hostAddress.empty()) {
        error = syserr::kFileNotFound;
        return nullptr;
    }
    return port.release();
}

bool LowerMonitor::StartDoc(Port& port, DWORD jobId, DWORD& error)
{
    Record("StartDocPort " + Utf16ToUtf8(port.name) + " " + std::to_string(jobId));
    const PortSettings settings = settings_(port.name);
    port.jobId = jobId;
    switch (port.kind) {
    case Kind::Network: {
        uint32_t address = 0;
        if (!parts_.sockets.ParseIPv4(settings.hostAddress, address)) {
            error = syserr::kInvalidParameter;
            return false;
        }
        auto socket = parts_.sockets.CreateTcp(error);
        if (!socket) return false;
        if (!socket->Connect(address, static_cast<uint16_t>(settings.portNumber))) {
            error = LastSystemError();
            return false;
        }
        port.socket = std::move(socket);
        break;
    }
    case Kind::Serial: {
        std::u16string device = port.name;
        if (!device.empty() && device.back() == u':') device.pop_back();
        port.device = parts_.serial.Open(u"\\\\.\\" + device, error);
        if (!port.device) return false;
        break;
    }
    case Kind::Device:
    case Kind::File: {
        const std::string folder = settings.outputFolder;
        parts_.files.MakeFolder(folder);
        const std::string path = JoinPath(folder, FileNameOf(port.name) + "_" + std::to_string(jobId) + ".prn");
        bool existed = false;
        port.file = parts_.files.OpenOrCreate(path, existed, error);
        if (!port.file) return false;
        port.file->SeekToEnd();
        break;
    }
    }
    port.inDocument = true;
    return true;
}

bool LowerMonitor::Write(Port& port, std::span<const uint8_t> bytes, DWORD& written, DWORD& error)
{
    written = 0;
    if (!port.inDocument) {
        // The status thread writes its enable command outside documents on
        // LPT and USB ports; the device double takes it like any byte.
        if (port.kind != Kind::Device) {
            error = syserr::kInvalidHandle;
            return false;
        }
        written = static_cast<DWORD>(bytes.size());
    } else if (port.socket) {
        const int sent = port.socket->Send(bytes);
        if (sent < 0) {
            // The printer went away: the connection cannot carry this job on.
            error = syserr::kDeviceNotConnected;
            return false;
        }
        written = static_cast<DWORD>(sent);
    } else if (port.device) {
        if (!port.device->Write(bytes, written)) {
            error = LastSystemError();
            if (written == 0) return false;
        }
    } else if (port.file) {
        written = port.file->Write(bytes);
        if (written < bytes.size()) {
            error = syserr::kWriteFault;
            return false;
        }
    }
    return true;
}

bool LowerMonitor::Read(Port& port, std::span<uint8_t>, DWORD& read, DWORD&)
{
    Record("ReadPort " + Utf16ToUtf8(port.name));
    read = 0;
    return true;
}

void LowerMonitor::EndDoc(Port& port)
{
    // The document ends before the record's line is made, which may find
    // no memory.
    struct RecordAfter {
        LowerMonitor& self;
        Port& port;
        ~RecordAfter()
        {
            try {
                self.Record("EndDocPort " + Utf16ToUtf8(port.name));
            } catch (const std::bad_alloc&) {
            }
        }
    } recordAfter{*this, port};
    if (port.socket) {
        port.socket->Shutdown();
        port.socket->Close();
    }
    port.socket.reset();
    if (port.device) port.device->Close();
    port.device.reset();
    port.file.reset();
    port.inDocument = false;
}

void LowerMonitor::Close(Port* port)
{
    std::unique_ptr<Port> owned(port);
    Record("ClosePort " + Utf16ToUtf8(port->name));
    if (port->inDocument) EndDoc(*port);
}

bool LowerMonitor::Query(Port& port, DWORD code, std::span<uint8_t> out, DWORD& returned, DWORD& error)
{
    returned = 0;
    const PortSettings settings = settings_(port.name);
    if (port.kind == Kind::Device && code == mon::IOCTL_PAR_QUERY_INFORMATION && settings.parallelStatus &&
        !out.empty()) {
        out[0] = *settings.parallelStatus;
        returned = 1;
        return true;
    }
    if (port.kind == Kind::Device && code == mon::IOCTL_PAR_QUERY_DEVICE_ID && !settings.deviceId.empty()) {
        returned = static_cast<DWORD>(std::min(out.size(), settings.deviceId.size()));
        std::memcpy(out.data(), settings.deviceId.data(), returned);
        return true;
    }
    error = syserr::kNotSupported;
    return false;
}

DWORD LowerMonitor::ConfigInfo(std::u16string_view port, mon::PORT_DATA_1& out)
{
    Record("XcvData GetConfigInfo " + Utf16ToUtf8(port));
    const PortSettings settings = settings_(port);
    if (settings.hostAddress.empty()) return syserr::kFileNotFound;
    out = mon::PORT_DATA_1{};
    const auto copy = [](std::u16string_view text, WCHAR* field, size_t capacity) {
        const size_t n = std::min(text.size(), capacity - 1);
        std::copy(text.begin(), text.begin() + n, field);
    };
    copy(port, out.sztPortName, std::size(out.sztPortName));
    copy(settings.hostAddress, out.sztHostAddress, std::size(out.sztHostAddress));
    out.dwVersion = 1;
    out.dwProtocol = mon::PROTOCOL_RAWTCP_TYPE;
    out.cbSize = sizeof(out);
    out.dwPortNumber = settings.portNumber;
    return 0;
}

}  // namespace lt77::host
