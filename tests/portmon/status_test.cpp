#include <gtest/gtest.h>

#include "common/status_record.h"
#include "platform/system_error.h"
#include "portmon/channels.h"
#include "portmon/icmp_echo.h"
#include "portmon/shared_record.h"
#include "portmon/status_thread.h"
#include "tests/portmon/monitor_fixture.h"

namespace lt77::portmon::testing {
namespace {

using Bytes = std::vector<uint8_t>;

std::vector<uint8_t> SharedRecord(MemorySharedMemory& memory, std::u16string printer = u"LT-77")
{
    return memory.Read(StatusSectionName(printer)).value_or(std::vector<uint8_t>{});
}

Bytes RecordHead(const Bytes& record) { return record.size() < 8 ? record : Bytes(record.begin(), record.begin() + 8); }

TEST_F(MonitorTest, StatusBlocksBecomeThePortStatusAndTheSharedRecord)
{
    IniPort* port = Open(u"USB001");
    ASSERT_NE(port, nullptr);
    Settle(port);
    const struct {
        Bytes reply;
        DWORD status, severity;
        Bytes record;
    } cases[] = {
        {{0x10, 0x00, 0x00, 0x0F}, 0, 3, {0x10, 0x00, 0x00, 0x0F, 0, 0, 0, 0}},
        {{0x14, 0x00, 0x00, 0x0F}, 0, 3, {0x14, 0x00, 0x00, 0x0F, 0, 0, 0, 0}},
        {{0x38, 0x08, 0x0C, 0x0F}, 3, 1, {0x38, 0x08, 0x0C, 0x0F, 3, 0, 0, 0}},
        {{0x1C, 0x00, 0x03, 0x0F}, 0, 3, {0x1C, 0x00, 0x03, 0x0F, 0, 0, 0, 0}},
        {{0x30, 0x00, 0x00, 0x0F}, 0, 0, {0x30, 0x00, 0x00, 0x0F, 0, 0, 0, 0}},
        {{0x3C, 0x00, 0x00, 0x0F}, 7, 1, {0x3C, 0x00, 0x00, 0x0F, 7, 0, 0, 0}},
        {{0x1C, 0x20, 0x00, 0x0F}, 8, 1, {0x1C, 0x20, 0x00, 0x0F, 8, 0, 0, 0}},
        {{0x14, 0x04, 0x00, 0x0F}, 8, 1, {0x14, 0x04, 0x00, 0x0F, 8, 0, 0, 0}},
        // The newest of two whole blocks; with a ragged tail, the first.
        {{0x14, 0x00, 0x00, 0x0F, 0x38, 0x00, 0x00, 0x0F}, 7, 1, {0x38, 0x00, 0x00, 0x0F, 7, 0, 0, 0}},
        {{0x14, 0x00, 0x00, 0x0F, 0x38, 0x00, 0x00, 0x0F, 0x01}, 0, 3, {0x14, 0x00, 0x00, 0x0F, 0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        lower_.Port(u"USB001").replies.push_back(c.reply);
        EXPECT_TRUE(ReadCommand(monitor_, *port));
        const auto status = fakes_.ports.LastPortStatus(u"USB001");
        ASSERT_TRUE(status);
        EXPECT_EQ(status->status, c.status);
        EXPECT_EQ(status->severity, c.severity);
        EXPECT_EQ(port->dwPrinterStatus.load(), c.status);
        EXPECT_EQ(RecordHead(SharedRecord(fakes_.sharedMemory)), c.record);
    }
    EXPECT_EQ(SharedRecord(fakes_.sharedMemory).size(), kStatusRecordBytes);
}

TEST_F(MonitorTest, ShortRepliesAreIgnoredAndSilenceOnAnUnreachablePrinterIsOffline)
{
    IniPort* port = Open(u"LPT1:");
    ASSERT_NE(port, nullptr);
    Settle(port);
    LowerPort& lower = lower_.Port(u"LPT1:");
    lower.parallelStatus = 0x00;
    lower.replies.push_back({0x10, 0x00, 0x00, 0x0F});
    ASSERT_TRUE(ReadCommand(monitor_, *port));
    const auto before = fakes_.ports.Calls().size();
    for (const Bytes& reply : {Bytes{0x38}, Bytes{0x38, 0x00}, Bytes{0x38, 0x00, 0x0C}}) {
        lower.replies.push_back(reply);
        EXPECT_FALSE(ReadCommand(monitor_, *port));
    }
    EXPECT_EQ(fakes_.ports.Calls().size(), before);
    EXPECT_EQ(port->dwPrinterStatus.load(), 0u);

    // Silent but reachable: nothing changes. Off line: offline, and the
    // record keeps the last block.
    EXPECT_FALSE(ReadCommand(monitor_, *port));
    EXPECT_EQ(fakes_.ports.Calls().size(), before);
    lower.parallelStatus = mon::PARALLEL_OFF_LINE;
    EXPECT_FALSE(ReadCommand(monitor_, *port));
    const auto status = fakes_.ports.LastPortStatus(u"LPT1:");
    ASSERT_TRUE(status);
    EXPECT_EQ(status->status, mon::PORT_STATUS_OFFLINE);
    EXPECT_EQ(status->severity, mon::PORT_STATUS_TYPE_ERROR);
    EXPECT_TRUE(port->Has(PP_PORT_OFFLINE));
    EXPECT_EQ(RecordHead(SharedRecord(fakes_.sharedMemory)), (Bytes{0x10, 0x00, 0x00, 0x0F, 1, 0, 0, 0}));
    EXPECT_FALSE(StartDoc(port, 70));

    lower.parallelStatus = 0x00;
    lower.replies.push_back({0x10, 0x00, 0x00, 0x0F});
    EXPECT_TRUE(ReadCommand(monitor_, *port));
    EXPECT_TRUE(StartDoc(port, 71));
}

TEST_F(MonitorTest, ParallelAndUsbAvailabilityComesFromDeviceQueries)
{
    IniPort* lpt = Open(u"LPT1:");
    IniPort* usb = Open(u"USB001");
    ASSERT_TRUE(lpt && usb);
    Settle(lpt);
    Settle(usb);
    const struct {
        std::optional<uint8_t> status;
        std::string deviceId;
        bool available;
        int deviceIdQueries;
    } cases[] = {
        {std::nullopt, "MFG:LT;", false, 0}, {0x00, "", true, 0},        {0x08, "MFG:LT;", false, 0},
        {0x18, "MFG:LT;", false, 0},         {0x10, "MFG:LT;", true, 1}, {0x10, "", false, 1},
    };
    for (const auto& c : cases) {
        LowerPort& port = lower_.Port(u"LPT1:");
        port.parallelStatus = c.status;
        port.deviceId = c.deviceId;
        port.deviceIdQueries = 0;
        EXPECT_EQ(IsPrinterAvailable(monitor_, *lpt), c.available);
        EXPECT_EQ(port.deviceIdQueries, c.deviceIdQueries);
    }
    lower_.Port(u"USB001").deviceId = "";
    EXPECT_FALSE(IsPrinterAvailable(monitor_, *usb));
    lower_.Port(u"USB001").deviceId = "MFG:LT;";
    EXPECT_TRUE(IsPrinterAvailable(monitor_, *usb));
}

TEST_F(MonitorTest, FailedPortStatusKeepsTheOldStatusButTheRecordHasTheNew)
{
    IniPort* port = Open(u"USB001");
    ASSERT_NE(port, nullptr);
    Settle(port);
    fakes_.ports.setPortError = syserr::kAccessDenied;
    const uint8_t open[4] = {0x38, 0x00, 0x00, 0x0F};
    EXPECT_FALSE(InterpretCommands(monitor_, *port, open));
    EXPECT_EQ(port->dwPrinterStatus.load(), 0u);
    EXPECT_EQ(RecordHead(SharedRecord(fakes_.sharedMemory)), (Bytes{0x38, 0x00, 0x00, 0x0F, 7, 0, 0, 0}));
}

TEST_F(MonitorTest, ARecordThatCannotBeMappedIsMadeAgainAtTheNextPublish)
{
    IniPort* port = Open(u"USB001");
    ASSERT_NE(port, nullptr);
    Settle(port);
    fakes_.sharedMemory.failMaps = 1;
    const uint8_t clear[4] = {0x10, 0x00, 0x00, 0x0F};
    EXPECT_FALSE(SetASBDataAndPortStatusByMMF(monitor_, *port, clear, 0));
    EXPECT_TRUE(monitor_.sections.empty());
    EXPECT_TRUE(SetASBDataAndPortStatusByMMF(monitor_, *port, clear, 0));
    EXPECT_EQ(monitor_.sections.size(), 1u);
}

TEST_F(MonitorTest, TwoPrintersHaveTwoRecords)
{
    IniPort* a = Open(u"USB001", u"Front");
    IniPort* b = Open(u"USB002", u"Back");
    ASSERT_TRUE(a && b);
    const uint8_t open[4] = {0x38, 0x00, 0x00, 0x0F};
    const uint8_t clear[4] = {0x10, 0x00, 0x00, 0x0F};
    SetASBDataAndPortStatusByMMF(monitor_, *a, open, 7);
    SetASBDataAndPortStatusByMMF(monitor_, *b, clear, 0);
    EXPECT_EQ(RecordHead(SharedRecord(fakes_.sharedMemory, u"Front")), (Bytes{0x38, 0, 0, 0x0F, 7, 0, 0, 0}));
    EXPECT_EQ(RecordHead(SharedRecord(fakes_.sharedMemory, u"Back")), (Bytes{0x10, 0, 0, 0x0F, 0, 0, 0, 0}));
}

TEST_F(MonitorTest, BidiSwitchAndWorkOfflineAreReadFromThePrinter)
{
    IniPort* port = Open(u"USB001");
    ASSERT_NE(port, nullptr);
    Settle(port);
    fakes_.ports.getPrinterError = 0;
    fakes_.ports.attributes = mon::PRINTER_ATTRIBUTE_WORK_OFFLINE;
    EXPECT_EQ(IsEnableBidiCommunication(monitor_, *port), -1);
    EXPECT_EQ(fakes_.ports.attributes.load(), 0u);
    fakes_.ports.attributes = mon::PRINTER_ATTRIBUTE_ENABLE_BIDI;
    EXPECT_EQ(IsEnableBidiCommunication(monitor_, *port), 1);
    fakes_.spooler.faults.open = syserr::kAccessDenied;
    EXPECT_EQ(IsEnableBidiCommunication(monitor_, *port), 0);
}

// --- serial ---------------------------------------------------------------

class SerialTest : public MonitorTest {
protected:
    SerialTest()
    {
        fakes_.serial.targets[u"COM1"] = {u"\\Device\\NamedPipe\\Spooler\\COM1", u"\\Device\\Serial0"};
    }
    SerialLineScript& Line() { return fakes_.serial.lines[u"\\Device\\Serial0"]; }
};

TEST_F(SerialTest, ThePrivateHandleOpensBesideTheSpoolersRedirection)
{
    fakes_.registry.ports[u"COM1:"] = u"9600,n,8,1";
    IniPort* port = Open(u"COM1:");
    ASSERT_NE(port, nullptr);
    Settle(port);
    ASSERT_TRUE(GetCOMPort(monitor_, *port));
    EXPECT_EQ(fakes_.serial.aliases.at(u"NONSPOOLED_COM1"), u"\\Device\\Serial0");
    EXPECT_TRUE(port->Has(PP_DOSDEV_DEFINED));
    EXPECT_EQ(Line().line.baudRate, 9600u);
    EXPECT_EQ(Line().timeouts.readIntervalMs, 200u);
    EXPECT_EQ(Line().timeouts.readTotalConstantMs, 5000u);
    EXPECT_EQ(Line().timeouts.writeTotalConstantMs, 200u);
    EXPECT_EQ(fakes_.ports.identityBalance.load(), 0);

    // A start of document hands the device to the spooler.
    ASSERT_TRUE(StartDoc(port, 80));
    EXPECT_FALSE(port->hFile);
    EXPECT_EQ(fakes_.serial.aliases.count(u"NONSPOOLED_COM1"), 0u);
    EXPECT_FALSE(port->Has(PP_DOSDEV_DEFINED));
}

TEST_F(SerialTest, WithoutStoredSettingsTheLineRunsAt115200WithHardwareHandshake)
{
    fakes_.registry.keyExists = false;
    IniPort* port = Open(u"COM1:");
    ASSERT_NE(port, nullptr);
    Settle(port);
    ASSERT_TRUE(GetCOMPort(monitor_, *port));
    EXPECT_EQ(Line().line.baudRate, 115200u);
    EXPECT_EQ(Line().line.byteSize, 8);
    EXPECT_EQ(Line().line.parity, 0);
    EXPECT_TRUE(Line().line.outxCtsFlow);
}

TEST_F(SerialTest, AnUnopenableDeviceIsPrinterNotFound)
{
    fakes_.serial.openError = syserr::kAccessDenied;
    IniPort* port = Open(u"COM1:");
    ASSERT_NE(port, nullptr);
    Settle(port);
    EXPECT_FALSE(GetCOMPort(monitor_, *port));
    EXPECT_EQ(LastSystemError(), syserr::kPrinterNotFound);
    EXPECT_EQ(fakes_.serial.aliases.count(u"NONSPOOLED_COM1"), 0u);
    EXPECT_EQ(fakes_.ports.identityBalance.load(), 0);
}

TEST_F(SerialTest, StatusAlreadyWaitingMeansNoEnableCommandAndCtsOrTwoBytesMeanAvailable)
{
    IniPort* port = Open(u"COM1:");
    ASSERT_NE(port, nullptr);
    Settle(port);
    ASSERT_TRUE(GetCOMPort(monitor_, *port));
    Line().input = {0x10, 0x00, 0x00, 0x0F};
    EXPECT_TRUE(SerWritePort(monitor_, *port));
    EXPECT_TRUE(Line().output.empty());

    Line().modem = 0;
    Line().input = {0x10};
    EXPECT_FALSE(IsPrinterAvailable(monitor_, *port));
    Line().input = {0x10, 0x00};
    EXPECT_TRUE(IsPrinterAvailable(monitor_, *port));
    Line().input.clear();
    Line().modem = MS_CTS_ON;
    EXPECT_TRUE(IsPrinterAvailable(monitor_, *port));

    // An empty queue for ten looks: the command goes out.
    fakes_.waits.Forget();
    EXPECT_TRUE(SerWritePort(monitor_, *port));
    EXPECT_EQ(Line().output, (Bytes{0x1D, 0x61, 0xFF, 0x00}));
    EXPECT_EQ(fakes_.waits.Pauses(), std::vector<DWORD>(10, 100));
}

TEST_F(SerialTest, ASilentSerialPrinterKeepsTheErrorItReported)
{
    IniPort* port = Open(u"COM1:");
    ASSERT_NE(port, nullptr);
    Settle(port);
    ASSERT_TRUE(GetCOMPort(monitor_, *port));
    Line().answer = [](const Bytes&) { return Bytes{0x38, 0x00, 0x00, 0x0F}; };
    EXPECT_TRUE(ReadCommand(monitor_, *port));
    EXPECT_EQ(port->dwPrinterStatus.load(), mon::PORT_STATUS_DOOR_OPEN);
    Line().answer = nullptr;
    Line().modem = std::nullopt;
    EXPECT_FALSE(ReadCommand(monitor_, *port));
    EXPECT_EQ(port->dwPrinterStatus.load(), mon::PORT_STATUS_DOOR_OPEN);
    EXPECT_EQ(fakes_.ports.LastPortStatus(u"COM1:")->status, mon::PORT_STATUS_DOOR_OPEN);
    EXPECT_FALSE(port->Has(PP_PORT_OFFLINE));
}

// --- network probe ----------------------------------------------------------

Bytes IpFramed(Bytes icmp)
{
    Bytes packet(20, 0);
    packet[0] = 0x45;
    packet[8] = 64;
    packet[9] = 1;
    packet.insert(packet.end(), icmp.begin(), icmp.end());
    return packet;
}

Bytes ReplyTo(const Bytes& request)
{
    Bytes icmp = request;
    icmp[0] = 0;
    icmp[2] = icmp[3] = 0;
    const uint16_t sum = InternetChecksum(icmp);
    icmp[2] = static_cast<uint8_t>(sum >> 8);
    icmp[3] = static_cast<uint8_t>(sum);
    return IpFramed(icmp);
}

TEST_F(MonitorTest, TheEchoProbeBelievesOnlyAnIntactReplyToItsOwnRequest)
{
    IniPort* port = Open(u"IP_127.0.0.1");
    ASSERT_NE(port, nullptr);
    Settle(port);
    const struct {
        const char* what;
        std::function<std::vector<Bytes>(const Bytes&)> echo;
        bool available;
        int requests;
    } cases[] = {
        {"intact reply", [](const Bytes& r) { return std::vector<Bytes>{ReplyTo(r)}; }, true, 1},
        {"own request first, as on loopback",
         [](const Bytes& r) { return std::vector<Bytes>{IpFramed(r), ReplyTo(r)}; }, true, 1},
        {"changed payload",
         [](const Bytes& r) {
             Bytes reply = ReplyTo(r);
             reply[30] ^= 1;
             return std::vector<Bytes>{reply};
         },
         false, 3},
        {"truncated",
         [](const Bytes& r) {
             Bytes reply = ReplyTo(r);
             reply.resize(30);
             return std::vector<Bytes>{reply};
         },
         false, 3},
        {"other identifier",
         [](const Bytes& r) {
             Bytes other = r;
             other[4] ^= 0xFF;
             return std::vector<Bytes>{ReplyTo(other)};
         },
         false, 3},
        {"silence", [](const Bytes&) { return std::vector<Bytes>{}; }, false, 3},
        {"runt packets", [](const Bytes&) { return std::vector<Bytes>{Bytes{0x45}, Bytes(20, 0x45)}; }, false, 3},
    };
    for (const auto& c : cases) {
        fakes_.sockets.echo = c.echo;
        fakes_.sockets.echoRequests = 0;
        EXPECT_EQ(IsPrinterAvailable(monitor_, *port), c.available) << c.what;
        EXPECT_EQ(fakes_.sockets.echoRequests.load(), c.requests) << c.what;
    }
}

TEST(EchoRequest, IsFortyBytesWithAVerifyingChecksum)
{
    const auto request = BuildEchoRequest(0x1234, 2);
    EXPECT_EQ(request[0], 8);
    EXPECT_EQ(request[4], 0x12);
    EXPECT_EQ(request[5], 0x34);
    EXPECT_EQ(request[7], 2);
    EXPECT_EQ(request[39], 0x78);
    EXPECT_EQ(InternetChecksum(request), 0);
    // RFC 1071's worked example.
    const uint8_t sample[] = {0x00, 0x01, 0xF2, 0x03, 0xF4, 0xF5, 0xF6, 0xF7};
    EXPECT_EQ(InternetChecksum(sample), static_cast<uint16_t>(~0xDDF2u));
}

// --- the thread ------------------------------------------------------------

TEST_F(RunningMonitorTest, TheThreadPollsBetweenDocumentsPausesDuringThemAndStopsAtClose)
{
    LowerPort& lower = lower_.Port(u"USB001");
    {
        std::lock_guard lock(lower_.mutex);
        for (int i = 0; i < 3; ++i) lower.replies.push_back({0x38, 0x00, 0x00, 0x0F});
    }
    IniPort* port = Open(u"USB001");
    ASSERT_NE(port, nullptr);
    ASSERT_TRUE(fakes_.ports.WaitForPortStatus(u"USB001", mon::PORT_STATUS_DOOR_OPEN, 1));
    EXPECT_FALSE(StartDoc(port, 90));
    EXPECT_FALSE(fakes_.ports.HasJob(90));
    {
        std::lock_guard lock(lower_.mutex);
        lower.replies.clear();
        for (int i = 0; i < 100; ++i) lower.replies.push_back({0x10, 0x00, 0x00, 0x0F});
    }
    ASSERT_TRUE(fakes_.ports.WaitForPortStatus(u"USB001", 0, 3));
    ASSERT_TRUE(StartDoc(port, 91));
    {
        std::lock_guard lock(lower_.mutex);
        lower.written.clear();
    }
    DWORD written = 0;
    ASSERT_TRUE(Write(port, Pattern(300), written));
    EXPECT_TRUE(VaveriEndDocPort(monitor_, port));
    {
        // The job's bytes alone: no status command came between them.
        std::lock_guard lock(lower_.mutex);
        ASSERT_GE(lower.written.size(), 300u);
        EXPECT_EQ(Bytes(lower.written.begin(), lower.written.begin() + 300), Pattern(300));
    }
    EXPECT_TRUE(VaveriClosePort(monitor_, port));
    EXPECT_FALSE(lower_.Port(u"USB001").open);
}

}  // namespace
}  // namespace lt77::portmon::testing
