// The library on the test host's queue store (the spooler, the queue's
// attributes and raw documents are the real POSIX parts), with device
// contexts and message boxes of the test's own that record every call.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/utf.h"
#include "host/queue_admin.h"
#include "platform/process.h"
#include "possdk/print_library.h"
#include "tests/support/scratch_host_root.h"

namespace lt77::possdk {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

struct Box {
    std::u16string text, caption;
    DWORD style;
};

class RecordingBoxes final : public MessageBoxes {
public:
    void Show(std::u16string_view text, std::u16string_view caption, DWORD style) override
    {
        boxes.push_back({std::u16string(text), std::u16string(caption), style});
    }
    std::vector<Box> boxes;
};

struct DcLog {
    std::vector<std::string> calls;
    std::vector<FontDescription> fonts;
    std::vector<std::u16string> texts;
    std::vector<StretchRect> stretched;
    Bytes stretchedPixels;
};

class FakeDC final : public PrinterDC {
public:
    FakeDC(DcLog& log, int dpi, bool fontsFail) : log_(log), dpi_(dpi), fontsFail_(fontsFail) {}
    int StartDocument(std::u16string_view name) override { return Call("StartDoc " + Utf16ToUtf8(name), 7); }
    int EndDocument() override { return Call("EndDoc", 1); }
    int StartPage() override { return Call("StartPage", 1); }
    int EndPage() override { return Call("EndPage", 1); }
    int DeviceCaps(int index) override { return index == LOGPIXELSY_INDEX ? dpi_ : 0; }
    FontHandle MakeFont(const FontDescription& font) override
    {
        log_.fonts.push_back(font);
        Call("CreateFont", 0);
        return fontsFail_ ? nullptr : &made_;
    }
    FontHandle SelectFont(FontHandle font) override
    {
        Call(font == &made_ ? "Select made" : font == &stock_ ? "Select stock" : "Select other", 0);
        FontHandle previous = selected_;
        selected_ = font;
        return previous;
    }
    bool DeleteFont(FontHandle font) override { return Call(font == &made_ ? "Delete made" : "Delete other", 1) > 0; }
    bool TextHeight(int32_t& tmHeight) override
    {
        tmHeight = selected_ == &made_ ? 31 : 24;
        return true;
    }
    bool WriteText(int32_t x, int32_t y, std::u16string_view text) override
    {
        log_.texts.emplace_back(text);
        return Call("TextOut " + std::to_string(x) + "," + std::to_string(y), 1) > 0;
    }
    int SetStretchMode(int mode) override { return Call("SetStretchMode " + std::to_string(mode), 1); }
    int StretchBitmap(const StretchRect& dest, const StretchRect& source, const DeviceBitmap& bitmap, DWORD usage,
                      DWORD rop) override
    {
        log_.stretched.push_back(dest);
        log_.stretched.push_back(source);
        log_.stretchedPixels.assign(bitmap.pixels.begin(), bitmap.pixels.end());
        return Call("StretchBitmap " + std::to_string(usage) + " " + std::to_string(rop), source.height);
    }

private:
    int Call(std::string call, int result)
    {
        log_.calls.push_back(std::move(call));
        return result;
    }
    DcLog& log_;
    int dpi_;
    bool fontsFail_;
    int made_ = 0;
    int stock_ = 0;
    FontHandle selected_ = &stock_;
};

class FakeDevices final : public PrinterDevices {
public:
    std::unique_ptr<PrinterDC> CreatePrinterDC(std::u16string_view name, DWORD& error) override
    {
        created.push_back(Utf16ToUtf8(name));
        if (failWith != 0) {
            error = failWith;
            return nullptr;
        }
        return std::make_unique<FakeDC>(log, dpi, fontsFail);
    }
    DcLog log;
    std::vector<std::string> created;
    DWORD failWith = 0;
    int dpi = 180;
    bool fontsFail = false;
};

constexpr char16_t kRefusedNarrow[] =
    u"THE PRINTER NAME YOU ENTERED CAN NOT BE USED IN THIS DLL.\r\n PLEASE CHECK THE PRINTER NAME";
constexpr char16_t kRefusedWide[] =
    u"THE DRIVER NAME YOU ENTERED CAN NOT BE USED IN THIS DLL.\r\\n PLEASE CHECK THE PRINTER NAME";
constexpr char16_t kRefusedRaw[] =
    u"THE PRINTER NAME YOU ENTERED CAN NOT BE USED IN THIS DLL.\r\\n PLEASE CHECK THE PRINTER NAME";

// A 2 x 2 24-bit BMP (see bitmap_file_test.cpp).
const Bytes kTwoByTwo = {
    'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0, 0,
    16, 0, 0, 0, 0x13, 0x0B, 0, 0, 0x13, 0x0B, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 255, 255, 255, 0, 0, 255, 255, 255, 0, 0, 0, 0, 0,
};

class PrintLibraryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        root_ = test::MakeScratchHostRoot("possdk");
        ASSERT_FALSE(host::CreateQueue("POS"));
        SetDriver("KELWYNT LT-77");
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::permissions(root_ / "readonly.bmp", fs::perms::owner_all, ec);
        test::RemoveScratchHostRoot(root_);
    }
    void SetDriver(const std::string& driver) { ASSERT_FALSE(host::SetQueueSetting("POS", "Driver", driver)); }
    std::string Attributes() { return host::QueueSetting("POS", "Attributes").value_or("?"); }
    std::string WriteFile(const std::string& name, const Bytes& bytes)
    {
        const fs::path path = root_ / name;
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                    static_cast<std::streamsize>(bytes.size()));
        return path.string();
    }
    Bytes ReadFile(const fs::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }
    void ExpectOneBox(std::u16string_view text, std::u16string_view caption, DWORD style)
    {
        ASSERT_EQ(boxes_.boxes.size(), 1u);
        EXPECT_EQ(Utf16ToUtf8(boxes_.boxes[0].text), Utf16ToUtf8(text));
        EXPECT_EQ(Utf16ToUtf8(boxes_.boxes[0].caption), Utf16ToUtf8(caption));
        EXPECT_EQ(boxes_.boxes[0].style, style);
        boxes_.boxes.clear();
    }

    fs::path root_;
    RecordingBoxes boxes_;
    FakeDevices devices_;
    SdkSystem system_{SystemSpooler(), SystemPortSpooler(), SystemPrintDocuments(), devices_, boxes_, SystemCodePages()};
    PrintLibrary library_{system_};
};

TEST_F(PrintLibraryTest, ConnectAcceptsADriverByFamilyAndTheNarrowFormAlsoByTheMakersWord)
{
    struct Row {
        const char* driver;
        int32_t narrow, wide;
    } rows[] = {
        {"KELWYNT LT-77", 1, 1}, {"LT-77", 1, 1}, {"LP-100 Receipt", 1, 1}, {"KELWYNT QX-9", 1, 0},
        {"Generic / Text Only", 0, 0}, {"lt-77", 0, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.driver);
        SetDriver(row.driver);
        EXPECT_EQ(library_.ConnectPrinter(u"POS", TextForm::kNarrow), row.narrow);
        EXPECT_EQ(library_.ConnectedForTesting(), row.narrow == 1);
        if (row.narrow == 0) ExpectOneBox(kRefusedNarrow, u"Error", MB_OK_BUTTON);
        EXPECT_EQ(library_.ConnectPrinter(u"POS", TextForm::kWide), row.wide);
        if (row.wide == 0) ExpectOneBox(kRefusedWide, u"Error", MB_OK_BUTTON);
        EXPECT_TRUE(boxes_.boxes.empty());
    }
    SetDriver("KELWYNT LT-77");
    ASSERT_EQ(library_.ConnectPrinter(u"POS", TextForm::kWide), 1);
    EXPECT_EQ(Utf16ToUtf8(library_.DeviceNameForTesting()), "POS");
    EXPECT_EQ(Utf16ToUtf8(library_.DriverNameForTesting()), "KELWYNT LT-77");
    // A refused connect drops the earlier connection too.
    SetDriver("Generic / Text Only");
    EXPECT_EQ(library_.ConnectPrinter(u"POS", TextForm::kWide), 0);
    EXPECT_FALSE(library_.ConnectedForTesting());
    EXPECT_TRUE(library_.DeviceNameForTesting().empty());
}

TEST_F(PrintLibraryTest, UnknownQueueAndUncreatableDeviceContextAreShownAndFail)
{
    EXPECT_EQ(library_.ConnectPrinter(u"No such queue", TextForm::kNarrow), 0);
    ExpectOneBox(u"OpenPrinter failed with 1801", u"ERROR", MB_ICON_ERROR);
    EXPECT_TRUE(devices_.created.empty());

    devices_.failWith = 126;
    EXPECT_EQ(library_.ConnectPrinter(u"POS", TextForm::kNarrow), 0);
    ExpectOneBox(u"ERROR CODE : 126 \n\nCAN NOT CREATE A DEVICE CONTEXT!", u"ERROR", MB_OK_BUTTON);
    EXPECT_EQ(devices_.created, std::vector<std::string>{"POS"});
    EXPECT_FALSE(library_.ConnectedForTesting());
}

TEST_F(PrintLibraryTest, ConnectTakesTheQueueOutOfWorkOfflineAndKeepsItsOtherAttributes)
{
    ASSERT_FALSE(host::SetQueueSetting("POS", "Attributes", "0x00000C00"));
    ASSERT_EQ(library_.ConnectPrinter(u"POS", TextForm::kNarrow), 1);
    EXPECT_EQ(Attributes(), "0x00000800");
}

TEST_F(PrintLibraryTest, CallsWithoutAConnectionFailWithoutReachingADevice)
{
    EXPECT_EQ(library_.Start_Doc(u"x"), 0);
    EXPECT_EQ(library_.Start_Page(), 0);
    EXPECT_EQ(library_.End_Page(), SP_ERROR_RESULT);
    EXPECT_EQ(library_.End_Doc(), SP_ERROR_RESULT);
    EXPECT_EQ(library_.PrintText(0, 0, u"FontA1x1", 10, u"text", {}), 0);
    EXPECT_EQ(library_.PrintBitmap(0, 0, Utf8ToUtf16(WriteFile("a.bmp", kTwoByTwo)), TextForm::kNarrow), 0);
    EXPECT_TRUE(devices_.log.calls.empty());
    EXPECT_TRUE(boxes_.boxes.empty());
}

TEST_F(PrintLibraryTest, DeviceFontLineMakesSelectsUsesAndDeletesItsFont)
{
    ASSERT_EQ(library_.ConnectPrinter(u"POS", TextForm::kNarrow), 1);
    ASSERT_EQ(library_.Start_Doc(u"Receipt"), 1);
    ASSERT_EQ(library_.Start_Page(), 1);
    // "\xB0\xA8" is the Hangul syllable GA in code page 949.
    EXPECT_EQ(library_.PrintTextNarrow(30, 40, "FontA Korean", 10, "\xB0\xA1", {}), 31);
    ASSERT_EQ(devices_.log.fonts.size(), 1u);
    const FontDescription& f = devices_.log.fonts[0];
    EXPECT_EQ(f.height, -25);  // 10 points at 180 dpi
    EXPECT_EQ(f.width, 0);
    EXPECT_EQ(f.escapement, 0);
    EXPECT_EQ(f.orientation, 0);
    EXPECT_EQ(f.weight, 400);
    EXPECT_FALSE(f.italic || f.underline || f.strikeOut);
    EXPECT_EQ(f.charSet, 129);
    EXPECT_EQ(Utf16ToUtf8(f.faceName), "FontA Korean");
    ASSERT_EQ(devices_.log.texts.size(), 1u);
    EXPECT_EQ(devices_.log.texts[0], u"\uAC00");
    const std::vector<std::string> expected = {"StartDoc Receipt", "StartPage", "CreateFont", "Select made",
                                               "TextOut 30,40", "Select stock", "Delete made"};
    EXPECT_EQ(devices_.log.calls, expected);
    EXPECT_EQ(library_.End_Page(), 1);
    EXPECT_EQ(library_.End_Doc(), 1);
}

TEST_F(PrintLibraryTest, TrueTypeStyleAndRotationReachTheLogicalFont)
{
    ASSERT_EQ(library_.ConnectPrinter(u"POS", TextForm::kWide), 1);
    struct Row {
        TextStyle style;
        int32_t escapement, weight;
    } rows[] = {
        {{false, 0, false, false}, 0, 400}, {{true, 1, false, false}, -900, 700},
        {{false, 2, true, false}, -1800, 400}, {{true, 3, false, true}, -2700, 700},
        {{false, 5, false, false}, 0, 400},
    };
    for (const auto& row : rows) EXPECT_EQ(library_.PrintText(0, 0, u"Arial", 12, u"Total", row.style), 31);
    ASSERT_EQ(devices_.log.fonts.size(), std::size(rows));
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        const FontDescription& f = devices_.log.fonts[i];
        EXPECT_EQ(f.escapement, rows[i].escapement);
        EXPECT_EQ(f.orientation, 0);
        EXPECT_EQ(f.weight, rows[i].weight);
        EXPECT_EQ(f.italic, rows[i].style.italic);
        EXPECT_EQ(f.underline, rows[i].style.underline);
        EXPECT_EQ(f.height, -30);  // 12 points at 180 dpi
        EXPECT_EQ(f.charSet, 1);
    }
}

TEST_F(PrintLibraryTest, TextGoesOutInTheSelectedFontWhenNoFontCanBeMade)
{
    devices_.fontsFail = true;
    ASSERT_EQ(library_.ConnectPrinter(u"POS", TextForm::kWide), 1);
    EXPECT_EQ(library_.PrintText(5, 6, u"FontA1x1", 10, u"", {}), 24);
    const std::vector<std::string> expected = {"CreateFont", "TextOut 5,6"};
    EXPECT_EQ(devices_.log.calls, expected);
}

TEST_F(PrintLibraryTest, BitmapsArePrintedFromReadOnlyFilesAndBadFilesGiveZero)
{
    ASSERT_EQ(library_.ConnectPrinter(u"POS", TextForm::kNarrow), 1);
    const std::string path = WriteFile("readonly.bmp", kTwoByTwo);
    fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    EXPECT_EQ(library_.PrintBitmap(100, 200, Utf8ToUtf16(path), TextForm::kNarrow), 2);
    const std::vector<std::string> expected = {"SetStretchMode 3", "StretchBitmap 0 13369376"};
    EXPECT_EQ(devices_.log.calls, expected);
    ASSERT_EQ(devices_.log.stretched.size(), 2u);
    const StretchRect dest = devices_.log.stretched[0], source = devices_.log.stretched[1];
    EXPECT_EQ((std::vector<int32_t>{dest.x, dest.y, dest.width, dest.height}), (std::vector<int32_t>{100, 200, 2, 2}));
    EXPECT_EQ((std::vector<int32_t>{source.x, source.y, source.width, source.height}),
              (std::vector<int32_t>{0, 0, 2, 2}));
    EXPECT_EQ(devices_.log.stretchedPixels, Bytes(kTwoByTwo.begin() + 54, kTwoByTwo.end()));
    EXPECT_TRUE(boxes_.boxes.empty());

    devices_.log.calls.clear();
    EXPECT_EQ(library_.PrintBitmap(0, 0, Utf8ToUtf16((root_ / "missing.bmp").string()), TextForm::kNarrow), 0);
    ExpectOneBox(u"CreateFile failed with 2", u"ERROR", MB_OK_BUTTON);
    EXPECT_EQ(library_.PrintBitmap(0, 0, Utf8ToUtf16((root_ / "missing.bmp").string()), TextForm::kWide), 0);
    ExpectOneBox(u"CreateFileW failed with 2", u"ERROR", MB_OK_BUTTON);
    EXPECT_EQ(library_.PrintBitmap(0, 0, Utf8ToUtf16(WriteFile("empty.bmp", {})), TextForm::kNarrow), 0);
    const Bytes truncated(kTwoByTwo.begin(), kTwoByTwo.end() - 1);
    EXPECT_EQ(library_.PrintBitmap(0, 0, Utf8ToUtf16(WriteFile("cut.bmp", truncated)), TextForm::kNarrow), 0);
    Bytes rle = kTwoByTwo;
    rle[30] = 1;
    EXPECT_EQ(library_.PrintBitmap(0, 0, Utf8ToUtf16(WriteFile("rle.bmp", rle)), TextForm::kNarrow), 0);
    EXPECT_TRUE(devices_.log.calls.empty());
    EXPECT_TRUE(boxes_.boxes.empty());
}

TEST_F(PrintLibraryTest, RawDataIsOneJobOfItsOwnByteForByte)
{
    ASSERT_FALSE(host::SetQueueSetting("POS", "Attributes", "0x00000400"));
    const Bytes data = {0x1B, 0x40, 'R', 'A', 'W', 0x00, 0x0A, 0x1D, 0x56, 0x42, 0x00};
    EXPECT_EQ(library_.WritePrintData(u"POS", data.data(), static_cast<int32_t>(data.size()), TextForm::kNarrow),
              data.size());
    EXPECT_EQ(ReadFile(root_ / "queues" / "POS" / "spool" / "1.prn"), data);
    const auto job = host::ReadJob("POS", 1);
    ASSERT_TRUE(job);
    EXPECT_EQ(Utf16ToUtf8(job->document), "RAW DATA");
    std::ifstream record(root_ / "queues" / "POS" / "jobs" / "1.ini");
    const std::string text((std::istreambuf_iterator<char>(record)), {});
    EXPECT_NE(text.find("Spooled = 1"), std::string::npos) << text;
    EXPECT_EQ(Attributes(), "0x00000000");
    EXPECT_TRUE(boxes_.boxes.empty());
    EXPECT_TRUE(devices_.created.empty());
}

TEST_F(PrintLibraryTest, RawDataRefusalsAndTheirResults)
{
    const uint8_t byte = 0x0A;
    EXPECT_EQ(library_.WritePrintData(u"POS", &byte, 0, TextForm::kNarrow), kWriteRefused);
    EXPECT_EQ(library_.WritePrintData(u"POS", &byte, -5, TextForm::kNarrow), kWriteRefused);
    EXPECT_EQ(library_.WritePrintData(u"POS", nullptr, 1, TextForm::kWide), kWriteRefused);
    EXPECT_TRUE(boxes_.boxes.empty());

    EXPECT_EQ(library_.WritePrintData(u"No such queue", &byte, 1, TextForm::kNarrow), kWriteRefused);
    ExpectOneBox(u"OpenPrinter failed with 1801", u"ERROR", MB_OK_BUTTON);

    // The raw path wants the maker's word; the family name is not enough.
    SetDriver("LT-77");
    EXPECT_EQ(library_.WritePrintData(u"POS", &byte, 1, TextForm::kWide), 0u);
    ExpectOneBox(kRefusedRaw, u"Error", MB_OK_BUTTON);
    EXPECT_FALSE(fs::exists(root_ / "queues" / "POS" / "spool" / "1.prn"));

    // A queue the host's spooler cannot start a document on.
    SetDriver("KELWYNT LT-77");
    ASSERT_FALSE(host::SetQueueSetting("POS", "Access", "none"));
    EXPECT_EQ(library_.WritePrintData(u"POS", &byte, 1, TextForm::kNarrow), kWriteRefused);
    ExpectOneBox(u"OpenPrinter failed with 5", u"ERROR", MB_OK_BUTTON);
}

}  // namespace
}  // namespace lt77::possdk
