#include "render/job_commands.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/render/render_test_support.h"

namespace lt77 {
namespace {

using test::Bytes;
using test::DefaultUIInfo;
using test::FakeCore;
using test::Hex;
using test::JobFixture;
using test::SetUserString;
using test::TempHostRoot;

struct BuilderRow {
    const char* name;
    std::function<void(UIInfo&)> configure;
    const char* expected;
};

void CheckBuilder(const std::vector<BuilderRow>& rows, std::vector<uint8_t> (*build)(const UIInfo&))
{
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        UIInfo ui = DefaultUIInfo();
        row.configure(ui);
        EXPECT_EQ(Hex(build(ui)), row.expected);
    }
}

TEST(JobCommands, StartDocFromSettings)
{
    CheckBuilder(
        {
            {"defaults", [](UIInfo&) {}, "1B 40 1B 3D 01"},
            {"drawer 1 before, default pulse", [](UIInfo& ui) { ui.byteValue[IDX_DRAWER1_BEFORE] = 1; },
             "1B 40 1B 3D 01 1B 70 00 19 FF"},
            {"drawer 2 before",
             [](UIInfo& ui) {
                 ui.byteValue[IDX_DRAWER2_BEFORE] = 1;
                 ui.byteValue[IDX_DRAWER2_BEFORE_PULSE] = 0x64;
             },
             "1B 40 1B 3D 01 1B 70 01 64 FF"},
            {"buzzer",
             [](UIInfo& ui) {
                 ui.byteValue[IDX_BUZZER_START] = 1;
                 ui.byteValue[IDX_BUZZER_START_VALUE] = 3;
             },
             "1B 40 1B 3D 01 1B 42 00 03"},
            {"user string", [](UIInfo& ui) { SetUserString(ui.byStartDoc, ui.dwStartDoc, "AB"); },
             "1B 40 1B 3D 01 41 42 1B 4A 00"},
            {"stored image 15, bit-image form",
             [](UIInfo& ui) {
                 ui.byteValue[IDX_STORED_IMAGE_START_DOC] = 15;
                 ui.byteValue[IDX_STORED_IMAGE_FORM] = 0;
             },
             "1B 40 1B 3D 01 1C 70 0F 00"},
            {"stored image 15, graphics form", [](UIInfo& ui) { ui.byteValue[IDX_STORED_IMAGE_START_DOC] = 15; },
             "1B 40 1B 3D 01 1D 28 4C 06 00 30 45 30 3E 01 01"},
            {"everything, in order",
             [](UIInfo& ui) {
                 ui.byteValue[IDX_DRAWER1_BEFORE] = 1;
                 ui.byteValue[IDX_DRAWER1_BEFORE_PULSE] = 0x32;
                 ui.byteValue[IDX_DRAWER2_BEFORE] = 1;
                 ui.byteValue[IDX_DRAWER2_BEFORE_PULSE] = 0x33;
                 ui.byteValue[IDX_BUZZER_START] = 1;
                 ui.byteValue[IDX_BUZZER_START_VALUE] = 2;
                 SetUserString(ui.byStartDoc, ui.dwStartDoc, "\x1B\x61\x01");
                 ui.byteValue[IDX_STORED_IMAGE_START_DOC] = 15;
             },
             "1B 40 1B 3D 01 1B 70 00 32 FF 1B 70 01 33 FF 1B 42 00 02 1B 61 01 1B 4A 00 "
             "1D 28 4C 06 00 30 45 30 3E 01 01"},
        },
        BuildStartDocCmd);
}

// The length comes from printer data; a value past the field must not read
// beyond it.
TEST(JobCommands, StartDocUserStringLongerThanFieldIsCutAtField)
{
    UIInfo ui = DefaultUIInfo();
    for (std::size_t i = 0; i < kUserCommandMax; ++i) ui.byStartDoc[i] = 0x41;
    ui.dwStartDoc = kUserCommandMax + 1;
    const auto cmd = BuildStartDocCmd(ui);
    ASSERT_EQ(cmd.size(), 5u + kUserCommandMax + 3u);
    EXPECT_EQ(cmd[5 + kUserCommandMax - 1], 0x41);
    EXPECT_EQ(Hex(std::span(cmd).last(3)), "1B 4A 00");
}

TEST(JobCommands, EndDocFromSettings)
{
    CheckBuilder(
        {
            {"nothing set", [](UIInfo&) {}, ""},
            {"three line feeds alone", [](UIInfo& ui) { ui.byteValue[IDX_LINE_FEEDS] = 3; }, "0A 0A 0A"},
            {"stored image without terminator", [](UIInfo& ui) { ui.byteValue[IDX_STORED_IMAGE_END_DOC] = 3; },
             "1D 28 4C 06 00 30 45 30 32 01 01"},
            {"everything, in order",
             [](UIInfo& ui) {
                 SetUserString(ui.byEndDoc, ui.dwEndDoc, "Z");
                 ui.byteValue[IDX_STORED_IMAGE_END_DOC] = 3;
                 ui.byteValue[IDX_STORED_IMAGE_FORM] = 0;
                 ui.byteValue[IDX_DRAWER1_AFTER] = 1;
                 ui.byteValue[IDX_DRAWER1_AFTER_PULSE] = 0x10;
                 ui.byteValue[IDX_DRAWER2_AFTER] = 1;
                 ui.byteValue[IDX_DRAWER2_AFTER_PULSE] = 0x20;
                 ui.byteValue[IDX_BUZZER_END] = 1;
                 ui.byteValue[IDX_BUZZER_END_VALUE] = 2;
                 ui.byteValue[IDX_LINE_FEEDS] = 2;
             },
             "5A 1B 4A 00 1C 70 03 00 1B 70 00 10 FF 1B 70 01 20 FF 1B 42 00 02 0A 0A"},
            {"start-of-document settings do not leak in",
             [](UIInfo& ui) {
                 ui.byteValue[IDX_DRAWER1_BEFORE] = 1;
                 ui.byteValue[IDX_BUZZER_START] = 1;
                 ui.byteValue[IDX_STORED_IMAGE_START_DOC] = 4;
             },
             ""},
        },
        BuildEndDocCmd);
}

TEST(JobCommands, StartPageFromSettings)
{
    CheckBuilder(
        {
            {"nothing set", [](UIInfo&) {}, ""},
            {"stored image 2, graphics form", [](UIInfo& ui) { ui.byteValue[IDX_STORED_IMAGE_START_PAGE] = 2; },
             "1B 4A 00 1D 28 4C 06 00 30 45 30 31 01 01"},
            {"stored image 2, bit-image form",
             [](UIInfo& ui) {
                 ui.byteValue[IDX_STORED_IMAGE_START_PAGE] = 2;
                 ui.byteValue[IDX_STORED_IMAGE_FORM] = 0;
             },
             "1B 4A 00 1C 70 02 00"},
            {"user string alone", [](UIInfo& ui) { SetUserString(ui.byStartPage, ui.dwStartPage, "P"); },
             "50 1B 4A 00"},
            {"user string then stored image",
             [](UIInfo& ui) {
                 SetUserString(ui.byStartPage, ui.dwStartPage, "P");
                 ui.byteValue[IDX_STORED_IMAGE_START_PAGE] = 2;
                 ui.byteValue[IDX_STORED_IMAGE_FORM] = 0;
             },
             "50 1B 4A 00 1B 4A 00 1C 70 02 00"},
            {"end-of-page image is not used", [](UIInfo& ui) { ui.byteValue[IDX_STORED_IMAGE_END_PAGE] = 2; }, ""},
        },
        BuildStartPageCmd);
}

TEST(JobCommands, EndPageFromSettings)
{
    CheckBuilder(
        {
            {"nothing set", [](UIInfo&) {}, ""},
            {"user string then stored image 7",
             [](UIInfo& ui) {
                 SetUserString(ui.byEndPage, ui.dwEndPage, "E");
                 ui.byteValue[IDX_STORED_IMAGE_END_PAGE] = 7;
                 ui.byteValue[IDX_STORED_IMAGE_FORM] = 0;
             },
             "45 1B 4A 00 1B 4A 00 1C 70 07 00"},
            {"start-of-page image is not used", [](UIInfo& ui) { ui.byteValue[IDX_STORED_IMAGE_START_PAGE] = 2; },
             ""},
        },
        BuildEndPageCmd);
}

TEST(JobCommands, CutTable)
{
    constexpr const char* kFeed = "00 1B 33 00 00 0A 1B 4A 00 1B 32 0C";
    constexpr const char* kCut = "00 1B 33 00 00 0A 1D 56 42 00 1B 32";
    struct Row {
        const char* name;
        uint8_t mode;
        DWORD callbackId;
        uint8_t page0, page1;
        bool supported;
        std::string expected;
    };
    const Row rows[] = {
        {"mode 0, end of page", 0, KLW_ENDPAGE, 0x01, 0x00, true, std::string(kFeed) + " 00 08 01 00"},
        {"mode 0, end of document", 0, KLW_ENDDOC, 0x01, 0x00, true, kFeed},
        {"mode 1, end of page", 1, KLW_ENDPAGE, 0x01, 0x00, true, std::string(kFeed) + " 00 08 01 00"},
        {"mode 1, end of document", 1, KLW_ENDDOC, 0x01, 0x00, true, kCut},
        {"mode 2, end of page", 2, KLW_ENDPAGE, 0x01, 0x00, true, std::string(kCut) + " 00 08 01 00"},
        {"mode 2, end of document", 2, KLW_ENDDOC, 0x01, 0x00, true, kCut},
        {"page 256", 1, KLW_ENDPAGE, 0x00, 0x01, true, std::string(kFeed) + " 00 08 00 01"},
        {"page 0x1234", 2, KLW_ENDPAGE, 0x34, 0x12, true, std::string(kCut) + " 00 08 34 12"},
        {"mode 3, end of page", 3, KLW_ENDPAGE, 0x01, 0x00, false, ""},
        {"mode 3, end of document", 3, KLW_ENDDOC, 0x01, 0x00, false, ""},
        {"mode 255, end of page", 255, KLW_ENDPAGE, 0x01, 0x00, false, ""},
        {"start of page is no cut point", 0, KLW_STARTPAGE, 0x01, 0x00, false, ""},
        {"start of document is no cut point", 2, KLW_STARTDOC, 0x01, 0x00, false, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        UIInfo ui = DefaultUIInfo();
        ui.byteValue[IDX_CUT_MODE] = row.mode;
        ui.byPage[0] = row.page0;
        ui.byPage[1] = row.page1;
        bool supported = !row.supported;
        EXPECT_EQ(Hex(BuildCutCmd(ui, row.callbackId, supported)), row.expected);
        EXPECT_EQ(supported, row.supported);
    }
}

class JobCommandsWithCore : public ::testing::Test {
protected:
    JobFixture fx{SystemPlatform()};
};

TEST_F(JobCommandsWithCore, AddCutCommandAppendsToPageBuffer)
{
    fx.pdev.m_UIInfo.byteValue[IDX_CUT_MODE] = 2;
    fx.pdev.m_UIInfo.byPage[0] = 0x05;
    EXPECT_TRUE(AddCutCommand(fx.job, KLW_ENDPAGE));
    EXPECT_EQ(Hex(fx.buffer.Bytes()), "00 1B 33 00 00 0A 1D 56 42 00 1B 32 00 08 05 00");
    EXPECT_TRUE(fx.core.offers.empty());
}

TEST_F(JobCommandsWithCore, DrawerOnlyDocumentsGetNoCut)
{
    for (int which = 0; which < 2; ++which) {
        SCOPED_TRACE(which == 0 ? "bNoCutNoFeeds" : "bNoCutNoFeeds2");
        JobFixture local{SystemPlatform()};
        (which == 0 ? local.pdev.bNoCutNoFeeds : local.pdev.bNoCutNoFeeds2) = 1;
        EXPECT_TRUE(AddCutCommand(local.job, KLW_ENDPAGE));
        EXPECT_TRUE(SendCutCommand(local.job, KLW_ENDDOC));
        EXPECT_TRUE(local.buffer.Empty());
        EXPECT_TRUE(local.core.offers.empty());
    }
}

TEST_F(JobCommandsWithCore, UnknownCutModeIsQuietAtPageEndAndAFailureAtDocumentEnd)
{
    fx.pdev.m_UIInfo.byteValue[IDX_CUT_MODE] = 3;
    EXPECT_TRUE(AddCutCommand(fx.job, KLW_ENDPAGE));
    EXPECT_FALSE(SendCutCommand(fx.job, KLW_ENDDOC));
    EXPECT_TRUE(fx.buffer.Empty());
    EXPECT_TRUE(fx.core.offers.empty());
}

TEST_F(JobCommandsWithCore, SendCutCommandWritesDirectly)
{
    fx.pdev.m_UIInfo.byteValue[IDX_CUT_MODE] = 1;
    EXPECT_TRUE(SendCutCommand(fx.job, KLW_ENDDOC));
    EXPECT_EQ(Hex(fx.core.spooled), "00 1B 33 00 00 0A 1D 56 42 00 1B 32");
    EXPECT_TRUE(fx.buffer.Empty());
}

TEST_F(JobCommandsWithCore, SendCutCommandFailsWhenSpoolerTakesLess)
{
    fx.core.policy.maxPerCall = 4;
    fx.core.policy.stallFromCall = 1;
    EXPECT_FALSE(SendCutCommand(fx.job, KLW_ENDDOC));
    EXPECT_EQ(Hex(fx.core.spooled), "00 1B 33 00");
}

TEST_F(JobCommandsWithCore, StartDocGoesToSpoolerDirectly)
{
    EXPECT_TRUE(SendStartDocCmd(fx.job));
    EXPECT_EQ(Hex(fx.core.spooled), "1B 40 1B 3D 01");
    EXPECT_TRUE(fx.buffer.Empty());
}

TEST_F(JobCommandsWithCore, EmptyEndDocWritesNothing)
{
    EXPECT_TRUE(SendEndDocCmd(fx.job));
    EXPECT_TRUE(fx.core.offers.empty());
}

TEST_F(JobCommandsWithCore, EndDocGoesToSpoolerDirectly)
{
    fx.pdev.m_UIInfo.byteValue[IDX_LINE_FEEDS] = 3;
    EXPECT_TRUE(SendEndDocCmd(fx.job));
    EXPECT_EQ(Hex(fx.core.spooled), "0A 0A 0A");
}

TEST_F(JobCommandsWithCore, PageCommandsAppendToPageBuffer)
{
    fx.pdev.m_UIInfo.byteValue[IDX_STORED_IMAGE_START_PAGE] = 2;
    SetUserString(fx.pdev.m_UIInfo.byEndPage, fx.pdev.m_UIInfo.dwEndPage, "E");
    EXPECT_TRUE(AddStartPageCmd(fx.job));
    EXPECT_TRUE(AddEndPageCmd(fx.job));
    EXPECT_EQ(Hex(fx.buffer.Bytes()), "1B 4A 00 1D 28 4C 06 00 30 45 30 31 01 01 45 1B 4A 00");
    EXPECT_TRUE(fx.core.offers.empty());
}

TEST_F(JobCommandsWithCore, PageCommandsWithNothingSetAppendNothing)
{
    EXPECT_TRUE(AddStartPageCmd(fx.job));
    EXPECT_TRUE(AddEndPageCmd(fx.job));
    EXPECT_TRUE(fx.buffer.Empty());
}

TEST_F(JobCommandsWithCore, OpenCashDrawerPulses)
{
    struct Row {
        const char* name;
        BOOL drawer1, drawer2;
        bool result;
        const char* expected;
    };
    const Row rows[] = {
        {"neither", 0, 0, false, ""},
        {"drawer 1", 1, 0, true, "1B 70 00 19 FF"},
        {"drawer 2", 0, 1, true, "1B 70 01 19 FF"},
        {"both", 1, 1, true, "1B 70 00 19 FF 1B 70 01 19 FF"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        JobFixture local{SystemPlatform()};
        local.pdev.bNoCutNoFeeds = row.drawer1;
        local.pdev.bNoCutNoFeeds2 = row.drawer2;
        EXPECT_EQ(SendOpenCashDrawerCmd(local.job), row.result);
        EXPECT_EQ(Hex(local.core.spooled), row.expected);
    }
}

TEST_F(JobCommandsWithCore, OpenCashDrawerIsTrueWhenOnePulseWasTakenWhole)
{
    fx.pdev.bNoCutNoFeeds = 1;
    fx.pdev.bNoCutNoFeeds2 = 1;
    fx.core.policy.failOnCall = 1;
    EXPECT_TRUE(SendOpenCashDrawerCmd(fx.job));
    EXPECT_EQ(Hex(fx.core.spooled), "1B 70 00 19 FF");
}

std::vector<uint8_t> Pattern(std::size_t n)
{
    std::vector<uint8_t> bytes(n);
    for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<uint8_t>((i * 7 + i / 251) & 0xFF);
    return bytes;
}

TEST(WriteToSpooler, ChunksResumeWhereTheSpoolerStoppedAndStopWhenItTakesNothing)
{
    const struct {
        const char* name;
        DWORD maxTake;
        int stallFrom, failOn;
        DWORD chunk;
        std::size_t size, written;
        std::vector<DWORD> offers;  // empty: not checked beyond the count below
        std::size_t offerCount;
    } cases[] = {
        {"whole chunks", 0xFFFFFFFFu, -1, -1, kSpoolChunkBytes, 10000, 10000, {4096, 4096, 1808}, 3},
        {"no chunk limit", 0xFFFFFFFFu, -1, -1, 0, 10000, 10000, {10000}, 1},
        {"short writes resume", 100, -1, -1, kSpoolChunkBytes, 10000, 10000, {}, 100},
        {"a spooler that takes nothing ends the loop", 100, 3, -1, kSpoolChunkBytes, 1000, 300, {}, 4},
        {"a failing call ends the loop", 100, -1, 2, kSpoolChunkBytes, 1000, 200, {}, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeCore core;
        core.policy.maxPerCall = c.maxTake;
        core.policy.stallFromCall = c.stallFrom;
        core.policy.failOnCall = c.failOn;
        DEVOBJ devobj{};
        const auto bytes = Pattern(c.size);
        EXPECT_EQ(WriteToSpooler(&core, &devobj, bytes, c.chunk), c.written);
        EXPECT_EQ(core.spooled, std::vector<uint8_t>(bytes.begin(), bytes.begin() + static_cast<long>(c.written)));
        EXPECT_EQ(core.offers.size(), c.offerCount);
        if (!c.offers.empty()) {
            EXPECT_EQ(core.offers, c.offers);
        }
        for (DWORD offer : core.offers) EXPECT_LE(offer, c.chunk == 0 ? c.size : c.chunk);
    }
}

TEST(WriteToSpooler, NoCoreWritesNothing)
{
    DEVOBJ devobj{};
    EXPECT_EQ(WriteToSpooler(nullptr, &devobj, Pattern(10), 0), 0u);
}

TEST(WriteToSpooler, EmptyInputMakesNoCall)
{
    FakeCore core;
    DEVOBJ devobj{};
    EXPECT_EQ(WriteToSpooler(&core, &devobj, {}, kSpoolChunkBytes), 0u);
    EXPECT_TRUE(core.offers.empty());
}

TEST_F(JobCommandsWithCore, SendPrintDataToPrinterDeliversWholeBufferInChunks)
{
    fx.core.policy.maxPerCall = 100;
    const auto bytes = Pattern(10000);
    ASSERT_TRUE(fx.buffer.AddPrintDataTobeSent(bytes));
    EXPECT_TRUE(SendPrintDataToPrinter(fx.job));
    EXPECT_EQ(fx.core.spooled, bytes);
    for (DWORD offer : fx.core.offers) EXPECT_LE(offer, 4096u);
}

TEST_F(JobCommandsWithCore, SendPrintDataToPrinterWithEmptyBufferIsTrue)
{
    EXPECT_TRUE(SendPrintDataToPrinter(fx.job));
    EXPECT_TRUE(fx.core.offers.empty());
}

TEST_F(JobCommandsWithCore, SendPrintDataToPrinterShortWriteIsFalse)
{
    fx.core.policy.maxPerCall = 100;
    fx.core.policy.stallFromCall = 3;
    ASSERT_TRUE(fx.buffer.AddPrintDataTobeSent(Pattern(10000)));
    EXPECT_FALSE(SendPrintDataToPrinter(fx.job));
    EXPECT_EQ(fx.core.spooled.size(), 300u);
}

// The journal is the record of what the application printed; it keeps the
// page even when the spooler refused part of it.
class JournalTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!test::kHostRootMapsPaths) GTEST_SKIP() << "journal paths map below a host root only on POSIX";
        root_ = std::make_unique<TempHostRoot>();
        fx_ = std::make_unique<JobFixture>(SystemPlatform());
        ASSERT_TRUE(fx_->outputs.GetFileHandle(fx_->pdev));
    }

    std::vector<uint8_t> JournalBytes()
    {
        fx_->outputs.Close();
        const auto bytes = SystemPlatform().files.ReadWhole(fx_->outputs.Path());
        EXPECT_TRUE(bytes.has_value());
        return bytes.value_or(std::vector<uint8_t>{});
    }

    std::unique_ptr<TempHostRoot> root_;
    std::unique_ptr<JobFixture> fx_;
};

TEST_F(JournalTest, ShortWriteStillJournalsWholePage)
{
    fx_->core.policy.maxPerCall = 100;
    fx_->core.policy.stallFromCall = 3;
    const auto bytes = Pattern(10000);
    ASSERT_TRUE(fx_->buffer.AddPrintDataTobeSent(bytes));
    EXPECT_FALSE(SendPrintDataToPrinter(fx_->job));
    EXPECT_EQ(fx_->core.spooled.size(), 300u);
    EXPECT_EQ(JournalBytes(), bytes);
}

TEST_F(JournalTest, DocumentCommandsAreJournaledButDrawerPulsesAreNot)
{
    fx_->pdev.m_UIInfo.byteValue[IDX_LINE_FEEDS] = 1;
    fx_->pdev.m_UIInfo.byteValue[IDX_CUT_MODE] = 2;
    fx_->pdev.bNoCutNoFeeds = 0;
    EXPECT_TRUE(SendStartDocCmd(fx_->job));
    EXPECT_TRUE(SendEndDocCmd(fx_->job));
    EXPECT_TRUE(SendCutCommand(fx_->job, KLW_ENDDOC));
    fx_->pdev.bNoCutNoFeeds = 1;
    EXPECT_TRUE(SendOpenCashDrawerCmd(fx_->job));
    EXPECT_EQ(Hex(fx_->core.spooled),
              "1B 40 1B 3D 01 0A 00 1B 33 00 00 0A 1D 56 42 00 1B 32 1B 70 00 19 FF");
    EXPECT_EQ(Hex(JournalBytes()), "1B 40 1B 3D 01 0A 00 1B 33 00 00 0A 1D 56 42 00 1B 32");
}

TEST_F(JournalTest, StartDocIsJournaledEvenWhenSpoolerRefuses)
{
    fx_->core.policy.failOnCall = 0;
    EXPECT_FALSE(SendStartDocCmd(fx_->job));
    EXPECT_EQ(Hex(JournalBytes()), "1B 40 1B 3D 01");
}

// The page number is a 16-bit little-endian counter; the page mark of the
// cut carries the incremented value.
TEST(PageNumber, IncrementCarriesIntoHighByteAndReachesPageMark)
{
    if (!test::kHostRootMapsPaths) GTEST_SKIP() << "needs the POSIX host's print queues";
    TempHostRoot root;
    struct Row {
        const char* name;
        uint8_t before0, before1;
        const char* mark;
    };
    const Row rows[] = {
        {"first page", 0x00, 0x00, "00 08 01 00"},
        {"page 256", 0xFF, 0x00, "00 08 00 01"},
        {"wraps after 65535", 0xFF, 0xFF, "00 08 00 00"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        JobFixture fx{SystemPlatform()};
        fx.pdev.m_UIInfo.byteValue[IDX_CUT_MODE] = 0;
        fx.pdev.m_UIInfo.byPage[0] = row.before0;
        fx.pdev.m_UIInfo.byPage[1] = row.before1;
        SetPrintPageNumber(fx.job);
        ASSERT_TRUE(AddCutCommand(fx.job, KLW_ENDPAGE));
        EXPECT_EQ(Hex(fx.buffer.Bytes().last(4)), row.mark);
    }
}

}  // namespace
}  // namespace lt77
