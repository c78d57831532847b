// The system parts a monitor under test runs on: the spooler's job and port
// calls recorded in memory, a lower port monitor whose ports keep what is
// written to them and answer as scripted, serial devices and ICMP sockets
// that answer from scripts, and pauses that are counted rather than waited.
// Every part may be called from the status thread and the test at once.
#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "host/memory_spooler.h"
#include "platform/icmp_socket.h"
#include "portmon/monitor.h"

namespace lt77::portmon::testing {

struct SpoolerCall {
    std::string what;  // "SetPort", "SetJob", "GetJob", "SetPrinter"
    DWORD a = 0, b = 0, c = 0;
    std::u16string name;
};

class FakePortSpooler final : public PortSpooler {
public:
    DWORD GetJob1(HANDLE printer, DWORD jobId, JobLevel1& out) override;
    DWORD SetJobCommand(HANDLE printer, DWORD jobId, const JobLevel1* job, DWORD command) override;
    DWORD SetPortStatus(std::u16string_view portName, const PortStatus& status) override;
    DWORD GetPrinterAttributes(HANDLE printer, DWORD& attributes) override;
    DWORD SetPrinterAttributes(HANDLE printer, DWORD attributes) override;
    bool RevertToSelf() override;
    HANDLE RevertToPrinterSelf() override;
    bool ImpersonatePrinterClient(HANDLE token) override;

    void AddJob(DWORD jobId, DWORD status = 0);
    std::optional<DWORD> JobStatus(DWORD jobId);
    bool HasJob(DWORD jobId);
    std::vector<SpoolerCall> Calls();
    std::vector<SpoolerCall> CallsOf(const std::string& what);
    // The last SetPort of the port, or none.
    std::optional<PortStatus> LastPortStatus(std::u16string_view port);
    // Waits up to 5 s for a SetPort that matches.
    bool WaitForPortStatus(std::u16string_view port, DWORD status, DWORD severity);

    std::atomic<DWORD> attributes{mon::PRINTER_ATTRIBUTE_ENABLE_BIDI};
    std::atomic<DWORD> setPortError{0};
    std::atomic<DWORD> getPrinterError{0};
    std::atomic<DWORD> getJobError{0};
    // After this many more GetJob calls every job reads as being deleted (-1: never).
    std::atomic<int> deletingAfterGets{-1};
    std::atomic<int> identityBalance{0};

private:
    void Record(SpoolerCall call);
    std::mutex mutex_;
    std::condition_variable changed_;
    std::map<DWORD, DWORD> jobs_;  // id -> status; deleted jobs leave
    std::vector<SpoolerCall> calls_;
};

// A lower monitor port: keeps the bytes written, answers reads and device
// queries from its script, fails writes on request.
struct LowerPort {
    std::u16string name;
    std::vector<uint8_t> written;
    std::vector<DWORD> writeSizes;  // what each WritePort call was offered
    std::deque<std::vector<uint8_t>> replies;
    DWORD maxPerWrite = 0xFFFFFFFFu;
    DWORD failWritesWith = 0;       // non-zero: every write fails with it, writing nothing
    int failWritesLeft = -1;        // writes that fail before they work again; -1 without end
    std::optional<uint8_t> parallelStatus;
    std::string deviceId = "MFG:LT;MDL:LT-77;";
    int startDocs = 0, endDocs = 0;
    int deviceIdQueries = 0;
    bool open = true;
};

class FakeLowerMonitor {
public:
    FakeLowerMonitor();
    mon::MONITOR2 table{};
    HANDLE Handle() { return this; }

    LowerPort& Port(std::u16string_view name);  // made on first use
    std::mutex mutex;
    std::map<std::u16string, LowerPort> ports;
    DWORD openError = 0;
    // "GetConfigInfo" answer for network ports; result 0 when set.
    std::u16string hostAddress = u"127.0.0.1";
    DWORD tcpPortNumber = 9100;
    DWORD xcvResult = 0;
    int xcvOpens = 0, xcvCloses = 0;
};

class FakeSerialPort;

// A serial line whose far end the test plays.
struct SerialLineScript {
    std::mutex mutex;
    std::deque<uint8_t> input;  // bytes the printer sent, waiting to be read
    std::vector<uint8_t> output;
    std::optional<DWORD> modem = MS_CTS_ON;
    SerialLine line;
    SerialTimeouts timeouts;
    int opens = 0, closes = 0;
    // Called after each write: the printer's answer to it, appended to input.
    std::function<std::vector<uint8_t>(const std::vector<uint8_t>&)> answer;
};

class FakeSerialDevices final : public SerialDevices {
public:
    std::optional<std::vector<std::u16string>> QueryTargets(std::u16string_view device) override;
    bool DefineRawAlias(std::u16string_view alias, std::u16string_view target) override;
    bool RemoveAlias(std::u16string_view alias) override;
    std::unique_ptr<SerialPort> Open(std::u16string_view path, DWORD& error) override;
    bool BuildLine(std::u16string_view mode, SerialLine& line) override;

    std::mutex mutex;
    std::map<std::u16string, std::vector<std::u16string>> targets;  // device -> targets
    std::map<std::u16string, std::u16string> aliases;
    std::map<std::u16string, SerialLineScript> lines;  // by target
    std::vector<std::u16string> modesBuilt;
    DWORD openError = 0;
};

// ICMP sockets whose replies a function makes from each request.
class FakeSockets final : public SocketLibrary {
public:
    DWORD Startup() override;
    bool Cleanup() override;
    std::unique_ptr<TcpSocket> CreateTcp(DWORD& error) override;
    std::unique_ptr<IcmpSocket> CreateIcmp(DWORD& error) override;
    bool ParseIPv4(std::u16string_view text, uint32_t& ipv4) override;

    std::atomic<int> starts{0}, cleanups{0};
    // Replies to one request (IP header included); none: the wait times out.
    std::function<std::vector<std::vector<uint8_t>>(const std::vector<uint8_t>& request)> echo;
    std::atomic<int> echoRequests{0};
    SocketLibrary* tcp = nullptr;  // the real one, for TCP tests
};

class MemorySharedMemory final : public SharedMemory {
public:
    std::unique_ptr<SharedSection> CreateStatusSection(std::u16string_view name, DWORD bytes, DWORD& error) override;
    std::unique_ptr<SharedSection> Open(std::u16string_view name, bool writable, DWORD& error) override;
    // A copy of a section's bytes, or none.
    std::optional<std::vector<uint8_t>> Read(std::u16string_view name);
    std::atomic<DWORD> createError{0};
    std::atomic<int> failMaps{0};

    std::mutex mutex;
    std::map<std::u16string, std::shared_ptr<std::vector<uint8_t>>> sections;
};

class FakeRegistry final : public Registry {
public:
    RegistryRead ReadMachineString(std::string_view keyPath, std::u16string_view value, DWORD maxBytes,
                                   std::u16string& out) override;
    std::mutex mutex;
    bool keyExists = true;
    std::map<std::u16string, std::u16string> ports;  // value name -> mode
};

class CountingWaits final : public Waits {
public:
    explicit CountingWaits(bool really) : really_(really) {}
    void Pause(DWORD ms) override;
    std::vector<DWORD> Pauses();
    void Forget();

private:
    bool really_;
    std::mutex mutex_;
    std::vector<DWORD> pauses_;
};

class FakeClock final : public Clock {
public:
    LocalTime Now() override { return LocalTime{2026, 12, 2, 7, 10, 20, 30, 400}; }
};

// One monitor's whole system. `realTime` makes pauses wait, for tests
// where the status thread runs.
struct FakeSystem {
    explicit FakeSystem(bool realTime = false);
    host::MemorySpooler spooler;
    FakePortSpooler ports;
    FakeSerialDevices serial;
    FakeSockets sockets;
    MemorySharedMemory sharedMemory;
    FakeRegistry registry;
    CountingWaits waits;
    FakeClock clock;
    MonitorSystem system;
};

}  // namespace lt77::portmon::testing
