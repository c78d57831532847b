#include "render/page_image.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "render/module_state.h"
#include "render/picture_rects.h"
#include "render/trace.h"
#include "tests/render/render_test_support.h"

namespace lt77 {
namespace {

using test::Hex;
using test::JobFixture;
using test::Repeat;

constexpr const char* kEndMarker = "08 43 52 FF 00 00";

BITMAPINFOHEADER BandHeader(LONG widthDots, LONG rows, WORD bits)
{
    BITMAPINFOHEADER h{};
    h.biSize = sizeof(BITMAPINFOHEADER);
    h.biWidth = widthDots;
    h.biHeight = rows;
    h.biPlanes = 1;
    h.biBitCount = bits;
    const DWORD strideBytes = ((static_cast<DWORD>(widthDots) * bits + 31) / 32) * 4;
    h.biSizeImage = strideBytes * static_cast<DWORD>(rows < 0 ? -rows : rows);
    h.biXPelsPerMeter = 7874;
    h.biYPelsPerMeter = 7874;
    h.biClrUsed = bits == 1 ? 2 : 256;
    h.biClrImportant = 0;
    return h;
}

class ProcessBandTest : public ::testing::Test {
protected:
    HRESULT Feed(std::vector<uint8_t> bits, BITMAPINFOHEADER header, DWORD callbackId, bool blank)
    {
        IPPARAMS params{};
        params.dwSize = sizeof(params);
        params.bBanding = 1;
        params.bBlankBand = blank ? 1 : 0;
        result = nullptr;
        return ProcessBand(&fx.devobj, bits.data(), &header, nullptr, callbackId, &params, &result);
    }

    JobFixture fx{SystemPlatform()};
    BYTE* result = nullptr;
};

TEST_F(ProcessBandTest, OneBitBandsAccumulate)
{
    const std::vector<uint8_t> a(16, 0x11);
    const std::vector<uint8_t> b(8, 0x22);
    ASSERT_EQ(Feed(a, BandHeader(16, 4, 1), 1, false), hr::kOk);
    EXPECT_EQ(result, reinterpret_cast<BYTE*>(1));
    ASSERT_EQ(Feed(b, BandHeader(16, 2, 1), 1, false), hr::kOk);

    const OemPDEV& p = fx.pdev;
    EXPECT_EQ(Hex(p.pBufStart.Joined()), Repeat("11", 16) + " " + Repeat("22", 8));
    EXPECT_EQ(p.bmInfoHeader.biWidth, 16);
    EXPECT_EQ(p.bmInfoHeader.biHeight, 6);
    EXPECT_EQ(p.bmInfoHeader.biSizeImage, 24u);
    EXPECT_EQ(p.bmInfoHeader.biBitCount, 1);
    EXPECT_EQ(p.bmInfoHeader.biPlanes, 1);
    EXPECT_EQ(p.bmInfoHeader.biXPelsPerMeter, 7874);
    EXPECT_EQ(p.bmFileHeader.bfType, 0x4D42);
    EXPECT_EQ(p.bmFileHeader.bfSize, 24u + 54u);
    EXPECT_EQ(p.bmFileHeader.bfOffBits, 2u * 4u + 54u);
    EXPECT_EQ(p.dwColorCount, 2u);
    EXPECT_EQ(Hex(p.colorTable), "00 00 00 00 FF FF FF 00");
    EXPECT_EQ(p.bBlankBand, 0);
}

TEST_F(ProcessBandTest, EightBitBandsAccumulate)
{
    // Five dots of 8 bits pad to 8 bytes a row.
    ASSERT_EQ(Feed(std::vector<uint8_t>(24, 0x05), BandHeader(5, 3, 8), 3, false), hr::kOk);
    ASSERT_EQ(Feed(std::vector<uint8_t>(8, 0x06), BandHeader(5, 1, 8), 3, false), hr::kOk);
    const OemPDEV& p = fx.pdev;
    EXPECT_EQ(p.pBufStart.size(), 32u);
    EXPECT_EQ(p.bmInfoHeader.biHeight, 4);
    EXPECT_EQ(p.bmInfoHeader.biSizeImage, 32u);
    EXPECT_EQ(p.bmInfoHeader.biBitCount, 8);
    EXPECT_EQ(p.bmFileHeader.bfSize, 32u + 54u);
    EXPECT_EQ(p.bmFileHeader.bfOffBits, 256u * 4u + 54u);
    EXPECT_EQ(p.dwColorCount, 256u);
    ASSERT_EQ(p.colorTable.size(), 1024u);
    EXPECT_EQ(Hex(std::span(p.colorTable).last(4)), "FF FF FF 00");
}

TEST_F(ProcessBandTest, UnsupportedCallbackIdFails)
{
    for (DWORD id : {0u, 2u, 4u}) {
        SCOPED_TRACE("callback " + std::to_string(id));
        EXPECT_EQ(Feed(std::vector<uint8_t>(16, 0), BandHeader(16, 4, 1), id, false), hr::kFail);
        EXPECT_EQ(result, nullptr);
        EXPECT_TRUE(fx.pdev.pBufStart.empty());
        EXPECT_EQ(fx.pdev.bmInfoHeader.biHeight, 0);
    }
}

TEST_F(ProcessBandTest, BandThatContradictsItsCallbackIsRefused)
{
    EXPECT_EQ(Feed(std::vector<uint8_t>(64, 0), BandHeader(16, 4, 8), 1, false), hr::kFail);
    EXPECT_TRUE(fx.pdev.pBufStart.empty());
}

TEST_F(ProcessBandTest, BlankBandsAreStoredAsWhiteAndCounted)
{
    // The bits of a blank band are ignored: white is stored whatever they hold.
    ASSERT_EQ(Feed(std::vector<uint8_t>(16, 0x00), BandHeader(16, 4, 1), 1, true), hr::kOk);
    ASSERT_EQ(Feed(std::vector<uint8_t>(8, 0x00), BandHeader(16, 2, 1), 1, true), hr::kOk);
    const OemPDEV& p = fx.pdev;
    EXPECT_EQ(Hex(p.pBufStart.Joined()), Repeat("FF", 24));
    EXPECT_EQ(p.bBlankBand, 1);
    EXPECT_EQ(p.dwBlankHeight, 6u);
    EXPECT_EQ(p.dwBlankSize, 24u);
    EXPECT_EQ(p.bmInfoHeader.biHeight, 6);
}

TEST_F(ProcessBandTest, InkedBandEndsTheBlankRun)
{
    ASSERT_EQ(Feed(std::vector<uint8_t>(16, 0x00), BandHeader(16, 4, 1), 1, true), hr::kOk);
    ASSERT_EQ(Feed(std::vector<uint8_t>(8, 0x0F), BandHeader(16, 2, 1), 1, false), hr::kOk);
    EXPECT_EQ(fx.pdev.bBlankBand, 0);
    EXPECT_EQ(fx.pdev.dwBlankHeight, 0u);
    EXPECT_EQ(fx.pdev.dwBlankSize, 0u);
    ASSERT_EQ(Feed(std::vector<uint8_t>(4, 0x00), BandHeader(16, 1, 1), 1, true), hr::kOk);
    EXPECT_EQ(fx.pdev.dwBlankHeight, 1u);
    EXPECT_EQ(fx.pdev.dwBlankSize, 4u);
    EXPECT_EQ(Hex(fx.pdev.pBufStart.Joined()), Repeat("FF", 16) + " " + Repeat("0F", 8) + " " + Repeat("FF", 4));
}

TEST_F(ProcessBandTest, LandscapeBlankBandIsNotStored)
{
    fx.pdev.m_UIInfo.byteValue[IDX_LANDSCAPE] = 1;
    ASSERT_EQ(Feed(std::vector<uint8_t>(16, 0x00), BandHeader(16, 4, 1), 1, true), hr::kOk);
    EXPECT_EQ(result, reinterpret_cast<BYTE*>(1));
    EXPECT_TRUE(fx.pdev.pBufStart.empty());
    EXPECT_EQ(fx.pdev.bmInfoHeader.biHeight, 0);
    EXPECT_EQ(fx.pdev.dwBlankHeight, 0u);
    ASSERT_EQ(Feed(std::vector<uint8_t>(16, 0x33), BandHeader(16, 4, 1), 1, false), hr::kOk);
    EXPECT_EQ(Hex(fx.pdev.pBufStart.Joined()), Repeat("33", 16));
}

TEST_F(ProcessBandTest, BandOfAnotherWidthIsRefused)
{
    ASSERT_EQ(Feed(std::vector<uint8_t>(16, 0x11), BandHeader(16, 4, 1), 1, false), hr::kOk);
    EXPECT_EQ(Feed(std::vector<uint8_t>(32, 0x22), BandHeader(64, 4, 1), 1, false), hr::kFail);
    EXPECT_EQ(Hex(fx.pdev.pBufStart.Joined()), Repeat("11", 16));
    EXPECT_EQ(fx.pdev.bmInfoHeader.biHeight, 4);
    EXPECT_EQ(fx.pdev.bmInfoHeader.biWidth, 16);
}

TEST_F(ProcessBandTest, BandOfAnotherBitCountIsRefused)
{
    ASSERT_EQ(Feed(std::vector<uint8_t>(16, 0x11), BandHeader(16, 4, 1), 1, false), hr::kOk);
    EXPECT_EQ(Feed(std::vector<uint8_t>(64, 0x22), BandHeader(16, 4, 8), 3, false), hr::kFail);
    EXPECT_EQ(Hex(fx.pdev.pBufStart.Joined()), Repeat("11", 16));
    EXPECT_EQ(fx.pdev.bmInfoHeader.biBitCount, 1);
    EXPECT_EQ(fx.pdev.bmInfoHeader.biHeight, 4);
}

// A page of 32 dots: printRows[y] holds the four print bytes of row y (1 =
// ink), delivered to the plug-in as 1-bit bands (index 1 white) of bandRows
// rows each. Bands without ink are flagged blank when markBlank is set, as
// the core does for bands nothing was drawn in.
constexpr LONG kPageWidthDots = 32;

void FeedPage(JobFixture& fx, const std::vector<std::vector<uint8_t>>& printRows, std::size_t bandRows,
              bool markBlank)
{
    for (std::size_t first = 0; first < printRows.size(); first += bandRows) {
        const std::size_t rows = std::min(bandRows, printRows.size() - first);
        std::vector<uint8_t> bits;
        bool ink = false;
        for (std::size_t y = first; y < first + rows; ++y)
            for (uint8_t b : printRows[y]) {
                bits.push_back(static_cast<uint8_t>(~b));
                ink = ink || b != 0;
            }
        BITMAPINFOHEADER header = BandHeader(kPageWidthDots, static_cast<LONG>(rows), 1);
        IPPARAMS params{};
        params.bBlankBand = markBlank && !ink ? 1 : 0;
        BYTE* result = nullptr;
        ASSERT_EQ(ProcessBand(&fx.devobj, bits.data(), &header, nullptr, 1, &params, &result), hr::kOk);
    }
}

std::vector<std::vector<uint8_t>> PageWithInkRows(std::size_t rows, std::set<std::size_t> inked)
{
    std::vector<std::vector<uint8_t>> page(rows, std::vector<uint8_t>(4, 0x00));
    for (std::size_t y : inked) page[y] = {0xFF, 0xFF, 0xFF, 0xFF};
    return page;
}

std::set<std::size_t> Rows(std::size_t first, std::size_t last)
{
    std::set<std::size_t> out;
    for (std::size_t y = first; y <= last; ++y) out.insert(y);
    return out;
}

// Row y prints its own number in its first byte, so the rows that survive a
// crop can be read off the output.
std::vector<std::vector<uint8_t>> NumberedPage(std::size_t rows)
{
    std::vector<std::vector<uint8_t>> page;
    for (std::size_t y = 0; y < rows; ++y) page.push_back({static_cast<uint8_t>(y), 0x00, 0x00, 0x00});
    return page;
}

class PagePipeline : public ::testing::Test {
protected:
    uint8_t* Settings() { return fx.pdev.m_UIInfo.byteValue; }
    void UseTicketPaper()
    {
        Settings()[IDX_PAPER_TYPE] = 1;
        fx.core.options["InputBin"] = "Option2";
    }

    JobFixture fx{SystemPlatform()};
};

// The header of a compressed division of a 32-dot page.
std::string Header32(const char* rows) { return std::string("00 00 00 08 43 52 00 00 00 00 00 20 00 ") + rows; }

TEST_F(PagePipeline, AllBlankPageGivesSingleZeroByte)
{
    FeedPage(fx, PageWithInkRows(100, {}), 20, true);
    EXPECT_EQ(AddImageDataPerEachPage(fx.job), hr::kOk);
    EXPECT_EQ(Hex(fx.buffer.Bytes()), "00");
    EXPECT_TRUE(fx.pdev.bNothingToPrint);
}

TEST_F(PagePipeline, RollPaperKeepsRowsDownToTheLowestInkedRow)
{
    // 20 rows: rows 0..9 blank (40 bytes), rows 10..19 black (40 bytes).
    const std::string expected = Header32("14 00") + " 00 28 FF 28 " + kEndMarker;
    struct Row {
        const char* name;
        std::size_t bandRows;
        bool markBlank;
    };
    const Row rows[] = {
        {"one band", 100, false},
        {"blank bands flagged", 20, true},
        {"odd band height", 7, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        JobFixture local{SystemPlatform()};
        FeedPage(local, PageWithInkRows(100, Rows(10, 19)), row.bandRows, row.markBlank);
        EXPECT_EQ(AddImageDataPerEachPage(local.job), hr::kOk);
        EXPECT_EQ(Hex(local.buffer.Bytes()), expected);
        EXPECT_FALSE(local.pdev.bNothingToPrint);
    }
}

TEST_F(PagePipeline, SingleInkedRowIsNotLost)
{
    // Rows 0..56 blank (228 bytes), row 57 black.
    FeedPage(fx, PageWithInkRows(100, {57}), 100, false);
    EXPECT_EQ(AddImageDataPerEachPage(fx.job), hr::kOk);
    EXPECT_EQ(Hex(fx.buffer.Bytes()), Header32("3A 00") + " 00 E4 FF 04 " + kEndMarker);
}

TEST_F(PagePipeline, TicketPaperKeepsFullHeight)
{
    UseTicketPaper();
    FeedPage(fx, PageWithInkRows(100, Rows(10, 19)), 20, true);
    EXPECT_EQ(AddImageDataPerEachPage(fx.job), hr::kOk);
    // 100 rows: 40 blank bytes, 40 black, 320 blank.
    EXPECT_EQ(Hex(fx.buffer.Bytes()), Header32("64 00") + " 00 28 FF 28 00 FF 00 41 " + kEndMarker);
    EXPECT_EQ(Settings()[IDX_PAPER_TYPE], 1);
}

TEST_F(PagePipeline, ReceiptBinOverridesTicketSetting)
{
    Settings()[IDX_PAPER_TYPE] = 1;
    fx.core.options["InputBin"] = "Option1";
    FeedPage(fx, PageWithInkRows(100, Rows(10, 19)), 20, true);
    EXPECT_EQ(AddImageDataPerEachPage(fx.job), hr::kOk);
    EXPECT_EQ(Hex(fx.buffer.Bytes()), Header32("14 00") + " 00 28 FF 28 " + kEndMarker);
    EXPECT_EQ(Settings()[IDX_PAPER_TYPE], 0);
}

TEST_F(PagePipeline, TopAndBottomCropRemoveExactlyTheirRows)
{
    UseTicketPaper();
    Settings()[IDX_COMPRESSION] = 0;
    Settings()[IDX_TOP_CROP_ON] = 1;
    Settings()[IDX_TOP_CROP_ROWS] = 5;
    Settings()[IDX_BOTTOM_CROP_ON] = 1;
    Settings()[IDX_BOTTOM_CROP_ROWS] = 10;
    FeedPage(fx, NumberedPage(100), 100, false);
    EXPECT_EQ(AddImageDataPerEachPage(fx.job), hr::kOk);
    // Rows 5 ... 89: 85 rows of 4 bytes in one plain division.
    const auto out = fx.buffer.Bytes();
    ASSERT_EQ(out.size(), 14u + 85u * 4u + 1u);
    EXPECT_EQ(Hex(out.first(14)), "00 00 00 1B 4A 00 1D 76 30 00 04 00 55 00");
    for (std::size_t k = 0; k < 85; ++k) {
        ASSERT_EQ(out[14 + 4 * k], 5 + k) << "output row " << k;
        ASSERT_EQ(out[14 + 4 * k + 1], 0x00) << "output row " << k;
    }
    EXPECT_EQ(out.back(), 0x00);
}

TEST_F(PagePipeline, ReductionRates)
{
    struct Row {
        const char* name;
        uint8_t on;
        uint8_t rate;    // 4 is the custom rate
        uint8_t custom;  // percent, for rate 4
        uint8_t stored;  // the custom byte afterwards
        std::string expected;
    };
    const std::string half = "00 00 00 08 43 52 00 00 00 00 00 10 00 32 00 00 0A FF 0A 00 50 " + std::string(kEndMarker);
    const std::string full = Header32("64 00") + " 00 28 FF 28 00 FF 00 41 " + kEndMarker;
    const Row rows[] = {
        // 10 %: 3 dots by 10 rows; row 1 samples source row 10, columns 0, 10, 21.
        {"5 % clamps to 10 %", 1, 4, 5, 10,
         "00 00 00 08 43 52 00 00 00 00 00 08 00 0A 00 00 01 E0 00 08 " + std::string(kEndMarker)},
        // 50 %: 16 dots by 50 rows; rows 5..9 sample source rows 10..18.
        {"50 %", 1, 4, 50, 50, half},
        {"200 % clamps to 100 %", 1, 4, 200, 100, full},
        {"rate 2 is half", 1, 2, 0, 0, half},
        {"reduction off ignores the rate", 0, 2, 0, 0, full},
        {"unknown rate is full size", 1, 9, 0, 0, full},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        JobFixture local{SystemPlatform()};
        uint8_t* v = local.pdev.m_UIInfo.byteValue;
        v[IDX_PAPER_TYPE] = 1;
        local.core.options["InputBin"] = "Option2";
        v[IDX_REDUCTION_ON] = row.on;
        v[IDX_REDUCTION_RATE] = row.rate;
        v[IDX_REDUCTION_CUSTOM] = row.custom;
        FeedPage(local, PageWithInkRows(100, Rows(10, 19)), 20, true);
        EXPECT_EQ(AddImageDataPerEachPage(local.job), hr::kOk);
        EXPECT_EQ(Hex(local.buffer.Bytes()), row.expected);
        EXPECT_EQ(v[IDX_REDUCTION_CUSTOM], row.stored);
    }
}

TEST_F(PagePipeline, Rotate180OnTicketPaper)
{
    UseTicketPaper();
    Settings()[IDX_ROTATION] = 2;
    FeedPage(fx, PageWithInkRows(100, Rows(10, 19)), 20, true);
    EXPECT_EQ(AddImageDataPerEachPage(fx.job), hr::kOk);
    // Ink moves to rows 80..89: 320 blank bytes, 40 black, 40 blank.
    EXPECT_EQ(Hex(fx.buffer.Bytes()), Header32("64 00") + " 00 FF 00 41 FF 28 00 28 " + kEndMarker);
}

TEST_F(PagePipeline, PageStateIsResetAfterEveryPage)
{
    FeedPage(fx, PageWithInkRows(100, Rows(10, 19)), 20, true);
    AppendPictureRect(fx.pdev, RECTL{0, 0, 8, 8});
    fx.pdev.devTxtBuf = {1, 2, 3};
    ASSERT_EQ(AddImageDataPerEachPage(fx.job), hr::kOk);

    const OemPDEV& p = fx.pdev;
    EXPECT_TRUE(p.pBufStart.empty());
    EXPECT_EQ(p.bmInfoHeader.biHeight, 0);
    EXPECT_EQ(p.bmInfoHeader.biWidth, 0);
    EXPECT_EQ(p.bmInfoHeader.biSizeImage, 0u);
    EXPECT_EQ(p.bmFileHeader.bfType, 0);
    EXPECT_EQ(p.bmFileHeader.bfSize, 0u);
    EXPECT_TRUE(p.colorTable.empty());
    EXPECT_EQ(p.dwColorCount, 0u);
    EXPECT_EQ(p.bBlankBand, 0);
    EXPECT_EQ(p.dwBlankHeight, 0u);
    EXPECT_EQ(p.dwBlankSize, 0u);
    EXPECT_TRUE(p.pictureRects.empty());
    EXPECT_TRUE(p.txtBuf.empty());
    EXPECT_TRUE(p.devTxtBuf.empty());
}

TEST_F(PagePipeline, SecondPageStartsEmpty)
{
    FeedPage(fx, PageWithInkRows(100, {}), 20, true);
    ASSERT_EQ(AddImageDataPerEachPage(fx.job), hr::kOk);
    EXPECT_TRUE(fx.pdev.bNothingToPrint);
    // The second page carries no rows of the first.
    FeedPage(fx, PageWithInkRows(100, Rows(10, 19)), 20, true);
    EXPECT_EQ(AddImageDataPerEachPage(fx.job), hr::kOk);
    EXPECT_EQ(Hex(fx.buffer.Bytes()), "00 " + Header32("14 00") + " 00 28 FF 28 " + kEndMarker);
    EXPECT_FALSE(fx.pdev.bNothingToPrint);
}

TEST_F(PagePipeline, PageWithoutBandsFailsAndStillResets)
{
    AppendPictureRect(fx.pdev, RECTL{0, 0, 8, 8});
    fx.pdev.dwLastTxt_PosY = 40;
    fx.pdev.dwBottomTxtCoordinate = 50;
    fx.pdev.bNothingToPrint = true;
    EXPECT_EQ(AddImageDataPerEachPage(fx.job), hr::kFail);
    EXPECT_TRUE(fx.buffer.Empty());
    EXPECT_TRUE(fx.pdev.pictureRects.empty());
    EXPECT_EQ(fx.pdev.dwLastTxt_PosY, 0u);
    EXPECT_EQ(fx.pdev.dwBottomTxtCoordinate, 0u);
    EXPECT_TRUE(fx.pdev.bNothingToPrint);
}

TEST_F(PagePipeline, LandscapeBlankPageSendsNothing)
{
    Settings()[IDX_LANDSCAPE] = 1;
    FeedPage(fx, PageWithInkRows(100, {}), 20, true);
    EXPECT_EQ(AddImageDataPerEachPage(fx.job), hr::kFail);
    EXPECT_TRUE(fx.buffer.Empty());
}

// With the trace on, every page leaves a bitmap of the page after the bottom
// crop in the trace folder, named by minute and job; a later page of the same
// minute replaces it rather than being appended to it.
TEST(PageDiagnostics, LaterPageOfSameMinuteReplacesTheBitmap)
{
    if (!test::kHostRootMapsPaths) GTEST_SKIP() << "needs the POSIX host's drive mapping";
    if (!IsTraceOn()) GTEST_SKIP() << "the trace was switched off in this process";
    test::TempHostRoot root;
    std::filesystem::create_directories(root.Root() / "drive_c" / "temp" / "LT-77");
    Platform& platform = SystemPlatform();
    auto bitmapName = [&] {
        const LocalTime t = platform.clock.Now();
        char name[64];
        std::snprintf(name, sizeof(name), "c:\\temp\\LT-77\\LT-77_%02u%02u_%02u%02u_00007.bmp", t.month, t.day,
                      t.hour, t.minute);
        return std::string(name);
    };
    g_dwJobId = 7;
    std::optional<std::vector<uint8_t>> bitmap;
    for (int attempt = 0; attempt < 3 && !bitmap; ++attempt) {
        const std::string before = bitmapName();
        platform.files.RemoveFile(before);
        JobFixture fx{platform};
        FeedPage(fx, PageWithInkRows(100, Rows(10, 19)), 20, true);
        ASSERT_EQ(AddImageDataPerEachPage(fx.job), hr::kOk);
        FeedPage(fx, PageWithInkRows(100, Rows(10, 29)), 20, true);
        ASSERT_EQ(AddImageDataPerEachPage(fx.job), hr::kOk);
        // A new minute between the pages names a new file; try again.
        if (bitmapName() == before) bitmap = platform.files.ReadWhole(before);
    }
    g_dwJobId = 0;
    PrepareTraceFolder(platform);
    ASSERT_TRUE(bitmap.has_value());
    // 32 x 30 dots of 1 bit: file header, information header, two palette
    // entries and 30 rows of 4 bytes.
    ASSERT_EQ(bitmap->size(), 14u + 40u + 8u + 30u * 4u);
    EXPECT_EQ(Hex(std::span(*bitmap).first(6)), "42 4D B6 00 00 00");
}

// An 8-bit image whose pixel (0, y) holds index y, so a crop's surviving
// rows can be read back.
CxImage NumberedImage(int32_t rows)
{
    CxImage image;
    EXPECT_TRUE(image.Create(4, rows, 8));
    for (int32_t y = 0; y < rows; ++y) image.SetPixelIndex(0, y, static_cast<uint8_t>(y));
    return image;
}

TEST(CropImageTopAndBottom, Cases)
{
    struct Row {
        const char* name;
        uint8_t rotation;
        BOOL roll;
        int top, bottom;   // -1: crop switched off
        DWORD widthBeforeCrop;
        DWORD lastRow;
        int32_t firstKept;
        int32_t rowsKept;
        DWORD lastRowAfter;
        BOOL rollAfter;
    };
    const Row rows[] = {
        {"no rotation, no crop", 0, 1, -1, -1, 4, 100, 0, 100, 100, 1},
        {"crop rows given but switched off", 0, 0, -1, -1, 4, 100, 0, 100, 100, 0},
        {"#2 top 5, bottom 10", 0, 0, 5, 10, 4, 100, 5, 85, 100, 0},
        {"#2 top 5, no bottom", 0, 0, 5, 0, 4, 100, 5, 95, 100, 0},
        {"#2 no top, bottom 10", 0, 0, 0, 10, 4, 100, 0, 90, 100, 0},
        {"#2 on roll paper without rotation", 0, 1, 5, 10, 4, 100, 5, 85, 100, 1},
        {"top and bottom beyond the height", 0, 0, 60, 50, 4, 100, 0, 100, 100, 0},
        {"#1 rotation 180 keeps rows from the top to the last text row", 2, 1, 0, 0, 4, 40, 0, 40, 40, 0},
        {"#1 rotation 180 keeps bottom margin", 2, 1, 0, 10, 4, 95, 0, 90, 90, 0},
        {"#1 rotation 90 ends at pre-crop width plus top", 1, 1, 3, 0, 40, 70, 3, 40, 43, 0},
        {"#3 rotation on ticket paper", 2, 0, 0, 0, 4, 40, 0, 100, 40, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        OemPDEV pdev;
        uint8_t* v = pdev.m_UIInfo.byteValue;
        v[IDX_ROTATION] = row.rotation;
        if (row.top >= 0) {
            v[IDX_TOP_CROP_ON] = 1;
            v[IDX_TOP_CROP_ROWS] = static_cast<uint8_t>(row.top);
        } else {
            v[IDX_TOP_CROP_ROWS] = 5;
        }
        if (row.bottom >= 0) {
            v[IDX_BOTTOM_CROP_ON] = 1;
            v[IDX_BOTTOM_CROP_ROWS] = static_cast<uint8_t>(row.bottom);
        } else {
            v[IDX_BOTTOM_CROP_ROWS] = 5;
        }
        pdev.bBlankBand = row.roll;
        CxImage image = NumberedImage(100);
        DWORD lastRow = row.lastRow;
        EXPECT_TRUE(CropImageTopAndBottom(pdev, image, row.widthBeforeCrop, 100, lastRow));
        EXPECT_EQ(image.GetHeight(), row.rowsKept);
        EXPECT_EQ(image.GetPixelIndex(0, 0), row.firstKept);
        EXPECT_EQ(image.GetPixelIndex(0, image.GetHeight() - 1), row.firstKept + row.rowsKept - 1);
        EXPECT_EQ(lastRow, row.lastRowAfter);
        EXPECT_EQ(pdev.bBlankBand, row.rollAfter);
    }
}

TEST(CropBottomBlankArea, KeepsRowsDownToInkOrCapturedText)
{
    struct Row {
        const char* name;
        uint8_t paperType;
        bool text;
        DWORD bottomText;
        bool cropped;
        int32_t height;
    };
    const Row rows[] = {
        {"roll, no text: through the inked row", 0, false, 0, true, 31},
        {"text ends below the ink", 0, true, 60, true, 60},
        {"text ends above the ink: one row of margin", 0, true, 10, true, 32},
        {"ticket paper is never cropped", 1, false, 0, false, 100},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        OemPDEV pdev;
        pdev.m_UIInfo.byteValue[IDX_PAPER_TYPE] = row.paperType;
        if (row.text) pdev.txtBuf = {1};
        pdev.dwBottomTxtCoordinate = row.bottomText;
        pdev.bBlankBand = 1;
        pdev.dwBlankHeight = 20;
        pdev.dwBlankSize = 80;
        CxImage image = test::WhiteImage(8, 100);
        image.SetPixelColor(3, 30, test::kBlack);
        EXPECT_EQ(CropBottomBlankArea(pdev, image), row.cropped);
        EXPECT_EQ(image.GetHeight(), row.height);
        EXPECT_EQ(pdev.dwBlankHeight, row.cropped ? 0u : 20u);
        EXPECT_EQ(pdev.dwBlankSize, row.cropped ? 0u : 80u);
        EXPECT_EQ(pdev.bBlankBand, row.cropped ? 0 : 1);
    }
}

// Reads beyond the image answer the top-left pixel; a dark corner there must
// not stop the search for the lowest inked row.
TEST(CropBottomBlankArea, DarkTopLeftPixelDoesNotStopTheSearch)
{
    OemPDEV pdev;
    CxImage image = test::WhiteImage(8, 100);
    image.SetPixelColor(0, 0, test::kBlack);
    image.SetPixelColor(5, 40, test::kBlack);
    EXPECT_TRUE(CropBottomBlankArea(pdev, image));
    EXPECT_EQ(image.GetHeight(), 41);
}

}  // namespace
}  // namespace lt77
