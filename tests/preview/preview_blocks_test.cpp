#include "preview/preview_blocks.h"

#include <gtest/gtest.h>

#include "tests/preview/viewer_bytes.h"

namespace lt77::viewer {
namespace {
using testing::Bytes;
using testing::Join;
using testing::PreviewBlock;

TEST(PreviewBlocks, EveryBlockGoesAndTheRestStays)
{
    const Bytes a = {0x1B, 0x40, 'A'};
    const Bytes b = {'B', 0x0A};
    const Bytes tail = {0x1D, 0x56, 0x41, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
    const struct {
        const char* name;
        Bytes job;
        Bytes printed;
    } cases[] = {
        {"apart", Join({a, PreviewBlock(17, {1, 2, 3}), b, PreviewBlock(14, {}), tail}), Join({a, b, tail})},
        {"one directly after the other", Join({a, PreviewBlock(15, {9}), PreviewBlock(16, {7, 7}), b, tail}),
         Join({a, b, tail})},
        {"a length past the end takes the rest", Join({a, PreviewBlock(900, {1, 2, 3}), b}), a},
        {"a length shorter than the header takes the header", Join({a, PreviewBlock(3, {}), b, tail}),
         Join({a, b, tail})},
        // Fewer than 15 bytes from the block on: too short to be tested.
        {"a header at the very end stays", Join({a, PreviewBlock(14, {})}), Join({a, PreviewBlock(14, {})})},
        {"empty", {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes job = c.job;
        RemovePreviewBlocks(job);
        EXPECT_EQ(job, c.printed);
    }
}

}  // namespace
}  // namespace lt77::viewer
