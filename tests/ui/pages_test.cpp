// The pages' input rules and what Apply stores, through the page logic a
// dialog procedure calls.
#include "ui_fixture.h"

namespace lt77::ui::testing {
namespace {

using Pages = UiTest;

TEST(PageRules, EditsAndSpins)
{
    struct Leave {
        std::u16string (*rule)(std::u16string_view);
        const char16_t* typed;
        const char16_t* shown;
    };
    const Leave leaves[] = {
        {LeaveCopiesEdit, u"0", u"1"},   {LeaveCopiesEdit, u"300", u"255"}, {LeaveCopiesEdit, u"x", u"1"},
        {LeaveCopiesEdit, u"17", u"17"}, {LeaveCropEdit, u"-3", u"0"},      {LeaveCropEdit, u"256", u"255"},
        {LeaveCropEdit, u"255", u"255"}, {LeaveRateEdit, u"12", u"25"},     {LeaveRateEdit, u"101", u"100"},
        {LeavePaperWidth, u"300", u"210.0"}, {LeavePaperWidth, u"10", u"25.4"}, {LeavePaperWidth, u"abc", u"25.4"},
        {LeavePaperLength, u"5000", u"3276.0"}, {LeavePaperLength, u"100.04", u"100.0"},
    };
    for (const auto& l : leaves) EXPECT_EQ(l.rule(l.typed), l.shown) << Utf16ToUtf8(l.typed);

    struct Spin {
        int (*rule)(int, int);
        int from;
        int delta;
        int to;
    };
    const Spin spins[] = {
        {SpinCopies, 255, 1, 1}, {SpinCopies, 1, -1, 255}, {SpinCrop, 255, 1, 255}, {SpinCrop, 0, -1, 0},
        {SpinLineFeeds, 99, 1, 0}, {SpinLineFeeds, 0, -1, 0}, {SpinPulseMs, 250, 1, 250}, {SpinPulseMs, 50, -1, 50},
        {Spin1dWidth, 6, 1, 2},  {Spin1dHeight, 1, -1, 255},
    };
    for (const auto& s : spins) EXPECT_EQ(s.rule(s.from, s.delta), s.to) << s.from << " " << s.delta;
    EXPECT_EQ(SpinPaperWidth(u"210.0", 1), u"210.0");
    EXPECT_EQ(SpinPaperWidth(u"80.0", -1), u"79.9");
}

TEST(PageRules, LanguageTable)
{
    struct Case {
        WORD system;
        uint8_t index;
        std::optional<WORD> switchedTo;  // for index 5
    };
    const Case cases[] = {
        {0x0409, 0, std::nullopt}, {0x0407, 1, std::nullopt}, {0x040C, 2, std::nullopt}, {0x0C0A, 3, std::nullopt},
        {0x0410, 4, std::nullopt}, {0x0412, 5, 0x0412},       {0x0804, 5, 0x0804},       {0x0404, 5, 0x0404},
        {0x0C04, 5, 0x0404},       {0x0415, 5, 0x0415},       {0x0419, 5, 0x0419},       {0x040E, 5, 0x040E},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.system);
        EXPECT_EQ(LanguageIndexOf(c.system), c.index);
        const auto s = LanguageSwitchFor(5, c.system);
        EXPECT_EQ(s ? std::optional<WORD>(MakeLanguageId(s->primary, s->sub)) : std::nullopt, c.switchedTo);
    }
    EXPECT_EQ(MakeLanguageId(LanguageSwitchFor(9, 0x0412)->primary, 1), 0x0409);  // unknown index: English
    EXPECT_EQ(MakeLanguageId(LanguageSwitchFor(2, 0x0412)->primary, LanguageSwitchFor(2, 0x0412)->sub), 0x040C);
}

TEST_F(Pages, LanguageListHasTheSystemsOwnOnlyWhereItIsOne)
{
    context_.uiLanguage = 0x0409;
    EXPECT_EQ(FillLanguagePage(context_, LanguageTexts{}).items.size(), 5u);
    context_.uiLanguage = 0x0415;
    const auto polish = FillLanguagePage(context_, LanguageTexts{});
    ASSERT_EQ(polish.items.size(), 6u);
    EXPECT_EQ(polish.items[5], u"Polski");
    EXPECT_EQ(polish.sel, 5);  // nothing stored: the system's language
    context_.uiLanguage = 0x0804;
    EXPECT_EQ(FillLanguagePage(context_, LanguageTexts{}).items[5], u"\u7b80\u4f53\u4e2d\u6587");
}

TEST_F(Pages, LayoutApply)
{
    SetMiscByte(IDX_REDUCTION_CUSTOM, 60);
    LayoutState s = FillLayoutPage(context_, LayoutTexts{});
    EXPECT_EQ(s.paperItems, (std::vector<std::u16string>{u"80 x 3276 mm", u"58 x 3276 mm"}));
    EXPECT_EQ(s.copiesText, u"1");
    s.rateSel = 2;
    s.rateText = u"12";
    s.copiesText = u"1";  // as stored: no device-mode write
    ApplyLayoutPage(s, context_, SpoolerDeviceModeSetters());
    EXPECT_EQ(Misc()[IDX_REDUCTION_CUSTOM], 60);  // not the user-defined rate
    EXPECT_EQ(setup_.sets, 0);                   // nothing differed from the device mode

    setup_.sets = 0;
    s = FillLayoutPage(context_, LayoutTexts{});
    s.rateSel = 4;
    s.rateText = u"12";
    s.copiesText = u"7";
    s.orientation = 1;
    s.paperSel = 1;
    ApplyLayoutPage(s, context_, SpoolerDeviceModeSetters());
    const auto misc = Misc();
    EXPECT_EQ(misc[IDX_REDUCTION_CUSTOM], 25);
    EXPECT_EQ(misc[IDX_JOURNAL_COPIES], 7);
    EXPECT_EQ(misc[IDX_LANDSCAPE], 1);
    EXPECT_EQ(misc[IDX_PAPER_SIZE_INDEX], 1);
    const auto dm = DevMode();
    EXPECT_EQ(dm.copies, 7);
    EXPECT_EQ(dm.orientation, 2);
    EXPECT_EQ(dm.formName, u"58 x 3276 mm[LT77]");
    EXPECT_EQ(dm.paperWidth, 580);
    EXPECT_EQ(host::QueueSetting(kQueue, "Orientation"), std::optional<std::string>("LANDSCAPE_CC270"));

    // The spooler refuses: each setter is tried twice and its byte is kept.
    setup_.failSets = syserr::kAccessDenied;
    setup_.sets = 0;
    s = FillLayoutPage(context_, LayoutTexts{});
    s.copiesText = u"9";
    ApplyLayoutPage(s, context_, SpoolerDeviceModeSetters());
    EXPECT_EQ(Misc()[IDX_JOURNAL_COPIES], 7);
    EXPECT_EQ(setup_.sets, 4);  // twice, each on the sheet's handle and on a fresh one
}

TEST_F(Pages, LayoutMarksChangedOnlyForRadiosThatDiffer)
{
    SetMiscByte(IDX_ROTATION, 2);
    FillLayoutPage(context_, LayoutTexts{});
    EXPECT_FALSE(LayoutMarksChanged(context_, LayoutInput::RotationClicked, 2));
    EXPECT_TRUE(LayoutMarksChanged(context_, LayoutInput::RotationClicked, 1));
    EXPECT_FALSE(LayoutMarksChanged(context_, LayoutInput::OrientationClicked, 0));
    EXPECT_TRUE(LayoutMarksChanged(context_, LayoutInput::PaperTypeOpened));
}

TEST_F(Pages, DocumentSettingsPulsesCommandsAndCut)
{
    SetMiscByte(IDX_DRAWER1_AFTER_PULSE, 200);
    SetData(kStartDocValue, {0x1B, 0x70, 0x00, 0x19, 0xFA});
    SetData(kEndDocValue, std::vector<uint8_t>(300, 0x41));  // longer than a command may be
    DocumentState s = FillDocumentPage(context_);
    EXPECT_EQ(s.drawers[DRAWER_AFTER_1].pulseText, u"50");  // 200 is out of range: 25
    EXPECT_EQ(s.startDoc, u"<1B>p<0019FA>");
    EXPECT_EQ(s.endDoc, u"");
    EXPECT_EQ(s.cutRadio, 1);
    EXPECT_FALSE(s.drawers[DRAWER_AFTER_1].enabled);

    s.drawers[DRAWER_AFTER_1].checked = true;
    s.drawers[DRAWER_AFTER_1].pulseText = u"300";
    s.startDoc = u"";
    s.endPage = u"AB<1b 4a 00>";
    s.cutRadio = -1;
    ApplyDocumentPage(s, context_);
    const auto misc = Misc();
    EXPECT_EQ(misc[IDX_DRAWER1_AFTER], 1);
    EXPECT_EQ(misc[IDX_DRAWER1_AFTER_PULSE], 22);  // 300's low byte, halved
    EXPECT_EQ(misc[IDX_CUT_MODE], 1);
    EXPECT_EQ(misc[IDX_BUZZER_START], 0);
    EXPECT_EQ(Data(kStartDocValue), std::vector<uint8_t>{});
    EXPECT_EQ(Data(kEndPageValue), (std::vector<uint8_t>{0x41, 0x42, 0x1B, 0x4A, 0x00}));
    EXPECT_EQ(Data(kEndDocValue), std::vector<uint8_t>{});
}

TEST_F(Pages, DitheringColourFlag)
{
    struct Case {
        int color, dither, brightness;
        int16_t devModeColor;
    };
    const Case cases[] = {{1, 0, 10, 2}, {0, 0, 10, 1}, {0, 3, 10, 2}, {0, 0, 11, 2}};
    for (const auto& c : cases) {
        DitherState s = FillDitherPage(context_);
        s.colorRadio = c.color;
        s.ditherRadio = c.dither;
        s.brightness = c.brightness;
        ApplyDitherPage(s, context_, SpoolerDeviceModeSetters());
        EXPECT_EQ(DevMode().color, c.devModeColor) << c.color << c.dither << c.brightness;
        EXPECT_EQ(Misc()[IDX_BRIGHTNESS], c.brightness);
    }
}

TEST_F(Pages, UtilityStartsTheProgramsAsTheButtonsSay)
{
    struct Case {
        UtilityButton button;
        const char* file;
        const char16_t* parameters;
        bool elevated;
    };
    const Case cases[] = {{UtilityButton::PosUtility, "Rezezar OVO Doverev", u"UiQ,", false},
                          {UtilityButton::JournalViewer, "JnlViewer", u"UiQ", false},
                          {UtilityButton::ControlCodeEditor, "ZozaRurodirA", u"UiQ,", true},
                          {UtilityButton::TextKeySetup, "TextKeyFunction", u"UiQ,", true}};
    for (const auto& c : cases) {
        const ProgramStart start = UtilityProgramFor(c.button, context_);
        EXPECT_EQ(start.file, c.file);
        EXPECT_EQ(start.parameters, c.parameters);
        EXPECT_EQ(start.elevated, c.elevated);
        EXPECT_EQ(start.folder, "C:\\Windows\\LT-77");
    }
    system_.osMajorVersion = 5;
    EXPECT_EQ(UtilityProgramFor(UtilityButton::ControlCodeEditor, context_).parameters, u"UiQ");
}

}  // namespace
}  // namespace lt77::ui::testing
