// The monitor-wide state of one loaded port monitor, and what it takes from
// the system. Every operation of the monitor receives the Monitor it runs
// in, so that tests can run one beside another with their own system parts;
// the exported entry points use the one instance of the loaded library.
#pragma once

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "platform/clock.h"
#include "platform/files.h"
#include "platform/monitor/monitor_abi.h"
#include "platform/oem/abi_types.h"
#include "platform/port_spooler.h"
#include "platform/registry.h"
#include "platform/serial_port.h"
#include "platform/shared_memory.h"
#include "platform/spooler.h"
#include "platform/tcp_socket.h"

namespace lt77::portmon {

// The monitor's pauses (between writes, after commands, between polls), so
// that single-threaded tests can count them instead of waiting.
class Waits {
public:
    virtual ~Waits() = default;
    virtual void Pause(DWORD ms) = 0;
};

struct MonitorSystem {
    Spooler& spooler;
    PortSpooler& ports;
    FileSystem& files;
    Clock& clock;
    SerialDevices& serial;
    SocketLibrary& sockets;
    SharedMemory& sharedMemory;
    Registry& registry;
    Waits& waits;
};

// The target's own parts.
MonitorSystem& SystemMonitorSystem();

// The main lock ("spooler critical section" in the trace). Re-entrant, and it
// knows its owner, which the list operations check for their diagnostics.
class SpoolerSection {
public:
    void Enter();
    void Leave();
    bool OwnedByCaller() const;
    uint32_t OwnerThreadId() const { return owner_.load(); }

private:
    std::recursive_mutex mutex_;
    std::atomic<uint32_t> owner_{0};
    int depth_ = 0;
};

class SpoolerSectionLock {
public:
    explicit SpoolerSectionLock(SpoolerSection& section) : section_(section) { section_.Enter(); }
    ~SpoolerSectionLock() { section_.Leave(); }
    SpoolerSectionLock(const SpoolerSectionLock&) = delete;
    SpoolerSectionLock& operator=(const SpoolerSectionLock&) = delete;

private:
    SpoolerSection& section_;
};

struct IniPort;

inline constexpr DWORD kDefaultEojTimeoutMs = 7000;

struct Monitor {
    explicit Monitor(MonitorSystem& system);
    ~Monitor();
    Monitor(const Monitor&) = delete;
    Monitor& operator=(const Monitor&) = delete;

    MonitorSystem& sys;

    std::unique_ptr<IniPort> ports;  // newest first
    SpoolerSection spoolerSection;
    std::mutex networkLock;
    std::mutex typeLocks[4];  // serial, parallel, USB, network

    std::atomic<DWORD> currentJobId{0};
    std::atomic<bool> traceOn{true};
    mon::MONITORINIT init{};
    DWORD eojTimeoutMs = kDefaultEojTimeoutMs;

    // One status section per printer, held until the monitor goes away.
    std::mutex sectionsLock;
    std::map<std::u16string, std::unique_ptr<SharedSection>> sections;

    std::string traceFolder;  // empty when it could not be made
};

// "C:\temp\LT-77" of the system's Windows drive; created when its parent
// exists. Returns the folder, or empty when there is none to write to.
std::string PrepareTraceFolder(FileSystem& files);

}  // namespace lt77::portmon
