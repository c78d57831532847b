// Brightness, grey conversion, halftoning to black and white, and reduction of
// the bit count by nearest colour.
#include <algorithm>
#include <array>
#include <new>
#include <utility>
#include <vector>

#include "common/ximage/ximage.h"
#include "common/ximage/ximage_internal.h"

namespace lt77 {

using namespace ximage_detail;

namespace {

using Matrix4 = std::array<std::array<uint8_t, 4>, 4>;
using Matrix8 = std::array<std::array<uint8_t, 8>, 8>;

// Dither method 1, indexed [y mod 4][x mod 4].
constexpr Matrix4 ORDERED_4X4 = {{
    {0, 8, 2, 10},
    {12, 4, 14, 6},
    {3, 11, 1, 9},
    {15, 7, 13, 5},
}};

// Dither method 7, indexed [y mod 4][x mod 4].
constexpr Matrix4 THRESHOLD_4X4 = {{
    {0, 192, 48, 240},
    {128, 64, 176, 112},
    {32, 224, 16, 208},
    {160, 96, 144, 80},
}};

// Dither method 8, indexed [x mod 8][y mod 8]: column first, unlike the others.
constexpr Matrix8 THRESHOLD_8X8 = {{
    {0, 32, 8, 40, 2, 34, 10, 42},
    {48, 16, 56, 24, 50, 18, 58, 26},
    {12, 44, 4, 36, 14, 46, 6, 38},
    {60, 28, 52, 20, 62, 30, 54, 22},
    {3, 35, 11, 43, 1, 33, 9, 41},
    {51, 19, 59, 27, 49, 17, 57, 25},
    {15, 47, 7, 39, 13, 45, 5, 37},
    {63, 31, 55, 23, 61, 29, 53, 21},
}};

constexpr RgbQuad BLACK{0, 0, 0, 0};
constexpr RgbQuad WHITE{255, 255, 255, 0};

// The sixteen colours of the classic VGA palette, blue, green, red.
constexpr std::array<RgbQuad, 16> STANDARD_PALETTE_16 = {{
    {0, 0, 0, 0}, {0, 0, 128, 0}, {0, 128, 0, 0}, {0, 128, 128, 0},
    {128, 0, 0, 0}, {128, 0, 128, 0}, {128, 128, 0, 0}, {192, 192, 192, 0},
    {128, 128, 128, 0}, {0, 0, 255, 0}, {0, 255, 0, 0}, {0, 255, 255, 0},
    {255, 0, 0, 0}, {255, 0, 255, 0}, {255, 255, 0, 0}, {255, 255, 255, 0},
}};

void FillStandardPalette(uint32_t bpp, std::span<RgbQuad> palette)
{
    if (bpp == 1) {
        palette[0] = BLACK;
        palette[1] = WHITE;
    } else if (bpp == 4) {
        std::copy(STANDARD_PALETTE_16.begin(), STANDARD_PALETTE_16.end(), palette.begin());
    } else if (bpp == 8) {
        // Three bits of red, three of green, two of blue.
        for (uint32_t i = 0; i < 256; ++i) {
            palette[i] = RgbQuad{static_cast<uint8_t>((i & 3) * 255 / 3),
                                 static_cast<uint8_t>(((i >> 2) & 7) * 255 / 7),
                                 static_cast<uint8_t>((i >> 5) * 255 / 7), 0};
        }
    }
}

void FillGreyRamp(std::span<RgbQuad> palette)
{
    for (size_t i = 0; i < palette.size(); ++i) {
        const auto v = static_cast<uint8_t>(i);
        palette[i] = RgbQuad{v, v, v, 0};
    }
}

bool IsGreyRamp(std::span<const RgbQuad> palette)
{
    for (size_t i = 0; i < palette.size(); ++i) {
        const RgbQuad& c = palette[i];
        if (c.rgbBlue != i || c.rgbGreen != i || c.rgbRed != i) {
            return false;
        }
    }
    return !palette.empty();
}

// Single precision throughout: the table entries at the rounding edges depend
// on it once the contrast is not 0.
std::array<uint8_t, 256> BrightnessTable(int32_t brightness, int32_t contrast)
{
    const float factor = static_cast<float>(int64_t{100} + contrast) / 100.0f;
    const auto offset = static_cast<float>(brightness);
    std::array<uint8_t, 256> table{};
    for (int32_t v = 0; v < 256; ++v) {
        const float value = static_cast<float>(v - 128) * factor + offset + 128.0f + 0.5f;
        // Clamping before the conversion gives clamp(trunc(value)) without
        // converting out-of-range floats.
        if (value >= 255.0f) {
            table[v] = 255;
        } else if (value < 1.0f) {
            table[v] = 0;
        } else {
            table[v] = static_cast<uint8_t>(value);
        }
    }
    table[0] = 0;
    table[255] = 255;
    return table;
}

// Packs one 1-bit row from left to right; isWhite is called once per pixel in
// column order, so it may carry state from pixel to pixel.
template <typename IsWhite>
void PackRow(uint8_t* dst, int32_t widthPx, IsWhite isWhite)
{
    uint32_t bits = 0;
    for (int32_t x = 0; x < widthPx; ++x) {
        bits = (bits << 1) | (isWhite(x) ? 1u : 0u);
        if ((x & 7) == 7) {
            dst[x >> 3] = static_cast<uint8_t>(bits);
            bits = 0;
        }
    }
    if (widthPx & 7) {
        dst[widthPx >> 3] = static_cast<uint8_t>(bits << (8 - (widthPx & 7)));
    }
}

template <typename T>
bool TryAssign(std::vector<T>& buffer, size_t count)
{
    try {
        buffer.assign(count, T{});
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

int32_t Clamp255(int32_t v)
{
    return std::clamp(v, 0, 255);
}

// The error a pixel passes on, split into its four shares, by table lookup
// rather than multiply and signed divide. The tables take the pixel's value
// before its final clamp (offset by SHARE_BIAS) and clamp inside: the value
// carried to the right neighbour is 0 … 255 plus a share of −55 … 56, only its
// clamped value is ever used, and the chain from one pixel to the next
// shrinks to one load and one add.
constexpr int32_t SHARE_BIAS = 64;
constexpr size_t SHARE_ENTRIES = 384;

struct ErrorShares {
    std::array<int32_t, SHARE_ENTRIES> right{};
    std::array<int32_t, SHARE_ENTRIES> belowLeft{};
    std::array<int32_t, SHARE_ENTRIES> below{};
    std::array<int32_t, SHARE_ENTRIES> belowRight{};
};

constexpr bool IsWhiteAfterDiffusion(int32_t g)
{
    return g >= 129;
}

constexpr ErrorShares MakeErrorShares()
{
    ErrorShares shares;
    for (size_t i = 0; i < SHARE_ENTRIES; ++i) {
        const int32_t g = std::min(std::max(static_cast<int32_t>(i) - SHARE_BIAS, 0), 255);
        const int32_t error = IsWhiteAfterDiffusion(g) ? g - 255 : g;
        shares.right[i] = error * 7 / 16;
        shares.belowLeft[i] = error * 3 / 16;
        shares.below[i] = error * 5 / 16;
        shares.belowRight[i] = error * 1 / 16;
    }
    return shares;
}

constexpr ErrorShares ERROR_SHARES = MakeErrorShares();

// One row of error diffusion into dst. current holds the row's grey values
// with the error from the row above already added; next holds the row below
// and takes this row's error. current[width], next[−1] and next[width] are
// spare cells for error that falls outside the image.
void DiffuseRow(const int32_t* current, int32_t* next, int32_t widthPx, uint8_t* dst)
{
    // The pixel being decided and the two cells below that still take error
    // live in registers, so the chain from one pixel to the next does not
    // wait on stores; every cell still gets its additions, each clamped, in
    // the order the pixels are visited.
    int32_t pixel = current[0];  // not yet clamped; see ErrorShares
    int32_t belowLeft = 0;
    int32_t below = next[0];
    PackRow(dst, widthPx, [&](int32_t x) {
        const auto i = static_cast<size_t>(pixel + SHARE_BIAS);
        const bool white = IsWhiteAfterDiffusion(pixel);  // same answer as for the clamped value
        pixel = current[x + 1] + ERROR_SHARES.right[i];
        next[x - 1] = Clamp255(belowLeft + ERROR_SHARES.belowLeft[i]);
        belowLeft = Clamp255(below + ERROR_SHARES.below[i]);
        below = Clamp255(next[x + 1] + ERROR_SHARES.belowRight[i]);
        return white;
    });
    next[widthPx - 1] = belowLeft;
}

}  // namespace

CxImage::IndexTable CxImage::PaletteGreys() const
{
    IndexTable greys{};
    const size_t count = std::min(m_raster.palette.size(), greys.size());
    for (size_t i = 0; i < count; ++i) {
        greys[i] = GreyOf(m_raster.palette[i]);
    }
    return greys;
}

void CxImage::GreyRow(int32_t y, const IndexTable& paletteGreys, uint8_t* out) const
{
    const uint8_t* row = RowData(y);
    const int32_t width = GetWidth();
    switch (GetBpp()) {
    case 24:
        for (int32_t x = 0; x < width; ++x, row += 3) {
            out[x] = GreyOf(RgbQuad{row[0], row[1], row[2], 0});
        }
        break;
    case 8:
        for (int32_t x = 0; x < width; ++x) {
            out[x] = paletteGreys[row[x]];
        }
        break;
    default:
        for (int32_t x = 0; x < width; ++x) {
            out[x] = paletteGreys[ReadIndex(row, GetBpp(), x)];
        }
        break;
    }
}

bool CxImage::MakeGreyRaster(const IndexTable& paletteGreys, Raster& out)
{
    if (!AllocateRaster(GetWidth(), GetHeight(), 8, out)) {
        return false;
    }
    FillGreyRamp(out.palette);
    for (int32_t y = 0; y < GetHeight(); ++y) {
        GreyRow(y, paletteGreys, out.Row(y));
    }
    return true;
}

bool CxImage::ToGrayScale()
{
    if (!IsValid()) {
        return false;
    }
    const IndexTable greys = PaletteGreys();
    if (GetBpp() == 8) {
        for (int32_t y = 0; y < GetHeight(); ++y) {
            uint8_t* row = RowData(y);
            for (int32_t x = 0; x < GetWidth(); ++x) {
                row[x] = greys[row[x]];
            }
        }
        FillGreyRamp(m_raster.palette);
        m_raster.head.biClrImportant = 0;
        ForgetLastColor();
        return true;
    }
    Raster raster;
    if (!MakeGreyRaster(greys, raster)) {
        return false;
    }
    Commit(std::move(raster));
    return true;
}

bool CxImage::AdjustBrightness(int32_t brightness, int32_t contrast)
{
    if (!IsValid()) {
        return false;
    }
    const std::array<uint8_t, 256> table = BrightnessTable(brightness, contrast);
    if (GetBpp() == 24) {
        for (uint8_t& byte : m_raster.bits) {
            byte = table[byte];
        }
        return true;
    }

    auto mapped = [&table](RgbQuad c) {
        return RgbQuad{table[c.rgbBlue], table[c.rgbGreen], table[c.rgbRed], c.rgbReserved};
    };
    if (!IsGreyRamp(m_raster.palette)) {
        for (RgbQuad& entry : m_raster.palette) {
            entry = mapped(entry);
        }
        ForgetLastColor();
        return true;
    }

    // A grey page must stay in grey form for the halftoning that follows: the
    // mapped palette is folded into the pixels and the ramp is kept, which is
    // what converting the mapped image to grey would give.
    IndexTable greys{};
    for (size_t i = 0; i < m_raster.palette.size(); ++i) {
        greys[i] = GreyOf(mapped(m_raster.palette[i]));
    }
    if (GetBpp() == 8) {
        for (int32_t y = 0; y < GetHeight(); ++y) {
            uint8_t* row = RowData(y);
            for (int32_t x = 0; x < GetWidth(); ++x) {
                row[x] = greys[row[x]];
            }
        }
        m_raster.head.biClrImportant = 0;
        ForgetLastColor();
        return true;
    }
    Raster raster;
    if (!MakeGreyRaster(greys, raster)) {
        return false;
    }
    Commit(std::move(raster));
    return true;
}

bool CxImage::Dither(int32_t method)
{
    if (!IsValid()) {
        return false;
    }
    if (GetBpp() == 1) {
        return true;
    }
    if (method != 0 && method != 1 && method != 7 && method != 8) {
        SetError("CxImage::Dither : method must be 0, 1, 7 or 8");
        return false;
    }
    const int32_t width = GetWidth();
    const int32_t height = GetHeight();
    Raster raster;
    if (!AllocateRaster(width, height, 1, raster)) {
        return false;
    }
    raster.palette[0] = BLACK;
    raster.palette[1] = WHITE;

    const IndexTable greys = PaletteGreys();
    std::vector<uint8_t> grey;
    if (!TryAssign(grey, static_cast<size_t>(width))) {
        SetError(ERR_CREATE_MEMORY);
        return false;
    }

    if (method == 0) {
        // Two rows of working grey values with one spare cell at each end, so
        // that error falling outside the image lands in a cell nobody reads.
        std::vector<int32_t> lineA;
        std::vector<int32_t> lineB;
        if (!TryAssign(lineA, static_cast<size_t>(width) + 2) ||
            !TryAssign(lineB, static_cast<size_t>(width) + 2)) {
            SetError(ERR_CREATE_MEMORY);
            return false;
        }
        int32_t* current = lineA.data() + 1;
        int32_t* next = lineB.data() + 1;
        auto load = [&](int32_t y, int32_t* line) {
            std::fill(line - 1, line + width + 1, 0);
            if (y < height) {
                GreyRow(y, greys, grey.data());
                std::copy(grey.begin(), grey.end(), line);
            }
        };
        load(0, current);
        load(1, next);
        for (int32_t y = 0; y < height; ++y) {
            DiffuseRow(current, next, width, raster.Row(y));
            std::swap(current, next);
            load(y + 2, next);
        }
    } else {
        std::array<uint8_t, 256> level{};
        for (int32_t g = 0; g < 256; ++g) {
            level[g] = static_cast<uint8_t>(g * 16 / 255);
        }
        for (int32_t y = 0; y < height; ++y) {
            GreyRow(y, greys, grey.data());
            uint8_t* dst = raster.Row(y);
            if (method == 1) {
                const auto& thresholds = ORDERED_4X4[y & 3];
                PackRow(dst, width, [&](int32_t x) {
                    const uint8_t n = level[grey[x]];
                    return n == 16 || thresholds[x & 3] < n;
                });
            } else if (method == 7) {
                const auto& thresholds = THRESHOLD_4X4[y & 3];
                PackRow(dst, width, [&](int32_t x) { return thresholds[x & 3] < grey[x]; });
            } else {
                PackRow(dst, width, [&](int32_t x) {
                    const uint8_t g = grey[x];
                    return g >= 4 && (g >> 2) >= THRESHOLD_8X8[x & 7][y & 7];
                });
            }
        }
    }
    Commit(std::move(raster));
    return true;
}

bool CxImage::DecreaseBpp(uint32_t bpp, bool errorDiffusion, std::span<const RgbQuad> palette,
                          uint32_t clrImportant)
{
    if (!IsValid()) {
        return false;
    }
    const uint32_t target = RoundBpp(bpp);
    const uint32_t current = GetBpp();
    if (target > current) {
        SetError("DecreaseBpp: target BPP greater than source BPP");
        return false;
    }
    if (target == current) {
        const uint32_t own = GetClrImportant();
        if (clrImportant == 0 || (own != 0 && own < clrImportant)) {
            return true;
        }
    }
    if (errorDiffusion) {
        SetError("DecreaseBpp: error diffusion is not supported");
        return false;
    }

    const int32_t width = GetWidth();
    const int32_t height = GetHeight();
    Raster raster;
    if (!AllocateRaster(width, height, target, raster)) {
        return false;
    }
    if (!palette.empty()) {
        std::copy_n(palette.begin(), std::min(palette.size(), raster.palette.size()),
                    raster.palette.begin());
    } else {
        FillStandardPalette(target, raster.palette);
    }
    raster.head.biClrImportant =
        (clrImportant == 0 || clrImportant > 256)
            ? 0
            : std::min(clrImportant, static_cast<uint32_t>(raster.palette.size()));

    if (target == 24) {
        std::copy(m_raster.bits.begin(), m_raster.bits.end(), raster.bits.begin());
    } else if (current == 24) {
        // Photographs repeat colours along a row; remember the last match.
        bool haveLast = false;
        RgbQuad lastColor{};
        uint8_t lastIndex = 0;
        for (int32_t y = 0; y < height; ++y) {
            uint8_t* dst = raster.Row(y);
            for (int32_t x = 0; x < width; ++x) {
                const RgbQuad c = GetPixelColor(x, y);
                if (!haveLast || !SameRgb(c, lastColor)) {
                    lastIndex = NearestPaletteIndex(raster.palette, raster.head.biClrImportant, c);
                    lastColor = c;
                    haveLast = true;
                }
                WriteIndex(dst, target, x, lastIndex);
            }
        }
    } else {
        const IndexTable indexMap = MapPaletteTo(m_raster.palette, raster);
        for (int32_t y = 0; y < height; ++y) {
            const uint8_t* src = RowData(y);
            uint8_t* dst = raster.Row(y);
            if (target == 1 && current == 8) {
                PackRow(dst, width, [&](int32_t x) { return indexMap[src[x]] != 0; });
            } else {
                for (int32_t x = 0; x < width; ++x) {
                    WriteIndex(dst, target, x, indexMap[ReadIndex(src, current, x)]);
                }
            }
        }
    }
    Commit(std::move(raster));
    return true;
}

}  // namespace lt77
