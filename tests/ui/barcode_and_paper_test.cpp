// The Barcode page with its two dialogs, and the user-defined paper dialog.
#include "ui_fixture.h"

namespace lt77::ui::testing {
namespace {

using BarcodePage = UiTest;

TEST_F(BarcodePage, TypesFollowTheirFontsAndReachApply)
{
    auto info = UiDefaultBarcodeInfo();
    info[0] = 4;  // Code39 in entry 0
    SetData(kBarcodeInfoValue, std::vector<uint8_t>(info.begin(), info.end()));
    BarcodeState s = FillBarcodePage(context_);
    EXPECT_EQ(s.type1dSel, 4);
    ApplyBarcodePage(context_);
    EXPECT_EQ(Data(kBarcodeInfoValue).value()[0], 4);

    Barcode1dTypeSelected(s, context_, 8);
    Barcode1dFontConfirmed(s, context_, 1);
    EXPECT_EQ(s.type1dSel, 1);  // entry 1's own type
    ApplyBarcodePage(context_);
    const auto stored = Data(kBarcodeInfoValue).value();
    EXPECT_EQ(stored[0], 8);
    EXPECT_EQ(stored[5], 1);
    EXPECT_EQ(Data(kCodeDataValue).value().size(), 160u);
}

TEST_F(BarcodePage, ValuesOfTheWrongSizeGiveTheDefaults)
{
    SetData(kBarcodeInfoValue, std::vector<uint8_t>(65, 7));  // the rendering side's longer table
    SetData(kCodeDataValue, std::vector<uint8_t>(20, 7));
    FillBarcodePage(context_);
    EXPECT_EQ(*context_.pBarcodeInfo, UiDefaultBarcodeInfo());
    EXPECT_EQ(*context_.pCodeData, UiDefaultCodeData());
}

TEST_F(BarcodePage, OneDimensionalDialog)
{
    const Entry1d entry{4, 3, 50, 0, 0};
    Barcode1dDialogState s = FillBarcode1dDialog(entry, Barcode1dTexts{});
    EXPECT_FALSE(s.fontRadiosEnabled);
    Barcode1dHriSelected(s, 2);
    EXPECT_TRUE(s.fontRadiosEnabled);
    EXPECT_EQ(Leave1dWidth(u"7", entry), u"3");
    EXPECT_EQ(Leave1dHeight(u"0", entry), u"50");
    EXPECT_EQ(Leave1dHeight(u"256", entry), u"50");
    EXPECT_EQ(Leave1dHeight(u"255", entry), u"255");
    s.widthText = u"6";
    s.heightText = u"120";
    s.fontB = true;
    Entry1d edited = entry;
    OkBarcode1dDialog(s, edited);
    EXPECT_EQ(edited, (Entry1d{4, 6, 120, 2, 1}));
}

TEST_F(BarcodePage, TwoDimensionalDialogWritesDisabledGroupsToo)
{
    FillBarcodePage(context_);
    context_.iCur2dType = 1;  // QR Code chosen for font 0
    Entry2d entry = Barcode2dPropertiesCopy(context_);
    EXPECT_EQ(entry[0], 1);
    Barcode2dDialogState s = FillBarcode2dDialog(entry, Barcode2dTexts{});
    EXPECT_FALSE(s.pdfEnabled);
    EXPECT_TRUE(s.qrEnabled);
    EXPECT_FALSE(s.dmEnabled);
    EXPECT_EQ(s.pdfLevelItems.back(), u"Level 8");
    EXPECT_EQ(Leave2dField(Field2d::QrSize, u"9", entry), u"3");
    EXPECT_EQ(Spin2dField(Field2d::QrSize, 8, 1), 1);
    EXPECT_EQ(Spin2dField(Field2d::Step, 3, -1), 0);
    EXPECT_EQ(Spin2dField(Field2d::Step, 0, -1), 90);
    EXPECT_EQ(Spin2dField(Field2d::Step, 0, 1), 3);
    EXPECT_EQ(Leave2dField(Field2d::Step, u"2", entry), u"0");
    EXPECT_EQ(Leave2dField(Field2d::Step, u"45", entry), u"45");
    s.columnText = u"12";
    s.stepText = u"45";
    s.qrSizeText = u"6";
    s.qrLevelSel = 3;
    OkBarcode2dDialog(s, entry);
    Barcode2dPropertiesOk(context_, entry);
    ApplyBarcodePage(context_);
    const auto codes = Data(kCodeDataValue).value();
    EXPECT_EQ(std::vector<uint8_t>(codes.begin(), codes.begin() + 12),
              (std::vector<uint8_t>{1, 12, 3, 45, 3, 0, 0, 1, 6, 3, 0, 3}));
}

using PaperDialog = UiTest;

class Prompts final : public PaperDialogPrompts {
public:
    std::vector<std::u16string> shown;
    bool answer = false;
    void ShowError(std::u16string_view text, std::u16string_view caption) override
    {
        shown.push_back(std::u16string(caption) + u": " + std::u16string(text));
    }
    bool AskYesNo(std::u16string_view text, std::u16string_view caption) override
    {
        shown.push_back(std::u16string(caption) + u": " + std::u16string(text));
        return answer;
    }
};

TEST(PaperSizes, TenthsConversion)
{
    const std::pair<LONG, const char16_t*> cases[] = {{79999, u"80.0"}, {72150, u"72.2"}, {72050, u"72.0"},
                                                      {25400, u"25.4"}, {3276000, u"3276.0"}};
    for (const auto& [um, text] : cases) EXPECT_EQ(FormatMm(TenthsConversion(um)), text) << um;
    EXPECT_EQ(StoredWidthUm(80.0), 72000);
    EXPECT_EQ(StoredWidthUm(25.4), 22860);
    EXPECT_EQ(StoredLengthUm(25.4), 25400);
}

TEST_F(PaperDialog, SaveShowUpdateAndDelete)
{
    const PaperDialogTexts texts;
    Prompts prompts;
    PaperDialogState s = FillPaperDialog(context_, texts);
    EXPECT_TRUE(s.items.empty());  // the printer's own forms are not the user's
    EXPECT_EQ(s.nameText, u"User-defined paper");
    EXPECT_EQ(s.lengthText, u"3276.0");

    Utility_SaveForm(s, context_, texts, prompts);  // the default name
    s.nameText = std::u16string(26, u'N');
    Utility_SaveForm(s, context_, texts, prompts);
    s.nameText = u"";
    Utility_SaveForm(s, context_, texts, prompts);
    EXPECT_EQ(prompts.shown, std::vector<std::u16string>(3, u"Error: This paper name can not be registered."));

    s.nameText = u"Label";
    s.widthText = u"80.0";
    s.lengthText = u"100.0";
    Utility_SaveForm(s, context_, texts, prompts);
    FormRecord form;
    ASSERT_EQ(SystemFormStore().Get(nullptr, u"Label[LT77]", form), 0u);
    EXPECT_EQ(form.widthUm, 72000);
    EXPECT_EQ(form.lengthUm, 100000);
    EXPECT_EQ(form.right, 72000);
    EXPECT_EQ(form.kind, FORM_KIND_USER);
    EXPECT_EQ(s.items, std::vector<std::u16string>{u"Label"});
    EXPECT_EQ(s.widthText, u"80.0");
    EXPECT_EQ(s.lengthText, u"100.0");

    s.nameText = std::u16string(25, u'L');  // the longest name that fits
    Utility_SaveForm(s, context_, texts, prompts);
    EXPECT_EQ(s.items.size(), 2u);

    PaperSelected(s, context_, 0);
    s.widthText = u"58.0";
    prompts.shown.clear();
    Utility_SaveForm(s, context_, texts, prompts);  // exists: asked, and No
    EXPECT_EQ(prompts.shown, std::vector<std::u16string>{u"Question: Do you want to update the paper size?"});
    ASSERT_EQ(SystemFormStore().Get(nullptr, u"Label[LT77]", form), 0u);
    EXPECT_EQ(form.widthUm, 72000);
    prompts.answer = true;
    Utility_SaveForm(s, context_, texts, prompts);
    ASSERT_EQ(SystemFormStore().Get(nullptr, u"Label[LT77]", form), 0u);
    EXPECT_EQ(form.widthUm, 52200);
    EXPECT_EQ(s.sel, 0);

    // The Layout page lists every kind; the dialog deletes only its own.
    EXPECT_EQ(ListLayoutPapers(context_).size(), 4u);
    Utility_DeleteForm(s, context_, texts);
    EXPECT_NE(SystemFormStore().Get(nullptr, u"Label[LT77]", form), 0u);
    EXPECT_EQ(s.items.size(), 1u);
    s.items = {u"80 x 3276 mm"};
    s.sel = 0;
    Utility_DeleteForm(s, context_, texts);
    EXPECT_EQ(SystemFormStore().Get(nullptr, u"80 x 3276 mm[LT77]", form), 0u);
}

TEST_F(PaperDialog, LayoutSelectsTheRememberedPaperAfterTheDialog)
{
    LayoutState layout = FillLayoutPage(context_, LayoutTexts{});
    layout.paperSel = 1;
    const std::u16string remembered = RememberSelectedPaper(layout, context_);
    EXPECT_EQ(remembered, u"58 x 3276 mm[LT77]");
    FormRecord added{u"Slip[LT77]", FORM_KIND_USER, 72000, 100000, 0, 0, 72000, 100000};
    ASSERT_EQ(SystemFormStore().Add(nullptr, added), 0u);
    AfterPaperDialog(layout, context_, remembered);
    EXPECT_EQ(layout.paperSel, 1);
    EXPECT_EQ(Misc()[IDX_PAPER_SIZE_INDEX], 1);
    AfterPaperDialog(layout, context_, u"Gone[LT77]");
    EXPECT_EQ(layout.paperSel, 0);  // "80 x 3276 mm"
}

}  // namespace
}  // namespace lt77::ui::testing
