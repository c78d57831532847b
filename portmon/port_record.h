// The port record (the handle the spooler holds for an open port), its job
// entries, the port list and the port-type locks.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "platform/monitor/monitor_abi.h"
#include "platform/serial_port.h"
#include "platform/spooler.h"
#include "platform/tcp_socket.h"
#include "portmon/monitor.h"

namespace lt77::portmon {

inline constexpr DWORD PJ_SIGNATURE = 0x4F4A;

inline constexpr DWORD PP_INSTARTDOC = 0x1;
inline constexpr DWORD PP_THREAD_CREATED = 0x2;
inline constexpr DWORD PP_PORT_OFFLINE = 0x8;
inline constexpr DWORD PP_DOSDEV_DEFINED = 0x1000;

inline constexpr DWORD PORT_TYPE_NONE = 0;
inline constexpr DWORD PORT_TYPE_SERIAL = 1;
inline constexpr DWORD PORT_TYPE_PARALLEL = 2;
inline constexpr DWORD PORT_TYPE_USB = 3;
inline constexpr DWORD PORT_TYPE_NETWORK = 4;
inline constexpr DWORD PORT_TYPE_FILE = 5;

inline constexpr DWORD KELNET_NONE = 0;
inline constexpr DWORD KELNET_INITIALIZED = 1;
inline constexpr DWORD KELNET_CONNECTED = 2;

inline constexpr DWORD kAllJobs = 0xFFFFFFFFu;
inline constexpr DWORD kJobEntryLinked = 0x1;

struct JobEntry {
    std::unique_ptr<JobEntry> next;  // older entries
    std::u16string printerName;
    std::unique_ptr<QueueHandle> printer;
    DWORD jobId = 0;
    DWORD flags = 0;
};

struct IniPort {
    DWORD signature = 0;
    std::unique_ptr<IniPort> next;
    std::u16string portName;
    LONG cRef = 0;
    // Read and changed by the spooler's threads and the status thread
    // without a lock; each change is one atomic read-modify-write.
    std::atomic<DWORD> dwStatus{0};
    std::unique_ptr<JobEntry> jobs;  // newest first; guarded by the spooler section
    HANDLE hPort = nullptr;
    std::atomic<DWORD> dwPrinterStatus{0};
    DWORD dwPortType = PORT_TYPE_NONE;
    bool socketLibraryStarted = false;
    std::unique_ptr<TcpSocket> VavEriSocket;  // none: INVALID_SOCKET
    DWORD netState = KELNET_NONE;
    std::u16string ipAddress;
    DWORD tcpPortNumber = 0;
    std::atomic<DWORD> lastReadError{0};
    std::unique_ptr<SerialPort> hFile;  // none: INVALID_HANDLE_VALUE
    mon::MONITOR2 lower{};

    // The status thread has one owner, the record: whoever stops it joins
    // it, once, under threadLock; the thread never releases itself.
    std::mutex threadLock;
    std::thread hUStatusThread;

    // StartDocPort replaces the printer name while the status thread reads
    // it, so it is only copied under its lock.
    std::u16string PrinterName() const;
    void SetPrinterName(std::u16string_view name);
    bool HasPrinterName() const;

    bool Has(DWORD flag) const { return (dwStatus.load() & flag) != 0; }
    void Set(DWORD flag) { dwStatus.fetch_or(flag); }
    void Clear(DWORD flag) { dwStatus.fetch_and(~flag); }

private:
    mutable std::mutex nameLock_;
    std::u16string printerName_;
};

// Port type of a name: 1-5, or PORT_TYPE_NONE when not supported.
DWORD GetSupportedPortType(Monitor& monitor, std::u16string_view portName);
bool IsNETPort(Monitor& monitor, std::u16string_view portName);

// The caller holds the spooler section.
IniPort* CreateIniPortEntry(Monitor& monitor, std::u16string_view printerName,
                            std::u16string_view portName);
void DeletePortEntry(Monitor& monitor, IniPort* port);
// Case-insensitive; a null or empty name matches nothing.
IniPort* FindPort(Monitor& monitor, std::u16string_view portName);

// Finishes and releases job entries: all of them (kAllJobs), or the oldest
// entry of that id together with every older one.
void FreeJobs(Monitor& monitor, IniPort& port, DWORD jobId);

// The trace's report when the caller should (or should not) own the section.
void CheckInSpoolerSection(Monitor& monitor);
void CheckOutsideSpoolerSection(Monitor& monitor);

// The lock of the record's port type; file ports take none.
void VavEriEnterCriticalSection(Monitor& monitor, IniPort& port);
void VavEriLeaveCriticalSection(Monitor& monitor, IniPort& port);

class PortTypeLock {
public:
    PortTypeLock(Monitor& monitor, IniPort& port) : monitor_(monitor), port_(port)
    {
        VavEriEnterCriticalSection(monitor_, port_);
    }
    ~PortTypeLock() { Release(); }
    void Release()
    {
        if (held_) VavEriLeaveCriticalSection(monitor_, port_);
        held_ = false;
    }
    PortTypeLock(const PortTypeLock&) = delete;
    PortTypeLock& operator=(const PortTypeLock&) = delete;

private:
    Monitor& monitor_;
    IniPort& port_;
    bool held_ = true;
};

// A wide string from a spooler argument, empty for null.
std::u16string_view WideArg(const WCHAR* text);

}  // namespace lt77::portmon
