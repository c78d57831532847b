// Building an image, its palette, resolution and colour matching.
#include "common/ximage/ximage.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <utility>

#include "common/ximage/ximage_internal.h"

namespace lt77 {

using namespace ximage_detail;

namespace {

// floor(dpi × 10000 / 254 + 0.5) in exact integer arithmetic; dpi > 0.
int32_t PelsPerMeterOf(int32_t dpi)
{
    return static_cast<int32_t>((int64_t{dpi} * 10000 + 127) / 254);
}

// floor(ppm × 254 / 10000 + 0.5) in exact integer arithmetic; headers from
// outside may carry negative resolutions, hence the floor division.
int32_t DpiOf(int32_t pelsPerMeter)
{
    const int64_t numerator = int64_t{pelsPerMeter} * 254 + 5000;
    int64_t quotient = numerator / 10000;
    if (numerator % 10000 != 0 && numerator < 0) {
        --quotient;
    }
    return static_cast<int32_t>(quotient);
}

constexpr size_t MAX_ERROR_CHARS = 255;

}  // namespace

CxImage::Raster::Raster(Raster&& other) noexcept
    : head(std::exchange(other.head, BitmapInfoHeader{})),
      dwStride(std::exchange(other.dwStride, 0u)),
      palette(std::move(other.palette)),
      bits(std::move(other.bits))
{
    other.palette.clear();
    other.bits.clear();
}

CxImage::Raster& CxImage::Raster::operator=(Raster&& other) noexcept
{
    if (this != &other) {
        head = std::exchange(other.head, BitmapInfoHeader{});
        dwStride = std::exchange(other.dwStride, 0u);
        palette = std::move(other.palette);
        bits = std::move(other.bits);
        other.palette.clear();
        other.bits.clear();
    }
    return *this;
}

void CxImage::SetError(const char* text)
{
    m_szLastError.assign(text, std::min(std::strlen(text), MAX_ERROR_CHARS));
}

bool CxImage::AllocateRaster(int32_t widthPx, int32_t heightPx, uint32_t bpp, Raster& out)
{
    return AllocateRaster(widthPx, heightPx, bpp, out, true);
}

bool CxImage::AllocateRaster(int32_t widthPx, int32_t heightPx, uint32_t bpp, Raster& out, bool zeroed)
{
    bpp = RoundBpp(bpp);
    const uint64_t stride = StrideBytes(static_cast<uint64_t>(widthPx), bpp);
    const uint64_t imageBytes = stride * static_cast<uint64_t>(heightPx);
    if (imageBytes > MAX_RASTER_BYTES) {
        SetError(ERR_CREATE_MEMORY);
        return false;
    }
    try {
        if (zeroed) {
            out.bits.assign(static_cast<size_t>(imageBytes), 0);
        } else {
            out.bits.clear();
            out.bits.reserve(static_cast<size_t>(imageBytes));
        }
        out.palette.assign(PaletteEntries(bpp), RgbQuad{});
    } catch (const std::bad_alloc&) {
        out.bits.clear();
        out.palette.clear();
        SetError(ERR_CREATE_MEMORY);
        return false;
    }
    out.dwStride = static_cast<uint32_t>(stride);
    out.head = BitmapInfoHeader{};
    out.head.biSize = BITMAP_INFO_HEADER_SIZE;
    out.head.biWidth = widthPx;
    out.head.biHeight = heightPx;
    out.head.biPlanes = 1;
    out.head.biBitCount = static_cast<uint16_t>(bpp);
    out.head.biCompression = 0;
    out.head.biSizeImage = static_cast<uint32_t>(imageBytes);
    out.head.biClrUsed = PaletteEntries(bpp);
    out.head.biClrImportant = 0;
    return true;
}

void CxImage::Commit(Raster&& raster)
{
    raster.head.biXPelsPerMeter = PelsPerMeterOf(m_nXDpi);
    raster.head.biYPelsPerMeter = PelsPerMeterOf(m_nYDpi);
    m_raster = std::move(raster);
    ForgetLastColor();
}

bool CxImage::Create(int32_t widthPx, int32_t heightPx, uint32_t bpp)
{
    if (widthPx <= 0 || heightPx <= 0) {
        SetError(ERR_CREATE_SIZE);
        return false;
    }
    Raster raster;
    if (!AllocateRaster(widthPx, heightPx, bpp, raster)) {
        return false;
    }
    Commit(std::move(raster));
    return true;
}

bool CxImage::Decode(const BitmapInfoHeader& header, std::span<const uint8_t> bits,
                     std::span<const uint8_t> colorTable)
{
    const std::span<const uint8_t> pieces[] = {bits};
    return Decode(header, pieces, colorTable);
}

bool CxImage::Decode(const BitmapInfoHeader& header, std::span<const std::span<const uint8_t>> bitPieces,
                     std::span<const uint8_t> colorTable)
{
    size_t bitsSize = 0;
    for (const auto& piece : bitPieces) {
        bitsSize += piece.size();
    }
    if (header.biCompression != 0) {
        SetError("CxImage::Decode : compressed bitmaps are not supported");
        return false;
    }
    const uint32_t bpp = header.biBitCount;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24) {
        SetError("CxImage::Decode : bit count must be 1, 4, 8 or 24");
        return false;
    }
    const int64_t heightPx = header.biHeight < 0 ? -int64_t{header.biHeight} : header.biHeight;
    if (header.biWidth <= 0 || heightPx == 0) {
        SetError(ERR_CREATE_SIZE);
        return false;
    }
    if (heightPx > std::numeric_limits<int32_t>::max()) {
        SetError(ERR_CREATE_MEMORY);
        return false;
    }
    const uint64_t rasterBytes =
        StrideBytes(static_cast<uint64_t>(header.biWidth), bpp) * static_cast<uint64_t>(heightPx);
    const uint64_t imageBytes = header.biSizeImage != 0 ? header.biSizeImage : rasterBytes;
    // Every row must arrive in full: a header claiming fewer bytes than its
    // rows need is malformed, and refusing it means the raster is never larger
    // than the data the caller already holds.
    if (imageBytes < rasterBytes) {
        SetError("CxImage::Decode : image size is smaller than the rows need");
        return false;
    }
    if (bitsSize < imageBytes) {
        SetError("CxImage::Decode : pixel data is shorter than the image size");
        return false;
    }

    Raster raster;
    // Room only: the rows are appended from the pieces below, which cover
    // them all, so zeroing them first would be a pass over the page for
    // nothing.
    if (!AllocateRaster(header.biWidth, static_cast<int32_t>(heightPx), bpp, raster, false)) {
        return false;
    }

    if (!colorTable.empty() && !raster.palette.empty()) {
        if (header.biSize == BITMAP_CORE_HEADER_SIZE) {
            const size_t entries = std::min(colorTable.size() / 3, raster.palette.size());
            for (size_t i = 0; i < entries; ++i) {
                raster.palette[i] =
                    RgbQuad{colorTable[3 * i], colorTable[3 * i + 1], colorTable[3 * i + 2], 0};
            }
        } else {
            const size_t bytes = std::min(colorTable.size(), raster.palette.size() * sizeof(RgbQuad));
            std::memcpy(raster.palette.data(), colorTable.data(), bytes);
            for (RgbQuad& entry : raster.palette) {
                entry.rgbReserved = 0;
            }
        }
    }

    // Bytes past stride × height, which some writers add, have no pixels.
    // Within the capacity reserved: no reallocation, nothing to throw.
    for (const auto& piece : bitPieces) {
        const size_t n = std::min(piece.size(), static_cast<size_t>(rasterBytes) - raster.bits.size());
        if (n == 0) {
            break;
        }
        raster.bits.insert(raster.bits.end(), piece.begin(), piece.begin() + static_cast<std::ptrdiff_t>(n));
    }

    const int32_t xDpi = DpiOf(header.biXPelsPerMeter);
    const int32_t yDpi = DpiOf(header.biYPelsPerMeter);
    m_nXDpi = xDpi > 0 ? xDpi : DEFAULT_DPI;
    m_nYDpi = yDpi > 0 ? yDpi : DEFAULT_DPI;
    Commit(std::move(raster));
    return true;
}

std::span<const uint8_t> CxImage::GetRow(int32_t y) const
{
    if (!IsValid() || y < 0 || y >= GetHeight()) {
        return {};
    }
    return {RowData(y), m_raster.dwStride};
}

bool CxImage::SetPalette(std::span<const RgbQuad> palette)
{
    if (m_raster.palette.empty()) {
        return false;
    }
    const size_t count = std::min(palette.size(), m_raster.palette.size());
    std::copy_n(palette.begin(), count, m_raster.palette.begin());
    ForgetLastColor();
    return true;
}

bool CxImage::SetPaletteColor(uint32_t index, RgbQuad color)
{
    if (index >= m_raster.palette.size()) {
        return false;
    }
    m_raster.palette[index] = color;
    ForgetLastColor();
    return true;
}

void CxImage::SetClrImportant(uint32_t colors)
{
    if (!IsValid()) {
        return;
    }
    if (colors == 0 || colors > 256) {
        m_raster.head.biClrImportant = 0;
    } else {
        m_raster.head.biClrImportant =
            std::min(colors, static_cast<uint32_t>(m_raster.palette.size()));
    }
    ForgetLastColor();
}

uint8_t CxImage::ScanNearestIndex(RgbQuad color)
{
    if (m_raster.palette.empty()) {
        return 0;
    }
    ++m_qwPaletteScans;
    m_byLastIndex = NearestPaletteIndex(m_raster.palette, m_raster.head.biClrImportant, color);
    m_lastColor = color;
    m_bLastColorValid = true;
    return m_byLastIndex;
}

CxImage::IndexTable CxImage::MapPaletteTo(std::span<const RgbQuad> from, const Raster& target)
{
    IndexTable map{};
    const size_t count = std::min(from.size(), map.size());
    for (size_t i = 0; i < count; ++i) {
        map[i] = NearestPaletteIndex(target.palette, target.head.biClrImportant, from[i]);
    }
    return map;
}

void CxImage::SetXDPI(int32_t dpi)
{
    m_nXDpi = dpi > 0 ? dpi : DEFAULT_DPI;
    if (IsValid()) {
        m_raster.head.biXPelsPerMeter = PelsPerMeterOf(m_nXDpi);
    }
}

void CxImage::SetYDPI(int32_t dpi)
{
    m_nYDpi = dpi > 0 ? dpi : DEFAULT_DPI;
    if (IsValid()) {
        m_raster.head.biYPelsPerMeter = PelsPerMeterOf(m_nYDpi);
    }
}

}  // namespace lt77
