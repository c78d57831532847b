// The text hook's decision between capturing a string and leaving it to the
// core, with font and string objects built the way the test host's graphics
// engine hands them over.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "common/utf.h"
#include "platform/posix/posix_platform.h"
#include "platform/posix/queue_store.h"
#include "platform/typed_value.h"
#include "render/module_state.h"
#include "render/text_capture.h"
#include "tests/render/text/text_test_support.h"

namespace lt77 {
namespace {

using test::Hex;

struct HostText {
    posix::HostFont font;
    std::u16string text;
    STROBJ str{};

    HostText(std::u16string_view family, FLONG fontType, std::u16string_view owned, LONG xDots, LONG yDots)
        : text(owned)
    {
        font.fo.flFontType = fontType;
        font.fo.sizLogResPpi = SIZEL{203, 203};
        font.details.familyName = family;
        font.details.weight = 400;
        font.details.unitsPerEm = 2048;
        font.details.m22 = 24.0f / 2048;
        str.cGlyphs = static_cast<ULONG>(text.size());
        str.rclBkGround = RECTL{xDots, yDots, xDots + 80, yDots + 24};
        str.pwszOrg = text.data();
    }
};

class CaptureTextOutTest : public ::testing::Test {
protected:
    void Set(int index, uint8_t value) { pdev.m_UIInfo.byteValue[index] = value; }
    std::optional<BOOL> Capture(HostText& t) { return CaptureTextOut(pdev, &t.str, &t.font.fo); }

    OemPDEV pdev{.m_UIInfo = test::DefaultUIInfo()};
};

TEST_F(CaptureTextOutTest, ResidentFontLineBecomesAFontRecord)
{
    HostText t(u"FontA1x1", FO_TYPE_DEVICE, u"Hi", 300, 40);
    ASSERT_EQ(Capture(t), std::optional<BOOL>(kBoolFalse));
    EXPECT_EQ(Hex(pdev.txtBuf), "01 18 00 00 00 00 90 01 00 00 00 00 00 2C 01 28 00 0E 00 05 00 "
                                "1B 74 10 08 4D 00 41 1D 21 00 1B 24 2C 01 48 69 1B 4A 18");
}

TEST_F(CaptureTextOutTest, TrueTypeIsCapturedOnlyWhenReduced)
{
    const struct {
        const char* name;
        uint8_t reductionOn, rate, customPercent;
        bool captured;
        uint8_t percentAfter;
    } cases[] = {
        {"no reduction", 0, 2, 50, false, 50},
        {"reduction on, rate 1", 1, 0, 50, false, 50},
        {"0.75", 1, 1, 50, true, 50},
        {"0.5", 1, 2, 50, true, 50},
        {"0.25", 1, 3, 50, true, 50},
        {"custom 5 percent, clamped to 10", 1, 4, 5, true, 10},
        {"custom 150 percent, clamped to 100", 1, 4, 150, false, 100},
        {"custom 100 percent", 1, 4, 100, false, 100},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        pdev.txtBuf.clear();
        Set(IDX_REDUCTION_ON, c.reductionOn);
        Set(IDX_REDUCTION_RATE, c.rate);
        Set(IDX_REDUCTION_CUSTOM, c.customPercent);
        HostText t(u"Ab", FO_TYPE_TRUETYPE, u"Hi", 10, 20);
        const auto answer = Capture(t);
        EXPECT_EQ(pdev.m_UIInfo.byteValue[IDX_REDUCTION_CUSTOM], c.percentAfter);
        if (!c.captured) {
            EXPECT_FALSE(answer.has_value());
            EXPECT_TRUE(pdev.txtBuf.empty());
            continue;
        }
        EXPECT_EQ(answer, std::optional<BOOL>(kBoolFalse));
        EXPECT_EQ(Hex(pdev.txtBuf), "05 18 00 00 00 00 90 01 00 00 00 00 00 0A 00 14 00 05 00 05 00 "
                                    "41 00 62 00 00 48 00 69 00 00");
    }
}

TEST_F(CaptureTextOutTest, DeviceLinesThatCannotPrintAsCommandsBecomeTrueTypeRecords)
{
    const struct {
        const char* name;
        int index;
        uint8_t value;
    } cases[] = {
        {"preview", IDX_PREVIEW_ON, 1},
        {"rotation", IDX_ROTATION, 2},
        {"reduction", IDX_REDUCTION_RATE, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        pdev = OemPDEV{.m_UIInfo = test::DefaultUIInfo()};
        Set(IDX_REDUCTION_ON, 1);
        Set(IDX_REDUCTION_RATE, 0);
        Set(c.index, c.value);
        HostText t(u"Korean1x1", FO_TYPE_DEVICE, u"\uD55C", 1, 2);
        ASSERT_EQ(Capture(t), std::optional<BOOL>(kBoolFalse));
        // Slot 1 the family name, slot 2 the text, both UTF-16 and not converted.
        EXPECT_EQ(Hex(pdev.txtBuf), "05 18 00 00 00 00 90 01 00 00 00 00 00 01 00 02 00 13 00 03 00 "
                                    "4B 00 6F 00 72 00 65 00 61 00 6E 00 31 00 78 00 31 00 00 5C D5 00");
    }
}

TEST_F(CaptureTextOutTest, RedrawnLineWithTextKeysKeepsWhatItsCodePageLacks)
{
    test::TempHostRoot root;
    posix::CoreQueueHandle queue;
    std::strcpy(queue.queue, "LT-77");
    // One definition as the text-key utility writes it: UTF-16 text.
    const auto define = [](std::u16string_view key, std::u16string_view alternate) {
        posix::StoreFile store;
        store.Set("PrinterData\\TextKeyFunction", "NumTextKey", EncodeTypedValue({REG_BINARY_TYPE, {1}}));
        const std::u16string definition = std::u16string(key) + u"\t_NULL_\t" + std::u16string(alternate) + u"\t_NULL_";
        store.Set("PrinterData\\TextKeyFunction", "TextKey00",
                  EncodeTypedValue({REG_BINARY_TYPE, Utf16ToBytes(definition, true)}));
        std::filesystem::create_directories(posix::QueueFolder("LT-77"));
        ASSERT_TRUE(store.Save(posix::PrinterFile("LT-77")));
    };
    const auto capture = [&](std::u16string_view text) {
        pdev = OemPDEV{.m_UIInfo = test::DefaultUIInfo()};
        pdev.hPrinter = &queue;
        Set(IDX_TEXT_KEY_ON, 1);
        Set(IDX_PREVIEW_ON, 1);
        HostText t(u"FontA1x1", FO_TYPE_DEVICE, text, 1, 2);
        EXPECT_EQ(Capture(t), std::optional<BOOL>(kBoolFalse));
    };

    // Neither sigma nor omega is in code page 1252.
    define(u"#T#", u"\u03A3:");
    capture(u"#T# \u03A9");
    EXPECT_EQ(Hex(pdev.txtBuf), "05 18 00 00 00 00 90 01 00 00 00 00 00 01 00 02 00 11 00 09 00 "
                                "46 00 6F 00 6E 00 74 00 41 00 31 00 78 00 31 00 00 A3 03 3A 00 20 00 A9 03 00");

    // Replacements stop before the UTF-16 text outgrows the record: the line
    // keeps one (20,000 units and the second "a"), where it used to be dropped.
    define(u"a", std::u16string(20000, u'b'));
    capture(u"aa");
    ASSERT_EQ(pdev.txtBuf.size(), 21u + 17u + 40003u);
    EXPECT_EQ(Hex(std::span(pdev.txtBuf).subspan(17, 4)), "11 00 43 9C");
    EXPECT_EQ(Hex(std::span(pdev.txtBuf).last(7)), "62 00 62 00 61 00 00");
}

TEST_F(CaptureTextOutTest, DeviceCaptureClampsTheCustomPercentToTwentyFive)
{
    Set(IDX_REDUCTION_ON, 1);
    Set(IDX_REDUCTION_RATE, 4);
    for (const uint8_t percent : {0, 5, 10, 24}) {
        SCOPED_TRACE(static_cast<int>(percent));
        Set(IDX_REDUCTION_CUSTOM, percent);
        HostText t(u"FontA1x1", FO_TYPE_DEVICE, u"A", 0, 0);
        EXPECT_EQ(Capture(t), std::optional<BOOL>(kBoolFalse));
        EXPECT_EQ(pdev.m_UIInfo.byteValue[IDX_REDUCTION_CUSTOM], 25);
    }
}

TEST_F(CaptureTextOutTest, LeftToTheCore)
{
    const struct {
        const char* name;
        const char16_t* family;
        FLONG fontType;
        int index;
        bool withText;
    } cases[] = {
        {"landscape, device font", u"FontA1x1", FO_TYPE_DEVICE, IDX_LANDSCAPE, true},
        {"landscape, TrueType font", u"Arial", FO_TYPE_TRUETYPE, IDX_LANDSCAPE, true},
        {"device font without UTF-16 text", u"FontA1x1", FO_TYPE_DEVICE, -1, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        pdev = OemPDEV{.m_UIInfo = test::DefaultUIInfo()};
        Set(IDX_REDUCTION_ON, 1);
        Set(IDX_REDUCTION_RATE, 2);
        if (c.index >= 0) Set(c.index, 1);
        HostText t(c.family, c.fontType, u"Hi", 0, 0);
        if (!c.withText) t.str.pwszOrg = nullptr;
        EXPECT_FALSE(Capture(t).has_value());
        EXPECT_TRUE(pdev.txtBuf.empty());
    }
}

TEST_F(CaptureTextOutTest, MissingObjectsAreAnsweredWithoutCapture)
{
    HostText t(u"FontA1x1", FO_TYPE_DEVICE, u"Hi", 0, 0);
    EXPECT_EQ(CaptureTextOut(pdev, nullptr, &t.font.fo), std::optional<BOOL>(kBoolFalse));
    EXPECT_EQ(CaptureTextOut(pdev, &t.str, nullptr), std::optional<BOOL>(kBoolFalse));
    EXPECT_TRUE(pdev.txtBuf.empty());
}

TEST_F(CaptureTextOutTest, EmptyDeviceStringIsTakenButNotRecorded)
{
    HostText t(u"FontA1x1", FO_TYPE_DEVICE, u"", 0, 0);
    EXPECT_EQ(Capture(t), std::optional<BOOL>(kBoolFalse));
    EXPECT_TRUE(pdev.txtBuf.empty());
}

TEST_F(CaptureTextOutTest, TextClearsThePendingPictureRectangle)
{
    g_pendingRect = PendingRect{1, 2, 3, 4};
    HostText t(u"Arial", FO_TYPE_TRUETYPE, u"Hi", 0, 0);
    EXPECT_FALSE(Capture(t).has_value());
    EXPECT_FALSE(g_pendingRect.IsSet());
}

}  // namespace
}  // namespace lt77
