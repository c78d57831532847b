#include "ui/nv_image_page.h"

#include "ui/text_numbers.h"

namespace lt77::ui {
namespace {

constexpr std::size_t kListBytes[4] = {IDX_STORED_IMAGE_START_DOC, IDX_STORED_IMAGE_START_PAGE,
                                       IDX_STORED_IMAGE_END_PAGE, IDX_STORED_IMAGE_END_DOC};

}  // namespace

NvImageState FillNvImagePage(PageContext& context, const NvImageTexts& texts)
{
    ReloadSettings(context);
    NvImageState s;
    s.items.push_back(texts.none);
    for (int k = 0; k < 10; ++k) s.items.push_back(texts.nvImage + u" " + IntToText(k));
    for (std::size_t i = 0; i < 4; ++i) {
        const uint8_t v = context.byteValue[kListBytes[i]];
        s.sel[i] = v <= 10 ? v : 0;
    }
    s.commandRadio = context.byteValue[IDX_STORED_IMAGE_FORM] == 1 ? 0 : 1;
    return s;
}

bool NvImageMarksChanged(const PageContext& context, NvImageInput input, int clickedIndex)
{
    if (input == NvImageInput::ListSelected) return true;
    const int stored = context.byteValue[IDX_STORED_IMAGE_FORM] == 1 ? 0 : 1;
    return clickedIndex != stored;
}

void ApplyNvImagePage(const NvImageState& s, PageContext& context)
{
    for (std::size_t i = 0; i < 4; ++i)
        context.byteValue[kListBytes[i]] = static_cast<uint8_t>(s.sel[i] >= 0 && s.sel[i] <= 10 ? s.sel[i] : 0);
    context.byteValue[IDX_STORED_IMAGE_FORM] = s.commandRadio == 0 ? 1 : 0;
    WriteSettings(context);
}

}  // namespace lt77::ui
