#include "fcaeditor/command_field.h"

#include <gtest/gtest.h>

namespace lt77::fcaeditor {
namespace {

TEST(CommandField, TypingKeepsDigitPairsEachFollowedByASpace)
{
    const struct {
        const char* typed;
        const char* text;
    } cases[] = {
        {"1", "1"},
        {"1B", "1B "},
        {"1B4", "1B 4"},
        {"1b4a05", "1b 4a 05 "},
        {"1G B-4 z", "1B 4"},  // only hexadecimal digits are taken
        {"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        CommandField field;
        for (const char* p = c.typed; *p; ++p) field.Type(*p);
        EXPECT_EQ(field.Text(), c.text);
        EXPECT_EQ(field.Caret(), field.Text().size());
    }
}

TEST(CommandField, BackspaceAndDeleteRemoveDigitsAndLayThePairsOutAgain)
{
    CommandField field;
    field.SetText("1B 4A 05 ");
    EXPECT_TRUE(field.Backspace());
    EXPECT_EQ(field.Text(), "1B 4A 0");
    EXPECT_TRUE(field.Backspace());
    EXPECT_EQ(field.Text(), "1B 4A ");

    field.SetCaret(0);
    EXPECT_TRUE(field.Delete());
    EXPECT_EQ(field.Text(), "B4 A");
    EXPECT_EQ(field.Caret(), 0u);
    EXPECT_FALSE(field.Backspace());

    // In the middle: the caret behind "B4 " takes "A" off with Delete.
    field.SetCaret(3);
    EXPECT_TRUE(field.Delete());
    EXPECT_EQ(field.Text(), "B4 ");
    // Typing at the caret between digits.
    field.SetCaret(1);
    field.Type('0');
    EXPECT_EQ(field.Text(), "B0 4");
    EXPECT_EQ(field.Caret(), 3u);
}

}  // namespace
}  // namespace lt77::fcaeditor
