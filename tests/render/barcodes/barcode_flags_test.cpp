#include <cstring>

#include "render/barcodes.h"
#include "tests/render/barcodes/barcode_test_support.h"

namespace lt77 {
namespace {

using test::Hex;

TEST(GetBarcodeType, FamilyNameMustEqualAFlagIgnoringCase)
{
    struct Row {
        const char* familyName;
        int code;
    };
    const Row rows[] = {
        {"UPC-A", 65},
        {"upc-e", 66},
        {"JAN13(EAN)", 67},
        {"JAN13 (EAN)", 67},
        {"jan8 (ean)", 68},
        {"JAN8(EAN)", 68},
        {"code39", 69},
        {"CODE39", 69},
        {"ITF", 70},
        {"Codabar", 71},
        {"Code93", 72},
        {"Code128", 73},
        {"Barcode1", 129},
        {"BARCODE9", 129},
        {"PDF417", 130},
        {"QR Code", 131},
        {"DataMatrix", 132},
        {"DATAMATRIX Code", 132},
        {"MAXI Code", 133},
        {"MAXI Code[Mode2]", 134},
        {"maxi code[mode3]", 135},
        {"MAXI Code[Mode4]", 136},
        {"2D-Code1", 152},
        {"2D-Code8", 152},
        // A flag inside a longer name, or a longer flag than the name, is no match.
        {"Code39 Wide", 0},
        {"Code3", 0},
        {"2D-Code9", 0},
        {"Barcode10", 0},
        {"Barcode0", 0},
        {"QRCode", 0},
        {"MAXI Code[Mode5]", 0},
        {"FontA1x1", 0},
        {"", 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.familyName);
        EXPECT_EQ(GetBarcodeType(row.familyName), row.code);
    }
}

TEST(Get1d2dCodeSetting, UserSlotOneDimensionalCopiesItsFiveBytes)
{
    UIInfo ui{};
    for (std::size_t i = 0; i < kBarcodeInfoSize; ++i) ui.BarcodeInfo[i] = static_cast<uint8_t>(0xA0 + i);
    struct Row {
        const char* familyName;
        BarInfo1d expected;
    };
    const Row rows[] = {
        {"Barcode1", {0xA0, 0xA1, 0xA2, 0xA3, 0xA4}},
        {"Barcode3", {0xAA, 0xAB, 0xAC, 0xAD, 0xAE}},
        {"Barcode9", {0xC8, 0xC9, 0xCA, 0xCB, 0xCC}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.familyName);
        BarInfo1d bar = kBarInfo1dDefaults;
        EXPECT_TRUE(Get1d2dCodeSetting(ui, row.familyName, BARCODE_USER_1D, &bar, nullptr));
        EXPECT_EQ(Hex(bar), Hex(row.expected));
    }
}

TEST(Get1d2dCodeSetting, UserSlotTwoDimensionalCopiesItsTwentyBytes)
{
    UIInfo ui{};
    for (std::size_t i = 0; i < kCodeDataSize; ++i) ui.CodeData[i] = static_cast<uint8_t>(i);
    CodeInfo2d first = kCodeInfo2dDefaults;
    ASSERT_TRUE(Get1d2dCodeSetting(ui, "2D-Code1", BARCODE_USER_2D, nullptr, &first));
    EXPECT_EQ(Hex(first), "00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 10 11 12 13");
    CodeInfo2d last = kCodeInfo2dDefaults;
    ASSERT_TRUE(Get1d2dCodeSetting(ui, "2D-Code8", BARCODE_USER_2D, nullptr, &last));
    EXPECT_EQ(Hex(last), "8C 8D 8E 8F 90 91 92 93 94 95 96 97 98 99 9A 9B 9C 9D 9E 9F");
}

TEST(Get1d2dCodeSetting, SlotNumberOutOfRangeKeepsThePresetRecord)
{
    UIInfo ui{};
    std::memset(ui.BarcodeInfo, 0x77, sizeof(ui.BarcodeInfo));
    std::memset(ui.CodeData, 0x77, sizeof(ui.CodeData));
    struct Row {
        const char* familyName;
        uint8_t code;
    };
    const Row rows[] = {
        {"Barcode0", BARCODE_USER_1D}, {"Barcode10", BARCODE_USER_1D}, {"Barcode", BARCODE_USER_1D},
        {"Barcode-1", BARCODE_USER_1D}, {"2D-Code0", BARCODE_USER_2D}, {"2D-Code9", BARCODE_USER_2D},
        {"2D-Code99999999999", BARCODE_USER_2D},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.familyName);
        BarInfo1d bar = kBarInfo1dDefaults;
        CodeInfo2d info = kCodeInfo2dDefaults;
        EXPECT_FALSE(Get1d2dCodeSetting(ui, row.familyName, row.code, &bar, &info));
        EXPECT_EQ(Hex(bar), "00 02 32 00 00");
        EXPECT_EQ(Hex(info), "00 00 03 00 03 00 00 01 03 00 00 03 00 00 00 00 00 00 00 00");
    }
}

TEST(Get1d2dCodeSetting, BuiltInTwoDimensionalCodesSetKindAndMaxiMode)
{
    const UIInfo ui{};
    struct Row {
        uint8_t code;
        uint8_t kind;
        uint8_t maxiMode;  // 0xEE: left as preset
    };
    const Row rows[] = {
        {BARCODE_PDF417, 0, 0xEE},       {BARCODE_QRCODE, 1, 0xEE},       {BARCODE_DATAMATRIX, 2, 0xEE},
        {BARCODE_MAXICODE, 5, '4'},      {BARCODE_MAXICODE_MODE2, 5, '2'}, {BARCODE_MAXICODE_MODE3, 5, '3'},
        {BARCODE_MAXICODE_MODE4, 5, '4'},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.code);
        CodeInfo2d info{};
        info.fill(0xEE);
        EXPECT_TRUE(Get1d2dCodeSetting(ui, "ignored", row.code, nullptr, &info));
        EXPECT_EQ(info[0], row.kind);
        EXPECT_EQ(info[10], row.maxiMode);
        EXPECT_EQ(info[1], 0xEE);
        EXPECT_EQ(info[19], 0xEE);
    }
}

TEST(Get1d2dCodeSetting, UnknownSlotNumberIsTraced)
{
    if (!test::kHostRootMapsPaths) GTEST_SKIP() << "needs the POSIX host's drive mapping";
    if (!IsTraceOn()) GTEST_SKIP() << "the trace was switched off in this process";
    test::TempHostRoot root;
    test::TraceCapture trace(root.Root());
    BarInfo1d bar = kBarInfo1dDefaults;
    EXPECT_FALSE(Get1d2dCodeSetting(UIInfo{}, "Barcode0", BARCODE_USER_1D, &bar, nullptr));
    EXPECT_TRUE(trace.Contains("Get1d2dCodeSetting : NOT SUPPORTTED BARCODE NUMBER"));
}

}  // namespace
}  // namespace lt77
