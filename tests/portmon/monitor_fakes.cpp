#include "tests/portmon/monitor_fakes.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include "common/utf.h"
#include "platform/system_error.h"

namespace lt77::portmon::testing {
namespace {

using namespace std::chrono_literals;

// --- lower monitor -------------------------------------------------------

FakeLowerMonitor* LowerOf(HANDLE monitor) { return static_cast<FakeLowerMonitor*>(monitor); }

struct LowerHandle {
    FakeLowerMonitor* monitor;
    std::u16string name;
};

LowerPort* PortOf(HANDLE hPort, FakeLowerMonitor*& monitor)
{
    auto* handle = static_cast<LowerHandle*>(hPort);
    monitor = handle->monitor;
    return &monitor->ports[handle->name];
}

BOOL LowerOpenPort(HANDLE hMonitor, WCHAR* pName, HANDLE* pHandle)
{
    FakeLowerMonitor* lower = LowerOf(hMonitor);
    std::lock_guard lock(lower->mutex);
    if (lower->openError != 0) {
        SetLastSystemError(lower->openError);
        return kBoolFalse;
    }
    lower->ports[pName].name = pName;
    lower->ports[pName].open = true;
    *pHandle = new LowerHandle{lower, pName};
    return kBoolTrue;
}

BOOL LowerStartDocPort(HANDLE hPort, WCHAR*, DWORD, DWORD, BYTE*)
{
    FakeLowerMonitor* lower = nullptr;
    std::lock_guard lock(static_cast<LowerHandle*>(hPort)->monitor->mutex);
    ++PortOf(hPort, lower)->startDocs;
    return kBoolTrue;
}

BOOL LowerWritePort(HANDLE hPort, BYTE* pBuffer, DWORD cbBuf, DWORD* pcbWritten)
{
    FakeLowerMonitor* lower = nullptr;
    std::lock_guard lock(static_cast<LowerHandle*>(hPort)->monitor->mutex);
    LowerPort* port = PortOf(hPort, lower);
    port->writeSizes.push_back(cbBuf);
    *pcbWritten = 0;
    if (port->failWritesWith != 0 && port->failWritesLeft != 0) {
        if (port->failWritesLeft > 0) --port->failWritesLeft;
        SetLastSystemError(port->failWritesWith);
        return kBoolFalse;
    }
    const DWORD n = std::min(cbBuf, port->maxPerWrite);
    port->written.insert(port->written.end(), pBuffer, pBuffer + n);
    *pcbWritten = n;
    return kBoolTrue;
}

BOOL LowerReadPort(HANDLE hPort, BYTE* pBuffer, DWORD cbBuffer, DWORD* pcbRead)
{
    FakeLowerMonitor* lower = nullptr;
    std::lock_guard lock(static_cast<LowerHandle*>(hPort)->monitor->mutex);
    LowerPort* port = PortOf(hPort, lower);
    *pcbRead = 0;
    if (port->replies.empty()) return kBoolTrue;
    const auto& reply = port->replies.front();
    const DWORD n = std::min<DWORD>(cbBuffer, static_cast<DWORD>(reply.size()));
    std::memcpy(pBuffer, reply.data(), n);
    *pcbRead = n;
    port->replies.pop_front();
    return kBoolTrue;
}

BOOL LowerEndDocPort(HANDLE hPort)
{
    FakeLowerMonitor* lower = nullptr;
    std::lock_guard lock(static_cast<LowerHandle*>(hPort)->monitor->mutex);
    ++PortOf(hPort, lower)->endDocs;
    return kBoolTrue;
}

BOOL LowerClosePort(HANDLE hPort)
{
    auto* handle = static_cast<LowerHandle*>(hPort);
    {
        std::lock_guard lock(handle->monitor->mutex);
        handle->monitor->ports[handle->name].open = false;
    }
    delete handle;
    return kBoolTrue;
}

BOOL LowerGetPrinterData(HANDLE hPort, DWORD ControlID, WCHAR*, WCHAR*, DWORD, WCHAR* out, DWORD cbOut,
                         DWORD* returned)
{
    FakeLowerMonitor* lower = nullptr;
    std::lock_guard lock(static_cast<LowerHandle*>(hPort)->monitor->mutex);
    LowerPort* port = PortOf(hPort, lower);
    *returned = 0;
    auto* bytes = reinterpret_cast<uint8_t*>(out);
    if (ControlID == mon::IOCTL_PAR_QUERY_INFORMATION && port->parallelStatus && cbOut >= 1) {
        bytes[0] = *port->parallelStatus;
        *returned = 1;
        return kBoolTrue;
    }
    if (ControlID == mon::IOCTL_PAR_QUERY_DEVICE_ID) ++port->deviceIdQueries;
    if (ControlID == mon::IOCTL_PAR_QUERY_DEVICE_ID && !port->deviceId.empty()) {
        const DWORD n = std::min<DWORD>(cbOut, static_cast<DWORD>(port->deviceId.size()));
        std::memcpy(bytes, port->deviceId.data(), n);
        *returned = n;
        return kBoolTrue;
    }
    SetLastSystemError(syserr::kNotSupported);
    return kBoolFalse;
}

BOOL LowerXcvOpen(HANDLE hMonitor, const WCHAR*, DWORD, HANDLE* phXcv)
{
    FakeLowerMonitor* lower = LowerOf(hMonitor);
    std::lock_guard lock(lower->mutex);
    ++lower->xcvOpens;
    *phXcv = lower;
    return kBoolTrue;
}

DWORD LowerXcvData(HANDLE hXcv, const WCHAR* name, BYTE* in, DWORD cbIn, BYTE* out, DWORD cbOut, DWORD* needed)
{
    FakeLowerMonitor* lower = LowerOf(hXcv);
    std::lock_guard lock(lower->mutex);
    if (std::u16string_view(name) != u"GetConfigInfo" || cbIn < sizeof(mon::CONFIG_INFO_DATA_1) ||
        cbOut < sizeof(mon::PORT_DATA_1) || in == nullptr)
        return syserr::kInvalidParameter;
    if (lower->xcvResult != 0) return lower->xcvResult;
    mon::PORT_DATA_1 data{};
    std::copy(lower->hostAddress.begin(),
              lower->hostAddress.begin() + std::min<size_t>(lower->hostAddress.size(), 49), data.sztHostAddress);
    data.dwPortNumber = lower->tcpPortNumber;
    data.dwProtocol = mon::PROTOCOL_RAWTCP_TYPE;
    std::memcpy(out, &data, sizeof(data));
    *needed = sizeof(data);
    return 0;
}

BOOL LowerXcvClose(HANDLE hXcv)
{
    FakeLowerMonitor* lower = LowerOf(hXcv);
    std::lock_guard lock(lower->mutex);
    ++lower->xcvCloses;
    return kBoolTrue;
}

// --- serial --------------------------------------------------------------

class FakeSerialPortImpl final : public SerialPort {
public:
    explicit FakeSerialPortImpl(SerialLineScript& script) : script_(script) {}
    bool Close() override
    {
        std::lock_guard lock(script_.mutex);
        ++script_.closes;
        return true;
    }
    bool Truncate() override { return true; }
    bool GetLine(SerialLine& out) override
    {
        std::lock_guard lock(script_.mutex);
        out = script_.line;
        return true;
    }
    bool SetLine(const SerialLine& line) override
    {
        std::lock_guard lock(script_.mutex);
        script_.line = line;
        return true;
    }
    bool GetTimeouts(SerialTimeouts& out) override
    {
        std::lock_guard lock(script_.mutex);
        out = script_.timeouts;
        return true;
    }
    bool SetTimeouts(const SerialTimeouts& timeouts) override
    {
        std::lock_guard lock(script_.mutex);
        script_.timeouts = timeouts;
        return true;
    }
    std::optional<DWORD> QueuedInput() override
    {
        std::lock_guard lock(script_.mutex);
        return static_cast<DWORD>(script_.input.size());
    }
    std::optional<DWORD> ModemStatus() override
    {
        std::lock_guard lock(script_.mutex);
        if (!script_.modem) SetLastSystemError(syserr::kNotSupported);
        return script_.modem;
    }
    bool Read(std::span<uint8_t> out, DWORD& done) override
    {
        std::lock_guard lock(script_.mutex);
        done = 0;
        while (done < out.size() && !script_.input.empty()) {
            out[done++] = script_.input.front();
            script_.input.pop_front();
        }
        if (done == 0) SetLastSystemError(syserr::kTimeout);
        return done > 0;
    }
    bool Write(std::span<const uint8_t> bytes, DWORD& done) override
    {
        std::lock_guard lock(script_.mutex);
        script_.output.insert(script_.output.end(), bytes.begin(), bytes.end());
        done = static_cast<DWORD>(bytes.size());
        if (script_.answer) {
            const auto reply = script_.answer(std::vector<uint8_t>(bytes.begin(), bytes.end()));
            script_.input.insert(script_.input.end(), reply.begin(), reply.end());
        }
        return true;
    }

private:
    SerialLineScript& script_;
};

// --- ICMP ----------------------------------------------------------------

class FakeIcmpSocket final : public IcmpSocket {
public:
    explicit FakeIcmpSocket(FakeSockets& owner) : owner_(owner) {}
    bool SendTo(uint32_t, std::span<const uint8_t> packet) override
    {
        ++owner_.echoRequests;
        if (owner_.echo) {
            for (auto& reply : owner_.echo(std::vector<uint8_t>(packet.begin(), packet.end())))
                pending_.push_back(std::move(reply));
        }
        return true;
    }
    int WaitReadable(DWORD) override { return pending_.empty() ? 0 : 1; }
    int Receive(std::span<uint8_t> out) override
    {
        if (pending_.empty()) return -1;
        auto reply = std::move(pending_.front());
        pending_.pop_front();
        const size_t n = std::min(out.size(), reply.size());
        std::memcpy(out.data(), reply.data(), n);
        return static_cast<int>(n);
    }

private:
    FakeSockets& owner_;
    std::deque<std::vector<uint8_t>> pending_;
};

// --- shared memory -------------------------------------------------------

class MemoryView final : public SharedView {
public:
    explicit MemoryView(std::shared_ptr<std::vector<uint8_t>> bytes) : bytes_(std::move(bytes)) {}
    std::span<uint8_t> Bytes() override { return *bytes_; }

private:
    std::shared_ptr<std::vector<uint8_t>> bytes_;
};

class MemorySection final : public SharedSection {
public:
    MemorySection(MemorySharedMemory& owner, std::shared_ptr<std::vector<uint8_t>> bytes)
        : owner_(owner), bytes_(std::move(bytes))
    {
    }
    std::unique_ptr<SharedView> Map(bool, DWORD) override
    {
        if (owner_.failMaps > 0) {
            --owner_.failMaps;
            SetLastSystemError(syserr::kNotEnoughMemory);
            return nullptr;
        }
        return std::make_unique<MemoryView>(bytes_);
    }

private:
    MemorySharedMemory& owner_;
    std::shared_ptr<std::vector<uint8_t>> bytes_;
};

}  // namespace

// --- port spooler --------------------------------------------------------

void FakePortSpooler::Record(SpoolerCall call)
{
    {
        std::lock_guard lock(mutex_);
        calls_.push_back(std::move(call));
    }
    changed_.notify_all();
}

DWORD FakePortSpooler::GetJob1(HANDLE printer, DWORD jobId, JobLevel1& out)
{
    if (printer == nullptr) return syserr::kInvalidHandle;
    if (getJobError != 0) return getJobError;
    std::lock_guard lock(mutex_);
    const auto it = jobs_.find(jobId);
    if (it == jobs_.end()) return syserr::kInvalidParameter;
    if (deletingAfterGets > 0) --deletingAfterGets;
    if (deletingAfterGets == 0) it->second |= mon::JOB_STATUS_DELETING;
    out = JobLevel1{jobId, it->second, nullptr};
    return 0;
}

DWORD FakePortSpooler::SetJobCommand(HANDLE printer, DWORD jobId, const JobLevel1* job, DWORD command)
{
    if (printer == nullptr) return syserr::kInvalidHandle;
    DWORD error = 0;
    {
        std::lock_guard lock(mutex_);
        const auto it = jobs_.find(jobId);
        if (it == jobs_.end()) {
            error = syserr::kInvalidParameter;
        } else {
            if (job != nullptr) it->second = job->status;
            if (command == mon::JOB_CONTROL_DELETE || command == mon::JOB_CONTROL_LAST_PAGE_EJECTED) jobs_.erase(it);
        }
    }
    Record({"SetJob", jobId, job != nullptr ? 1u : 0u, command, {}});
    return error;
}

DWORD FakePortSpooler::SetPortStatus(std::u16string_view portName, const PortStatus& status)
{
    Record({"SetPort", status.status, status.severity, setPortError.load(), std::u16string(portName)});
    return setPortError;
}

DWORD FakePortSpooler::GetPrinterAttributes(HANDLE printer, DWORD& out)
{
    if (printer == nullptr) return syserr::kInvalidHandle;
    if (getPrinterError != 0) return getPrinterError;
    out = attributes;
    return 0;
}

DWORD FakePortSpooler::SetPrinterAttributes(HANDLE printer, DWORD value)
{
    if (printer == nullptr) return syserr::kInvalidHandle;
    attributes = value;
    Record({"SetPrinter", value, 0, 0, {}});
    return 0;
}

bool FakePortSpooler::RevertToSelf() { return true; }

HANDLE FakePortSpooler::RevertToPrinterSelf()
{
    ++identityBalance;
    return this;
}

bool FakePortSpooler::ImpersonatePrinterClient(HANDLE token)
{
    if (token != this) return false;
    --identityBalance;
    return true;
}

void FakePortSpooler::AddJob(DWORD jobId, DWORD status)
{
    std::lock_guard lock(mutex_);
    jobs_[jobId] = status;
}

std::optional<DWORD> FakePortSpooler::JobStatus(DWORD jobId)
{
    std::lock_guard lock(mutex_);
    const auto it = jobs_.find(jobId);
    if (it == jobs_.end()) return std::nullopt;
    return it->second;
}

bool FakePortSpooler::HasJob(DWORD jobId) { return JobStatus(jobId).has_value(); }

std::vector<SpoolerCall> FakePortSpooler::Calls()
{
    std::lock_guard lock(mutex_);
    return calls_;
}

std::vector<SpoolerCall> FakePortSpooler::CallsOf(const std::string& what)
{
    std::vector<SpoolerCall> out;
    for (auto& call : Calls())
        if (call.what == what) out.push_back(call);
    return out;
}

std::optional<PortStatus> FakePortSpooler::LastPortStatus(std::u16string_view port)
{
    std::lock_guard lock(mutex_);
    for (auto it = calls_.rbegin(); it != calls_.rend(); ++it)
        if (it->what == "SetPort" && it->name == port) return PortStatus{it->a, it->b};
    return std::nullopt;
}

bool FakePortSpooler::WaitForPortStatus(std::u16string_view port, DWORD status, DWORD severity)
{
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, 5s, [&] {
        for (auto it = calls_.rbegin(); it != calls_.rend(); ++it)
            if (it->what == "SetPort" && it->name == port) return it->a == status && it->b == severity;
        return false;
    });
}

// --- lower monitor -------------------------------------------------------

FakeLowerMonitor::FakeLowerMonitor()
{
    table.cbSize = sizeof(table);
    table.pfnOpenPort = &LowerOpenPort;
    table.pfnStartDocPort = &LowerStartDocPort;
    table.pfnWritePort = &LowerWritePort;
    table.pfnReadPort = &LowerReadPort;
    table.pfnEndDocPort = &LowerEndDocPort;
    table.pfnClosePort = &LowerClosePort;
    table.pfnGetPrinterDataFromPort = &LowerGetPrinterData;
    table.pfnXcvOpenPort = &LowerXcvOpen;
    table.pfnXcvDataPort = &LowerXcvData;
    table.pfnXcvClosePort = &LowerXcvClose;
}

LowerPort& FakeLowerMonitor::Port(std::u16string_view name)
{
    std::lock_guard lock(mutex);
    return ports[std::u16string(name)];
}

// --- serial devices ------------------------------------------------------

std::optional<std::vector<std::u16string>> FakeSerialDevices::QueryTargets(std::u16string_view device)
{
    std::lock_guard lock(mutex);
    const auto it = targets.find(std::u16string(device));
    if (it == targets.end()) {
        SetLastSystemError(syserr::kFileNotFound);
        return std::nullopt;
    }
    return it->second;
}

bool FakeSerialDevices::DefineRawAlias(std::u16string_view alias, std::u16string_view target)
{
    std::lock_guard lock(mutex);
    aliases[std::u16string(alias)] = std::u16string(target);
    return true;
}

bool FakeSerialDevices::RemoveAlias(std::u16string_view alias)
{
    std::lock_guard lock(mutex);
    return aliases.erase(std::u16string(alias)) != 0;
}

std::unique_ptr<SerialPort> FakeSerialDevices::Open(std::u16string_view path, DWORD& error)
{
    std::lock_guard lock(mutex);
    const std::u16string_view prefix = u"\\\\.\\";
    const auto alias = aliases.find(std::u16string(path.substr(path.starts_with(prefix) ? prefix.size() : 0)));
    if (openError != 0 || alias == aliases.end()) {
        error = openError != 0 ? openError : syserr::kFileNotFound;
        return nullptr;
    }
    SerialLineScript& script = lines[alias->second];
    {
        std::lock_guard scriptLock(script.mutex);
        ++script.opens;
    }
    return std::make_unique<FakeSerialPortImpl>(script);
}

bool FakeSerialDevices::BuildLine(std::u16string_view mode, SerialLine& line)
{
    std::lock_guard lock(mutex);
    modesBuilt.emplace_back(mode);
    const std::string text = Utf16ToUtf8(mode);
    unsigned baud = 0;
    char parity = 0;
    unsigned data = 0, stop = 0;
    char handshake = 0;
    const int fields = std::sscanf(text.c_str(), "%u,%c,%u,%u,%c", &baud, &parity, &data, &stop, &handshake);
    if (fields < 4) {
        SetLastSystemError(syserr::kInvalidParameter);
        return false;
    }
    line.baudRate = baud;
    line.parity = parity == 'e' ? 2 : parity == 'o' ? 1 : 0;
    line.byteSize = static_cast<BYTE>(data);
    line.stopBits = stop == 2 ? 2 : 0;
    line.outxCtsFlow = line.rtsHandshake = (fields == 5 && handshake == 'p');
    return true;
}

// --- sockets -------------------------------------------------------------

DWORD FakeSockets::Startup()
{
    ++starts;
    return 0;
}

bool FakeSockets::Cleanup()
{
    ++cleanups;
    return true;
}

std::unique_ptr<TcpSocket> FakeSockets::CreateTcp(DWORD& error)
{
    if (tcp != nullptr) return tcp->CreateTcp(error);
    error = syserr::kNotSupported;
    return nullptr;
}

std::unique_ptr<IcmpSocket> FakeSockets::CreateIcmp(DWORD&) { return std::make_unique<FakeIcmpSocket>(*this); }

bool FakeSockets::ParseIPv4(std::u16string_view text, uint32_t& ipv4)
{
    const std::string narrow = Utf16ToUtf8(text);
    unsigned a, b, c, d;
    char tail;
    if (std::sscanf(narrow.c_str(), "%u.%u.%u.%u%c", &a, &b, &c, &d, &tail) != 4 || a > 255 || b > 255 || c > 255 ||
        d > 255)
        return false;
    ipv4 = (a << 24) | (b << 16) | (c << 8) | d;
    return true;
}

// --- shared memory -------------------------------------------------------

std::unique_ptr<SharedSection> MemorySharedMemory::CreateStatusSection(std::u16string_view name, DWORD bytes,
                                                                       DWORD& error)
{
    if ((error = createError) != 0) return nullptr;
    std::lock_guard lock(mutex);
    auto& section = sections[std::u16string(name)];
    if (!section) section = std::make_shared<std::vector<uint8_t>>(bytes);
    return std::make_unique<MemorySection>(*this, section);
}

std::unique_ptr<SharedSection> MemorySharedMemory::Open(std::u16string_view name, bool, DWORD& error)
{
    std::lock_guard lock(mutex);
    const auto it = sections.find(std::u16string(name));
    if (it == sections.end()) {
        error = syserr::kFileNotFound;
        return nullptr;
    }
    return std::make_unique<MemorySection>(*this, it->second);
}

std::optional<std::vector<uint8_t>> MemorySharedMemory::Read(std::u16string_view name)
{
    std::lock_guard lock(mutex);
    const auto it = sections.find(std::u16string(name));
    if (it == sections.end()) return std::nullopt;
    return *it->second;
}

// --- registry and pauses -------------------------------------------------

RegistryRead FakeRegistry::ReadMachineString(std::string_view, std::u16string_view value, DWORD, std::u16string& out)
{
    std::lock_guard lock(mutex);
    if (!keyExists) return {false, syserr::kFileNotFound};
    const auto it = ports.find(std::u16string(value));
    if (it == ports.end()) return {true, syserr::kFileNotFound};
    out = it->second;
    return {true, 0};
}

void CountingWaits::Pause(DWORD ms)
{
    {
        std::lock_guard lock(mutex_);
        pauses_.push_back(ms);
    }
    if (really_) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

std::vector<DWORD> CountingWaits::Pauses()
{
    std::lock_guard lock(mutex_);
    return pauses_;
}

void CountingWaits::Forget()
{
    std::lock_guard lock(mutex_);
    pauses_.clear();
}

FakeSystem::FakeSystem(bool realTime)
    : waits(realTime),
      system{spooler, ports, SystemFileSystem(), clock, serial, sockets, sharedMemory, registry, waits}
{
}

}  // namespace lt77::portmon::testing
