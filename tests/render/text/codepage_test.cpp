// The code pages that resident-font text is converted into before it goes to
// the printer; expected bytes are those of the code-page tables.
#include <gtest/gtest.h>

#include "platform/platform.h"
#include "tests/render/render_test_support.h"

namespace lt77 {
namespace {

using test::Bytes;
using test::Hex;

const struct {
    const char* name;
    unsigned codePage;
    std::u16string text;
    const char* bytes;
} kMappable[] = {
    {"Hangul", 949, u"\uD55C", "C7 D1"},
    {"Hangul between ASCII", 949, u"A\uD55CB", "41 C7 D1 42"},
    {"simplified Chinese", 936, u"\u4E2D", "D6 D0"},
    {"traditional Chinese", 950, u"\u4E2D", "A4 A4"},
    {"katakana", 932, u"\u30A2", "83 41"},
    {"kanji", 932, u"\u65E5", "93 FA"},
    {"Latin-1 accent", 1252, u"\u00E9", "E9"},
    {"euro sign", 1252, u"\u20AC", "80"},
    {"ASCII", 1252, u"Hi!", "48 69 21"},
    {"empty", 949, u"", ""},
};

TEST(CodePages, FromWideGivesTheCodePagesBytes)
{
    CodePages& cp = SystemPlatform().codePages;
    for (const auto& c : kMappable) {
        SCOPED_TRACE(c.name);
        const std::string out = cp.FromWide(c.codePage, c.text);
        EXPECT_EQ(Hex(std::vector<uint8_t>(out.begin(), out.end())), c.bytes);
    }
}

TEST(CodePages, ToWideReadsTheBytesBack)
{
    CodePages& cp = SystemPlatform().codePages;
    for (const auto& c : kMappable) {
        SCOPED_TRACE(c.name);
        const auto bytes = Bytes(c.bytes);
        EXPECT_EQ(cp.ToWide(c.codePage, std::string(bytes.begin(), bytes.end())), c.text);
    }
}

TEST(CodePages, CharactersTheCodePageLacksBecomeQuestionMarks)
{
    const struct {
        const char* name;
        unsigned codePage;
        std::u16string text;
        const char* bytes;
    } cases[] = {
        {"Hangul in Western", 1252, u"\uD55C", "3F"},
        {"only the unmappable one", 1252, u"a\uD55Cb", "61 3F 62"},
        {"two in a row", 1252, u"\uD55C\uAD6D", "3F 3F"},
        {"Hangul in Japanese", 932, u"\uD55C", "3F"},
        {"Hangul in traditional Chinese", 950, u"\uD55C", "3F"},
    };
    CodePages& cp = SystemPlatform().codePages;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string out = cp.FromWide(c.codePage, c.text);
        EXPECT_EQ(Hex(std::vector<uint8_t>(out.begin(), out.end())), c.bytes);
    }
}

TEST(CodePages, SystemAnsiCodePageIsTheConfiguredOne)
{
    CodePages& cp = SystemPlatform().codePages;
    const unsigned ansi = cp.AnsiCodePage();
    ASSERT_NE(ansi, CP_SYSTEM_ANSI);
    const std::u16string text = u"A\u00E9\u20AC\uD55C";
    EXPECT_EQ(cp.FromWide(CP_SYSTEM_ANSI, text), cp.FromWide(ansi, text));
}

}  // namespace
}  // namespace lt77
