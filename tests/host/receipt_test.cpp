// Whole receipts: a golden stream of a receipt made only of what the
// printer draws itself, and where lines land when the page is turned or
// reduced.
#include "common/raster_decoder.h"
#include "host/text_output.h"
#include "host_fixture.h"

#ifndef LT77_TEST_DATA_DIR
#define LT77_TEST_DATA_DIR "tests/data"
#endif

namespace lt77::host::testing {
namespace {

TextFont Resident(const char16_t* family)
{
    TextFont f;
    f.family = family;
    f.device = true;
    return f;
}

class Receipt : public HostTest {
protected:
    struct Line {
        int32_t x, y;
        std::u16string text;
        const char16_t* family;
    };
    JobResult Print(const std::vector<Line>& lines, std::function<void(PageCanvas&)> draw = {}, int32_t rows = 400)
    {
        JobRequest request;
        request.drawPage = [=](DeviceContext& dc, int) {
            PageCanvas canvas(576, rows, 1);
            if (draw) draw(canvas);
            for (const auto& l : lines) OutputText(dc, canvas, l.x, l.y, l.text, Resident(l.family));
            canvas.SendBands(dc, 64);
        };
        JobResult r = Run(request);
        EXPECT_TRUE(r.ok) << r.error;
        return r;
    }
    // Rows of the decoded picture that hold ink.
    static std::vector<bool> InkRows(const std::vector<uint8_t>& stream)
    {
        const auto picture = DecodeRasterStream(stream).picture;
        std::vector<bool> ink(picture.height, false);
        for (uint32_t y = 0; y < picture.height; ++y)
            for (uint32_t x = 0; x < picture.width && !ink[y]; ++x) ink[y] = picture.At(x, y) < 128;
        return ink;
    }
    static bool AnyIn(const std::vector<bool>& ink, std::size_t from, std::size_t to)
    {
        for (std::size_t y = from; y < to && y < ink.size(); ++y)
            if (ink[y]) return true;
        return false;
    }
};

TEST_F(Receipt, GoldenStreamOfAPrinterDrawnReceipt)
{
    SetSettings({{IDX_DRAWER1_AFTER, 1}, {IDX_LINE_FEEDS, 2}});
    const JobResult r = Print(
        {{120, 10, u"LT-77 CAFE", u"FontA2x2"},
         {16, 80, u"Espresso            2.80", u"FontA1x1"},
         {16, 110, u"Croissant           2.10", u"FontA1x1"},
         {16, 160, u"TOTAL  4.90", u"FontB2x2"},
         {16, 230, u"{C20261208", u"Code128"},
         {16, 300, u"(x)", u"FontControl"}},
        [](PageCanvas& canvas) { canvas.FillRect(16, 145, 560, 148, 0); });
    const std::string path = std::string(LT77_TEST_DATA_DIR) + "/receipt_golden.prn";
    if (std::getenv("LT77_UPDATE_GOLDEN") != nullptr) {
        std::ofstream(path, std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(r.spooled.data()), static_cast<std::streamsize>(r.spooled.size()));
        GTEST_SKIP() << "golden stream written to " << path;
    }
    const auto golden = ReadFileBytes(path);
    ASSERT_FALSE(golden.empty()) << path << " is missing; LT77_UPDATE_GOLDEN=1 writes it";
    EXPECT_EQ(r.spooled, golden);
}

TEST_F(Receipt, HalfTurnPutsTheFirstLineAtTheBottom)
{
    SetSettings({{IDX_ROTATION, 2}});
    const auto ink = InkRows(Print({{16, 50, u"FIRST LINE", u"FontA1x1"}, {16, 250, u"LAST LINE", u"FontA1x1"}}).spooled);
    // The whole 400-row page is turned (its blank bottom was not cropped:
    // the lines are drawn after that step): a line at y prints at rows
    // 400 - y - h ... 400 - y, the last line first.
    ASSERT_EQ(ink.size(), 400u);
    EXPECT_FALSE(AnyIn(ink, 0, 118));
    EXPECT_TRUE(AnyIn(ink, 120, 152));
    EXPECT_FALSE(AnyIn(ink, 155, 318));
    EXPECT_TRUE(AnyIn(ink, 320, 352));
    EXPECT_FALSE(AnyIn(ink, 355, ink.size()));
}

TEST_F(Receipt, HalfSizeMovesLinesToHalfTheirRows)
{
    SetSettings({{IDX_REDUCTION_ON, 1}, {IDX_REDUCTION_RATE, 2}});
    const auto ink = InkRows(Print({{16, 100, u"FIRST LINE", u"FontA1x1"}, {16, 300, u"LAST LINE", u"FontA1x1"}}).spooled);
    EXPECT_FALSE(AnyIn(ink, 0, 48));
    EXPECT_TRUE(AnyIn(ink, 50, 65));
    EXPECT_FALSE(AnyIn(ink, 66, 148));
    EXPECT_TRUE(AnyIn(ink, 150, 165));
}

}  // namespace
}  // namespace lt77::host::testing
