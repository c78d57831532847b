// The renderer as the printer: the driver's commands in, the paper and the
// job's log out.
#include "tests/printer/printer_test_support.h"

namespace lt77::printer::testing {
namespace {

struct Cell {
    uint32_t x, y, w, h;
    bool ink;  // a character with ink, or a blank cell
};

// Every dot of ink on the paper lies in one of the cells, and each cell has
// ink exactly when it should.
void ExpectInkInCells(const Paper& paper, const std::vector<Cell>& cells)
{
    for (uint32_t y = 0; y < paper.Rows(); ++y)
        for (uint32_t x = 0; x < kPaperDots; ++x) {
            if (!paper.At(x, y)) continue;
            const bool inCell = std::any_of(cells.begin(), cells.end(), [&](const Cell& c) {
                return x >= c.x && x < c.x + c.w && y >= c.y && y < c.y + c.h;
            });
            ASSERT_TRUE(inCell) << "ink outside every cell at " << x << ", " << y;
        }
    for (const Cell& c : cells) EXPECT_EQ(InkIn(paper, c.x, c.y, c.w, c.h) > 0, c.ink) << "cell at " << c.x << ", " << c.y;
}

TEST(StreamRenderer, DeviceTextOccupiesItsGlyphCells)
{
    const auto fontA = Bytes({0x1B, 0x74, 0x10, 0x08, 0x4D, 0x00, 0x41});
    const struct {
        const char* name;
        std::vector<uint8_t> job;
        std::vector<Cell> cells;
        uint32_t rows;
    } cases[] = {
        {"font A 12 x 24 from x 24, a space between",
         Concat({fontA, Bytes({0x1D, 0x21, 0x00, 0x1B, 0x24, 0x18, 0x00}), Text("AB C"), Bytes({0x1B, 0x4A, 0x18, 0x00})}),
         {{24, 0, 12, 24, true}, {36, 0, 12, 24, true}, {48, 0, 12, 24, false}, {60, 0, 12, 24, true}},
         24},
        {"font B 9 x 17 twice as wide from x 300, fed 24 dots",
         Bytes({0x1B, 0x74, 0x10, 0x08, 0x4D, 0x00, 0x42, 0x1D, 0x21, 0x10, 0x1B, 0x24, 0x2C, 0x01, 'H', 'i', 0x1B, 0x4A, 0x18, 0x00}),
         {{300, 0, 18, 17, true}, {318, 0, 18, 17, true}},
         24},
        {"font A twice as wide and tall, the feed shorter than the line",
         Concat({fontA, Bytes({0x1D, 0x21, 0x11, 0x1B, 0x24, 0x00, 0x00, 'T', 'O', 0x1B, 0x4A, 0x18, 0x00})}),
         {{0, 0, 24, 48, true}, {24, 0, 24, 48, true}},
         48},
        {"Korean in 24 x 24 cells",
         Bytes({0x1C, 0x26, 0x1D, 0x21, 0x00, 0x1B, 0x24, 0x00, 0x00, 0xB0, 0xA8, 0xBB, 0xE7, 0x1C, 0x2E, 0x1B, 0x4A, 0x18, 0x00}),
         {{0, 0, 24, 24, true}, {24, 0, 24, 24, true}},
         24},
        {"Japanese in Shift JIS from x 16",
         Bytes({0x1C, 0x26, 0x1C, 0x43, 0x01, 0x1D, 0x21, 0x00, 0x1B, 0x24, 0x10, 0x00, 0x93, 0xFA, 0x96, 0x7B, 0x1C, 0x2E,
                0x1B, 0x4A, 0x18, 0x00}),
         {{16, 0, 24, 24, true}, {40, 0, 24, 24, true}},
         24},
        {"characters of one line stand on its bottom; a line feed of at least the line",
         Bytes({'a', 0x1D, 0x21, 0x01, 'b', 0x0A}),
         {{0, 24, 12, 24, true}, {12, 0, 12, 48, true}},
         48},
        {"centred",
         Bytes({0x1B, 0x61, 0x01, 'A', 'B', 0x0A}),
         {{276, 0, 12, 24, true}, {288, 0, 12, 24, true}},
         34},
        {"the 49th character of font A starts the next line",
         Concat({std::vector<uint8_t>(48, ' '), Text("MM")}),
         {{0, 34, 12, 24, true}, {12, 34, 12, 24, true}},
         58},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const RenderedJob printed = Print(c.job);
        EXPECT_EQ(printed.paper.Rows(), c.rows);
        ExpectInkInCells(printed.paper, c.cells);
        EXPECT_EQ(printed.log.Problems(), 0u) << printed.log.Text();
    }
}

TEST(StreamRenderer, EmphasisUnderlineAndReverseChangeTheCell)
{
    const uint32_t plain = InkIn(Print(Bytes({'A', 0x0A})).paper, 0, 0, 12, 24);
    const uint32_t bold = InkIn(Print(Bytes({0x1B, 0x45, 0x01, 'A', 0x0A})).paper, 0, 0, 13, 24);
    EXPECT_GT(bold, plain);
    // A space: the underline is the cell's bottom rows, the reverse the whole cell.
    const Paper underlined = Print(Bytes({0x1B, 0x2D, 0x02, ' ', 0x0A})).paper;
    EXPECT_EQ(InkIn(underlined, 0, 22, 12, 2), 24u);
    EXPECT_EQ(InkIn(underlined, 0, 0, 12, 22), 0u);
    EXPECT_EQ(InkIn(Print(Bytes({0x1D, 0x42, 0x01, ' ', 0x0A})).paper, 0, 0, 12, 24), 12u * 24u);
}

TEST(StreamRenderer, CodeTablesNameTheSameCharacterByTheirOwnBytes)
{
    // e acute: 0xE9 in WPC1252 (table 16), 0x82 in PC437 (table 0).
    const Paper in1252 = Print(Bytes({0x1B, 0x74, 0x10, 0xE9, 0x0A})).paper;
    const Paper in437 = Print(Bytes({0x1B, 0x74, 0x00, 0x82, 0x0A})).paper;
    const Paper plainE = Print(Bytes({'e', 0x0A})).paper;
    ASSERT_GT(InkIn(in1252, 0, 0, 12, 24), 0u);
    bool same = true, likeE = true;
    for (uint32_t y = 0; y < 24; ++y)
        for (uint32_t x = 0; x < 12; ++x) {
            same = same && in1252.At(x, y) == in437.At(x, y);
            likeE = likeE && in1252.At(x, y) == plainE.At(x, y);
        }
    EXPECT_TRUE(same);
    EXPECT_FALSE(likeE) << "the accent is drawn";
}

TEST(StreamRenderer, FeedsCutsAndPageEndsAreMarkedBesideThePaperAndLogged)
{
    const RenderedJob printed = Print(Bytes({'A', 0x0A,              // a line, fed 34 dots
                                             0x1B, 0x4A, 0x0A,       // 10 dots
                                             0x1D, 0x56, 0x42, 0x00,  // partial cut
                                             0x0C, 0x00, 0x08, 0x01, 0x00,  // page end, page mark 1
                                             0x1B, 0x70, 0x00, 0x19, 0xFA, 0x1B, 0x42, 0x00, 0x05}));
    const Paper& paper = printed.paper;
    EXPECT_EQ(paper.Rows(), 44u);
    EXPECT_EQ(InkIn(paper, 580, 33, 8, 1), 8u) << "line feed tick";
    EXPECT_EQ(InkIn(paper, 590, 34, 2, 9), 18u) << "feed bar";
    EXPECT_EQ(InkIn(paper, 590, 43, 2, 1), 0u);
    EXPECT_EQ(InkIn(paper, 602, 41, 38, 3), 38u * 3u) << "page end bar";
    EXPECT_EQ(InkIn(paper, kPaperDots + 1, 0, kMarkStripDots - 1, 26), 0u) << "nothing before the first feed";
    EXPECT_EQ(printed.log.Text(),
              "  offset 00000005: partial cut at row 44\n"
              "  offset 0000000B: page 1 ends\n"
              "  offset 0000000E: drawer 1 (connector pin 2) pulse: on 50 ms, off 500 ms\n"
              "  offset 00000013: buzzer: 1B 42 00 05 (n 0, t 5)\n");
}

TEST(StreamRenderer, RasterInBothFormsGreyPlanesAndBitImages)
{
    auto plane = [](int p, int bits) {
        return Bytes({0x00, 0x00, 0x00, 0x08, 0x43, 0x52, p, 0x00, 0x00, 0x00, 0x00, 0x08, 0x00, 0x04, 0x00, bits, 0x04});
    };
    const auto end = Bytes({0x08, 0x43, 0x52, 0xFF, 0x00, 0x00});
    const RenderedJob printed = Print(Concat({
        // 16 x 2 compressed: F0 00 / FF FF
        Bytes({0x00, 0x00, 0x00, 0x08, 0x43, 0x52, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x02, 0x00, 0xF0, 0x00,
               0x01, 0xFF, 0x02}),
        end,
        // plain, twice as wide: 1000 0001
        Bytes({0x00, 0x00, 0x00, 0x1B, 0x4A, 0x00, 0x1D, 0x76, 0x30, 0x01, 0x01, 0x00, 0x01, 0x00, 0x81, 0x00}),
        // 8 x 4 of grey level 8, then 15, then 0
        plane(4, 0xFF), plane(5, 0x00), plane(6, 0x00), plane(7, 0x00), end,
        plane(4, 0xFF), plane(5, 0xFF), plane(6, 0xFF), plane(7, 0xFF), end,
        plane(4, 0x00), plane(5, 0x00), plane(6, 0x00), plane(7, 0x00), end,
        // a 24-dot bit image in the line: column 0 its top 8 dots, column 1 its last
        Bytes({0x1B, 0x2A, 0x21, 0x02, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x01, 0x0A}),
    }));
    const Paper& p = printed.paper;
    EXPECT_EQ(InkIn(p, 0, 0, 4, 1), 4u);
    EXPECT_EQ(InkIn(p, 4, 0, 12, 1), 0u);
    EXPECT_EQ(InkIn(p, 0, 1, 16, 1), 16u);
    EXPECT_EQ(InkIn(p, 0, 2, 16, 1), 4u);
    EXPECT_TRUE(p.At(0, 2) && p.At(1, 2) && p.At(14, 2) && p.At(15, 2));
    EXPECT_EQ(InkIn(p, 0, 3, 8, 4), 16u) << "level 8 inks half the dots";
    EXPECT_EQ(InkIn(p, 0, 7, 8, 4), 32u);
    EXPECT_EQ(InkIn(p, 0, 11, 8, 4), 0u);
    EXPECT_EQ(InkIn(p, 0, 15, 1, 8), 8u);
    EXPECT_EQ(InkIn(p, 0, 23, 1, 16), 0u);
    EXPECT_EQ(InkIn(p, 1, 15, 1, 24), 1u);
    EXPECT_TRUE(p.At(1, 38));
    EXPECT_EQ(p.Rows(), 15u + 34u);
    EXPECT_EQ(printed.log.Problems(), 0u) << printed.log.Text();
}

TEST(StreamRenderer, StoredImagesPrintAsDefinedAndAnUndefinedOneAsAMarkedBox)
{
    StreamRenderer& printer = Printer();
    const RenderedJob defined = printer.Render(Concat({
        // bit image 1: 8 x 8, columns 0 and 7 with one dot each
        Bytes({0x1C, 0x71, 0x01, 0x01, 0x00, 0x01, 0x00, 0x80, 0, 0, 0, 0, 0, 0, 0x01}),
        // graphic "A1": 8 x 2, rows F0 and 0F
        Bytes({0x1D, 0x28, 0x4C, 0x0D, 0x00, 0x30, 0x43, 0x30, 'A', '1', 0x31, 0x08, 0x00, 0x02, 0x00, 0x31, 0xF0, 0x0F}),
    }));
    EXPECT_EQ(defined.paper.Rows(), 0u);
    const RenderedJob printed = printer.Render(Bytes({
        0x1C, 0x70, 0x01, 0x00,                                            // rows 0-7
        0x1C, 0x70, 0x01, 0x03,                                            // rows 8-23, four times the size
        0x1D, 0x28, 0x4C, 0x06, 0x00, 0x30, 0x45, 'A', '1', 0x01, 0x01,    // rows 24-25
        0x1D, 0x28, 0x4C, 0x06, 0x00, 0x30, 0x25, 'A', '1', 0x02, 0x02,    // rows 26-29
        0x1C, 0x70, 0x09, 0x00,                                            // rows 30-77: not defined
    }));
    const Paper& p = printed.paper;
    EXPECT_EQ(InkIn(p, 0, 0, 8, 8), 2u);
    EXPECT_TRUE(p.At(0, 0) && p.At(7, 7));
    EXPECT_EQ(InkIn(p, 0, 8, 16, 16), 8u);
    EXPECT_EQ(InkIn(p, 0, 8, 2, 2), 4u);
    EXPECT_EQ(InkIn(p, 14, 22, 2, 2), 4u);
    EXPECT_EQ(InkIn(p, 0, 24, 4, 1), 4u);
    EXPECT_EQ(InkIn(p, 4, 25, 4, 1), 4u);
    EXPECT_EQ(InkIn(p, 0, 26, 8, 2), 16u);
    EXPECT_EQ(InkIn(p, 8, 28, 8, 2), 16u);
    EXPECT_EQ(InkIn(p, 0, 30, 96, 2), 192u) << "the box's frame";
    EXPECT_EQ(p.Rows(), 78u);
    EXPECT_TRUE(HasProblem(printed, 30, "stored bit image 9 is not defined"));
    EXPECT_EQ(printed.log.Problems(), 1u) << printed.log.Text();
    EXPECT_EQ(defined.log.Text(),
              "  offset 00000000: 1 stored bit images defined\n"
              "  offset 0000000F: stored graphic \"A1\" defined, 8 x 2 dots\n");
}

}  // namespace
}  // namespace lt77::printer::testing
