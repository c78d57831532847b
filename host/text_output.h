// Text output as the graphics engine hands it to a printer driver: a string
// object and a font object for every string, through the plug-in's text
// hook; what the hook leaves to the core is drawn into the page canvas.
#pragma once

#include <string>
#include <vector>

#include "host/device_context.h"
#include "host/page_canvas.h"

namespace lt77::host {

struct TextFont {
    std::u16string family = u"Arial";
    bool device = false;     // one of the printer's resident fonts
    // Em height in device dots; 0 takes the font's own: 24 dots a line for
    // TrueType text, 24 times the vertical magnification for resident fonts.
    int32_t heightDots = 0;
    uint16_t weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    uint8_t charSet = 0;
    uint8_t pitchAndFamily = 0;
};

// The resident font names the host's printer description offers, following
// the driver's family-name patterns.
std::vector<std::string> ResidentFontNames();

// Outputs one string with the top of its cell at (x, y). Returns true when
// the plug-in captured it, false when the core drew it into the canvas.
bool OutputText(DeviceContext& dc, PageCanvas& canvas, int32_t x, int32_t y, std::u16string_view text,
                const TextFont& font);

}  // namespace lt77::host
