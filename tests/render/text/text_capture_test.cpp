// The captured-text records: font type from the family name, height from the
// font transform, the record layout as written, and the reader that sorts
// device lines and hands back TrueType strings.
#include "render/text_capture.h"

#include <gtest/gtest.h>

#include "tests/support/failing_allocator.h"
#include "tests/render/text/text_test_support.h"

namespace lt77 {
namespace {

using test::Ascii;
using test::Bytes;
using test::Concat;
using test::Hex;
using test::Record;

StringDetails StringAt(LONG xDots, LONG yDots, std::u16string text = u"")
{
    StringDetails s;
    s.background = RECTL{xDots, yDots, xDots + 100, yDots + 24};
    s.glyphs = static_cast<ULONG>(text.size());
    s.hasText = true;
    s.text = std::move(text);
    return s;
}

TEST(GetDeviceFontType, FamilyNamesMapToFontTypes)
{
    const struct {
        const char* name;
        int type;
    } cases[] = {
        {"", 1},
        {"ZozaRurodirA", 4},
        {"zozarurodira", 2},  // compared exactly
        {"FontControl", 3},
        {"Control", 3},
        {"control", 3},
        {"CONTROL", 2},
        {"fontcontrol", 1},   // not an exact control name, but contains "fontc"
        {"myFONTBface", 1},
        {"xfontb", 1},
        {"FontA1x1", 1},
        {"Korean1x2", 1},
        {"Chinese2312_1x1", 1},
        {"JAPANESE2x2", 1},
        {"CODE39", 2},
        {"QRCode", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(GetDeviceFontType(c.name), c.type);
    }
}

TEST(GetFontHeight, LengthOfTheTransformsSecondRowTimesUnitsPerEm)
{
    const struct {
        const char* name;
        float m21, m22;
        WORD unitsPerEm;
        int32_t height;
    } cases[] = {
        {"upright 24", 0.0f, 24.0f / 2048, 2048, 24},
        {"flipped y", 0.0f, -24.0f / 2048, 2048, 24},
        {"sheared 3-4-5", 15.0f / 2048, 20.0f / 2048, 2048, 25},
        {"other em size", 0.006f, 0.008f, 1000, 10},
        {"exact half rounds up", 0.0f, 12.5f / 2048, 2048, 13},
        {"below half rounds down", 0.0f, 12.25f / 2048, 2048, 12},
        {"above half rounds up", 0.0f, 12.75f / 2048, 2048, 13},
        {"no scale", 0.0f, 0.0f, 2048, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FontDetails font;
        font.m21 = c.m21;
        font.m22 = c.m22;
        font.unitsPerEm = c.unitsPerEm;
        EXPECT_EQ(GetFontHeight(&font), c.height);
    }
    EXPECT_EQ(GetFontHeight(nullptr), -1);
}

TEST(AddFontDataToBuf, WritesTheHeaderThenBothSlots)
{
    OemPDEV pdev;
    pdev.dwBottomTxtCoordinate = 100;
    FontDetails font;
    font.flFontType = FO_TYPE_DEVICE | FO_SIM_ITALIC;
    font.weight = 700;
    font.fsSelection = 0x12;
    font.charSet = 0x81;
    font.pitchAndFamily = 0x31;
    ASSERT_TRUE(AddFontDataToBuf(pdev, FTYPE_DEVICE_FONT, 24, Ascii("AB"), Ascii("xyz"), StringAt(300, 258), font));
    // type, height, width, escapement, orientation, weight, italic, underline,
    // strike-out, charset, pitch, x, y, L1, L2
    EXPECT_EQ(Hex(pdev.txtBuf), "01 18 00 00 00 00 BC 02 01 01 01 81 31 2C 01 02 01 02 00 03 00 41 42 78 79 7A");
    EXPECT_EQ(pdev.dwBottomTxtCoordinate, 258u + 24u);

    // A record higher up does not pull the bottom back; a lower one pushes it.
    ASSERT_TRUE(AddFontDataToBuf(pdev, FTYPE_DEVICE_FONT, 5, Ascii("A"), {}, StringAt(0, 10), font));
    EXPECT_EQ(pdev.dwBottomTxtCoordinate, 282u);
    ASSERT_TRUE(AddFontDataToBuf(pdev, FTYPE_DEVICE_FONT, 1, Ascii("A"), {}, StringAt(0, 300), font));
    EXPECT_EQ(pdev.dwBottomTxtCoordinate, 301u);
}

TEST(AddFontDataToBuf, StyleFlagsComeFromTheTypeAndSelectionBits)
{
    const struct {
        const char* name;
        FLONG fontType;
        WORD fsSelection;
        const char* italicUnderlineStrike;
    } cases[] = {
        {"plain", FO_TYPE_DEVICE, 0x0000, "00 00 00"},
        {"simulated italic", FO_TYPE_TRUETYPE | FO_SIM_ITALIC, 0x0000, "01 00 00"},
        {"underscore bit", FO_TYPE_DEVICE, 0x0002, "00 01 00"},
        {"strike-out bit", FO_TYPE_DEVICE, 0x0010, "00 00 01"},
        {"selection italic bit alone", FO_TYPE_DEVICE, 0x0001, "00 00 00"},
        {"all other bits", FO_TYPE_DEVICE, 0xFFED, "00 00 00"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        OemPDEV pdev;
        FontDetails font;
        font.flFontType = c.fontType;
        font.fsSelection = c.fsSelection;
        ASSERT_TRUE(AddFontDataToBuf(pdev, FTYPE_DEVICE_FONT, 24, Ascii("A"), {}, StringAt(0, 0), font));
        ASSERT_GE(pdev.txtBuf.size(), 11u);
        EXPECT_EQ(Hex(std::span(pdev.txtBuf).subspan(8, 3)), c.italicUnderlineStrike);
    }
}

TEST(AddFontDataToBuf, EmptySlotTwoPutsTheNextRecordRightAfterSlotOne)
{
    OemPDEV pdev;
    const FontDetails font;
    ASSERT_TRUE(AddFontDataToBuf(pdev, FTYPE_DEVICE_FONT_CONTROL, 24, Bytes("1B 70 00"), {}, StringAt(1, 2), font));
    ASSERT_TRUE(AddFontDataToBuf(pdev, FTYPE_DEVICE_BARCODE, 50, Bytes("1D 6B"), Ascii("1"), StringAt(3, 4), font));
    EXPECT_EQ(Hex(pdev.txtBuf),
              "03 18 00 00 00 00 00 00 00 00 00 00 00 01 00 02 00 03 00 00 00 1B 70 00 "
              "02 32 00 00 00 00 00 00 00 00 00 00 00 03 00 04 00 02 00 01 00 1D 6B 31");
    ExtractedText out;
    EXPECT_EQ(ExtractFontInfoFromBuf(pdev, 0, out), 21u + 3u);
}

TEST(AddFontDataToBuf, SlotLengthsAreSixteenBits)
{
    OemPDEV pdev;
    const FontDetails font;
    const std::vector<uint8_t> longest(0xFFFF, 0x41);
    ASSERT_TRUE(AddFontDataToBuf(pdev, FTYPE_DEVICE_FONT, 24, longest, {}, StringAt(0, 0), font));
    EXPECT_EQ(Hex(std::span(pdev.txtBuf).subspan(17, 4)), "FF FF 00 00");
    EXPECT_EQ(pdev.txtBuf.size(), 21u + 0xFFFFu);

    const auto before = pdev.txtBuf;
    const std::vector<uint8_t> tooLong(0x10000, 0x41);
    EXPECT_FALSE(AddFontDataToBuf(pdev, FTYPE_DEVICE_FONT, 24, tooLong, {}, StringAt(0, 900), font));
    EXPECT_FALSE(AddFontDataToBuf(pdev, FTYPE_DEVICE_FONT, 24, Ascii("A"), tooLong, StringAt(0, 900), font));
    EXPECT_EQ(pdev.txtBuf, before);
    EXPECT_EQ(pdev.dwBottomTxtCoordinate, 24u);
}

TEST(AddFontDataToBuf, FailedAllocationLeavesNoPartOfTheRecord)
{
    const FontDetails font;
    const auto earlier = Record({.y = 5, .slot1 = Ascii("A")});
    int failures = 0;
    for (int n = 0; n < 3; ++n) {
        SCOPED_TRACE(n);
        OemPDEV pdev;
        // Room for one more header but not its slots.
        pdev.txtBuf.reserve(earlier.size() + 21);
        pdev.txtBuf = earlier;
        pdev.dwBottomTxtCoordinate = 29;
        const auto slot1 = Ascii("BC"), slot2 = Ascii("DEF");
        const StringDetails str = StringAt(0, 9);
        test::ArmAllocationFailure(static_cast<std::size_t>(n) + 1);
        const bool added = AddFontDataToBuf(pdev, FTYPE_DEVICE_FONT, 24, slot1, slot2, str, font);
        test::DisarmAllocationFailure();
        if (added) {
            EXPECT_EQ(Hex(pdev.txtBuf), Hex(Concat({earlier, Record({.y = 9, .slot1 = slot1, .slot2 = slot2, .weight = 0})})));
            EXPECT_EQ(pdev.dwBottomTxtCoordinate, 33u);
        } else {
            ++failures;
            EXPECT_EQ(Hex(pdev.txtBuf), Hex(earlier));
            EXPECT_EQ(pdev.dwBottomTxtCoordinate, 29u);
        }
    }
    EXPECT_GT(failures, 0) << "no allocation was made to fail";
}

TEST(AddTtfFontInfoToBuf, SlotsHoldTheFamilyNameAndTheTextInUtf16WithOneZeroByte)
{
    OemPDEV pdev;
    FontDetails font;
    font.flFontType = FO_TYPE_TRUETYPE;
    font.familyName = u"Ab";
    font.weight = 400;
    font.unitsPerEm = 2048;
    font.m22 = 30.0f / 2048;
    AddTtfFontInfoToBuf(pdev, StringAt(10, 20, u"H\u00E9"), font);
    EXPECT_EQ(Hex(pdev.txtBuf), "05 1E 00 00 00 00 90 01 00 00 00 00 00 0A 00 14 00 05 00 05 00 "
                                "41 00 62 00 00 48 00 E9 00 00");
}

TEST(AddTtfFontInfoToBuf, StringTooLongForASlotIsCutToFit)
{
    OemPDEV pdev;
    FontDetails font;
    font.familyName = u"Ab";
    AddTtfFontInfoToBuf(pdev, StringAt(0, 0, std::u16string(40000, u'H')), font);
    // 32,767 units and the zero byte: 65,535 bytes.
    ASSERT_EQ(pdev.txtBuf.size(), 21u + 5u + 0xFFFFu);
    EXPECT_EQ(Hex(std::span(pdev.txtBuf).subspan(17, 4)), "05 00 FF FF");
    EXPECT_EQ(Hex(std::span(pdev.txtBuf).last(3)), "48 00 00");
}

TEST(ExtractFontInfoFromBuf, DeviceRecordsAreSortedByRowAndEqualRowsKeepCaptureOrder)
{
    OemPDEV pdev;
    const auto b = Record({.type = 1, .y = 100, .slot1 = Ascii("b")});
    const auto a = Record({.type = 3, .y = 40, .slot1 = Ascii("a")});
    const auto c = Record({.type = 2, .height = 60, .y = 100, .slot1 = Ascii("c"), .slot2 = Ascii("12")});
    pdev.txtBuf = Concat({b, a, c});

    std::vector<std::size_t> offsets;
    std::vector<int32_t> rows;
    std::size_t offset = 0;
    while (offset < pdev.txtBuf.size()) {
        ExtractedText out;
        offset = ExtractFontInfoFromBuf(pdev, offset, out);
        offsets.push_back(offset);
        rows.push_back(out.y);
        if (offset == 0) break;
    }
    EXPECT_EQ(offsets, (std::vector<std::size_t>{22, 44, 68}));
    EXPECT_EQ(rows, (std::vector<int32_t>{100, 40, 100}));
    ASSERT_TRUE(SortDeviceTextByRow(pdev));
    EXPECT_EQ(Hex(pdev.devTxtBuf), Hex(Concat({a, b, c})));
    EXPECT_EQ(pdev.dwLastTxt_PosY, 0u) << "device lines are not TrueType text";
}

TEST(ExtractFontInfoFromBuf, TrueTypeRecordGivesTheFontDescriptionAndText)
{
    OemPDEV pdev;
    // "Liberation Sans Narrow", 22 units; the face name keeps 16.
    std::vector<uint8_t> face;
    for (char ch : std::string_view("Liberation Sans Narrow")) face.insert(face.end(), {static_cast<uint8_t>(ch), 0});
    face.push_back(0);
    pdev.txtBuf = Concat({Record({.type = 5, .height = 30, .x = 10, .y = 50, .slot1 = face,
                                  .slot2 = Bytes("48 00 69 00 5C D5 00"), .weight = 700, .italic = 1,
                                  .strikeOut = 1, .charSet = 0x81, .pitchAndFamily = 0x22}),
                          Record({.type = 5, .height = 99, .y = 20, .slot1 = Bytes("41 00 00"),
                                  .slot2 = Bytes("41 00 00")}),
                          Record({.type = 5, .height = 12, .y = 60, .slot1 = Bytes("41 00 00"),
                                  .slot2 = Bytes("41 00 00")})});

    ExtractedText out;
    const std::size_t next = ExtractFontInfoFromBuf(pdev, 0, out);
    EXPECT_EQ(next, 21u + face.size() + 7u);
    EXPECT_EQ(out.font.height, -30);
    EXPECT_EQ(out.font.weight, 700);
    EXPECT_TRUE(out.font.italic);
    EXPECT_FALSE(out.font.underline);
    EXPECT_TRUE(out.font.strikeOut);
    EXPECT_EQ(out.font.charSet, 0x81);
    EXPECT_EQ(out.font.pitchAndFamily, 0x22);
    EXPECT_EQ(out.font.faceName, u"Liberation Sans ");
    EXPECT_EQ(out.x, 10);
    EXPECT_EQ(out.y, 50);
    EXPECT_EQ(out.text, u"Hi\uD55C");
    EXPECT_TRUE(pdev.devTxtBuf.empty());
    EXPECT_EQ(pdev.dwLastTxt_PosY, 50u);
    EXPECT_EQ(pdev.dwLastTxt_Height, 30u);

    // A record higher up leaves the last line alone; a lower one replaces it.
    ExtractedText higher;
    const std::size_t third = ExtractFontInfoFromBuf(pdev, next, higher);
    ASSERT_NE(third, 0u);
    EXPECT_EQ(pdev.dwLastTxt_PosY, 50u);
    EXPECT_EQ(pdev.dwLastTxt_Height, 30u);
    ExtractedText lower;
    EXPECT_EQ(ExtractFontInfoFromBuf(pdev, third, lower), pdev.txtBuf.size());
    EXPECT_EQ(pdev.dwLastTxt_PosY, 60u);
    EXPECT_EQ(pdev.dwLastTxt_Height, 12u);
}

TEST(ExtractFontInfoFromBuf, UnknownTypesAndBrokenRecordsStopTheReader)
{
    const auto whole = Record({.type = 1, .y = 7, .slot1 = Ascii("0123456789")});
    const struct {
        const char* name;
        std::vector<uint8_t> buffer;
        std::size_t offset;
    } cases[] = {
        {"type 0", Record({.type = 0, .slot1 = Ascii("a")}), 0},
        {"type 6", Record({.type = 6, .slot1 = Ascii("a")}), 0},
        {"type FF", Record({.type = 0xFF, .slot1 = Ascii("a")}), 0},
        {"slot one cut short", std::vector<uint8_t>(whole.begin(), whole.end() - 5), 0},
        {"header cut short", std::vector<uint8_t>(whole.begin(), whole.begin() + 20), 0},
        {"offset at the end", whole, whole.size()},
        {"offset past the end", whole, whole.size() + 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        OemPDEV pdev;
        pdev.txtBuf = c.buffer;
        // Exactly sized, so that a read past the end shows under the sanitizers.
        pdev.txtBuf.shrink_to_fit();
        ExtractedText out;
        EXPECT_EQ(ExtractFontInfoFromBuf(pdev, c.offset, out), 0u);
        EXPECT_TRUE(pdev.devTxtBuf.empty());
    }
}

TEST(RePositionDevTxt_R180, RowsAreMirroredAndTheOrderReversed)
{
    OemPDEV pdev;
    pdev.devTxtBuf = Concat({Record({.y = 10, .slot1 = Ascii("a")}), Record({.y = 40, .slot1 = Ascii("b")}),
                             Record({.type = 2, .y = 40, .slot1 = Ascii("c"), .slot2 = Ascii("9")})});
    RePositionDevTxt_R180(pdev, 299);
    EXPECT_EQ(Hex(pdev.devTxtBuf),
              Hex(Concat({Record({.type = 2, .y = 259, .slot1 = Ascii("c"), .slot2 = Ascii("9")}),
                          Record({.y = 259, .slot1 = Ascii("b")}), Record({.y = 289, .slot1 = Ascii("a")})})));

    OemPDEV empty;
    RePositionDevTxt_R180(empty, 299);
    EXPECT_TRUE(empty.devTxtBuf.empty());
}

TEST(RePositionDevTxt_R180, WithoutMemoryTheBufferStaysAsItWas)
{
    OemPDEV pdev;
    pdev.devTxtBuf = Concat({Record({.y = 10, .slot1 = Ascii("a")}), Record({.y = 40, .slot1 = Ascii("b")})});
    const auto before = pdev.devTxtBuf;
    test::ArmAllocationFailure(1);
    EXPECT_NO_THROW(RePositionDevTxt_R180(pdev, 299));
    test::DisarmAllocationFailure();
    EXPECT_EQ(Hex(pdev.devTxtBuf), Hex(before));
}

}  // namespace
}  // namespace lt77
