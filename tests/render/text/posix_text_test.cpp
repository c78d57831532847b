// The FreeType rasteriser behind DrawString on POSIX hosts. Face names are
// mapped by fontconfig: Arial to Liberation Sans, Courier New to Liberation
// Mono, as on the test machines.
#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>

#include "common/ximage/ximage.h"
#include "platform/platform.h"
#include "tests/render/render_test_support.h"

namespace lt77 {
namespace {

FontDescription Face(const char16_t* name, int32_t height, int32_t weight = 400, bool italic = false)
{
    FontDescription f;
    f.faceName = name;
    f.height = height;
    f.weight = weight;
    f.italic = italic;
    return f;
}

TextMask Render(const FontDescription& font, std::u16string_view text)
{
    std::string error;
    auto mask = SystemPlatform().text.Render(font, text, error);
    EXPECT_TRUE(mask.has_value()) << error;
    return mask.value_or(TextMask{});
}

std::size_t Ink(const TextMask& mask)
{
    std::size_t n = 0;
    for (uint8_t v : mask.set) n += v != 0;
    return n;
}

bool InstalledFaceHas(char32_t c)
{
    FcPattern* pattern = FcPatternCreate();
    FcCharSet* wanted = FcCharSetCreate();
    FcCharSetAddChar(wanted, c);
    FcPatternAddCharSet(pattern, FC_CHARSET, wanted);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    bool has = false;
    FcCharSet* got = nullptr;
    if (match != nullptr && FcPatternGetCharSet(match, FC_CHARSET, 0, &got) == FcResultMatch)
        has = FcCharSetHasChar(got, c);
    if (match != nullptr) FcPatternDestroy(match);
    FcPatternDestroy(pattern);
    FcCharSetDestroy(wanted);
    return has;
}

TEST(PosixTextRasterizer, EmHeightGivesTheFontsCellHeight)
{
    // Liberation Sans: Windows ascent 1854 and descent 434 of 2048 units,
    // 21.7 + 5.1 pixels at 24 pixels to the em.
    const TextMask mask = Render(Face(u"Arial", -24), u"Hello");
    EXPECT_GE(mask.height, 26u);
    EXPECT_LE(mask.height, 28u);
    EXPECT_GT(mask.width, 0u);
    EXPECT_GT(Ink(mask), 0u);
}

TEST(PosixTextRasterizer, PositiveHeightIsTheCellHeight)
{
    const TextMask mask = Render(Face(u"Arial", 27), u"Hello");
    EXPECT_GE(mask.height, 26u);
    EXPECT_LE(mask.height, 28u);
}

TEST(PosixTextRasterizer, BoldIsWiderThanRegular)
{
    const TextMask regular = Render(Face(u"Arial", -24), u"Hello World");
    const TextMask bold = Render(Face(u"Arial", -24, 700), u"Hello World");
    EXPECT_GT(bold.width, regular.width);
    EXPECT_GT(Ink(bold), Ink(regular));
}

TEST(PosixTextRasterizer, ItalicAddsTheHeightToTheWidth)
{
    // A monospaced face, so that upright and italic advances are the same.
    const TextMask regular = Render(Face(u"Courier New", -24), u"Total");
    const TextMask italic = Render(Face(u"Courier New", -24, 400, true), u"Total");
    ASSERT_GT(regular.width, 0u);
    EXPECT_EQ(italic.height, regular.height);
    EXPECT_EQ(italic.width, regular.width + italic.height);
}

TEST(PosixTextRasterizer, EmptyStringHasNoWidth)
{
    const TextMask mask = Render(Face(u"Arial", -24), u"");
    EXPECT_EQ(mask.width, 0u);
    EXPECT_EQ(Ink(mask), 0u);
}

TEST(PosixTextRasterizer, HangulFallsBackToAnInstalledCjkFace)
{
    if (!InstalledFaceHas(0xD55C)) GTEST_SKIP() << "fontconfig finds no installed face with Hangul";
    const TextMask hangul = Render(Face(u"Arial", -24), u"\uD55C");
    // A character no face has is drawn as Arial's missing-glyph box.
    const TextMask missing = Render(Face(u"Arial", -24), u"\U0010FFFD");
    EXPECT_GT(Ink(hangul), 0u);
    EXPECT_NE(hangul.set, missing.set) << "drawn with a real Hangul glyph, not the missing-glyph box";
}

TEST(PosixTextRasterizer, DrawStringAtHalfSizeStartsAtTheScaledRow)
{
    CxImage image = test::WhiteImage(200, 120);
    const int32_t bottom = image.DrawString(20, 101, u"HELLO", Face(u"Arial", -24), 0.5f, 0, SystemPlatform().text);
    // trunc(0.5 * -24 + 0.5) is -11.
    const TextMask scaled = Render(Face(u"Arial", -11), u"HELLO");
    EXPECT_EQ(bottom, 51 + static_cast<int32_t>(scaled.height));
    int32_t firstInkedRow = -1;
    for (int32_t y = 0; y < image.GetHeight() && firstInkedRow < 0; ++y)
        for (int32_t x = 0; x < image.GetWidth(); ++x)
            if (image.GetPixelColor(x, y).rgbRed == 0) {
                firstInkedRow = y;
                break;
            }
    EXPECT_GE(firstInkedRow, 51);
    EXPECT_LT(firstInkedRow, bottom);
}

}  // namespace
}  // namespace lt77
