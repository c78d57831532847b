// The page as the driver core renders it: a raster the host draws into and
// hands to the plug-in band by band, top first, with the blank-band flag.
#pragma once

#include <cstdint>
#include <vector>

#include "host/device_context.h"

namespace lt77::host {

class PageCanvas {
public:
    // 1 or 8 bits per pixel; the page starts white.
    PageCanvas(int32_t widthDots, int32_t heightRows, int bitsPerPixel);

    // Fills [left, right) x [top, bottom) with a grey level (0 black, 255 white;
    // 1-bit pages print levels below 128).
    void FillRect(int32_t left, int32_t top, int32_t right, int32_t bottom, uint8_t level);
    // Draws a picture given as grey levels (row after row) and records it the
    // way the core does: through the plug-in's stretching hook.
    void DrawPicture(DeviceContext& dc, int32_t left, int32_t top, int32_t width, int32_t height,
                     const std::vector<uint8_t>& levels);

    // Hands the page to ImageProcessing in bands of `bandRows`; returns false
    // when the plug-in refused a band.
    bool SendBands(DeviceContext& dc, int32_t bandRows) const;

    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    int BitsPerPixel() const { return bits_; }
    uint8_t Level(int32_t x, int32_t y) const;

private:
    std::size_t Stride() const;
    void Set(int32_t x, int32_t y, uint8_t level);

    int32_t width_;
    int32_t height_;
    int bits_;
    std::vector<uint8_t> rows_;
};

}  // namespace lt77::host
