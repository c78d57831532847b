// Out of memory at every allocation, one at a time: a receipt job through the
// rendering plug-in's exports as the driver core drives them, and a job
// through the port monitor's job path (StartDocPort, WritePort, EndDocPort)
// as the spooler drives it. Each run with a failed allocation ends with the
// entry's documented failure and a trace line, never an exception through
// an export; the sanitizer build's leak checker sees every run. The loop
// ends with the first run whose job needed fewer allocations than the count.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "common/command_callback_ids.h"
#include "common/printer_data_names.h"
#include "common/settings.h"
#include "host/device_context.h"
#include "host/host_core.h"
#include "host/lower_monitor.h"
#include "host/monitor_registry.h"
#include "host/plugin_host.h"
#include "host/queue_admin.h"
#include "platform/library.h"
#include "platform/process.h"
#include "platform/system_error.h"
#include "tests/support/failing_allocator.h"
#include "tests/support/scratch_host_root.h"

namespace lt77 {
namespace {

namespace fs = std::filesystem;
constexpr std::size_t kMostAllocations = 200000;  // a run longer than this is a runaway
constexpr const char* kGuardLine = "EXCEPTION, std::bad_alloc";

class AllocationFailure : public ::testing::Test {
protected:
    void SetUp() override
    {
        root_ = test::MakeScratchHostRoot("alloc", {"drive_c/temp"});
    }
    void TearDown() override { test::RemoveScratchHostRoot(root_, HasFailure()); }
    // Every trace file's text, in one piece.
    std::string Traces()
    {
        std::string text;
        std::error_code ec;
        for (const auto& entry : fs::recursive_directory_iterator(root_ / "drive_c" / "temp", ec)) {
            if (!entry.is_regular_file()) continue;
            std::ifstream in(entry.path(), std::ios::binary);
            std::ostringstream s;
            s << in.rdbuf();
            text += s.str();
        }
        return text;
    }
    static std::size_t Count(const std::string& text, const std::string& what)
    {
        std::size_t n = 0;
        for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
        return n;
    }
    fs::path root_;
};

// One entry of a job: its call, and the result that means it failed.
struct Step {
    const char* entry;
    std::function<long()> call;
    long failure;
};

TEST_F(AllocationFailure, EveryAllocationOfAReceiptJobThroughThePlugInFailsCleanly)
{
    std::string error;
    auto loaded = host::LoadedPlugin::Load(host::DefaultPluginPath(), error);
    ASSERT_TRUE(loaded) << error;
    // A queue and document name short enough for their strings' own space:
    // the host's side allocates nothing while the hook is armed.
    ASSERT_FALSE(host::CreateQueue("Q").has_value());
    // The trace on, so that the guards' lines are kept, and settings that
    // show in the job's bytes (line feeds, the first drawer), so that a run
    // that lost them to a failed read and went on is seen.
    auto settings = DefaultSettings();
    settings[IDX_TRACE_ON] = 1;
    settings[IDX_LINE_FEEDS] = 3;
    settings[IDX_DRAWER1_AFTER] = 1;
    ASSERT_FALSE(host::SetPrinterData("Q", kPropertiesKey, kMiscValue,
                                      PrinterDataValue{REG_BINARY_TYPE, {settings.begin(), settings.end()}})
                     .has_value());
    std::vector<uint8_t> band(72 * 64, 0x00);
    for (std::size_t i = 0; i < band.size(); i += 7) band[i] = 0xF0;  // some print
    std::vector<uint8_t> colors = {0, 0, 0, 0, 255, 255, 255, 0};
    BITMAPINFOHEADER header{.biSize = sizeof(BITMAPINFOHEADER), .biWidth = 576, .biHeight = 64, .biPlanes = 1,
                            .biBitCount = 1};

    // The plug-in keeps its trace lines until the end of the document, which
    // an abandoned document never reaches: its guards' lines are not counted.
    std::vector<uint8_t> reference;
    std::size_t injected = 0, absorbed = 0;
    for (std::size_t n = 1;; ++n) {
        ASSERT_LT(n, kMostAllocations);
        SCOPED_TRACE("allocation " + std::to_string(n));
        host::HostCore core;
        core.spooled.reserve(1 << 16);
        host::DeviceContext dc(loaded->Plugin(), core, host::DeviceSetup{"Q"});
        IPPARAMS params{.dwSize = sizeof(IPPARAMS)};
        BYTE* bandResult = nullptr;
        const auto image = [&] {
            return static_cast<long>(dc.Plugin()->ImageProcessing(&dc.DevObj(), band.data(), &header, colors.data(),
                                                                  1, &params, &bandResult));
        };
        const std::vector<Step> job = {
            {"StartDoc", [&] { return static_cast<long>(dc.StartDoc(u"R", 7)); }, kBoolFalse},
            {"start of document", [&] { return static_cast<long>(dc.Command(KLW_STARTDOC)); }, hr::kFail},
            {"start of page", [&] { return static_cast<long>(dc.Command(KLW_STARTPAGE)); }, hr::kFail},
            {"ImageProcessing", image, hr::kFail},
            {"ImageProcessing", image, hr::kFail},
            {"end of page", [&] { return static_cast<long>(dc.Command(KLW_ENDPAGE)); }, hr::kFail},
            {"end of document", [&] { return static_cast<long>(dc.Command(KLW_ENDDOC)); }, hr::kFail},
            {"EndDoc", [&] { return static_cast<long>(dc.EndDoc()); }, kBoolFalse},
        };
        std::vector<std::string> failed;
        test::ArmAllocationFailure(n);
        try {
            // Enabling is all or nothing: the core gives up on the device
            // when either refuses.
            if (dc.PublishAndEnableDriver() != hr::kOk) {
                failed.push_back("PublishDriverInterface or EnableDriver");
            } else if (dc.EnablePDEV() != hr::kOk) {
                failed.push_back("EnablePDEV");
            } else {
                // After a refusal the core abandons the document: EndDoc, then disable.
                bool abandoned = false;
                for (const Step& step : job) {
                    if (abandoned && std::string(step.entry) != "EndDoc") continue;
                    if (step.call() == step.failure) {
                        failed.push_back(step.entry);
                        abandoned = true;
                    }
                }
                if (dc.DisablePDEV() != hr::kOk) failed.push_back("DisablePDEV");
            }
            loaded->Plugin()->DisableDriver();
        } catch (const std::exception& e) {
            test::DisarmAllocationFailure();
            FAIL() << "an exception came through an export: " << e.what();
        }
        const bool fired = test::DisarmAllocationFailure();
        if (!fired) {
            EXPECT_TRUE(failed.empty()) << "the job failed with no allocation failing: " << failed.front();
            EXPECT_FALSE(core.spooled.empty());
            std::cout << "receipt job: " << n - 1 << " allocations, each failed once: " << injected - absorbed
                      << " runs ended with an entry's failure, " << absorbed << " went on with the same output\n";
            break;
        }
        ++injected;
        if (failed.empty()) {
            // Only an allocation the job can do without (a trace line) may
            // fail unreported, and then the printer gets the same bytes.
            ++absorbed;
            if (reference.empty()) {
                // The first complete run without a failure gives the bytes.
                test::ArmAllocationFailure(kMostAllocations);
                host::HostCore clean;
                host::DeviceContext again(loaded->Plugin(), clean, host::DeviceSetup{"Q"});
                bool ok = again.PublishAndEnableDriver() == hr::kOk && again.EnablePDEV() == hr::kOk;
                ok = ok && again.StartDoc(u"R", 7) && again.Command(KLW_STARTDOC) == hr::kOk &&
                     again.Command(KLW_STARTPAGE) == hr::kOk;
                for (int b = 0; ok && b < 2; ++b)
                    ok = again.Plugin()->ImageProcessing(&again.DevObj(), band.data(), &header, colors.data(), 1,
                                                         &params, &bandResult) == hr::kOk;
                ok = ok && again.Command(KLW_ENDPAGE) == hr::kOk && again.Command(KLW_ENDDOC) == hr::kOk &&
                     again.EndDoc();
                again.DisablePDEV();
                loaded->Plugin()->DisableDriver();
                ASSERT_FALSE(test::DisarmAllocationFailure());
                ASSERT_TRUE(ok);
                reference = clean.spooled;
            }
            EXPECT_EQ(core.spooled, reference) << "an allocation failed unreported and the job's bytes changed";
            if (core.spooled != reference) test::PrintFailedAllocationStack();
        }
    }
    EXPECT_GT(injected, absorbed);
}

TEST_F(AllocationFailure, EveryAllocationOfAMonitorJobFailsCleanly)
{
    std::string error;
    auto library = LoadSharedLibrary(host::DefaultMonitorPath(), error);
    ASSERT_TRUE(library) << error;
    using InitializeFn = mon::MONITOR2* (*)(mon::MONITORINIT*, HANDLE*);
    const auto initialize = reinterpret_cast<InitializeFn>(library->Symbol("InitializePrintMonitor2"));
    ASSERT_NE(initialize, nullptr);
    host::MonitorRegistry registry;
    mon::MONITORINIT init = registry.Init();
    HANDLE hMonitor = nullptr;
    mon::MONITOR2* table = initialize(&init, &hMonitor);
    ASSERT_NE(table, nullptr);

    // The trace on (settings byte 43), so that the guard's line is kept.
    std::string misc = "00";
    for (std::size_t i = 1; i < kSettingsCount; ++i) misc += i == 43 ? " 01" : " 00";
    fs::create_directories(root_ / "queues" / "LT-77" / "jobs");
    std::ofstream(root_ / "queues" / "LT-77" / "printer.ini")
        << "[Queue]\nPort = FILE:\n[PrinterData\\PrinterDriverData\\Properties]\nMISC = binary: " << misc << "\n";
    {
        host::LowerMonitor lower({SystemSockets(), SystemSerialDevices(), SystemFileSystem()},
                                 [](std::u16string_view) {
                                     host::PortSettings settings;
                                     settings.outputFolder = "C:\\printed";
                                     return settings;
                                 });
        std::u16string port = u"FILE:", printer = u"LT-77", document = u"R";
        HANDLE handle = nullptr;
        ASSERT_TRUE(table->pfnOpenPortEx(nullptr, lower.Handle(), port.data(), printer.data(), &handle, lower.Table()));
        mon::DOC_INFO_1W info{document.data(), nullptr, nullptr};
        std::vector<uint8_t> bytes(3000);
        for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>('A' + i % 26);

        std::size_t injected = 0, absorbed = 0, guardLines = 0;
        for (std::size_t n = 1;; ++n) {
            ASSERT_LT(n, kMostAllocations);
            SCOPED_TRACE("allocation " + std::to_string(n));
            const DWORD jobId = static_cast<DWORD>(n);
            std::ofstream(root_ / "queues" / "LT-77" / "jobs" / (std::to_string(jobId) + ".ini"))
                << "[Job]\nDocument = R\nStatus = 0\n";
            const std::string tracesBefore = Traces();
            std::vector<std::pair<std::string, DWORD>> failed;
            std::size_t sent = 0;
            test::ArmAllocationFailure(n);
            try {
                if (!table->pfnStartDocPort(handle, printer.data(), jobId, 1, reinterpret_cast<BYTE*>(&info))) {
                    failed.emplace_back("StartDocPort", LastSystemError());
                } else {
                    // The spooler's buffers; a failed write ends the document.
                    while (sent < bytes.size()) {
                        DWORD written = 0;
                        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(1024, bytes.size() - sent));
                        if (!table->pfnWritePort(handle, bytes.data() + sent, chunk, &written)) {
                            failed.emplace_back("WritePort", LastSystemError());
                            break;
                        }
                        sent += written;
                    }
                    if (!table->pfnEndDocPort(handle)) failed.emplace_back("EndDocPort", LastSystemError());
                }
            } catch (const std::exception& e) {
                test::DisarmAllocationFailure();
                FAIL() << "an exception came through an export: " << e.what();
            }
            const bool fired = test::DisarmAllocationFailure();
            if (!fired) {
                EXPECT_TRUE(failed.empty()) << failed.front().first << " failed with no allocation failing, error "
                                            << failed.front().second;
                EXPECT_EQ(sent, bytes.size());
                std::cout << "monitor job: " << n - 1 << " allocations, each failed once: " << injected - absorbed
                          << " runs ended with an entry's failure, " << absorbed
                          << " went on with the same output; " << guardLines << " guard trace lines\n";
                break;
            }
            ++injected;
            guardLines += Count(Traces(), kGuardLine) - Count(tracesBefore, kGuardLine);
            if (failed.empty()) {
                // A trace line lost: the job itself went through whole.
                ++absorbed;
                std::ifstream printed(root_ / "drive_c" / "printed" / ("FILE__" + std::to_string(jobId) + ".prn"),
                                      std::ios::binary);
                EXPECT_EQ(std::vector<uint8_t>(std::istreambuf_iterator<char>(printed), {}), bytes)
                    << "an allocation failed unreported and the job's bytes changed";
                continue;
            }
            // The spooler reads the reason from the thread's last error.
            EXPECT_EQ(failed.front().second, syserr::kNotEnoughMemory) << failed.front().first;
        }
        EXPECT_GT(injected, absorbed);
        EXPECT_GT(guardLines, 0u) << "no run left its entry's trace line";
        EXPECT_TRUE(table->pfnClosePort(handle));
    }
    library.reset();
}

}  // namespace
}  // namespace lt77
