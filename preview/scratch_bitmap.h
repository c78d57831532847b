// The scratch bitmap file through which each viewer shows its picture
// ("KLWPreview.bmp", "PreviewJnl.bmp"): a Windows BMP of 1 bit per pixel,
// 14-byte file header, 40-byte information header, two palette entries
// (black, then white) and the rows bottom-up, every byte the complement of
// the printer's byte so that a printed dot is palette index 0.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "preview/mono_picture.h"

namespace lt77 {
class FileSystem;
class TemporaryFolder;
}  // namespace lt77

namespace lt77::viewer {

#pragma pack(push, 1)
struct BitmapFileHeader {
    uint16_t bfType;
    uint32_t bfSize;
    uint16_t bfReserved1;
    uint16_t bfReserved2;
    uint32_t bfOffBits;
};
struct BitmapInfoHeader {
    uint32_t biSize;
    int32_t biWidth;
    int32_t biHeight;
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
static_assert(sizeof(BitmapFileHeader) == 14);
static_assert(offsetof(BitmapFileHeader, bfSize) == 2 && offsetof(BitmapFileHeader, bfOffBits) == 10);
static_assert(sizeof(BitmapInfoHeader) == 40);
static_assert(offsetof(BitmapInfoHeader, biWidth) == 4 && offsetof(BitmapInfoHeader, biSizeImage) == 20);

inline constexpr uint32_t kScratchBitmapBitsOffset = 62;  // 14 + 40 + two palette entries

// The whole file for `picture`.
std::vector<uint8_t> EncodeScratchBitmap(const MonoPicture& picture);

// Writes the file as `fileName` in the data folder, replacing an older one;
// when the data folder does not take it (it belongs to the spooler and an
// operator may only read it), in the user's temporary folder. Returns the
// path written, or nothing when neither folder took it.
std::optional<std::string> WriteScratchBitmap(FileSystem& files, TemporaryFolder& temp, std::string_view dataFolder,
                                              std::string_view fileName, std::span<const uint8_t> bitmap);

}  // namespace lt77::viewer
