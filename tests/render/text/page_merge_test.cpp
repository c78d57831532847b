// The page's printer data when device lines are on it: image slices and the
// lines' command bytes in the order of their rows.
#include "render/page_merge.h"

#include <gtest/gtest.h>

#include <optional>

#include "render/picture_rects.h"
#include "render/text_record.h"
#include "tests/render/text/text_test_support.h"

namespace lt77 {
namespace {

using test::Bytes;
using test::Concat;
using test::Hex;
using test::Record;

const std::vector<uint8_t> kCommand = Bytes("1B 74 10 08 4D 00 41 1D 21 00 1B 24 00 00");
const std::vector<uint8_t> kText = Bytes("4C 31 1B 4A 18");

// 8 dots wide; row y is inked so that its raster byte is y mod 256, which
// makes every row of the output name its source row.
CxImage CodedImage(int32_t rows)
{
    CxImage image = test::WhiteImage(8, rows);
    for (int32_t y = 0; y < rows; ++y)
        for (int32_t x = 0; x < 8; ++x)
            if ((y & 0xFF) & (0x80 >> x)) image.SetPixelColor(x, y, test::kBlack);
    return image;
}

// One uncompressed raster command (1D 76 30 00, 1 byte per row) for rows
// first ... first + rows - 1 of a coded image; at most one division of 246 rows.
std::vector<uint8_t> Slice(uint32_t first, uint32_t rows)
{
    EXPECT_LE(rows, 246u);
    std::vector<uint8_t> out = Bytes("00 00 00 1B 4A 00 1D 76 30 00 01 00");
    test::PutLe16(out, static_cast<uint16_t>(rows));
    for (uint32_t y = first; y < first + rows; ++y) out.push_back(static_cast<uint8_t>(y & 0xFF));
    out.push_back(0x00);
    return out;
}

// What the merge sends for a record: slot 1, slot 2, one zero byte.
std::vector<uint8_t> Sent(const std::vector<uint8_t>& slot1, const std::vector<uint8_t>& slot2)
{
    return Concat({slot1, slot2, {0x00}});
}

std::vector<uint8_t> Line(uint16_t yDots, uint8_t type = FTYPE_DEVICE_FONT, uint16_t heightDots = 24)
{
    return Record({.type = type, .height = heightDots, .y = yDots, .slot1 = kCommand, .slot2 = kText});
}

class AddImageAndDevFontDataTest : public ::testing::Test {
protected:
    AddImageAndDevFontDataTest() { fx.pdev.m_UIInfo.byteValue[IDX_COMPRESSION] = 0; }

    std::string Merge(int32_t rows, float rate = 1.0f, HRESULT expected = hr::kOk)
    {
        CxImage image = CodedImage(rows);
        EXPECT_EQ(AddImageAndDevFontData(fx.job, image, rate), expected);
        return Hex(fx.buffer.Bytes());
    }

    test::JobFixture fx{SystemPlatform()};
};

TEST_F(AddImageAndDevFontDataTest, OneLineReplacesItsRows)
{
    fx.pdev.devTxtBuf = Line(100);
    // Row 99 goes with the line: the slice before it stops one row short.
    EXPECT_EQ(Merge(300), Hex(Concat({Slice(0, 99), Sent(kCommand, kText), Slice(124, 176)})));
}

TEST_F(AddImageAndDevFontDataTest, CompressedSlicesCountTheirRows)
{
    fx.pdev.m_UIInfo.byteValue[IDX_COMPRESSION] = 1;
    fx.pdev.devTxtBuf = Line(100);
    CxImage white = test::WhiteImage(8, 300);
    ASSERT_EQ(AddImageAndDevFontData(fx.job, white, 1.0f), hr::kOk);
    // Header 08 43 52, plane 0, four zero bytes, 8 dots, rows; then 99 (or
    // 176) zero bytes as one run and the end marker.
    EXPECT_EQ(Hex(fx.buffer.Bytes()),
              Hex(Concat({Bytes("00 00 00 08 43 52 00 00 00 00 00 08 00 63 00 00 63 08 43 52 FF 00 00"),
                          Sent(kCommand, kText),
                          Bytes("00 00 00 08 43 52 00 00 00 00 00 08 00 B0 00 00 B0 08 43 52 FF 00 00")})));
}

TEST_F(AddImageAndDevFontDataTest, RowsTakenDependOnTheRecordType)
{
    const struct {
        const char* name;
        uint8_t type;
        uint8_t rotation;
        uint32_t resumeRow;
    } cases[] = {
        {"resident font", FTYPE_DEVICE_FONT, 0, 124},
        {"resident font, rotated", FTYPE_DEVICE_FONT, 1, 124},
        {"barcode", FTYPE_DEVICE_BARCODE, 0, 100},
        {"control code", FTYPE_DEVICE_FONT_CONTROL, 0, 124},
        {"control code, rotated", FTYPE_DEVICE_FONT_CONTROL, 1, 100},
        {"control file", FTYPE_DEVICE_FONT_CONTROL_A, 0, 124},
        {"control file, rotated", FTYPE_DEVICE_FONT_CONTROL_A, 3, 100},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fx.buffer.InitPrintCommandsBuffer();
        fx.pdev.m_UIInfo.byteValue[IDX_ROTATION] = c.rotation;
        fx.pdev.devTxtBuf = Line(100, c.type);
        EXPECT_EQ(Merge(300),
                  Hex(Concat({Slice(0, 99), Sent(kCommand, kText), Slice(c.resumeRow, 300 - c.resumeRow)})));
    }
}

TEST_F(AddImageAndDevFontDataTest, LinesOnTheSameRowFollowEachOther)
{
    const auto second = Bytes("1B 74 10 08 4D 00 42 1D 21 00 1B 24 00 00");
    fx.pdev.devTxtBuf =
        Concat({Line(100), Record({.height = 24, .y = 100, .slot1 = second, .slot2 = kText})});
    EXPECT_EQ(Merge(300),
              Hex(Concat({Slice(0, 99), Sent(kCommand, kText), Sent(second, kText), Slice(148, 152)})));
}

TEST_F(AddImageAndDevFontDataTest, LineAtTheTopSendsNoImageBeforeIt)
{
    fx.pdev.devTxtBuf = Line(0);
    EXPECT_EQ(Merge(200), Hex(Concat({Sent(kCommand, kText), Slice(24, 176)})));
}

TEST_F(AddImageAndDevFontDataTest, LinesAtOrBelowTheImageEndAreNotSent)
{
    for (const uint16_t y : {200, 250, 0xFFFF}) {
        SCOPED_TRACE(y);
        fx.buffer.InitPrintCommandsBuffer();
        fx.pdev.devTxtBuf = Line(y);
        EXPECT_EQ(Merge(200), Hex(Slice(0, 200)));
    }
    // The last row still holds a line; nothing of the image is left after it.
    fx.buffer.InitPrintCommandsBuffer();
    fx.pdev.devTxtBuf = Line(199);
    EXPECT_EQ(Merge(200), Hex(Concat({Slice(0, 198), Sent(kCommand, kText)})));
}

TEST_F(AddImageAndDevFontDataTest, EveryRecordOnTheImagesLastLineIsSent)
{
    // On roll paper the image ends at the lowest line's bottom: row 100 plus
    // 24 rows. The first record there reaches the end; the others still print.
    const auto right = Bytes("1B 74 10 08 4D 00 41 1D 21 00 1B 24 2C 01");
    const auto shop = Bytes("5A 5B");
    const auto cd = Bytes("43 44 1B 4A 18");
    const struct {
        const char* name;
        std::vector<uint8_t> records, sent;
    } cases[] = {
        {"two strings, LEFT at x 0 and RIGHT at x 300",
         Concat({Line(100), Record({.x = 300, .y = 100, .slot1 = right, .slot2 = kText})}),
         Concat({Sent(kCommand, kText), Sent(right, kText)})},
        {"a marker's split: text, image, text",
         Concat({Line(100), Record({.y = 100, .slot1 = shop}), Record({.y = 100, .slot1 = kCommand, .slot2 = cd})}),
         Concat({Sent(kCommand, kText), Sent(shop, {}), Sent(kCommand, cd)})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fx.buffer.InitPrintCommandsBuffer();
        fx.pdev.devTxtBuf = c.records;
        EXPECT_EQ(Merge(124), Hex(Concat({Slice(0, 99), c.sent})));
    }
}

TEST_F(AddImageAndDevFontDataTest, LongLineOfRecordsIsSortedAndSentWhole)
{
    // Records as one long line of markers leaves them, alternating between
    // rows 10 and 5; each names its index in its two bytes. (Its speed is
    // measured by the benchmark.)
    constexpr uint32_t kRecords = 4000;
    std::vector<uint8_t> upper, lower;
    for (uint32_t i = 0; i < kRecords; ++i) {
        const std::vector<uint8_t> index{static_cast<uint8_t>(i & 0xFF), static_cast<uint8_t>(i >> 8)};
        const bool odd = (i & 1) != 0;
        const auto record = Record({.y = static_cast<uint16_t>(odd ? 5 : 10), .slot1 = index});
        fx.pdev.txtBuf.insert(fx.pdev.txtBuf.end(), record.begin(), record.end());
        auto& sent = odd ? upper : lower;
        sent.insert(sent.end(), {index[0], index[1], 0x00});
    }
    CxImage image = CodedImage(40);
    DrawResizedText(fx.pdev, image, 1.0f, 0);
    ASSERT_EQ(AddImageAndDevFontData(fx.job, image, 1.0f), hr::kOk);
    // Row 5 first, in capture order, then row 10; nothing after the last.
    const auto expected = Concat({Slice(0, 4), upper, lower});
    EXPECT_EQ(fx.buffer.Bytes().size(), expected.size());
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), fx.buffer.Bytes().begin(), fx.buffer.Bytes().end()));
}

TEST_F(AddImageAndDevFontDataTest, ReducedPageScalesTheLinesRowAndHeight)
{
    // Captured at 101 and 24 dots high; at half size row 51, 12 rows.
    fx.pdev.devTxtBuf = Line(101);
    EXPECT_EQ(Merge(150, 0.5f), Hex(Concat({Slice(0, 50), Sent(kCommand, kText), Slice(63, 87)})));
}

TEST_F(AddImageAndDevFontDataTest, BlankBandsAndTrueTypeTextDecideTheRemainder)
{
    const struct {
        const char* name;
        DWORD blankRows, lastTextRow, lastTextHeight;
        std::optional<std::pair<uint32_t, uint32_t>> tail;
    } cases[] = {
        {"blank band below the line", 100, 0, 0, std::pair<uint32_t, uint32_t>{124, 76}},
        {"blank band reaching above the line's end", 200, 0, 0, std::nullopt},
        {"TrueType line below the line", 200, 130, 30, std::pair<uint32_t, uint32_t>{124, 36}},
        {"blank band taller than the page", 400, 0, 0, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fx.buffer.InitPrintCommandsBuffer();
        fx.pdev.devTxtBuf = Line(100);
        fx.pdev.bBlankBand = 1;
        fx.pdev.dwBlankHeight = c.blankRows;
        fx.pdev.dwLastTxt_PosY = c.lastTextRow;
        fx.pdev.dwLastTxt_Height = c.lastTextHeight;
        auto expected = Concat({Slice(0, 99), Sent(kCommand, kText)});
        if (c.tail) expected = Concat({expected, Slice(c.tail->first, c.tail->second)});
        EXPECT_EQ(Merge(300), Hex(expected));
    }
}

TEST_F(AddImageAndDevFontDataTest, NothingSentAtAllIsAFailure)
{
    fx.pdev.devTxtBuf = Line(250);
    fx.pdev.bBlankBand = 1;
    fx.pdev.dwBlankHeight = 200;
    EXPECT_EQ(Merge(200, 1.0f, hr::kFail), "");
}

TEST_F(AddImageAndDevFontDataTest, PictureInsideTheLinesBandSendsTheBandFromTheLinesRow)
{
    const struct {
        const char* name;
        LONG pictureTop;
        int32_t imageRows;
        std::vector<uint8_t> extra, tail;
    } cases[] = {
        {"picture from the line's row", 100, 300, Slice(100, 24), Slice(124, 176)},
        {"picture from inside the band", 110, 300, Slice(100, 24), Slice(124, 176)},
        {"picture from the band's last row", 123, 300, Slice(100, 24), Slice(124, 176)},
        {"band cut short by the image's end", 105, 110, Slice(100, 10), {}},
        {"picture below the band", 124, 300, {}, Slice(124, 176)},
        {"picture above the band", 90, 300, {}, Slice(124, 176)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fx.buffer.InitPrintCommandsBuffer();
        fx.pdev.devTxtBuf = Line(100);
        fx.pdev.pictureRects = {MakePictureRect(RECTL{0, c.pictureTop, 7, c.pictureTop + 40})};
        EXPECT_EQ(Merge(c.imageRows), Hex(Concat({Slice(0, 99), Sent(kCommand, kText), c.extra, c.tail})));
    }
}

TEST(DevTextInImage, FirstPictureStartingInsideTheBandGivesTheRowsFromItsTop)
{
    const struct {
        const char* name;
        std::vector<LONG> tops;
        DWORD row, height;
        int result;
        DWORD amount;
    } cases[] = {
        {"no pictures", {}, 100, 24, 0, 0},
        {"starts on the row", {100}, 100, 24, 1, 24},
        {"starts inside", {110}, 100, 24, 1, 14},
        {"starts on the last row", {123}, 100, 24, 1, 1},
        {"starts just below", {124}, 100, 24, 0, 0},
        {"starts above", {99}, 100, 24, 0, 0},
        {"first match in list order", {130, 105, 101}, 100, 24, 1, 19},
        {"band without rows, picture on its row", {100}, 100, 0, 1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<PictureRect> pictures;
        for (LONG top : c.tops) pictures.push_back(MakePictureRect(RECTL{0, top, 10, top + 5}));
        DWORD amount = 0;
        EXPECT_EQ(DevTextInImage(pictures, c.row, c.height, amount), c.result);
        if (c.result == 1) {
            EXPECT_EQ(amount, c.amount);
        }
    }
}

}  // namespace
}  // namespace lt77
