#include "render/command_buffer.h"

#include <gtest/gtest.h>

#include "tests/render/render_test_support.h"

namespace lt77 {
namespace {

using test::Bytes;
using test::Hex;

TEST(CommandBuffer, AppendsInOrder)
{
    CommandBuffer buffer;
    EXPECT_TRUE(buffer.Empty());
    EXPECT_TRUE(buffer.AddPrintDataTobeSent(Bytes("1B 40")));
    EXPECT_TRUE(buffer.AddPrintDataTobeSent(Bytes("0A")));
    EXPECT_EQ(Hex(buffer.Bytes()), "1B 40 0A");
    EXPECT_EQ(buffer.m_dwTotalBufSize(), 3u);
    EXPECT_FALSE(buffer.Empty());
}

TEST(CommandBuffer, NullSourceIsRefusedAndBufferKept)
{
    CommandBuffer buffer;
    ASSERT_TRUE(buffer.AddPrintDataTobeSent(Bytes("1D 56")));
    EXPECT_FALSE(buffer.AddPrintDataTobeSent(nullptr, 5));
    EXPECT_EQ(Hex(buffer.Bytes()), "1D 56");
    EXPECT_EQ(buffer.m_dwTotalBufSize(), 2u);
}

TEST(CommandBuffer, EmptyAppendChangesNothing)
{
    CommandBuffer buffer;
    const uint8_t one = 0x42;
    ASSERT_TRUE(buffer.AddPrintDataTobeSent(&one, 1));
    EXPECT_TRUE(buffer.AddPrintDataTobeSent(&one, 0));
    EXPECT_EQ(Hex(buffer.Bytes()), "42");
}

TEST(CommandBuffer, InitEmptiesAndBufferIsReusable)
{
    CommandBuffer buffer;
    ASSERT_TRUE(buffer.AddPrintDataTobeSent(Bytes("00 08 01 00")));
    EXPECT_TRUE(buffer.InitPrintCommandsBuffer());
    EXPECT_TRUE(buffer.Empty());
    EXPECT_EQ(buffer.m_dwTotalBufSize(), 0u);
    EXPECT_TRUE(buffer.InitPrintCommandsBuffer());
    ASSERT_TRUE(buffer.AddPrintDataTobeSent(Bytes("0C")));
    EXPECT_EQ(Hex(buffer.Bytes()), "0C");
}

// A page of device text appends a few bytes at a time; the result must hold
// every piece in order (the cost of growing is measured by a benchmark).
TEST(CommandBuffer, TenThousandSmallAppendsKeepEveryPiece)
{
    CommandBuffer buffer;
    for (uint32_t i = 0; i < 10000; ++i) {
        const uint8_t piece[3] = {static_cast<uint8_t>(i & 0xFF), static_cast<uint8_t>(i >> 8), 0x0A};
        ASSERT_TRUE(buffer.AddPrintDataTobeSent(piece, sizeof(piece)));
    }
    ASSERT_EQ(buffer.m_dwTotalBufSize(), 30000u);
    const auto bytes = buffer.Bytes();
    for (uint32_t i = 0; i < 10000; ++i) {
        ASSERT_EQ(bytes[3 * i], static_cast<uint8_t>(i & 0xFF)) << "piece " << i;
        ASSERT_EQ(bytes[3 * i + 1], static_cast<uint8_t>(i >> 8)) << "piece " << i;
        ASSERT_EQ(bytes[3 * i + 2], 0x0A) << "piece " << i;
    }
}

}  // namespace
}  // namespace lt77
