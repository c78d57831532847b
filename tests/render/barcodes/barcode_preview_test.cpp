#include <cstring>

#include "render/barcodes.h"
#include "tests/render/barcodes/barcode_test_support.h"

namespace lt77 {
namespace {

using test::Ascii;
using test::Hex;

class BarcodePreview : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!test::kHostRootMapsPaths) GTEST_SKIP() << "needs the POSIX host's drive mapping";
        root_ = std::make_unique<test::TempHostRoot>();
    }
    std::filesystem::path PictureFolder() const
    {
        return root_->Root() / "drive_c" / "Windows" / "LT-77" / "PreviewBin";
    }
    void WritePicture(const char* name, std::string_view bytes) const
    {
        test::WriteHostFile(PictureFolder() / name, bytes);
    }

    std::unique_ptr<test::TempHostRoot> root_;
};

TEST_F(BarcodePreview, AppendsHeaderAndPictureBehindTheText)
{
    WritePicture("1D_CODE.bin", "\xAA\xBB\xCC");
    std::vector<uint8_t> text = test::Bytes("1D 6B 45 02 31 32");
    ASSERT_TRUE(AddBarCodePreviewData(SystemFileSystem(), UIInfo{}, "Code39", text, BARCODE_CODE39));
    // 3 picture bytes + 14 = 0x11.
    EXPECT_EQ(Hex(text), "1D 6B 45 02 31 32 00 00 00 1B 40 11 00 4B 45 4C 57 59 4E 54 AA BB CC");
}

TEST_F(BarcodePreview, EmptyPictureStillGetsItsHeader)
{
    WritePicture("2D_QRCODE.bin", "");
    std::vector<uint8_t> text;
    ASSERT_TRUE(AddBarCodePreviewData(SystemFileSystem(), UIInfo{}, "QR Code", text, BARCODE_QRCODE));
    EXPECT_EQ(Hex(text), "00 00 00 1B 40 0E 00 4B 45 4C 57 59 4E 54");
}

TEST_F(BarcodePreview, PictureFileFollowsTheCodeOrTheSlotKind)
{
    WritePicture("1D_CODE.bin", "1");
    WritePicture("2D_PDF417.bin", "P");
    WritePicture("2D_QRCODE.bin", "Q");
    WritePicture("2D_DATAMATRIX.bin", "D");
    WritePicture("2D_GS1DATABAR.bin", "G");
    UIInfo ui{};
    const uint8_t kinds[] = {1, 3, 4, 5, 0};
    for (int slot = 1; slot <= 5; ++slot) ui.CodeData[20 * (slot - 1)] = kinds[slot - 1];
    struct Row {
        const char* familyName;
        uint8_t code;
        char picture;
    };
    const Row rows[] = {
        {"UPC-A", BARCODE_UPC_A, '1'},
        {"Code128", BARCODE_CODE128, '1'},
        {"Barcode4", BARCODE_USER_1D, '1'},
        {"PDF417", BARCODE_PDF417, 'P'},
        {"QR Code", BARCODE_QRCODE, 'Q'},
        {"DATAMATRIX", BARCODE_DATAMATRIX, 'D'},
        {"MAXI Code", BARCODE_MAXICODE, 'G'},
        {"MAXI Code[Mode2]", BARCODE_MAXICODE_MODE2, 'G'},
        {"2D-Code1", BARCODE_USER_2D, 'Q'},
        {"2D-Code2", BARCODE_USER_2D, 'G'},
        {"2D-Code3", BARCODE_USER_2D, 'G'},
        {"2D-Code4", BARCODE_USER_2D, 'G'},
        {"2D-Code5", BARCODE_USER_2D, 'P'},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.familyName);
        std::vector<uint8_t> text;
        ASSERT_TRUE(AddBarCodePreviewData(SystemFileSystem(), ui, row.familyName, text, row.code));
        ASSERT_EQ(text.size(), 15u);
        EXPECT_EQ(text.back(), row.picture);
    }
}

TEST_F(BarcodePreview, NoPictureLeavesTheTextUnchanged)
{
    WritePicture("2D_GS1DATABAR.bin", "G");
    UIInfo ui{};
    ui.CodeData[0] = 6;
    struct Row {
        const char* name;
        const char* familyName;
        uint8_t code;
    };
    const Row rows[] = {
        {"slot of kind 6", "2D-Code1", BARCODE_USER_2D},
        {"missing file", "QR Code", BARCODE_QRCODE},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<uint8_t> text = Ascii("AB");
        EXPECT_FALSE(AddBarCodePreviewData(SystemFileSystem(), ui, row.familyName, text, row.code));
        EXPECT_EQ(Hex(text), "41 42");
    }
}

TEST_F(BarcodePreview, MissingFileIsTraced)
{
    if (!IsTraceOn()) GTEST_SKIP() << "the trace was switched off in this process";
    test::TraceCapture trace(root_->Root());
    std::vector<uint8_t> text = Ascii("AB");
    EXPECT_FALSE(AddBarCodePreviewData(SystemFileSystem(), UIInfo{}, "Code39", text, BARCODE_CODE39));
    EXPECT_TRUE(trace.Contains("AddBarCodePreviewData : CreateFile returned NULL. (2)"));
}

// The block length sL sH and the record's slot length are both 16 bits.
TEST_F(BarcodePreview, BlockAndTextMustStayWithinSixteenBits)
{
    struct Row {
        const char* name;
        std::size_t textBytes;
        std::size_t pictureBytes;
        bool appended;
    };
    const Row rows[] = {
        {"largest block", 0, 0xFFFF - 14, true},
        {"block one past 16 bits", 0, 0xFFFF - 13, false},
        {"largest block behind text", 6, 0xFFFF - 14 - 6, true},
        {"text and block one past 16 bits", 6, 0xFFFF - 14 - 5, false},
        {"picture far larger", 0, 200000, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        WritePicture("1D_CODE.bin", std::string(row.pictureBytes, '\x5A'));
        std::vector<uint8_t> text(row.textBytes, 0x31);
        EXPECT_EQ(AddBarCodePreviewData(SystemFileSystem(), UIInfo{}, "ITF", text, BARCODE_ITF), row.appended);
        if (row.appended) {
            ASSERT_EQ(text.size(), 0xFFFFu);
            const std::size_t block = row.pictureBytes + 14;
            EXPECT_EQ(text[row.textBytes + 5], block & 0xFF);
            EXPECT_EQ(text[row.textBytes + 6], block >> 8);
        } else {
            EXPECT_EQ(text, std::vector<uint8_t>(row.textBytes, 0x31));
        }
    }
}

TEST_F(BarcodePreview, LargestBlockLengthBytes)
{
    WritePicture("1D_CODE.bin", std::string(0xFFFF - 14, '\x5A'));
    std::vector<uint8_t> text;
    ASSERT_TRUE(AddBarCodePreviewData(SystemFileSystem(), UIInfo{}, "ITF", text, BARCODE_ITF));
    EXPECT_EQ(Hex(std::span(text).first(15)), "00 00 00 1B 40 FF FF 4B 45 4C 57 59 4E 54 5A");
}

TEST_F(BarcodePreview, OversizedPictureIsTraced)
{
    if (!IsTraceOn()) GTEST_SKIP() << "the trace was switched off in this process";
    WritePicture("1D_CODE.bin", std::string(70000, '\x5A'));
    test::TraceCapture trace(root_->Root());
    std::vector<uint8_t> text;
    EXPECT_FALSE(AddBarCodePreviewData(SystemFileSystem(), UIInfo{}, "ITF", text, BARCODE_ITF));
    EXPECT_TRUE(trace.Contains("AddBarCodePreviewData : PREVIEW FILE TOO LARGE. "
                               "(C:\\Windows\\LT-77\\PreviewBin\\1D_CODE.bin, 70000)"));
}

}  // namespace
}  // namespace lt77
