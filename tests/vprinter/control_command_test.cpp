#include "vprinter/control_command.h"

#include <gtest/gtest.h>

namespace lt77::vprinter {
namespace {

TEST(ControlCommand, CountsOutsideTheirRangeAndUnknownWordsAreRefused)
{
    struct Row {
        const char* line;
        bool accepted;
        CommandVerb verb;
        uint32_t count;
    };
    const Row rows[] = {
        {"  garbage \t 16 ", true, CommandVerb::Garbage, 16},
        {"garbage 0", false, {}, 0},
        {"garbage 1048577", false, {}, 0},
        {"garbage", false, {}, 0},
        {"short 1", true, CommandVerb::Short, 1},
        {"short 3", true, CommandVerb::Short, 3},
        {"short 4", false, {}, 0},
        {"slow 0", true, CommandVerb::Slow, 0},
        {"slow -1", false, {}, 0},
        {"slow 12x", false, {}, 0},
        {"cover  open", true, CommandVerb::CoverOpen, 0},
        {"cover ajar", false, {}, 0},
        {"cover open now", false, {}, 0},
        {"", false, {}, 0},
        {"nv image 255 /tmp/a b.png", true, CommandVerb::StoreBitImage, 255},
        {"nv image 0 /tmp/a.png", false, {}, 0},
        {"nv image 7", false, {}, 0},
        {"nv graphic 01 /tmp/a.png", true, CommandVerb::StoreGraphic, 0},
        {"nv graphic 012 /tmp/a.png", false, {}, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.line);
        const auto command = ParseControlCommand(row.line);
        ASSERT_EQ(command.has_value(), row.accepted);
        if (!command) continue;
        EXPECT_EQ(command->verb, row.verb);
        EXPECT_EQ(command->count, row.count);
    }
    EXPECT_EQ(ParseControlCommand("nv image 255 /tmp/a b.png")->path, "/tmp/a b.png");
    EXPECT_EQ(ParseControlCommand("nv graphic 01 /tmp/a.png")->key, "01");
}

TEST(ControlCommand, ScriptStepsComeInTimeOrderAndABadLineIsNamed)
{
    const auto steps = ParseScript("# door test\n"
                                   "900 cover close\n"
                                   "\n"
                                   "100 cover open\n"
                                   "100 garbage 4\n");
    ASSERT_TRUE(std::holds_alternative<std::vector<ScriptStep>>(steps));
    const auto& list = std::get<std::vector<ScriptStep>>(steps);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].atMs, 100u);
    EXPECT_EQ(list[0].text, "cover open");
    EXPECT_EQ(list[1].command.verb, CommandVerb::Garbage);
    EXPECT_EQ(list[2].atMs, 900u);

    const auto bad = ParseScript("100 cover open\nsoon cover close\n");
    ASSERT_TRUE(std::holds_alternative<std::string>(bad));
    EXPECT_EQ(std::get<std::string>(bad), "line 2: a time in milliseconds comes first");
}

}  // namespace
}  // namespace lt77::vprinter
