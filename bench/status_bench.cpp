// Benchmarks of posstatus as an application loads it, on the test host's
// simulated Windows: the host's spooler with monlt77 and its lower monitor,
// the virtual LT-77 on loopback TCP. How soon a change at the printer
// reaches the application's callback, and what watching an idle printer
// costs the application's process. Run the release build:
//   cmake --preset linux-release && cmake --build --preset linux-release --target status_bench
//   build/linux-release/bench/status_bench
#include <spawn.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "host/spooler_host.h"
#include "platform/library.h"
#include "platform/process.h"
#include "statusback/posstatus.h"
#include "vprinter/endpoints.h"
#include "vprinter/virtual_printer.h"

extern char** environ;

namespace lt77 {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr char kWatchFlag[] = "--watch-idle";

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double Percentile(std::vector<double> sorted, double p)
{
    std::sort(sorted.begin(), sorted.end());
    // Nearest rank: the smallest sample with at least p of all at or below it.
    const auto rank = static_cast<size_t>(std::ceil(p * static_cast<double>(sorted.size())));
    return sorted[std::clamp<size_t>(rank, 1, sorted.size()) - 1];
}

// The printer, the host's spooler and a queue "Net" that starts, as an
// installer leaves it, without bidirectional communication.
class Rig {
public:
    explicit Rig(const std::string& name)
    {
        const fs::path base = fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
        root_ = base / ("lt77-status-bench-" + std::to_string(CurrentProcessId()) + "-" + name);
        fs::remove_all(root_);
        fs::create_directories(root_ / "queues" / "Net" / "jobs");
        SetProcessEnvironment("LT77_HOST_ROOT", root_.string());
        std::ofstream(root_ / "queues" / "Net" / "printer.ini")
            << "[Queue]\nPort = IP_127.0.0.1\nAttributes = 0x00000000\n";

        vprinter::PrinterOptions options;
        options.tcpPort = 0;
        options.controlPath = (root_ / "printer.ctl").string();
        options.jobsFolder = root_ / "printed";
        printer_ = std::make_unique<vprinter::VirtualPrinter>(options);
        if (error_ = printer_->Open(); !error_.empty()) return;
        printerThread_ = std::thread([this] { printer_->Run(); });
        host::SetPortSetting("IP_127.0.0.1", "HostAddress", "127.0.0.1");
        host::SetPortSetting("IP_127.0.0.1", "PortNumber", std::to_string(printer_->TcpPort()));
        spoolerThread_ = std::thread([this] {
            host::SpoolerHostOptions spooler;
            spooler.monitorPath = LT77_MONITOR_PATH;
            spooler.queues = {"Net"};
            host::RunSpoolerHost(spooler, stop_, spoolerOut_, spoolerOut_);
        });
    }
    ~Rig()
    {
        stop_ = true;
        if (spoolerThread_.joinable()) spoolerThread_.join();
        if (printer_) printer_->RequestStop();
        if (printerThread_.joinable()) printerThread_.join();
        UnsetProcessEnvironment("LT77_HOST_ROOT");
        std::error_code ec;
        fs::remove_all(root_, ec);
    }
    Rig(const Rig&) = delete;
    Rig& operator=(const Rig&) = delete;

    const std::string& Error() const { return error_; }

    bool Control(const std::string& command)
    {
        return vprinter::SendControlCommand((root_ / "printer.ctl").string(), command).text.rfind("ok", 0) == 0;
    }

private:
    fs::path root_;
    std::string error_;
    std::unique_ptr<vprinter::VirtualPrinter> printer_;
    std::thread printerThread_, spoolerThread_;
    std::atomic<bool> stop_{false};
    std::ostringstream spoolerOut_;
};

struct Posstatus {
    std::unique_ptr<SharedLibrary> library;
    decltype(&BidiOpenMonPrinter) open = nullptr;
    decltype(&BidiSetCallBackFunction) set = nullptr;
    decltype(&BidiCancelCallBackFunction) cancel = nullptr;
    decltype(&BidiCloseMonPrinter) close = nullptr;
    std::string error;

    Posstatus()
    {
        library = LoadSharedLibrary(LT77_POSSTATUS_PATH, error);
        if (!library) return;
        open = reinterpret_cast<decltype(open)>(library->Symbol("BidiOpenMonPrinter"));
        set = reinterpret_cast<decltype(set)>(library->Symbol("BidiSetCallBackFunction"));
        cancel = reinterpret_cast<decltype(cancel)>(library->Symbol("BidiCancelCallBackFunction"));
        close = reinterpret_cast<decltype(close)>(library->Symbol("BidiCloseMonPrinter"));
        if (!(open && set && cancel && close)) error = "posstatus lacks its exports";
    }
};

struct Calls {
    std::mutex mutex;
    std::condition_variable arrived;
    std::vector<std::pair<uint32_t, Clock::time_point>> statuses;
};
Calls* g_calls = nullptr;

void POSSTATUS_CALL OnStatus(uint32_t status)
{
    const auto now = Clock::now();
    std::lock_guard hold(g_calls->mutex);
    g_calls->statuses.emplace_back(status, now);
    g_calls->arrived.notify_all();
}

void POSSTATUS_CALL OnTrack(uint8_t*, uint32_t, uint32_t) {}

// 200 changes at the printer, cover open and cover close in turn, each timed
// from the control command to the application's status callback. The
// monitor polls every 300 ms (a 100-ms pause and 200 ms for the answer) and
// the library reads the record every 200 ms; a random pause of up to 600 ms
// before each change spreads the changes over both cycles.
void BM_CallbackLatency(benchmark::State& state)
{
    constexpr int kChanges = 200;
    Rig rig("latency");
    Posstatus posstatus;
    Calls calls;
    g_calls = &calls;
    if (!rig.Error().empty() || !posstatus.error.empty()) {
        state.SkipWithError((rig.Error() + posstatus.error).c_str());
        return;
    }
    if (posstatus.open("Net") != 1 || posstatus.set(&OnStatus, &OnTrack) != 1) {
        state.SkipWithError("posstatus did not open the queue");
        return;
    }
    // The library's document opens the port; the first change shows it watches.
    std::this_thread::sleep_for(4s);
    std::mt19937 random(77);
    std::uniform_int_distribution<int> pauseMs(0, 600);
    std::vector<double> latencies;
    for (auto _ : state) {
        for (int i = 0; i < kChanges; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs(random)));
            const bool open = i % 2 == 0;
            size_t before = 0;
            {
                std::lock_guard hold(calls.mutex);
                before = calls.statuses.size();
            }
            const auto t0 = Clock::now();
            if (!rig.Control(open ? "cover open" : "cover close")) {
                state.SkipWithError("the printer refused the control command");
                return;
            }
            std::unique_lock hold(calls.mutex);
            if (!calls.arrived.wait_for(hold, 10s, [&] {
                    return calls.statuses.size() > before && calls.statuses.back().first == (open ? 0x08u : 0u);
                })) {
                state.SkipWithError("no callback came");
                return;
            }
            latencies.push_back(Ms(calls.statuses.back().second - t0));
        }
    }
    posstatus.cancel();
    posstatus.close();
    g_calls = nullptr;
    double sum = 0;
    for (double l : latencies) sum += l;
    state.counters["changes"] = static_cast<double>(latencies.size());
    state.counters["mean_ms"] = sum / static_cast<double>(latencies.size());
    state.counters["p50_ms"] = Percentile(latencies, 0.50);
    state.counters["p99_ms"] = Percentile(latencies, 0.99);
    state.counters["max_ms"] = *std::max_element(latencies.begin(), latencies.end());
    state.counters["min_ms"] = *std::min_element(latencies.begin(), latencies.end());
}
BENCHMARK(BM_CallbackLatency)->Iterations(1)->Unit(benchmark::kSecond);

// The application: this program started again, which opens the queue
// through posstatus, registers both callbacks, watches for the given time
// and prints the CPU time its process used ("<user us> <system us>").
int WatchIdle(const char* seconds)
{
    Posstatus posstatus;
    if (!posstatus.error.empty() || posstatus.open("Net") != 1) return 2;
    Calls calls;
    g_calls = &calls;
    posstatus.set(&OnStatus, &OnTrack);
    std::this_thread::sleep_for(std::chrono::seconds(std::atoi(seconds)));
    posstatus.cancel();
    posstatus.close();
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    std::printf("%lld %lld\n", static_cast<long long>(usage.ru_utime.tv_sec) * 1000000 + usage.ru_utime.tv_usec,
                static_cast<long long>(usage.ru_stime.tv_sec) * 1000000 + usage.ru_stime.tv_usec);
    return 0;
}

// What watching an idle printer for a minute costs the application's whole
// process: the callback thread's record reads every 200 ms, each opening the
// printer and the section, and the library's start.
void BM_IdleWatchCpu(benchmark::State& state)
{
    const int seconds = static_cast<int>(state.range(0));
    Rig rig("idle");
    if (!rig.Error().empty()) {
        state.SkipWithError(rig.Error().c_str());
        return;
    }
    for (auto _ : state) {
        int out[2];
        if (::pipe(out) != 0) {
            state.SkipWithError("no pipe");
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        const std::string count = std::to_string(seconds);
        char* argv[] = {const_cast<char*>("/proc/self/exe"), const_cast<char*>(kWatchFlag),
                        const_cast<char*>(count.c_str()), nullptr};
        pid_t child = 0;
        const int spawned = posix_spawn(&child, "/proc/self/exe", &actions, nullptr, argv, environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        std::string text;
        char buffer[128];
        ssize_t n;
        while ((n = ::read(out[0], buffer, sizeof(buffer))) > 0) text.append(buffer, static_cast<size_t>(n));
        ::close(out[0]);
        int status = 0;
        if (spawned == 0) ::waitpid(child, &status, 0);
        long long user = 0, system = 0;
        if (spawned != 0 || std::sscanf(text.c_str(), "%lld %lld", &user, &system) != 2) {
            state.SkipWithError("the watching process did not report");
            return;
        }
        state.counters["user_ms"] = static_cast<double>(user) / 1000.0;
        state.counters["system_ms"] = static_cast<double>(system) / 1000.0;
        state.counters["cpu_percent"] = static_cast<double>(user + system) / 1e6 / seconds * 100.0;
    }
}
BENCHMARK(BM_IdleWatchCpu)->Arg(60)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
}  // namespace lt77

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], lt77::kWatchFlag) == 0) return lt77::WatchIdle(argv[2]);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
