// The images the printer keeps in its non-volatile memory: bit images by
// number (1 ... 255, printed with FS p) and graphics by a two-character key
// (printed with GS ( L). They outlive a job: the virtual printer holds one
// store for its whole run.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "common/raster_decoder.h"

namespace lt77::printer {

struct NvImage {
    uint32_t width = 0;   // dots
    uint32_t height = 0;  // dots
    std::vector<uint8_t> bits;  // rows of (width + 7) / 8 bytes, bit 7 the leftmost dot, 1 ink

    uint32_t BytesPerRow() const { return (width + 7) / 8; }
    bool At(uint32_t x, uint32_t y) const
    {
        return (bits[static_cast<std::size_t>(y) * BytesPerRow() + x / 8] >> (7 - x % 8)) & 1;
    }
};

// Dots darker than mid-grey print.
NvImage NvImageFromPicture(const RasterPicture& picture);

class NvImages {
public:
    // The printer's whole non-volatile image memory.
    static constexpr std::size_t kCapacityBytes = 4u << 20;

    // FS q defines all bit images at once, the old ones gone; false when
    // they do not fit the memory (nothing changes then).
    bool DefineBitImages(std::vector<NvImage> images);
    bool DefineBitImage(uint8_t number, NvImage image);
    const NvImage* BitImage(uint8_t number) const;

    bool DefineGraphic(const std::string& key, NvImage image);
    const NvImage* Graphic(const std::string& key) const;
    void EraseGraphics() { graphics_.clear(); }
    void EraseGraphic(const std::string& key) { graphics_.erase(key); }

private:
    std::size_t UsedBytes() const;

    std::map<uint8_t, NvImage> bitImages_;
    std::map<std::string, NvImage> graphics_;
};

}  // namespace lt77::printer
