#include "common/ini_file.h"

#include <gtest/gtest.h>

namespace lt77 {
namespace {

IniDocument::AnsiDecoder Latin1()
{
    return [](std::string_view s) {
        std::u16string out;
        for (char c : s) out.push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
        return out;
    };
}

IniDocument FromString(std::string_view text)
{
    return IniDocument::FromBytes(std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()), Latin1());
}

TEST(IniFile, NamesCompareWithoutCaseAndBlanksAreTrimmed)
{
    const auto doc = FromString("[lt77]\r\n  Preference[5] =  258  \r\nPREFERENCE[6]=x\r\n");
    EXPECT_EQ(doc.Value(u"LT77", u"PREFERENCE[5]"), u"258");
    EXPECT_EQ(doc.Value(u"Lt77", u"preference[6]"), u"x");
    EXPECT_FALSE(doc.Value(u"LT77", u"PREFERENCE[7]").has_value());
    EXPECT_FALSE(doc.Value(u"OTHER", u"PREFERENCE[5]").has_value());
}

TEST(IniFile, FirstSectionAndKeyWinAndQuotesAreStripped)
{
    const auto doc = FromString("[A]\nk=1\nk=2\n[a]\nk=3\nq=\"quoted value\"\nr='x\nonly key\n");
    EXPECT_EQ(doc.Value(u"a", u"k"), u"1");
    EXPECT_FALSE(doc.Value(u"a", u"q").has_value()) << "the second [a] is never searched";
    const auto second = FromString("[B]\nq=\"quoted value\"\nr='x\nonly key\n");
    EXPECT_EQ(second.Value(u"B", u"q"), u"quoted value");
    EXPECT_EQ(second.Value(u"B", u"r"), u"'x");
    EXPECT_EQ(second.Value(u"B", u"only key"), u"");
}

TEST(IniFile, ReadsUtf16InBothByteOrdersAndUtf8WithMark)
{
    const std::vector<uint8_t> le = {0xFF, 0xFE, '[', 0, 'S', 0, ']', 0, '\n', 0, 'k', 0, '=', 0, 0x5C, 0xD5, '\n', 0};
    const std::vector<uint8_t> be = {0xFE, 0xFF, 0, '[', 0, 'S', 0, ']', 0, '\n', 0, 'k', 0, '=', 0xD5, 0x5C};
    const std::string utf8 = "\xEF\xBB\xBF[S]\nk=\xED\x95\x9C";
    EXPECT_EQ(IniDocument::FromBytes(le, Latin1()).Value(u"s", u"K"), u"\uD55C");
    EXPECT_EQ(IniDocument::FromBytes(be, Latin1()).Value(u"s", u"K"), u"\uD55C");
    EXPECT_EQ(FromString(utf8).Value(u"S", u"k"), u"\uD55C");
    EXPECT_EQ(FromString("[S]\nk=\xE9").Value(u"S", u"k"), u"\u00E9") << "8-bit text goes through the code page";
}

TEST(IniFile, GarbageNeverBreaksTheReader)
{
    const std::string garbage("\x00\x01[\xFF\n=\n[[]]\n]]\n[unterminated\nkey=v\x00tail\n", 40);
    const auto doc = FromString(garbage);
    EXPECT_EQ(doc.Value(u"unterminated", u"key"), u"v");
    EXPECT_FALSE(FromString("").HasSection(u"x"));
    EXPECT_FALSE(FromString("k=v\n").Value(u"", u"k").has_value()) << "keys before any section belong to none";
}

}  // namespace
}  // namespace lt77
