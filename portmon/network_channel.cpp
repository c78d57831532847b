#include <algorithm>
#include <chrono>
#include <cstring>
#include <random>

#include "platform/icmp_socket.h"
#include "platform/system_error.h"
#include "portmon/channels.h"
#include "portmon/icmp_echo.h"
#include "portmon/monitor_trace.h"

namespace lt77::portmon {
namespace {

constexpr DWORD kReceiveTimeoutMs = 1000;
constexpr DWORD kEchoWaitMs = 150;
constexpr DWORD kEchoGapMs = 10;
constexpr int kEchoAttempts = 3;
constexpr size_t kEchoReceiveBytes = 128;
constexpr size_t kHostAddressChars = std::size(mon::PORT_DATA_1{}.sztHostAddress);

void StartSocketLibrary(Monitor& monitor, IniPort& port)
{
    if (monitor.sys.sockets.Startup() == 0) port.socketLibraryStarted = true;
}

void ReleaseSocketLibrary(Monitor& monitor, IniPort& port)
{
    if (!port.socketLibraryStarted) return;
    monitor.sys.sockets.Cleanup();
    port.socketLibraryStarted = false;
}

uint16_t RandomIdentifier()
{
    static thread_local std::mt19937 engine{std::random_device{}()};
    return static_cast<uint16_t>(engine());
}

}  // namespace

void KelNetInitialize(Monitor& monitor, IniPort& port)
{
    const DWORD error = monitor.sys.sockets.Startup();
    if (error != 0) {
        Trace(monitor, "KelNetInitialize : [%s] WSAStartup failed with (%d) \r\n", Narrow(port.portName).c_str(),
              static_cast<int>(error));
        return;
    }
    port.socketLibraryStarted = true;
    port.VavEriSocket.reset();
    port.netState = KELNET_INITIALIZED;
}

bool KelGetNetworkPortInfo(Monitor& monitor, HANDLE hMonitorPort, IniPort& port, std::u16string_view portName,
                           const mon::MONITOR2* lower)
{
    const std::string name = Narrow(portName);
    if (lower == nullptr || !lower->pfnXcvOpenPort || !lower->pfnXcvDataPort || !lower->pfnXcvClosePort) {
        Trace(monitor, "KelGetNetworkPortInfo : [%s] Invalid port monitors passed to XcvOpenPort. \r\n", name.c_str());
        return false;
    }
    const std::u16string object(portName);
    HANDLE xcv = nullptr;
    if (!lower->pfnXcvOpenPort(hMonitorPort, object.c_str(), mon::XCV_PORT_ACCESS, &xcv)) return false;

    mon::CONFIG_INFO_DATA_1 in{};
    in.dwVersion = 1;
    mon::PORT_DATA_1 out{};
    DWORD needed = 0;
    const DWORD result = lower->pfnXcvDataPort(xcv, u"GetConfigInfo", reinterpret_cast<BYTE*>(&in), sizeof(in),
                                               reinterpret_cast<BYTE*>(&out), sizeof(out), &needed);
    bool ok = false;
    if (result == 0) {
        // The answer comes from another monitor: an address without its
        // terminator is cut at the field's end rather than read past it.
        const auto* begin = out.sztHostAddress;
        const auto* end = std::find(begin, begin + kHostAddressChars, u'\0');
        try {
            port.ipAddress.assign(begin, end);
            port.tcpPortNumber = out.dwPortNumber;
            ok = true;
        } catch (const std::bad_alloc&) {
            ok = false;
        }
    } else {
        Trace(monitor, "KelGetNetworkPortInfo : [%s] failed to pfnXcvDataPort : Port Number = %d Error Status = %d \r\n",
              name.c_str(), static_cast<int>(out.dwPortNumber), static_cast<int>(result));
    }
    lower->pfnXcvClosePort(xcv);
    return ok;
}

void KelNetDisconnect(Monitor& monitor, IniPort& port, DWORD pauseMs)
{
    {
        std::lock_guard lock(monitor.networkLock);
        if (port.netState == KELNET_CONNECTED || port.VavEriSocket) {
            bool ok = true;
            if (port.VavEriSocket) {
                ok = port.VavEriSocket->Shutdown();
                ok = port.VavEriSocket->Close() && ok;
            }
            if (!ok) ReleaseSocketLibrary(monitor, port);
        }
        port.VavEriSocket.reset();
        port.netState = KELNET_INITIALIZED;
    }
    if (pauseMs != 0) monitor.sys.waits.Pause(pauseMs);
}

void KelNetCleanup(Monitor& monitor, IniPort& port)
{
    if (port.VavEriSocket && !port.VavEriSocket->Close())
        Trace(monitor, "KelNetCleanup : close failed with error : %d \r\n", static_cast<int>(LastSystemError()));
    port.VavEriSocket.reset();
    // The port's own start of the socket library is released however the
    // connection ended, so that starts and releases stay paired.
    ReleaseSocketLibrary(monitor, port);
    port.netState = KELNET_NONE;
}

bool KelNetWritePort(Monitor& monitor, IniPort& port)
{
    const std::string name = Narrow(port.portName);
    if (port.Has(PP_PORT_OFFLINE)) KelNetDisconnect(monitor, port, 500);
    if (!port.VavEriSocket) {
        DWORD error = 0;
        auto socket = monitor.sys.sockets.CreateTcp(error);
        if (!socket) {
            if (error == syserr::kWsaNotInitialised) StartSocketLibrary(monitor, port);
            KelNetDisconnect(monitor, port, 0);
            return false;
        }
        socket->SetNoDelay(true);
        socket->SetDontLinger(true);
        if (!socket->SetReceiveTimeout(kReceiveTimeoutMs)) {
            KelNetDisconnect(monitor, port, 0);
            return false;
        }
        uint32_t address = 0;
        if (!monitor.sys.sockets.ParseIPv4(port.ipAddress, address))
            Trace(monitor, "KelNetWritePort : [%s] inet_pton failed for %s \r\n", name.c_str(),
                  Narrow(port.ipAddress).c_str());
        if (!socket->Connect(address, static_cast<uint16_t>(port.tcpPortNumber))) {
            Trace(monitor, "KelNetWritePort : [%s] connect failed with (%d) \r\n", name.c_str(),
                  static_cast<int>(LastSystemError()));
            KelNetDisconnect(monitor, port, 0);
            return false;
        }
        port.VavEriSocket = std::move(socket);
    }
    if (port.VavEriSocket->Send(kAsbEnableCommand) != static_cast<int>(sizeof(kAsbEnableCommand))) {
        KelNetDisconnect(monitor, port, 0);
        return false;
    }
    port.netState = KELNET_CONNECTED;
    return true;
}

bool KelNetReadPort(Monitor& monitor, IniPort& port, std::span<uint8_t> buffer, DWORD& read)
{
    read = 0;
    if (!port.VavEriSocket) {
        Trace(monitor, "KelNetReadPort : gMonSocket is INVALID_SOCKET \r\n");
        return false;
    }
    const int received = port.VavEriSocket->Receive(buffer);
    if (received > 0) {
        read = std::min<DWORD>(static_cast<DWORD>(received), static_cast<DWORD>(buffer.size()));
        return true;
    }
    if (received == 0) {
        Trace(monitor, "KelNetReadPort : the connection was closed gracefully \r\n");
        return false;
    }
    const DWORD error = LastSystemError();
    if (error == syserr::kWsaTimedOut) Trace(monitor, "KelNetReadPort : WSAETIMEDOUT \r\n");
    SetLastSystemError(error);
    return false;
}

bool KelNetPing(Monitor& monitor, IniPort& port, std::u16string_view ipAddress)
{
    DWORD error = 0;
    auto socket = monitor.sys.sockets.CreateIcmp(error);
    if (!socket) {
        if (error == syserr::kWsaNotInitialised) StartSocketLibrary(monitor, port);
        return false;
    }
    uint32_t address = 0;
    monitor.sys.sockets.ParseIPv4(ipAddress, address);
    const uint16_t identifier = RandomIdentifier();
    const auto portAddress = reinterpret_cast<uintptr_t>(&port);

    for (uint16_t sequence = 0; sequence < kEchoAttempts && port.Has(PP_THREAD_CREATED); ++sequence) {
        const auto request = BuildEchoRequest(identifier, sequence);
        const auto sentAt = std::chrono::steady_clock::now();
        if (!socket->SendTo(address, request)) return false;
        const auto deadline = sentAt + std::chrono::milliseconds(kEchoWaitMs);
        EchoVerdict verdict = EchoVerdict::NotOurs;
        uint8_t ttl = 0;
        int received = 0;
        // Packets that are not this request's reply do not use up the attempt.
        while (verdict == EchoVerdict::NotOurs) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline -
                                                                                   std::chrono::steady_clock::now());
            if (left.count() <= 0) break;
            const int ready = socket->WaitReadable(static_cast<DWORD>(left.count()));
            if (ready < 0) return false;
            if (ready == 0) break;
            uint8_t reply[kEchoReceiveBytes];
            received = socket->Receive(reply);
            if (received < 0) return false;
            verdict = CheckEchoReply(std::span<const uint8_t>(reply, static_cast<size_t>(received)), identifier,
                                     sequence, ttl);
        }
        if (verdict == EchoVerdict::Valid) {
            const auto took =
                std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - sentAt);
            Trace(monitor, "KelNetPing : Reply from %s: bytes=%d time=%dms TTL=%d \r\n", Narrow(ipAddress).c_str(),
                  received, static_cast<int>(took.count()), ttl);
            return true;
        }
        if (verdict == EchoVerdict::Wrong)
            Trace(monitor, "KelNetPing : the echo reply is NOT correct. pIniPort=0x%x \r\n",
                  static_cast<unsigned>(portAddress));
        else
            Trace(monitor, "KelNetPing : ping request timed out. pIniPort = 0x%x\r\n",
                  static_cast<unsigned>(portAddress));
        monitor.sys.waits.Pause(kEchoGapMs);
    }
    return false;
}

bool IsPrinterAvailable(Monitor& monitor, IniPort& port)
{
    const auto query = [&](DWORD code, std::span<uint8_t> out) -> DWORD {
        if (!port.lower.pfnGetPrinterDataFromPort) return 0;
        DWORD returned = 0;
        if (!port.lower.pfnGetPrinterDataFromPort(port.hPort, code, nullptr, nullptr, 0,
                                                  reinterpret_cast<WCHAR*>(out.data()),
                                                  static_cast<DWORD>(out.size()), &returned))
            return 0;
        return std::min<DWORD>(returned, static_cast<DWORD>(out.size()));
    };
    const auto deviceIdAnswers = [&] {
        std::vector<uint8_t> id(1024);
        return query(mon::IOCTL_PAR_QUERY_DEVICE_ID, id) > 0;
    };

    switch (port.dwPortType) {
    case PORT_TYPE_SERIAL: {
        const auto modem = port.hFile ? port.hFile->ModemStatus() : std::nullopt;
        if (!modem) return port.Has(PP_INSTARTDOC);
        if ((*modem & MS_CTS_ON) != 0) return true;
        return port.hFile->QueuedInput().value_or(0) >= 2;
    }
    case PORT_TYPE_PARALLEL: {
        uint8_t status = 0;
        if (query(mon::IOCTL_PAR_QUERY_INFORMATION, std::span<uint8_t>(&status, 1)) == 0) {
            Trace(monitor, "IsPrinterAvailable : [%s] GETPOWERINFO, LastError = %d \r\n",
                  Narrow(port.portName).c_str(), static_cast<int>(LastSystemError()));
            return false;
        }
        if ((status & mon::PARALLEL_OFF_LINE) != 0) return false;
        if ((status & mon::PARALLEL_POWER_OFF) == 0) return true;
        return deviceIdAnswers();
    }
    case PORT_TYPE_USB:
        return deviceIdAnswers();
    case PORT_TYPE_NETWORK: {
        std::lock_guard lock(monitor.networkLock);
        return KelNetPing(monitor, port, port.ipAddress);
    }
    default:
        return true;
    }
}

}  // namespace lt77::portmon
