// The target's text rasteriser (FreeType with fontconfig on Linux, GDI on
// Windows). Only binaries that draw text link it.
#pragma once

#include "common/text_raster.h"

namespace lt77 {

TextRasterizer& SystemTextRasterizer();

}  // namespace lt77
