#include "vprinter/asb_filter.h"

#include <gtest/gtest.h>

#include <vector>

namespace lt77::vprinter {
namespace {

TEST(AsbFilter, EnableCommandsLeaveTheJobBytesWhereverTheReadsSplitThem)
{
    struct Row {
        const char* name;
        std::vector<std::vector<uint8_t>> reads;
        std::vector<uint8_t> content;
        uint32_t enables;
    };
    const Row rows[] = {
        {"command alone", {{0x1D, 0x61, 0xFF, 0x00}}, {}, 1},
        {"inside a job", {{0x1B, 0x40, 0x1D, 0x61, 0xFF, 0x00, 0x0A}}, {0x1B, 0x40, 0x0A}, 1},
        {"cut across reads", {{0x1B, 0x1D, 0x61}, {0xFF}, {0x00, 0x0A}}, {0x1B, 0x0A}, 1},
        {"two in a row", {{0x1D, 0x61, 0xFF, 0x00, 0x1D, 0x61, 0xFF, 0x00}}, {}, 2},
        {"start that breaks off", {{0x1D, 0x61, 0xFF, 0x41}}, {0x1D, 0x61, 0xFF, 0x41}, 0},
        {"broken start then a command", {{0x1D, 0x1D, 0x61}, {0xFF, 0x00}}, {0x1D}, 1},
        {"unfinished at the end", {{0x0A, 0x1D, 0x61, 0xFF}}, {0x0A, 0x1D, 0x61, 0xFF}, 0},
        {"nothing", {}, {}, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        AsbFilter filter;
        std::vector<uint8_t> content;
        uint32_t enables = 0;
        for (const auto& read : row.reads) {
            const SplitBytes split = filter.Feed(read);
            content.insert(content.end(), split.content.begin(), split.content.end());
            enables += split.enableCount;
        }
        const std::vector<uint8_t> rest = filter.Flush();
        content.insert(content.end(), rest.begin(), rest.end());
        EXPECT_EQ(content, row.content);
        EXPECT_EQ(enables, row.enables);
    }
}

}  // namespace
}  // namespace lt77::vprinter
