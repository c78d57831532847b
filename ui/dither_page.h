// The Dithering page (template "Dithering"): colour mode, halftone,
// brightness, and the sample picture rendered as the printer would.
#pragma once

#include "ui/device_mode_setters.h"
#include "ui/page_context.h"

namespace lt77 {
class CxImage;
}

namespace lt77::ui {

inline constexpr int kBrightnessMin = 0, kBrightnessMax = 20;

struct DitherState {
    int colorRadio = 0;    // 0 "Monochrome", 1 "Greyscale"
    int ditherRadio = 0;   // 0 "None", 1 "Error Diffusion", 2 "Ordered Dither", 3 "4x4 Matrix", 4 "8x8 Matrix"
    bool ditherEnabled = true;  // off while "Greyscale" is chosen
    int brightness = 10;   // track bar 0 ... 20
};

DitherState FillDitherPage(PageContext& context);
void UpdateDitherEnables(DitherState& state);

enum class DitherInput { ColorClicked, DitherClicked /* clickedIndex */, TrackReleased };
bool DitherMarksChanged(const PageContext& context, DitherInput input, int clickedIndex = 0);

// The sample as the page shows it: brightness 100 - 10 x position, contrast
// 0, then in Monochrome the chosen conversion. False when a step failed.
bool RenderDitherSample(CxImage& picture, const DitherState& state);

// Apply: [33], [34], [35], the colour type (colour when greyscale, a
// halftone or a brightness other than 10), then "MISC".
void ApplyDitherPage(const DitherState& state, PageContext& context, DeviceModeSetters& setters);

}  // namespace lt77::ui
