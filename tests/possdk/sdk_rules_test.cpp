#include <gtest/gtest.h>

#include "possdk/sdk_rules.h"

namespace lt77::possdk {
namespace {

TEST(SdkRules, DriverNamesAreCaseSensitiveSubstringsAndOnlyTheNarrowConnectTakesTheMakerWord)
{
    struct Row {
        const char* name;
        std::u16string_view driver;
        bool narrow, wide, raw;
    } rows[] = {
        {"this model", u"LT-77", true, true, false},
        {"maker's full driver name", u"KELWYNT LT-77 Receipt", true, true, true},
        {"another family", u"LK-200 Label", true, true, false},
        {"last of the nine", u"Driver for LK-200", true, true, false},
        {"maker word alone", u"KELWYNT QX-10", true, false, true},
        {"lower case model", u"lt-77", false, false, false},
        {"lower case maker", u"Kelwynt LX", false, false, false},
        {"near miss", u"LT-7 7", false, false, false},
        {"other maker", u"Generic / Text Only", false, false, false},
        {"empty", u"", false, false, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(IsAcceptedDriver(row.driver, true), row.narrow);
        EXPECT_EQ(IsAcceptedDriver(row.driver, false), row.wide);
        EXPECT_EQ(IsRawDataDriver(row.driver), row.raw);
    }
    for (const auto name : kAcceptedDriverNames) EXPECT_TRUE(IsAcceptedDriver(name, false));
}

TEST(SdkRules, CharacterSetByFaceNameInTableOrder)
{
    struct Row {
        std::u16string_view face;
        uint8_t charSet;
        unsigned codePage;
    } rows[] = {
        {u"FontA Korean", 129, 949},
        {u"Korean1x1", 129, 949},
        {u"Chinese2312_1x1", 134, 936},
        {u"ChineseBIG5_2x2", 136, 950},
        {u"Japanese1x1", 128, 932},
        {u"Korean Japanese", 129, 949},
        {u"Japanese Chinese2312", 134, 936},
        {u"korean1x1", 1, 0},
        {u"FontA1x1", 1, 0},
        {u"", 1, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.face.begin(), row.face.end()));
        EXPECT_EQ(CharSetOfFace(row.face), row.charSet);
        EXPECT_EQ(CodePageOfCharSet(row.charSet), row.codePage);
    }
}

TEST(SdkRules, FontHeightIsMinusTheCharacterHeightInDots)
{
    struct Row {
        int32_t points, dpi, height;
    } rows[] = {
        {10, 180, -25}, {10, 203, -28}, {9, 203, -25}, {12, 72, -12}, {1, 36, -1},  // 0.5 rounds away from 0
        {0, 203, 0},    {-10, 180, 25}, {10, 0, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.points) + " pt at " + std::to_string(row.dpi));
        EXPECT_EQ(FontHeightForPoints(row.points, row.dpi), row.height);
    }
    EXPECT_EQ(MulDiv(7, 5, 0), -1);
    EXPECT_EQ(MulDiv(-3, 1, 2), -2);
    EXPECT_EQ(MulDiv(3, 1, -2), -2);
    EXPECT_EQ(MulDiv(0x7FFFFFFF, 0x7FFFFFFF, 1), -1);
}

TEST(SdkRules, RotationCodesTurnClockwiseAndOthersGiveNone)
{
    const std::pair<int32_t, int32_t> rows[] = {{0, 0}, {1, -900}, {2, -1800}, {3, -2700}, {4, 0}, {5, 0}, {-1, 0}};
    for (const auto& [code, escapement] : rows) EXPECT_EQ(EscapementOfRotation(code), escapement) << code;
}

}  // namespace
}  // namespace lt77::possdk
