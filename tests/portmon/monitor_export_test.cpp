// What the spooler sees of monlt77 at its one export, before any port is
// open: the checks of MONITORINIT, the "EOJTimeout" value, the table, the
// trace of a document and the clean-up of the trace folder at unload.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "common/settings.h"
#include "common/utf.h"
#include "host/lower_monitor.h"
#include "host/monitor_registry.h"
#include "platform/library.h"
#include "platform/process.h"
#include "platform/system_error.h"
#include "platform/tcp_socket.h"
#include "tests/support/scratch_host_root.h"

namespace lt77 {
namespace {

namespace fs = std::filesystem;
using InitializeFn = mon::MONITOR2* (*)(mon::MONITORINIT*, HANDLE*);

class MonitorExportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        root_ = test::MakeScratchHostRoot("export", {"drive_c/temp"});
    }
    void TearDown() override
    {
        library_.reset();
        test::RemoveScratchHostRoot(root_);
    }
    InitializeFn Load()
    {
        std::string error;
        library_ = LoadSharedLibrary(LT77_MONITOR_PATH, error);
        EXPECT_TRUE(library_) << error;
        return library_ ? reinterpret_cast<InitializeFn>(library_->Symbol("InitializePrintMonitor2")) : nullptr;
    }
    fs::path TraceFolder() { return root_ / "drive_c" / "temp" / "LT-77"; }

    fs::path root_;
    std::unique_ptr<SharedLibrary> library_;
};

TEST_F(MonitorExportTest, InitialisationChecksItsArgumentsAndKeepsTheEndOfJobTimeout)
{
    InitializeFn initialize = Load();
    ASSERT_NE(initialize, nullptr);
    HANDLE hMonitor = this;
    SetLastSystemError(0);
    EXPECT_EQ(initialize(nullptr, &hMonitor), nullptr);
    EXPECT_EQ(LastSystemError(), syserr::kInvalidParameter);
    mon::MONITORINIT noRoot{};
    EXPECT_EQ(initialize(&noRoot, &hMonitor), nullptr);

    host::MonitorRegistry refusing;
    refusing.failSetWith = syserr::kAccessDenied;
    mon::MONITORINIT init = refusing.Init();
    EXPECT_EQ(initialize(&init, &hMonitor), nullptr);

    host::MonitorRegistry registry;
    init = registry.Init();
    mon::MONITOR2* table = initialize(&init, &hMonitor);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(hMonitor, nullptr);
    const auto values = registry.Snapshot();
    ASSERT_EQ(values.count(u"EOJTimeout"), 1u);
    EXPECT_EQ(values.at(u"EOJTimeout").type, mon::REG_DWORD_VALUE);
    EXPECT_EQ(values.at(u"EOJTimeout").bytes, (std::vector<uint8_t>{0x58, 0x1B, 0, 0}));

    EXPECT_EQ(table->cbSize, 160u);
    EXPECT_EQ(table->pfnEnumPorts, nullptr);
    EXPECT_EQ(table->pfnOpenPort, nullptr);
    EXPECT_EQ(table->pfnAddPort, nullptr);
    EXPECT_EQ(table->pfnXcvOpenPort, nullptr);
    for (const void* entry :
         {reinterpret_cast<const void*>(table->pfnOpenPortEx), reinterpret_cast<const void*>(table->pfnStartDocPort),
          reinterpret_cast<const void*>(table->pfnWritePort), reinterpret_cast<const void*>(table->pfnReadPort),
          reinterpret_cast<const void*>(table->pfnEndDocPort), reinterpret_cast<const void*>(table->pfnClosePort),
          reinterpret_cast<const void*>(table->pfnGetPrinterDataFromPort),
          reinterpret_cast<const void*>(table->pfnSetPortTimeOuts), reinterpret_cast<const void*>(table->pfnShutdown),
          reinterpret_cast<const void*>(table->pfnSendRecvBidiDataFromPort)})
        EXPECT_NE(entry, nullptr);
}

TEST_F(MonitorExportTest, TheTraceFollowsTheSwitchAndUnloadingClearsTheFolder)
{
    InitializeFn initialize = Load();
    ASSERT_NE(initialize, nullptr);
    host::MonitorRegistry registry;
    mon::MONITORINIT init = registry.Init();
    HANDLE hMonitor = nullptr;
    mon::MONITOR2* table = initialize(&init, &hMonitor);
    ASSERT_NE(table, nullptr);
    ASSERT_TRUE(fs::is_directory(TraceFolder()));

    std::vector<uint8_t> misc(kSettingsCount, 0);
    misc[43] = 1;
    std::string hex;
    for (uint8_t b : misc) hex += (hex.empty() ? "" : " ") + std::string(b ? "01" : "00");
    fs::create_directories(root_ / "queues" / "LT-77" / "jobs");
    std::ofstream(root_ / "queues" / "LT-77" / "printer.ini")
        << "[Queue]\nPort = FILE:\n[PrinterData\\PrinterDriverData\\Properties]\nMISC = binary: " << hex << "\n";
    std::ofstream(root_ / "queues" / "LT-77" / "jobs" / "12.ini") << "[Job]\nDocument = receipt\nStatus = 0\n";

    host::LowerMonitor lower({SystemSockets(), SystemSerialDevices(), SystemFileSystem()}, [](std::u16string_view) {
        host::PortSettings settings;
        settings.outputFolder = "C:\\printed";
        return settings;
    });
    std::u16string port = u"FILE:", printer = u"LT-77", document = u"receipt";
    HANDLE handle = nullptr;
    ASSERT_TRUE(table->pfnOpenPortEx(nullptr, lower.Handle(), port.data(), printer.data(), &handle, lower.Table()));
    mon::DOC_INFO_1W info{document.data(), nullptr, nullptr};
    ASSERT_TRUE(table->pfnStartDocPort(handle, printer.data(), 12, 1, reinterpret_cast<BYTE*>(&info)));
    uint8_t bytes[] = {0x1B, 0x40, 0x0A};
    DWORD written = 0;
    ASSERT_TRUE(table->pfnWritePort(handle, bytes, sizeof(bytes), &written));
    ASSERT_TRUE(table->pfnEndDocPort(handle));

    // Files of every day and job keep the one name pattern.
    std::vector<fs::path> logs;
    for (const auto& entry : fs::directory_iterator(TraceFolder()))
        if (entry.path().filename().string().ends_with("_00012_LM.LOG")) logs.push_back(entry.path());
    ASSERT_EQ(logs.size(), 1u);
    std::ifstream in(logs[0]);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find(": VaveriStartDocPort : [FILE:] START \r\n"), std::string::npos) << text;
    EXPECT_NE(text.find(": VaveriWritePort : [FILE:] END \r\n"), std::string::npos) << text;

    // Switched off: this document leaves no trace, and the old ones go.
    std::ofstream(root_ / "queues" / "LT-77" / "printer.ini", std::ios::trunc)
        << "[Queue]\nPort = FILE:\n[PrinterData\\PrinterDriverData\\Properties]\nMISC = binary: "
        << hex.substr(0, hex.size() - 2) << "00\n";
    std::ofstream(root_ / "queues" / "LT-77" / "jobs" / "13.ini") << "[Job]\nDocument = receipt\nStatus = 0\n";
    ASSERT_TRUE(table->pfnStartDocPort(handle, printer.data(), 13, 1, reinterpret_cast<BYTE*>(&info)));
    ASSERT_TRUE(table->pfnEndDocPort(handle));
    ASSERT_TRUE(table->pfnClosePort(handle));
    EXPECT_TRUE(fs::is_empty(TraceFolder()));

    std::ifstream printed(root_ / "drive_c" / "printed" / "FILE__12.prn", std::ios::binary);
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(printed)), std::istreambuf_iterator<char>()),
              std::string("\x1B\x40\x0A"));

    for (const char* name : {"other.LOG", "dump.BIN", "keep.txt", "lower.log", "page.BMP"})
        std::ofstream(TraceFolder() / name) << "x";
    library_.reset();
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(TraceFolder())) left.push_back(entry.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"keep.txt", "lower.log", "page.BMP"}));
}

}  // namespace
}  // namespace lt77
