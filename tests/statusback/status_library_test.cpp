// Opening a printer, reading its status once, and what the library asks of
// its queue, on fake system parts.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "statusback/status_code.h"
#include "tests/statusback/status_fakes.h"

namespace lt77::statusback {
namespace {

using testing::FakeStatusSystem;

stLangMonData Record(std::vector<uint8_t> block, uint32_t portStatus)
{
    stLangMonData record{};
    std::memcpy(record.byASB, block.data(), 4);
    record.dwPortStatus = portStatus;
    return record;
}

class StatusLibraryTest : public ::testing::Test {
protected:
    FakeStatusSystem fakes_;
    StatusLibrary library_{fakes_.system};
};

TEST_F(StatusLibraryTest, ANameThatIsNoLocalPrinterIsRefusedWithoutLookingForItsRecord)
{
    EXPECT_EQ(library_.BidiOpenMonPrinter("LT-78"), 0);
    EXPECT_EQ(library_.BidiSetCallBackFunction([](uint32_t) {}, nullptr), 0);
    EXPECT_EQ(library_.BidiGetStatus(), kStatusUnreadable);
    EXPECT_TRUE(fakes_.sharedMemory.Opens().empty());
    EXPECT_EQ(fakes_.pauses.Count(kRecordRetryPauseMs), 0u);
    const auto lines = fakes_.trace.Lines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "PrinterObjExist : The [LT-78] driver does not exist on this computer."),
              lines.end());
}

TEST_F(StatusLibraryTest, PrintersThatCannotBeListedOpenNothing)
{
    fakes_.printers.error = 1722;
    EXPECT_EQ(library_.BidiOpenMonPrinter("LT-77"), 0);
    EXPECT_EQ(library_.BidiOpenMonPrinterW(u"LT-77"), 0);
}

TEST_F(StatusLibraryTest, TheNameMatchesWithoutCaseAndTheRecordIsThePrintersOwn)
{
    fakes_.sharedMemory.Publish(u"Global\\BIDI_LT-77", Record({0x38, 0x00, 0x00, 0x0F}, 7));
    ASSERT_EQ(library_.BidiOpenMonPrinter("lt-77"), 1);
    EXPECT_EQ(library_.BidiGetStatus(), 0x08u);
    EXPECT_EQ(fakes_.spooler.Opened().back(), u"LT-77");
}

TEST_F(StatusLibraryTest, ANameOf300CharactersIsCutTo255AndTheRecordNameTo255)
{
    const std::string given(300, 'Q');
    const std::u16string kept(255, u'Q');
    fakes_.printers.names = {kept};
    ASSERT_EQ(library_.BidiOpenMonPrinter(given), 1);
    EXPECT_EQ(library_.PrinterNameForTesting(), std::string(255, 'Q'));
    library_.BidiGetStatus();
    ASSERT_FALSE(fakes_.sharedMemory.Opens().empty());
    EXPECT_EQ(fakes_.sharedMemory.Opens().front().first, u"Global\\BIDI_" + std::u16string(243, u'Q'));
    EXPECT_EQ(fakes_.spooler.Opened().front(), kept);

    ASSERT_EQ(library_.BidiOpenMonPrinterW(std::u16string(300, u'Q')), 1);
    EXPECT_EQ(library_.PrinterNameForTesting(), std::string(255, 'Q'));
}

TEST(StatusLibraryWideName, ANameThatDoesNotFitTheNarrowBufferIsRefused)
{
    // Each kana takes two bytes in code page 932: 127 fit in 255 bytes, 128 do not.
    struct Row {
        size_t kana;
        BOOL opened;
    };
    for (const Row row : {Row{127, 1}, Row{128, 0}, Row{255, 0}}) {
        SCOPED_TRACE(row.kana);
        FakeStatusSystem fakes(932);
        const std::u16string name(row.kana, u'\u3042');
        fakes.printers.names = {name};
        StatusLibrary library(fakes.system);
        EXPECT_EQ(library.BidiOpenMonPrinterW(name), row.opened);
        if (row.opened == 0) {
            const auto lines = fakes.trace.Lines();
            EXPECT_NE(std::find(lines.begin(), lines.end(), "BidiOpenMonPrinter : WideCharToMultiByte failed with 122"),
                      lines.end());
        } else {
            EXPECT_EQ(library.PrinterNameForTesting().size(), 2 * row.kana);
        }
    }
}

TEST(StatusLibraryNoRecord, TheStatusIsUnreadableAfterTheRetriesOfThePort)
{
    struct Row {
        std::u16string port;
        size_t retries;
    };
    for (const Row& row : {Row{u"IP_10.0.0.7", 20}, Row{u"USB001", 20}, Row{u"COM3:", 35}}) {
        SCOPED_TRACE(Utf16ToUtf8(row.port));
        FakeStatusSystem fakes;
        fakes.spooler.portName = row.port;
        StatusLibrary library(fakes.system);
        ASSERT_EQ(library.BidiOpenMonPrinter("LT-77"), 1);
        EXPECT_EQ(library.BidiGetStatus(), kStatusUnreadable);
        EXPECT_EQ(fakes.sharedMemory.Opens().size(), 1 + row.retries);
        EXPECT_EQ(fakes.pauses.Count(kRecordRetryPauseMs), row.retries);
    }
}

TEST_F(StatusLibraryTest, ARecordOfASilentPrinterReadsOffline)
{
    // The last block stays as it was; the monitor's status says offline.
    fakes_.sharedMemory.Publish(u"Global\\BIDI_LT-77", Record({0x10, 0x00, 0x00, 0x0F}, 1));
    ASSERT_EQ(library_.BidiOpenMonPrinter("LT-77"), 1);
    EXPECT_EQ(library_.BidiGetStatus(), 1u);
}

TEST_F(StatusLibraryTest, AClosedPrinterHasNoStatusAndTakesNoCallbacks)
{
    fakes_.sharedMemory.Publish(u"Global\\BIDI_LT-77", Record({0x10, 0x00, 0x00, 0x0F}, 0));
    ASSERT_EQ(library_.BidiOpenMonPrinter("LT-77"), 1);
    EXPECT_EQ(library_.BidiGetStatus(), 0u);
    EXPECT_EQ(library_.BidiCloseMonPrinter(), 1);
    EXPECT_EQ(library_.BidiGetStatus(), kStatusUnreadable);
    EXPECT_EQ(library_.BidiSetCallBackFunction([](uint32_t) {}, nullptr), 0);
}

TEST(EnableBidiCommunication, SwitchesItOnAndOpensThePortOnlyForAnIdleQueueThatHadItOff)
{
    struct Row {
        const char* name;
        DWORD attributes;
        DWORD queued;
        std::vector<DWORD> written;
        bool document;
    };
    const std::vector<std::string> initialize = {"StartDoc Initialize  RAW", "StartPage", "Read 32", "EndPage",
                                                 "EndDoc"};
    const Row rows[] = {
        {"off, idle", 0x0, 0, {0x1800}, true},
        {"off, keeps the others", 0x40, 0, {0x1840}, true},
        {"off, jobs waiting", 0x0, 2, {0x1800}, false},
        {"on", 0x800, 0, {}, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        FakeStatusSystem fakes;
        fakes.ports.attributes = row.attributes;
        fakes.jobs.queued = row.queued;
        StatusLibrary library(fakes.system);
        ASSERT_EQ(library.BidiOpenMonPrinter("LT-77"), 1);
        library.EnableBidiCommunication();
        EXPECT_EQ(fakes.ports.Written(), row.written);
        EXPECT_EQ(fakes.documents.Calls(), row.document ? initialize : std::vector<std::string>{});
        EXPECT_EQ(fakes.pauses.Count(kPortOpenPauseMs), row.document ? 1u : 0u);
        // Once on, it stays on: nothing more is sent.
        library.EnableBidiCommunication();
        EXPECT_EQ(fakes.documents.Calls().size(), row.document ? initialize.size() : 0u);
    }
}

TEST(EnableBidiCommunication, AQueueThatCannotBeOpenedChangesNothingAndTheRecordIsStillRead)
{
    FakeStatusSystem fakes;
    fakes.ports.attributes = 0;
    fakes.spooler.openError = syserr::kAccessDenied;
    fakes.sharedMemory.Publish(u"Global\\BIDI_LT-77", Record({0x10, 0x00, 0x0C, 0x0F}, 3));
    StatusLibrary library(fakes.system);
    ASSERT_EQ(library.BidiOpenMonPrinter("LT-77"), 1);
    EXPECT_EQ(library.BidiGetStatus(), 0x02u);
    EXPECT_TRUE(fakes.ports.Written().empty());
    EXPECT_TRUE(fakes.documents.Calls().empty());
}

TEST(GetJobCountExisting, CountsTheQueuedJobsUpToAThousand)
{
    FakeStatusSystem fakes;
    StatusLibrary library(fakes.system);
    int handle = 0;
    EXPECT_EQ(library.GetJobCountExisting(nullptr), -1);
    for (const DWORD queued : {0u, 3u, 1000u, 1500u}) {
        fakes.jobs.queued = queued;
        EXPECT_EQ(library.GetJobCountExisting(&handle), static_cast<int>(std::min<DWORD>(queued, 1000)));
    }
}

}  // namespace
}  // namespace lt77::statusback
