// GDI text masks. The faces are those Wine ships (Tahoma) or Windows has.
#include <gtest/gtest.h>

#include "platform/win32/win32_platform.h"

namespace lt77::win32 {
namespace {

FontDescription Face(int32_t height, bool italic = false, bool underline = false)
{
    FontDescription f;
    f.faceName = u"Tahoma";
    f.height = height;
    f.italic = italic;
    f.underline = underline;
    return f;
}

TextMask Render(const FontDescription& font, std::u16string_view text)
{
    std::string error;
    auto mask = Win32TextRasterizer().Render(font, text, error);
    EXPECT_TRUE(mask.has_value()) << error;
    return mask.value_or(TextMask{});
}

std::size_t Ink(const TextMask& mask)
{
    std::size_t n = 0;
    for (uint8_t v : mask.set) n += v;
    return n;
}

// Rows [from, to) that carry ink.
std::size_t InkInRows(const TextMask& mask, uint32_t from, uint32_t to)
{
    std::size_t n = 0;
    for (uint32_t y = from; y < to && y < mask.height; ++y)
        for (uint32_t x = 0; x < mask.width; ++x) n += mask.At(x, y);
    return n;
}

TEST(Win32TextRasterizer, EmHeightGivesACellAtLeastThatTallWithInkInside)
{
    const TextMask mask = Render(Face(-24), u"Hg");
    EXPECT_GE(mask.height, 24u);
    EXPECT_LE(mask.height, 36u);
    ASSERT_EQ(mask.set.size(), static_cast<std::size_t>(mask.width) * mask.height);
    EXPECT_GT(Ink(mask), 20u);
    // The top of the cell is above the capital's top and the descender of
    // 'g' reaches below the middle.
    EXPECT_EQ(InkInRows(mask, 0, 1), 0u);
    EXPECT_GT(InkInRows(mask, mask.height / 2, mask.height), 0u);
}

TEST(Win32TextRasterizer, LongerTextIsWiderAtTheSameHeight)
{
    const TextMask one = Render(Face(-20), u"W");
    const TextMask three = Render(Face(-20), u"WWW");
    EXPECT_EQ(one.height, three.height);
    EXPECT_GE(three.width, 3 * one.width - 2);
    EXPECT_LE(three.width, 3 * one.width + 2);
    EXPECT_GT(Ink(three), 2 * Ink(one));
}

TEST(Win32TextRasterizer, ItalicLeavesRoomOfTheHeightToTheRight)
{
    const TextMask upright = Render(Face(-20), u"Receipt");
    const TextMask italic = Render(Face(-20, true), u"Receipt");
    EXPECT_EQ(italic.height, upright.height);
    EXPECT_GE(italic.width, upright.width + italic.height - 2);
}

TEST(Win32TextRasterizer, UnderlineAddsInkBelowTheBaseline)
{
    const TextMask plain = Render(Face(-24), u"aaaa");
    const TextMask underlined = Render(Face(-24, false, true), u"aaaa");
    ASSERT_EQ(plain.height, underlined.height);
    ASSERT_EQ(plain.width, underlined.width);
    // A rule under the whole string: at least most of a row more ink in the
    // lower quarter of the cell.
    const uint32_t lowerQuarter = plain.height * 3 / 4;
    EXPECT_GE(InkInRows(underlined, lowerQuarter, underlined.height),
              InkInRows(plain, lowerQuarter, plain.height) + plain.width * 3 / 4);
}

TEST(Win32TextRasterizer, EmptyTextHasTheCellHeightAndNoColumns)
{
    const TextMask mask = Render(Face(-24), u"");
    EXPECT_EQ(mask.width, 0u);
    EXPECT_GE(mask.height, 24u);
    EXPECT_TRUE(mask.set.empty());
}

}  // namespace
}  // namespace lt77::win32
