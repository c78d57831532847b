// Crop, nearest-pixel resampling and the quarter and half turns.
#include <algorithm>
#include <array>
#include <cstring>

#include "common/ximage/ximage.h"
#include "common/ximage/ximage_internal.h"

namespace lt77 {

using namespace ximage_detail;

namespace {

// Quarter turns of 8- and 24-bit images read one raster along columns; tiles
// keep both the rows read and the rows written in cache.
constexpr int32_t ROTATE_TILE_PX = 64;

constexpr uint8_t ReverseBits(uint8_t b)
{
    uint8_t r = 0;
    for (int i = 0; i < 8; ++i) {
        r = static_cast<uint8_t>((r << 1) | ((b >> i) & 1));
    }
    return r;
}

constexpr std::array<uint8_t, 256> MakeReverseTable()
{
    std::array<uint8_t, 256> table{};
    for (int i = 0; i < 256; ++i) {
        table[i] = ReverseBits(static_cast<uint8_t>(i));
    }
    return table;
}

constexpr std::array<uint8_t, 256> REVERSED_BITS = MakeReverseTable();

// Transposes an 8 × 8 block of 1-bit pixels: pixel c of rows[r] (bit 7 − c)
// becomes pixel r of result[c]. Three rounds of masked swaps on one 64-bit
// word instead of 64 single-bit moves.
std::array<uint8_t, 8> Transpose8(const std::array<uint8_t, 8>& rows)
{
    uint64_t x = 0;
    for (uint8_t row : rows) {
        x = (x << 8) | row;
    }
    uint64_t t = (x ^ (x >> 7)) & 0x00AA00AA00AA00AAull;
    x = x ^ t ^ (t << 7);
    t = (x ^ (x >> 14)) & 0x0000CCCC0000CCCCull;
    x = x ^ t ^ (t << 14);
    t = (x ^ (x >> 28)) & 0x00000000F0F0F0F0ull;
    x = x ^ t ^ (t << 28);
    std::array<uint8_t, 8> result{};
    for (int i = 0; i < 8; ++i) {
        result[i] = static_cast<uint8_t>(x >> (56 - 8 * i));
    }
    return result;
}

// widthPx pixels of a 1-bit row from column leftPx on; the pixels past the
// width in the last byte are left 0.
void CopyPixels1(const uint8_t* src, size_t srcBytes, int32_t leftPx, int32_t widthPx, uint8_t* dst)
{
    const size_t dstBytes = (static_cast<size_t>(widthPx) + 7) / 8;
    if ((leftPx & 7) == 0) {
        std::memcpy(dst, src + leftPx / 8, dstBytes);
    } else {
        for (size_t j = 0; j < dstBytes; ++j) {
            dst[j] = Read8Pixels(src, srcBytes, int64_t{leftPx} + 8 * static_cast<int64_t>(j));
        }
    }
    dst[dstBytes - 1] &= LastByteMask(static_cast<uint32_t>(widthPx));
}

// Destination pixel (X, Y) of a quarter turn comes from source column
// srcX(Y) and row srcY(X): left turns take (Y, H − 1 − X), right turns
// (W − 1 − Y, X).
template <size_t BYTES_PER_PIXEL, typename SrcRow, typename DstRow>
void RotateQuarterTiled(int32_t srcW, int32_t srcH, bool left, SrcRow srcRow, DstRow dstRow)
{
    const int32_t dstW = srcH;
    const int32_t dstH = srcW;
    for (int32_t y0 = 0; y0 < dstH; y0 += ROTATE_TILE_PX) {
        const int32_t y1 = std::min(y0 + ROTATE_TILE_PX, dstH);
        for (int32_t x0 = 0; x0 < dstW; x0 += ROTATE_TILE_PX) {
            const int32_t x1 = std::min(x0 + ROTATE_TILE_PX, dstW);
            for (int32_t y = y0; y < y1; ++y) {
                uint8_t* dst = dstRow(y) + static_cast<size_t>(x0) * BYTES_PER_PIXEL;
                const size_t srcOffset =
                    static_cast<size_t>(left ? y : srcW - 1 - y) * BYTES_PER_PIXEL;
                for (int32_t x = x0; x < x1; ++x) {
                    const uint8_t* src = srcRow(left ? srcH - 1 - x : x) + srcOffset;
                    for (size_t b = 0; b < BYTES_PER_PIXEL; ++b) {
                        dst[b] = src[b];
                    }
                    dst += BYTES_PER_PIXEL;
                }
            }
        }
    }
}

}  // namespace

void CxImage::CropRowsInPlace(int32_t firstRow, int32_t newHeight)
{
    // Whole rows move down to row 0 within the raster (a page crop keeps the
    // width, and a copy of a long page would cost as much again); the raster
    // ends as a fresh one would: bits past the width are 0.
    const size_t stride = m_raster.dwStride;
    uint8_t* bits = m_raster.bits.data();
    if (firstRow > 0) {
        std::memmove(bits, bits + static_cast<size_t>(firstRow) * stride, static_cast<size_t>(newHeight) * stride);
    }
    const uint64_t usedBits = static_cast<uint64_t>(GetWidth()) * GetBpp();
    const auto fullBytes = static_cast<size_t>(usedBits / 8);
    const auto spareBits = static_cast<uint32_t>(usedBits % 8);
    if (fullBytes + (spareBits != 0 ? 1 : 0) < stride || spareBits != 0) {
        for (int32_t y = 0; y < newHeight; ++y) {
            uint8_t* row = bits + static_cast<size_t>(y) * stride;
            size_t clearFrom = fullBytes;
            if (spareBits != 0) {
                row[clearFrom] &= static_cast<uint8_t>(0xFF << (8 - spareBits));
                ++clearFrom;
            }
            std::memset(row + clearFrom, 0, stride - clearFrom);
        }
    }
    m_raster.bits.resize(static_cast<size_t>(newHeight) * stride);
    m_raster.head.biHeight = newHeight;
    m_raster.head.biSizeImage = static_cast<uint32_t>(m_raster.bits.size());
    m_raster.head.biSize = BITMAP_INFO_HEADER_SIZE;
    m_raster.head.biPlanes = 1;
    m_raster.head.biCompression = 0;
    m_raster.head.biClrUsed = PaletteEntries(GetBpp());
    Raster raster = std::move(m_raster);
    Commit(std::move(raster));
}

bool CxImage::Crop(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    if (!IsValid()) {
        return false;
    }
    const int32_t width = GetWidth();
    const int32_t height = GetHeight();
    left = std::clamp(left, 0, width);
    right = std::clamp(right, 0, width);
    top = std::clamp(top, 0, height);
    bottom = std::clamp(bottom, 0, height);
    if (left > right) {
        std::swap(left, right);
    }
    // The row limits count from the far end of the row range, as a crop given
    // from the top edge of a bottom-up bitmap would; the page pipeline's crop
    // arguments are written for that convention.
    int32_t firstRow = height - top;
    int32_t endRow = height - bottom;
    if (firstRow > endRow) {
        std::swap(firstRow, endRow);
    }
    if (left == right || firstRow == endRow) {
        return false;
    }

    const uint32_t bpp = GetBpp();
    const int32_t newWidth = right - left;
    const int32_t newHeight = endRow - firstRow;
    if (newWidth == width) {
        CropRowsInPlace(firstRow, newHeight);
        return true;
    }
    Raster raster;
    if (!AllocateRaster(newWidth, newHeight, bpp, raster)) {
        return false;
    }
    std::copy(m_raster.palette.begin(), m_raster.palette.end(), raster.palette.begin());
    raster.head.biClrImportant = m_raster.head.biClrImportant;

    for (int32_t y = 0; y < newHeight; ++y) {
        const uint8_t* src = RowData(firstRow + y);
        uint8_t* dst = raster.Row(y);
        switch (bpp) {
        case 1:
            CopyPixels1(src, m_raster.dwStride, left, newWidth, dst);
            break;
        case 4:
            for (int32_t x = 0; x < newWidth; ++x) {
                WriteIndex(dst, 4, x, ReadIndex(src, 4, left + x));
            }
            break;
        default: {
            const size_t bytesPerPixel = bpp / 8;
            std::memcpy(dst, src + static_cast<size_t>(left) * bytesPerPixel,
                        static_cast<size_t>(newWidth) * bytesPerPixel);
            break;
        }
        }
    }
    Commit(std::move(raster));
    return true;
}

bool CxImage::Resample(int32_t newWidthPx, int32_t newHeightPx, int32_t method)
{
    if (!IsValid()) {
        return false;
    }
    if (method != 1) {
        SetError("CxImage::Resample : only method 1, nearest pixel, is supported");
        return false;
    }
    if (newWidthPx <= 0 || newHeightPx <= 0) {
        SetError("CxImage::Resample : width and height must be greater than zero");
        return false;
    }
    const int32_t width = GetWidth();
    const int32_t height = GetHeight();
    if (newWidthPx == width && newHeightPx == height) {
        return true;
    }
    const uint32_t bpp = GetBpp();
    Raster raster;
    if (!AllocateRaster(newWidthPx, newHeightPx, bpp, raster)) {
        return false;
    }
    std::copy(m_raster.palette.begin(), m_raster.palette.end(), raster.palette.begin());
    raster.head.biClrImportant = m_raster.head.biClrImportant;

    // Single precision on purpose: the source column of a destination pixel is
    // trunc(x × xScale) with both factors as float, and double arithmetic
    // picks a different column for some sizes.
    const float xScale = static_cast<float>(width) / static_cast<float>(newWidthPx);
    const float yScale = static_cast<float>(height) / static_cast<float>(newHeightPx);
    auto sourceX = [xScale](int32_t x) {
        return static_cast<int32_t>(static_cast<float>(x) * xScale);
    };
    auto sourceY = [yScale](int32_t y) {
        return static_cast<int32_t>(static_cast<float>(y) * yScale);
    };

    if (bpp == 24) {
        for (int32_t y = 0; y < newHeightPx; ++y) {
            const int32_t sy = sourceY(y);
            uint8_t* dst = raster.Row(y);
            for (int32_t x = 0; x < newWidthPx; ++x, dst += 3) {
                const RgbQuad c = GetPixelColor(sourceX(x), sy);
                dst[0] = c.rgbBlue;
                dst[1] = c.rgbGreen;
                dst[2] = c.rgbRed;
            }
        }
    } else {
        // Each pixel goes through colour matching against the copied palette,
        // so an index whose colour repeats earlier in the palette, or lies
        // beyond the colours-important entries, lands on the matched index.
        const std::array<uint8_t, 256> indexMap = MapPaletteTo(m_raster.palette, raster);
        // Rounding keeps the source column below the width for any size that
        // fits in memory; should it not, the read answers like GetPixelColor.
        const uint8_t outsideIndex = NearestPaletteIndex(
            raster.palette, raster.head.biClrImportant, GetPixelColor(-1, -1));
        for (int32_t y = 0; y < newHeightPx; ++y) {
            const int32_t sy = sourceY(y);
            uint8_t* dst = raster.Row(y);
            const bool rowInside = sy < height;
            const uint8_t* src = rowInside ? RowData(sy) : nullptr;
            for (int32_t x = 0; x < newWidthPx; ++x) {
                const int32_t sx = sourceX(x);
                const uint8_t index =
                    (rowInside && sx < width) ? indexMap[ReadIndex(src, bpp, sx)] : outsideIndex;
                WriteIndex(dst, bpp, x, index);
            }
        }
    }
    Commit(std::move(raster));
    return true;
}

bool CxImage::RotateLeft()
{
    return RotateQuarter(true);
}

bool CxImage::RotateRight()
{
    return RotateQuarter(false);
}

bool CxImage::RotateQuarter(bool left)
{
    if (!IsValid()) {
        return false;
    }
    const int32_t width = GetWidth();
    const int32_t height = GetHeight();
    const uint32_t bpp = GetBpp();
    Raster raster;
    if (!AllocateRaster(height, width, bpp, raster)) {
        return false;
    }
    std::copy(m_raster.palette.begin(), m_raster.palette.end(), raster.palette.begin());
    raster.head.biClrImportant = m_raster.head.biClrImportant;

    auto srcRow = [this](int32_t y) { return RowData(y); };
    auto dstRow = [&raster](int32_t y) { return raster.Row(y); };
    switch (bpp) {
    case 1: {
        // Whole source bytes: eight rows of one byte column form an 8 × 8
        // block whose transpose is eight destination bytes.
        const int64_t srcByteColumns = (int64_t{width} + 7) / 8;
        const int64_t dstByteColumns = (int64_t{height} + 7) / 8;
        for (int64_t k = 0; k < srcByteColumns; ++k) {
            for (int64_t j = 0; j < dstByteColumns; ++j) {
                std::array<uint8_t, 8> block{};
                bool anySet = false;
                for (int64_t i = 0; i < 8; ++i) {
                    const int64_t srcY = left ? height - 1 - (8 * j + i) : 8 * j + i;
                    if (srcY >= 0 && srcY < height) {
                        block[i] = RowData(static_cast<int32_t>(srcY))[k];
                        anySet = anySet || block[i] != 0;
                    }
                }
                if (!anySet) {
                    continue;
                }
                const std::array<uint8_t, 8> columns = Transpose8(block);
                for (int64_t r = 0; r < 8 && 8 * k + r < width; ++r) {
                    const int64_t srcX = 8 * k + r;
                    const int64_t dstY = left ? srcX : width - 1 - srcX;
                    raster.Row(static_cast<int32_t>(dstY))[j] = columns[r];
                }
            }
        }
        break;
    }
    case 4:
        for (int32_t y = 0; y < width; ++y) {
            uint8_t* dst = raster.Row(y);
            for (int32_t x = 0; x < height; ++x) {
                const int32_t sx = left ? y : width - 1 - y;
                const int32_t sy = left ? height - 1 - x : x;
                WriteIndex(dst, 4, x, ReadIndex(RowData(sy), 4, sx));
            }
        }
        break;
    case 8:
        RotateQuarterTiled<1>(width, height, left, srcRow, dstRow);
        break;
    default:
        RotateQuarterTiled<3>(width, height, left, srcRow, dstRow);
        break;
    }
    Commit(std::move(raster));
    return true;
}

bool CxImage::Rotate180()
{
    if (!IsValid()) {
        return false;
    }
    const int32_t width = GetWidth();
    const int32_t height = GetHeight();
    const uint32_t bpp = GetBpp();
    Raster raster;
    if (!AllocateRaster(width, height, bpp, raster)) {
        return false;
    }
    std::copy(m_raster.palette.begin(), m_raster.palette.end(), raster.palette.begin());
    raster.head.biClrImportant = m_raster.head.biClrImportant;

    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* src = RowData(height - 1 - y);
        uint8_t* dst = raster.Row(y);
        switch (bpp) {
        case 1: {
            // Destination byte j holds source columns W − 1 − 8j down to
            // W − 8 − 8j; columns before 0 read as 0 and fill the padding.
            const int64_t bytes = (int64_t{width} + 7) / 8;
            for (int64_t j = 0; j < bytes; ++j) {
                dst[j] = REVERSED_BITS[Read8Pixels(src, m_raster.dwStride, width - 8 - 8 * j)];
            }
            break;
        }
        case 4:
            for (int32_t x = 0; x < width; ++x) {
                WriteIndex(dst, 4, x, ReadIndex(src, 4, width - 1 - x));
            }
            break;
        case 8:
            std::reverse_copy(src, src + width, dst);
            break;
        default:
            for (int32_t x = 0; x < width; ++x) {
                const uint8_t* p = src + 3 * static_cast<size_t>(width - 1 - x);
                dst[3 * static_cast<size_t>(x)] = p[0];
                dst[3 * static_cast<size_t>(x) + 1] = p[1];
                dst[3 * static_cast<size_t>(x) + 2] = p[2];
            }
            break;
        }
    }
    Commit(std::move(raster));
    return true;
}

}  // namespace lt77
