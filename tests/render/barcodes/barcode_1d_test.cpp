#include <cstring>

#include "render/barcodes.h"
#include "tests/render/barcodes/barcode_test_support.h"

namespace lt77 {
namespace {

using test::Ascii;
using test::Bytes;
using test::Hex;

struct Built1d {
    std::vector<uint8_t> command;
    std::vector<uint8_t> text;
    DWORD heightDots = 0xDEAD;
};

// As the capture calls it: the code from the family name, the text buffer
// of 4 x glyph count + 1028 bytes unless a test says otherwise.
Built1d Build(const UIInfo& ui, std::string_view familyName, std::vector<uint8_t> data, LONG xDots, float rate,
              std::size_t textBufSize = 0)
{
    Built1d out;
    if (textBufSize == 0) textBufSize = 4 * data.size() + 1028;
    out.text = std::move(data);
    out.command = Get1dCodeCommand(ui, familyName, out.text, textBufSize, GetBarcodeType(familyName),
                                   out.heightDots, xDots, rate);
    return out;
}

void SetSlot(UIInfo& ui, int slot, BarInfo1d record)
{
    std::memcpy(ui.BarcodeInfo + 5 * (slot - 1), record.data(), record.size());
}

TEST(Get1dCodeCommand, UserSlotBringsItsWidthHeightAndReadableCharacters)
{
    UIInfo ui{};
    SetSlot(ui, 3, {8, 3, 80, 2, 0});
    const auto b = Build(ui, "Barcode3", Ascii("AB-1"), 16, 1.0f);
    EXPECT_EQ(Hex(b.command), "1D 77 03 1D 68 50 1D 48 02 1D 66 00 1B 24 10 00");
    EXPECT_EQ(Hex(b.text), "1D 6B 49 04 41 42 2D 31");
    EXPECT_EQ(b.heightDots, 80u);
}

TEST(Get1dCodeCommand, BuiltInCodesSendTheirSystemNumberWithDefaultSizes)
{
    struct Row {
        const char* familyName;
        const char* data;
        const char* text;
    };
    const Row rows[] = {
        {"UPC-A", "01234567890", "1D 6B 41 0B 30 31 32 33 34 35 36 37 38 39 30"},
        {"UPC-E", "0123456", "1D 6B 42 07 30 31 32 33 34 35 36"},
        {"JAN13 (EAN)", "490123456789", "1D 6B 43 0C 34 39 30 31 32 33 34 35 36 37 38 39"},
        {"JAN8(EAN)", "4901234", "1D 6B 44 07 34 39 30 31 32 33 34"},
        {"Code39", "*A1*", "1D 6B 45 04 2A 41 31 2A"},
        {"ITF", "1234", "1D 6B 46 04 31 32 33 34"},
        {"Codabar", "A12B", "1D 6B 47 04 41 31 32 42"},
        {"Code93", "AB", "1D 6B 48 02 41 42"},
        {"Code128", "{Babc", "1D 6B 49 05 7B 42 61 62 63"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.familyName);
        const auto b = Build(UIInfo{}, row.familyName, Ascii(row.data), 300, 1.0f);
        EXPECT_EQ(Hex(b.command), "1D 77 02 1D 68 32 00 00 00 00 00 00 1B 24 2C 01");
        EXPECT_EQ(Hex(b.text), row.text);
        EXPECT_EQ(b.heightDots, 50u);
    }
}

TEST(Get1dCodeCommand, Code128SubsetCPacksDigitPairs)
{
    struct Row {
        const char* data;
        const char* text;
    };
    const Row rows[] = {
        {"{C123456", "1D 6B 49 05 7B 43 0C 22 38"},
        {"{C12", "1D 6B 49 03 7B 43 0C"},
        {"{C0099", "1D 6B 49 04 7B 43 00 63"},
        // Left as written: another subset, too short, odd length, or not all digits.
        {"{B12", "1D 6B 49 04 7B 42 31 32"},
        {"{C", "1D 6B 49 02 7B 43"},
        {"{C123", "1D 6B 49 05 7B 43 31 32 33"},
        {"{C12AB", "1D 6B 49 06 7B 43 31 32 41 42"},
        {"{c1234", "1D 6B 49 06 7B 63 31 32 33 34"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.data);
        const auto b = Build(UIInfo{}, "Code128", Ascii(row.data), 0, 1.0f);
        ASSERT_EQ(b.command.size(), 16u);
        EXPECT_EQ(Hex(b.text), row.text);
    }
}

TEST(Get1dCodeCommand, Code128SubsetCPackingTracesEachPair)
{
    if (!test::kHostRootMapsPaths) GTEST_SKIP() << "needs the POSIX host's drive mapping";
    if (!IsTraceOn()) GTEST_SKIP() << "the trace was switched off in this process";
    test::TempHostRoot root;
    test::TraceCapture trace(root.Root());
    Build(UIInfo{}, "Code128", Ascii("{C1299"), 0, 1.0f);
    EXPECT_TRUE(trace.Contains("Get1dCodeCommand : sum of results = c"));
    EXPECT_TRUE(trace.Contains("Get1dCodeCommand : sum of results = 63"));
    Build(UIInfo{}, "Code128", Ascii("{B12"), 0, 1.0f);
    EXPECT_TRUE(trace.Contains("Get1dCodeCommand : not satisfy conditions for code128 subset C."));
}

TEST(Get1dCodeCommand, UserSlotWithCode128SystemPacksToo)
{
    UIInfo ui{};
    SetSlot(ui, 9, {8, 2, 50, 1, 1});
    const auto b = Build(ui, "Barcode9", Ascii("{C1234"), 0, 1.0f);
    EXPECT_EQ(Hex(b.command), "1D 77 02 1D 68 32 1D 48 01 1D 66 01 1B 24 00 00");
    EXPECT_EQ(Hex(b.text), "1D 6B 49 04 7B 43 0C 22");
}

TEST(Get1dCodeCommand, ReduceRateScalesPositionWidthAndHeight)
{
    struct Row {
        const char* name;
        BarInfo1d slot;
        LONG xDots;
        float rate;
        const char* command;
        DWORD heightDots;
    };
    const Row rows[] = {
        // trunc(0.5 x 2 + 0.5) = 1 is below the narrowest module and becomes 2.
        {"defaults at 0.5", {0, 2, 50, 0, 0}, 101, 0.5f, "1D 77 02 1D 68 19 1D 48 00 1D 66 00 1B 24 33 00", 25},
        {"wide at 0.75", {0, 6, 80, 0, 0}, 101, 0.75f, "1D 77 05 1D 68 3C 1D 48 00 1D 66 00 1B 24 4C 00", 60},
        {"quarter", {0, 6, 3, 0, 0}, 1000, 0.25f, "1D 77 02 1D 68 01 1D 48 00 1D 66 00 1B 24 FA 00", 1},
        {"full size", {0, 5, 200, 0, 0}, 101, 1.0f, "1D 77 05 1D 68 C8 1D 48 00 1D 66 00 1B 24 65 00", 200},
        {"width above 6", {0, 9, 50, 0, 0}, 0, 1.0f, "1D 77 06 1D 68 32 1D 48 00 1D 66 00 1B 24 00 00", 50},
        {"zero width and height", {0, 0, 0, 0, 0}, 0, 1.0f, "1D 77 02 1D 68 01 1D 48 00 1D 66 00 1B 24 00 00", 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        UIInfo ui{};
        SetSlot(ui, 1, row.slot);
        const auto b = Build(ui, "Barcode1", Ascii("1"), row.xDots, row.rate);
        EXPECT_EQ(Hex(b.command), row.command);
        EXPECT_EQ(b.heightDots, row.heightDots);
    }
}

TEST(Get1dCodeCommand, UpcAAtHalfRate)
{
    const auto b = Build(UIInfo{}, "UPC-A", Ascii("01234567890"), 101, 0.5f);
    EXPECT_EQ(Hex(b.command), "1D 77 02 1D 68 19 00 00 00 00 00 00 1B 24 33 00");
    EXPECT_EQ(b.heightDots, 25u);
}

TEST(Get1dCodeCommand, PositionOutsideSixteenBitsIsClampedNotWrapped)
{
    EXPECT_EQ(Hex(Build(UIInfo{}, "ITF", Ascii("12"), -5, 1.0f).command),
              "1D 77 02 1D 68 32 00 00 00 00 00 00 1B 24 00 00");
    EXPECT_EQ(Hex(Build(UIInfo{}, "ITF", Ascii("12"), 70000, 1.0f).command),
              "1D 77 02 1D 68 32 00 00 00 00 00 00 1B 24 FF FF");
}

TEST(Get1dCodeCommand, UnknownSlotNumberKeepsTheDefaults)
{
    UIInfo ui{};
    std::memset(ui.BarcodeInfo, 0x05, sizeof(ui.BarcodeInfo));
    const auto b = Build(ui, "Barcode0", Ascii("1"), 0, 1.0f);
    // GetBarcodeType finds no flag for it; call as a caller holding code 129 would.
    std::vector<uint8_t> text = Ascii("1");
    DWORD height = 0;
    const auto command = Get1dCodeCommand(ui, "Barcode0", text, 1028, BARCODE_USER_1D, height, 0, 1.0f);
    EXPECT_TRUE(b.command.empty());
    EXPECT_EQ(Hex(command), "1D 77 02 1D 68 32 1D 48 00 1D 66 00 1B 24 00 00");
    EXPECT_EQ(Hex(text), "1D 6B 41 01 31");
}

TEST(Get1dCodeCommand, RefusalsLeaveTheTextAsItWas)
{
    UIInfo ui{};
    SetSlot(ui, 2, {9, 2, 50, 0, 0});  // system index past Code128
    struct Row {
        const char* name;
        const char* familyName;
        uint8_t code;
        std::size_t textBufSize;
    };
    const Row rows[] = {
        {"two-dimensional code", "QR Code", BARCODE_QRCODE, 1028},
        {"code with no flag", "x", 74, 1028},
        {"slot naming no system", "Barcode2", BARCODE_USER_1D, 1028},
        {"buffer one byte short", "Code39", BARCODE_CODE39, 3 + 4 - 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<uint8_t> text = Ascii("123");
        DWORD height = 7;
        EXPECT_TRUE(Get1dCodeCommand(ui, row.familyName, text, row.textBufSize, row.code, height, 0, 1.0f).empty());
        EXPECT_EQ(Hex(text), "31 32 33");
        EXPECT_EQ(height, 7u);
    }
}

TEST(Get1dCodeCommand, BufferOfExactlyDataPlusFourIsEnough)
{
    const auto b = Build(UIInfo{}, "Code39", Ascii("123"), 0, 1.0f, 3 + 4);
    EXPECT_EQ(Hex(b.text), "1D 6B 45 03 31 32 33");
}

TEST(Get1dCodeCommand, DataLengthMustFitTheOneByteLength)
{
    const auto max = Build(UIInfo{}, "Code93", std::vector<uint8_t>(255, 'A'), 0, 1.0f);
    ASSERT_EQ(max.text.size(), 259u);
    EXPECT_EQ(Hex(std::span(max.text).first(4)), "1D 6B 48 FF");

    const auto over = Build(UIInfo{}, "Code93", std::vector<uint8_t>(256, 'A'), 0, 1.0f);
    EXPECT_TRUE(over.command.empty());
    EXPECT_EQ(over.text, std::vector<uint8_t>(256, 'A'));

    const auto empty = Build(UIInfo{}, "Code93", {}, 0, 1.0f);
    EXPECT_TRUE(empty.command.empty());
}

TEST(Get1dCodeCommand, LengthLimitAppliesAfterSubsetCPacking)
{
    // 2 + 506 digits pack to 2 + 253 = 255 bytes; 2 + 508 digits to 256.
    std::vector<uint8_t> fits = Ascii("{C");
    fits.insert(fits.end(), 506, '7');
    const auto b = Build(UIInfo{}, "Code128", fits, 0, 1.0f);
    ASSERT_EQ(b.text.size(), 259u);
    EXPECT_EQ(Hex(std::span(b.text).first(7)), "1D 6B 49 FF 7B 43 4D");

    std::vector<uint8_t> tooLong = Ascii("{C");
    tooLong.insert(tooLong.end(), 508, '7');
    const auto refused = Build(UIInfo{}, "Code128", tooLong, 0, 1.0f);
    EXPECT_TRUE(refused.command.empty());
    EXPECT_EQ(refused.text, tooLong);
}

TEST(Get1dCodeCommand, OverlongDataIsTraced)
{
    if (!test::kHostRootMapsPaths) GTEST_SKIP() << "needs the POSIX host's drive mapping";
    if (!IsTraceOn()) GTEST_SKIP() << "the trace was switched off in this process";
    test::TempHostRoot root;
    test::TraceCapture trace(root.Root());
    Build(UIInfo{}, "Code93", std::vector<uint8_t>(300, 'A'), 0, 1.0f);
    EXPECT_TRUE(trace.Contains("Get1dCodeCommand : DATA LENGTH OUT OF RANGE. (300)"));
    Build(UIInfo{}, "Code39", Ascii("123"), 0, 1.0f, 6);
    EXPECT_TRUE(trace.Contains("Get1dCodeCommand : BUFFER SIZE IS NOT ENOUGH. (dwAnsiTextBufSize)"));
    std::vector<uint8_t> text = Ascii("1");
    DWORD height = 0;
    Get1dCodeCommand(UIInfo{}, "PDF417", text, 1028, BARCODE_PDF417, height, 0, 1.0f);
    EXPECT_TRUE(trace.Contains("Get1dCodeCommand : NOT SUPPORTTED BARCODE TYPE."));
}

}  // namespace
}  // namespace lt77
