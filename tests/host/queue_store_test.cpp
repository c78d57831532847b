// The host's queue store: readable files, and clear errors naming the file
// for missing, truncated or malformed ones.
#include "host/host_commands.h"
#include "host_fixture.h"
#include "platform/typed_value.h"

namespace lt77::host::testing {
namespace {

class QueueStore : public HostTest {
protected:
    void SetUp() override
    {
        if (!HostQueuesArePlainFiles()) GTEST_SKIP() << "the Windows host keeps its queues in the spooler, not in files";
        HostTest::SetUp();
    }
    int Command(const std::vector<std::string>& args, std::string& out, std::string& err)
    {
        std::ostringstream o, e;
        const int rc = RunCommand(args, o, e);
        out = o.str();
        err = e.str();
        return rc;
    }
    void Corrupt(const std::string& text)
    {
        std::ofstream(QueueFilePath(queue_), std::ios::binary | std::ios::trunc) << text;
    }
};

TEST_F(QueueStore, TypedValuesRoundTrip)
{
    const struct {
        std::string text;
        DWORD type;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"binary: 1B 40 00 FF", REG_BINARY_TYPE, Bytes({0x1B, 0x40, 0x00, 0xFF})},
        {"binary:", REG_BINARY_TYPE, {}},
        {"sz: LT-77", REG_SZ_TYPE, Bytes({'L', 0, 'T', 0, '-', 0, '7', 0, '7', 0, 0, 0})},
        {"sz: \xED\x95\x9C", REG_SZ_TYPE, Bytes({0x5C, 0xD5, 0, 0})},
        // A character beyond the 16-bit plane becomes a surrogate pair.
        {"sz: \xF0\x9F\xA7\xBE", REG_SZ_TYPE, Bytes({0x3E, 0xD8, 0xFE, 0xDD, 0, 0})},
        {"dword: 258", REG_DWORD_TYPE, Bytes({2, 1, 0, 0})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const auto decoded = DecodeTypedValue(c.text);
        ASSERT_TRUE(std::holds_alternative<PrinterDataValue>(decoded));
        const auto& value = std::get<PrinterDataValue>(decoded);
        EXPECT_EQ(value.type, c.type);
        EXPECT_EQ(value.bytes, c.bytes);
        EXPECT_EQ(EncodeTypedValue(value), c.text);
    }
    for (const char* bad : {"binary: 1B 4", "binary: 1G", "dword: 4294967296", "dword: -1", "text: x", "sz: \xFF"}) {
        SCOPED_TRACE(bad);
        EXPECT_TRUE(std::holds_alternative<std::string>(DecodeTypedValue(bad)));
    }
}

TEST_F(QueueStore, ErrorsNameTheFileAndTheLine)
{
    const struct {
        const char* name;
        std::string text;
        std::string needle;
    } cases[] = {
        {"truncated value", "[Queue]\nDriver = LT-77\n[PrinterData\\PrinterDriverData\\Properties]\nMISC = binary: 00 1", ":4"},
        {"garbage line", "[Queue]\nthis is not a value\n", ":2: expected 'name = value'"},
        {"value outside a section", "Driver = LT-77\n", ":1: value outside of any [section]"},
        {"broken header", "[Queue\n", ":1: a section header"},
        {"unknown value type", "[PrinterData\\X]\nA = hex: 00\n", "A: a value must start with"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Corrupt(c.text);
        std::string out, err;
        EXPECT_EQ(Command({"show-queue", queue_}, out, err), 1);
        EXPECT_NE(err.find(QueueFilePath(queue_)), std::string::npos) << err;
        EXPECT_NE(err.find(c.needle), std::string::npos) << err;
    }
}

TEST_F(QueueStore, MissingQueueIsReportedNotCrashed)
{
    std::string out, err;
    EXPECT_EQ(Command({"show-queue", "No Such Queue"}, out, err), 1);
    EXPECT_NE(err.find("printer.ini"), std::string::npos);
    EXPECT_NE(err.find("missing or unreadable"), std::string::npos);
}

TEST_F(QueueStore, MalformedStoreMeansDefaultsForThePlugin)
{
    SetSettings({{IDX_LINE_FEEDS, 2}});
    Corrupt(ReadFileText(QueueFilePath(queue_)) + "[PrinterData\\X]\nbroken = binary: ZZ\n");
    JobRequest request;
    request.pages = 0;
    const JobResult result = Run(request);
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.spooled.size(), 5u + 12u) << "no line feeds: the settings could not be read";
}

TEST_F(QueueStore, CommandLineSetsValuesThatThePluginReads)
{
    std::string out, err;
    ASSERT_EQ(Command({"set-setting", queue_, "0", "2"}, out, err), 0) << err;
    ASSERT_EQ(Command({"set-data", queue_, "EndDoc", "binary: 41"}, out, err), 0) << err;
    EXPECT_EQ(Command({"set-setting", queue_, "44", "1"}, out, err), 1);
    EXPECT_EQ(Command({"set-setting", queue_, "0", "256"}, out, err), 1);
    EXPECT_EQ(Command({"set-data", queue_, "EndDoc", "binary: 4"}, out, err), 1);
    JobRequest request;
    request.pages = 0;
    const JobResult result = Run(request);
    const auto tail = std::vector<uint8_t>(result.spooled.begin() + 5, result.spooled.end());
    EXPECT_EQ(tail, Concat({Bytes({'A', 0x1B, 0x4A, 0x00, 0x0A, 0x0A}),
                            Bytes({0x00, 0x1B, 0x33, 0x00, 0x00, 0x0A, 0x1D, 0x56, 0x42, 0x00, 0x1B, 0x32})}));
    ASSERT_EQ(Command({"show-queue", queue_}, out, err), 0);
    EXPECT_NE(out.find("EndDoc = binary: 41"), std::string::npos) << out;
}

}  // namespace
}  // namespace lt77::host::testing
