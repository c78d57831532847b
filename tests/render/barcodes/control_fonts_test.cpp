#include "render/control_fonts.h"
#include "tests/render/barcodes/barcode_test_support.h"

namespace lt77 {
namespace {

using test::Ascii;
using test::Hex;

TEST(GetFontControlCommand, EmphasisAroundTwoDrawerPulses)
{
    OemPDEV pdev;
    EXPECT_EQ(Hex(GetFontControlCommand(pdev, Ascii("(AB)"))),
              "1B 45 00 1B 70 00 19 FF 1B 70 00 32 FF 1B 45 01");
    EXPECT_FALSE(pdev.bNoCutNoFeeds);
    EXPECT_FALSE(pdev.bNoCutNoFeeds2);
}

TEST(GetFontControlCommand, EveryCharacterOfTheTable)
{
    struct Row {
        char ch;
        const char* bytes;
    };
    const Row rows[] = {
        {'(', "1B 45 00"},
        {')', "1B 45 01"},
        {'+', "1B 2D 00"},
        {'-', "1B 2D 01"},
        {'5', "09"},
        {'6', "0A"},
        {'7', "0D"},
        {'A', "1B 70 00 19 FF"},
        {'B', "1B 70 00 32 FF"},
        {'C', "1B 70 00 4B FF"},
        {'D', "1B 70 00 64 FF"},
        {'E', "1B 70 00 7D FF"},
        {'G', "1C 70 01 00"},
        {'H', "1C 70 02 00"},
        {'I', "1C 70 03 00"},
        {'J', "1C 70 04 00"},
        {'K', "1C 70 05 00"},
        {'P', "0A 1D 56 42 00"},
        {'R', "1D 28 4C 06 00 30 25 30 30 01 01"},
        {'S', "1D 28 4C 06 00 30 25 30 31 01 01"},
        {'T', "1D 28 4C 06 00 30 25 30 32 01 01"},
        {'U', "1D 28 4C 06 00 30 25 30 33 01 01"},
        {'V', "1D 28 4C 06 00 30 25 30 34 01 01"},
        {'[', "1C 70 01 03"},
        {']', "1C 70 02 03"},
        {'^', "1C 70 03 03"},
        {'_', "1C 70 04 03"},
        {'`', "1C 70 05 03"},
        {'a', "1B 70 01 19 FF"},
        {'b', "1B 70 01 32 FF"},
        {'c', "1B 70 01 4B FF"},
        {'d', "1B 70 01 64 FF"},
        {'e', "1B 70 01 7D FF"},
        {'g', "1D 56 01"},
        {'i', "1D 28 4C 06 00 30 25 30 30 02 02"},
        {'j', "1D 28 4C 06 00 30 25 30 31 02 02"},
        {'k', "1D 28 4C 06 00 30 25 30 32 02 02"},
        {'l', "1D 28 4C 06 00 30 25 30 33 02 02"},
        {'m', "1D 28 4C 06 00 30 25 30 34 02 02"},
        {'p', "1D 48 00"},
        {'q', "1D 48 01 1D 66 00"},
        {'r', "1D 48 02 1D 66 00"},
        {'s', "1D 48 01 1D 66 01"},
        {'t', "1D 48 02 1D 66 01"},
        {'u', "1D 42 01"},
        {'v', "1D 42 00"},
        {'w', "1B 61 00"},
        {'x', "1B 61 01"},
        {'y', "1B 61 02"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.ch);
        OemPDEV pdev;
        EXPECT_EQ(Hex(GetFontControlCommand(pdev, Ascii(std::string(1, row.ch)))), row.bytes);
    }
}

TEST(GetFontControlCommand, CharactersOutsideTheTableAddNothing)
{
    struct Row {
        const char* name;
        std::vector<uint8_t> text;
    };
    const Row rows[] = {
        {"space", Ascii(" ")},
        {"unlisted punctuation", Ascii("!\"#$%&'*,./:;<=>?@\\{|}~")},
        {"unlisted digits", Ascii("012348 9")},
        {"unlisted letters", Ascii("LMNOQWXYZhnoz")},
        {"control and high bytes", {0x00, 0x0A, 0x1B, 0x7F, 0x80, 0xC1, 0xFF}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        OemPDEV pdev;
        EXPECT_TRUE(GetFontControlCommand(pdev, row.text).empty());
        EXPECT_FALSE(pdev.bNoCutNoFeeds);
        EXPECT_FALSE(pdev.bNoCutNoFeeds2);
    }
}

TEST(GetFontControlCommand, DrawerOnlyFlags)
{
    struct Row {
        const char* text;
        const char* bytes;
        bool noCut, noCut2;
    };
    const Row rows[] = {
        {"F", "", true, false},
        {"f", "", false, true},
        {"FAf", "1B 70 00 19 FF", true, true},
        {" x", "1B 61 01", false, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        OemPDEV pdev;
        EXPECT_EQ(Hex(GetFontControlCommand(pdev, Ascii(row.text))), row.bytes);
        EXPECT_EQ(pdev.bNoCutNoFeeds != 0, row.noCut);
        EXPECT_EQ(pdev.bNoCutNoFeeds2 != 0, row.noCut2);
    }
}

TEST(GetFontControlCommand, FlagsAlreadySetStaySet)
{
    OemPDEV pdev;
    pdev.bNoCutNoFeeds = kBoolTrue;
    pdev.bNoCutNoFeeds2 = kBoolTrue;
    EXPECT_EQ(Hex(GetFontControlCommand(pdev, Ascii("w"))), "1B 61 00");
    EXPECT_TRUE(pdev.bNoCutNoFeeds);
    EXPECT_TRUE(pdev.bNoCutNoFeeds2);
}

TEST(GetFontControlCommand, TracesTheLengthAndAnEmptyText)
{
    if (!test::kHostRootMapsPaths) GTEST_SKIP() << "needs the POSIX host's drive mapping";
    if (!IsTraceOn()) GTEST_SKIP() << "the trace was switched off in this process";
    test::TempHostRoot root;
    test::TraceCapture trace(root.Root());
    OemPDEV pdev;
    GetFontControlCommand(pdev, Ascii("(AB)"));
    EXPECT_TRUE(trace.Contains("GetFontControlCommand : The length to be returned : 16"));
    EXPECT_TRUE(GetFontControlCommand(pdev, {}).empty());
    EXPECT_TRUE(trace.Contains("GetFontControlCommand : dwAnsiTextLength is Zero."));
}

class CommandFromFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!test::kHostRootMapsPaths) GTEST_SKIP() << "needs the POSIX host's drive mapping";
        root_ = std::make_unique<test::TempHostRoot>();
        pdev_.szPrinterNameAnsi = "LT-77 Receipt";
    }
    void WriteIni(std::string_view text) const
    {
        test::WriteHostFile(root_->Root() / "drive_c" / "Windows" / "System32" / "spool" / "prtprocs" / "x64" /
                                "LT77.INI",
                            text);
    }

    std::unique_ptr<test::TempHostRoot> root_;
    OemPDEV pdev_;
};

TEST_F(CommandFromFile, ValuesAreReadPerCharacterWithTheSkippingRules)
{
    WriteIni("[Other]\r\n"
             "5a=1B40\r\n"
             "[ZozaRurodirA]\r\n"
             "41=1B40\r\n"
             "42=1b40\r\n"
             "43=1B4\r\n"
             "44=\r\n"
             "45=1BZZ40\r\n"
             "46=1B4g\r\n"
             "20=0A\r\n"
             "7e=1D564200\r\n"
             "7f=0D\r\n"
             "3d=1b4501\r\n");
    struct Row {
        const char* name;
        std::vector<uint8_t> text;
        const char* bytes;
    };
    const Row rows[] = {
        {"AA", Ascii("AA"), "1B 40 1B 40"},
        {"lower-case value", Ascii("B"), ""},
        {"odd length", Ascii("C"), ""},
        {"empty value", Ascii("D"), ""},
        {"pair with another character skipped", Ascii("E"), "1B 40"},
        // A lower-case letter anywhere refuses the whole value, even its valid pairs.
        {"lower-case letter in the last pair", Ascii("F"), ""},
        {"lower-case letter in the first pair", Ascii("="), ""},
        {"space", Ascii(" "), "0A"},
        {"tilde", Ascii("~"), "1D 56 42 00"},
        {"0x7F", {0x7F}, "0D"},
        {"no key", Ascii("G"), ""},
        {"key of another section", Ascii("Z"), ""},
        {"above 0x7F", {0xC1}, ""},
        {"below 0x20", {0x0A}, ""},
        {"mixed", {'A', ' ', 'E', '~', 0xC1, 'Z', 'A'}, "1B 40 0A 1B 40 1D 56 42 00 1B 40"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(Hex(GetCommandFromFile(pdev_, row.text)), row.bytes);
    }
}

TEST_F(CommandFromFile, MissingFileOrSectionGivesNothing)
{
    EXPECT_TRUE(GetCommandFromFile(pdev_, Ascii("AA")).empty());
    WriteIni("[Other]\r\n41=1B40\r\n");
    EXPECT_TRUE(GetCommandFromFile(pdev_, Ascii("AA")).empty());
}

TEST_F(CommandFromFile, LongestValueIsRead)
{
    // The editor writes at most 2047 characters; a 2046-character value is
    // 1023 whole pairs.
    std::string value;
    for (int i = 0; i < 1023; ++i) value += "1B";
    WriteIni("[ZozaRurodirA]\r\n41=" + value + "\r\n");
    const auto bytes = GetCommandFromFile(pdev_, Ascii("A"));
    EXPECT_EQ(bytes, std::vector<uint8_t>(1023, 0x1B));
}

TEST_F(CommandFromFile, TracesThePrinterAndThePath)
{
    if (!IsTraceOn()) GTEST_SKIP() << "the trace was switched off in this process";
    WriteIni("[ZozaRurodirA]\r\n41=1B40\r\n");
    test::TraceCapture trace(root_->Root());
    EXPECT_EQ(Hex(GetCommandFromFile(pdev_, Ascii("A"))), "1B 40");
    EXPECT_TRUE(trace.Contains("GetCommandFromFile : pOemPDEV->szPrinterName : LT-77 Receipt, szIniFilePath : "
                               "C:\\Windows\\System32\\spool\\prtprocs\\x64\\LT77.INI"));
    EXPECT_TRUE(GetCommandFromFile(pdev_, {}).empty());
    EXPECT_TRUE(trace.Contains("GetCommandFromFile : dwAnsiTextLength is Zero."));
}

}  // namespace
}  // namespace lt77
