// monlt77 loaded through its export, on the host's simulated Windows (queue
// store, port table, shared memory), with the host's lower monitor under it
// and the virtual LT-77 at the other end of loopback TCP or a
// pseudo-terminal: what the spooler and applications see when the printer
// changes.
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

#include "common/status_record.h"
#include "common/utf.h"
#include "host/lower_monitor.h"
#include "host/monitor_registry.h"
#include "host/spooler_host.h"
#include "platform/library.h"
#include "platform/process.h"
#include "platform/serial_port.h"
#include "platform/shared_memory.h"
#include "platform/system_error.h"
#include "tests/support/scratch_host_root.h"
#include "vprinter/endpoints.h"
#include "vprinter/virtual_printer.h"

namespace lt77 {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Bytes = std::vector<uint8_t>;
using InitializeFn = mon::MONITOR2* (*)(mon::MONITORINIT*, HANDLE*);

constexpr auto kPatience = 10s;

Bytes Pattern(size_t n)
{
    Bytes bytes(n);
    for (size_t i = 0; i < n; ++i) bytes[i] = static_cast<uint8_t>(i * 13 + 5);
    return bytes;
}

template <class F>
bool Eventually(F condition)
{
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (std::chrono::steady_clock::now() < deadline) {
        if (condition()) return true;
        std::this_thread::sleep_for(20ms);
    }
    return condition();
}

class MonitorRoadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        root_ = test::MakeScratchHostRoot("road", {"drive_c/temp"});

        vprinter::PrinterOptions options;
        options.tcpPort = 0;
        options.controlPath = (root_ / "printer.ctl").string();
        options.jobsFolder = root_ / "printed";
        options.ptyLinkPath = (root_ / "printer.tty").string();
        options.ptyIdleMs = 300;
        printer_ = std::make_unique<vprinter::VirtualPrinter>(options);
        ASSERT_EQ(printer_->Open(), "");
        printerThread_ = std::thread([this] { printer_->Run(); });

        std::string error;
        library_ = LoadSharedLibrary(LT77_MONITOR_PATH, error);
        ASSERT_TRUE(library_) << error;
        initialize_ = reinterpret_cast<InitializeFn>(library_->Symbol("InitializePrintMonitor2"));
        ASSERT_NE(initialize_, nullptr);
        init_ = registry_.Init();
        HANDLE hMonitor = this;
        monitor_ = initialize_(&init_, &hMonitor);
        ASSERT_NE(monitor_, nullptr);

        lower_ = std::make_unique<host::LowerMonitor>(
            host::LowerMonitor::Parts{SystemSockets(), SystemSerialDevices(), SystemFileSystem()},
            [this](std::u16string_view) {
                host::PortSettings settings;
                settings.hostAddress = hostAddress_;
                settings.portNumber = printer_->TcpPort();
                return settings;
            });
    }

    void TearDown() override
    {
        if (library_)
            for (HANDLE port : open_) monitor_->pfnClosePort(port);
        lower_.reset();
        library_.reset();
        if (printer_) printer_->RequestStop();
        if (printerThread_.joinable()) printerThread_.join();
        test::RemoveScratchHostRoot(root_);
    }

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

    bool JobInQueue(const std::string& queue, DWORD id)
    {
        return fs::exists(root_ / "queues" / queue / "jobs" / (std::to_string(id) + ".ini"));
    }

    HANDLE OpenPort(const std::u16string& port, const std::u16string& queue)
    {
        std::u16string p = port, q = queue;
        HANDLE handle = nullptr;
        if (!monitor_->pfnOpenPortEx(nullptr, lower_->Handle(), p.data(), q.data(), &handle, lower_->Table()))
            return nullptr;
        open_.push_back(handle);
        return handle;
    }

    void ClosePort(HANDLE port)
    {
        EXPECT_TRUE(monitor_->pfnClosePort(port));
        open_.erase(std::find(open_.begin(), open_.end(), port));
    }

    BOOL StartDoc(HANDLE port, const std::string& queue, DWORD id)
    {
        AddJob(queue, id);
        std::u16string printer = Utf8ToUtf16(queue), name = u"receipt";
        mon::DOC_INFO_1W info{name.data(), nullptr, nullptr};
        return monitor_->pfnStartDocPort(port, printer.data(), id, 1, reinterpret_cast<BYTE*>(&info));
    }

    // Sends a whole job as the spooler does; false when a write failed.
    bool Print(HANDLE port, const std::string& queue, DWORD id, const Bytes& bytes)
    {
        if (!StartDoc(port, queue, id)) return false;
        bool ok = true;
        for (size_t sent = 0; ok && sent < bytes.size();) {
            DWORD written = 0;
            const DWORD chunk = static_cast<DWORD>(std::min<size_t>(16384, bytes.size() - sent));
            ok = monitor_->pfnWritePort(port, const_cast<uint8_t*>(bytes.data() + sent), chunk, &written);
            sent += written;
        }
        monitor_->pfnEndDocPort(port);
        return ok;
    }

    std::string Control(const std::string& command)
    {
        return vprinter::SendControlCommand((root_ / "printer.ctl").string(), command).text;
    }

    bool PortStatusBecomes(const std::string& port, const std::string& status)
    {
        return Eventually([&] { return host::DescribePortStatus(port) == status; });
    }

    // The first 8 bytes of the queue's shared status record, as an
    // application reads them; empty while there is none.
    Bytes SharedRecord(const std::u16string& queue)
    {
        DWORD error = 0;
        auto section = SystemSharedMemory().Open(StatusSectionName(queue), false, error);
        if (!section) return {};
        auto view = section->Map(false, static_cast<DWORD>(kStatusRecordBytes));
        if (!view) return {};
        return Bytes(view->Bytes().begin(), view->Bytes().begin() + 8);
    }

    std::vector<fs::path> PrintedJobs()
    {
        std::vector<fs::path> jobs;
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(root_ / "printed", ec))
            if (entry.path().extension() == ".prn") jobs.push_back(entry.path());
        std::sort(jobs.begin(), jobs.end());
        return jobs;
    }

    Bytes ReadFile(const fs::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }

    fs::path root_;
    std::unique_ptr<vprinter::VirtualPrinter> printer_;
    std::thread printerThread_;
    std::unique_ptr<SharedLibrary> library_;
    InitializeFn initialize_ = nullptr;
    host::MonitorRegistry registry_;
    mon::MONITORINIT init_{};
    mon::MONITOR2* monitor_ = nullptr;
    std::u16string hostAddress_ = u"127.0.0.1";
    std::unique_ptr<host::LowerMonitor> lower_;
    std::vector<HANDLE> open_;
};

TEST_F(MonitorRoadTest, ACoverOpenedAtThePrinterRefusesTheNextJobUntilItCloses)
{
    MakeQueue("Net", "IP_127.0.0.1");
    HANDLE port = OpenPort(u"IP_127.0.0.1", u"Net");
    ASSERT_NE(port, nullptr);
    // The open itself clears the port status; the first block follows.
    ASSERT_TRUE(Eventually([&] { return SharedRecord(u"Net") == Bytes{0x10, 0x00, 0x00, 0x0F, 0, 0, 0, 0}; }));
    EXPECT_EQ(host::DescribePortStatus("IP_127.0.0.1"), "0 severity 3");

    const Bytes job = Pattern(40000);
    ASSERT_TRUE(Print(port, "Net", 1, job));
    ASSERT_TRUE(Eventually([&] { return PrintedJobs().size() == 1; }));
    EXPECT_EQ(ReadFile(PrintedJobs()[0]), job);
    EXPECT_FALSE(JobInQueue("Net", 1));

    EXPECT_EQ(Control("cover open").substr(0, 2), "ok");
    ASSERT_TRUE(PortStatusBecomes("IP_127.0.0.1", "7 severity 1"));
    EXPECT_EQ(SharedRecord(u"Net"), (Bytes{0x38, 0x00, 0x00, 0x0F, 7, 0, 0, 0}));
    EXPECT_FALSE(StartDoc(port, "Net", 2));
    EXPECT_FALSE(JobInQueue("Net", 2));

    EXPECT_EQ(Control("cover close").substr(0, 2), "ok");
    ASSERT_TRUE(PortStatusBecomes("IP_127.0.0.1", "0 severity 3"));
    ASSERT_TRUE(Print(port, "Net", 3, job));
    ASSERT_TRUE(Eventually([&] { return PrintedJobs().size() == 2; }));
    EXPECT_EQ(ReadFile(PrintedJobs()[1]), job);
}

TEST_F(MonitorRoadTest, ACoverOpenedDuringAJobLetsItFinishAndStopsTheNext)
{
    MakeQueue("Net", "IP_127.0.0.1");
    HANDLE port = OpenPort(u"IP_127.0.0.1", u"Net");
    ASSERT_NE(port, nullptr);
    ASSERT_TRUE(Eventually([&] { return SharedRecord(u"Net") == Bytes{0x10, 0x00, 0x00, 0x0F, 0, 0, 0, 0}; }));
    const Bytes job = Pattern(20000);
    ASSERT_TRUE(StartDoc(port, "Net", 1));
    DWORD written = 0;
    ASSERT_TRUE(monitor_->pfnWritePort(port, const_cast<uint8_t*>(job.data()), 10000, &written));
    EXPECT_EQ(Control("cover open").substr(0, 2), "ok");
    // The status thread does not poll while a document is sent.
    ASSERT_TRUE(monitor_->pfnWritePort(port, const_cast<uint8_t*>(job.data() + 10000), 10000, &written));
    EXPECT_EQ(written, 10000u);
    EXPECT_TRUE(monitor_->pfnEndDocPort(port));
    ASSERT_TRUE(Eventually([&] { return PrintedJobs().size() == 1; }));
    EXPECT_EQ(ReadFile(PrintedJobs()[0]), job);
    ASSERT_TRUE(PortStatusBecomes("IP_127.0.0.1", "7 severity 1"));
    EXPECT_FALSE(StartDoc(port, "Net", 2));
    EXPECT_FALSE(JobInQueue("Net", 2));
}

TEST_F(MonitorRoadTest, GarbageAndShortRepliesNeitherCrashNorStick)
{
    MakeQueue("Net", "IP_127.0.0.1");
    HANDLE port = OpenPort(u"IP_127.0.0.1", u"Net");
    ASSERT_NE(port, nullptr);
    ASSERT_TRUE(PortStatusBecomes("IP_127.0.0.1", "0 severity 3"));
    EXPECT_EQ(Control("garbage 2000").substr(0, 2), "ok");
    EXPECT_EQ(Control("short 3").substr(0, 2), "ok");
    EXPECT_EQ(Control("paper out").substr(0, 2), "ok");
    EXPECT_EQ(Control("paper refill").substr(0, 2), "ok");
    EXPECT_EQ(Control("cutter error").substr(0, 2), "ok");
    ASSERT_TRUE(PortStatusBecomes("IP_127.0.0.1", "8 severity 1"));
    EXPECT_EQ(Control("recover").substr(0, 2), "ok");
    ASSERT_TRUE(PortStatusBecomes("IP_127.0.0.1", "0 severity 3"));
}

TEST_F(MonitorRoadTest, APrinterThatGoesAwayMidJobEndsTheJobWithoutResendingIt)
{
    MakeQueue("Net", "IP_127.0.0.1");
    HANDLE port = OpenPort(u"IP_127.0.0.1", u"Net");
    ASSERT_NE(port, nullptr);
    ASSERT_TRUE(PortStatusBecomes("IP_127.0.0.1", "0 severity 3"));
    ASSERT_TRUE(StartDoc(port, "Net", 5));
    const Bytes first = Pattern(4000);
    DWORD written = 0;
    ASSERT_TRUE(monitor_->pfnWritePort(port, const_cast<uint8_t*>(first.data()), 4000, &written));
    EXPECT_EQ(written, 4000u);
    EXPECT_EQ(Control("disconnect").substr(0, 2), "ok");
    // Writes after the connection is gone fail at once or after the kernel
    // notices the reset; the job is deleted, never sent a second time.
    bool failed = false;
    for (int i = 0; i < 50 && !failed; ++i) {
        failed = !monitor_->pfnWritePort(port, const_cast<uint8_t*>(first.data()), 4000, &written);
        std::this_thread::sleep_for(20ms);
    }
    EXPECT_TRUE(failed);
    EXPECT_FALSE(JobInQueue("Net", 5));
    monitor_->pfnEndDocPort(port);
    ASSERT_TRUE(Eventually([&] { return PrintedJobs().size() == 1; }));
    const Bytes kept = ReadFile(PrintedJobs()[0]);
    ASSERT_GE(kept.size(), 4000u);
    EXPECT_EQ(Bytes(kept.begin(), kept.begin() + 4000), first);
    EXPECT_EQ(kept.size() % 4000, 0u);

    ASSERT_TRUE(Print(port, "Net", 6, Pattern(100)));
    ASSERT_TRUE(Eventually([&] { return PrintedJobs().size() == 2; }));
    EXPECT_EQ(ReadFile(PrintedJobs()[1]), Pattern(100));
}

TEST_F(MonitorRoadTest, APrinterTheProbeCannotReachIsOfflineAndRefusesJobs)
{
    // The one address whose echo fails on every machine, with or without a
    // network: the system refuses to send to it.
    hostAddress_ = u"255.255.255.255";
    MakeQueue("Far", "IP_255.255.255.255");
    HANDLE port = OpenPort(u"IP_255.255.255.255", u"Far");
    ASSERT_NE(port, nullptr);
    ASSERT_TRUE(PortStatusBecomes("IP_255.255.255.255", "1 severity 1"));
    EXPECT_EQ(SharedRecord(u"Far"), (Bytes{0, 0, 0, 0, 1, 0, 0, 0}));
    EXPECT_FALSE(StartDoc(port, "Far", 9));
    EXPECT_FALSE(JobInQueue("Far", 9));
}

TEST_F(MonitorRoadTest, ASerialPrinterOnAPseudoTerminalReportsAndPrints)
{
    fs::create_directories(root_ / "dosdevices");
    fs::create_symlink(printer_->PtyPath(), root_ / "dosdevices" / "com1");
    MakeQueue("Counter", "COM1:");
    HANDLE port = OpenPort(u"COM1:", u"Counter");
    ASSERT_NE(port, nullptr);
    ASSERT_TRUE(PortStatusBecomes("COM1:", "0 severity 3"));
    EXPECT_EQ(Control("paper out").substr(0, 2), "ok");
    ASSERT_TRUE(PortStatusBecomes("COM1:", "3 severity 1"));
    EXPECT_EQ(SharedRecord(u"Counter"), (Bytes{0x10, 0x00, 0x0C, 0x0F, 3, 0, 0, 0}));
    EXPECT_EQ(Control("paper refill").substr(0, 2), "ok");
    ASSERT_TRUE(PortStatusBecomes("COM1:", "0 severity 3"));

    const Bytes job = Pattern(3000);
    ASSERT_TRUE(Print(port, "Counter", 1, job));
    ASSERT_TRUE(Eventually([&] { return PrintedJobs().size() == 1; }));
    EXPECT_EQ(ReadFile(PrintedJobs()[0]), job);
    ClosePort(port);
    EXPECT_FALSE(fs::exists(root_ / "dosdevices" / "nonspooled_com1"));
}

size_t OpenDescriptors()
{
    size_t n = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator("/proc/self/fd")) ++n;
    return n;
}

TEST_F(MonitorRoadTest, ClosedPortsAndAnUnloadedMonitorLeaveNothingOpen)
{
    fs::create_directories(root_ / "dosdevices");
    fs::create_symlink(printer_->PtyPath(), root_ / "dosdevices" / "com2");
    MakeQueue("Net", "IP_127.0.0.1");
    MakeQueue("Counter", "COM2:");
    // The printer's own descriptors for the connections it accepted close
    // when the monitor's side does; everything else must be as it was.
    const size_t before = OpenDescriptors();
    HANDLE net = OpenPort(u"IP_127.0.0.1", u"Net");
    HANDLE serial = OpenPort(u"COM2:", u"Counter");
    ASSERT_TRUE(net && serial);
    ASSERT_TRUE(Eventually([&] { return SharedRecord(u"Net").size() == 8 && SharedRecord(u"Counter").size() == 8; }));
    ASSERT_TRUE(Print(net, "Net", 1, Pattern(5000)));
    ASSERT_TRUE(Print(serial, "Counter", 2, Pattern(500)));
    ClosePort(net);
    ClosePort(serial);
    library_.reset();
    EXPECT_TRUE(Eventually([&] { return OpenDescriptors() == before; }))
        << OpenDescriptors() << " descriptors open, " << before << " before";
}

}  // namespace
}  // namespace lt77
