// Draws onto a decoded picture what the raster does not show: the lines the
// printer prints in its own resident fonts, in a stand-in monospaced face
// inside a grey frame, so a person can see where they land.
#pragma once

#include "common/raster_decoder.h"
#include "platform/platform.h"

namespace lt77::host {

void DrawDeviceLines(DecodedStream& decoded, Platform& platform);

}  // namespace lt77::host
