// Command bytes of the printer's resident fonts, from the family name and the
// string's position; expected bytes are taken from the printer's command
// reference (1B 74 table, 08 4D 00 letter, 1D 21 size, 1B 24 position, 1C 26
// / 1C 2E double-byte mode, 1C 43 01 Shift JIS, 1B 4A n feed).
#include "render/device_font.h"

#include <gtest/gtest.h>

#include "tests/render/render_test_support.h"

namespace lt77 {
namespace {

using test::Bytes;
using test::Hex;

TEST(GetDevFontCommand, FamilyNamesGiveTheirCommandsAndLineEndings)
{
    const struct {
        const char* name;
        uint32_t xDots;
        int32_t heightDots;
        const char* text;
        const char* command;
        const char* textAfter;
    } cases[] = {
        {"FontB2x1", 300, 24, "41 42", "1B 74 10 08 4D 00 42 1D 21 10 1B 24 2C 01", "41 42 1B 4A 18"},
        {"FontA1x1Ext", 0, 24, "41", "1B 74 00 08 4D 00 41 1D 21 00 1B 24 00 00", "41 1B 4A 18"},
        {"FontA1x1255", 0, 24, "41", "1B 74 FF 08 4D 00 41 1D 21 00 1B 24 00 00", "41 1B 4A 18"},
        // "Ext" is looked for first, and in any case.
        {"FontA1x1Ext255", 0, 24, "41", "1B 74 00 08 4D 00 41 1D 21 00 1B 24 00 00", "41 1B 4A 18"},
        {"FontC8x8ext", 0, 192, "41", "1B 74 00 08 4D 00 43 1D 21 77 1B 24 00 00", "41 1B 4A C0"},
        // Position 6 not "x": the height digit is taken from there.
        {"FontB23", 1, 24, "41", "1B 74 10 08 4D 00 42 1D 21 12 1B 24 01 00", "41 1B 4A 18"},
        {"FontA2X3", 0, 24, "41", "1B 74 10 08 4D 00 41 1D 21 12 1B 24 00 00", "41 1B 4A 18"},
        {"Korean1x2", 0, 300, "C7 D1", "1C 26 1D 21 01 1B 24 00 00", "C7 D1 1C 2E 1B 4A FF"},
        {"Chinese2312_2x1", 0x1234, 24, "D6 D0", "1C 26 1D 21 10 1B 24 34 12", "D6 D0 1C 2E 1B 4A 18"},
        {"ChineseBIG5_1x2", 0, 48, "A4 A4", "1C 26 1D 21 01 1B 24 00 00", "A4 A4 1C 2E 1B 4A 30"},
        {"Japanese2x2", 258, 48, "83 41", "1C 26 1C 43 01 1D 21 11 1B 24 02 01", "83 41 1C 2E 1B 4A 30"},
        // Korean is tested before Japanese whatever the order in the name;
        // the Korean positions 6 and 8 then hold 's' and '1': ((0x73 - 0x31) << 4) in 8 bits is 0x20.
        {"Korean1x2Japanese", 0, 24, "C7 D1", "1C 26 1D 21 01 1B 24 00 00", "C7 D1 1C 2E 1B 4A 18"},
        {"Japanese1x1Korean", 0, 24, "C7 D1", "1C 26 1D 21 20 1B 24 00 00", "C7 D1 1C 2E 1B 4A 18"},
        // The feed is the font height, at most 255; without a font it is 0.
        {"FontA1x1", 0, 255, "41", "1B 74 10 08 4D 00 41 1D 21 00 1B 24 00 00", "41 1B 4A FF"},
        {"FontA1x1", 0, 256, "41", "1B 74 10 08 4D 00 41 1D 21 00 1B 24 00 00", "41 1B 4A FF"},
        {"FontA1x1", 0, 0, "41", "1B 74 10 08 4D 00 41 1D 21 00 1B 24 00 00", "41 1B 4A 00"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " at " + std::to_string(c.xDots) + ", height " +
                     std::to_string(c.heightDots));
        std::vector<uint8_t> text = Bytes(c.text);
        EXPECT_EQ(Hex(GetDevFontCommand(c.name, text, c.xDots, c.heightDots)), c.command);
        EXPECT_EQ(Hex(text), c.textAfter);
    }
}

TEST(GetDevFontCommand, EmptyTextOrNameGivesNoCommandAndLeavesTheTextAlone)
{
    std::vector<uint8_t> empty;
    EXPECT_TRUE(GetDevFontCommand("FontA1x1", empty, 0, 24).empty());
    EXPECT_TRUE(empty.empty());

    std::vector<uint8_t> text = Bytes("41");
    EXPECT_TRUE(GetDevFontCommand("", text, 0, 24).empty());
    EXPECT_EQ(Hex(text), "41");
}

}  // namespace
}  // namespace lt77
