// Where the settings come from: printer data, the defaults and the
// installation file, seen through the settings text each job writes into its
// job record and through the bytes each job sends.
#include "host_fixture.h"

namespace lt77::host::testing {
namespace {

class Settings : public HostTest {
protected:
    std::vector<int> JobSettings(JobRequest request = {})
    {
        const JobResult result = Run(std::move(request));
        EXPECT_TRUE(result.ok) << result.error;
        std::vector<int> values;
        if (const auto job = ReadJob(queue_, 1)) {
            std::istringstream in(Utf16ToUtf8(job->parameters));
            for (int v; in >> v;) values.push_back(v);
        }
        return values;
    }
    static std::vector<int> Defaults()
    {
        const auto& d = DefaultSettings();
        return {d.begin(), d.end()};
    }
};

TEST_F(Settings, WithoutPrinterDataOrInstallationFileTheDefaultsApply)
{
    if (!HostSpoolerKeepsJobRecords()) GTEST_SKIP() << "this spooler (Wine's) drops job records written back";
    const auto v = JobSettings();
    EXPECT_EQ(v, Defaults());
    EXPECT_EQ(v[IDX_CUT_MODE], 1);
    EXPECT_EQ(v[IDX_JOURNAL_COPIES], 1);
    EXPECT_EQ(v[IDX_STORED_IMAGE_FORM], 1);
    EXPECT_EQ(v[IDX_BRIGHTNESS], 10);
    EXPECT_EQ(v[IDX_COMPRESSION], 1);
    EXPECT_EQ(v[IDX_TRACE_ON], 0);
}

TEST_F(Settings, InstallationFileOverlaysTheDefaults)
{
    if (!HostSpoolerKeepsJobRecords()) GTEST_SKIP() << "this spooler (Wine's) drops job records written back";
    WriteInstallationFile(
        "; seeded by the installer\r\n"
        "[lt77]\r\n"
        "PREFERENCE[5]=258\r\n"
        "preference[0] =  3\r\n"
        "PREFERENCE[10]=-1\r\n"
        "PREFERENCE[19]=abc\r\n"
        "PREFERENCE[35]=+7xyz\r\n"
        "PREFERENCE[36]=99999999999\r\n"
        "PREFERENCE[44]=5\r\n"
        "[Other]\r\n"
        "PREFERENCE[1]=1\r\n");
    auto expected = Defaults();
    expected[5] = 2;     // the low byte of 258
    expected[0] = 3;
    expected[10] = 255;  // the low byte of -1
    expected[19] = 0;    // no digits
    expected[35] = 7;
    expected[36] = 255;  // saturated, then its low byte
    EXPECT_EQ(JobSettings(), expected);
}

TEST_F(Settings, InstallationFileInUtf16IsReadToo)
{
    if (!HostSpoolerKeepsJobRecords()) GTEST_SKIP() << "this spooler (Wine's) drops job records written back";
    const std::u16string text = u"\uFEFF[LT77]\r\nPREFERENCE[0]=4\r\n";
    const std::filesystem::path path = HostPathOf("C:\\Windows\\LT-77\\InstallConfig_LT77.INI");
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(text.data()),
                                                static_cast<std::streamsize>(text.size() * 2));
    EXPECT_EQ(JobSettings()[0], 4);
}

TEST_F(Settings, PrinterDataWinsOverTheInstallationFile)
{
    if (!HostSpoolerKeepsJobRecords()) GTEST_SKIP() << "this spooler (Wine's) drops job records written back";
    WriteInstallationFile("[LT77]\r\nPREFERENCE[0]=9\r\n");
    SetSettings({{IDX_LINE_FEEDS, 2}});
    EXPECT_EQ(JobSettings()[0], 2);
}

TEST_F(Settings, ShortSettingsValueKeepsDefaultsForTheMissingTail)
{
    if (!HostSpoolerKeepsJobRecords()) GTEST_SKIP() << "this spooler (Wine's) drops job records written back";
    SetValue("MISC", Bytes({5, 0, 25, 0, 25, 2}));
    auto expected = Defaults();
    expected[0] = 5;
    expected[5] = 2;
    EXPECT_EQ(JobSettings(), expected);
}

TEST_F(Settings, OversizedSettingsValueIsIgnored)
{
    if (!HostSpoolerKeepsJobRecords()) GTEST_SKIP() << "this spooler (Wine's) drops job records written back";
    SetValue("MISC", std::vector<uint8_t>(50, 3));
    EXPECT_EQ(JobSettings(), Defaults());
}

TEST_F(Settings, UserCommandStringsFrameTheJob)
{
    SetValue("StartDoc", Bytes({'H', 'I'}));
    SetValue("EndDoc", Bytes({0x1B, 0x64, 0x02}));
    JobRequest request;
    request.pages = 0;
    const JobResult result = Run(request);
    ASSERT_TRUE(result.ok);
    const auto expected = Concat({Bytes({0x1B, 0x40, 0x1B, 0x3D, 0x01, 'H', 'I', 0x1B, 0x4A, 0x00}),
                                  Bytes({0x1B, 0x64, 0x02, 0x1B, 0x4A, 0x00}),
                                  Bytes({0x00, 0x1B, 0x33, 0x00, 0x00, 0x0A, 0x1D, 0x56, 0x42, 0x00, 0x1B, 0x32})});
    EXPECT_EQ(result.spooled, expected);
}

TEST_F(Settings, UserCommandLongerThanTheRecordIsDropped)
{
    SetValue("StartDoc", std::vector<uint8_t>(600, 'x'));
    JobRequest request;
    request.pages = 0;
    const JobResult result = Run(request);
    ASSERT_TRUE(result.ok);
    ASSERT_GE(result.spooled.size(), 5u);
    EXPECT_EQ(std::vector<uint8_t>(result.spooled.begin(), result.spooled.begin() + 5),
              Bytes({0x1B, 0x40, 0x1B, 0x3D, 0x01}));
    EXPECT_EQ(result.spooled.size(), 5u + 12u) << "initialise and the end-of-document cut only";
}

TEST_F(Settings, PageCountNeedsWriteAccessToTheQueue)
{
    if (!HostQueuesArePlainFiles()) GTEST_SKIP() << "only the POSIX host's queues grant access rights";
    ASSERT_FALSE(SetQueueSetting(queue_, "Access", "read-use").has_value());
    JobRequest request;
    request.pages = 2;
    request.drawPage = BarPage(64, 0, 4);
    const JobResult readUse = Run(request);
    ASSERT_TRUE(readUse.ok);
    EXPECT_EQ(ReadFileText(QueueFilePath(queue_)).find("PAGES"), std::string::npos);

    ASSERT_FALSE(SetQueueSetting(queue_, "Access", "none").has_value());
    const JobResult none = Run(request);
    ASSERT_TRUE(none.ok);
    EXPECT_EQ(none.spooled, readUse.spooled) << "printing goes on without the page count";

    ASSERT_FALSE(SetQueueSetting(queue_, "Access", "full").has_value());
    ASSERT_TRUE(Run(request).ok);
    EXPECT_NE(ReadFileText(QueueFilePath(queue_)).find("PAGES = binary: 02 00"), std::string::npos);
}

}  // namespace
}  // namespace lt77::host::testing
