// Brightness, grey conversion, halftoning to black and white, and reduction of
// the bit count by nearest colour.
#include <algorithm>
#include <array>
#include <new>
#include <utility>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// True when every index maps to itself.
bool IsIdentity(const std::array<uint8_t, 256>& table)
{
    for (size_t i = 0; i < table.size(); ++i) {
        if (table[i] != i) {
            return false;
        }
    }
    return true;
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
    // Whole bytes first, eight pixels straight through without a test per
    // pixel, then the pixels of a last partial byte.
    const int32_t whole = widthPx & ~7;
    for (int32_t x = 0; x < whole; x += 8) {
        uint32_t bits = 0;
        for (int32_t k = 0; k < 8; ++k) {
            bits = (bits << 1) | (isWhite(x + k) ? 1u : 0u);
        }
        dst[x >> 3] = static_cast<uint8_t>(bits);
    }
    if (whole < widthPx) {
        uint32_t bits = 0;
        for (int32_t x = whole; x < widthPx; ++x) {
            bits = (bits << 1) | (isWhite(x) ? 1u : 0u);
        }
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

// Error diffusion in three parts per row. The pixels of a row wait on each
// other through the 7/16 share to the right, so that chain is all the
// pixel-by-pixel part does: it records each pixel's value before its final
// clamp. A pass over a piece of the row then turns those values into the
// pixels' bits and errors, and the row below takes its 1/16, 5/16 and 3/16
// shares cell by cell; neither has a chain from one cell to the next, so both
// go eight cells at once. Every cell still gets its additions in the order
// the pixels are visited (from the upper left, from above, from the upper
// right), each clamped to 0 … 255.
//
// The chain looks its 7/16 share up by the pixel's value before its final
// clamp (offset by SHARE_BIAS), and the table clamps inside: the value carried
// to the right neighbour is 0 … 255 plus a share of −55 … 56, and only its
// clamped value is ever used.
constexpr int32_t SHARE_BIAS = 64;
constexpr size_t SHARE_ENTRIES = 384;
constexpr int16_t WHITE_FROM = 129;  // the clamped values that print white

constexpr int32_t ClampGrey(int32_t v)
{
    return std::min(std::max(v, 0), 255);
}

constexpr int32_t ErrorOf(int32_t g)
{
    return g >= WHITE_FROM ? g - 255 : g;
}

// The 7/16 share plus SHARE_BIAS: added to the next cell it gives that
// pixel's value plus SHARE_BIAS at once.
constexpr std::array<int16_t, SHARE_ENTRIES> MakeRightShares()
{
    std::array<int16_t, SHARE_ENTRIES> right{};
    for (size_t i = 0; i < SHARE_ENTRIES; ++i) {
        right[i] = static_cast<int16_t>(ErrorOf(ClampGrey(static_cast<int32_t>(i) - SHARE_BIAS)) * 7 / 16 + SHARE_BIAS);
    }
    return right;
}

constexpr std::array<int16_t, SHARE_ENTRIES> RIGHT_SHARES = MakeRightShares();

// A row of working grey values: the cells 0 … width − 1 and a spare cell at
// each end, so that the chain's read past the last pixel finds 0.
// Errors are kept the same way, with 0 (no share) at both ends.
struct DiffusionLine {
    std::vector<int16_t> cells;
    int16_t* Cells() { return cells.data() + 1; }
};

// The chain of one row: pixel x's value comes from the row's cell x and the
// share of pixel x − 1. It is recorded, plus SHARE_BIAS, where the pixel's
// error will go.
class RowChain {
public:
    RowChain() = default;
    RowChain(const int16_t* current, int16_t* values) : current_(current), values_(values) {}

    // Before pixel 0, once the row's cell 0 is final.
    void Start() { index_ = current_[0] + SHARE_BIAS; }

    void Pixel(int32_t x)
    {
        values_[x] = static_cast<int16_t>(index_);
        // One load and one add from pixel to pixel: the chain's whole length.
        index_ = std::ptrdiff_t{current_[x + 1]} + RIGHT_SHARES[static_cast<size_t>(index_)];
    }

private:
    const int16_t* current_ = nullptr;
    int16_t* values_ = nullptr;
    std::ptrdiff_t index_ = 0;  // the pixel's value before its clamp, plus SHARE_BIAS
};

#if defined(__SSE2__)
__m128i Load8(const int16_t* at)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}

void Store8(int16_t* at, __m128i v)
{
    _mm_storeu_si128(reinterpret_cast<__m128i*>(at), v);
}

// The movemask gives pixel 0 in bit 0; the page wants it in bit 7.
constexpr std::array<uint8_t, 256> MakeReversedBytes()
{
    std::array<uint8_t, 256> reversed{};
    for (uint32_t b = 0; b < 256; ++b) {
        uint32_t r = 0;
        for (uint32_t k = 0; k < 8; ++k) {
            r |= ((b >> k) & 1u) << (7 - k);
        }
        reversed[b] = static_cast<uint8_t>(r);
    }
    return reversed;
}

constexpr std::array<uint8_t, 256> REVERSED_BYTES = MakeReversedBytes();
#endif

// Pixels first … end − 1 of a row, which the chain has passed: each recorded
// value becomes the pixel's error, in place, and its bit. first is on a byte
// boundary; end is too unless it is the end of the row.
void DecidePixels(int16_t* values, uint8_t* dst, int32_t first, int32_t end)
{
    int32_t x = first;
#if defined(__SSE2__)
    const __m128i bias = _mm_set1_epi16(SHARE_BIAS);
    const __m128i zero = _mm_setzero_si128();
    const __m128i full = _mm_set1_epi16(255);
    const __m128i blackUpTo = _mm_set1_epi16(WHITE_FROM - 1);
    // All ones in the lanes of white pixels.
    auto decide = [&](int16_t* at) {
        const __m128i g = _mm_min_epi16(_mm_max_epi16(_mm_sub_epi16(Load8(at), bias), zero), full);
        const __m128i white = _mm_cmpgt_epi16(g, blackUpTo);
        Store8(at, _mm_sub_epi16(g, _mm_and_si128(white, full)));
        return white;
    };
    for (; x + 16 <= end; x += 16) {
        const __m128i left = decide(values + x);
        const __m128i right = decide(values + x + 8);
        const auto mask = static_cast<uint32_t>(_mm_movemask_epi8(_mm_packs_epi16(left, right)));
        dst[x >> 3] = REVERSED_BYTES[mask & 0xFF];
        dst[(x >> 3) + 1] = REVERSED_BYTES[mask >> 8];
    }
#endif
    uint32_t bits = 0;
    for (; x < end; ++x) {
        const int32_t g = ClampGrey(values[x] - SHARE_BIAS);
        values[x] = static_cast<int16_t>(ErrorOf(g));
        bits = (bits << 1) | (g >= WHITE_FROM ? 1u : 0u);
        if ((x & 7) == 7) {
            dst[x >> 3] = static_cast<uint8_t>(bits);
            bits = 0;
        }
    }
    if (end & 7) {
        dst[end >> 3] = static_cast<uint8_t>(bits << (8 - (end & 7)));
    }
}

// Cells first … end − 1 of the row below take the shares of the pixels above
// left, above and above right. errors[−1] and errors[width] are 0.
//
// In 16-bit lanes throughout: cells stay 0 … 255 and products of an error
// (−126 … 128) and a weight stay within ±640. A share is error × weight / 16
// rounded toward zero, as the division of the pixel-by-pixel form gives it:
// 15 is added to a negative product before the shift.
void TakeSharesBelow(const int16_t* errors, int16_t* below, int32_t first, int32_t end)
{
    int32_t c = first;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i full = _mm_set1_epi16(255);
    const __m128i five = _mm_set1_epi16(5);
    const __m128i three = _mm_set1_epi16(3);
    auto shareOf = [](__m128i product) {
        const __m128i towardZero = _mm_srli_epi16(_mm_srai_epi16(product, 15), 12);
        return _mm_srai_epi16(_mm_add_epi16(product, towardZero), 4);
    };
    auto add = [&](__m128i v, __m128i s) { return _mm_min_epi16(_mm_max_epi16(_mm_add_epi16(v, s), zero), full); };
    for (; c + 8 <= end; c += 8) {
        __m128i v = Load8(below + c);
        v = add(v, shareOf(Load8(errors + c - 1)));
        v = add(v, shareOf(_mm_mullo_epi16(Load8(errors + c), five)));
        v = add(v, shareOf(_mm_mullo_epi16(Load8(errors + c + 1), three)));
        Store8(below + c, v);
    }
#endif
    auto share = [](int32_t error, int32_t weight) { return error * weight / 16; };
    for (; c < end; ++c) {
        int32_t v = below[c];
        v = ClampGrey(v + share(errors[c - 1], 1));
        v = ClampGrey(v + share(errors[c], 5));
        v = ClampGrey(v + share(errors[c + 1], 3));
        below[c] = static_cast<int16_t>(v);
    }
}

// DIFFUSION_ROWS rows at once, in pieces of DIFFUSION_PIECE pixels, each row
// two pieces behind the one above: a row's pixels of piece j settle the
// cells of the row below up to the end of piece j but one, and the row
// below's piece j reads its cells up to the first of piece j + 1. The rows'
// chains are independent and run interleaved, so the processor has the
// others to work on while one waits for its table lookup.
constexpr int32_t DIFFUSION_PIECE = 32;
constexpr int32_t DIFFUSION_ROWS = 4;

// lines[0 … rows] are the working rows (lines[0] with the error from above,
// the others as loaded), errors[0 … rows − 1] the rows' errors, dst their
// bits; rows is 1 … DIFFUSION_ROWS.
void DiffuseRows(int16_t* const* lines, int16_t* const* errors, uint8_t* const* dst, int32_t rows, int32_t widthPx)
{
    const int32_t pieces = (widthPx + DIFFUSION_PIECE - 1) / DIFFUSION_PIECE;
    std::array<RowChain, DIFFUSION_ROWS> chains{};
    for (int32_t r = 0; r < rows; ++r) {
        chains[static_cast<size_t>(r)] = RowChain(lines[r], errors[r]);
    }
    for (int32_t t = 0; t < pieces + 2 * (rows - 1); ++t) {
        std::array<int32_t, DIFFUSION_ROWS> first{};
        std::array<int32_t, DIFFUSION_ROWS> end{};
        bool allWhole = rows == DIFFUSION_ROWS;
        for (int32_t r = 0; r < rows; ++r) {
            const int32_t piece = t - 2 * r;
            const bool runs = piece >= 0 && piece < pieces;
            first[r] = runs ? piece * DIFFUSION_PIECE : 0;
            end[r] = runs ? std::min(first[r] + DIFFUSION_PIECE, widthPx) : 0;
            if (runs && piece == 0) {
                chains[r].Start();
            }
            allWhole = allWhole && end[r] - first[r] == DIFFUSION_PIECE;
        }
        if (allWhole) {
            for (int32_t k = 0; k < DIFFUSION_PIECE; ++k) {
                for (int32_t r = 0; r < DIFFUSION_ROWS; ++r) {
                    chains[r].Pixel(first[r] + k);
                }
            }
        } else {
            for (int32_t r = 0; r < rows; ++r) {
                for (int32_t x = first[r]; x < end[r]; ++x) {
                    chains[r].Pixel(x);
                }
            }
        }
        for (int32_t r = 0; r < rows; ++r) {
            if (first[r] == end[r]) {
                continue;
            }
            DecidePixels(errors[r], dst[r], first[r], end[r]);
            // The cells the piece's errors settle: from the last cell of the
            // piece before up to the piece's last cell but one; the last
            // piece settles the rest of the row.
            TakeSharesBelow(errors[r], lines[r + 1], std::max(first[r] - 1, 0),
                            end[r] == widthPx ? widthPx : end[r] - 1);
        }
    }
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
    return BecomeGrey(PaletteGreys());
}

bool CxImage::BecomeGrey(const IndexTable& greys)
{
    if (GetBpp() == 8) {
        // A page already in grey form maps every grey to itself: nothing to rewrite.
        const bool identity = IsIdentity(greys);
        for (int32_t y = 0; y < GetHeight() && !identity; ++y) {
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
    return BecomeGrey(greys);
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
        // Working grey values of the rows being decided and of the row
        // below them, and the errors of the rows being decided.
        std::array<DiffusionLine, DIFFUSION_ROWS + 1> lineBlocks;
        std::array<DiffusionLine, DIFFUSION_ROWS> errorBlocks;
        std::array<int16_t*, DIFFUSION_ROWS + 1> lines{};
        std::array<int16_t*, DIFFUSION_ROWS> errors{};
        for (size_t i = 0; i < lineBlocks.size(); ++i) {
            if (!TryAssign(lineBlocks[i].cells, static_cast<size_t>(width) + 2)) {
                SetError(ERR_CREATE_MEMORY);
                return false;
            }
            lines[i] = lineBlocks[i].Cells();
        }
        for (size_t i = 0; i < errorBlocks.size(); ++i) {
            if (!TryAssign(errorBlocks[i].cells, static_cast<size_t>(width) + 2)) {
                SetError(ERR_CREATE_MEMORY);
                return false;
            }
            errors[i] = errorBlocks[i].Cells();
        }
        // A grey page (the ramp palette) is its own grey: its bytes widen
        // straight into the line.
        const bool identity = GetBpp() == 8 && IsIdentity(greys);
        auto load = [&](int32_t y, int16_t* line) {
            line[-1] = 0;
            line[width] = 0;
            if (y >= height) {
                std::fill(line, line + width, int16_t{0});
            } else if (identity) {
                const uint8_t* row = RowData(y);
                std::copy(row, row + width, line);
            } else {
                GreyRow(y, greys, grey.data());
                std::copy(grey.begin(), grey.end(), line);
            }
        };
        load(0, lines[0]);
        for (int32_t y = 0; y < height; y += DIFFUSION_ROWS) {
            const int32_t rows = std::min(DIFFUSION_ROWS, height - y);
            std::array<uint8_t*, DIFFUSION_ROWS> dst{};
            for (int32_t r = 0; r < rows; ++r) {
                load(y + r + 1, lines[static_cast<size_t>(r) + 1]);
                dst[static_cast<size_t>(r)] = raster.Row(y + r);
            }
            DiffuseRows(lines.data(), errors.data(), dst.data(), rows, width);
            // The row below the group, with the group's error, comes first next.
            std::swap(lines[0], lines[static_cast<size_t>(rows)]);
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
        IndexTable white{};
        for (size_t i = 0; i < white.size(); ++i) {
            white[i] = indexMap[i] != 0 ? 1 : 0;
        }
        for (int32_t y = 0; y < height; ++y) {
            const uint8_t* src = RowData(y);
            uint8_t* dst = raster.Row(y);
            if (target == 1 && current == 8) {
                PackRow(dst, width, [&](int32_t x) { return white[src[x]] != 0; });
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
