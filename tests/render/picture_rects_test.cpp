#include "render/picture_rects.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/module_state.h"
#include "tests/render/render_test_support.h"

namespace lt77 {
namespace {

using test::Hex;

std::string EntryHex(const PictureRect& e) { return Hex(std::span<const uint8_t>(e.bytes, 8)); }

std::vector<std::string> ListHex(const OemPDEV& pdev)
{
    std::vector<std::string> out;
    for (const auto& e : pdev.pictureRects) out.push_back(EntryHex(e));
    return out;
}

TEST(PictureRect, ByteOrderIsLowThenHigh)
{
    struct Row {
        const char* name;
        RECTL rect;
        const char* expected;
    };
    const Row rows[] = {
        {"small values", RECTL{1, 2, 3, 4}, "01 00 02 00 03 00 04 00"},
        {"values past one byte", RECTL{300, 256, 65535, 512}, "2C 01 00 01 FF FF 00 02"},
        {"negative values become 0", RECTL{-5, -1, 10, 20}, "00 00 00 00 0A 00 14 00"},
        {"values past 16 bits saturate", RECTL{0, 0, 70000, 65536}, "00 00 00 00 FF FF FF FF"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(EntryHex(MakePictureRect(row.rect)), row.expected);
    }
}

TEST(PictureRect, ValuesRoundTrip)
{
    const RECTL rect{383, 1000, 384, 65535};
    const RECTL back = PictureRectValues(MakePictureRect(rect));
    EXPECT_EQ(back.left, 383);
    EXPECT_EQ(back.top, 1000);
    EXPECT_EQ(back.right, 384);
    EXPECT_EQ(back.bottom, 65535);
}

// The pending rectangle is module-wide; every test starts and ends without one.
class PictureRectRecording : public ::testing::Test {
protected:
    void SetUp() override { ClearPendingRect(); }
    void TearDown() override { ClearPendingRect(); }
    OemPDEV pdev;
};

TEST_F(PictureRectRecording, BitBltWaitsUntilTheNextOne)
{
    const RECTL a{10, 20, 30, 40};
    const RECTL b{50, 60, 70, 80};
    RecordBitBltRect(pdev, &a);
    EXPECT_TRUE(pdev.pictureRects.empty());
    RecordBitBltRect(pdev, &b);
    EXPECT_EQ(ListHex(pdev), (std::vector<std::string>{"0A 00 14 00 1E 00 28 00"}));
    FlushPendingRect(pdev);
    EXPECT_EQ(ListHex(pdev), (std::vector<std::string>{"0A 00 14 00 1E 00 28 00", "32 00 3C 00 46 00 50 00"}));
}

TEST_F(PictureRectRecording, FlushEntersPendingOnce)
{
    const RECTL a{1, 2, 3, 4};
    RecordBitBltRect(pdev, &a);
    FlushPendingRect(pdev);
    FlushPendingRect(pdev);
    EXPECT_EQ(ListHex(pdev), (std::vector<std::string>{"01 00 02 00 03 00 04 00"}));
    EXPECT_FALSE(g_pendingRect.IsSet());
}

TEST_F(PictureRectRecording, FlushWithNothingPendingAddsNothing)
{
    FlushPendingRect(pdev);
    EXPECT_TRUE(pdev.pictureRects.empty());
}

TEST_F(PictureRectRecording, BitBltWithoutDestinationKeepsPending)
{
    const RECTL a{1, 2, 3, 4};
    RecordBitBltRect(pdev, &a);
    RecordBitBltRect(pdev, nullptr);
    EXPECT_TRUE(pdev.pictureRects.empty());
    FlushPendingRect(pdev);
    EXPECT_EQ(ListHex(pdev), (std::vector<std::string>{"01 00 02 00 03 00 04 00"}));
}

// An all-zero rectangle reads as "nothing pending", so it is never entered.
TEST_F(PictureRectRecording, ZeroRectangleIsNeverEntered)
{
    const RECTL zero{0, 0, 0, 0};
    const RECTL b{5, 6, 7, 8};
    RecordBitBltRect(pdev, &zero);
    RecordBitBltRect(pdev, &b);
    EXPECT_TRUE(pdev.pictureRects.empty());
}

TEST_F(PictureRectRecording, StretchEntersAtOnceAndDropsPending)
{
    const RECTL pending{1, 2, 3, 4};
    const RECTL stretched{100, 200, 300, 400};
    RecordBitBltRect(pdev, &pending);
    RecordStretchRect(pdev, &stretched);
    EXPECT_EQ(ListHex(pdev), (std::vector<std::string>{"64 00 C8 00 2C 01 90 01"}));
    FlushPendingRect(pdev);
    EXPECT_EQ(pdev.pictureRects.size(), 1u);
}

TEST_F(PictureRectRecording, StretchWithoutDestinationChangesNothing)
{
    const RECTL pending{1, 2, 3, 4};
    RecordBitBltRect(pdev, &pending);
    RecordStretchRect(pdev, nullptr);
    EXPECT_TRUE(pdev.pictureRects.empty());
    EXPECT_TRUE(g_pendingRect.IsSet());
}

TEST_F(PictureRectRecording, ClearForgetsPending)
{
    const RECTL pending{1, 2, 3, 4};
    RecordBitBltRect(pdev, &pending);
    ClearPendingRect();
    FlushPendingRect(pdev);
    EXPECT_TRUE(pdev.pictureRects.empty());
}

}  // namespace
}  // namespace lt77
