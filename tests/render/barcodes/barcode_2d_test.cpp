#include <cstring>

#include "render/barcodes.h"
#include "tests/render/barcodes/barcode_test_support.h"

namespace lt77 {
namespace {

using test::Ascii;
using test::Hex;

struct Built2d {
    std::vector<uint8_t> command;
    std::vector<uint8_t> text;
};

Built2d Build(const UIInfo& ui, std::string_view familyName, std::vector<uint8_t> data, LONG xDots, float rate,
              std::size_t textBufSize = 0)
{
    Built2d out;
    if (textBufSize == 0) textBufSize = 4 * data.size() + 1028;
    out.text = std::move(data);
    out.command = Get2dCodeCommand(ui, familyName, out.text, textBufSize, GetBarcodeType(familyName), xDots, rate);
    return out;
}

void SetSlot(UIInfo& ui, int slot, CodeInfo2d record)
{
    std::memcpy(ui.CodeData + 20 * (slot - 1), record.data(), record.size());
}

TEST(Get2dCodeCommand, EachKindWithItsDefaults)
{
    struct Row {
        const char* familyName;
        const char* command;
        const char* text;
    };
    const Row rows[] = {
        {"QR Code",
         "1B 24 10 00 1D 28 6B 04 00 31 41 32 00 1D 28 6B 03 00 31 43 03 1D 28 6B 03 00 31 45 30",
         "1D 28 6B 05 00 31 50 30 41 42 1D 28 6B 03 00 31 51 30"},
        {"PDF417",
         "1B 24 10 00 1D 28 6B 03 00 30 41 00 1D 28 6B 03 00 30 42 00 1D 28 6B 03 00 30 43 03 "
         "1D 28 6B 03 00 30 44 03 1D 28 6B 04 00 30 45 30 30 1D 28 6B 03 00 30 46 00",
         "1D 28 6B 05 00 30 50 30 41 42 1D 28 6B 03 00 30 51 30"},
        {"DATAMATRIX", "1B 24 10 00 1D 28 6B 03 00 3D 43 03",
         "1D 28 6B 05 00 3D 50 30 41 42 1D 28 6B 03 00 3D 51 30"},
        {"MAXI Code", "1B 24 10 00 1D 28 6B 03 00 32 41 34",
         "1D 28 6B 05 00 32 50 30 41 42 1D 28 6B 03 00 32 51 30"},
        {"MAXI Code[Mode2]", "1B 24 10 00 1D 28 6B 03 00 32 41 32",
         "1D 28 6B 05 00 32 50 30 41 42 1D 28 6B 03 00 32 51 30"},
        {"MAXI Code[Mode3]", "1B 24 10 00 1D 28 6B 03 00 32 41 33",
         "1D 28 6B 05 00 32 50 30 41 42 1D 28 6B 03 00 32 51 30"},
        {"MAXI Code[Mode4]", "1B 24 10 00 1D 28 6B 03 00 32 41 34",
         "1D 28 6B 05 00 32 50 30 41 42 1D 28 6B 03 00 32 51 30"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.familyName);
        const auto b = Build(UIInfo{}, row.familyName, Ascii("AB"), 16, 1.0f);
        EXPECT_EQ(Hex(b.command), row.command);
        EXPECT_EQ(Hex(b.text), row.text);
    }
}

TEST(Get2dCodeCommand, CommandLengthsByKind)
{
    EXPECT_EQ(Build(UIInfo{}, "PDF417", Ascii("1"), 0, 1.0f).command.size(), 53u);
    EXPECT_EQ(Build(UIInfo{}, "QR Code", Ascii("1"), 0, 1.0f).command.size(), 29u);
    EXPECT_EQ(Build(UIInfo{}, "DATAMATRIX Code", Ascii("1"), 0, 1.0f).command.size(), 12u);
}

TEST(Get2dCodeCommand, UserSlotsOfEveryKind)
{
    UIInfo ui{};
    SetSlot(ui, 1, {0, 4, 5, 10, 6, 2, 1});                   // PDF417
    SetSlot(ui, 2, {1, 0, 0, 0, 0, 0, 0, 0, 5, 2});           // QR Code, model 1
    SetSlot(ui, 3, {2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2});     // DataMatrix
    SetSlot(ui, 4, {3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 2});  // GS1 DataBar, type 0x49
    SetSlot(ui, 5, {4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3, 0});  // composite, (30 45)
    SetSlot(ui, 6, {5, 0, 0, 0, 0, 0, 0, 0, 0, 0, '3'});     // MaxiCode mode 3
    struct Row {
        const char* familyName;
        const char* command;
        const char* text;
    };
    const Row rows[] = {
        {"2D-Code1",
         "1B 24 10 00 1D 28 6B 03 00 30 41 04 1D 28 6B 03 00 30 42 0A 1D 28 6B 03 00 30 43 05 "
         "1D 28 6B 03 00 30 44 06 1D 28 6B 04 00 30 45 30 32 1D 28 6B 03 00 30 46 01",
         "1D 28 6B 05 00 30 50 30 41 42 1D 28 6B 03 00 30 51 30"},
        {"2D-Code2",
         "1B 24 10 00 1D 28 6B 04 00 31 41 31 00 1D 28 6B 03 00 31 43 05 1D 28 6B 03 00 31 45 32",
         "1D 28 6B 05 00 31 50 30 41 42 1D 28 6B 03 00 31 51 30"},
        {"2D-Code3", "1B 24 10 00 1D 28 6B 03 00 3D 43 02",
         "1D 28 6B 05 00 3D 50 30 41 42 1D 28 6B 03 00 3D 51 30"},
        {"2D-Code4", "1B 24 10 00 1D 28 6B 03 00 33 43 02",
         "1D 28 6B 06 00 33 50 30 49 41 42 1D 28 6B 03 00 33 51 30"},
        {"2D-Code5", "1B 24 10 00 1D 28 6B 03 00 34 43 01",
         "1D 28 6B 07 00 34 50 30 30 45 41 42 1D 28 6B 07 00 34 50 30 31 41 41 42 1D 28 6B 03 00 34 51 30"},
        {"2D-Code6", "1B 24 10 00 1D 28 6B 03 00 32 41 33",
         "1D 28 6B 05 00 32 50 30 41 42 1D 28 6B 03 00 32 51 30"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.familyName);
        const auto b = Build(ui, row.familyName, Ascii("AB"), 16, 1.0f);
        EXPECT_EQ(Hex(b.command), row.command);
        EXPECT_EQ(Hex(b.text), row.text);
    }
}

TEST(Get2dCodeCommand, ReduceRateScalesPositionAndSizes)
{
    const auto b = Build(UIInfo{}, "QR Code", Ascii("A"), 101, 0.5f);
    // Module size trunc(0.5 x 3 + 0.5) = 2, x = 51.
    EXPECT_EQ(Hex(b.command),
              "1B 24 33 00 1D 28 6B 04 00 31 41 32 00 1D 28 6B 03 00 31 43 02 1D 28 6B 03 00 31 45 30");
}

TEST(Get2dCodeCommand, UnsupportedKindOrCodeCapturesNothing)
{
    UIInfo ui{};
    SetSlot(ui, 7, {6});
    struct Row {
        const char* name;
        const char* familyName;
        uint8_t code;
    };
    const Row rows[] = {
        {"kind 6", "2D-Code7", BARCODE_USER_2D},
        {"one-dimensional code", "Code39", BARCODE_CODE39},
        {"code between the flags", "x", 140},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<uint8_t> text = Ascii("AB");
        EXPECT_TRUE(Get2dCodeCommand(ui, row.familyName, text, 1028, row.code, 0, 1.0f).empty());
        EXPECT_EQ(Hex(text), "41 42");
    }
}

TEST(Get2dCodeCommand, TextBufferMustHoldTheResult)
{
    UIInfo ui{};
    SetSlot(ui, 5, {4});
    struct Row {
        const char* familyName;
        std::size_t needed;  // for two data bytes
    };
    const Row rows[] = {{"QR Code", 18}, {"PDF417", 18}, {"2D-Code5", 32}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.familyName);
        auto shortBuf = Build(ui, row.familyName, Ascii("AB"), 0, 1.0f, row.needed - 1);
        EXPECT_TRUE(shortBuf.command.empty());
        EXPECT_EQ(Hex(shortBuf.text), "41 42");
        auto exact = Build(ui, row.familyName, Ascii("AB"), 0, 1.0f, row.needed);
        EXPECT_FALSE(exact.command.empty());
        EXPECT_EQ(exact.text.size(), row.needed);
    }
}

TEST(Get2dCodeCommand, StoreLengthIsLittleEndianSixteenBits)
{
    const auto b = Build(UIInfo{}, "QR Code", std::vector<uint8_t>(300, 'A'), 0, 1.0f);
    ASSERT_EQ(b.text.size(), 316u);
    // 300 + 3 = 0x012F
    EXPECT_EQ(Hex(std::span(b.text).first(8)), "1D 28 6B 2F 01 31 50 30");
}

TEST(Get2dCodeCommand, DataThatWouldOverflowTheLengthFieldsIsRefused)
{
    // Slot 2 of the record holds at most 65535 bytes: n + 16 for QR Code.
    const std::size_t largest = 0xFFFF - 16;
    const auto fits = Build(UIInfo{}, "QR Code", std::vector<uint8_t>(largest, 'A'), 0, 1.0f);
    ASSERT_EQ(fits.text.size(), 0xFFFFu);
    EXPECT_EQ(Hex(std::span(fits.text).first(8)), "1D 28 6B F2 FF 31 50 30");

    struct Row {
        const char* name;
        std::size_t dataBytes;
    };
    const Row rows[] = {
        {"one past the record's slot", largest + 1},
        // pL pH would wrap to 00 00.
        {"store length of 65536", 0x10000 - 3},
        {"store length far past 16 bits", 0x20000},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const auto b = Build(UIInfo{}, "QR Code", std::vector<uint8_t>(row.dataBytes, 'A'), 0, 1.0f);
        EXPECT_TRUE(b.command.empty());
        EXPECT_EQ(b.text.size(), row.dataBytes);
    }
}

TEST(Get2dCodeCommand, OverlongDataIsTraced)
{
    if (!test::kHostRootMapsPaths) GTEST_SKIP() << "needs the POSIX host's drive mapping";
    if (!IsTraceOn()) GTEST_SKIP() << "the trace was switched off in this process";
    test::TempHostRoot root;
    test::TraceCapture trace(root.Root());
    Build(UIInfo{}, "PDF417", std::vector<uint8_t>(70000, 'A'), 0, 1.0f);
    EXPECT_TRUE(trace.Contains("Get2dCodeCommand : DATA LENGTH OUT OF RANGE. (70000)"));
    Build(UIInfo{}, "PDF417", Ascii("AB"), 0, 1.0f, 17);
    EXPECT_TRUE(trace.Contains("Get2dCodeCommand : BUFFER SIZE IS NOT ENOUGH. (AnsiTextBufSize)"));
}

TEST(Set2dCodeOptionCmd, Pdf417LimitsAndScaling)
{
    struct Row {
        const char* name;
        CodeInfo2d info;
        float rate;
        uint8_t columns, rows, width, height, error, option;
    };
    const Row rows[] = {
        {"defaults", {0, 0, 3, 0, 3, 0, 0}, 1.0f, 0, 0, 3, 3, 0x30, 0},
        {"columns above 30", {0, 40, 3, 0, 3, 0, 0}, 1.0f, 30, 0, 3, 3, 0x30, 0},
        {"rows below 3", {0, 0, 3, 2, 3, 0, 0}, 1.0f, 0, 0, 3, 3, 0x30, 0},
        {"rows 3", {0, 0, 3, 3, 3, 0, 0}, 1.0f, 0, 3, 3, 3, 0x30, 0},
        {"rows above 90", {0, 0, 3, 100, 3, 0, 0}, 1.0f, 0, 90, 3, 3, 0x30, 0},
        {"width and height below 2", {0, 0, 1, 0, 0, 0, 0}, 1.0f, 0, 0, 2, 2, 0x30, 0},
        {"width and height above 8", {0, 0, 9, 0, 200, 0, 0}, 1.0f, 0, 0, 8, 8, 0x30, 0},
        {"error level 1", {0, 0, 3, 0, 3, 1, 0}, 1.0f, 0, 0, 3, 3, 0x31, 0},
        {"error level 8", {0, 0, 3, 0, 3, 8, 0}, 1.0f, 0, 0, 3, 3, 0x38, 0},
        {"error level 9", {0, 0, 3, 0, 3, 9, 0}, 1.0f, 0, 0, 3, 3, 0x30, 0},
        {"truncated option", {0, 0, 3, 0, 3, 0, 1}, 1.0f, 0, 0, 3, 3, 0x30, 1},
        // 0.5 x: columns 10 -> 5, rows 7 -> 4, width 8 -> 4, height 3 -> 2.
        {"half", {0, 10, 8, 7, 3, 0, 0}, 0.5f, 5, 4, 4, 2, 0x30, 0},
        // rows 5 -> 3 stays; rows 4 -> 2 becomes 0.
        {"half, rows 5", {0, 0, 3, 5, 3, 0, 0}, 0.5f, 0, 3, 2, 2, 0x30, 0},
        {"half, rows 4", {0, 0, 3, 4, 3, 0, 0}, 0.5f, 0, 0, 2, 2, 0x30, 0},
        // Limits apply to the scaled value: 100 x 0.75 = 75 columns -> 30.
        {"three quarters", {0, 100, 3, 200, 3, 0, 0}, 0.75f, 30, 90, 2, 2, 0x30, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const auto opt = Set2dCodeOptionCmd(row.info, row.rate);
        EXPECT_EQ(opt.byColumns, row.columns);
        EXPECT_EQ(opt.byRows, row.rows);
        EXPECT_EQ(opt.byModuleWidth, row.width);
        EXPECT_EQ(opt.byRowHeight, row.height);
        EXPECT_EQ(opt.byErrorLevel, row.error);
        EXPECT_EQ(opt.byOption, row.option);
    }
}

TEST(Set2dCodeOptionCmd, QrCodeModelSizeAndErrorLevel)
{
    struct Row {
        const char* name;
        uint8_t model, size, error;
        float rate;
        uint8_t expectModel, expectSize, expectError;
    };
    const Row rows[] = {
        {"defaults", 1, 3, 0, 1.0f, 0x32, 3, 0x30},
        {"model byte 0", 0, 3, 0, 1.0f, 0x31, 3, 0x30},
        {"model byte 2", 2, 3, 0, 1.0f, 0x31, 3, 0x30},
        {"size 0", 1, 0, 0, 1.0f, 0x32, 1, 0x30},
        {"size 12", 1, 12, 0, 1.0f, 0x32, 8, 0x30},
        {"level M", 1, 3, 1, 1.0f, 0x32, 3, 0x31},
        {"level Q", 1, 3, 2, 1.0f, 0x32, 3, 0x32},
        {"level H", 1, 3, 3, 1.0f, 0x32, 3, 0x33},
        {"level 4", 1, 3, 4, 1.0f, 0x32, 3, 0x30},
        // trunc(0.25 x 1 + 0.5) = 0, raised to 1.
        {"quarter of 1", 1, 1, 0, 0.25f, 0x32, 1, 0x30},
        {"quarter of 16", 1, 16, 0, 0.25f, 0x32, 4, 0x30},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        CodeInfo2d info = kCodeInfo2dDefaults;
        info[0] = CODE2D_QRCODE;
        info[7] = row.model;
        info[8] = row.size;
        info[9] = row.error;
        const auto opt = Set2dCodeOptionCmd(info, row.rate);
        EXPECT_EQ(opt.byQrModel, row.expectModel);
        EXPECT_EQ(opt.byQrModuleSize, row.expectSize);
        EXPECT_EQ(opt.byQrErrorLevel, row.expectError);
    }
}

TEST(Set2dCodeOptionCmd, DataMatrixModuleSizeIsTwoOrThree)
{
    struct Row {
        uint8_t size;
        float rate;
        uint8_t expected;
    };
    const Row rows[] = {{0, 1.0f, 2}, {1, 1.0f, 2}, {2, 1.0f, 2}, {3, 1.0f, 3}, {5, 1.0f, 3}, {3, 0.5f, 2},
                        {6, 0.5f, 3}};
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << int(row.size) << " at " << row.rate);
        CodeInfo2d info = kCodeInfo2dDefaults;
        info[0] = CODE2D_DATAMATRIX;
        info[11] = row.size;
        EXPECT_EQ(Set2dCodeOptionCmd(info, row.rate).byMatrixModuleSize, row.expected);
    }
}

TEST(Set2dCodeOptionCmd, Gs1DataBarTypeAndWidth)
{
    struct Row {
        uint8_t type, width;
        float rate;
        uint8_t expectType, expectWidth;
    };
    const Row rows[] = {{0, 0, 1.0f, 0x48, 1}, {1, 2, 1.0f, 0x49, 2}, {2, 8, 1.0f, 0x48, 8},
                        {1, 9, 1.0f, 0x49, 8},  {0, 4, 0.5f, 0x48, 2}, {0, 1, 0.25f, 0x48, 1}};
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << int(row.type) << "/" << int(row.width) << " at " << row.rate);
        CodeInfo2d info = kCodeInfo2dDefaults;
        info[0] = CODE2D_GS1_DATABAR;
        info[12] = row.type;
        info[13] = row.width;
        const auto opt = Set2dCodeOptionCmd(info, row.rate);
        EXPECT_EQ(opt.byDataBarType, row.expectType);
        EXPECT_EQ(opt.byDataBarModuleWidth, row.expectWidth);
    }
}

TEST(Set2dCodeOptionCmd, CompositeLinearTypes)
{
    struct Row {
        uint8_t linearType;
        uint8_t a, b;
    };
    const Row rows[] = {
        {0, 0x30, 0x41},  {1, 0x30, 0x42},  {2, 0x30, 0x43},  {3, 0x30, 0x45},  {4, 0x30, 0x46},
        {5, 0x30, 0x47},  {6, 0x30, 0x48},  {7, 0x30, 0x49},  {8, 0x30, 0x4A},  {9, 0x30, 0x4B},
        {10, 0x30, 0x4D}, {11, 0x31, 0x41}, {12, 0x31, 0x42}, {13, 0x30, 0x41}, {255, 0x30, 0x41},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(int(row.linearType));
        CodeInfo2d info = kCodeInfo2dDefaults;
        info[0] = CODE2D_COMPOSITE;
        info[14] = row.linearType;
        info[15] = 12;
        const auto opt = Set2dCodeOptionCmd(info, 1.0f);
        EXPECT_EQ(opt.byCompositeA, row.a);
        EXPECT_EQ(opt.byCompositeB, row.b);
        EXPECT_EQ(opt.byCompositeModuleWidth, 8);
    }
}

TEST(Set2dCodeOptionCmd, MaxiCodeModeFallsBackToFour)
{
    struct Row {
        uint8_t mode;
        uint8_t expected;
    };
    const Row rows[] = {{'2', '2'}, {'3', '3'}, {'4', '4'}, {'5', '4'}, {0, '4'}, {2, '4'}};
    for (const auto& row : rows) {
        SCOPED_TRACE(int(row.mode));
        CodeInfo2d info = kCodeInfo2dDefaults;
        info[0] = CODE2D_MAXICODE;
        info[10] = row.mode;
        EXPECT_EQ(Set2dCodeOptionCmd(info, 1.0f).byMaxiMode, row.expected);
    }
}

}  // namespace
}  // namespace lt77
