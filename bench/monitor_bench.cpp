// Benchmarks of the port monitor, loaded through its export on the host's
// simulated Windows with the host's lower monitor under it and the virtual
// LT-77 at the other end of loopback TCP: what a job costs on its way
// through the monitor, how soon a change at the printer reaches the shared
// status record, and what the status polls of many network ports cost each
// other. Run the release build:
//   cmake --preset linux-release && cmake --build --preset linux-release --target monitor_bench
//   build/linux-release/bench/monitor_bench
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "common/status_record.h"
#include "common/utf.h"
#include "host/lower_monitor.h"
#include "host/monitor_registry.h"
#include "platform/library.h"
#include "platform/process.h"
#include "platform/shared_memory.h"
#include "vprinter/endpoints.h"
#include "vprinter/virtual_printer.h"

namespace lt77 {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Bytes = std::vector<uint8_t>;
using Block = std::array<uint8_t, 4>;
using Clock = std::chrono::steady_clock;
using InitializeFn = mon::MONITOR2* (*)(mon::MONITORINIT*, HANDLE*);

constexpr size_t kJobBytes = size_t{10} << 20;
constexpr size_t kSpoolerBuffer = 16384;
constexpr Block kClearBlock{0x10, 0x00, 0x00, 0x0F};
constexpr Block kCoverOpenBlock{0x38, 0x00, 0x00, 0x0F};

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// Printable receipt lines: no byte of the status enable command or of a
// raster command, so the printer keeps the job as it came and draws nothing,
// and the time measured is the delivery alone.
Bytes ReceiptText(size_t n)
{
    const std::string line = "COFFEE LARGE                 1 x   3.50      3.50\n";
    Bytes bytes(n);
    for (size_t i = 0; i < n; ++i) bytes[i] = static_cast<uint8_t>(line[i % line.size()]);
    return bytes;
}

template <class F>
bool WaitFor(Clock::duration patience, Clock::duration step, F condition)
{
    const auto deadline = Clock::now() + patience;
    while (Clock::now() < deadline) {
        if (condition()) return true;
        std::this_thread::sleep_for(step);
    }
    return condition();
}

std::string ReadFrom(const fs::path& path, std::uintmax_t offset)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    in.seekg(static_cast<std::streamoff>(offset));
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::uintmax_t SizeOf(const fs::path& path)
{
    std::error_code ec;
    const auto size = fs::file_size(path, ec);
    return ec ? 0 : size;
}

// The spooler's side of one monitor: its own host root (memory-backed when
// the machine has it, like the render benchmarks', so the host's store is
// not what is measured), the virtual printer on a thread, monlt77 through
// its export and the host's lower monitor under it.
class Rig {
public:
    Rig(const std::string& name, bool byteLog)
    {
        const fs::path base = fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
        root_ = base / ("lt77-monitor-bench-" + std::to_string(CurrentProcessId()) + "-" + name);
        fs::remove_all(root_);
        fs::create_directories(root_);
        SetProcessEnvironment("LT77_HOST_ROOT", root_.string());

        vprinter::PrinterOptions options;
        options.tcpPort = 0;
        options.controlPath = (root_ / "printer.ctl").string();
        options.jobsFolder = root_ / "printed";
        if (byteLog) options.logPath = LogPath().string();
        printer_ = std::make_unique<vprinter::VirtualPrinter>(options);
        if (error_ = printer_->Open(); !error_.empty()) return;
        printerThread_ = std::thread([this] { printer_->Run(); });

        library_ = LoadSharedLibrary(LT77_MONITOR_PATH, error_);
        if (!library_) return;
        const auto initialize = reinterpret_cast<InitializeFn>(library_->Symbol("InitializePrintMonitor2"));
        if (initialize == nullptr) {
            error_ = "no InitializePrintMonitor2";
            return;
        }
        init_ = registry_.Init();
        HANDLE hMonitor = this;
        monitor_ = initialize(&init_, &hMonitor);
        if (monitor_ == nullptr) {
            error_ = "InitializePrintMonitor2 failed";
            return;
        }
        lower_ = std::make_unique<host::LowerMonitor>(
            host::LowerMonitor::Parts{SystemSockets(), SystemSerialDevices(), SystemFileSystem()},
            [this](std::u16string_view) {
                host::PortSettings settings;
                settings.hostAddress = u"127.0.0.1";
                settings.portNumber = printer_->TcpPort();
                return settings;
            });
    }

    ~Rig()
    {
        // The spooler may close several ports at once; each close waits for
        // its status thread, which may be queued behind the others' polls.
        std::vector<std::thread> closers;
        for (HANDLE port : open_) closers.emplace_back([this, port] { monitor_->pfnClosePort(port); });
        for (auto& closer : closers) closer.join();
        sections_.clear();
        lower_.reset();
        library_.reset();
        if (printer_) printer_->RequestStop();
        if (printerThread_.joinable()) printerThread_.join();
        UnsetProcessEnvironment("LT77_HOST_ROOT");
        std::error_code ec;
        fs::remove_all(root_, ec);
    }

    Rig(const Rig&) = delete;
    Rig& operator=(const Rig&) = delete;

    const std::string& Error() const { return error_; }
    uint16_t PrinterPort() const { return printer_->TcpPort(); }
    fs::path LogPath() const { return root_ / "printer.log"; }
    fs::path CallsPath() const { return root_ / "host" / "spooler-calls.log"; }

    void MakeQueue(const std::string& queue, const std::string& port)
    {
        fs::create_directories(root_ / "queues" / queue / "jobs");
        std::ofstream(root_ / "queues" / queue / "printer.ini") << "[Queue]\nPort = " << port << "\n";
    }

    void AddJob(const std::string& queue, DWORD id)
    {
        std::ofstream(root_ / "queues" / queue / "jobs" / (std::to_string(id) + ".ini"))
            << "[Job]\nDocument = receipt " << id << "\nStatus = 0\n";
    }

    HANDLE OpenPort(const std::string& port, const std::string& queue)
    {
        std::u16string p = Utf8ToUtf16(port), q = Utf8ToUtf16(queue);
        HANDLE handle = nullptr;
        if (!monitor_->pfnOpenPortEx(nullptr, lower_->Handle(), p.data(), q.data(), &handle, lower_->Table()))
            return nullptr;
        open_.push_back(handle);
        return handle;
    }

    BOOL StartDoc(HANDLE port, const std::string& queue, DWORD id)
    {
        std::u16string printer = Utf8ToUtf16(queue), name = u"receipt";
        mon::DOC_INFO_1W info{name.data(), nullptr, nullptr};
        return monitor_->pfnStartDocPort(port, printer.data(), id, 1, reinterpret_cast<BYTE*>(&info));
    }

    // The job's bytes in the spooler's buffers; false when a write failed.
    bool Write(HANDLE port, const Bytes& bytes)
    {
        for (size_t sent = 0; sent < bytes.size();) {
            DWORD written = 0;
            const DWORD chunk = static_cast<DWORD>(std::min(kSpoolerBuffer, bytes.size() - sent));
            if (!monitor_->pfnWritePort(port, const_cast<uint8_t*>(bytes.data() + sent), chunk, &written))
                return false;
            sent += written;
        }
        return true;
    }

    void EndDoc(HANDLE port) { monitor_->pfnEndDocPort(port); }

    std::string Control(const std::string& command)
    {
        return vprinter::SendControlCommand((root_ / "printer.ctl").string(), command).text;
    }

    // The status block of the queue's shared record as an application reads
    // it; none while the monitor has not made the record. The view is kept,
    // so a 1-ms poll costs a copy, not an open and a map.
    std::optional<Block> SharedBlock(const std::string& queue)
    {
        auto& entry = sections_[queue];
        if (!entry.view) {
            DWORD error = 0;
            entry.section = SystemSharedMemory().Open(StatusSectionName(Utf8ToUtf16(queue)), false, error);
            if (!entry.section) return std::nullopt;
            entry.view = entry.section->Map(false, static_cast<DWORD>(kStatusRecordBytes));
            if (!entry.view) return std::nullopt;
        }
        Block block;
        std::memcpy(block.data(), entry.view->Bytes().data() + kStatusBlockOffset, block.size());
        return block;
    }

    bool WaitForBlock(const std::string& queue, const Block& block, Clock::duration patience)
    {
        return WaitFor(patience, 1ms, [&] { return SharedBlock(queue) == block; });
    }

    // Waits until the printer has published a whole job file, checks its size
    // and removes it, so that each wait sees the next job alone.
    bool WaitForPrintedJob(size_t bytes, Clock::duration patience)
    {
        fs::path found;
        const bool seen = WaitFor(patience, 1ms, [&] {
            std::error_code ec;
            for (const auto& entry : fs::directory_iterator(root_ / "printed", ec))
                if (entry.path().extension() == ".prn") {
                    found = entry.path();
                    return true;
                }
            return false;
        });
        if (!seen) return false;
        const bool whole = SizeOf(found) == bytes;
        std::error_code ec;
        fs::remove(found, ec);
        return whole;
    }

private:
    struct Mapped {
        std::unique_ptr<SharedSection> section;
        std::unique_ptr<SharedView> view;
    };

    fs::path root_;
    std::string error_;
    std::unique_ptr<vprinter::VirtualPrinter> printer_;
    std::thread printerThread_;
    std::unique_ptr<SharedLibrary> library_;
    host::MonitorRegistry registry_;
    mon::MONITORINIT init_{};
    mon::MONITOR2* monitor_ = nullptr;
    std::unique_ptr<host::LowerMonitor> lower_;
    std::vector<HANDLE> open_;
    std::map<std::string, Mapped> sections_;
};

size_t CountLinesStartingWith(const std::string& text, const std::string& prefix)
{
    size_t count = 0;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
        if (line.rfind(prefix, 0) == 0) ++count;
    return count;
}

// A 10 MB job as the spooler sends it: start of document, 16 KB buffers,
// end of document, until the printer has all of it. The monitor writes each
// buffer to a network port in 1024-byte pieces and asks the spooler for the
// job's status (GetJob, a file read on this host) before each piece.
void BM_JobThroughMonitor(benchmark::State& state)
{
    Rig rig("job", false);
    if (!rig.Error().empty()) {
        state.SkipWithError(rig.Error().c_str());
        return;
    }
    rig.MakeQueue("Net", "IP_127.0.0.1");
    HANDLE port = rig.OpenPort("IP_127.0.0.1", "Net");
    if (port == nullptr || !rig.WaitForBlock("Net", kClearBlock, 10s)) {
        state.SkipWithError("the port did not open or report");
        return;
    }
    const Bytes job = ReceiptText(kJobBytes);
    const auto callsBefore = SizeOf(rig.CallsPath());
    DWORD id = 0;
    Clock::duration start{}, write{}, end{}, deliver{};
    for (auto _ : state) {
        state.PauseTiming();
        rig.AddJob("Net", ++id);
        state.ResumeTiming();
        const auto t0 = Clock::now();
        if (!rig.StartDoc(port, "Net", id)) {
            state.SkipWithError("StartDocPort failed");
            break;
        }
        const auto t1 = Clock::now();
        const bool written = rig.Write(port, job);
        const auto t2 = Clock::now();
        rig.EndDoc(port);
        const auto t3 = Clock::now();
        if (!written || !rig.WaitForPrintedJob(job.size(), 30s)) {
            state.SkipWithError("the printer did not get the whole job");
            break;
        }
        const auto t4 = Clock::now();
        start += t1 - t0;
        write += t2 - t1;
        end += t3 - t2;
        deliver += t4 - t3;
    }
    const double n = static_cast<double>(std::max<benchmark::IterationCount>(state.iterations(), 1));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(job.size()));
    state.counters["start_ms"] = Ms(start) / n;
    state.counters["write_ms"] = Ms(write) / n;
    state.counters["end_ms"] = Ms(end) / n;
    state.counters["last_byte_ms"] = Ms(deliver) / n;
    state.counters["write_MB/s"] = static_cast<double>(job.size()) / (1024.0 * 1024.0) / (Ms(write) / n / 1000.0);
    state.counters["GetJob_per_job"] =
        static_cast<double>(CountLinesStartingWith(ReadFrom(rig.CallsPath(), callsBefore), "GetJob Net ")) / n;
}
BENCHMARK(BM_JobThroughMonitor)->Iterations(5)->UseRealTime()->Unit(benchmark::kMillisecond);

// The same 10 MB to the same printer with plain blocking send() on one
// connection, in the same 16 KB buffers, until the printer has all of it.
void BM_PlainSocketWrite(benchmark::State& state)
{
    Rig rig("plain", false);
    if (!rig.Error().empty()) {
        state.SkipWithError(rig.Error().c_str());
        return;
    }
    const Bytes job = ReceiptText(kJobBytes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(rig.PrinterPort());
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    Clock::duration write{};
    for (auto _ : state) {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
            ::close(fd);
            state.SkipWithError("cannot connect to the printer");
            break;
        }
        const auto t0 = Clock::now();
        bool ok = true;
        for (size_t sent = 0; ok && sent < job.size();) {
            const ssize_t n = ::send(fd, job.data() + sent, std::min(kSpoolerBuffer, job.size() - sent), 0);
            ok = n > 0;
            if (ok) sent += static_cast<size_t>(n);
        }
        write += Clock::now() - t0;
        ::shutdown(fd, SHUT_WR);
        ::close(fd);
        if (!ok || !rig.WaitForPrintedJob(job.size(), 30s)) {
            state.SkipWithError("the printer did not get the whole job");
            break;
        }
    }
    const double n = static_cast<double>(std::max<benchmark::IterationCount>(state.iterations(), 1));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(job.size()));
    state.counters["write_ms"] = Ms(write) / n;
}
BENCHMARK(BM_PlainSocketWrite)->MinTime(2.0)->UseRealTime()->Unit(benchmark::kMillisecond);

double Percentile(std::vector<double> sorted, double p)
{
    std::sort(sorted.begin(), sorted.end());
    // Nearest rank: the smallest sample with at least p of all at or below it.
    const auto rank = static_cast<size_t>(std::ceil(p * static_cast<double>(sorted.size())));
    return sorted[std::clamp<size_t>(rank, 1, sorted.size()) - 1];
}

// 200 changes at the printer, cover open and cover close in turn, each
// timed from the control command to the shared record showing the new
// block. Waiting for the record ties the next change to the moment just
// after a read; a random pause as long as one poll cycle by design (100 ms
// pause, 200 ms for the answer, the echo and the read) spreads the changes
// evenly over the cycle again, where a longer range would count part of the
// cycle twice.
void BM_StatusLatency(benchmark::State& state)
{
    constexpr int kChanges = 200;
    Rig rig("latency", false);
    if (!rig.Error().empty()) {
        state.SkipWithError(rig.Error().c_str());
        return;
    }
    rig.MakeQueue("Net", "IP_127.0.0.1");
    if (rig.OpenPort("IP_127.0.0.1", "Net") == nullptr || !rig.WaitForBlock("Net", kClearBlock, 10s)) {
        state.SkipWithError("the port did not open or report");
        return;
    }
    std::mt19937 random(77);
    std::uniform_int_distribution<int> pauseMs(0, 300);
    std::vector<double> latencies;
    for (auto _ : state) {
        for (int i = 0; i < kChanges; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs(random)));
            const bool open = i % 2 == 0;
            const auto t0 = Clock::now();
            if (rig.Control(open ? "cover open" : "cover close").rfind("ok", 0) != 0) {
                state.SkipWithError("the printer refused the control command");
                return;
            }
            if (!rig.WaitForBlock("Net", open ? kCoverOpenBlock : kClearBlock, 10s)) {
                state.SkipWithError("the shared record did not change");
                return;
            }
            latencies.push_back(Ms(Clock::now() - t0));
        }
    }
    double sum = 0;
    for (double l : latencies) sum += l;
    state.counters["changes"] = static_cast<double>(latencies.size());
    state.counters["mean_ms"] = sum / static_cast<double>(latencies.size());
    state.counters["p50_ms"] = Percentile(latencies, 0.50);
    state.counters["p99_ms"] = Percentile(latencies, 0.99);
    state.counters["max_ms"] = *std::max_element(latencies.begin(), latencies.end());
    state.counters["min_ms"] = *std::min_element(latencies.begin(), latencies.end());
}
BENCHMARK(BM_StatusLatency)->Iterations(1)->Unit(benchmark::kSecond);

// Milliseconds since midnight of a printer log line's "HH:MM:SS.mmm".
std::optional<double> LogTimeMs(const std::string& clock)
{
    int h = 0, m = 0, s = 0, ms = 0;
    if (std::sscanf(clock.c_str(), "%d:%d:%d.%d", &h, &m, &s, &ms) != 4) return std::nullopt;
    return ((h * 60.0 + m) * 60.0 + s) * 1000.0 + ms;
}

// The times each printer connection received the status enable command, from
// the printer's own log: one command per poll cycle of one port.
std::map<std::string, std::vector<double>> EnableCommandTimes(const std::string& log)
{
    std::map<std::string, std::vector<double>> times;
    std::istringstream lines(log);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string date, clock, channel, direction;
        if (!(words >> date >> clock >> channel >> direction) || direction != "in") continue;
        const auto at = LogTimeMs(clock);
        if (!at) continue;
        for (size_t pos = line.find("1D 61 FF 00"); pos != std::string::npos; pos = line.find("1D 61 FF 00", pos + 1))
            times[channel].push_back(*at);
    }
    return times;
}

// N network ports open at once, each with its status thread, all reaching
// the same printer. The poll cycle of each port is read from the printer's
// log (the time between the enable commands it received on that port's
// connection) and cross-checked with the status blocks each port published
// (one SetPort per block read, in the host's spooler-calls.log). Then a
// start and end of document on the first port while the others poll.
void BM_PortsPolledAtOnce(benchmark::State& state)
{
    const int ports = static_cast<int>(state.range(0));
    constexpr int kDocuments = 5;
    Rig rig("ports" + std::to_string(ports), true);
    if (!rig.Error().empty()) {
        state.SkipWithError(rig.Error().c_str());
        return;
    }
    std::vector<HANDLE> handles;
    for (int k = 1; k <= ports; ++k) {
        const std::string queue = "Q" + std::to_string(k);
        rig.MakeQueue(queue, "IP_127.0.0.1_" + std::to_string(k));
        handles.push_back(rig.OpenPort("IP_127.0.0.1_" + std::to_string(k), queue));
        if (handles.back() == nullptr) {
            state.SkipWithError("a port did not open");
            return;
        }
    }
    for (int k = 1; k <= ports; ++k)
        if (!rig.WaitForBlock("Q" + std::to_string(k), kClearBlock, 10s + ports * 1s)) {
            state.SkipWithError("a port did not report");
            return;
        }

    // Long enough for about six cycles of each port even when all polls
    // run one after the other.
    const auto window = std::chrono::milliseconds(4000 + 1250 * ports);
    double cycleMean = 0, cycleWorst = 0, blocksPerPort = 0, connections = 0;
    std::vector<double> startDoc, endDoc;
    std::mt19937 random(77);
    std::uniform_int_distribution<int> pauseMs(0, 500);
    for (auto _ : state) {
        const auto logFrom = SizeOf(rig.LogPath());
        const auto callsFrom = SizeOf(rig.CallsPath());
        std::this_thread::sleep_for(window);
        const auto times = EnableCommandTimes(ReadFrom(rig.LogPath(), logFrom));
        const std::string calls = ReadFrom(rig.CallsPath(), callsFrom);

        double sum = 0;
        int counted = 0;
        for (const auto& [channel, at] : times) {
            if (at.size() < 2) continue;
            const double cycle = (at.back() - at.front()) / static_cast<double>(at.size() - 1);
            sum += cycle;
            cycleWorst = std::max(cycleWorst, cycle);
            ++counted;
        }
        connections = static_cast<double>(times.size());
        cycleMean = counted > 0 ? sum / counted : 0;
        size_t blocks = 0;
        for (int k = 1; k <= ports; ++k)
            blocks += CountLinesStartingWith(calls, "SetPort IP_127.0.0.1_" + std::to_string(k) + " 0 3");
        blocksPerPort = static_cast<double>(blocks) / ports;

        for (int d = 1; d <= kDocuments; ++d) {
            std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs(random)));
            rig.AddJob("Q1", static_cast<DWORD>(d));
            const auto t0 = Clock::now();
            if (!rig.StartDoc(handles[0], "Q1", static_cast<DWORD>(d))) {
                state.SkipWithError("StartDocPort failed");
                return;
            }
            const auto t1 = Clock::now();
            rig.EndDoc(handles[0]);
            startDoc.push_back(Ms(t1 - t0));
            endDoc.push_back(Ms(Clock::now() - t1));
        }
    }
    const double windowMs = static_cast<double>(window.count());
    state.counters["cycle_ms"] = cycleMean;
    state.counters["cycle_worst_ms"] = cycleWorst;
    state.counters["connections"] = connections;
    state.counters["blocks_per_port"] = blocksPerPort;
    state.counters["cycle_by_blocks_ms"] = blocksPerPort > 0 ? windowMs / blocksPerPort : 0;
    double sumStart = 0, sumEnd = 0;
    for (double v : startDoc) sumStart += v;
    for (double v : endDoc) sumEnd += v;
    state.counters["startdoc_ms"] = sumStart / static_cast<double>(startDoc.size());
    state.counters["startdoc_max_ms"] = *std::max_element(startDoc.begin(), startDoc.end());
    state.counters["enddoc_ms"] = sumEnd / static_cast<double>(endDoc.size());
}
BENCHMARK(BM_PortsPolledAtOnce)->Arg(1)->Arg(8)->Arg(32)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
}  // namespace lt77

BENCHMARK_MAIN();
