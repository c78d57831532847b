#include "ui/layout_page.h"

#include <algorithm>

#include "platform/form_store.h"
#include "ui/text_numbers.h"

namespace lt77::ui {
namespace {

int IndexOf(const std::vector<std::u16string>& items, std::u16string_view name)
{
    const auto it = std::find(items.begin(), items.end(), name);
    return it == items.end() ? 0 : static_cast<int>(it - items.begin());
}

}  // namespace

std::vector<std::u16string> ListLayoutPapers(PageContext& context)
{
    std::vector<std::u16string> items;
    std::vector<FormRecord> forms;
    if (context.Sys().forms.Enumerate(context.hPrinter, forms) != 0) return items;
    for (const auto& form : forms)
        if (form.name.find(context.paperSuffix) != std::u16string::npos)
            items.push_back(form.name.substr(0, form.name.find(u'[')));
    return items;
}

LayoutState FillLayoutPage(PageContext& context, const LayoutTexts& texts)
{
    ReloadSettings(context);
    const auto& b = context.byteValue;
    LayoutState s;
    s.paperItems = ListLayoutPapers(context);
    if (context.dwMiscReadResult != 0)
        s.paperSel = s.paperItems.empty() ? -1 : IndexOf(s.paperItems, kDefaultPaperName);
    else
        s.paperSel = b[IDX_PAPER_SIZE_INDEX] < s.paperItems.size() ? b[IDX_PAPER_SIZE_INDEX] : -1;
    s.paperTypeItems = {texts.receipt, texts.ticket};
    s.paperTypeSel = b[IDX_PAPER_TYPE] == 1 ? 1 : 0;
    s.copiesText = IntToText(b[IDX_JOURNAL_COPIES]);
    s.orientation = b[IDX_LANDSCAPE] == 1 ? 1 : 0;
    s.rotation = b[IDX_ROTATION] <= 3 ? b[IDX_ROTATION] : 0;
    s.reduction = b[IDX_REDUCTION_ON] != 0;
    s.rateItems = {u"100%", u"75%", u"50%", u"25%", texts.userDefined};
    s.rateSel = b[IDX_REDUCTION_RATE] <= 4 ? b[IDX_REDUCTION_RATE] : 0;
    s.rateText = IntToText(b[IDX_REDUCTION_CUSTOM]);
    s.barcodeReduction = b[IDX_REDUCE_BARCODES] != 0 ? 1 : 0;
    s.topCrop = b[IDX_TOP_CROP_ON] != 0;
    s.topCropText = IntToText(b[IDX_TOP_CROP_ROWS]);
    s.bottomCrop = b[IDX_BOTTOM_CROP_ON] != 0;
    s.bottomCropText = IntToText(b[IDX_BOTTOM_CROP_ROWS]);
    UpdateLayoutEnables(s);
    return s;
}

void UpdateLayoutEnables(LayoutState& s)
{
    s.rateListEnabled = s.reduction;
    s.barcodeRadiosEnabled = s.reduction;
    s.rateEditEnabled = s.reduction && s.rateSel == 4;
    s.topCropEditEnabled = s.topCrop;
    s.bottomCropEditEnabled = s.bottomCrop;
}

std::u16string LeaveCopiesEdit(std::u16string_view text)
{
    const int v = TextToInt(text);
    if (v <= 0) return u"1";
    if (v >= 256) return u"255";
    return std::u16string(text);
}

std::u16string LeaveCropEdit(std::u16string_view text)
{
    const int v = TextToInt(text);
    if (v < 0) return u"0";
    if (v >= 256) return u"255";
    return std::u16string(text);
}

std::u16string LeaveRateEdit(std::u16string_view text)
{
    const int v = TextToInt(text);
    if (v < 25) return u"25";
    if (v > 100) return u"100";
    return std::u16string(text);
}

int SpinCopies(int value, int delta)
{
    const int next = value + delta;
    if (next < 1) return 255;
    if (next > 255) return 1;
    return next;
}

int SpinCrop(int value, int delta) { return std::clamp(value + delta, 0, 255); }

bool LayoutMarksChanged(const PageContext& context, LayoutInput input, int clickedIndex)
{
    switch (input) {
    case LayoutInput::OrientationClicked: return clickedIndex != context.byteValue[IDX_LANDSCAPE];
    case LayoutInput::RotationClicked: return clickedIndex != context.byteValue[IDX_ROTATION];
    default: return true;
    }
}

void ApplyLayoutPage(const LayoutState& s, PageContext& context, DeviceModeSetters& setters)
{
    auto& b = context.byteValue;
    const auto twice = [](auto&& call) { return call() != 0 || call() != 0; };

    const int copies = std::clamp(TextToInt(s.copiesText), 1, 255);
    if (twice([&] { return setters.SetCopyCount(context, copies); })) b[IDX_JOURNAL_COPIES] = static_cast<uint8_t>(copies);

    b[IDX_ROTATION] = static_cast<uint8_t>(std::clamp(s.rotation, 0, 3));

    b[IDX_TOP_CROP_ON] = s.topCrop ? 1 : 0;
    b[IDX_TOP_CROP_ROWS] = static_cast<uint8_t>(std::clamp(TextToInt(s.topCropText), 0, 255));
    b[IDX_BOTTOM_CROP_ON] = s.bottomCrop ? 1 : 0;
    b[IDX_BOTTOM_CROP_ROWS] = static_cast<uint8_t>(std::clamp(TextToInt(s.bottomCropText), 0, 255));

    const int paperType = s.paperTypeSel == 0 ? 0 : 1;
    if (twice([&] { return setters.SetPaperType(context, paperType); }))
        b[IDX_PAPER_TYPE] = static_cast<uint8_t>(paperType);

    // No selection keeps the stored index; it is also what a second try uses.
    if (s.paperSel >= 0) b[IDX_PAPER_SIZE_INDEX] = static_cast<uint8_t>(s.paperSel);
    if (!setters.SetPaperSize(context, s.paperItems, s.paperSel))
        setters.SetPaperSize(context, s.paperItems, b[IDX_PAPER_SIZE_INDEX]);

    b[IDX_REDUCTION_ON] = s.reduction ? 1 : 0;
    b[IDX_REDUCE_BARCODES] = s.barcodeReduction == 0 ? 0 : 1;
    b[IDX_REDUCTION_RATE] = static_cast<uint8_t>(std::clamp(s.rateSel, 0, 4));
    if (s.rateSel == 4) b[IDX_REDUCTION_CUSTOM] = static_cast<uint8_t>(std::clamp(TextToInt(s.rateText), 25, 100));

    const int landscape = s.orientation == 1 ? 1 : 0;
    if (twice([&] { return setters.SetOrientation(context, landscape); }))
        b[IDX_LANDSCAPE] = static_cast<uint8_t>(landscape);

    WriteSettings(context);
}

std::u16string RememberSelectedPaper(const LayoutState& s, const PageContext& context)
{
    if (s.paperSel < 0 || static_cast<std::size_t>(s.paperSel) >= s.paperItems.size()) return {};
    return s.paperItems[static_cast<std::size_t>(s.paperSel)] + context.paperSuffix;
}

void AfterPaperDialog(LayoutState& s, PageContext& context, std::u16string_view rememberedForm)
{
    s.paperItems = ListLayoutPapers(context);
    std::u16string name = kDefaultPaperName;
    if (!rememberedForm.empty()) {
        FormRecord form;
        if (context.Sys().forms.Get(context.hPrinter, rememberedForm, form) == 0)
            name = std::u16string(rememberedForm.substr(0, rememberedForm.size() - context.paperSuffix.size()));
    }
    const int index = IndexOf(s.paperItems, name);
    context.byteValue[IDX_PAPER_SIZE_INDEX] = static_cast<uint8_t>(index);
    s.paperSel = s.paperItems.empty() ? -1 : index;
    WriteSettings(context);
}

}  // namespace lt77::ui
