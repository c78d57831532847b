// The in-memory raster that holds one page (or one sample picture) while it is
// cropped, toned, dithered, scaled and rotated.
//
// Contract shared by every member:
// - Pixels are addressed by column x in 0 … width − 1 and row y in
//   0 … height − 1; the page pipeline keeps row 0 at the top of the paper, and
//   every operation is defined on these indices, never on "up" or "down".
// - Bit count is 1, 4, 8 or 24. Palette images have 2, 16 or 256 entries.
//   Rows are stride bytes each, padded to four bytes; in a 1-bit row the
//   leftmost pixel is the most significant bit, in a 4-bit row the high
//   nibble; 24-bit pixels are blue, green, red.
// - Operations that need a raster return false and leave the object as it was
//   when it holds none. An operation that fails for any other reason also
//   leaves the object as it was. Nothing throws.
// - Values are plain: copying an image copies its raster; a moved-from image
//   holds no raster.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "common/text_raster.h"
#include "common/ximage/bitmap_header.h"

namespace lt77 {

class CxImage {
public:
    // Resolution a fresh object starts with, and what a value ≤ 0 becomes.
    static constexpr int32_t DEFAULT_DPI = 96;
    // Guards against headers that would make the raster larger than any page
    // this driver can print; such sizes fail like a failed allocation.
    static constexpr uint64_t MAX_RASTER_BYTES = uint64_t{1} << 30;

    // --- building ---------------------------------------------------------

    // Allocates a zeroed raster and zeroed palette. bpp is rounded up to 1, 4,
    // 8 or 24. Fails for a width or height ≤ 0 and when the raster cannot be
    // allocated, with the matching last-error text. Resolution, background and
    // the last-error text survive; colours important becomes 0.
    bool Create(int32_t widthPx, int32_t heightPx, uint32_t bpp);

    // Builds the image from an uncompressed device-independent bitmap of 1, 4,
    // 8 or 24 bits. The header's image size (stride × |height| when that field
    // is 0) must cover all rows and bits must hold at least that many bytes;
    // rows are taken in the order given, also for a negative height. colorTable holds four-byte entries, or three-byte
    // entries when biSize is 12; an empty table leaves the palette zeroed and
    // bytes beyond the palette are ignored. Resolution comes from the header.
    bool Decode(const BitmapInfoHeader& header, std::span<const uint8_t> bits,
                std::span<const uint8_t> colorTable);
    // The same with the bits given in pieces, one after the other, as a page
    // collected band by band holds them.
    bool Decode(const BitmapInfoHeader& header, std::span<const std::span<const uint8_t>> bitPieces,
                std::span<const uint8_t> colorTable);

    // --- shape and storage ------------------------------------------------

    bool IsValid() const { return !m_raster.bits.empty(); }
    int32_t GetWidth() const { return m_raster.head.biWidth; }
    int32_t GetHeight() const { return m_raster.head.biHeight; }
    // 1, 4, 8 or 24; 0 without a raster.
    uint32_t GetBpp() const { return m_raster.head.biBitCount; }
    uint32_t GetStride() const { return m_raster.dwStride; }
    const BitmapInfoHeader& GetHeader() const { return m_raster.head; }
    // All rows, row 0 first; empty without a raster.
    std::span<const uint8_t> GetBits() const { return m_raster.bits; }
    // One row of stride bytes; empty for a row outside the image.
    std::span<const uint8_t> GetRow(int32_t y) const;

    // --- palette and colour matching ------------------------------------------

    // 2, 16 or 256 entries for palette images, none for 24 bits.
    std::span<const RgbQuad> GetPalette() const { return m_raster.palette; }
    // Copies as many entries as both sides have; false without a palette.
    bool SetPalette(std::span<const RgbQuad> palette);
    bool SetPaletteColor(uint32_t index, RgbQuad color);
    // 0 means every palette entry takes part in colour matching.
    uint32_t GetClrImportant() const { return m_raster.head.biClrImportant; }
    // Capped to the palette size; 0 or more than 256 means all entries.
    void SetClrImportant(uint32_t colors);
    // The first of the nearest entries among the colours-important ones, by
    // squared distance of blue, green and red. Remembers the last colour asked
    // for, so runs of one colour cost one palette scan. 0 for 24-bit images.
    uint8_t GetNearestIndex(RgbQuad color)
    {
        if (m_bLastColorValid && SameRgb(color, m_lastColor)) {
            return m_byLastIndex;
        }
        return ScanNearestIndex(color);
    }

    // --- pixels -------------------------------------------------------------

    bool IsInside(int32_t x, int32_t y) const
    {
        return x >= 0 && y >= 0 && x < m_raster.head.biWidth && y < m_raster.head.biHeight;
    }

    // Blue, green, red and the palette entry's fourth byte (0 for 24 bits).
    // Outside the image: the background colour, or the colour of pixel (0, 0)
    // while the background index is −1. All zero without a raster.
    RgbQuad GetPixelColor(int32_t x, int32_t y) const
    {
        if (!IsInside(x, y)) {
            if (!IsValid()) {
                return RgbQuad{};
            }
            if (m_nBackgroundIndex != -1) {
                return m_backgroundColor;
            }
            x = 0;
            y = 0;
        }
        const uint8_t* row = RowData(y);
        if (m_raster.head.biBitCount == 24) {
            const uint8_t* p = row + 3 * static_cast<size_t>(x);
            return RgbQuad{p[0], p[1], p[2], 0};
        }
        return m_raster.palette[ReadIndex(row, m_raster.head.biBitCount, x)];
    }

    // Ignored outside the image. Palette images store the nearest index.
    void SetPixelColor(int32_t x, int32_t y, RgbQuad color)
    {
        if (!IsInside(x, y)) {
            return;
        }
        uint8_t* row = RowData(y);
        if (m_raster.head.biBitCount == 24) {
            uint8_t* p = row + 3 * static_cast<size_t>(x);
            p[0] = color.rgbBlue;
            p[1] = color.rgbGreen;
            p[2] = color.rgbRed;
            return;
        }
        WriteIndex(row, m_raster.head.biBitCount, x, GetNearestIndex(color));
    }

    // Palette index of a pixel; outside the image the background index, or the
    // index of pixel (0, 0) while that is −1. 0 for 24-bit images.
    uint8_t GetPixelIndex(int32_t x, int32_t y) const
    {
        if (!IsValid() || m_raster.head.biBitCount == 24) {
            return 0;
        }
        if (!IsInside(x, y)) {
            if (m_nBackgroundIndex != -1) {
                return static_cast<uint8_t>(m_nBackgroundIndex);
            }
            x = 0;
            y = 0;
        }
        return ReadIndex(RowData(y), m_raster.head.biBitCount, x);
    }

    // Ignored outside the image, for 24-bit images and for an index the
    // palette does not have.
    void SetPixelIndex(int32_t x, int32_t y, uint8_t index)
    {
        if (!IsInside(x, y) || index >= m_raster.palette.size()) {
            return;
        }
        WriteIndex(RowData(y), m_raster.head.biBitCount, x, index);
    }

    // --- background ---------------------------------------------------------

    // −1 (the default) makes reads outside the image answer pixel (0, 0).
    int32_t GetBackgroundIndex() const { return m_nBackgroundIndex; }
    void SetBackgroundIndex(int32_t index) { m_nBackgroundIndex = index < 0 ? -1 : index; }
    RgbQuad GetBackgroundColor() const { return m_backgroundColor; }
    void SetBackgroundColor(RgbQuad color) { m_backgroundColor = color; }

    // --- resolution ---------------------------------------------------------

    // Dots per inch; a value ≤ 0 becomes 96. The header carries the same
    // resolution as pixels per metre, floor(dpi × 10000 / 254 + 0.5).
    int32_t GetXDPI() const { return m_nXDpi; }
    int32_t GetYDPI() const { return m_nYDpi; }
    void SetXDPI(int32_t dpi);
    void SetYDPI(int32_t dpi);

    // --- geometry -----------------------------------------------------------

    // Keeps columns left … right − 1 and, counted from the far end of the row
    // range, rows height − top … height − bottom − 1, after clamping columns to
    // 0 … width and rows to 0 … height and ordering each pair. An empty
    // rectangle fails.
    bool Crop(int32_t left, int32_t top, int32_t right, int32_t bottom);
    // Method 1 (nearest pixel) only. Same size: nothing changes. A size ≤ 0
    // or another method fails.
    bool Resample(int32_t newWidthPx, int32_t newHeightPx, int32_t method = 1);
    // Source pixel (x, y) goes to (H − 1 − y, x).
    bool RotateLeft();
    // Source pixel (x, y) goes to (y, W − 1 − x).
    bool RotateRight();
    // Source pixel (x, y) goes to (W − 1 − x, H − 1 − y).
    bool Rotate180();

    // --- tone ---------------------------------------------------------------

    // Maps blue, green and red through a table of brightness and contrast in
    // percent; pure black and pure white always map to themselves. An 8-bit
    // grey-ramp image stays a grey-ramp image.
    bool AdjustBrightness(int32_t brightness, int32_t contrast = 0);
    // Makes an 8-bit image with the 256-step grey palette.
    bool ToGrayScale();
    // Makes a 1-bit image, index 0 black and 1 white. Methods: 0 error
    // diffusion, 1 4 × 4 ordered, 7 4 × 4 threshold, 8 8 × 8 threshold; any
    // other method fails. A 1-bit image is left as it is.
    bool Dither(int32_t method = 0);
    // Converts to bpp (rounded like Create) by nearest colour, into the given
    // palette or the standard one of that bit count. Error diffusion is not
    // supported and fails.
    bool DecreaseBpp(uint32_t bpp, bool errorDiffusion, std::span<const RgbQuad> palette = {},
                     uint32_t clrImportant = 0);

    // --- text -----------------------------------------------------------------

    // Draws text in black with its cell's top at row y, column x. A scale
    // other than 1 scales the position and the font height first. Quarter
    // turns (rotation 1 and 3) widen the image with white on the right when
    // the text would not fit. Returns the row below the text; y unchanged
    // when no font could be made or the text not measured; 0 without a raster.
    // `log` receives the size lines of a widening.
    int32_t DrawString(int32_t x, int32_t y, std::u16string_view text, FontDescription font, float scale,
                       int32_t rotation, TextRasterizer& rasterizer,
                       const std::function<void(const std::string&)>& log = {});

    // --- files ----------------------------------------------------------------

    // The bytes of a Windows BMP file: file header, information header,
    // palette and rows as stored. Empty without a raster.
    std::vector<uint8_t> EncodeBmp() const;
    // False without a raster or when the file cannot be written.
    bool SaveBmp(const std::string& path) const;

    // Text of the last failure, at most 255 characters; empty until one fails.
    const std::string& GetLastError() const { return m_szLastError; }

    // Palette scans done by colour matching so far (cache misses).
    uint64_t GetPaletteScanCountForTesting() const { return m_qwPaletteScans; }

private:
    // Everything that an operation replaces at once. Moving leaves the source
    // without a raster, so no stale width can point past empty rows.
    struct Raster {
        BitmapInfoHeader head{};
        uint32_t dwStride = 0;
        std::vector<RgbQuad> palette;
        std::vector<uint8_t> bits;

        Raster() = default;
        Raster(const Raster&) = default;
        Raster& operator=(const Raster&) = default;
        Raster(Raster&& other) noexcept;
        Raster& operator=(Raster&& other) noexcept;
        ~Raster() = default;

        uint8_t* Row(int32_t y) { return bits.data() + static_cast<size_t>(y) * dwStride; }
        const uint8_t* Row(int32_t y) const
        {
            return bits.data() + static_cast<size_t>(y) * dwStride;
        }
    };

    static bool SameRgb(RgbQuad a, RgbQuad b)
    {
        return a.rgbBlue == b.rgbBlue && a.rgbGreen == b.rgbGreen && a.rgbRed == b.rgbRed;
    }

    static uint8_t ReadIndex(const uint8_t* row, uint32_t bpp, int32_t x)
    {
        switch (bpp) {
        case 1:
            return static_cast<uint8_t>((row[x >> 3] >> (7 - (x & 7))) & 1);
        case 4:
            return static_cast<uint8_t>((x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4));
        default:
            return row[x];
        }
    }

    static void WriteIndex(uint8_t* row, uint32_t bpp, int32_t x, uint8_t index)
    {
        switch (bpp) {
        case 1: {
            const auto mask = static_cast<uint8_t>(0x80 >> (x & 7));
            row[x >> 3] = static_cast<uint8_t>(index ? (row[x >> 3] | mask) : (row[x >> 3] & ~mask));
            break;
        }
        case 4:
            row[x >> 1] = static_cast<uint8_t>(
                (x & 1) ? ((row[x >> 1] & 0xF0) | (index & 0x0F))
                        : ((row[x >> 1] & 0x0F) | ((index & 0x0F) << 4)));
            break;
        default:
            row[x] = index;
            break;
        }
    }

    const uint8_t* RowData(int32_t y) const { return m_raster.Row(y); }
    uint8_t* RowData(int32_t y) { return m_raster.Row(y); }

    uint8_t ScanNearestIndex(RgbQuad color);
    void ForgetLastColor() { m_bLastColorValid = false; }
    void SetError(const char* text);

    // A zeroed raster with header, palette size and stride filled in; false
    // (with the allocation text set) when it is too large or cannot be had.
    bool AllocateRaster(int32_t widthPx, int32_t heightPx, uint32_t bpp, Raster& out);
    // zeroed false: the bits are left empty with room for the whole raster,
    // for a caller that appends every row.
    bool AllocateRaster(int32_t widthPx, int32_t heightPx, uint32_t bpp, Raster& out, bool zeroed);
    // Installs a finished raster, stamping the current resolution into it.
    void Commit(Raster&& raster);

    using IndexTable = std::array<uint8_t, 256>;

    // Grey of every palette entry, for conversions that read palette images.
    IndexTable PaletteGreys() const;
    // Grey values of row y, one byte per pixel, into out (width bytes); palette
    // indices are looked up in paletteGreys.
    void GreyRow(int32_t y, const IndexTable& paletteGreys, uint8_t* out) const;
    // An 8-bit grey-ramp raster of this image's size holding GreyRow's values.
    bool MakeGreyRaster(const IndexTable& paletteGreys, Raster& out);
    // The image as the grey ramp, each pixel the grey its index maps to: an
    // 8-bit image in place, any other through MakeGreyRaster.
    bool BecomeGrey(const IndexTable& greys);
    // For every index of this image's palette, the index that colour matching
    // against target's palette and colours important picks.
    static IndexTable MapPaletteTo(std::span<const RgbQuad> from, const Raster& target);
    bool RotateQuarter(bool left);
    // Keeps newHeight rows from firstRow on, all columns, without a new raster.
    void CropRowsInPlace(int32_t firstRow, int32_t newHeight);

    Raster m_raster;
    int32_t m_nXDpi = DEFAULT_DPI;
    int32_t m_nYDpi = DEFAULT_DPI;
    int32_t m_nBackgroundIndex = -1;
    RgbQuad m_backgroundColor{};
    bool m_bLastColorValid = false;
    RgbQuad m_lastColor{};
    uint8_t m_byLastIndex = 0;
    uint64_t m_qwPaletteScans = 0;
    std::string m_szLastError;
};

}  // namespace lt77
