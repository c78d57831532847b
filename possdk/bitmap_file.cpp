#include "possdk/bitmap_file.h"

#include <cstring>

namespace lt77::possdk {

BitmapRead ReadBitmapFile(std::span<const uint8_t> file)
{
    BitmapRead read;
    const auto fail = [&](BitmapFault fault) {
        read.fault = fault;
        return read;
    };
    if (file.size() < sizeof(BmpFileHeader) + sizeof(BmpInfoHeader)) return fail(BitmapFault::kTooShort);
    BmpFileHeader fileHeader;
    std::memcpy(&fileHeader, file.data(), sizeof(fileHeader));
    if (file[0] != 'B' || file[1] != 'M') return fail(BitmapFault::kNotBmp);
    BmpInfoHeader h;
    std::memcpy(&h, file.data() + kBmpInfoOffset, sizeof(h));
    // A 12-byte core header has other fields at these offsets.
    if (h.biSize < sizeof(BmpInfoHeader)) return fail(BitmapFault::kUnsupported);
    const uint64_t size = file.size();
    if (kBmpInfoOffset + uint64_t{h.biSize} > size) return fail(BitmapFault::kHeadersPastEnd);
    if (h.biPlanes != 1) return fail(BitmapFault::kUnsupported);
    const uint16_t bits = h.biBitCount;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return fail(BitmapFault::kUnsupported);
    const bool fields = h.biCompression == BI_BITFIELDS_COMPRESSION;
    if (h.biCompression != BI_RGB_COMPRESSION && !(fields && (bits == 16 || bits == 32)))
        return fail(BitmapFault::kUnsupported);
    if (h.biWidth <= 0 || h.biWidth > kMaxBitmapSide || h.biHeight == 0 || h.biHeight < -kMaxBitmapSide ||
        h.biHeight > kMaxBitmapSide)
        return fail(BitmapFault::kBadSize);
    const int32_t height = h.biHeight < 0 ? -h.biHeight : h.biHeight;

    // Three masks follow a plain 40-byte header; later headers hold them.
    const uint64_t masks = fields && h.biSize == sizeof(BmpInfoHeader) ? 12 : 0;
    uint64_t colours = 0;
    if (bits <= 8) {
        const uint64_t most = uint64_t{1} << bits;
        if (h.biClrUsed > most) return fail(BitmapFault::kUnsupported);
        colours = h.biClrUsed != 0 ? h.biClrUsed : most;
    } else if (h.biClrUsed != 0) {
        // An optional table the engine skips; it still has to be in the file.
        if (h.biClrUsed > 256) return fail(BitmapFault::kUnsupported);
        colours = h.biClrUsed;
    }
    const uint64_t infoBytes = uint64_t{h.biSize} + masks + colours * 4;
    if (kBmpInfoOffset + infoBytes > size || fileHeader.bfOffBits < kBmpInfoOffset + infoBytes)
        return fail(BitmapFault::kHeadersPastEnd);

    const uint64_t stride = ((uint64_t(h.biWidth) * bits + 31) / 32) * 4;
    const uint64_t pixelBytes = stride * uint64_t(height);
    if (uint64_t{fileHeader.bfOffBits} + pixelBytes > size) return fail(BitmapFault::kPixelsPastEnd);

    BitmapFileView view;
    view.header = h;
    view.widthPixels = h.biWidth;
    view.heightPixels = height;
    view.info = file.subspan(kBmpInfoOffset, static_cast<std::size_t>(infoBytes));
    view.pixels = file.subspan(fileHeader.bfOffBits, static_cast<std::size_t>(pixelBytes));
    read.view = view;
    return read;
}

}  // namespace lt77::possdk
