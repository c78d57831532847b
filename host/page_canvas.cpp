#include "host/page_canvas.h"

#include <algorithm>

namespace lt77::host {

PageCanvas::PageCanvas(int32_t widthDots, int32_t heightRows, int bitsPerPixel)
    : width_(std::max(widthDots, 1)), height_(std::max(heightRows, 1)), bits_(bitsPerPixel == 8 ? 8 : 1)
{
    rows_.assign(Stride() * static_cast<std::size_t>(height_), 0xFF);
}

std::size_t PageCanvas::Stride() const
{
    return ((static_cast<std::size_t>(width_) * static_cast<std::size_t>(bits_) + 31) >> 5) * 4;
}

void PageCanvas::Set(int32_t x, int32_t y, uint8_t level)
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    uint8_t* row = rows_.data() + Stride() * static_cast<std::size_t>(y);
    if (bits_ == 8) {
        row[x] = level;
        return;
    }
    // 1-bit bands: index 0 is black, index 1 white.
    const auto mask = static_cast<uint8_t>(0x80 >> (x & 7));
    if (level < 128)
        row[x >> 3] = static_cast<uint8_t>(row[x >> 3] & ~mask);
    else
        row[x >> 3] = static_cast<uint8_t>(row[x >> 3] | mask);
}

uint8_t PageCanvas::Level(int32_t x, int32_t y) const
{
    const uint8_t* row = rows_.data() + Stride() * static_cast<std::size_t>(y);
    if (bits_ == 8) return row[x];
    return (row[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
}

void PageCanvas::FillRect(int32_t left, int32_t top, int32_t right, int32_t bottom, uint8_t level)
{
    for (int32_t y = std::max(top, 0); y < std::min(bottom, height_); ++y)
        for (int32_t x = std::max(left, 0); x < std::min(right, width_); ++x) Set(x, y, level);
}

void PageCanvas::DrawPicture(DeviceContext& dc, int32_t left, int32_t top, int32_t width, int32_t height,
                             const std::vector<uint8_t>& levels)
{
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x);
            if (i < levels.size()) Set(left + x, top + y, levels[i]);
        }
    RECTL dest{left, top, left + width, top + height};
    RECTL src{0, 0, width, height};
    if (auto hook = reinterpret_cast<PFN_DrvStretchBlt>(dc.Hook(INDEX_DrvStretchBlt)))
        hook(&dc.Surface(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &dest, &src, nullptr, 0);
}

bool PageCanvas::SendBands(DeviceContext& dc, int32_t bandRows) const
{
    bandRows = std::max(bandRows, 1);
    const std::size_t stride = Stride();
    // The core's table of the band's indices: a grey ramp for 8-bit bands.
    std::vector<uint8_t> colorTable(bits_ == 8 ? 256 * 4 : 2 * 4, 0);
    for (std::size_t i = 0; i < colorTable.size() / 4; ++i)
        for (std::size_t c = 0; c < 3; ++c)
            colorTable[i * 4 + c] = static_cast<uint8_t>(bits_ == 8 ? i : (i == 0 ? 0 : 255));
    for (int32_t top = 0; top < height_; top += bandRows) {
        const int32_t rows = std::min(bandRows, height_ - top);
        const uint8_t* first = rows_.data() + stride * static_cast<std::size_t>(top);
        std::vector<uint8_t> band(first, first + stride * static_cast<std::size_t>(rows));
        const bool blank = std::all_of(band.begin(), band.end(), [&](uint8_t b) { return b == 0xFF; });
        BITMAPINFOHEADER header{};
        header.biSize = sizeof(header);
        header.biWidth = width_;
        header.biHeight = rows;
        header.biPlanes = 1;
        header.biBitCount = static_cast<WORD>(bits_);
        header.biSizeImage = static_cast<DWORD>(band.size());
        header.biXPelsPerMeter = 7992;  // 203 dots per inch
        header.biYPelsPerMeter = 7992;
        IPPARAMS params{};
        params.dwSize = sizeof(params);
        params.ptOffset = POINTL{0, top};
        params.bBanding = kBoolTrue;
        params.bBlankBand = blank ? kBoolTrue : kBoolFalse;
        BYTE* result = nullptr;
        if (auto hook = reinterpret_cast<PFN_DrvNextBand>(dc.Hook(INDEX_DrvNextBand)); hook != nullptr && top > 0) {
            POINTL origin{0, top};
            hook(&dc.Surface(), &origin);
        }
        const HRESULT hr = dc.Plugin()->ImageProcessing(&dc.DevObj(), band.data(), &header, colorTable.data(),
                                                        bits_ == 8 ? 3 : 1, &params, &result);
        if (hr != hr::kOk) return false;
    }
    return true;
}

}  // namespace lt77::host
