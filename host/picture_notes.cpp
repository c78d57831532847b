#include "host/picture_notes.h"

#include <algorithm>

namespace lt77::host {
namespace {

constexpr uint8_t kFrame = 160;

void Set(RasterPicture& p, uint32_t x, uint32_t y, uint8_t level)
{
    if (x < p.width && y < p.height) p.pixels[static_cast<std::size_t>(y) * p.width + x] = level;
}

// Barcodes and symbols are the printer's to draw; a grey stand-in of about
// their size shows where they go (stripes for bars, a checker for symbols).
void DrawStandIn(RasterPicture& p, const StreamMark& mark)
{
    const bool bars = mark.kind == StreamMark::Kind::Barcode;
    const uint32_t width = bars ? std::max<uint32_t>(40, static_cast<uint32_t>(mark.text.size()) * 22) : mark.rows;
    for (uint32_t y = mark.row; y < mark.row + mark.rows; ++y)
        for (uint32_t x = mark.x; x < mark.x + width; ++x) {
            const uint32_t i = x - mark.x, j = y - mark.row;
            const bool ink = bars ? ((i / 3 + mark.text[(i / 22) % mark.text.size()]) % 3 == 0)
                                  : (((i / 8) + (j / 8)) % 2 == 0);
            Set(p, x, y, ink ? 96 : 255);
        }
}

}  // namespace

void DrawDeviceLines(DecodedStream& decoded, Platform& platform)
{
    RasterPicture& picture = decoded.picture;
    for (const auto& mark : decoded.marks) {
        if (mark.rows == 0) continue;
        if (mark.kind == StreamMark::Kind::Barcode || mark.kind == StreamMark::Kind::Symbol2D) {
            DrawStandIn(picture, mark);
            continue;
        }
        if (mark.kind != StreamMark::Kind::DeviceText) continue;
        // Font A cells are 12 x 24 dots; double-byte characters two cells wide.
        const uint32_t cellHeight = 24u * mark.heightFactor;
        const uint32_t cellWidth = 12u * mark.widthFactor;
        const uint32_t top = mark.row + mark.rows > cellHeight ? mark.row + mark.rows - cellHeight : mark.row;
        const uint32_t width = std::max<uint32_t>(cellWidth, static_cast<uint32_t>(mark.text.size()) * cellWidth);
        for (uint32_t x = mark.x; x < mark.x + width; ++x) {
            Set(picture, x, top, kFrame);
            Set(picture, x, mark.row + mark.rows - 1, kFrame);
        }
        for (uint32_t y = top; y < mark.row + mark.rows; ++y) {
            Set(picture, mark.x, y, kFrame);
            Set(picture, mark.x + width - 1, y, kFrame);
        }
        const std::string bytes(mark.text.begin(), mark.text.end());
        const std::u16string text =
            platform.codePages.ToWide(mark.doubleByte ? 949 : CP_SYSTEM_ANSI, bytes);
        FontDescription font;
        font.height = -static_cast<int32_t>(cellHeight * 5 / 6);
        font.faceName = u"Liberation Mono";
        std::string error;
        const auto mask = platform.text.Render(font, text, error);
        if (!mask) continue;
        for (uint32_t j = 0; j < mask->height; ++j)
            for (uint32_t i = 0; i < mask->width && i < width; ++i)
                if (mask->At(i, j)) Set(picture, mark.x + i, top + j, 0);
    }
}

}  // namespace lt77::host
