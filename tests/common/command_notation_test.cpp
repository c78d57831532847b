#include "common/command_notation.h"

#include <gtest/gtest.h>

namespace lt77 {
namespace {

struct NotationCase {
    const char* name;
    std::string text;
    std::vector<uint8_t> bytes;
};

TEST(CommandNotation, DecodesTheDocumentedForms)
{
    const NotationCase cases[] = {
        {"plain characters", "AB", {0x41, 0x42}},
        {"example of the settings pages", "<1B4A00>", {0x1B, 0x4A, 0x00}},
        {"characters then hex with blanks", "AB<1b 4a 00>", {0x41, 0x42, 0x1B, 0x4A, 0x00}},
        {"unpaired digit at the end of the mode is dropped", "<1B4>", {0x1B}},
        {"unterminated bracket keeps its pairs", "<1B4A0", {0x1B, 0x4A}},
        {"other characters inside are skipped", "<1G B-4 A>", {0x1B, 0x4A}},
        {"text resumes after the mode", "<0A>x<0d>", {0x0A, 'x', 0x0D}},
        {"a closing bracket outside the mode is a character", "a>b", {'a', '>', 'b'}},
        {"empty text", "", {}},
        {"empty brackets", "<>", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DecodeCommandNotation(c.text), c.bytes);
    }
}

TEST(CommandNotation, StopsAt256Bytes)
{
    std::string text;
    for (int i = 0; i < 300; ++i) text += "<41>";
    const auto bytes = DecodeCommandNotation(text);
    ASSERT_EQ(bytes.size(), 256u);
    EXPECT_EQ(bytes.back(), 0x41);
    EXPECT_EQ(DecodeCommandNotation(std::string(257, 'z')).size(), 256u);
}

TEST(CommandNotation, EncodesForDisplayAndDecodesBack)
{
    const NotationCase cases[] = {
        // The pages' hint "<1B4A00>" decodes to these bytes too; for display
        // the printable "J" stands for itself.
        {"feed command", "<1B>J<00>", {0x1B, 0x4A, 0x00}},
        {"a drawer pulse", "<1B>p<0019FA>", {0x1B, 0x70, 0x00, 0x19, 0xFA}},
        {"blank, '<' and DEL are written as digits", "a<203C7F>b", {'a', 0x20, '<', 0x7F, 'b'}},
        {"'>' stands for itself", "x>y", {'x', '>', 'y'}},
        {"nothing stored", "", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(EncodeCommandNotation(c.bytes), c.text);
        EXPECT_EQ(DecodeCommandNotation(c.text), c.bytes);
    }
}

TEST(CommandNotation, DisplayTextMustFitWithItsTerminator)
{
    // 128 control bytes take "<" + 256 digits + ">" = 258 characters.
    const std::vector<uint8_t> controls(127, 0x1B);
    ASSERT_EQ(EncodeCommandNotation(controls)->size(), 256u);  // 256 + terminator fits 257
    EXPECT_FALSE(EncodeCommandNotation(std::vector<uint8_t>(128, 0x1B)));
    EXPECT_EQ(EncodeCommandNotation(std::vector<uint8_t>(256, 'A'))->size(), 256u);
    EXPECT_FALSE(EncodeCommandNotation(std::vector<uint8_t>(257, 'A')));
}

}  // namespace
}  // namespace lt77
