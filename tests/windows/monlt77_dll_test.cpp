// The port monitor as shipped: its export and import tables, and its one
// export under Wine with the registry functions a spooler lends it.
#include <gtest/gtest.h>

#include <cstring>

#include "host/monitor_registry.h"
#include "pe_image.h"
#include "platform/library.h"
#include "platform/monitor/monitor_abi.h"
#include "platform/system_error.h"

namespace lt77::test_support {
namespace {

using InitializeFn = mon::MONITOR2* (*)(mon::MONITORINIT*, HANDLE*);

const PeImage& Monlt77() { return PeImageOf(LT77_MONLT77_DLL); }

TEST(Monlt77Dll, IsA64BitImageWithTheOneExportTheSpoolerCalls)
{
    EXPECT_EQ(Monlt77().machine, kMachineAmd64);
    EXPECT_EQ(Monlt77().exportNames, (std::vector<std::string>{"InitializePrintMonitor2"}));
}

TEST(Monlt77Dll, ImportsOnlySystemLibrariesAndNeitherSetPortNorAnEntryPoint)
{
    // The spooler's process loads the monitor: it must not need the GCC
    // runtime's DLLs. spoolss gives the identity switches, ws2_32 the
    // printer's network channel.
    EXPECT_FALSE(Monlt77().imports.empty());
    EXPECT_EQ(ForeignImports(Monlt77(), {"kernel32.dll", "msvcrt.dll", "advapi32.dll", "winspool.drv",
                                         "spoolss.dll", "ws2_32.dll"}),
              std::vector<std::string>{});
    for (const auto& [library, functions] : Monlt77().imports) {
        SCOPED_TRACE(library);
        for (const auto& f : functions) {
            // Wine's winspool.drv has no SetPortW: a static import would keep
            // the monitor from loading there.
            EXPECT_NE(f.rfind("SetPort", 0), 0u) << f;
            // mingw-w64's spoolss import library lists a DllMain; bound to it,
            // the loader would run spoolss's entry for the monitor.
            EXPECT_NE(f, "DllMain");
        }
    }
}

TEST(Monlt77Dll, InitializePrintMonitor2TakesTheSpoolersRegistryOrRefuses)
{
    std::string error;
    auto library = LoadSharedLibrary(LT77_MONLT77_DLL, error);
    ASSERT_NE(library, nullptr) << error;
    const auto initialize = reinterpret_cast<InitializeFn>(library->Symbol("InitializePrintMonitor2"));
    ASSERT_NE(initialize, nullptr);

    HANDLE hMonitor = &hMonitor;
    SetLastSystemError(0);
    EXPECT_EQ(initialize(nullptr, &hMonitor), nullptr);
    EXPECT_EQ(LastSystemError(), syserr::kInvalidParameter);

    // A spooler that cannot store the value refuses the monitor its key.
    host::MonitorRegistry refusing;
    refusing.failSetWith = syserr::kAccessDenied;
    mon::MONITORINIT refusingInit = refusing.Init();
    EXPECT_EQ(initialize(&refusingInit, &hMonitor), nullptr);
    EXPECT_TRUE(refusing.Snapshot().empty());

    host::MonitorRegistry registry;
    mon::MONITORINIT init = registry.Init();
    const mon::MONITOR2* table = initialize(&init, &hMonitor);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(hMonitor, nullptr);
    EXPECT_EQ(table->cbSize, 160u);
    EXPECT_EQ(table->pfnEnumPorts, nullptr);
    EXPECT_EQ(table->pfnOpenPort, nullptr);
    EXPECT_NE(table->pfnOpenPortEx, nullptr);
    EXPECT_NE(table->pfnStartDocPort, nullptr);
    EXPECT_NE(table->pfnWritePort, nullptr);
    EXPECT_NE(table->pfnReadPort, nullptr);
    EXPECT_NE(table->pfnEndDocPort, nullptr);
    EXPECT_NE(table->pfnClosePort, nullptr);
    EXPECT_EQ(table->pfnAddPort, nullptr);
    EXPECT_EQ(table->pfnAddPortEx, nullptr);
    EXPECT_EQ(table->pfnConfigurePort, nullptr);
    EXPECT_EQ(table->pfnDeletePort, nullptr);
    EXPECT_NE(table->pfnGetPrinterDataFromPort, nullptr);
    EXPECT_NE(table->pfnSetPortTimeOuts, nullptr);
    EXPECT_EQ(table->pfnXcvOpenPort, nullptr);
    EXPECT_EQ(table->pfnXcvDataPort, nullptr);
    EXPECT_EQ(table->pfnXcvClosePort, nullptr);
    EXPECT_NE(table->pfnShutdown, nullptr);
    EXPECT_NE(table->pfnSendRecvBidiDataFromPort, nullptr);

    const auto values = registry.Snapshot();
    ASSERT_EQ(values.count(u"EOJTimeout"), 1u);
    const auto& timeout = values.at(u"EOJTimeout");
    EXPECT_EQ(timeout.type, mon::REG_DWORD_VALUE);
    ASSERT_EQ(timeout.bytes.size(), 4u);
    uint32_t ms = 0;
    std::memcpy(&ms, timeout.bytes.data(), 4);
    EXPECT_EQ(ms, 7000u);
}

}  // namespace
}  // namespace lt77::test_support
