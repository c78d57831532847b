// Graphics-engine services the rendering plug-in calls itself. On Windows
// they are resolved at run time, because not every gdi32 exports them.
#pragma once

#include <array>
#include <optional>

#include "platform/oem/ddi.h"

namespace lt77 {

struct PaletteEntry {
    BYTE red, green, blue, flags;
};

class GraphicsEngine {
public:
    virtual ~GraphicsEngine() = default;
    // A palette in blue-green-red mode (the one a 24-bit device gets). Null on failure.
    virtual HPALETTE CreateBgrPalette() = 0;
    // The 256 entries of an indexed device palette; null when unavailable.
    virtual std::optional<std::array<PaletteEntry, 256>> ReadPalette(HPALETTE palette) = 0;
};

}  // namespace lt77
