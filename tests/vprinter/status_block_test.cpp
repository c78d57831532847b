#include "vprinter/status_block.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "vprinter/control_command.h"

namespace lt77::vprinter {
namespace {

// Each block is one the monitor's and the status library's tables read as
// the state named: 10 00 00 0F all clear, 38/3C cover, 14/5C drawer, 58
// feed button, byte 1 04/08/20, byte 2 03 near end and 0C/0F empty.
TEST(StatusBlock, EachFaultAndCombinationGivesTheBlockTheTablesRead)
{
    struct Row {
        const char* name;
        std::vector<std::string> commands;
        StatusBlock expected;
    };
    const Row rows[] = {
        {"power on", {}, {0x10, 0x00, 0x00, 0x0F}},
        {"cover open", {"cover open"}, {0x38, 0x00, 0x00, 0x0F}},
        {"cover closed again", {"cover open", "cover close"}, {0x10, 0x00, 0x00, 0x0F}},
        {"paper near end", {"paper near-end"}, {0x10, 0x00, 0x03, 0x0F}},
        {"paper out", {"paper out"}, {0x10, 0x00, 0x0C, 0x0F}},
        {"near end and out", {"paper near-end", "paper out"}, {0x10, 0x00, 0x0F, 0x0F}},
        {"paper refilled", {"paper near-end", "paper out", "paper refill"}, {0x10, 0x00, 0x00, 0x0F}},
        {"cutter error", {"cutter error"}, {0x10, 0x08, 0x00, 0x0F}},
        {"cutter cleared", {"cutter error", "cutter clear"}, {0x10, 0x00, 0x00, 0x0F}},
        {"mechanical error", {"mechanical error"}, {0x10, 0x04, 0x00, 0x0F}},
        {"unrecoverable error", {"unrecoverable error"}, {0x10, 0x20, 0x00, 0x0F}},
        {"mechanical outranks cutter", {"cutter error", "mechanical error"}, {0x10, 0x04, 0x00, 0x0F}},
        {"unrecoverable outranks mechanical", {"mechanical error", "unrecoverable error"}, {0x10, 0x20, 0x00, 0x0F}},
        {"recover clears cutter and mechanical", {"cutter error", "mechanical error", "recover"}, {0x10, 0x00, 0x00, 0x0F}},
        {"recover leaves unrecoverable", {"unrecoverable error", "cutter error", "recover"}, {0x10, 0x20, 0x00, 0x0F}},
        {"drawer open", {"drawer open"}, {0x14, 0x00, 0x00, 0x0F}},
        {"drawer closed again", {"drawer open", "drawer close"}, {0x10, 0x00, 0x00, 0x0F}},
        {"feed button", {"feed button press"}, {0x58, 0x00, 0x00, 0x0F}},
        {"feed button released", {"feed button press", "feed button release"}, {0x10, 0x00, 0x00, 0x0F}},
        {"feed button and drawer", {"feed button press", "drawer open"}, {0x5C, 0x00, 0x00, 0x0F}},
        {"cover and drawer", {"drawer open", "cover open"}, {0x3C, 0x00, 0x00, 0x0F}},
        {"cover hides the feed button", {"feed button press", "cover open"}, {0x38, 0x00, 0x00, 0x0F}},
        {"cover, cutter and paper empty", {"cover open", "cutter error", "paper near-end", "paper out"},
         {0x38, 0x08, 0x0F, 0x0F}},
        {"reset", {"cover open", "drawer open", "unrecoverable error", "paper out", "reset"}, {0x10, 0x00, 0x00, 0x0F}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        PrinterState state;
        for (const std::string& text : row.commands) {
            const auto command = ParseControlCommand(text);
            ASSERT_TRUE(command) << text;
            ASSERT_TRUE(ApplyToState(*command, state)) << text;
        }
        EXPECT_EQ(HexText(BuildStatusBlock(state)), HexText(row.expected));
    }
}

}  // namespace
}  // namespace lt77::vprinter
