// posstatus as an application loads it (dlopen, its exports), on the test
// host's simulated Windows: the host's spooler with monlt77 and its lower
// monitor, and the virtual LT-77 at the other end of loopback TCP. The queue
// starts without bidirectional communication and with its port closed, as
// an installer leaves it; the library's Initialize document opens it.
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <thread>
#include <tuple>

#include "common/status_record.h"
#include "host/card_reader.h"
#include "host/spooler_host.h"
#include "platform/library.h"
#include "platform/process.h"
#include "platform/shared_memory.h"
#include "statusback/posstatus.h"
#include "tests/support/scratch_host_root.h"
#include "vprinter/endpoints.h"
#include "vprinter/virtual_printer.h"

namespace lt77 {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Bytes = std::vector<uint8_t>;

// Changes and tracks the callbacks saw.
struct Seen {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<uint32_t> statuses;
    std::vector<std::tuple<std::string, uint32_t, uint32_t>> tracks;

    template <class F>
    bool WaitFor(F condition)
    {
        std::unique_lock hold(mutex);
        return changed.wait_for(hold, 20s, condition);
    }
};

Seen* g_seen = nullptr;

void POSSTATUS_CALL OnStatus(uint32_t status)
{
    std::lock_guard hold(g_seen->mutex);
    g_seen->statuses.push_back(status);
    g_seen->changed.notify_all();
}

void POSSTATUS_CALL OnTrack(uint8_t* data, uint32_t length, uint32_t track)
{
    std::lock_guard hold(g_seen->mutex);
    g_seen->tracks.emplace_back(std::string(reinterpret_cast<char*>(data), length), length, track);
    g_seen->changed.notify_all();
}

template <class F>
bool Eventually(F condition)
{
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (std::chrono::steady_clock::now() < deadline) {
        if (condition()) return true;
        std::this_thread::sleep_for(20ms);
    }
    return condition();
}

class StatusRoadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_seen = &seen_;
        root_ = test::MakeScratchHostRoot("status-road", {"drive_c/temp"});

        vprinter::PrinterOptions options;
        options.tcpPort = 0;
        options.controlPath = (root_ / "printer.ctl").string();
        options.jobsFolder = root_ / "printed";
        printer_ = std::make_unique<vprinter::VirtualPrinter>(options);
        ASSERT_EQ(printer_->Open(), "");
        printerThread_ = std::thread([this] { printer_->Run(); });

        fs::create_directories(root_ / "queues" / "Net" / "jobs");
        std::ofstream(root_ / "queues" / "Net" / "printer.ini")
            << "[Queue]\nPort = IP_127.0.0.1\nAttributes = 0x00000000\n";
        host::SetPortSetting("IP_127.0.0.1", "HostAddress", "127.0.0.1");
        host::SetPortSetting("IP_127.0.0.1", "PortNumber", std::to_string(printer_->TcpPort()));
        spoolerThread_ = std::thread([this] {
            host::SpoolerHostOptions spooler;
            spooler.monitorPath = LT77_MONITOR_PATH;
            spooler.queues = {"Net"};
            spooler.pollMs = 50;
            spoolerResult_ = host::RunSpoolerHost(spooler, stopSpooler_, spoolerOut_, spoolerErr_);
        });

        std::string error;
        library_ = LoadSharedLibrary(LT77_POSSTATUS_PATH, error);
        ASSERT_TRUE(library_) << error;
        open_ = reinterpret_cast<decltype(&BidiOpenMonPrinter)>(library_->Symbol("BidiOpenMonPrinter"));
        set_ = reinterpret_cast<decltype(&BidiSetCallBackFunction)>(library_->Symbol("BidiSetCallBackFunction"));
        cancel_ = reinterpret_cast<decltype(&BidiCancelCallBackFunction)>(library_->Symbol("BidiCancelCallBackFunction"));
        close_ = reinterpret_cast<decltype(&BidiCloseMonPrinter)>(library_->Symbol("BidiCloseMonPrinter"));
        ASSERT_TRUE(open_ && set_ && cancel_ && close_);
    }

    void TearDown() override
    {
        if (close_) close_();
        library_.reset();
        StopSpooler();
        if (printer_) printer_->RequestStop();
        if (printerThread_.joinable()) printerThread_.join();
        test::RemoveScratchHostRoot(root_);
        g_seen = nullptr;
    }

    void StopSpooler()
    {
        stopSpooler_ = true;
        if (spoolerThread_.joinable()) spoolerThread_.join();
    }

    // "ok" or the printer's error, without the status block the reply adds.
    std::string Control(const std::string& command)
    {
        return vprinter::SendControlCommand((root_ / "printer.ctl").string(), command).text.substr(0, 2);
    }

    // The whole record as another application reads it; empty while there is none.
    Bytes Record()
    {
        DWORD error = 0;
        auto section = SystemSharedMemory().Open(StatusSectionName(u"Net"), false, error);
        auto view = section ? section->Map(false, static_cast<DWORD>(kStatusRecordBytes)) : nullptr;
        if (!view) return {};
        return Bytes(view->Bytes().begin(), view->Bytes().end());
    }

    std::string ReadText(const fs::path& path)
    {
        std::ifstream in(path);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    Seen seen_;
    fs::path root_;
    std::unique_ptr<vprinter::VirtualPrinter> printer_;
    std::thread printerThread_, spoolerThread_;
    std::atomic<bool> stopSpooler_{false};
    std::ostringstream spoolerOut_, spoolerErr_;
    int spoolerResult_ = -1;
    std::unique_ptr<SharedLibrary> library_;
    decltype(&BidiOpenMonPrinter) open_ = nullptr;
    decltype(&BidiSetCallBackFunction) set_ = nullptr;
    decltype(&BidiCancelCallBackFunction) cancel_ = nullptr;
    decltype(&BidiCloseMonPrinter) close_ = nullptr;
};

TEST_F(StatusRoadTest, TheLibrarysDocumentOpensThePortAndTheCoverOpeningComesBack)
{
    EXPECT_EQ(open_("Nett"), 0);
    ASSERT_EQ(open_("Net"), 1);
    ASSERT_EQ(set_(&OnStatus, &OnTrack), 1);
    // The printer is idle: its record appears with nothing to report, and no call comes.
    ASSERT_TRUE(Eventually([&] { return Record().size() == kStatusRecordBytes && Record()[0] == 0x10; }));
    EXPECT_NE(ReadText(root_ / "queues" / "Net" / "printer.ini").find("Attributes = 0x00001800"), std::string::npos);
    // The port opened for the document, whose job then leaves the queue.
    EXPECT_TRUE(Eventually([&] { return ReadText(root_ / "queues" / "Net" / "done.log") == "1 printed\n"; }));

    EXPECT_EQ(Control("cover open"), "ok");
    ASSERT_TRUE(seen_.WaitFor([&] { return !seen_.statuses.empty(); }));
    EXPECT_EQ(Control("cover close"), "ok");
    ASSERT_TRUE(seen_.WaitFor([&] { return seen_.statuses.size() >= 2; }));
    EXPECT_EQ(cancel_(), 1);
    {
        std::lock_guard hold(seen_.mutex);
        EXPECT_EQ(seen_.statuses, (std::vector<uint32_t>{0x08, 0x00}));
    }
    StopSpooler();
    EXPECT_EQ(spoolerResult_, 0) << spoolerErr_.str();
    EXPECT_NE(spoolerOut_.str().find("opened IP_127.0.0.1 for Net\njob 1: 0 bytes sent"), std::string::npos)
        << spoolerOut_.str();
}

TEST_F(StatusRoadTest, ACardSwipeReachesTheCardCallbackAndLeavesTheMonitorsStatus)
{
    ASSERT_EQ(open_("Net"), 1);
    ASSERT_EQ(set_(&OnStatus, &OnTrack), 1);
    ASSERT_TRUE(Eventually([&] { return Record().size() == kStatusRecordBytes; }));
    EXPECT_EQ(Control("cover open"), "ok");
    ASSERT_TRUE(seen_.WaitFor([&] { return !seen_.statuses.empty(); }));

    const std::string track = ";4111111111111111=2512101?";
    ASSERT_EQ(host::SwipeCard(u"Net", 2, Bytes(track.begin(), track.end())), std::nullopt);
    ASSERT_TRUE(seen_.WaitFor([&] { return !seen_.tracks.empty(); }));
    ASSERT_TRUE(Eventually([&] { return Record().size() == kStatusRecordBytes && Record()[324] == 0; }));
    const Bytes record = Record();
    EXPECT_EQ(Bytes(record.begin(), record.begin() + 8), (Bytes{0x38, 0x00, 0x00, 0x0F, 7, 0, 0, 0}));
    EXPECT_EQ(Bytes(record.begin() + 112, record.begin() + 112 + 104), Bytes(104, 0));
    std::lock_guard hold(seen_.mutex);
    EXPECT_EQ(seen_.tracks, (std::vector<std::tuple<std::string, uint32_t, uint32_t>>{{track, 26, 2}}));
}

}  // namespace
}  // namespace lt77
