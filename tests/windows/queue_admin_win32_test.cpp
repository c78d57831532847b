// The host's queue setup on Windows, against the real spooler (Wine's in the
// test prefix). Every case runs in a process of its own, so the spooler's
// job numbers start from 1 in each.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "host/queue_admin.h"
#include "platform/platform.h"
#include "platform/typed_value.h"

namespace lt77::host {
namespace {

constexpr char kQueue[] = "LT77 Admin Test";

std::vector<uint8_t> Utf16z(std::u16string_view text)
{
    std::vector<uint8_t> bytes;
    for (char16_t c : text) {
        bytes.push_back(static_cast<uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<uint8_t>(c >> 8));
    }
    bytes.insert(bytes.end(), {0, 0});
    return bytes;
}

class QueueAdminWin32 : public ::testing::Test {
protected:
    void SetUp() override
    {
        QueueSetup setup;
        setup.inputBin = "Option2";
        setup.orientation = "LANDSCAPE_CC270";
        const auto error = CreateQueue(kQueue, setup);
        ASSERT_FALSE(error.has_value()) << *error;
    }

    DWORD Read(std::string_view key, std::string_view value, PrinterDataValue& out)
    {
        auto core = OpenCoreQueue(kQueue);
        return SystemPlatform().spooler.GetData(core->Handle(), key, value, 1024, out);
    }
};

TEST_F(QueueAdminWin32, SettingsOfTheSetupReadBack)
{
    EXPECT_EQ(QueueSetting(kQueue, "InputBin"), std::optional<std::string>("Option2"));
    EXPECT_EQ(QueueSetting(kQueue, "Orientation"), std::optional<std::string>("LANDSCAPE_CC270"));
    EXPECT_FALSE(QueueSetting(kQueue, "NoSuchSetting").has_value());
    ASSERT_FALSE(SetQueueSetting(kQueue, "InputBin", "Option1").has_value());
    EXPECT_EQ(QueueSetting(kQueue, "InputBin"), std::optional<std::string>("Option1"));
}

TEST_F(QueueAdminWin32, QueueKnowsItsNameAndItsDataThroughTheCoreHandle)
{
    PrinterDataValue name;
    ASSERT_EQ(Read("DsSpooler", "printerName", name), 0u);
    EXPECT_EQ(name.type, REG_SZ_TYPE);
    EXPECT_EQ(name.bytes, Utf16z(u"LT77 Admin Test"));

    ASSERT_FALSE(SetPrinterData(kQueue, "PrinterDriverData\\Properties", "StartDoc",
                                PrinterDataValue{REG_BINARY_TYPE, {0x1B, 0x40}})
                     .has_value());
    PrinterDataValue start;
    ASSERT_EQ(Read("PrinterDriverData\\Properties", "StartDoc", start), 0u);
    EXPECT_EQ(start.type, REG_BINARY_TYPE);
    EXPECT_EQ(start.bytes, (std::vector<uint8_t>{0x1B, 0x40}));
}

TEST_F(QueueAdminWin32, DescriptionListsTheDataAsTypedValues)
{
    ASSERT_FALSE(SetPrinterData(kQueue, "PrinterDriverData\\Properties", "StartDoc",
                                PrinterDataValue{REG_BINARY_TYPE, {0x1B, 0x40}})
                     .has_value());
    ASSERT_FALSE(SetPrinterData(kQueue, "LT77 Test Key", "Count", PrinterDataValue{REG_DWORD_TYPE, {7, 0, 0, 0}})
                     .has_value());
    const auto described = DescribeQueue(kQueue);
    ASSERT_TRUE(std::holds_alternative<std::string>(described)) << std::get<QueueError>(described).message;
    const std::string& text = std::get<std::string>(described);
    EXPECT_NE(text.find("Port = FILE:"), std::string::npos) << text;
    EXPECT_NE(text.find("InputBin = Option2"), std::string::npos) << text;
    EXPECT_NE(text.find("[PrinterData\\DsSpooler]\nprinterName = sz: LT77 Admin Test\n"), std::string::npos) << text;
    EXPECT_NE(text.find("[PrinterData\\PrinterDriverData\\Properties]\nStartDoc = binary: 1B 40\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("[PrinterData\\LT77 Test Key]\nCount = dword: 7\n"), std::string::npos) << text;
}

TEST_F(QueueAdminWin32, CreatingTheQueueAgainStartsWithoutDriverData)
{
    ASSERT_FALSE(SetPrinterData(kQueue, "PrinterDriverData\\Properties", "StartDoc",
                                PrinterDataValue{REG_BINARY_TYPE, {0x1B, 0x40}})
                     .has_value());
    ASSERT_FALSE(CreateQueue(kQueue).has_value());
    PrinterDataValue start;
    EXPECT_EQ(Read("PrinterDriverData\\Properties", "StartDoc", start), syserr::kFileNotFound);
    EXPECT_EQ(QueueSetting(kQueue, "InputBin"), std::optional<std::string>("Option1"));
}

TEST_F(QueueAdminWin32, UnknownQueueOrBadNameIsReported)
{
    EXPECT_TRUE(CreateQueue("LT77,Bad").has_value());
    EXPECT_TRUE(SetPrinterData("LT77 No Such Queue", "K", "V", PrinterDataValue{REG_DWORD_TYPE, {1, 0, 0, 0}})
                    .has_value());
    EXPECT_TRUE(std::holds_alternative<QueueError>(DescribeQueue("LT77 No Such Queue")));
    EXPECT_EQ(OpenCoreQueue("LT77 No Such Queue")->Handle(), nullptr);
}

TEST_F(QueueAdminWin32, JobGetsTheAskedNumberDocumentAndCopies)
{
    const auto error = CreateJob(kQueue, 3, "Receipt 3", 2);
    ASSERT_FALSE(error.has_value()) << *error;
    const auto job = ReadJob(kQueue, 3);
    ASSERT_TRUE(job.has_value());
    EXPECT_EQ(job->jobId, 3u);
    EXPECT_EQ(job->document, u"Receipt 3");
    EXPECT_TRUE(job->hasDevMode);
    EXPECT_EQ(job->copies, 2);
    EXPECT_FALSE(ReadJob(kQueue, 2).has_value());
}

TEST_F(QueueAdminWin32, SameJobAgainIsKeptOnlyForTheSameDocument)
{
    ASSERT_FALSE(CreateJob(kQueue, 1, "Receipt", 1).has_value());
    EXPECT_FALSE(CreateJob(kQueue, 1, "Receipt", 1).has_value());
    EXPECT_TRUE(CreateJob(kQueue, 1, "Another receipt", 1).has_value());
}

TEST_F(QueueAdminWin32, JobNumberTheSpoolerHasPassedIsRefused)
{
    ASSERT_FALSE(CreateJob(kQueue, 5, "Receipt", 1).has_value());
    const auto error = CreateJob(kQueue, 4, "Receipt", 1);
    ASSERT_TRUE(error.has_value());
    EXPECT_NE(error->find("past job 4"), std::string::npos) << *error;
}

TEST_F(QueueAdminWin32, SpoolFileFolderExistsAndTheNameCarriesTheJob)
{
    const std::filesystem::path path = SpoolPath(kQueue, 12);
    EXPECT_EQ(path.filename().string(), "12.prn");
    EXPECT_TRUE(std::filesystem::is_directory(path.parent_path()));
}

TEST_F(QueueAdminWin32, GreyPaletteReadsAsARampThroughThePlatform)
{
    const auto entries = SystemPlatform().engine.ReadPalette(HostGreyPalette());
    ASSERT_TRUE(entries.has_value());
    for (int i : {0, 1, 127, 254, 255}) {
        SCOPED_TRACE(i);
        EXPECT_EQ((*entries)[i].red, i);
        EXPECT_EQ((*entries)[i].green, i);
        EXPECT_EQ((*entries)[i].blue, i);
    }
}

TEST_F(QueueAdminWin32, SnapshotFileShowsWhatTheSpoolerHolds)
{
    ASSERT_FALSE(SetPrinterData(kQueue, "PrinterDriverData\\Properties", "PAGES",
                                PrinterDataValue{REG_BINARY_TYPE, {0x02, 0x00}})
                     .has_value());
    const std::filesystem::path path = QueueFilePath(kQueue);
    std::ifstream in(path, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_NE(text.find("PAGES = binary: 02 00"), std::string::npos) << text;
}

}  // namespace
}  // namespace lt77::host
