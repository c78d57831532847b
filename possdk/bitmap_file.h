// A BMP file checked against its own headers before anything is drawn from
// it: the file header, a BITMAPINFOHEADER (or a later header that begins
// with one), the masks and colour table it calls for, and every pixel row
// it describes must lie inside the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace lt77::possdk {

#pragma pack(push, 1)
struct BmpFileHeader {
    uint16_t bfType;  // "BM"
    uint32_t bfSize;
    uint16_t bfReserved1;
    uint16_t bfReserved2;
    uint32_t bfOffBits;
};
struct BmpInfoHeader {
    uint32_t biSize;
    int32_t biWidth;
    int32_t biHeight;  // negative: rows stored top first
    uint16_t biPlanes;
    uint16_t biBitCount;
    uint32_t biCompression;
    uint32_t biSizeImage;
    int32_t biXPelsPerMeter;
    int32_t biYPelsPerMeter;
    uint32_t biClrUsed;
    uint32_t biClrImportant;
};
#pragma pack(pop)
static_assert(sizeof(BmpFileHeader) == 14);
static_assert(offsetof(BmpFileHeader, bfOffBits) == 10);
static_assert(sizeof(BmpInfoHeader) == 40);
static_assert(offsetof(BmpInfoHeader, biWidth) == 4);  // offset 18 of the file
static_assert(offsetof(BmpInfoHeader, biHeight) == 8);  // offset 22 of the file
static_assert(offsetof(BmpInfoHeader, biBitCount) == 14);
static_assert(offsetof(BmpInfoHeader, biCompression) == 16);
static_assert(offsetof(BmpInfoHeader, biClrUsed) == 32);

inline constexpr std::size_t kBmpInfoOffset = sizeof(BmpFileHeader);
inline constexpr uint32_t BI_RGB_COMPRESSION = 0;
inline constexpr uint32_t BI_BITFIELDS_COMPRESSION = 3;

enum class BitmapFault {
    kNone,
    kTooShort,         // smaller than the two headers
    kNotBmp,           // no "BM"
    kUnsupported,      // core header, compression, bit count, planes
    kBadSize,          // width or height 0 or out of range
    kHeadersPastEnd,   // header, masks or colour table past the end or over the pixels
    kPixelsPastEnd,    // the rows the header describes are not all in the file
};

struct BitmapFileView {
    BmpInfoHeader header{};
    int32_t widthPixels = 0;
    int32_t heightPixels = 0;  // always positive
    std::span<const uint8_t> info;    // the header, masks and colour table
    std::span<const uint8_t> pixels;  // exactly the rows the header describes
};

struct BitmapRead {
    std::optional<BitmapFileView> view;
    BitmapFault fault = BitmapFault::kNone;
};

// Width and height are limited to this, far beyond any receipt's picture.
inline constexpr int32_t kMaxBitmapSide = 32768;

BitmapRead ReadBitmapFile(std::span<const uint8_t> file);

}  // namespace lt77::possdk
