#include "preview/raster_records.h"

#include <gtest/gtest.h>

#include "tests/preview/viewer_bytes.h"

namespace lt77::viewer {
namespace {
using testing::Bytes;
using testing::RasterRecord;

constexpr uint32_t kStride608 = 76;

uint8_t At(const DecodedRows& d, uint32_t row, uint32_t col) { return d.bits[row * kStride608 + col]; }

TEST(RasterRecords, CountsEveryMonochromeHeaderAndNothingElse)
{
    const struct {
        const char* name;
        Bytes job;
        uint32_t rows;
    } cases[] = {
        {"empty", {}, 0},
        {"two records of 100 and 50 rows",
         testing::Join({RasterRecord(384, 100, {0x00, 0xFF, 0x00, 0xFF}), Bytes{0x1B, 0x40},
                        RasterRecord(384, 50, {0x00, 0x10})}),
         150},
        {"a grey plane (4) is no record", {0x08, 0x43, 0x52, 0x04, 0, 0, 0, 0, 0x80, 0x01, 0x10, 0x00}, 0},
        {"a header cut short by the end", {0x08, 0x43, 0x52, 0x00, 0, 0, 0, 0, 0x80, 0x01, 0x10}, 0},
        {"device text only", testing::Text("\x1b@Hello\n"), 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CountRasterRows(c.job), c.rows);
    }
}

TEST(RasterRecords, NarrowRowsStartAtTheLeftWithWhiteToTheirRight)
{
    // Two rows of 384 dots (48 bytes): all black, then 47 white and AA.
    const Bytes job = RasterRecord(384, 2, {0xFF, 48, 0x00, 47, 0xAA});
    const DecodedRows d = DecodeRasterRecords(job, kStride608, 2);
    ASSERT_FALSE(d.overflow);
    EXPECT_TRUE(d.anyBlack);
    ASSERT_EQ(d.bits.size(), 4u * kStride608);
    EXPECT_EQ(At(d, 0, 0), 0xFF);
    EXPECT_EQ(At(d, 0, 47), 0xFF);
    EXPECT_EQ(At(d, 0, 48), 0x00);
    EXPECT_EQ(At(d, 1, 46), 0x00);
    EXPECT_EQ(At(d, 1, 47), 0xAA);
    EXPECT_EQ(At(d, 2, 0), 0x00);
}

TEST(RasterRecords, RecordEndPadsAShortRowAndTheNextRecordStartsOnANewRow)
{
    // The first record's second row holds one byte when its end comes; a
    // zero-count run adds nothing.
    const Bytes job = testing::Join({RasterRecord(16, 2, {0x11, 0x22, 0x00, 0x00, 0x33}), RasterRecord(16, 1, {0x44, 0x55})});
    const DecodedRows d = DecodeRasterRecords(job, kStride608, 3);
    ASSERT_FALSE(d.overflow);
    EXPECT_EQ(At(d, 0, 0), 0x11);
    EXPECT_EQ(At(d, 0, 1), 0x22);
    EXPECT_EQ(At(d, 1, 0), 0x33);
    EXPECT_EQ(At(d, 1, 1), 0x00);
    EXPECT_EQ(At(d, 2, 0), 0x44);
    EXPECT_EQ(At(d, 2, 1), 0x55);
}

TEST(RasterRecords, RowsWiderThanThePictureAreClippedToIt)
{
    // 800 dots are 100 bytes a row against a row of 76: the 24 bytes over
    // would otherwise land at the start of the next row.
    const Bytes job = RasterRecord(800, 2, {0xFF, 100, 0x00, 100});
    const DecodedRows d = DecodeRasterRecords(job, kStride608, 2);
    ASSERT_FALSE(d.overflow);
    for (uint32_t col = 0; col < kStride608; ++col) {
        ASSERT_EQ(At(d, 0, col), 0xFF) << col;
        ASSERT_EQ(At(d, 1, col), 0x00) << col;
    }
}

TEST(RasterRecords, BadCountsStopWithoutRunningPastTheArea)
{
    // The header promises one row; the runs ask for 40 rows of 2 bytes.
    const DecodedRows more = DecodeRasterRecords(RasterRecord(16, 1, {0xFF, 80}), kStride608, 1);
    EXPECT_TRUE(more.overflow);
    EXPECT_EQ(more.bits.size(), 2u * kStride608);
    // A run whose count byte is missing, and a record without its end.
    const Bytes cut = {0x08, 0x43, 0x52, 0x00, 0, 0, 0, 0, 16, 0, 1, 0, 0x7E, 0xFF};
    const DecodedRows d = DecodeRasterRecords(cut, kStride608, 1);
    EXPECT_FALSE(d.overflow);
    EXPECT_EQ(At(d, 0, 0), 0x7E);
    EXPECT_EQ(At(d, 0, 1), 0x00);
    // 700 headers of 65535 rows each would ask for 7 GB of rows.
    Bytes many;
    for (int i = 0; i < 700; ++i) many = testing::Join({many, RasterRecord(608, 65535, {0xFF, 1})});
    EXPECT_EQ(CountRasterRows(many), 700u * 65535u);
    const DecodedRows huge = DecodeRasterRecords(many, kStride608, CountRasterRows(many));
    EXPECT_TRUE(huge.overflow);
    EXPECT_TRUE(huge.bits.empty());
}

}  // namespace
}  // namespace lt77::viewer
