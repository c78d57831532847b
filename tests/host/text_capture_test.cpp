// Text output through the plug-in's text hook: what is captured as device
// commands, what is redrawn into the page image, and what is left to the core.
#include "common/raster_decoder.h"
#include "host/text_output.h"
#include "host_fixture.h"

namespace lt77::host::testing {
namespace {

const std::vector<uint8_t> kInit = Bytes({0x1B, 0x40, 0x1B, 0x3D, 0x01});
const std::vector<uint8_t> kFeed = Bytes({0x00, 0x1B, 0x33, 0x00, 0x00, 0x0A, 0x1B, 0x4A, 0x00, 0x1B, 0x32, 0x0C});
const std::vector<uint8_t> kCut = Bytes({0x00, 0x1B, 0x33, 0x00, 0x00, 0x0A, 0x1D, 0x56, 0x42, 0x00, 0x1B, 0x32});

struct Line {
    int32_t x, y;
    std::u16string text;
    TextFont font;
};

TextFont Device(const char16_t* family, int32_t height = 24)
{
    TextFont f;
    f.family = family;
    f.device = true;
    f.heightDots = height;
    return f;
}

// A compressed division of `rows` white rows, 576 dots wide.
std::vector<uint8_t> WhiteRows(int rows)
{
    std::vector<uint8_t> out = Bytes({0x00, 0x00, 0x00, 0x08, 0x43, 0x52, 0x00, 0x00, 0x00, 0x00, 0x00, 0x40, 0x02,
                                      rows & 0xFF, rows >> 8});
    int left = rows * 72;
    while (left > 0) {
        const int run = std::min(left, 255);
        out.push_back(0x00);
        out.push_back(static_cast<uint8_t>(run));
        left -= run;
    }
    const auto end = Bytes({0x08, 0x43, 0x52, 0xFF, 0x00, 0x00});
    out.insert(out.end(), end.begin(), end.end());
    return out;
}

class TextCapture : public HostTest {
protected:
    JobResult Print(const std::vector<Line>& lines, int32_t pageRows = 200, int bands = 64)
    {
        JobRequest request;
        request.drawPage = [=, &captured = captured_](DeviceContext& dc, int) {
            PageCanvas canvas(576, pageRows, 1);
            captured.clear();
            for (const auto& l : lines) captured.push_back(OutputText(dc, canvas, l.x, l.y, l.text, l.font));
            canvas.SendBands(dc, bands);
        };
        JobResult result = Run(request);
        EXPECT_TRUE(result.ok) << result.error;
        return result;
    }
    std::vector<bool> captured_;
};

TEST_F(TextCapture, ResidentFontLinePrintsAtItsPlace)
{
    const JobResult r = Print({{300, 40, u"Hello", Device(u"FontB2x1")}});
    ASSERT_EQ(captured_, std::vector<bool>{true});
    const auto line = Bytes({0x1B, 0x74, 0x10, 0x08, 0x4D, 0x00, 0x42, 0x1D, 0x21, 0x10, 0x1B, 0x24, 0x2C, 0x01, 'H',
                             'e', 'l', 'l', 'o', 0x1B, 0x4A, 0x18, 0x00});
    EXPECT_EQ(r.spooled, Concat({kInit, WhiteRows(39), line, kFeed, Bytes({0x00, 0x08, 0x01, 0x00}), kCut}));
}

TEST_F(TextCapture, DoubleByteFamiliesConvertTheTextAndEndTheirMode)
{
    const struct {
        const char16_t* family;
        std::u16string text;
        std::vector<uint8_t> expected;
    } cases[] = {
        {u"Korean1x2", u"\uD55C", Bytes({0x1C, 0x26, 0x1D, 0x21, 0x01, 0x1B, 0x24, 0x00, 0x00, 0xC7, 0xD1, 0x1C, 0x2E,
                                         0x1B, 0x4A, 0xFF, 0x00})},
        {u"Chinese2312_1x1", u"\u4E2D", Bytes({0x1C, 0x26, 0x1D, 0x21, 0x00, 0x1B, 0x24, 0x00, 0x00, 0xD6, 0xD0, 0x1C,
                                               0x2E, 0x1B, 0x4A, 0xFF, 0x00})},
        {u"ChineseBIG5_1x1", u"\u4E2D", Bytes({0x1C, 0x26, 0x1D, 0x21, 0x00, 0x1B, 0x24, 0x00, 0x00, 0xA4, 0xA4, 0x1C,
                                               0x2E, 0x1B, 0x4A, 0xFF, 0x00})},
        {u"Japanese2x2", u"\u30A2", Bytes({0x1C, 0x26, 0x1C, 0x43, 0x01, 0x1D, 0x21, 0x11, 0x1B, 0x24, 0x00, 0x00,
                                           0x83, 0x41, 0x1C, 0x2E, 0x1B, 0x4A, 0xFF, 0x00})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Utf16ToUtf8(c.family));
        const JobResult r = Print({{0, 0, c.text, Device(c.family, 300)}}, 400);
        const auto at = std::search(r.spooled.begin(), r.spooled.end(), c.expected.begin(), c.expected.end());
        EXPECT_NE(at, r.spooled.end()) << "the line's bytes are in the stream";
    }
}

TEST_F(TextCapture, DeviceLinesPrintTopToBottomAndEqualRowsKeepTheirOrder)
{
    const JobResult r = Print({{0, 100, u"b", Device(u"FontA1x1")},
                               {0, 40, u"a", Device(u"FontA1x1")},
                               {0, 100, u"c", Device(u"FontA1x1")}},
                              300);
    std::string letters;
    for (std::size_t i = 0; i + 3 < r.spooled.size(); ++i)
        if (r.spooled[i + 1] == 0x1B && r.spooled[i + 2] == 0x4A && r.spooled[i + 3] == 0x18 &&
            (r.spooled[i] == 'a' || r.spooled[i] == 'b' || r.spooled[i] == 'c'))
            letters.push_back(static_cast<char>(r.spooled[i]));
    EXPECT_EQ(letters, "abc");
}

TEST_F(TextCapture, TrueTypeTextIsTheCoresUnlessTheRateIsBelowOne)
{
    TextFont arial;
    arial.heightDots = 40;
    const JobResult plain = Print({{20, 20, u"TOTAL 12.50", arial}});
    ASSERT_EQ(captured_, std::vector<bool>{false});
    const auto picture = DecodeRasterStream(plain.spooled).picture;
    ASSERT_GT(picture.height, 20u);
    int ink = 0;
    for (uint32_t y = 0; y < picture.height; ++y)
        for (uint32_t x = 0; x < picture.width; ++x) ink += picture.At(x, y) == 0;
    EXPECT_GT(ink, 200) << "the core drew the text into the page";

    SetSettings({{IDX_REDUCTION_ON, 1}, {IDX_REDUCTION_RATE, 2}});
    const JobResult reduced = Print({{20, 20, u"TOTAL 12.50", arial}});
    ASSERT_EQ(captured_, std::vector<bool>{true});
    const auto small = DecodeRasterStream(reduced.spooled).picture;
    int smallInk = 0;
    uint32_t lowest = 0;
    for (uint32_t y = 0; y < small.height; ++y)
        for (uint32_t x = 0; x < small.width; ++x)
            if (small.At(x, y) == 0) {
                ++smallInk;
                lowest = std::max(lowest, y);
            }
    EXPECT_GT(smallInk, 50) << "redrawn into the reduced image";
    EXPECT_LT(smallInk, ink);
    EXPECT_LE(lowest, 10u + 25u) << "at half the position and half the size";
}

TEST_F(TextCapture, PreviewTurnsDeviceLinesIntoPictures)
{
    SetSettings({{IDX_PREVIEW_ON, 1}});
    const JobResult r = Print({{0, 10, u"Hello", Device(u"FontA1x1")}});
    ASSERT_EQ(captured_, std::vector<bool>{true});
    const auto command = Bytes({0x1B, 0x74, 0x10, 0x08, 0x4D, 0x00, 0x41});
    EXPECT_EQ(std::search(r.spooled.begin(), r.spooled.end(), command.begin(), command.end()), r.spooled.end());
    const auto picture = DecodeRasterStream(r.spooled).picture;
    int ink = 0;
    for (uint32_t y = 0; y < picture.height; ++y)
        for (uint32_t x = 0; x < picture.width; ++x) ink += picture.At(x, y) == 0;
    EXPECT_GT(ink, 30);
}

TEST_F(TextCapture, LandscapeLeavesEvenDeviceLinesToTheCore)
{
    ASSERT_FALSE(SetQueueSetting(queue_, "Orientation", "LANDSCAPE_CC270").has_value());
    Print({{0, 10, u"Hello", Device(u"FontA1x1")}});
    EXPECT_EQ(captured_, std::vector<bool>{false});
}

TEST_F(TextCapture, ResidentFontNamesFollowTheFamilyPatterns)
{
    const auto names = ResidentFontNames();
    for (const char* expected : {"FontA1x1", "FontB2x1", "FontC8x8Ext", "FontA1x1255", "Korean1x2", "Japanese2x2",
                                 "Chinese2312_1x1", "ChineseBIG5_2x2"})
        EXPECT_NE(std::find(names.begin(), names.end(), expected), names.end()) << expected;
}

}  // namespace
}  // namespace lt77::host::testing
