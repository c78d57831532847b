#include <gtest/gtest.h>

#include "common/printer_data_names.h"
#include "platform/system_error.h"
#include "portmon/monitor_trace.h"
#include "tests/portmon/monitor_fixture.h"

namespace lt77::portmon::testing {
namespace {

std::vector<DWORD> JobWrites(LowerPort& port)
{
    std::vector<DWORD> sizes = port.writeSizes;
    return sizes;
}

TEST_F(MonitorTest, PortNamesAreTypedByPrefixAndColon)
{
    const struct {
        std::u16string name;
        DWORD type;
    } cases[] = {
        {u"COM1:", PORT_TYPE_SERIAL}, {u"COM1", PORT_TYPE_NONE},       {u"lpt2:", PORT_TYPE_PARALLEL},
        {u"LPT1", PORT_TYPE_NONE},    {u"USB001", PORT_TYPE_USB},      {u"IP_10.0.0.5", PORT_TYPE_NETWORK},
        {u"192.168.1.20", PORT_TYPE_NETWORK}, {u"FILE:", PORT_TYPE_FILE}, {u"NUL:", PORT_TYPE_NONE},
        {u"com3usb", PORT_TYPE_NONE},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GetSupportedPortType(monitor_, c.name), c.type) << Narrow(c.name);
}

TEST_F(MonitorTest, OpenRefusesBadTablesUnknownPortsAndSecondOpens)
{
    mon::MONITOR2 noRead = lower_.table;
    noRead.pfnReadPort = nullptr;
    HANDLE handle = nullptr;
    EXPECT_FALSE(VaveriOpenPortEx(monitor_, lower_.Handle(), u"USB001", u"LT-77", &handle, &noRead));
    EXPECT_EQ(LastSystemError(), syserr::kInvalidPrintMonitor);

    EXPECT_EQ(Open(u"NUL:"), nullptr);
    EXPECT_FALSE(monitor_.ports);

    IniPort* port = Open(u"FILE:");
    ASSERT_NE(port, nullptr);
    EXPECT_EQ(Open(u"file:"), nullptr);
    EXPECT_EQ(LastSystemError(), syserr::kBusy);
    EXPECT_TRUE(VaveriClosePort(monitor_, port));
    EXPECT_NE(Open(u"file:"), nullptr);

    lower_.openError = syserr::kAccessDenied;
    EXPECT_EQ(Open(u"USB002"), nullptr);
    EXPECT_EQ(LastSystemError(), syserr::kAccessDenied);
    SpoolerSectionLock lock(monitor_.spoolerSection);
    EXPECT_EQ(FindPort(monitor_, u"USB002"), nullptr);
}

TEST_F(MonitorTest, FreeJobsReleasesFromTheOldestEntryOfTheIdOn)
{
    IniPort* port = Open(u"FILE:");
    ASSERT_NE(port, nullptr);
    // Entries newest first: 5, 3, 4, 3, 2.
    for (DWORD id : {2u, 3u, 4u, 3u, 5u}) {
        ASSERT_TRUE(StartDoc(port, id));
        port->Clear(PP_INSTARTDOC);
    }
    FreeJobs(monitor_, *port, 3);
    std::vector<DWORD> left;
    for (JobEntry* e = port->jobs.get(); e != nullptr; e = e->next.get()) left.push_back(e->jobId);
    EXPECT_EQ(left, (std::vector<DWORD>{5, 3, 4}));
    std::vector<DWORD> ejected;
    for (const auto& call : fakes_.ports.CallsOf("SetJob"))
        if (call.c == mon::JOB_CONTROL_LAST_PAGE_EJECTED) ejected.push_back(call.a);
    EXPECT_EQ(ejected, (std::vector<DWORD>{3, 2}));
    FreeJobs(monitor_, *port, 9);
    EXPECT_EQ(fakes_.ports.CallsOf("SetJob").size(), 2u);
}

TEST_F(MonitorTest, WritesGoDownInChunksOfThePortType)
{
    const struct {
        std::u16string port;
        std::vector<DWORD> chunks;
    } cases[] = {
        {u"USB001", {4096, 4096, 1808}},
        {u"IP_127.0.0.1", {1024, 1024, 1024, 1024, 1024, 1024, 1024, 1024, 1024, 784}},
        {u"FILE:", {10000}},
    };
    for (const auto& c : cases) {
        IniPort* port = Open(c.port);
        ASSERT_NE(port, nullptr);
        Settle(port);
        ASSERT_TRUE(StartDoc(port, 7));
        Settle(port);
        const auto bytes = Pattern(10000);
        DWORD written = 0;
        EXPECT_TRUE(Write(port, bytes, written));
        EXPECT_EQ(written, 10000u);
        LowerPort& lower = lower_.Port(c.port);
        EXPECT_EQ(JobWrites(lower), c.chunks) << Narrow(c.port);
        EXPECT_EQ(lower.written, bytes);
        EXPECT_TRUE(VaveriEndDocPort(monitor_, port));
        EXPECT_TRUE(VaveriClosePort(monitor_, port));
    }
}

TEST_F(MonitorTest, ShortLowerWritesResumeWhereTheyStoppedWithoutLosingOrRepeatingAByte)
{
    IniPort* port = Open(u"USB001");
    ASSERT_NE(port, nullptr);
    Settle(port);
    ASSERT_TRUE(StartDoc(port, 7));
    Settle(port);
    lower_.Port(u"USB001").maxPerWrite = 1000;
    const auto bytes = Pattern(5000);
    DWORD written = 0;
    EXPECT_TRUE(Write(port, bytes, written));
    EXPECT_EQ(written, 5000u);
    EXPECT_EQ(lower_.Port(u"USB001").written, bytes);
    // A retry that comes back short waits before the next.
    EXPECT_EQ(fakes_.waits.Pauses(), std::vector<DWORD>(3, 100));
}

TEST_F(MonitorTest, AWriteToAGoneDeviceFailsAndDeletesTheJob)
{
    for (DWORD code : {233u, 995u, 1167u, 1223u, 1460u, 10060u}) {
        IniPort* port = Open(u"USB001");
        ASSERT_NE(port, nullptr);
        Settle(port);
        ASSERT_TRUE(StartDoc(port, 40));
        Settle(port);
        LowerPort& lower = lower_.Port(u"USB001");
        lower.failWritesWith = code;
        lower.written.clear();
        DWORD written = 99;
        EXPECT_FALSE(Write(port, Pattern(100), written));
        EXPECT_EQ(written, 0u);
        EXPECT_EQ(LastSystemError(), code);
        EXPECT_FALSE(fakes_.ports.HasJob(40)) << code;
        EXPECT_TRUE(port->Has(PP_INSTARTDOC));
        lower.failWritesWith = 0;
        EXPECT_TRUE(VaveriEndDocPort(monitor_, port));
        EXPECT_TRUE(VaveriClosePort(monitor_, port));
    }
}

TEST_F(MonitorTest, OtherWriteErrorsAreRetriedUntilTheJobIsDeleted)
{
    IniPort* port = Open(u"USB001");
    ASSERT_NE(port, nullptr);
    Settle(port);
    ASSERT_TRUE(StartDoc(port, 41));
    Settle(port);
    lower_.Port(u"USB001").failWritesWith = syserr::kWriteFault;
    fakes_.ports.deletingAfterGets = 25;
    DWORD written = 0;
    // The result of the last write: the job is gone, so the spooler stops.
    EXPECT_FALSE(Write(port, Pattern(100), written));
    EXPECT_FALSE(fakes_.ports.HasJob(41));
    EXPECT_EQ(lower_.Port(u"USB001").writeSizes.size(), 25u);
    EXPECT_EQ(fakes_.waits.Pauses(), std::vector<DWORD>(24, 100));
}

TEST_F(MonitorTest, WithoutAJobEntryFailingWritesGiveUpAfterTheEndOfJobTimeout)
{
    IniPort* port = Open(u"USB001");
    ASSERT_NE(port, nullptr);
    Settle(port);
    monitor_.eojTimeoutMs = 1000;
    LowerPort& lower = lower_.Port(u"USB001");
    lower.failWritesWith = syserr::kWriteFault;
    lower.failWritesLeft = 5;
    DWORD written = 0;
    // Errors that pass are no reason to give up.
    EXPECT_TRUE(Write(port, Pattern(100), written));
    EXPECT_EQ(written, 100u);

    lower.failWritesLeft = -1;
    lower.writeSizes.clear();
    EXPECT_FALSE(Write(port, Pattern(100), written));
    EXPECT_EQ(LastSystemError(), syserr::kWriteFault);
    EXPECT_EQ(lower.writeSizes.size(), 11u);  // the first write and ten retries, 100 ms apart
}

TEST_F(MonitorTest, AStartWhileThePrinterReportsAnErrorIsRefusedAndTheJobDeleted)
{
    IniPort* port = Open(u"USB001");
    ASSERT_NE(port, nullptr);
    Settle(port);
    port->dwPrinterStatus = mon::PORT_STATUS_PAPER_OUT;
    EXPECT_FALSE(StartDoc(port, 50));
    EXPECT_FALSE(fakes_.ports.HasJob(50));
    const auto setJobs = fakes_.ports.CallsOf("SetJob");
    ASSERT_EQ(setJobs.size(), 1u);
    EXPECT_EQ(setJobs[0].b, 1u);  // level 1, with the job's record
    EXPECT_EQ(setJobs[0].c, mon::JOB_CONTROL_DELETE);
    EXPECT_EQ(lower_.Port(u"USB001").startDocs, 0);
    EXPECT_FALSE(port->Has(PP_INSTARTDOC));
    EXPECT_FALSE(port->jobs);

    port->dwPrinterStatus = 0;
    port->Set(PP_PORT_OFFLINE);
    EXPECT_FALSE(StartDoc(port, 51));
    port->Clear(PP_PORT_OFFLINE);
    EXPECT_TRUE(StartDoc(port, 52));
    EXPECT_EQ(lower_.Port(u"USB001").startDocs, 1);
    Settle(port);
    EXPECT_TRUE(fakes_.ports.HasJob(52));
}

TEST_F(MonitorTest, StartArgumentsAreCheckedBeforeAnythingChanges)
{
    IniPort* port = Open(u"FILE:");
    ASSERT_NE(port, nullptr);
    mon::DOC_INFO_1W info{};
    auto* doc = reinterpret_cast<BYTE*>(&info);
    EXPECT_FALSE(VaveriStartDocPort(monitor_, port, u"LT-77", 1, 2, doc));
    EXPECT_EQ(LastSystemError(), syserr::kInvalidLevel);
    EXPECT_FALSE(VaveriStartDocPort(monitor_, port, u"", 1, 1, doc));
    EXPECT_EQ(LastSystemError(), syserr::kInvalidParameter);
    EXPECT_FALSE(VaveriStartDocPort(monitor_, port, u"LT-77", 1, 1, nullptr));
    EXPECT_EQ(LastSystemError(), syserr::kInvalidParameter);
    ASSERT_TRUE(StartDoc(port, 1));
    EXPECT_FALSE(StartDoc(port, 2));
    EXPECT_EQ(LastSystemError(), syserr::kBusy);
}

TEST_F(MonitorTest, EndOfDocumentFinishesTheJobAndCopesWithNone)
{
    IniPort* port = Open(u"FILE:");
    ASSERT_NE(port, nullptr);
    EXPECT_TRUE(VaveriEndDocPort(monitor_, port));
    ASSERT_TRUE(StartDoc(port, 60));
    EXPECT_EQ(monitor_.currentJobId.load(), 60u);
    EXPECT_TRUE(VaveriEndDocPort(monitor_, port));
    EXPECT_FALSE(port->Has(PP_INSTARTDOC));
    EXPECT_EQ(monitor_.currentJobId.load(), 0u);
    const auto setJobs = fakes_.ports.CallsOf("SetJob");
    ASSERT_EQ(setJobs.size(), 1u);
    EXPECT_EQ(setJobs[0].c, mon::JOB_CONTROL_LAST_PAGE_EJECTED);
    EXPECT_EQ(lower_.Port(u"FILE:").endDocs, 2);
}

TEST_F(MonitorTest, TimeOutsPassThroughAsTheMonitorsOwnAndBidiQueriesAreAnsweredEmpty)
{
    IniPort* port = Open(u"FILE:");
    ASSERT_NE(port, nullptr);
    EXPECT_TRUE(VaveriSetPortTimeOuts(monitor_, port, nullptr, 0));
    static mon::COMMTIMEOUTS seen{};
    port->lower.pfnSetPortTimeOuts = [](HANDLE, mon::COMMTIMEOUTS* t, DWORD) -> BOOL {
        seen = *t;
        return kBoolFalse;
    };
    mon::COMMTIMEOUTS mine{1, 2, 3, 4, 5};
    EXPECT_TRUE(VaveriSetPortTimeOuts(monitor_, port, &mine, 0));
    EXPECT_EQ(seen.ReadIntervalTimeout, 200u);
    EXPECT_EQ(seen.ReadTotalTimeoutConstant, 3000u);
    EXPECT_EQ(seen.WriteTotalTimeoutConstant, 3000u);

    mon::BIDI_RESPONSE_CONTAINER* response = reinterpret_cast<mon::BIDI_RESPONSE_CONTAINER*>(port);
    EXPECT_EQ(VaveriBidiSendRecv(monitor_, port, 0, u"GetAll", nullptr, &response), 0u);
    EXPECT_EQ(response, nullptr);

    DWORD returned = 0;
    EXPECT_TRUE(VaveriGetPrinterDataFromPort(monitor_, port, 0, nullptr, nullptr, 0, nullptr, 0, &returned));
}

TEST_F(MonitorTest, NetworkPortsLearnTheirAddressFromTheLowerMonitor)
{
    lower_.hostAddress = u"10.1.2.3";
    lower_.tcpPortNumber = 9101;
    IniPort* port = Open(u"IP_10.1.2.3");
    ASSERT_NE(port, nullptr);
    EXPECT_EQ(port->ipAddress, u"10.1.2.3");
    EXPECT_EQ(port->tcpPortNumber, 9101u);
    EXPECT_EQ(lower_.xcvOpens, lower_.xcvCloses);
    EXPECT_EQ(port->netState, KELNET_INITIALIZED);
    Settle(port);
    EXPECT_TRUE(VaveriClosePort(monitor_, port));
    EXPECT_EQ(fakes_.sockets.starts.load(), fakes_.sockets.cleanups.load());

    // A failed lookup still opens the port.
    lower_.xcvResult = syserr::kInvalidParameter;
    port = Open(u"IP_10.1.2.4");
    ASSERT_NE(port, nullptr);
    EXPECT_TRUE(port->ipAddress.empty());
}

}  // namespace
}  // namespace lt77::portmon::testing
