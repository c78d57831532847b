// What no printer should stop for: commands cut short at the end of a job,
// lengths that run past it, unknown commands, data a symbology cannot
// encode, and a flood of random bytes.
#include <random>

#include "tests/printer/printer_test_support.h"

namespace lt77::printer::testing {
namespace {

const std::vector<uint8_t> kFirstLine = {'A', 0x0A};  // font A, then 34 dots of feed

TEST(BadInput, CommandsCutShortAtTheEndAreLoggedAndWhatCameBeforePrints)
{
    const struct {
        const char* name;
        std::vector<uint8_t> tail;
        const char* logged;
        std::size_t into = 0;  // the command's offset in the tail
    } cases[] = {
        {"ESC alone", Bytes({0x1B}), "ESC command cut short at the end of the job"},
        {"barcode data", Bytes({0x1D, 0x6B, 0x49, 0x05, 0x7B, 0x43}), "barcode cut short"},
        {"symbol data store", Bytes({0x1D, 0x28, 0x6B, 0x10, 0x00, 0x31, 0x50, 0x30, 0x41}), "symbol command cut short"},
        {"position", Bytes({0x1B, 0x24, 0x10}), "absolute position cut short"},
        {"bit image rows", Bytes({0x1D, 0x76, 0x30, 0x00, 0x02, 0x00, 0x05, 0x00, 0xFF}), "bit image data ends early"},
        {"compressed plane",
         Bytes({0x08, 0x43, 0x52, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x02, 0x00, 0xFF}),
         "compressed raster data ends early"},
        {"stored bit image definition", Bytes({0x1C, 0x71, 0x01, 0x01, 0x00}), "stored bit image definition cut short"},
        {"double-byte character", Bytes({0x1C, 0x26, 0xB0}), "double-byte character cut short", 2},
        {"graphics length past the end", Bytes({0x1D, 0x28, 0x4C, 0xFF, 0xFF, 0x30, 0x43}), "graphics command cut short"},
        {"drawer pulse", Bytes({0x1B, 0x70, 0x00}), "drawer pulse cut short"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const RenderedJob printed = Print(Concat({kFirstLine, c.tail}));
        EXPECT_TRUE(HasProblem(printed, kFirstLine.size() + c.into, c.logged)) << printed.log.Text();
        EXPECT_GT(InkIn(printed.paper, 0, 0, 12, 24), 0u);
    }
}

TEST(BadInput, UnknownCommandsAreLoggedAndTheRestOfTheJobPrints)
{
    const struct {
        const char* name;
        std::vector<uint8_t> middle;
        const char* logged;
    } cases[] = {
        {"ESC with an unknown letter", Bytes({0x1B, 0x7E}), "unknown command 1B 7E"},
        {"a bell", Bytes({0x07}), "unknown control byte 07"},
        {"FS with an unknown letter", Bytes({0x1C, 0x99}), "unknown command 1C 99"},
        {"a symbol family the printer lacks", Bytes({0x1D, 0x28, 0x6B, 0x03, 0x00, 0x39, 0x41, 0x00}),
         "symbol family 57 is not resident"},
        {"a barcode system number between the two forms", Bytes({0x1D, 0x6B, 0x20}), "unknown barcode system 1D 6B 20"},
        {"a division end without planes", Bytes({0x08, 0x43, 0x52, 0xFF, 0x00, 0x00}), "a raster division of 0 planes"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const RenderedJob printed = Print(Concat({kFirstLine, c.middle, Bytes({'B', 0x0A})}));
        EXPECT_TRUE(HasProblem(printed, kFirstLine.size(), c.logged)) << printed.log.Text();
        EXPECT_GT(InkIn(printed.paper, 0, 0, 12, 24), 0u);
        EXPECT_GT(InkIn(printed.paper, 0, 34, 12, 24), 0u) << "the line after it";
    }
}

TEST(BadInput, DataASymbologyCannotEncodeIsAMarkedBoxAndLogged)
{
    std::vector<uint8_t> longQr = Bytes({0x1D, 0x28, 0x6B, 0x8B, 0x13, 0x31, 0x50, 0x30});
    longQr.insert(longQr.end(), 5000, 'a');
    longQr.insert(longQr.end(), {0x1D, 0x28, 0x6B, 0x03, 0x00, 0x31, 0x51, 0x30});
    std::vector<uint8_t> wide = Bytes({0x1D, 0x77, 0x06, 0x1D, 0x6B, 0x49, 62, '{', 'B'});
    wide.insert(wide.end(), 60, 'W');
    const struct {
        const char* name;
        std::vector<uint8_t> job;
        const char* logged;
        std::size_t printedAt = 0;  // the offset of the command that prints
    } cases[] = {
        {"UPC-A with letters", Concat({Bytes({0x1D, 0x6B, 0x41, 0x08}), Text("12345ABC")}), "UPC-A takes digits only"},
        {"JAN13 with a wrong check digit", Concat({Bytes({0x1D, 0x6B, 0x43, 0x0D}), Text("4006381333932")}),
         "Invalid check digit"},
        {"ITF of odd length", Concat({Bytes({0x1D, 0x6B, 0x46, 0x03}), Text("123")}), "ITF takes an even number of digits"},
        {"Code128 without its code set", Concat({Bytes({0x1D, 0x6B, 0x49, 0x03}), Text("ABC")}),
         "must start with a code set"},
        {"QR Code longer than any version holds", longQr, "refused the data", 5008},
        {"Code128 wider than the paper", wide, "wider than the paper", 3},
        {"GS1 DataBar with letters",
         Concat({Bytes({0x1D, 0x28, 0x6B, 0x11, 0x00, 0x33, 0x50, 0x30, 0x48}), Text("095011015300X"),
                 Bytes({0x1D, 0x28, 0x6B, 0x03, 0x00, 0x33, 0x51, 0x30})}),
         "refused the data", 22},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const RenderedJob printed = Print(c.job);
        EXPECT_TRUE(HasProblem(printed, c.printedAt, c.logged)) << printed.log.Text();
        EXPECT_NE(printed.log.Text().find("drawn as a marked box"), std::string::npos);
        // The frame's top, two rows of at least 96 dots, and its diagonals.
        EXPECT_EQ(InkIn(printed.paper, 0, 0, 96, 2), 192u);
        EXPECT_GE(printed.paper.Rows(), 24u);
    }
}

TEST(BadInput, SixtyFourMegabytesOfRandomBytesStayOnTheRollWithABoundedLog)
{
    std::vector<uint8_t> noise(64u << 20);
    std::mt19937 random(77);
    for (std::size_t i = 0; i < noise.size(); i += 4) {
        const uint32_t r = random();
        for (std::size_t k = 0; k < 4; ++k) noise[i + k] = static_cast<uint8_t>(r >> (8 * k));
    }
    // A fresh printer, so that the stored images the noise defines stay its own.
    std::string fontError;
    const auto glyphs = MakeSystemGlyphSource(fontError);
    const auto symbols = MakeSystemSymbolEncoder();
    StreamRenderer printer(*glyphs, *symbols, SystemCodePages());
    const RenderedJob printed = printer.Render(noise);
    EXPECT_LE(printed.paper.Rows(), kMaxPaperRows);
    EXPECT_EQ(printed.log.Entries().size(), JobLog::kMaxEntries);
    EXPECT_GT(printed.log.Dropped(), 0u);
}

}  // namespace
}  // namespace lt77::printer::testing
