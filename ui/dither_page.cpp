#include "ui/dither_page.h"

#include <algorithm>

#include "common/ximage/ximage.h"

namespace lt77::ui {

DitherState FillDitherPage(PageContext& context)
{
    ReloadSettings(context);
    const auto& b = context.byteValue;
    DitherState s;
    s.colorRadio = b[IDX_GREYSCALE] == 1 ? 1 : 0;
    s.ditherRadio = b[IDX_HALFTONE] <= 4 ? b[IDX_HALFTONE] : 0;
    s.brightness = std::min<int>(b[IDX_BRIGHTNESS], kBrightnessMax);
    UpdateDitherEnables(s);
    return s;
}

void UpdateDitherEnables(DitherState& s) { s.ditherEnabled = s.colorRadio == 0; }

bool DitherMarksChanged(const PageContext& context, DitherInput input, int clickedIndex)
{
    switch (input) {
    case DitherInput::ColorClicked: return clickedIndex != (context.byteValue[IDX_GREYSCALE] == 1 ? 1 : 0);
    case DitherInput::DitherClicked: return clickedIndex != context.byteValue[IDX_HALFTONE];
    case DitherInput::TrackReleased: return true;
    }
    return true;
}

bool RenderDitherSample(CxImage& picture, const DitherState& s)
{
    if (!picture.AdjustBrightness(100 - 10 * s.brightness, 0)) return false;
    if (s.colorRadio == 1) return true;
    static constexpr int32_t kMethods[5] = {-1, 0, 1, 7, 8};
    const int choice = std::clamp(s.ditherRadio, 0, 4);
    if (choice == 0) return picture.DecreaseBpp(1, false, {}, 2);
    return picture.Dither(kMethods[choice]);
}

void ApplyDitherPage(const DitherState& s, PageContext& context, DeviceModeSetters& setters)
{
    auto& b = context.byteValue;
    b[IDX_GREYSCALE] = s.colorRadio == 1 ? 1 : 0;
    b[IDX_HALFTONE] = static_cast<uint8_t>(std::clamp(s.ditherRadio, 0, 4));
    b[IDX_BRIGHTNESS] = static_cast<uint8_t>(std::clamp(s.brightness, kBrightnessMin, kBrightnessMax));
    const bool colour = b[IDX_GREYSCALE] == 1 || b[IDX_HALFTONE] != 0 || b[IDX_BRIGHTNESS] != 10;
    setters.SetColorType(context, colour ? 2 : 1);
    WriteSettings(context);
}

}  // namespace lt77::ui
