// Byte layouts of the Windows device-independent bitmap that cross between the
// driver core's bands, the page image and diagnostic BMP files. Little-endian
// fields, no padding: the structs can be copied to and from the wire as is on
// little-endian hosts, and the static_asserts keep that promise honest.
#pragma once

#include <cstddef>
#include <cstdint>

namespace lt77 {

// The 40-byte bitmap information header.
struct BitmapInfoHeader {
    uint32_t biSize;           // 40; 12 marks a colour table of three-byte entries
    int32_t biWidth;           // pixels
    int32_t biHeight;          // pixels; negative values are taken by magnitude
    uint16_t biPlanes;         // 1
    uint16_t biBitCount;       // 1, 4, 8 or 24
    uint32_t biCompression;    // 0: uncompressed
    uint32_t biSizeImage;      // bytes of pixel rows; 0 means stride × height
    int32_t biXPelsPerMeter;   // pixels per metre
    int32_t biYPelsPerMeter;   // pixels per metre
    uint32_t biClrUsed;        // palette entries; 0 means 2^bitcount up to 8 bits
    uint32_t biClrImportant;   // entries that matter for colour matching; 0 means all
};

static_assert(sizeof(BitmapInfoHeader) == 40);
static_assert(offsetof(BitmapInfoHeader, biSize) == 0);
static_assert(offsetof(BitmapInfoHeader, biWidth) == 4);
static_assert(offsetof(BitmapInfoHeader, biHeight) == 8);
static_assert(offsetof(BitmapInfoHeader, biPlanes) == 12);
static_assert(offsetof(BitmapInfoHeader, biBitCount) == 14);
static_assert(offsetof(BitmapInfoHeader, biCompression) == 16);
static_assert(offsetof(BitmapInfoHeader, biSizeImage) == 20);
static_assert(offsetof(BitmapInfoHeader, biXPelsPerMeter) == 24);
static_assert(offsetof(BitmapInfoHeader, biYPelsPerMeter) == 28);
static_assert(offsetof(BitmapInfoHeader, biClrUsed) == 32);
static_assert(offsetof(BitmapInfoHeader, biClrImportant) == 36);

inline constexpr uint32_t BITMAP_INFO_HEADER_SIZE = 40;
inline constexpr uint32_t BITMAP_CORE_HEADER_SIZE = 12;
inline constexpr uint32_t BITMAP_FILE_HEADER_SIZE = 14;

// One palette entry, or one pixel colour with the fourth byte as alpha.
struct RgbQuad {
    uint8_t rgbBlue;
    uint8_t rgbGreen;
    uint8_t rgbRed;
    uint8_t rgbReserved;

    friend constexpr bool operator==(const RgbQuad&, const RgbQuad&) = default;
};

static_assert(sizeof(RgbQuad) == 4);
static_assert(offsetof(RgbQuad, rgbBlue) == 0);
static_assert(offsetof(RgbQuad, rgbGreen) == 1);
static_assert(offsetof(RgbQuad, rgbRed) == 2);
static_assert(offsetof(RgbQuad, rgbReserved) == 3);

}  // namespace lt77
